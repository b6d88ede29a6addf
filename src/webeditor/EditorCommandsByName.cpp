#include "webeditor/EditorCommandsByName.h"

#include "platform/foundation/Log.h"

namespace folio {

void EditorCommandsByName::run(const Commands& commands, const std::string& command, const std::string& editorName)
{
    auto found = commands.find(command);
    if (found == commands.end() || !found->second) {
        // NOTE: some commands belong to parts of the editor that are not there yet.
        TELog(TELogLevelInfo, editorName + " has no command " + command);
        return;
    }
    found->second();
}

bool EditorCommandsByName::ask(const Questions& questions, const std::string& question)
{
    auto found = questions.find(question);
    return found != questions.end() && found->second && found->second();
}

} // namespace folio
