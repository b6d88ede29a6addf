#include "richtext/EditMenuValidator.h"

#include "webeditor/FontFaceRules.h"

#include <array>
#include <string_view>

namespace folio {

namespace {

constexpr std::array<std::string_view, 12> kImageCommands = {
    "copyImage:",  "deleteImage:", "editImage:",     "cropImage:",      "borderImage:",   "leftImage:",
    "rightImage:", "centerImage:", "replaceImage:", "wrapLeftImage:", "wrapRightImage:", "wrapNoneImage:"};

} // namespace

bool EditMenuValidator::isImageCommand(const std::string& action)
{
    for (std::string_view command : kImageCommands) {
        if (action == command)
            return true;
    }
    return false;
}

bool EditMenuValidator::canPerformAction(const std::string& action) const
{
    if (ask(m_state.isSpeaking))
        return action == "cancelSpeak:" || action == "pauseSpeak:" || action == "resumeSpeak:";
    if (action == "boldExecCommand:" || action == "italicExecCommand:") {
        std::optional<Font> font = m_state.selectionFont ? m_state.selectionFont() : std::nullopt;
        if (!font)
            return false;
        return action == "boldExecCommand:" ? FontFaceRules::canBeBold(*font) : FontFaceRules::canBeItalic(*font);
    }
    if (action == "speakSelectedText:")
        return ask(m_state.voiceExistsForKeyboardLanguage);
    if (action == "highlightYellowTextSelection:" || action == "pasteRichText:")
        return true;
    if (ask(m_state.isAnnotationOpen))
        return false;
    if (ask(m_state.isCropping))
        return action == "executeCropImage:" || action == "removeImageEditing";
    if (isImageCommand(action) || ask(m_state.isEditingImage))
        return isImageCommand(action) && ask(m_state.isEditingImage);
    return m_state.superAnswer ? m_state.superAnswer(action) : false;
}

} // namespace folio
