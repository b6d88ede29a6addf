#include "richtext/RichTextSliceFactory.h"

#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "richtext/HeaderFooterSetting.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/StyleMenuCommander.h"
#include "webeditor/ToolCommandTables.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/pickers/CommandPickerRows.h"
#include "tools/textstyle/FontChoice.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "tools/textstyle/TextStyleLists.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/InspectorSliceHelpers.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>
#include <cstring>

namespace folio {

using namespace inspector_slices;

RichTextSliceFactory::RichTextSliceFactory(PageConnection& page, RichTextStyling& styling, StyleMenuCommander& styleMenu,
                                           RichTextToolCommands& tools, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_styling(styling)
    , m_styleMenu(styleMenu)
    , m_tools(tools)
    , m_defaults(defaults)
    , m_host(std::move(host))
{
}

void RichTextSliceFactory::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::make(const InspectorSliceSpec& spec, InspectorPane pane)
{
    const char* kind = spec.kind;
    CharacterStyleCommander& characters = m_styling.characters();
    if (is(kind, "DocumentContentsZoomInspectorSlice"))
        return named<DocumentContentsZoomInspectorSlice>(kind);
    if (is(kind, "DKTextColorAttributeInspectorSlice"))
        return colourSlice(spec, pane);
    if (is(kind, "DKFontAttributesInspectorSlice"))
        return fontStyleSlice(kind, characters);
    if (is(kind, "DKParagraphStyleInspectorSlice"))
        return alignmentSlice(kind, [&characters](long row) { characters.alignTextTask(row); });
    if (is(kind, "DKFontInspectorSlice")) {
        std::vector<std::string> families = Font::familyNames();
        StyleToolbar& bar = m_styling.toolbar();
        ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
        return named<ChoiceSlice>(
            kind, localized("Font"),
            ChoiceSlice::Choices{utf16(families), [&bar] { return bar.styleFontName->titleForState(ControlState::Normal); },
                                 [families, &paragraphs, &characters](std::size_t index) {
                                     double size = intValue(characters.getTextValueCurrentFontSize());
                                     paragraphs.userSelectedFont(FontChoice{families[index], size});
                                 }});
    }
    if (is(kind, "DKStyleInspectorSlice")) {
        std::vector<ButtonRowSlice::Item> items;
        for (long entry : {0L, 1L, 2L, 3L, 18L}) {
            std::u16string title = localized(CommandPickerRows::styles()[static_cast<std::size_t>(entry)]);
            items.push_back({title, [this, entry] { m_styleMenu.otherStyleTextTask(entry); }});
        }
        return named<ButtonRowSlice>(kind, localized("Style"), std::move(items));
    }
    if (is(kind, "DKTextActionsInspectorSlice")) {
        std::vector<ButtonRowSlice::Item> items;
        const std::vector<std::string_view>& rows = CommandPickerRows::miscTools();
        for (std::size_t i = 0; i < rows.size(); ++i)
            items.push_back({localized(rows[i]), [this, i] { m_tools.miscToolsPickerOptionSelected(static_cast<long>(i)); }});
        return named<ButtonRowSlice>(kind, localized("Text Tools"), std::move(items));
    }
    if (is(kind, "DKNotEditingInspectorSlice"))
        return named<MessageSlice>(kind, localized("Not Editing"),
                                   localized("Tap the document to place the cursor, then choose again."));
    if (std::strstr(kind, "Insert") || is(kind, "DKSpecialDataAndCharsInspectorSlice"))
        return insertSlice(kind);
    if (std::strstr(kind, "Header") || std::strstr(kind, "Footer"))
        return headerFooterSlice(kind, pane);
    if (std::strstr(kind, "Margin"))
        return marginSlice(kind);
    if (is(kind, "DKDocumentPageSizeInspectorSlice")) {
        return named<ChoiceSlice>(kind, localized("Page Size"),
                                  ChoiceSlice::Choices{utf16(paperSizeNames()),
                                                       [this] { return toUtf16(m_defaults.stringForKey("defaultPageSize").value_or("Letter")); },
                                                       [this](std::size_t index) {
                                                           (void)TextStyleDefaults(m_defaults).setDefaultPageSize(paperSizeNames()[index]);
                                                           dirty();
                                                       }});
    }
    return pageSpacingSlice(kind);
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::colourSlice(const InspectorSliceSpec& spec, InspectorPane pane)
{
    using Colour = InspectorSliceSpec::Colour;
    ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
    std::u16string label = localized(spec.label);
    if (pane == InspectorPane::HeaderFooter || pane == InspectorPane::Footer) {
        auto part = pane == InspectorPane::HeaderFooter ? HeaderFooterSetting::Part::Header : HeaderFooterSetting::Part::Footer;
        return named<ChoiceSlice>(spec.kind, label,
                                  ChoiceSlice::Choices{utf16(textColourNames()),
                                                       [this, part] { return toUtf16(HeaderFooterSetting(m_defaults, part).field(HeaderFooterSetting::Colour)); },
                                                       [this, part](std::size_t index) {
                                                           changeHeaderFooter(part, HeaderFooterSetting::Colour, textColourNames()[index]);
                                                       }});
    }
    const std::vector<std::string>& names = spec.colour == Colour::Paper ? paperColourNames() : textColourNames();
    Colour which = spec.colour;
    auto current = [&paragraphs, which]() -> std::u16string {
        std::optional<Color> colour = which == Colour::Foreground ? paragraphs.currentTextSelectionColor()
                                      : which == Colour::Background ? paragraphs.currentTextSelectionBackgroundColor()
                                                                    : paragraphs.currentDocumentBackgroundColor();
        return colour ? toUtf16(closestColorName(*colour).value_or("")) : std::u16string();
    };
    auto choose = [&paragraphs, &names, which](std::size_t index) {
        const std::string& name = names[index];
        if (which == Colour::Foreground)
            paragraphs.userSelectedTextColor(name);
        else if (which == Colour::Background)
            paragraphs.userSelectedBackgroundColor(name);
        else if (std::optional<Color> colour = colorWithHTMLName(std::string_view(name)))
            paragraphs.setCurrentBackgroundDocumentColor(*colour);
    };
    return named<ChoiceSlice>(spec.kind, label, ChoiceSlice::Choices{utf16(names), current, choose});
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::pageSpacingSlice(const char* kind)
{
    ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
    PageConnection& page = m_page;
    struct Spacing {
        const char* kind;
        const char* title;
        const char* readScript;
        double step, minimum, maximum;
        void (ParagraphStyleCommander::*apply)(double);
    };
    static const Spacing spacings[] = {
        {"DKParagraphLineSpacingInspectorSlice", "Line Spacing", "getCurrentLineSpacing();", 0.5, 0.5, 5.0,
         &ParagraphStyleCommander::setCurrenLineSpacing},
        {"DKParagraphSpacingInspectorSlice", "Paragraph Spacing", "getCurrentParagraphSpacing();", 2.0, 0.0, 72.0,
         &ParagraphStyleCommander::setCurrenParagraphSpacing},
        {"DKParagraphFirstLineIndentInspectorSlice", "First Line Indent", "getCurrentFirstLineIndent();", 0.25, 0.0, 10.0,
         &ParagraphStyleCommander::setCurrentFirstLineIndent},
    };
    if (is(kind, "DKParagraphIndentInspectorSlice")) {
        return named<StepperSlice>(kind, localized("Indent"),
                                   StepperSlice::Value{[this] { return toUtf16(std::to_string(m_tools.numberOfIndents())); },
                                                       [this] { m_tools.decreaseIndent(); dirty(); },
                                                       [this] { m_tools.increaseIndent(); dirty(); }});
    }
    for (const Spacing& spacing : spacings) {
        if (!is(kind, spacing.kind))
            continue;
        auto read = [&page, &spacing] { return static_cast<double>(floatValue(page.readString(spacing.readScript))); };
        auto stepBy = [read, &paragraphs, &spacing](double delta) {
            double value = std::clamp(read() + delta, spacing.minimum, spacing.maximum);
            (paragraphs.*spacing.apply)(value);
        };
        return named<StepperSlice>(kind, localized(spacing.title),
                                   StepperSlice::Value{[read] { return fixed(read()); },
                                                       [stepBy, &spacing] { stepBy(-spacing.step); },
                                                       [stepBy, &spacing] { stepBy(spacing.step); }});
    }
    return nullptr;
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::marginSlice(const char* kind)
{
    using Getter = const std::optional<std::string>& (TextDocument::*)() const;
    using Setter = void (TextDocument::*)(std::optional<std::string>);
    struct Margin {
        const char* kind;
        const char* title;
        Getter get;
        Setter set;
        long side;
    };
    static const Margin margins[] = {
        {"DKPageTopMarginSlice", "Top Margin", &TextDocument::docTopMargin, &TextDocument::setDocTopMargin, 2},
        {"DKPageBottomMarginSlice", "Bottom Margin", &TextDocument::docBottomMargin, &TextDocument::setDocBottomMargin, 3},
        {"DKPageLeftMarginSlice", "Left Margin", &TextDocument::docLeftMargin, &TextDocument::setDocLeftMargin, 0},
        {"DKPageRightMarginSlice", "Right Margin", &TextDocument::docRightMargin, &TextDocument::setDocRightMargin, 1},
    };
    constexpr long kRightSide = 1;
    constexpr double kCentimetresPerInch = 2.54;
    for (const Margin& margin : margins) {
        if (!is(kind, margin.kind))
            continue;
        // Centimetres, kept by the document as "%.2f" strings. The document's
        // right field is the right edge of the text column on a Letter-wide
        // sheet; the slice shows and steps the margin itself.
        auto read = [this, &margin] {
            TextDocument* document = m_host.document ? m_host.document() : nullptr;
            const std::optional<std::string>& value = document ? (document->*margin.get)() : std::nullopt;
            double stored = floatValue(value.value_or(TextDocument::kDefaultMargin));
            if (margin.side != kRightSide)
                return stored;
            return value ? RichTextMarginRuler::kSheetWidth - stored : stored;
        };
        auto stepBy = [this, read, &margin](double delta) {
            TextDocument* document = m_host.document ? m_host.document() : nullptr;
            if (!document)
                return;
            double centimetres = std::clamp(read() + delta, 0.0, 10.0);
            double value = margin.side == kRightSide ? RichTextMarginRuler::kSheetWidth - centimetres : centimetres;
            // Through the ruler, which holds the margins the page shows and
            // the document saves.
            if (m_styling.paperMarginChanged(margin.side, value / kCentimetresPerInch))
                return;
            (document->*margin.set)(formatInCLocale("%.2f", value));
            dirty();
        };
        return named<StepperSlice>(kind, localized(margin.title),
                                   StepperSlice::Value{[read] { return fixed(read()) + u" cm"; },
                                                       [stepBy] { stepBy(-kMarginStep); }, [stepBy] { stepBy(kMarginStep); }});
    }
    return nullptr;
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::headerFooterSlice(const char* kind, InspectorPane)
{
    auto part = std::strstr(kind, "Header") ? HeaderFooterSetting::Part::Header : HeaderFooterSetting::Part::Footer;
    if (is(kind, "DKFontHeaderFooterInspectorSlice") || is(kind, "DKFontFooterInspectorSlice")) {
        std::vector<std::string> families = Font::familyNames();
        return named<ChoiceSlice>(kind, localized("Font"),
                                  ChoiceSlice::Choices{utf16(families),
                                                       [this, part] { return toUtf16(HeaderFooterSetting(m_defaults, part).field(HeaderFooterSetting::Family)); },
                                                       [this, part, families](std::size_t index) {
                                                           changeHeaderFooter(part, HeaderFooterSetting::Family, families[index]);
                                                       }});
    }
    if (is(kind, "DKHeaderFooterStyleInspectorSlice") || is(kind, "DKFooterStyleInspectorSlice")) {
        std::vector<ButtonRowSlice::Item> items{
            {localized("Show"), [this, part] { changeHeaderFooter(part, HeaderFooterSetting::Enabled, "YES"); }},
            {localized("Hide"), [this, part] { changeHeaderFooter(part, HeaderFooterSetting::Enabled, "NO"); }},
        };
        for (const char* alignment : {"left", "center", "right"}) {
            std::string value = alignment;
            items.push_back({localized(value == "left" ? "Left" : value == "center" ? "Center" : "Right"), [this, part, value] {
                                 changeHeaderFooter(part, HeaderFooterSetting::Alignment, value);
                             }});
        }
        items.push_back({localized("Preview"), [this] {
                             if (m_host.showHeaderFooterPreview)
                                 m_host.showHeaderFooterPreview();
                         }});
        return named<ButtonRowSlice>(kind, localized(part == HeaderFooterSetting::Part::Header ? "Header" : "Footer"),
                                     std::move(items));
    }
    // The header's top margin or the footer's bottom margin, in centimetres.
    auto read = [this, part] { return static_cast<double>(floatValue(HeaderFooterSetting(m_defaults, part).field(HeaderFooterSetting::Margin))); };
    auto stepBy = [this, part, read](double delta) {
        changeHeaderFooter(part, HeaderFooterSetting::Margin, formatInCLocale("%.2f", std::clamp(read() + delta, 0.0, 5.0)));
    };
    return named<StepperSlice>(kind, localized(part == HeaderFooterSetting::Part::Header ? "Top Margin" : "Bottom Margin"),
                               StepperSlice::Value{[read] { return fixed(read()) + u" cm"; }, [stepBy] { stepBy(-0.1); },
                                                   [stepBy] { stepBy(0.1); }});
}

void RichTextSliceFactory::changeHeaderFooter(HeaderFooterSetting::Part part, HeaderFooterSetting::Field field,
                                              std::string value)
{
    HeaderFooterSetting(m_defaults, part).setField(field, std::move(value));
    // The page carries the setting in a hidden element, which saves,
    // exports and the preview take from it: it holds the new one at once.
    std::optional<std::string> setting = m_defaults.stringForKey(HeaderFooterSetting::key(part));
    bool header = part == HeaderFooterSetting::Part::Header;
    Result<std::string> element = header ? RichTextPageTemplate::headerElement(setting) : RichTextPageTemplate::footerElement(setting);
    if (!element) {
        TELog(TELogLevelError, "The page keeps its old header or footer: " + element.error().message);
        return;
    }
    m_page.send(PageScript::fill("var e=document.getElementById({});if(e)e.outerHTML={};",
                                 {header ? "pageHeader" : "pageFooter", *element}));
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::insertSlice(const char* kind)
{
    // The inserts run the editor's own insert commands, by name.
    auto call = [](const std::function<void()>& action) {
        return [action] {
            if (action)
                action();
        };
    };
    std::vector<ButtonRowSlice::Item> items;
    std::u16string title;
    if (is(kind, "DKInsertImageInspectorSlice")) {
        title = localized("Insert Image");
        items.push_back({title, call([this] {
                             if (m_host.imageOptionSelected)
                                 m_host.imageOptionSelected(0);
                         })});
    } else if (is(kind, "DKInsertPhotoInspectorSlice")) {
        title = localized("Take Photo");
        items.push_back({title, call([this] {
                             if (m_host.imageOptionSelected)
                                 m_host.imageOptionSelected(1);
                         })});
    } else if (is(kind, "DKSpecialDataAndCharsInspectorSlice")) {
        title = localized("Insert Markers/Symbols");
        items.push_back({title, call(m_host.showSpecialCharsMenu)});
    } else {
        title = localized("Header & Footer");
        items.push_back({title, call(m_host.showHeaderInspector)});
    }
    return named<ButtonRowSlice>(kind, title, std::move(items));
}

} // namespace folio
