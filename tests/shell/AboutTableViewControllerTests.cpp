#include "shell/AboutTableViewController.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

#include <gtest/gtest.h>

namespace folio {

namespace {

struct AboutScreen {
    explicit AboutScreen(PropertyList info)
        : controller(std::make_shared<AboutTableViewController>(
              std::move(info), [this](const std::string& url) { opened.push_back(url); }))
    {
        controller->loadViewIfNeeded();
        controller->tableView()->reloadData();
    }
    std::vector<std::string> opened;
    std::shared_ptr<AboutTableViewController> controller;
};

} // namespace

TEST(AboutTableViewController, ShowsTheVersionAndBuildFromTheInfoDictionary)
{
    AboutScreen screen(PropertyList::dictionary({{"CFBundleShortVersionString", "2.4"}, {"CFBundleVersion", "812"}}));
    TableView& table = *screen.controller->tableView();
    EXPECT_EQ(table.numberOfSections(), 3u);
    EXPECT_EQ(table.numberOfRowsInSection(2), 2u);
    auto version = table.cellForRowAtIndexPath({0, 0});
    ASSERT_TRUE(version);
    EXPECT_EQ(version->textLabel()->text(), u"Version");
    EXPECT_EQ(version->detailTextLabel()->text(), u"2.4");
    EXPECT_EQ(table.cellForRowAtIndexPath({0, 1})->detailTextLabel()->text(), u"812");

    // A version that is missing or not text leaves the detail empty.
    AboutScreen bare(PropertyList::dictionary({{"CFBundleVersion", PropertyList(std::int64_t(7))}}));
    EXPECT_EQ(bare.controller->versionNumberCell()->detailTextLabel()->text(), u"");
    EXPECT_EQ(bare.controller->buildNumberCell()->detailTextLabel()->text(), u"");
    PropertyList application = AboutTableViewController::applicationInfoDictionary();
    ASSERT_TRUE(application.objectForKey("CFBundleShortVersionString"));
    EXPECT_EQ(*application.objectForKey("CFBundleShortVersionString")->stringValue(), FOLIO_VERSION);
}

TEST(AboutTableViewController, OnlyTheSecondSectionOpensPagesAndEveryRowIsDeselected)
{
    AboutScreen screen(AboutTableViewController::applicationInfoDictionary());
    TableView& table = *screen.controller->tableView();
    for (IndexPath row : {IndexPath{0, 0}, IndexPath{0, 1}, IndexPath{2, 0}, IndexPath{2, 1}}) {
        table.tapRowAtIndexPath(row);
        EXPECT_FALSE(table.indexPathForSelectedRow());
    }
    EXPECT_TRUE(screen.opened.empty());
    table.tapRowAtIndexPath({1, 0});
    table.tapRowAtIndexPath({1, 1});
    EXPECT_EQ(screen.opened, (std::vector<std::string>{AboutTableViewController::kComponentHomePage,
                                                       AboutTableViewController::kLicenceText}));
    EXPECT_FALSE(table.indexPathForSelectedRow());
}

TEST(AboutTableViewController, IsPresentedTitledOverTheBrowserAndOnlyOnceAtATime)
{
    auto browser = std::make_shared<ViewController>();
    Window window(makeRect(0, 0, 800, 600));
    window.setRootViewController(browser);
    window.makeKeyAndVisible();
    std::vector<std::string> opened;
    ASSERT_TRUE(AboutTableViewController::presentAboutScreen(
        *browser, PropertyList::dictionary({{"CFBundleShortVersionString", "3.1"}}),
        [&](const std::string& url) { opened.push_back(url); }));
    auto navigation = std::dynamic_pointer_cast<NavigationController>(browser->presentedViewController());
    ASSERT_TRUE(navigation);
    auto about = std::dynamic_pointer_cast<AboutTableViewController>(navigation->topViewController());
    ASSERT_TRUE(about);
    EXPECT_EQ(about->title(), u"About Folio");
    // The rows a person sees: the version first, and links that open.
    about->loadViewIfNeeded();
    TableView& table = *about->tableView();
    table.reloadData();
    EXPECT_EQ(table.cellForRowAtIndexPath({0, 0})->detailTextLabel()->text(), u"3.1");
    table.tapRowAtIndexPath({1, 1});
    EXPECT_EQ(opened, std::vector<std::string>{AboutTableViewController::kLicenceText});

    // A second press while it shows is refused, not stacked.
    EXPECT_FALSE(AboutTableViewController::presentAboutScreen(*browser));
    browser->dismissViewControllerAnimated(false);
    EXPECT_FALSE(browser->presentedViewController());
    EXPECT_TRUE(AboutTableViewController::presentAboutScreen(*browser));
}

} // namespace folio
