#pragma once

#include "tools/specialchars/InsertMenuController.h"
#include "tools/specialchars/SpecialCharsPickerDelegate.h"

#include <memory>

namespace folio {

// The insert menu of the Markdown editor's text view: two date rows, the
// current location and the nine character sets.
class MDSpecialCharsPickerController : public InsertMenuController {
public:
    using InsertMenuController::InsertMenuController;

    void setDelegate(std::weak_ptr<MDSpecialCharsPickerDelegate> delegate) { m_delegate = std::move(delegate); }

    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;
    bool sendToDelegate(const std::u16string& text) override;
    void closeForLocationLookup() override { dismissViewControllerAnimated(true); }
    bool showsLocationProgress() const override { return true; }

private:
    std::weak_ptr<MDSpecialCharsPickerDelegate> m_delegate;
};

} // namespace folio
