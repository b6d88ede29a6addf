#pragma once

#include "platform/graphics/Geometry.h"

#include <string>

namespace folio {

class NotificationCenter;
class Responder;

inline const std::string kKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
inline const std::string kKeyboardDidShowNotification = "UIKeyboardDidShowNotification";
inline const std::string kKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
inline const std::string kKeyboardDidHideNotification = "UIKeyboardDidHideNotification";
inline const std::string kKeyboardWillChangeFrameNotification = "UIKeyboardWillChangeFrameNotification";
inline const std::string kKeyboardDidChangeFrameNotification = "UIKeyboardDidChangeFrameNotification";
inline const std::string kTextInputCurrentInputModeDidChangeNotification = "UITextInputCurrentInputModeDidChangeNotification";

// User-info keys of the keyboard notifications: frames are Rect values in
// screen coordinates, the duration a double in seconds.
inline const std::string kKeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
inline const std::string kKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";
inline const std::string kKeyboardAnimationDurationUserInfoKey = "UIKeyboardAnimationDurationUserInfoKey";

// The on-screen keyboard, the hardware keyboard and the input language. On
// Linux the keyboard is always a hardware one; the on-screen keyboard's
// notifications are still posted when text editing starts and ends, because
// the editors lay themselves out on them.
class KeyboardService {
public:
    explicit KeyboardService(NotificationCenter& center);

    static KeyboardService& shared();

    // Will-show, will-change-frame, did-change-frame, did-show, each carrying
    // the old and the new frame.
    void showKeyboard(Rect endFrame, double duration = 0.25);
    // The keyboard slides below the screen: the end frame keeps its size but
    // starts at the old frame's bottom.
    void hideKeyboard(double duration = 0.25);
    // A resize while shown (another accessory bar, a split keyboard).
    void changeKeyboardFrame(Rect endFrame, double duration = 0.25);
    bool isKeyboardVisible() const { return m_visible; }
    Rect keyboardFrame() const { return m_frame; }

    bool isHardwareKeyboardConnected() const { return m_hardwareKeyboard; }
    void setHardwareKeyboardConnected(bool connected) { m_hardwareKeyboard = connected; }

    // The primary language of the current input mode, a BCP 47 tag ("en-US").
    const std::string& inputLanguage() const { return m_inputLanguage; }
    // Posts the input-mode notification when the language changes.
    void setInputLanguage(std::string language);

    // A key press from the hardware keyboard: the key commands of the
    // responder chain are tried from `responder` (the first responder when
    // null) outwards; the first enabled match runs. Answers whether one ran.
    bool handleKeyPress(const std::string& input, unsigned modifierFlags, Responder* responder = nullptr);

private:
    void post(const std::string& name, Rect begin, Rect end, double duration);

    NotificationCenter& m_center;
    bool m_visible = false;
    Rect m_frame;
    bool m_hardwareKeyboard = true;
    std::string m_inputLanguage = "en-US";
};

} // namespace folio
