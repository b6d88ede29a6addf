#include "platform/ui/KeyboardService.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/Responder.h"

namespace folio {

KeyboardService::KeyboardService(NotificationCenter& center) : m_center(center) {}

KeyboardService& KeyboardService::shared()
{
    static KeyboardService service(NotificationCenter::defaultCenter());
    return service;
}

void KeyboardService::post(const std::string& name, Rect begin, Rect end, double duration)
{
    UserInfo info;
    info.set(kKeyboardFrameBeginUserInfoKey, begin);
    info.set(kKeyboardFrameEndUserInfoKey, end);
    info.set(kKeyboardAnimationDurationUserInfoKey, duration);
    m_center.postNotification(name, this, std::move(info));
}

void KeyboardService::showKeyboard(Rect endFrame, double duration)
{
    if (m_visible) {
        changeKeyboardFrame(endFrame, duration);
        return;
    }
    // It rises from below where it will rest.
    Rect begin{{endFrame.origin.x, endFrame.maxY()}, endFrame.size};
    post(kKeyboardWillShowNotification, begin, endFrame, duration);
    post(kKeyboardWillChangeFrameNotification, begin, endFrame, duration);
    m_visible = true;
    m_frame = endFrame;
    post(kKeyboardDidChangeFrameNotification, begin, endFrame, duration);
    post(kKeyboardDidShowNotification, begin, endFrame, duration);
}

void KeyboardService::hideKeyboard(double duration)
{
    if (!m_visible)
        return;
    Rect begin = m_frame;
    Rect end{{begin.origin.x, begin.maxY()}, begin.size};
    post(kKeyboardWillHideNotification, begin, end, duration);
    post(kKeyboardWillChangeFrameNotification, begin, end, duration);
    m_visible = false;
    m_frame = end;
    post(kKeyboardDidChangeFrameNotification, begin, end, duration);
    post(kKeyboardDidHideNotification, begin, end, duration);
}

void KeyboardService::changeKeyboardFrame(Rect endFrame, double duration)
{
    if (!m_visible) {
        showKeyboard(endFrame, duration);
        return;
    }
    if (endFrame == m_frame)
        return;
    Rect begin = m_frame;
    post(kKeyboardWillChangeFrameNotification, begin, endFrame, duration);
    m_frame = endFrame;
    post(kKeyboardDidChangeFrameNotification, begin, endFrame, duration);
}

void KeyboardService::setInputLanguage(std::string language)
{
    if (language == m_inputLanguage)
        return;
    m_inputLanguage = std::move(language);
    m_center.postNotification(kTextInputCurrentInputModeDidChangeNotification, this);
}

bool KeyboardService::handleKeyPress(const std::string& input, unsigned modifierFlags, Responder* responder)
{
    if (!responder)
        responder = Responder::currentFirstResponder();
    for (Responder* current = responder; current; current = current->nextResponder()) {
        for (const auto& command : current->keyCommands()) {
            if (command && !command->isDisabled() && command->matches(input, modifierFlags))
                return command->perform();
        }
    }
    return false;
}

} // namespace folio
