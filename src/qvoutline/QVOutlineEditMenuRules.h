#pragma once

#include <functional>
#include <string>

namespace folio {

// Which edit-menu commands the outline editor offers. The assistant, the
// highlight and reading aloud come only while the page does not have the
// keyboard; speech controls while a voice speaks; then the QV text editor's
// rules for bold and italic, pasting, an open note and the crop overlay. A
// selected sketch can be edited but not cropped or framed, a photo the other
// way round. Anything else, and every picture command without a selected
// picture, is decided as in the QV text editor.
class QVOutlineEditMenuRules {
public:
    struct State {
        std::function<bool()> isEditing{};
        std::function<bool()> isSpeaking{};
        std::function<bool()> voiceExists{};
        std::function<bool()> isAnnotationShown{};
        std::function<bool()> isCropping{};
        std::function<bool()> hasSelectedImage{};
        // Whether the selected picture carries drawing data; asks the page.
        std::function<bool()> selectedImageIsSketch{};
        // The QV text editor's answer.
        std::function<bool(const std::string& action)> textEditorAnswer{};
    };

    explicit QVOutlineEditMenuRules(State state) : m_state(std::move(state)) {}

    bool canPerformAction(const std::string& action) const;

private:
    static bool ask(const std::function<bool()>& question) { return question && question(); }
    bool textEditorAnswer(const std::string& action) const
    {
        return m_state.textEditorAnswer && m_state.textEditorAnswer(action);
    }

    State m_state;
};

} // namespace folio
