#pragma once

#include "platform/ui/AlertAction.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class TextField;

enum class AlertControllerStyle { ActionSheet, Alert };

// A modal question with titled answers. Picking an answer dismisses the
// alert first and then runs the answer's handler, so a handler may present
// something new from the same controller.
class AlertController : public ViewController {
public:
    AlertController(std::u16string title, std::u16string message, AlertControllerStyle style);
    static std::shared_ptr<AlertController> make(std::u16string title, std::u16string message,
                                                 AlertControllerStyle style = AlertControllerStyle::Alert);

    const std::u16string& message() const { return m_message; }
    void setMessage(std::u16string message) { m_message = std::move(message); }
    AlertControllerStyle preferredStyle() const { return m_style; }

    // Only one cancel action is allowed; a second is refused.
    bool addAction(const std::shared_ptr<AlertAction>& action);
    const std::vector<std::shared_ptr<AlertAction>>& actions() const { return m_actions; }
    std::shared_ptr<AlertAction> actionWithTitle(const std::u16string& title) const;
    // The action that the return key picks.
    void setPreferredAction(const std::shared_ptr<AlertAction>& action) { m_preferredAction = action; }
    std::shared_ptr<AlertAction> preferredAction() const { return m_preferredAction; }

    // Action sheets have no text fields; the request is refused there.
    bool addTextField(const std::function<void(TextField&)>& configure = {});
    const std::vector<std::shared_ptr<TextField>>& textFields() const { return m_textFields; }

    // A user's tap on the action of this title. Refused (false) when there is
    // no such action or it is disabled; otherwise dismisses and runs it.
    bool tapActionWithTitle(const std::u16string& title);
    bool tapAction(const std::shared_ptr<AlertAction>& action);

protected:
    void loadView() override;

private:
    std::u16string m_message;
    AlertControllerStyle m_style;
    std::vector<std::shared_ptr<AlertAction>> m_actions;
    std::shared_ptr<AlertAction> m_preferredAction;
    std::vector<std::shared_ptr<TextField>> m_textFields;
};

} // namespace folio
