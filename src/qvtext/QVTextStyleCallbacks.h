#pragma once

#include "platform/graphics/Color.h"
#include "tools/textstyle/TSTextStylePickerViewControllerDelegate.h"

#include <functional>
#include <optional>
#include <string>

namespace folio {

class PageConnection;
class QVCharacterStyleCommander;
class QVStylePresets;
class UserDefaults;

// The QV text editor's side of the text-style popover: each change becomes
// a TinyMCE script on the selection, and a colour chosen now is kept for the
// next size change. Paper size and margins go to the editor through the
// host.
class QVTextStyleCallbacks final : public TSTextStylePickerViewControllerDelegate {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // The font-name button's new title.
        std::function<void(const std::string& fontName)> setFontTitle{};
        std::function<void()> paperSizeChanged{};
        std::function<void(long side, double margin)> paperMarginChanged{};
    };

    QVTextStyleCallbacks(PageConnection& page, QVCharacterStyleCommander& characters, QVStylePresets& presets,
                         UserDefaults& defaults, Host host);

    // The style bar's font button takes the popover's font name once the bar
    // is on screen.
    void setFontTitleAction(std::function<void(const std::string& fontName)> setFontTitle)
    {
        m_host.setFontTitle = std::move(setFontTitle);
    }

    // The colours of the selection as the page tells them; none when the
    // answer names no colour. The paper is the editing body's background.
    std::optional<Color> currentTextSelectionColor();
    std::optional<Color> currentTextSelectionBackgroundColor();
    std::optional<Color> currentPaperColor();

    // The style accessors the popover callbacks share.
    void setCurrentTextSelectionColor(const std::string& colorName);
    void setCurrentTextSelectionBackgroundColor(const std::string& colorName);
    void setCurrenLineSpacing(double multiple);
    void setCurrenParagraphSpacing(double points);
    void setCurrentFirstLineIndent(double centimetres);
    // Below 1 outdents, else indents.
    void setCurrentParagraphIndent(long steps);

    // TSTextStylePickerViewControllerDelegate
    void textStylePickerViewControllerUserSelectedFont(TSTextStylePickerViewController&, const FontChoice& font) override;
    void textStylePickerViewControllerUserSelectedTextColor(TSTextStylePickerViewController& picker,
                                                            const std::string& color) override;
    void textStylePickerViewControllerUserSelectedBackgroundColor(TSTextStylePickerViewController&,
                                                                  const std::string& color) override;
    void textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&,
                                                                      const FontChoice& font) override;
    void textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(TSTextStylePickerViewController&,
                                                                                double multiple) override;
    void textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(TSTextStylePickerViewController&,
                                                                                          double points) override;
    void textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(
        TSTextStylePickerViewController&, double points) override;
    void textStylePickerViewControllerPaperSizeChanged(TSTextStylePickerViewController&) override;
    void installNewFontSelected() override;
    void textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(TSTextStylePickerViewController&,
                                                                                        double centimetres) override;
    void textStylePickerViewControllerSelectedDefaultStyle(TSTextStylePickerViewController&) override;
    void textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(TSTextStylePickerViewController&,
                                                                           const FontChoice&, const std::string&) override;
    void textStylePickerViewControllerPaperMarginChanged(long side, double margin) override;

private:
    void setFont(const FontChoice& font);

    PageConnection& m_page;
    QVCharacterStyleCommander& m_characters;
    QVStylePresets& m_presets;
    UserDefaults& m_defaults;
    Host m_host;
};

} // namespace folio
