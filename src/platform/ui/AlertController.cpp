#include "platform/ui/AlertController.h"

#include "platform/ui/Device.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace folio {

AlertController::AlertController(std::u16string title, std::u16string message, AlertControllerStyle style)
    : m_message(std::move(message)), m_style(style)
{
    setTitle(std::move(title));
    // On a tablet an action sheet is a popover and must be anchored.
    if (style == AlertControllerStyle::ActionSheet && Device::current().isPad())
        setModalPresentationStyle(ModalPresentationStyle::Popover);
    else
        setModalPresentationStyle(ModalPresentationStyle::OverFullScreen);
}

std::shared_ptr<AlertController> AlertController::make(std::u16string title, std::u16string message, AlertControllerStyle style)
{
    return std::make_shared<AlertController>(std::move(title), std::move(message), style);
}

bool AlertController::addAction(const std::shared_ptr<AlertAction>& action)
{
    if (!action)
        return false;
    if (action->style() == AlertActionStyle::Cancel &&
        std::any_of(m_actions.begin(), m_actions.end(), [](const auto& a) { return a->style() == AlertActionStyle::Cancel; }))
        return false;
    m_actions.push_back(action);
    return true;
}

std::shared_ptr<AlertAction> AlertController::actionWithTitle(const std::u16string& title) const
{
    auto it = std::find_if(m_actions.begin(), m_actions.end(), [&title](const auto& a) { return a->title() == title; });
    return it == m_actions.end() ? nullptr : *it;
}

bool AlertController::addTextField(const std::function<void(TextField&)>& configure)
{
    if (m_style != AlertControllerStyle::Alert)
        return false;
    auto field = std::make_shared<TextField>();
    if (configure)
        configure(*field);
    m_textFields.push_back(field);
    if (isViewLoaded())
        viewIfLoaded()->addSubview(field);
    return true;
}

bool AlertController::tapActionWithTitle(const std::u16string& title) { return tapAction(actionWithTitle(title)); }

bool AlertController::tapAction(const std::shared_ptr<AlertAction>& action)
{
    if (!action || !action->isEnabled() || std::find(m_actions.begin(), m_actions.end(), action) == m_actions.end())
        return false;
    // The handler usually drops the last reference to this alert.
    auto keep = weak_from_this().lock();
    if (presentingViewController())
        dismissViewControllerAnimated(true);
    action->runHandler();
    return true;
}

void AlertController::loadView()
{
    auto view = std::make_shared<View>(makeRect(0, 0, 270, 0));
    for (const auto& field : m_textFields)
        view->addSubview(field);
    setView(view);
}

} // namespace folio
