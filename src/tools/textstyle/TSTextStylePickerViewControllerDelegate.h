#pragma once

#include "tools/textstyle/FontChoice.h"

#include <string>

namespace folio {

class TSTextStylePickerViewController;

// What the text-style popover tells the editor that shows it. Every message
// but the paper size, the font installation and the margin has a default
// that does nothing, so an editor answers only what it uses.
class TSTextStylePickerViewControllerDelegate {
public:
    virtual ~TSTextStylePickerViewControllerDelegate() = default;

    virtual void textStylePickerViewControllerUserSelectedFont(TSTextStylePickerViewController&, const FontChoice&) {}
    virtual void textStylePickerViewControllerUserSelectedTextColor(TSTextStylePickerViewController&, const std::string&) {}
    virtual void textStylePickerViewControllerUserSelectedBackgroundColor(TSTextStylePickerViewController&, const std::string&) {}
    virtual void textStylePickerViewControllerFontSizeChangedUserSelectedFont(TSTextStylePickerViewController&, const FontChoice&) {}
    virtual void textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(TSTextStylePickerViewController&, double) {}
    virtual void textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(TSTextStylePickerViewController&, double) {}
    virtual void textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(
        TSTextStylePickerViewController&, double)
    {
    }
    // The new size is in the store under "defaultPageSize".
    virtual void textStylePickerViewControllerPaperSizeChanged(TSTextStylePickerViewController&) = 0;
    virtual void installNewFontSelected() = 0;
    virtual void textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(TSTextStylePickerViewController&, double) {}
    // The default-style switch was turned off, or on.
    virtual void textStylePickerViewControllerSelectedCustomStyle(TSTextStylePickerViewController&) {}
    virtual void textStylePickerViewControllerSelectedDefaultStyle(TSTextStylePickerViewController&) {}
    // Part of the protocol for editors; the popover itself never sends it.
    virtual void textStylePickerViewControllerReplaceDefaultStyleWithFontTextColor(TSTextStylePickerViewController&,
                                                                                   const FontChoice&, const std::string&)
    {
    }
    virtual void textStylePickerViewControllerIsDone(TSTextStylePickerViewController&) {}
    // Side 0 left, 1 right, 2 top, 3 bottom; the margin in inches.
    virtual void textStylePickerViewControllerPaperMarginChanged(long side, double margin) = 0;
    // Part of the protocol; the popover itself never sends it.
    virtual void showiTunesFileBrowser() {}
};

} // namespace folio
