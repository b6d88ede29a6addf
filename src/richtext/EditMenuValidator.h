#pragma once

#include "platform/graphics/Font.h"

#include <functional>
#include <optional>
#include <string>

namespace folio {

// Which edit-menu commands the rich-text editor offers, decided in a fixed
// order: speech first, then the font rules for bold and italic, reading
// aloud, the commands that are always there, an open comment, the crop
// overlay and picture editing; anything else is the responder chain's.
class EditMenuValidator {
public:
    struct State {
        std::function<bool()> isSpeaking{};
        // The font the page reports for the selection, if it names one.
        std::function<std::optional<Font>()> selectionFont{};
        std::function<bool()> voiceExistsForKeyboardLanguage{};
        std::function<bool()> isAnnotationOpen{};
        std::function<bool()> isCropping{};
        std::function<bool()> isEditingImage{};
        // The answer of the responder chain beyond the editor.
        std::function<bool(const std::string& action)> superAnswer{};
    };

    explicit EditMenuValidator(State state) : m_state(std::move(state)) {}

    bool canPerformAction(const std::string& action) const;
    // Reading aloud is made after the menu's other parts.
    void setSpeechQuestions(std::function<bool()> isSpeaking, std::function<bool()> voiceExistsForKeyboardLanguage)
    {
        m_state.isSpeaking = std::move(isSpeaking);
        m_state.voiceExistsForKeyboardLanguage = std::move(voiceExistsForKeyboardLanguage);
    }

    static bool isImageCommand(const std::string& action);

private:
    static bool ask(const std::function<bool()>& question) { return question && question(); }

    State m_state;
};

} // namespace folio
