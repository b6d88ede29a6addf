#include "tools/assistant/NoConnectionAlert.h"

#include "platform/ui/AlertController.h"
#include "tools/ToolsText.h"

namespace folio {

std::shared_ptr<AlertController> noConnectionAvailableAlert()
{
    auto alert = AlertController::make(localized("No Internet Connection"),
                                       localized("This needs an Internet connection. Please connect and try again."));
    alert->addAction(AlertAction::make(localized("OK"), AlertActionStyle::Default));
    return alert;
}

} // namespace folio
