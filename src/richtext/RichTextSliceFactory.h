#pragma once

#include "richtext/HeaderFooterSetting.h"

#include "webeditor/InspectorSliceMaker.h"

#include <functional>
#include <memory>

namespace folio {

class DKInspectorSlice;
class PageConnection;
class RichTextStyling;
class RichTextToolCommands;
class StyleMenuCommander;
class TextDocument;
class UserDefaults;

// Makes the slices of the rich-text editor's inspector panes, each acting on
// the page and the document through the editor's own commands: the style
// commands for fonts, colours, spacing and indents, the document for its
// margins, the stored header and footer for those panes, and the editor's
// insert commands.
class RichTextSliceFactory : public InspectorSliceMaker {
public:
    struct Host {
        std::function<TextDocument*()> document{};
        std::function<void()> documentIsDirty{};
        // 0 inserts a picture from the library, 1 takes a photo.
        std::function<void(long)> imageOptionSelected{};
        std::function<void()> showSpecialCharsMenu{};
        std::function<void()> showHeaderInspector{};
        // How the document prints with its header and footer.
        std::function<void()> showHeaderFooterPreview{};
    };

    RichTextSliceFactory(PageConnection& page, RichTextStyling& styling, StyleMenuCommander& styleMenu,
                         RichTextToolCommands& tools, UserDefaults& defaults, Host host);

    std::shared_ptr<DKInspectorSlice> make(const InspectorSliceSpec& spec, InspectorPane pane) override;

private:
    std::shared_ptr<DKInspectorSlice> colourSlice(const InspectorSliceSpec& spec, InspectorPane pane);
    std::shared_ptr<DKInspectorSlice> pageSpacingSlice(const char* kind);
    std::shared_ptr<DKInspectorSlice> marginSlice(const char* kind);
    std::shared_ptr<DKInspectorSlice> headerFooterSlice(const InspectorSliceSpec& spec, InspectorPane pane);
    std::shared_ptr<DKInspectorSlice> insertSlice(const char* kind);
    void changeHeaderFooter(HeaderFooterSetting::Part part, HeaderFooterSetting::Field field, std::string value);
    void dirty();

    PageConnection& m_page;
    RichTextStyling& m_styling;
    StyleMenuCommander& m_styleMenu;
    RichTextToolCommands& m_tools;
    UserDefaults& m_defaults;
    Host m_host;
};

} // namespace folio
