#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace folio {
namespace {

namespace fs = std::filesystem;

// The entry of `menu`, or of a menu within it, titled `title`.
std::shared_ptr<Action> findAction(const Menu& menu, std::u16string_view title)
{
    for (const std::shared_ptr<MenuElement>& element : menu.children()) {
        if (auto action = std::dynamic_pointer_cast<Action>(element); action && action->title() == title)
            return action;
        if (auto nested = std::dynamic_pointer_cast<Menu>(element))
            if (auto found = findAction(*nested, title))
                return found;
    }
    return nullptr;
}

TEST(DKDocumentPicker, aFilesMenuOffersTheExportsMadeForThatFile)
{
    fs::path folder = fs::temp_directory_path() / ("picker-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "Notes.rtf") << "{\\rtf1 notes}";
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(folder.string()));
    ASSERT_TRUE(picker->selectedScopeViewController().reload());
    ASSERT_EQ(picker->selectedScopeViewController().items().size(), 1u);
    std::shared_ptr<ODSFileItem> item = picker->selectedScopeViewController().items().front();
    EXPECT_FALSE(findAction(*picker->menuForItem(item), u"Mail as PDF…"));

    std::vector<std::string> mailed;
    picker->setExportMenu([&](const std::string& path) {
        return Menu::make(u"", {Action::make(u"Mail as PDF…", {}, [&mailed, path](Action&) { mailed.push_back(path); })});
    });
    std::shared_ptr<Action> mail = findAction(*picker->menuForItem(item), u"Mail as PDF…");
    ASSERT_TRUE(mail);
    mail->perform();
    EXPECT_EQ(mailed, std::vector<std::string>{item->fileURL()});
    picker.reset();
    fs::remove_all(folder);
}

} // namespace
} // namespace folio
