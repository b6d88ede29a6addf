#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace folio {

class ReadAloudController;
class RichTextReadAloud;
class RichTextViewModes;
class PageModeLayout;
class RichTextWordCounter;
class RichTextWritingTools;
class TypewriterMode;
class UserDefaults;

// The rich-text editor's reading aids as one part it owns: the view modes,
// the word counter, typewriter mode, reading aloud and the writing-tool
// entries. The tools menus reach them by the command names they register.
struct RichTextViewingTools {
    std::unique_ptr<RichTextViewModes> modes;
    std::unique_ptr<RichTextWordCounter> wordCounter;
    std::unique_ptr<TypewriterMode> typewriter;
    // How full screen and typewriter mode show in the window.
    std::unique_ptr<PageModeLayout> modeLayout;
    std::unique_ptr<ReadAloudController> speech;
    std::unique_ptr<RichTextReadAloud> readAloud;
    std::shared_ptr<RichTextWritingTools> writingTools;

    RichTextViewingTools();
    ~RichTextViewingTools();
    RichTextViewingTools(RichTextViewingTools&&) noexcept;
    RichTextViewingTools& operator=(RichTextViewingTools&&) noexcept;

    void registerCommands(std::map<std::string, std::function<void()>>& commands,
                          std::map<std::string, std::function<bool()>>& questions, UserDefaults& defaults);
    // After each key the page reports: the counter a moment later, a key sound.
    void keyDown(UserDefaults& defaults);
    // What a page that has just loaded takes again.
    void pageDidBecomeReady(UserDefaults& defaults);
    // What the editor's view starts with.
    void viewDidLoad(UserDefaults& defaults);
    // Edit-menu actions of these parts; answers whether it was one.
    bool performAction(const std::string& action);
    static bool respondsToAction(const std::string& action);
    void cancelPendingTasks();
};

} // namespace folio
