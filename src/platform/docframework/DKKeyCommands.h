#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class KeyCommand;

// The hardware-keyboard commands the document controllers share, by
// category: "document-controller" for the web-page editors, "mdtext" for the
// Markdown editor. Each command names the controller action it stands for
// ("undoAction", "boldExecCommand:"); the controller binds the actions it
// has, and the combinations stay the same in every editor.
class DKKeyCommands {
public:
    static constexpr const char* kDocumentControllerCategory = "document-controller";
    static constexpr const char* kMarkdownTextCategory = "mdtext";

    using Actions = std::map<std::string, std::function<void()>>;

    struct Entry {
        const char* input;
        unsigned modifierFlags;
        const char16_t* title;
        const char* action;
    };

    DKKeyCommands() = delete;

    // What a category holds, in order; nothing for an unknown one.
    static const std::vector<Entry>& entriesForCategory(const std::string& category);

    // The commands of the categories, in order, each running the action bound
    // under its name; commands whose action is not bound are left out.
    static std::vector<std::shared_ptr<KeyCommand>> keyCommandsWithCategories(const std::vector<std::string>& categories,
                                                                            const Actions& actions);
};

} // namespace folio
