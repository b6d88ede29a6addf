#include "webeditor/TextEditorSlices.h"

#include "documents/TextDocument.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "tools/pickers/CommandPickerRows.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "tools/textstyle/TextStyleLists.h"
#include "webeditor/InspectorSliceHelpers.h"

#include <algorithm>
#include <cstring>

namespace folio::inspector_slices {

std::shared_ptr<DKInspectorSlice> oneButtonSlice(const char* kind, const char* title, std::function<void()> action)
{
    return named<ButtonRowSlice>(kind, localized(title),
                                 std::vector<ButtonRowSlice::Item>{{localized(title), std::move(action)}});
}

std::shared_ptr<DKInspectorSlice> colourNameSlice(const InspectorSliceSpec& spec,
                                                  std::function<std::u16string(ColourTarget)> current,
                                                  std::function<void(ColourTarget, const std::string& name)> choose)
{
    ColourTarget which = spec.colour;
    const std::vector<std::string>& names = which == ColourTarget::Paper ? paperColourNames() : textColourNames();
    return named<ChoiceSlice>(spec.kind, localized(spec.label),
                              ChoiceSlice::Choices{utf16(names), [current, which] { return current(which); },
                                                   [choose, which, &names](std::size_t index) { choose(which, names[index]); }});
}

std::shared_ptr<DKInspectorSlice> fontFamilySlice(const char* kind, std::function<std::u16string()> current,
                                                  std::function<void(const std::string& family)> choose)
{
    std::vector<std::string> families = Font::familyNames();
    std::vector<std::u16string> titles = utf16(families);
    return named<ChoiceSlice>(kind, localized("Font"),
                              ChoiceSlice::Choices{std::move(titles), std::move(current),
                                                   [choose, families](std::size_t index) { choose(families[index]); }});
}

std::shared_ptr<DKInspectorSlice> styleSlice(const char* kind, std::function<void(long row)> choose)
{
    // The rows of the other-styles picker that set a whole style.
    std::vector<ButtonRowSlice::Item> items;
    for (long row : {0L, 1L, 2L, 3L, 18L}) {
        std::u16string title = localized(CommandPickerRows::styles()[static_cast<std::size_t>(row)]);
        items.push_back({title, [choose, row] { choose(row); }});
    }
    return named<ButtonRowSlice>(kind, localized("Style"), std::move(items));
}

std::shared_ptr<DKInspectorSlice> textActionsSlice(const char* kind, std::function<void(long row)> choose)
{
    std::vector<ButtonRowSlice::Item> items;
    const std::vector<std::string_view>& rows = CommandPickerRows::miscTools();
    for (std::size_t i = 0; i < rows.size(); ++i)
        items.push_back({localized(rows[i]), [choose, i] { choose(static_cast<long>(i)); }});
    return named<ButtonRowSlice>(kind, localized("Text Tools"), std::move(items));
}

std::shared_ptr<DKInspectorSlice> notEditingSlice(const char* kind)
{
    return named<MessageSlice>(kind, localized("Not Editing"),
                               localized("Tap the document to place the cursor, then choose again."));
}

std::shared_ptr<DKInspectorSlice> pageSizeSlice(const char* kind, UserDefaults& defaults, std::function<void()> changed)
{
    return named<ChoiceSlice>(kind, localized("Page Size"),
                              ChoiceSlice::Choices{utf16(paperSizeNames()),
                                                   [&defaults] { return toUtf16(defaults.stringForKey("defaultPageSize").value_or("Letter")); },
                                                   [&defaults, changed](std::size_t index) {
                                                       (void)TextStyleDefaults(defaults).setDefaultPageSize(paperSizeNames()[index]);
                                                       changed();
                                                   }});
}

std::shared_ptr<DKInspectorSlice> limitedStepperSlice(const char* kind, const char* title, StepLimits limits,
                                                      std::function<double()> read, std::function<void(double)> apply,
                                                      std::u16string unit)
{
    auto stepBy = [read, apply, limits](double delta) { apply(std::clamp(read() + delta, limits.minimum, limits.maximum)); };
    return named<StepperSlice>(kind, localized(title),
                               StepperSlice::Value{[read, unit] { return fixed(read()) + unit; },
                                                   [stepBy, limits] { stepBy(-limits.step); },
                                                   [stepBy, limits] { stepBy(limits.step); }});
}

std::shared_ptr<DKInspectorSlice> paragraphSpacingSlice(const char* kind, std::function<double(ParagraphSpacing)> read,
                                                        std::function<void(ParagraphSpacing, double)> apply)
{
    struct Spacing {
        const char* kind;
        const char* title;
        ParagraphSpacing which;
        StepLimits limits;
    };
    static const Spacing spacings[] = {
        {"DKParagraphLineSpacingInspectorSlice", "Line Spacing", ParagraphSpacing::Line, {0.5, 0.5, 5.0}},
        {"DKParagraphSpacingInspectorSlice", "Paragraph Spacing", ParagraphSpacing::Paragraph, {2.0, 0.0, 72.0}},
        {"DKParagraphFirstLineIndentInspectorSlice", "First Line Indent", ParagraphSpacing::FirstLineIndent, {0.25, 0.0, 10.0}},
    };
    for (const Spacing& spacing : spacings) {
        if (!is(kind, spacing.kind))
            continue;
        ParagraphSpacing which = spacing.which;
        return limitedStepperSlice(kind, spacing.title, spacing.limits, [read, which] { return read(which); },
                                   [apply, which](double value) { apply(which, value); });
    }
    return nullptr;
}

std::shared_ptr<DKInspectorSlice> documentMarginSlice(const char* kind, std::function<TextDocument*()> document,
                                                      MarginShown shown, MarginApply apply)
{
    using Side = DocumentMargin::Side;
    struct Margin {
        const char* kind;
        const char* title;
        DocumentMargin margin;
    };
    static const Margin margins[] = {
        {"DKPageTopMarginSlice", "Top Margin", {Side::Top, &TextDocument::docTopMargin, &TextDocument::setDocTopMargin}},
        {"DKPageBottomMarginSlice", "Bottom Margin", {Side::Bottom, &TextDocument::docBottomMargin, &TextDocument::setDocBottomMargin}},
        {"DKPageLeftMarginSlice", "Left Margin", {Side::Left, &TextDocument::docLeftMargin, &TextDocument::setDocLeftMargin}},
        {"DKPageRightMarginSlice", "Right Margin", {Side::Right, &TextDocument::docRightMargin, &TextDocument::setDocRightMargin}},
    };
    for (const Margin& entry : margins) {
        if (!is(kind, entry.kind))
            continue;
        const DocumentMargin& margin = entry.margin;
        auto read = [document, shown, &margin] {
            TextDocument* current = document ? document() : nullptr;
            const std::optional<std::string>& value = current ? (current->*margin.get)() : std::nullopt;
            double stored = floatValue(value.value_or(TextDocument::kDefaultMargin));
            return shown ? shown(margin, stored, value.has_value()) : stored;
        };
        auto keep = [document, apply, &margin](double centimetres) {
            if (TextDocument* current = document ? document() : nullptr)
                apply(*current, margin, centimetres);
        };
        return limitedStepperSlice(kind, entry.title, StepLimits{kMarginStep, 0.0, 10.0}, read, keep, u" cm");
    }
    return nullptr;
}

std::shared_ptr<DKInspectorSlice> headerFooterSlice(const InspectorSliceSpec& spec, HeaderFooterFields fields)
{
    using Field = HeaderFooterField;
    const char* kind = spec.kind;
    auto read = fields.read;
    auto write = fields.write;
    if (is(kind, "DKTextColorAttributeInspectorSlice")) {
        const std::vector<std::string>& names = textColourNames();
        return named<ChoiceSlice>(kind, localized(spec.label),
                                  ChoiceSlice::Choices{utf16(names), [read] { return toUtf16(read(Field::Colour)); },
                                                       [write, &names](std::size_t index) { write(Field::Colour, names[index]); }});
    }
    if (std::strstr(kind, "Font")) {
        return fontFamilySlice(
            kind, [read] { return toUtf16(read(Field::Family)); },
            [write](const std::string& family) { write(Field::Family, family); });
    }
    if (std::strstr(kind, "Style")) {
        std::vector<ButtonRowSlice::Item> items{
            {localized("Show"), [write] { write(Field::Enabled, "YES"); }},
            {localized("Hide"), [write] { write(Field::Enabled, "NO"); }},
        };
        for (const char* alignment : {"left", "center", "right"}) {
            std::string value = alignment;
            items.push_back({localized(value == "left" ? "Left" : value == "center" ? "Center" : "Right"),
                             [write, value] { write(Field::Alignment, value); }});
        }
        items.push_back({localized("Preview"), [preview = fields.preview] {
                             if (preview)
                                 preview();
                         }});
        // The words above the buttons; "[title]", "[date]", "[pagenumber]"
        // and the like stand for what each printed page shows there.
        return named<TextFieldSlice>(
            kind, localized(fields.header ? "Header" : "Footer"),
            TextFieldSlice::Text{[read] { return toUtf16(read(Field::Text)); },
                                 [write](const std::u16string& text) { write(Field::Text, toUtf8(text)); }},
            std::move(items));
    }
    // The header's top margin or the footer's bottom margin, in centimetres.
    return limitedStepperSlice(
        kind, fields.header ? "Top Margin" : "Bottom Margin", StepLimits{0.1, 0.0, 5.0},
        [read] { return static_cast<double>(floatValue(read(Field::Margin))); },
        [write](double centimetres) { write(Field::Margin, formatInCLocale("%.2f", centimetres)); }, u" cm");
}

} // namespace folio::inspector_slices
