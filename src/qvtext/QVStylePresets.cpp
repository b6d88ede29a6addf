#include "qvtext/QVStylePresets.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "platform/graphics/Font.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVStyleStore.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

std::u16string stylePresetText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

constexpr const char* kTransparentBackground = "tinymce.activeEditor.execCommand('backColor', false, 'transparent')";

std::string spacingScript(double points)
{
    return PageScript::fill(
        "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.selection.getNode(),'marginBottom', {});",
        {formatFixed(points, 6) + "pt"});
}

std::string lineHeightScript(double multiple)
{
    return PageScript::fill("tinymce.activeEditor.execCommand('LineHeight', false, {});", {formatFixed(multiple, 6)});
}

std::string indentScript(double centimetres)
{
    return PageScript::fill("tinymce.activeEditor.getBody().style.textIndent={};",
                            {formatFixed(centimetres, 2) + "cm"});
}

} // namespace

QVStylePresets::QVStylePresets(PageConnection& page, QVCharacterStyleCommander& characters, QVStyleStore& store,
                               Host host)
    : m_page(page)
    , m_characters(characters)
    , m_store(store)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void QVStylePresets::setDefaultStyle()
{
    if (!m_appliesDefaultStyle)
        return;
    QVStyleStore::Style style = m_store.defaultStyle();
    if (style.paragraphSpacing)
        m_page.send(spacingScript(*style.paragraphSpacing));
    m_page.send(kTransparentBackground);
    if (m_host.setPaperColor)
        m_host.setPaperColor(style.background);
    m_page.send(kTransparentBackground);

    // Each style still on comes off with its own toggle, so that the
    // selection ends plain and TinyMCE's undo holds every step.
    using Toggle = void (QVCharacterStyleCommander::*)();
    const std::pair<const char*, Toggle> states[] = {
        {"subscript", &QVCharacterStyleCommander::subscriptExecCommand},
        {"superscript", &QVCharacterStyleCommander::superscriptExecCommand},
        {"bold", &QVCharacterStyleCommander::boldExecCommand},
        {"italic", &QVCharacterStyleCommander::italicExecCommand},
        {"underline", &QVCharacterStyleCommander::underlineExecCommand},
        {"strikeThrough", &QVCharacterStyleCommander::strikeExecCommand},
    };
    for (const auto& [name, toggle] : states) {
        QVCharacterStyleCommander* characters = &m_characters;
        m_page.ask(std::string("tinymce.activeEditor.queryCommandState('") + name + "')",
                   [characters, toggle = toggle](const std::string& answer) {
                       if (answer == "true" || answer == "1")
                           (characters->*toggle)();
                   });
    }

    m_characters.changeFontSizeByPoints(style.size, false);
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('fontName', false, {})", {style.family}));
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('foreColor', false, {});", {style.color}));
    if (style.lineSpacing > 0)
        m_page.send(lineHeightScript(style.lineSpacing));
    if (style.firstLineIndent > 0)
        m_page.send(indentScript(style.firstLineIndent));
    m_host.documentIsDirty();
}

void QVStylePresets::setUserStyle(long n)
{
    std::optional<QVStyleStore::Style> style = m_store.userStyle(n);
    if (!style) {
        auto alert = AlertController::make(stylePresetText("Style Undefined"),
                                           stylePresetText("Please, set this text style (font, size and color) using the Text "
                                                     "Style menu located in the Font Name button."));
        alert->addAction(AlertAction::make(stylePresetText("Dismiss"), AlertActionStyle::Cancel));
        if (m_host.present)
            m_host.present(alert);
        return;
    }
    if (style->paragraphSpacing)
        m_page.send(spacingScript(*style->paragraphSpacing));
    if (style->lineSpacing != 0)
        m_page.send(lineHeightScript(style->lineSpacing));
    m_page.send(indentScript(style->firstLineIndent));
    m_characters.changeFontSizeByPoints(style->size, false);
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('fontName', false, {});"
                                 "tinymce.activeEditor.execCommand('foreColor', false, {});",
                                 {style->family, style->color}));
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('backColor', false, {});", {style->background}));
    m_host.documentIsDirty();
}

void QVStylePresets::setVelderDefaultSettings()
{
    std::string text = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')", "black");
    std::string paper = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('backColor')", "white");
    if (Status stored = m_store.setVelderDefaultSettings(text, paper); !stored)
        TELog(TELogLevelError, "The default style could not be stored: " + stored.error().message);
}

void QVStylePresets::setAsDefaultStyle(long n)
{
    if (!m_page.isConnected())
        return;
    QVStyleStore::CapturedStyle style;
    std::string family = QVStyleState::read(m_page).fontFamily;
    std::optional<Font> font = Font::fontWithName(family, 12);
    style.family = font ? font->postScriptName() : "Helvetica";
    style.size = m_characters.getBiggestRealFontSizeInPointsFromSelection();
    style.color = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')", "black");
    style.background = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('backColor')", "transparent");
    style.paperColor = m_page.readString("tinymce.activeEditor.getBody().style.backgroundColor", "white");
    style.lineSpacing = m_page.readDouble("tinymce.activeEditor.queryCommandValue('lineHeight')", 0);
    style.paragraphSpacing = m_page.readDouble("tinymce.activeEditor.selection.getNode().style.marginBottom", 0);
    style.firstLineIndent = m_page.readDouble("tinymce.activeEditor.getBody().style.textIndent", 0);
    if (n == 0) {
        const char* sides[] = {"marginLeft", "marginRight", "marginTop", "marginBottom"};
        for (int side = 0; side < 4; ++side)
            style.margins[side] =
                m_page.readDouble(std::string("tinymce.activeEditor.getBody().style.") + sides[side], 0);
    }
    if (Status stored = m_store.storeCapturedStyle(n, style); !stored)
        TELog(TELogLevelError, "The style could not be stored: " + stored.error().message);
}

} // namespace folio
