#pragma once

#include <functional>
#include <map>
#include <string>

namespace folio {

// The commands and questions of an editor's other parts, by name, as the
// editor hands them to a part it owns. A part may be asked for a command the
// editor does not have yet: it runs nothing but a note in the log, and a
// question without an answer is taken as no.
class EditorCommandsByName {
public:
    using Commands = std::map<std::string, std::function<void()>>;
    using Questions = std::map<std::string, std::function<bool()>>;

    // The editor's name as the log's note names it ("The rich-text editor").
    static void run(const Commands& commands, const std::string& command, const std::string& editorName);
    static bool ask(const Questions& questions, const std::string& question);
};

} // namespace folio
