#include "tools/ToolPanelPresentation.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/UIThemes.h"

namespace folio {

Status presentToolPanel(ViewController& presenter, const std::shared_ptr<ViewController>& panel, std::u16string title,
                        std::function<void()> dismissPanel)
{
    auto navigation = NavigationController::withRootViewController(panel);
    navigation->setModalPresentationStyle(ModalPresentationStyle::FormSheet);
    const bool dark = UIThemes::isDarkTheme();
    navigation->setOverrideUserInterfaceStyle(dark ? UserInterfaceStyle::Dark : UserInterfaceStyle::Light);
    panel->setTitle(std::move(title));
    auto done = BarButtonItem::withTitle(toUtf16(Localization::localizedString("Done")),
                                         [dismissPanel = std::move(dismissPanel)](BarButtonItem&) {
                                             if (dismissPanel)
                                                 dismissPanel();
                                         });
    done->setStyle(BarButtonItemStyle::Done);
    panel->navigationItem()->setRightBarButtonItems({done});
    return presenter.presentViewController(navigation, true);
}

void applyToolPanelBarColors(ViewController& panel)
{
    if (NavigationController* navigation = panel.navigationController())
        navigation->setNavigationBarColors(
            {UIThemes::DKPickerTopToolBarBackgroundColor(), UIThemes::DKPickerNavigationBarTintColor()});
}

} // namespace folio
