#include "platform/ui/TableViewCell.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/RecordingPresenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

// A picker-like list: two sections of font sizes, with one row that may not be picked.
class SizePicker : public TableViewController {
public:
    std::vector<std::vector<std::u16string>> rows{{u"+10", u"+1", u"-1"}, {u"12", u"18", u"24"}};
    std::vector<std::string> journal;
    int cellsMade = 0;
    int cellsReused = 0;
    bool returnNullCell = false;

    std::size_t numberOfSectionsInTableView(TableView&) override { return rows.size(); }
    std::size_t numberOfRowsInSection(TableView&, std::size_t section) override { return rows[section].size(); }
    std::u16string titleForHeaderInSection(TableView&, std::size_t section) override { return section ? u"Sizes" : u"Steps"; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath path) override
    {
        if (returnNullCell)
            return nullptr;
        auto cell = table.dequeueReusableCellWithIdentifier("size");
        if (cell) {
            ++cellsReused;
        } else {
            cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, "size");
            ++cellsMade;
        }
        cell->textLabel()->setText(rows[path.section][path.row]);
        cell->detailTextLabel()->setText(u"pt");
        if (path.section == 1 && path.row == 1)
            cell->setAccessoryType(TableViewCellAccessoryType::Checkmark);
        return cell;
    }
    std::optional<IndexPath> willSelectRowAtIndexPath(TableView&, IndexPath path) override
    {
        journal.push_back("will " + key(path));
        if (path.section == 0 && path.row == 2)
            return std::nullopt;
        if (path.section == 0 && path.row == 0)
            return IndexPath{1, 0};
        return path;
    }
    void didSelectRowAtIndexPath(TableView&, IndexPath path) override { journal.push_back("did " + key(path)); }
    void didDeselectRowAtIndexPath(TableView&, IndexPath path) override { journal.push_back("undo " + key(path)); }

private:
    static std::string key(IndexPath path) { return std::to_string(path.section) + "." + std::to_string(path.row); }
};

class TableViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        picker = std::make_shared<SizePicker>();
        window = std::make_shared<Window>(makeRect(0, 0, 800, 600));
        window->setRootViewController(picker);
        window->makeKeyAndVisible();
        table = picker->tableView();
    }

    test::RecordingPresenter presenter;
    std::shared_ptr<SizePicker> picker;
    std::shared_ptr<Window> window;
    std::shared_ptr<TableView> table;
};

TEST_F(TableViewTest, fillsFromTheDataSourceWhenItAppears)
{
    EXPECT_EQ(presenter.tableReloads, 1);
    ASSERT_EQ(table->numberOfSections(), 2u);
    EXPECT_EQ(table->numberOfRowsInSection(1), 3u);
    EXPECT_EQ(table->numberOfRowsInSection(7), 0u);
    EXPECT_EQ(table->titleForHeaderInSection(1), u"Sizes");
    auto cell = table->cellForRowAtIndexPath({1, 1});
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->textLabel()->text(), u"18");
    EXPECT_EQ(cell->detailTextLabel()->text(), u"pt");
    EXPECT_EQ(cell->accessoryType(), TableViewCellAccessoryType::Checkmark);
    EXPECT_EQ(table->indexPathForCell(cell.get()), (IndexPath{1, 1}));
    EXPECT_EQ(table->cellForRowAtIndexPath({2, 0}), nullptr);
    EXPECT_EQ(table->contentSize().height, 6 * 44);
}

TEST_F(TableViewTest, tapSelectsTellsTheDelegateAndDeselectsThePreviousRow)
{
    EXPECT_EQ(table->tapRowAtIndexPath({1, 2}), (IndexPath{1, 2}));
    EXPECT_EQ(table->tapRowAtIndexPath({1, 1}), (IndexPath{1, 1}));
    EXPECT_EQ(picker->journal, (std::vector<std::string>{"will 1.2", "did 1.2", "will 1.1", "undo 1.2", "did 1.1"}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({1, 1})->isSelected());
    EXPECT_FALSE(table->cellForRowAtIndexPath({1, 2})->isSelected());
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{1, 1}));
}

TEST_F(TableViewTest, delegateMayRedirectOrRefuseAndBadRowsAreIgnored)
{
    EXPECT_EQ(table->tapRowAtIndexPath({0, 0}), (IndexPath{1, 0}));
    EXPECT_EQ(table->tapRowAtIndexPath({0, 2}), std::nullopt);
    EXPECT_EQ(table->tapRowAtIndexPath({5, 0}), std::nullopt);
    EXPECT_EQ(table->tapRowAtIndexPath({1, 99}), std::nullopt);
    EXPECT_EQ(picker->journal, (std::vector<std::string>{"will 0.0", "did 1.0", "will 0.2"}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{1, 0}));
    table->setAllowsSelection(false);
    EXPECT_EQ(table->tapRowAtIndexPath({1, 1}), std::nullopt);
}

TEST_F(TableViewTest, programmaticSelectionIsSilentAndReloadClearsItAndReusesCells)
{
    table->selectRowAtIndexPath({1, 2});
    EXPECT_TRUE(picker->journal.empty());
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{1, 2}));
    int made = picker->cellsMade;
    picker->rows[1].push_back(u"36");
    table->reloadData();
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_EQ(table->numberOfRowsInSection(1), 4u);
    EXPECT_EQ(picker->cellsReused, 6);
    EXPECT_EQ(picker->cellsMade, made + 1);
    // A reused cell does not keep the checkmark of the row it had before.
    EXPECT_EQ(table->cellForRowAtIndexPath({1, 0})->accessoryType(), TableViewCellAccessoryType::None);
}

TEST_F(TableViewTest, multipleSelectionTogglesRows)
{
    table->setAllowsMultipleSelection(true);
    table->tapRowAtIndexPath({1, 1});
    table->tapRowAtIndexPath({1, 2});
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 2u);
    EXPECT_EQ(table->tapRowAtIndexPath({1, 1}), std::nullopt);
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<IndexPath>{{1, 2}}));
    EXPECT_EQ(picker->journal.back(), "undo 1.1");
}

TEST_F(TableViewTest, missingCellsBecomeEmptyRows)
{
    picker->returnNullCell = true;
    table->reloadData();
    auto cell = table->cellForRowAtIndexPath({0, 1});
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(cell->textLabel()->text().empty());
    EXPECT_EQ(table->tapRowAtIndexPath({1, 1}), (IndexPath{1, 1}));
}

TEST(TableViewStandaloneTest, tableWithoutDataSourceIsEmpty)
{
    TableView table;
    EXPECT_EQ(table.numberOfSections(), 0u);
    EXPECT_EQ(table.tapRowAtIndexPath({0, 0}), std::nullopt);
}

} // namespace
} // namespace folio
