#include "qvtext/QVTextStyleCallbacks.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVStylePresets.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

QVTextStyleCallbacks::QVTextStyleCallbacks(PageConnection& page, QVCharacterStyleCommander& characters,
                                           QVStylePresets& presets, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_characters(characters)
    , m_presets(presets)
    , m_defaults(defaults)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

std::optional<Color> QVTextStyleCallbacks::currentTextSelectionColor()
{
    return colorWithHTMLName(m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')"));
}

std::optional<Color> QVTextStyleCallbacks::currentTextSelectionBackgroundColor()
{
    return colorWithHTMLName(m_page.readString("tinymce.activeEditor.selection.getNode().style.backgroundColor"));
}

std::optional<Color> QVTextStyleCallbacks::currentPaperColor()
{
    return colorWithHTMLName(m_page.readString("tinymce.activeEditor.getBody().style.backgroundColor"));
}

void QVTextStyleCallbacks::setCurrentTextSelectionColor(const std::string& colorName)
{
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('foreColor', false, {});", {colorName}));
    m_characters.setPendingFontColor(colorName);
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setCurrentTextSelectionBackgroundColor(const std::string& colorName)
{
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('backColor', false, {});", {colorName}));
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setCurrenLineSpacing(double multiple)
{
    m_characters.clearPendingFontColor();
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('LineHeight', false, {});", {formatFixed(multiple, 6)}));
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setCurrenParagraphSpacing(double points)
{
    m_characters.clearPendingFontColor();
    m_page.send(PageScript::fill(
        "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.selection.getNode(),'marginBottom', {});",
        {formatFixed(points, 6) + "pt"}));
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setCurrentFirstLineIndent(double centimetres)
{
    m_characters.clearPendingFontColor();
    m_page.send(PageScript::fill("tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.getBody(),'textIndent', {});",
                                 {formatFixed(centimetres, 6) + "cm"}));
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setCurrentParagraphIndent(long steps)
{
    m_page.send(steps < 1 ? "tinymce.activeEditor.execCommand('outdent',false,false);"
                          : "tinymce.activeEditor.execCommand('indent',false,false);");
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::setFont(const FontChoice& font)
{
    if (m_host.setFontTitle)
        m_host.setFontTitle(font.fontName);
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('fontName', false, {})", {font.fontName}));
}

void QVTextStyleCallbacks::textStylePickerViewControllerUserSelectedFont(TSTextStylePickerViewController&,
                                                                         const FontChoice& font)
{
    setFont(font);
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::textStylePickerViewControllerUserSelectedTextColor(TSTextStylePickerViewController& picker,
                                                                              const std::string& color)
{
    picker.setSelectedTextColour(color);
    setCurrentTextSelectionColor(color);
}

void QVTextStyleCallbacks::textStylePickerViewControllerUserSelectedBackgroundColor(TSTextStylePickerViewController&,
                                                                                    const std::string& color)
{
    setCurrentTextSelectionBackgroundColor(color);
}

void QVTextStyleCallbacks::textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&,
                                                                                        const FontChoice& font)
{
    // The size change marks the document; the font adds nothing to undo.
    m_characters.changeFontSizeByPoints(static_cast<int>(font.pointSize), false);
    setFont(font);
}

void QVTextStyleCallbacks::textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(
    TSTextStylePickerViewController&, double multiple)
{
    setCurrenLineSpacing(multiple);
}

void QVTextStyleCallbacks::textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(
    TSTextStylePickerViewController&, double points)
{
    setCurrenParagraphSpacing(points);
}

void QVTextStyleCallbacks::textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(
    TSTextStylePickerViewController&, double points)
{
    m_characters.clearPendingFontColor();
    // A number in the script is JavaScript's, whatever the user's locale.
    m_page.send(PageScript::fill("modifyParagraphSpacingBefore({});scrollToView();", {ScriptValue::fixed(points, 2)}));
    m_defaults.setFloat("marquentParagraphSpacingBefore", static_cast<float>(points));
    m_defaults.synchronize();
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(
    TSTextStylePickerViewController&, double centimetres)
{
    m_characters.clearPendingFontColor();
    m_page.send(PageScript::fill("modifyFirstLineIndent({});scrollToView();", {ScriptValue::fixed(centimetres, 2)}));
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::textStylePickerViewControllerSelectedDefaultStyle(TSTextStylePickerViewController&)
{
    m_presets.setDefaultStyle();
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(
    TSTextStylePickerViewController&, const FontChoice&, const std::string&)
{
    m_presets.setDefaultStyle();
    m_host.documentIsDirty();
}

void QVTextStyleCallbacks::textStylePickerViewControllerPaperSizeChanged(TSTextStylePickerViewController&)
{
    if (m_host.paperSizeChanged)
        m_host.paperSizeChanged();
}

void QVTextStyleCallbacks::installNewFontSelected()
{
    // Fonts are installed from the font list itself; nothing to do here.
}

void QVTextStyleCallbacks::textStylePickerViewControllerPaperMarginChanged(long side, double margin)
{
    if (m_host.paperMarginChanged)
        m_host.paperMarginChanged(side, margin);
}

} // namespace folio
