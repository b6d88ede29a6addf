#include "platform/docframework/DKKeyCommands.h"

#include "platform/ui/KeyCommand.h"

namespace folio {

const std::vector<DKKeyCommands::Entry>& DKKeyCommands::entriesForCategory(const std::string& category)
{
    static const std::vector<Entry> documentController{
        {"z", KeyModifierCommand, u"Undo", "undoAction"},
        {"z", KeyModifierCommand | KeyModifierShift, u"Redo", "redoAction"},
        {"b", KeyModifierCommand, u"Bold", "boldExecCommand:"},
        {"i", KeyModifierCommand, u"Italic", "italicExecCommand:"},
        {"u", KeyModifierCommand, u"Underline", "underlineExecCommand"},
        {"f", KeyModifierCommand, u"Find", "showFindOnPage"},
        // The brackets, as in desktop word processors: "=", "-" and "0" are the
        // QV editors' zoom keys.
        {"]", KeyModifierCommand, u"Bigger", "increaseFontSizeKcommand:"},
        {"[", KeyModifierCommand, u"Smaller", "decreaseFontSizeKcommand:"},
    };
    static const std::vector<Entry> markdownText{
        {"z", KeyModifierCommand, u"Undo", "undoAction"},
        {"z", KeyModifierCommand | KeyModifierShift, u"Redo", "redoAction"},
        {"f", KeyModifierCommand, u"Find & Replace", "showSearchTextMode"},
    };
    static const std::vector<Entry> none;
    if (category == kDocumentControllerCategory)
        return documentController;
    if (category == kMarkdownTextCategory)
        return markdownText;
    return none;
}

std::vector<std::shared_ptr<KeyCommand>> DKKeyCommands::keyCommandsWithCategories(const std::vector<std::string>& categories,
                                                                                 const Actions& actions)
{
    std::vector<std::shared_ptr<KeyCommand>> commands;
    for (const std::string& category : categories) {
        for (const Entry& entry : entriesForCategory(category)) {
            auto bound = actions.find(entry.action);
            if (bound == actions.end() || !bound->second)
                continue;
            std::function<void()> action = bound->second;
            auto command = KeyCommand::make(entry.input, entry.modifierFlags, entry.title,
                                            [action](KeyCommand&) { action(); });
            command->setWantsPriorityOverSystemBehavior(true);
            commands.push_back(std::move(command));
        }
    }
    return commands;
}

} // namespace folio
