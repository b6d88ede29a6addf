#include "richtext/StylePresetCommander.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "richtext/CharacterStyleCommander.h"
#include "webeditor/FontFaceRules.h"
#include "richtext/FontSizeRules.h"
#include "richtext/ParagraphStyleCommander.h"
#include "richtext/StyleToolbar.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

constexpr const char* kPresetFontNameScript = "document.queryCommandValue('fontName').replace(/'/g,'')";

std::u16string presetText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

// A spacing as the page takes it: two decimals in the C locale, so that a
// user's decimal comma never splits one argument into two.
ScriptValue spacingValue(double value)
{
    return ScriptValue::fixed(value, 2);
}

} // namespace

StylePresetCommander::StylePresetCommander(PageConnection& page, StyleToolbar& toolbar, CharacterStyleCommander& characters,
                                           ParagraphStyleCommander& paragraphs, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_toolbar(toolbar)
    , m_characters(characters)
    , m_paragraphs(paragraphs)
    , m_store(defaults)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void StylePresetCommander::sendSpacing(const char* function, double value)
{
    m_page.send(PageScript::fill(std::string(function) + "({});scrollToView();", {spacingValue(value)}));
}

void StylePresetCommander::setUserStyle(long n)
{
    std::optional<DefaultStyleStore::AppliedStyle> style = m_store.preset(n);
    if (!style) {
        auto alert = AlertController::make(presetText("Style Undefined"),
                                           presetText("Please, set this text style (font, size and color) using the Text "
                                                     "Style menu located in the Font Name button."));
        alert->addAction(AlertAction::make(presetText("Dismiss"), AlertActionStyle::Cancel));
        if (m_host.present)
            m_host.present(alert);
        return;
    }
    if (style->paragraphSpacing)
        sendSpacing("modifyParagraphSpacing", *style->paragraphSpacing);
    if (style->paragraphSpacingBefore)
        sendSpacing("modifyParagraphSpacingBefore", *style->paragraphSpacingBefore);
    if (style->lineSpacing != 0) {
        // A spacing stored from a page that reported its legacy marker is single spacing.
        std::string text = ScriptValue::fixed(style->lineSpacing, 2).source();
        m_page.send(PageScript::fill("modifyLineSpacing({});scrollToView();",
                                     {text == "500.00" ? ScriptValue(1) : spacingValue(style->lineSpacing)}));
    }
    m_page.send(PageScript::fill("modifyFirstLineIndent({});scrollToView();", {ScriptValue::fixed(style->firstLineIndent, 2)}));
    m_page.send(kCaretPlaceholderScript);
    m_characters.changeFontSizeByPoints(style->size, false);
    m_page.send(PageScript::fill("document.execCommand('fontName', false, {});document.execCommand('foreColor', false, {});",
                                 {style->font, style->color}));
    if (style->back)
        m_page.send(PageScript::fill("document.execCommand('backColor', false, {});", {*style->back}));
    m_host.documentIsDirty();
}

void StylePresetCommander::switchOffActiveStyles()
{
    struct Toggle {
        const char* state;
        void (CharacterStyleCommander::*toggle)();
    };
    const Toggle toggles[] = {
        {"document.queryCommandState('subscript')", &CharacterStyleCommander::subscriptExecCommand},
        {"document.queryCommandState('superscript')", &CharacterStyleCommander::superscriptExecCommand},
        {"document.queryCommandState('bold')", &CharacterStyleCommander::boldExecCommand},
        {"document.queryCommandState('italic')", &CharacterStyleCommander::italicExecCommand},
        {"document.queryCommandState('underline')", &CharacterStyleCommander::underlineExecCommand},
        {"document.queryCommandState('strikeThrough')", &CharacterStyleCommander::strikeExecCommand},
    };
    for (const Toggle& toggle : toggles) {
        if (m_page.readBool(toggle.state, false))
            (m_characters.*toggle.toggle)();
    }
}

void StylePresetCommander::setDefaultStyle()
{
    DefaultStyleStore::AppliedStyle style = m_store.defaultStyle();
    if (style.paragraphSpacing)
        sendSpacing("modifyParagraphSpacing", *style.paragraphSpacing);
    if (style.paragraphSpacingBefore)
        sendSpacing("modifyParagraphSpacingBefore", *style.paragraphSpacingBefore);
    m_page.send(kCaretPlaceholderScript);
    m_page.send("document.execCommand('backColor', false, 'transparent')");
    if (style.back && m_host.setPaperColor)
        m_host.setPaperColor(*style.back);
    m_page.send("document.execCommand('backColor', false, 'transparent')");
    switchOffActiveStyles();
    m_characters.changeFontSizeByPoints(style.size, false);
    m_page.send(PageScript::fill("document.execCommand('fontName', false, {})", {style.font}));
    m_page.send(PageScript::fill("document.execCommand('foreColor', false, {});", {style.color}));
    if (style.lineSpacing > 0)
        sendSpacing("modifyLineSpacing", style.lineSpacing);
    if (style.firstLineIndent > 0)
        m_page.send(PageScript::fill("modifyFirstLineIndent({});scrollToView();", {ScriptValue::fixed(style.firstLineIndent, 2)}));
    m_host.documentIsDirty();
}

void StylePresetCommander::removeStyle()
{
    m_page.send(kCaretPlaceholderScript);
    if (m_page.readBool("document.queryCommandState('insertUnorderedList')", false))
        m_page.send("document.execCommand('insertUnorderedList')");
    switchOffActiveStyles();
    // The page's own removeFormat, which keeps footnote and comment objects
    // that the editing command alone would not leave as they were.
    m_page.send("removeFormatKeepingNotes();");
    m_characters.changeFontSizeByPoints(12, false);
    m_page.send(PageScript::fill("document.execCommand('fontName', false, {})", {"Helvetica"}));
    m_page.send(PageScript::fill("document.execCommand('foreColor', false, {});", {"Black"}));
    long indents = m_host.numberOfIndents ? m_host.numberOfIndents() : 0;
    for (long i = 0; i < indents; ++i)
        m_page.send("document.execCommand('outdent')");
    m_page.send("document.execCommand('backColor', false, 'transparent')");
    m_page.send("modifyLineSpacing(1.00);scrollToView();");
    sendSpacing("modifyParagraphSpacing", 0);
    sendSpacing("modifyParagraphSpacingBefore", 0);
    m_host.documentIsDirty();
}

std::optional<TextStyleSettings> StylePresetCommander::caretStyle()
{
    // A page that does not answer leaves the stored style as it was rather
    // than replacing it with empty colours and zero spacing.
    std::optional<std::string> foreColor = m_page.read("document.queryCommandValue('foreColor')");
    std::optional<std::string> backColor = m_page.read("document.queryCommandValue('backColor')");
    std::optional<std::string> line = m_page.read("getCurrentLineSpacing();");
    std::optional<std::string> after = m_page.read("getCurrentParagraphSpacing();");
    std::optional<std::string> before = m_page.read("getCurrentParagraphSpacingBefore();");
    std::optional<std::string> indent = m_page.read("getCurrentFirstLineIndent();");
    if (!foreColor || !backColor || !line || !after || !before || !indent)
        return std::nullopt;
    TextStyleSettings style;
    style.textColour = *foreColor;
    style.backgroundColour = *backColor;
    style.lineSpacing = floatValue(*line);
    style.paragraphSpacing = floatValue(*after);
    style.paragraphSpacingBefore = floatValue(*before);
    style.firstLineIndent = floatValue(*indent);
    return style;
}

void StylePresetCommander::setAsDefaultStyle()
{
    std::optional<TextStyleSettings> style = caretStyle();
    if (!style)
        return;
    std::optional<Font> font = FontFaceRules::fontFromPageAnswer(toUtf8(m_toolbar.styleFontName->titleForState(ControlState::Normal)),
                                                                 FontFaceRules::Pieces::Whole);
    style->font.fontName = font ? font->postScriptName() : "Helvetica";
    style->font.pointSize = floatValue(m_characters.getTextValueCurrentFontSize());
    style->marginLeft = m_paragraphs.currentDocumentPageLeftMargin();
    style->marginRight = m_paragraphs.currentDocumentPageRightMargin();
    style->marginTop = m_paragraphs.currentDocumentPageTopMargin();
    style->marginBottom = m_paragraphs.currentDocumentPageBottomMargin();
    m_store.storeStyle(0, *style);
}

void StylePresetCommander::setAsDefaultStyle(long n)
{
    if (n < 1 || n > 3)
        return;
    std::optional<std::string> fontName = m_page.read(kPresetFontNameScript);
    std::optional<TextStyleSettings> style = fontName ? caretStyle() : std::nullopt;
    if (!style)
        return;
    std::optional<Font> font = FontFaceRules::fontFromPageAnswer(*fontName, FontFaceRules::Pieces::Whole);
    style->font.fontName = font ? font->postScriptName() : "Helvetica";
    style->font.pointSize = m_characters.getBiggestCurrentFontSizeInPointsFromSelection() - FontSizeRules::kFontSizeOffset;
    m_store.storeStyle(n, *style);
}

void StylePresetCommander::setVelderDefaultSettings()
{
    m_store.setVelderDefaultSettings(m_page.readString("document.queryCommandValue('foreColor')"),
                                     m_page.readString("document.queryCommandValue('backColor')"));
}

} // namespace folio
