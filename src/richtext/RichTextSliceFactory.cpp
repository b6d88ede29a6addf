#include "richtext/RichTextSliceFactory.h"

#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "richtext/HeaderFooterSetting.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextPageTemplate.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextToolCommands.h"
#include "richtext/StyleMenuCommander.h"
#include "webeditor/ToolCommandTables.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/textstyle/FontChoice.h"
#include "tools/textstyle/TextStyleLists.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/InspectorSliceHelpers.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/TextEditorSlices.h"

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
        StyleToolbar& bar = m_styling.toolbar();
        ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
        return fontFamilySlice(
            kind, [&bar] { return bar.styleFontName->titleForState(ControlState::Normal); },
            [&paragraphs, &characters](const std::string& family) {
                double size = intValue(characters.getTextValueCurrentFontSize());
                paragraphs.userSelectedFont(FontChoice{family, size});
            });
    }
    if (is(kind, "DKStyleInspectorSlice"))
        return styleSlice(kind, [this](long row) { m_styleMenu.otherStyleTextTask(row); });
    if (is(kind, "DKTextActionsInspectorSlice"))
        return textActionsSlice(kind, [this](long row) { m_tools.miscToolsPickerOptionSelected(row); });
    if (is(kind, "DKNotEditingInspectorSlice"))
        return notEditingSlice(kind);
    if (std::strstr(kind, "Insert") || is(kind, "DKSpecialDataAndCharsInspectorSlice"))
        return insertSlice(kind);
    if (std::strstr(kind, "Header") || std::strstr(kind, "Footer"))
        return headerFooterSlice(spec, pane);
    if (std::strstr(kind, "Margin"))
        return marginSlice(kind);
    if (is(kind, "DKDocumentPageSizeInspectorSlice"))
        return pageSizeSlice(kind, m_defaults, [this] { m_styling.paperSizeChanged(); });
    return pageSpacingSlice(kind);
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::colourSlice(const InspectorSliceSpec& spec, InspectorPane pane)
{
    using Colour = InspectorSliceSpec::Colour;
    ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
    std::u16string label = localized(spec.label);
    if (pane == InspectorPane::HeaderFooter || pane == InspectorPane::Footer)
        return headerFooterSlice(spec, pane);
    auto current = [&paragraphs](Colour which) -> std::u16string {
        std::optional<Color> colour = which == Colour::Foreground ? paragraphs.currentTextSelectionColor()
                                      : which == Colour::Background ? paragraphs.currentTextSelectionBackgroundColor()
                                                                    : paragraphs.currentDocumentBackgroundColor();
        return colour ? toUtf16(closestColorName(*colour).value_or("")) : std::u16string();
    };
    auto choose = [&paragraphs](Colour which, const std::string& name) {
        if (which == Colour::Foreground)
            paragraphs.userSelectedTextColor(name);
        else if (which == Colour::Background)
            paragraphs.userSelectedBackgroundColor(name);
        else if (std::optional<Color> colour = colorWithHTMLName(std::string_view(name)))
            paragraphs.setCurrentBackgroundDocumentColor(*colour);
    };
    return colourNameSlice(spec, current, choose);
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::pageSpacingSlice(const char* kind)
{
    ParagraphStyleCommander& paragraphs = m_styling.paragraphs();
    PageConnection& page = m_page;
    if (is(kind, "DKParagraphIndentInspectorSlice")) {
        return named<StepperSlice>(kind, localized("Indent"),
                                   StepperSlice::Value{[this] { return toUtf16(std::to_string(m_tools.numberOfIndents())); },
                                                       [this] { m_tools.decreaseIndent(); dirty(); },
                                                       [this] { m_tools.increaseIndent(); dirty(); }});
    }
    auto read = [&page](ParagraphSpacing which) {
        const char* script = which == ParagraphSpacing::Line        ? "getCurrentLineSpacing();"
                             : which == ParagraphSpacing::Paragraph ? "getCurrentParagraphSpacing();"
                                                                    : "getCurrentFirstLineIndent();";
        return static_cast<double>(floatValue(page.readString(script)));
    };
    auto apply = [&paragraphs](ParagraphSpacing which, double value) { applyParagraphSpacing(paragraphs, which, value); };
    return paragraphSpacingSlice(kind, read, apply);
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::marginSlice(const char* kind)
{
    constexpr double kCentimetresPerInch = 2.54;
    using Side = DocumentMargin::Side;
    // Centimetres, kept by the document as "%.2f" strings. The document's
    // right field is the right edge of the text column on a Letter-wide
    // sheet; the slice shows and steps the margin itself.
    auto shown = [](const DocumentMargin& margin, double stored, bool isStored) {
        return margin.side == Side::Right && isStored ? RichTextMarginRuler::kSheetWidth - stored : stored;
    };
    auto apply = [this](TextDocument& document, const DocumentMargin& margin, double centimetres) {
        double value = margin.side == Side::Right ? RichTextMarginRuler::kSheetWidth - centimetres : centimetres;
        // Through the ruler, which holds the margins the page shows and
        // the document saves.
        if (m_styling.paperMarginChanged(static_cast<long>(margin.side), value / kCentimetresPerInch))
            return;
        (document.*margin.set)(formatInCLocale("%.2f", value));
        dirty();
    };
    return documentMarginSlice(kind, m_host.document, shown, apply);
}

std::shared_ptr<DKInspectorSlice> RichTextSliceFactory::headerFooterSlice(const InspectorSliceSpec& spec, InspectorPane pane)
{
    auto part = pane == InspectorPane::HeaderFooter ? HeaderFooterSetting::Part::Header : HeaderFooterSetting::Part::Footer;
    auto field = [](HeaderFooterField which) { return static_cast<HeaderFooterSetting::Field>(which); };
    return inspector_slices::headerFooterSlice(
        spec, HeaderFooterFields{.header = part == HeaderFooterSetting::Part::Header,
                                 .read = [this, part, field](HeaderFooterField which) {
                                     return HeaderFooterSetting(m_defaults, part).field(field(which));
                                 },
                                 .write = [this, part, field](HeaderFooterField which, std::string value) {
                                     changeHeaderFooter(part, field(which), std::move(value));
                                 },
                                 .preview = [this] {
                                     if (m_host.showHeaderFooterPreview)
                                         m_host.showHeaderFooterPreview();
                                 }});
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
    // The file carries the header and footer: a change waits for no closing
    // of the panel to be saved.
    dirty();
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
    auto imageOption = [this](long option) {
        return [this, option] {
            if (m_host.imageOptionSelected)
                m_host.imageOptionSelected(option);
        };
    };
    if (is(kind, "DKInsertImageInspectorSlice"))
        return oneButtonSlice(kind, "Insert Image", imageOption(0));
    if (is(kind, "DKInsertPhotoInspectorSlice"))
        return oneButtonSlice(kind, "Take Photo", imageOption(1));
    if (is(kind, "DKSpecialDataAndCharsInspectorSlice"))
        return oneButtonSlice(kind, "Insert Markers/Symbols", call(m_host.showSpecialCharsMenu));
    return oneButtonSlice(kind, "Header & Footer", call(m_host.showHeaderInspector));
}

} // namespace folio
