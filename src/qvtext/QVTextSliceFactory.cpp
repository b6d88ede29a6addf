#include "qvtext/QVTextSliceFactory.h"

#include "documents/TextDocument.h"
#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVTextStyling.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/inspectors/PaperColourSlice.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/InspectorSliceHelpers.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/TextEditorSlices.h"

#include <algorithm>
#include <cstring>

namespace folio {

using namespace inspector_slices;

namespace {

// The page answers with CSS colour text ("rgb(0, 0, 0)"); a person picks
// from, and reads, colour names. Text the page gives that is no colour is
// shown as it stands.
std::string nearestColourName(const std::string& css)
{
    std::optional<Color> colour = colorWithHTMLName(css);
    return colour ? closestColorName(*colour).value_or(css) : css;
}

} // namespace

QVTextSliceFactory::QVTextSliceFactory(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_styling(styling)
    , m_defaults(defaults)
    , m_host(std::move(host))
{
}

void QVTextSliceFactory::run(const std::string& command)
{
    if (m_host.run)
        m_host.run(command);
}

void QVTextSliceFactory::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::make(const InspectorSliceSpec& spec, InspectorPane pane)
{
    const char* kind = spec.kind;
    QVCharacterStyleCommander& characters = m_styling.characters();
    if (pane == InspectorPane::HeaderFooter || pane == InspectorPane::Footer)
        return headerFooterSlice(spec, pane == InspectorPane::HeaderFooter);
    if (is(kind, "DocumentContentsZoomInspectorSlice"))
        return named<DocumentContentsZoomInspectorSlice>(kind);
    if (is(kind, "DKTextColorAttributeInspectorSlice"))
        return colourSlice(spec, pane);
    if (is(kind, "DKFontAttributesInspectorSlice"))
        return fontStyleSlice(kind, characters);
    if (is(kind, "DKParagraphStyleInspectorSlice"))
        return alignmentSlice(kind, [this](long row) { m_styling.alignSelected(row); });
    if (is(kind, "DKFontInspectorSlice")) {
        return fontFamilySlice(
            kind, [this] { return toUtf16(QVStyleState::read(m_page).fontFamily); },
            [this](const std::string& family) {
                m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('FontName', false, {});", {family}));
                dirty();
            });
    }
    if (is(kind, "DKStyleInspectorSlice"))
        return styleSlice(kind, [this](long row) { m_styling.optionSelected(row); });
    if (is(kind, "DKTextActionsInspectorSlice")) {
        return textActionsSlice(kind, [this](long row) {
            if (m_host.miscToolsOption)
                m_host.miscToolsOption(row);
        });
    }
    if (is(kind, "DKNotEditingInspectorSlice"))
        return notEditingSlice(kind);
    if (is(kind, "DKInsertImageInspectorSlice"))
        return commandSlice(kind, "Insert Image", "insertImageOption");
    if (is(kind, "DKInsertPhotoInspectorSlice"))
        return commandSlice(kind, "Take Photo", "takePhotoOption");
    if (is(kind, "DKSpecialDataAndCharsInspectorSlice"))
        return specialDataSlice(kind);
    if (is(kind, "DKInsertHeaderInspectorSlice"))
        return commandSlice(kind, "Header & Footer", "showHeaderInspector");
    if (is(kind, "DKDocumentPageSizeInspectorSlice")) {
        return pageSizeSlice(kind, m_defaults, [this] {
            run("paperSizeChanged");
            dirty();
        });
    }
    if (std::strstr(kind, "Margin") && !std::strstr(kind, "Header") && !std::strstr(kind, "Footer"))
        return marginSlice(kind);
    return spacingSlice(kind);
}

namespace {

// What each field is on the page's hidden header or footer element.
const char* const kElementFieldScripts[] = {
    "e.style.fontFamily.replace(/[\"']/g,'')", "e.style.fontSize", "e.style.textAlign", "e.style.color",
    "e.getAttribute(m)", "e.getAttribute('data-enabled')", "e.textContent",
};
const char* const kElementFieldSetters[] = {
    "e.style.fontFamily=v;", "e.style.fontSize=v;", "e.style.textAlign=v;", "e.style.color=v;",
    "e.setAttribute(m,v);", "e.setAttribute('data-enabled',v);", "e.textContent=v;",
};

} // namespace

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::headerFooterSlice(const InspectorSliceSpec& spec, bool header)
{
    // The header and footer live in the page, as the hidden element the
    // header inspector put there: the file keeps them with the text, and
    // the PDF is printed from them.
    std::string prefix = std::string("(function(){var d=tinymce.activeEditor.getDoc();var e=d.getElementById('")
                         + (header ? "pageHeader" : "pageFooter") + "');var m='"
                         + (header ? "data-topMargin" : "data-bottomMargin") + "';";
    auto read = [this, prefix](HeaderFooterField field) -> std::string {
        std::string value = m_page.readString(prefix + "return e?String(" + kElementFieldScripts[static_cast<int>(field)]
                                              + "):'';})()");
        return field != HeaderFooterField::Colour || value.empty() ? value : nearestColourName(value);
    };
    auto write = [this, prefix, header](HeaderFooterField field, std::string value) {
        // A shown header stands before the text and a shown footer after
        // it, where the page shows them.
        std::string place = header ? "if(v==='YES')e.parentNode.insertBefore(e,e.parentNode.firstChild);"
                                   : "if(v==='YES')e.parentNode.appendChild(e);";
        m_page.send(PageScript::fill(prefix + "var v={};if(!e)return;" + kElementFieldSetters[static_cast<int>(field)]
                                         + (field == HeaderFooterField::Enabled ? place : "") + "})();",
                                     {value}));
        dirty();
    };
    return inspector_slices::headerFooterSlice(spec, HeaderFooterFields{.header = header,
                                                                        .read = read,
                                                                        .write = write,
                                                                        .preview = [this] { run("showHeaderFooterPreview"); }});
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::commandSlice(const char* kind, const char* title, const char* command)
{
    std::string name = command;
    return oneButtonSlice(kind, title, [this, name] { run(name); });
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::specialDataSlice(const char* kind)
{
    // The QV editors' symbols menu holds the character sets only: the marks
    // that carry text of their own are inserted from here, under the titles
    // the rich-text editor's insert menu gives them.
    const std::pair<const char*, const char*> rows[] = {
        {"Symbols", "showSpecialCharsMenu"},
        {"[1] Footnote", "insertFootnoteOption"},
        {"\U0001F4AC Comment", "insertCommentOption"},
        {"[-] Footnote List", "insertFootnoteTableOption"},
    };
    std::vector<ButtonRowSlice::Item> items;
    for (const auto& [title, command] : rows) {
        std::string name = command;
        items.push_back({localized(title), [this, name] { run(name); }});
    }
    return named<ButtonRowSlice>(kind, localized("Insert"), std::move(items));
}

// The page holds its paper as CSS colour text ("rgb(...)" once set, nothing
// on a white page).
std::string QVTextSliceFactory::paperColourName()
{
    std::string shown = m_page.readString("tinymce.activeEditor.getBody().style.backgroundColor");
    return nearestColourName(shown.empty() ? std::string("white") : shown);
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::colourSlice(const InspectorSliceSpec& spec, InspectorPane)
{
    if (spec.colour == ColourTarget::Paper) {
        auto current = [this] { return paperColourName(); };
        auto choose = [this](const std::string& name) {
            if (m_host.setPaperColor)
                m_host.setPaperColor(name);
        };
        return named<PaperColourSlice>(spec.kind, localized(spec.label), PaperColourSlice::Colour{current, choose});
    }
    auto current = [this](ColourTarget which) -> std::u16string {
        if (which == ColourTarget::Paper)
            return toUtf16(paperColourName());
        std::string shown = m_page.readString(which == ColourTarget::Foreground
                                                  ? "tinymce.activeEditor.getDoc().queryCommandValue('foreColor')"
                                                  : "tinymce.activeEditor.getDoc().queryCommandValue('backColor')");
        // Text with no background of its own shows the paper behind it.
        std::optional<Color> colour = colorWithHTMLName(shown);
        if (which == ColourTarget::Background && colour && colour->alpha() == 0)
            return toUtf16(paperColourName());
        return toUtf16(nearestColourName(shown));
    };
    auto choose = [this](ColourTarget which, const std::string& name) {
        QVTextStyleCallbacks& callbacks = m_styling.textStyleCallbacks();
        if (which == ColourTarget::Foreground)
            callbacks.setCurrentTextSelectionColor(name);
        else if (which == ColourTarget::Background)
            callbacks.setCurrentTextSelectionBackgroundColor(name);
        else if (m_host.setPaperColor)
            m_host.setPaperColor(name);
    };
    return colourNameSlice(spec, current, choose);
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::spacingSlice(const char* kind)
{
    QVTextStyleCallbacks& callbacks = m_styling.textStyleCallbacks();
    if (is(kind, "DKParagraphIndentInspectorSlice")) {
        return named<StepperSlice>(kind, localized("Indent"),
                                   StepperSlice::Value{[this] { return toUtf16(std::to_string(m_indentSteps)); },
                                                       [this, &callbacks] {
                                                           m_indentSteps = std::max(0L, m_indentSteps - 1);
                                                           callbacks.setCurrentParagraphIndent(0);
                                                       },
                                                       [this, &callbacks] {
                                                           m_indentSteps = std::min(16L, m_indentSteps + 1);
                                                           callbacks.setCurrentParagraphIndent(1);
                                                       }});
    }
    // The page does not report its spacings: the slices show and step the
    // ones last chosen here.
    auto stored = [this](ParagraphSpacing which) -> double& {
        return which == ParagraphSpacing::Line        ? m_lineSpacing
               : which == ParagraphSpacing::Paragraph ? m_paragraphSpacing
                                                      : m_firstLineIndent;
    };
    return paragraphSpacingSlice(
        kind, [stored](ParagraphSpacing which) { return stored(which); },
        [stored, &callbacks](ParagraphSpacing which, double value) {
            stored(which) = value;
            applyParagraphSpacing(callbacks, which, value);
        });
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::marginSlice(const char* kind)
{
    using Side = DocumentMargin::Side;
    // The document keeps the right margin as the ruler's upper handle, not
    // as the margin's width: the left and right slices show and step the
    // margins the page has, through the ruler, which the save copies.
    auto besideTheText = [](const DocumentMargin& margin) {
        return margin.side == Side::Left || margin.side == Side::Right;
    };
    auto shown = [this, besideTheText](const DocumentMargin& margin, double stored, bool) {
        return besideTheText(margin) && m_host.pageMargin ? m_host.pageMargin(static_cast<long>(margin.side)) : stored;
    };
    return documentMarginSlice(
        kind, m_host.document, shown,
        [this, besideTheText](TextDocument& document, const DocumentMargin& margin, double centimetres) {
            if (!besideTheText(margin))
                (document.*margin.set)(formatInCLocale("%.2f", centimetres));
            if (m_host.setPageMargin)
                m_host.setPageMargin(static_cast<long>(margin.side), centimetres);
            dirty();
        });
}

} // namespace folio
