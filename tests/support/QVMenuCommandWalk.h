#pragma once

#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "qvtext/QVTextInsertMenus.h"
#include "qvtext/QVTextTools.h"
#include "webeditor/EditorToolCommands.h"
#include "webeditor/ToolCommandTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio::test {

// Picks every row a person can pick in a QV editor's menus (the insert
// menus, the tools options, the editing and cursor commands, the image
// options) on the editor's real tools, and answers the names of the
// commands the rows asked for that the editor does not have: the editor
// only notes those in its log, and the row does nothing.
inline std::set<std::string> commandsTheMenusMiss(QVTextTools& tools, const std::function<void()>& settle)
{
    std::set<std::string> missing;
    constexpr std::string_view kMarker = " has no command ";
    setTELogHandler([&missing, kMarker](const TELogMessage& message) {
        if (std::size_t at = message.text.find(kMarker); at != std::string_view::npos)
            missing.emplace(message.text.substr(at + kMarker.size()));
    });
    int level = TECurrentLogLevel.exchange(TELogLevelDebug);
    auto pickEvery = [&](const std::shared_ptr<Menu>& menu) {
        ASSERT_TRUE(menu);
        for (const std::shared_ptr<MenuElement>& element : menu->children()) {
            if (auto action = std::dynamic_pointer_cast<Action>(element)) {
                EXPECT_TRUE(action->perform()) << "a row the person cannot pick";
                settle();
            }
        }
    };
    pickEvery(tools.insertMenus().showInsertItemMenu());
    pickEvery(tools.insertMenus().showInsertImageMenu());
    pickEvery(tools.commands().showMiscToolsMenu());
    // The switches among the options are stored: they end as they were.
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::vector<std::pair<std::string, std::optional<PropertyList>>> switches;
    for (const char* key : {"autocorrectEnabled", "darknightMode", "nightMode", "pageNumbersEnabled", "smartQuotesEnabled",
                            "typewriterSounds", "wordCounterVisible", "zoomEnabled"})
        switches.emplace_back(key, defaults.objectForKey(key));
    for (long option = 0; option < static_cast<long>(kToolsOptionCount); ++option) {
        tools.commands().toolsOptionSelected(option);
        settle();
    }
    for (const auto& [key, value] : switches) {
        if (value)
            defaults.setObject(key, *value);
        else
            defaults.removeObjectForKey(key);
    }
    for (long option = 0; option <= 10; ++option) {
        tools.miscToolsPickerOptionSelected(option);
        settle();
    }
    for (long option = 0; option < static_cast<long>(kCursorCommandCount); ++option) {
        tools.magicCursorOptionSelected(option);
        settle();
    }
    for (long option = 0; option <= 5; ++option) {
        tools.imageOptionSelected(option);
        settle();
    }
    setTELogHandler({});
    TECurrentLogLevel = level;
    return missing;
}

} // namespace folio::test
