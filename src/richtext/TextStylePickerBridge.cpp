#include "richtext/TextStylePickerBridge.h"

#include "richtext/ParagraphStyleCommander.h"
#include "richtext/StylePresetCommander.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"

namespace folio {

TextStylePickerBridge::TextStylePickerBridge(ParagraphStyleCommander& paragraphs, StylePresetCommander& presets,
                                             std::function<void()> documentIsDirty, std::function<void()> didDismiss)
    : m_paragraphs(paragraphs)
    , m_presets(presets)
    , m_documentIsDirty(std::move(documentIsDirty))
    , m_didDismiss(std::move(didDismiss))
{
}

void TextStylePickerBridge::textStylePickerViewControllerUserSelectedFont(TSTextStylePickerViewController&, const FontChoice& font)
{
    m_paragraphs.userSelectedFont(font);
}

void TextStylePickerBridge::textStylePickerViewControllerUserSelectedTextColor(TSTextStylePickerViewController& picker,
                                                                               const std::string& color)
{
    picker.setSelectedTextColour(color);
    m_paragraphs.userSelectedTextColor(color);
}

void TextStylePickerBridge::textStylePickerViewControllerUserSelectedBackgroundColor(TSTextStylePickerViewController&,
                                                                                     const std::string& color)
{
    m_paragraphs.userSelectedBackgroundColor(color);
}

void TextStylePickerBridge::textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&,
                                                                                         const FontChoice& font)
{
    m_paragraphs.fontSizeChanged(font);
}

void TextStylePickerBridge::textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(TSTextStylePickerViewController&,
                                                                                                   double value)
{
    m_paragraphs.lineSpacingChanged(value);
}

void TextStylePickerBridge::textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(
    TSTextStylePickerViewController&, double value)
{
    m_paragraphs.paragraphSpacingChanged(value);
}

void TextStylePickerBridge::textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(
    TSTextStylePickerViewController&, double value)
{
    m_paragraphs.paragraphSpacingBeforeChanged(value);
}

void TextStylePickerBridge::textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(
    TSTextStylePickerViewController&, double value)
{
    m_paragraphs.firstLineIndentChanged(value);
}

void TextStylePickerBridge::textStylePickerViewControllerSelectedDefaultStyle(TSTextStylePickerViewController&)
{
    m_presets.setDefaultStyle();
    m_documentIsDirty();
}

void TextStylePickerBridge::textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(TSTextStylePickerViewController&,
                                                                                              const FontChoice&, const std::string&)
{
    m_presets.setDefaultStyle();
    m_documentIsDirty();
}

} // namespace folio
