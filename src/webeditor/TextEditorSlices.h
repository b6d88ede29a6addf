#pragma once

#include "webeditor/InspectorPanes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class DKInspectorSlice;
class TextDocument;
class UserDefaults;

// The inspector slices the two text editors on a web page (rich text and QV
// text) make alike: the same rows, titles, limits and steps, each acting
// through what the editor hands in. Every function answers null for a kind
// it does not make, so that a factory can try them in turn.
namespace inspector_slices {

// A slice with one button titled as the slice, which runs the action.
std::shared_ptr<DKInspectorSlice> oneButtonSlice(const char* kind, const char* title, std::function<void()> action);

// The text, highlight or paper colour by its name, from the list of paper
// colours for the paper and of text colours otherwise.
using ColourTarget = InspectorSliceSpec::Colour;
std::shared_ptr<DKInspectorSlice> colourNameSlice(const InspectorSliceSpec& spec,
                                                  std::function<std::u16string(ColourTarget)> current,
                                                  std::function<void(ColourTarget, const std::string& name)> choose);

// A font family among those installed.
std::shared_ptr<DKInspectorSlice> fontFamilySlice(const char* kind, std::function<std::u16string()> current,
                                                  std::function<void(const std::string& family)> choose);

// The style row: the default style, the three user styles and removing the
// style, by the other-styles picker's row.
std::shared_ptr<DKInspectorSlice> styleSlice(const char* kind, std::function<void(long row)> choose);

// The editing-commands picker's rows as buttons, by row.
std::shared_ptr<DKInspectorSlice> textActionsSlice(const char* kind, std::function<void(long row)> choose);

// What the inspector shows while the document takes no typing.
std::shared_ptr<DKInspectorSlice> notEditingSlice(const char* kind);

// The default page size of new pages; changed runs after it is stored.
std::shared_ptr<DKInspectorSlice> pageSizeSlice(const char* kind, UserDefaults& defaults, std::function<void()> changed);

// A stepper over a value kept between limits, shown in fixed notation and
// followed by its unit (none when empty).
struct StepLimits {
    double step;
    double minimum;
    double maximum;
};
std::shared_ptr<DKInspectorSlice> limitedStepperSlice(const char* kind, const char* title, StepLimits limits,
                                                      std::function<double()> read, std::function<void(double)> apply,
                                                      std::u16string unit = {});

// The line spacing, paragraph spacing and first-line indent steppers.
enum class ParagraphSpacing { Line, Paragraph, FirstLineIndent };
std::shared_ptr<DKInspectorSlice> paragraphSpacingSlice(const char* kind, std::function<double(ParagraphSpacing)> read,
                                                        std::function<void(ParagraphSpacing, double)> apply);

// Hands a spacing to the editor's paragraph commands, which both editors
// name alike.
template <typename ParagraphCommands>
void applyParagraphSpacing(ParagraphCommands& commands, ParagraphSpacing which, double value)
{
    if (which == ParagraphSpacing::Line)
        commands.setCurrenLineSpacing(value);
    else if (which == ParagraphSpacing::Paragraph)
        commands.setCurrenParagraphSpacing(value);
    else
        commands.setCurrentFirstLineIndent(value);
}

// The document's four page margins, in centimetres, each stored by the
// document as a "%.2f" string in its own field.
struct DocumentMargin {
    enum class Side { Left = 0, Right = 1, Top = 2, Bottom = 3 } side;
    const std::optional<std::string>& (TextDocument::*get)() const;
    void (TextDocument::*set)(std::optional<std::string>);
};
// The margin shown is the one stored (the document's default where it has
// none) unless shown says otherwise; isStored tells whether the document
// has one. Apply keeps the margin chosen, in the document given.
using MarginShown = std::function<double(const DocumentMargin&, double stored, bool isStored)>;
using MarginApply = std::function<void(TextDocument&, const DocumentMargin&, double centimetres)>;
std::shared_ptr<DKInspectorSlice> documentMarginSlice(const char* kind, std::function<TextDocument*()> document,
                                                      MarginShown shown, MarginApply apply);

// A running header or footer of the page, field by field in the order the
// stored settings keep them. Read answers a field as stored ("YES"/"NO"
// for Enabled, centimetres for Margin); write changes that one field.
enum class HeaderFooterField { Family = 0, Size, Alignment, Colour, Margin, Enabled, Text };
struct HeaderFooterFields {
    bool header = true;
    std::function<std::string(HeaderFooterField)> read;
    std::function<void(HeaderFooterField, std::string)> write;
    std::function<void()> preview;
};
// The header or footer pane's slice of the kind asked for: its font, its
// words with showing, hiding, alignment and the preview, its distance from
// the edge of the sheet, or (for a colour slice) its colour.
std::shared_ptr<DKInspectorSlice> headerFooterSlice(const InspectorSliceSpec& spec, HeaderFooterFields fields);

} // namespace inspector_slices
} // namespace folio
