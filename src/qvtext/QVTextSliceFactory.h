#pragma once

#include "webeditor/InspectorSliceMaker.h"

#include <functional>
#include <string>

namespace folio {

class PageConnection;
class QVTextStyling;
class TextDocument;
class UserDefaults;

// The slices of the QV text editor's inspector panes, each acting on the
// TinyMCE page through the editor's styling commands, on the document for
// its margins, and on the editor's other parts by name (inserts, the
// header inspector, the text actions).
class QVTextSliceFactory : public InspectorSliceMaker {
public:
    struct Host {
        std::function<TextDocument*()> document{};
        std::function<void()> documentIsDirty{};
        std::function<void(const std::string& command)> run{};
        // The editing-commands picker's row, for the text actions slice.
        std::function<void(long row)> miscToolsOption{};
        std::function<void(const std::string& colorName)> setPaperColor{};
        // The page margin of a side (0 left, 1 right, 2 top, 3 bottom) in
        // centimetres, as the editor shows it, and setting it there.
        std::function<double(long side)> pageMargin{};
        std::function<void(long side, double centimetres)> setPageMargin{};
    };

    QVTextSliceFactory(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults, Host host);

    std::shared_ptr<DKInspectorSlice> make(const InspectorSliceSpec& spec, InspectorPane pane) override;

private:
    std::shared_ptr<DKInspectorSlice> colourSlice(const InspectorSliceSpec& spec, InspectorPane pane);
    std::string paperColourName();
    std::shared_ptr<DKInspectorSlice> spacingSlice(const char* kind);
    std::shared_ptr<DKInspectorSlice> headerFooterSlice(const InspectorSliceSpec& spec, bool header);
    std::shared_ptr<DKInspectorSlice> marginSlice(const char* kind);
    std::shared_ptr<DKInspectorSlice> specialDataSlice(const char* kind);
    std::shared_ptr<DKInspectorSlice> commandSlice(const char* kind, const char* title, const char* command);
    void run(const std::string& command);
    void dirty();

    PageConnection& m_page;
    QVTextStyling& m_styling;
    UserDefaults& m_defaults;
    Host m_host;
    // The spacings last chosen here: the page does not report them.
    double m_lineSpacing = 1.0;
    double m_paragraphSpacing = 0.0;
    double m_firstLineIndent = 0.0;
    long m_indentSteps = 0;
};

} // namespace folio
