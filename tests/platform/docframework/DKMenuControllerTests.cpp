#include "platform/docframework/DKMenuController.h"

#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(DKMenuControllerTest, listsItsOptionsInOrderAndRunsThePickedOneOnce)
{
    std::vector<std::string> picked;
    auto menu = std::make_shared<DKMenuController>();
    menu->setSizesToOptionWidth(true);
    menu->setTextAlignment(TextAlignment::Center);
    menu->setTopOptions({DKMenuOption::optionWithTitle(u"Bold", nullptr, [&] { picked.push_back("bold"); }),
                         DKMenuOption::optionWithTitle(u"A much longer title", nullptr, [&] { picked.push_back("long"); })});
    auto table = menu->tableView();
    ASSERT_EQ(menu->numberOfRowsInSection(*table, 0), 2u);
    auto cell = menu->cellForRowAtIndexPath(*table, IndexPath{0, 1});
    EXPECT_EQ(cell->textLabel()->text(), u"A much longer title");
    EXPECT_EQ(cell->textLabel()->textAlignment(), TextAlignment::Center);
    EXPECT_EQ(menu->preferredContentSize().height, 88);

    menu->didSelectRowAtIndexPath(*table, IndexPath{0, 0});
    EXPECT_TRUE(menu->pickOptionWithTitle(u"A much longer title"));
    EXPECT_FALSE(menu->pickOptionWithTitle(u"Missing"));
    EXPECT_EQ(picked, (std::vector<std::string>{"bold", "long"}));

    // Sized to its widest title: a menu of short titles is narrower.
    auto narrow = std::make_shared<DKMenuController>();
    narrow->setSizesToOptionWidth(true);
    narrow->setTopOptions({DKMenuOption::optionWithTitle(u"A", nullptr, {})});
    EXPECT_LT(narrow->preferredContentSize().width, menu->preferredContentSize().width);

    // A titled menu heads its list with the title, in a row of its own.
    auto titled = std::make_shared<DKMenuController>();
    titled->setTitle(u"Style");
    titled->setTopOptions({DKMenuOption::optionWithTitle(u"A", nullptr, {})});
    EXPECT_EQ(titled->tableView()->titleForHeaderInSection(0), u"Style");
    EXPECT_EQ(titled->preferredContentSize().height, 88);
    EXPECT_EQ(menu->tableView()->titleForHeaderInSection(0), u"") << "an untitled menu has no header";
}

} // namespace
} // namespace folio
