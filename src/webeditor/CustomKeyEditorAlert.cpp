#include "webeditor/CustomKeyEditorAlert.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"

namespace folio {

std::shared_ptr<AlertController> makeCustomKeyEditorAlert(const Button& key,
                                                          std::function<void(long tag, const std::u16string& text)> confirmed,
                                                          std::function<void()> cancelled)
{
    auto localized = [](const char* text) { return toUtf16(Localization::localizedString(text)); };
    const long tag = key.tag();
    const std::u16string current = key.titleForState(ControlState::Normal);
    std::shared_ptr<AlertController> alert =
        AlertController::make(localized("Update custom button"), localized("Write or copy&paste the new character(s)"));
    alert->addTextField([&](TextField& field) {
        field.setText(current);
        field.setTag(tag);
    });
    alert->addAction(AlertAction::make(localized("Cancel"), AlertActionStyle::Cancel,
                                       [cancelled = std::move(cancelled)](AlertAction&) {
                                           if (cancelled)
                                               cancelled();
                                       }));
    std::weak_ptr<AlertController> weakAlert = alert;
    alert->addAction(AlertAction::make(localized("OK"), AlertActionStyle::Default,
                                       [weakAlert, tag, confirmed = std::move(confirmed)](AlertAction&) {
                                           std::shared_ptr<AlertController> shown = weakAlert.lock();
                                           if (shown && !shown->textFields().empty()) {
                                               const TextField& field = *shown->textFields().front();
                                               if (confirmed)
                                                   confirmed(field.tag(), field.text());
                                           } else if (confirmed) {
                                               confirmed(tag, std::u16string());
                                           }
                                       }));
    return alert;
}

void presentCustomKeyEditor(const Button& key, bool& displaying,
                            const std::function<void(std::shared_ptr<ViewController>)>& present,
                            std::function<void(long tag, const std::u16string& text)> confirmed)
{
    if (displaying)
        return;
    displaying = true;
    std::shared_ptr<AlertController> alert = makeCustomKeyEditorAlert(
        key,
        [&displaying, confirmed = std::move(confirmed)](long tag, const std::u16string& text) {
            confirmed(tag, text);
            displaying = false;
        },
        [&displaying] { displaying = false; });
    if (present)
        present(alert);
    else
        displaying = false;
}

} // namespace folio
