#pragma once

#include "platform/ui/PopoverPresentationControllerDelegate.h"
#include "tools/textstyle/TSTextStylePickerViewControllerDelegate.h"

#include <functional>

namespace folio {

class ParagraphStyleCommander;
class StylePresetCommander;

// Turns the text-style popover's choices into the editor's commands, and
// tells the editor when the user closed it.
class TextStylePickerBridge final : public TSTextStylePickerViewControllerDelegate, public PopoverPresentationControllerDelegate {
public:
    TextStylePickerBridge(ParagraphStyleCommander& paragraphs, StylePresetCommander& presets, std::function<void()> documentIsDirty,
                          std::function<void()> didDismiss = {});

    void popoverPresentationControllerDidDismissPopover(PopoverPresentationController&) override
    {
        if (m_didDismiss)
            m_didDismiss();
    }

    void textStylePickerViewControllerUserSelectedFont(TSTextStylePickerViewController&, const FontChoice& font) override;
    void textStylePickerViewControllerUserSelectedTextColor(TSTextStylePickerViewController& picker, const std::string& color) override;
    void textStylePickerViewControllerUserSelectedBackgroundColor(TSTextStylePickerViewController&, const std::string& color) override;
    void textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&, const FontChoice& font) override;
    void textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(TSTextStylePickerViewController&, double value) override;
    void textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(TSTextStylePickerViewController&,
                                                                                          double value) override;
    void textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(TSTextStylePickerViewController&,
                                                                                                      double value) override;
    // Paper size and margins belong to the editor's page set-up.
    void setPageSetupActions(std::function<void()> paperSizeChanged, std::function<void(long, double)> paperMarginChanged)
    {
        m_paperSizeChanged = std::move(paperSizeChanged);
        m_paperMarginChanged = std::move(paperMarginChanged);
    }
    void textStylePickerViewControllerPaperSizeChanged(TSTextStylePickerViewController&) override
    {
        if (m_paperSizeChanged)
            m_paperSizeChanged();
    }
    void installNewFontSelected() override {}
    void textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(TSTextStylePickerViewController&,
                                                                                        double value) override;
    void textStylePickerViewControllerSelectedDefaultStyle(TSTextStylePickerViewController&) override;
    void textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(TSTextStylePickerViewController&, const FontChoice&,
                                                                           const std::string&) override;
    void textStylePickerViewControllerPaperMarginChanged(long side, double inches) override
    {
        if (m_paperMarginChanged)
            m_paperMarginChanged(side, inches);
    }

private:
    ParagraphStyleCommander& m_paragraphs;
    StylePresetCommander& m_presets;
    std::function<void()> m_documentIsDirty;
    std::function<void()> m_didDismiss;
    std::function<void()> m_paperSizeChanged;
    std::function<void(long, double)> m_paperMarginChanged;
};

} // namespace folio
