#pragma once

#include "tools/specialchars/InsertMenuController.h"
#include "tools/specialchars/SpecialCharsPickerDelegate.h"

#include <memory>

namespace folio {

// The insert menu of the web-view editors: for the rich-text editor its
// insert commands, two date rows and the location first, then the nine
// character sets; for the QV editors the character sets only.
class SpecialCharsPickerController : public InsertMenuController {
public:
    using InsertMenuController::InsertMenuController;

    void setDelegate(std::weak_ptr<SpecialCharsPickerDelegate> delegate) { m_delegate = std::move(delegate); }

    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;
    bool sendToDelegate(const std::u16string& text) override;
    void closeForLocationLookup() override;
    bool showsLocationProgress() const override { return false; }

private:
    std::weak_ptr<SpecialCharsPickerDelegate> m_delegate;
    bool m_offersCommands = false;
};

} // namespace folio
