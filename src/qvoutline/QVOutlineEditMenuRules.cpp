#include "qvoutline/QVOutlineEditMenuRules.h"

#include <string_view>

namespace folio {

namespace {

bool isOneOf(const std::string& action, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names) {
        if (action == name)
            return true;
    }
    return false;
}

} // namespace

bool QVOutlineEditMenuRules::canPerformAction(const std::string& action) const
{
    if (isOneOf(action, {"wisperantActionFromContextualMenu:", "highlightYellowTextSelection:"}))
        return !ask(m_state.isEditing);
    if (action == "speakSelectedText:")
        return ask(m_state.voiceExists) && !ask(m_state.isEditing);
    if (ask(m_state.isSpeaking))
        return isOneOf(action, {"cancelSpeak:", "pauseSpeak:", "resumeSpeak:"});
    if (isOneOf(action, {"boldExecCommand:", "italicExecCommand:"}))
        return textEditorAnswer(action);
    if (action == "pasteRichText:")
        return true;
    if (ask(m_state.isAnnotationShown))
        return false;
    if (ask(m_state.isCropping))
        return isOneOf(action, {"executeCropImage:", "removeResizableView"});
    if (!ask(m_state.hasSelectedImage))
        return textEditorAnswer(action);
    if (action == "editImage:")
        return ask(m_state.selectedImageIsSketch);
    if (isOneOf(action, {"cropImage:", "borderImage:"}))
        return !ask(m_state.selectedImageIsSketch);
    return isOneOf(action, {"copyImage:", "deleteImage:", "leftImage:", "rightImage:", "centerImage:", "replaceImage:",
                            "wrapLeftImage:", "wrapRightImage:", "wrapNoneImage:", "settingsImage:"});
}

} // namespace folio
