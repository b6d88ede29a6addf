#include "platform/docframework/DKMenuController.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "webeditor/AlignmentMenu.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(AlignmentMenuTest, theMenuRowsReportTheirOptionsInOrder)
{
    std::vector<long> chosen;
    std::shared_ptr<Menu> menu = AlignmentMenu::menu([&](long option) { chosen.push_back(option); });
    const std::vector<std::pair<std::u16string, std::string>> rows = {
        {u"Left To Right", "text.alignleft"}, {u"Right To Left", "text.alignleft"}, {u"Justify", "text.justify"},
        {u"Center", "text.aligncenter"},      {u"Right", "text.alignright"},        {u"Left", "text.alignleft"}};
    ASSERT_EQ(menu->children().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        auto action = std::dynamic_pointer_cast<Action>(menu->children()[i]);
        ASSERT_TRUE(action);
        EXPECT_EQ(action->title(), rows[i].first);
        EXPECT_EQ(action->symbolName(), rows[i].second);
        EXPECT_TRUE(action->perform());
    }
    EXPECT_EQ(chosen, (std::vector<long>{5, 4, 0, 1, 2, 3}));
}

TEST(AlignmentMenuTest, thePopoverListsTheOptionsByNumber)
{
    std::vector<long> chosen;
    std::vector<std::shared_ptr<DKMenuOption>> options = AlignmentMenu::popoverOptions([&](long option) {
        chosen.push_back(option);
    });
    const std::vector<std::u16string> titles = {u"Justify", u"Center", u"Right", u"Left", u"Right To Left",
                                                u"Left To Right"};
    ASSERT_EQ(options.size(), titles.size());
    for (size_t i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(options[i]->title(), titles[i]);
        EXPECT_FALSE(options[i]->image());
        options[i]->perform();
    }
    EXPECT_EQ(chosen, (std::vector<long>{0, 1, 2, 3, 4, 5}));
}

} // namespace
} // namespace folio
