#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "support/VirtualClock.h"
#include "tools/specialchars/ArrowsSpecialCharsViewController.h"
#include "tools/specialchars/MDSpecialCharsPickerController.h"
#include "tools/specialchars/PagedGridViewCell.h"
#include "tools/specialchars/RecentSpecialCharacters.h"
#include "tools/specialchars/SpecialCharacterSets.h"
#include "tools/specialchars/SpecialCharsPickerController.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>

namespace folio {
namespace {

struct Editor : SpecialCharsPickerDelegate, MDSpecialCharsPickerDelegate {
    bool richText = false;
    std::vector<std::u16string> inserted;
    int dismissals = 0;
    void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) override
    {
        EXPECT_FALSE(isEmoji);
        inserted.push_back(option);
    }
    void dismissPopoverAnimated(bool) override { ++dismissals; }
    bool offersInsertCommands() const override { return richText; }
};

class FakeGeocoder : public ReverseGeocoder {
public:
    explicit FakeGeocoder(int status) : m_status(status) {}
    int getAuthStatus() override { return m_status; }
    void reverseGeocode() override { ++started; }
    void stopActivity() override {}
    double latitude() const override { return 48.8566; }
    double longitude() const override { return 2.3522; }
    std::u16string address() const override { return u"1 Rue de Rivoli"; }
    std::u16string city() const override { return u"Paris"; }
    std::u16string state() const override { return u"IDF"; }
    std::u16string zipcode() const override { return u"75001"; }
    std::u16string subAdministrativeArea() const override { return u"Paris"; }
    std::u16string country() const override { return u"France"; }
    void report(void (GeocoderProtocol::*callback)()) { (delegate().get()->*callback)(); }
    int started = 0;

private:
    int m_status;
};

class SpecialCharsTest : public test::VirtualClockTest {
protected:
    template <typename Menu>
    std::shared_ptr<Menu> menuFor(std::shared_ptr<Menu> menu)
    {
        navigation = NavigationController::withRootViewController(menu);
        menu->setDelegate(editor);
        navigation->view();
        menu->tableView()->reloadData();
        return menu;
    }
    std::shared_ptr<ArrowsSpecialCharsViewController> grid()
    {
        auto top = std::dynamic_pointer_cast<ArrowsSpecialCharsViewController>(navigation->topViewController());
        if (top)
            top->reloadData();
        return top;
    }
    std::vector<std::u16string> recent() { return RecentSpecialCharacters(defaults).list(); }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    std::shared_ptr<Editor> editor = std::make_shared<Editor>();
    std::shared_ptr<NavigationController> navigation;
};

TEST(SpecialCharacterSetsTest, everySetHasItsSectionsSizesAndEnds)
{
    struct Expected {
        int set;
        const char* title;
        std::size_t cells;
        const char16_t* first;
        const char16_t* last;
    };
    const Expected sections[] = {
        {9, "Rightwards Arrows", 49, u"\u261B", u"\u27F9"},  {9, "Leftwards Arrows", 19, u"\u261A", u"\u27F5"},
        {9, "Upwards Arrows", 13, u"\u261D", u"\u21ED"},     {9, "Downwards Arrows", 12, u"\u261F", u"\u2913"},
        {9, "Leftwards Rightwards", 10, u"\u2194", u"\u21F9"}, {9, "Upwards Downwards", 4, u"\u2195", u"\u21D5"},
        {9, "Miscellaneous Arrows", 27, u"\u2196", u"\u2798"}, {10, "Parentheses", 24, u"\u2039", u"\u3017"},
        {11, "Punctuation", 72, u"!", u"\u2038"},            {12, "Currency Symbols", 35, u"$", u"\u20A5"},
        {13, "Pictographs", 123, u"\u2600", u"\u26BD"},      {14, "Bullets/Stars", 109, u"\u2022", u"\u25EF"},
        {15, "Math Symbols", 332, u"\u00BC", u"\u208E"},     {16, "Letterlike & Notes", 31, u"\u0602", u"\u2106"},
    };
    std::size_t total = 0;
    std::map<int, std::size_t> seen;
    for (const auto& expected : sections) {
        const auto& section = SpecialCharacterSets::sectionsOfSet(expected.set).at(seen[expected.set]++);
        SCOPED_TRACE(expected.title);
        EXPECT_EQ(section.title, expected.title);
        ASSERT_EQ(section.characters.size(), expected.cells);
        EXPECT_EQ(section.characters.front(), expected.first);
        EXPECT_EQ(section.characters.back(), expected.last);
        total += section.characters.size();
    }
    EXPECT_EQ(total, 860u);
    for (int set = 9; set <= 16; ++set)
        EXPECT_EQ(SpecialCharacterSets::sectionsOfSet(set).size(), seen[set]) << set;
    EXPECT_TRUE(SpecialCharacterSets::sectionsOfSet(17).empty());
    // Currency and letterlike sets are given cell by cell.
    const auto& currency = SpecialCharacterSets::sectionsOfSet(12).front().characters;
    EXPECT_EQ(currency[15], u"L");
    EXPECT_EQ(currency[24], u"D");
    EXPECT_EQ(SpecialCharacterSets::sectionsOfSet(16).front().characters[1], u"\u2669");
}

TEST_F(SpecialCharsTest, richTextMenuSendsItsCommandsAndOpensTheSets)
{
    editor->richText = true;
    auto menu = menuFor(std::make_shared<SpecialCharsPickerController>(defaults));
    auto table = menu->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 18u);
    EXPECT_EQ(menu->preferredContentSize(), (Size{240, 510}));
    EXPECT_EQ(menu->options().front(), u"::: Page Break");
    EXPECT_EQ(menu->options()[1], u"\U0001F4AC Comment");
    EXPECT_EQ(menu->options()[8], u"\U0001F4CD Current Location");
    EXPECT_EQ(menu->options()[9], u"\u21D2  Arrows");
    EXPECT_EQ(menu->options()[17], u"\u272D  Recently Used");
    for (std::size_t row = 0; row < 6; ++row)
        table->tapRowAtIndexPath({0, row});
    EXPECT_EQ(editor->inserted, (std::vector<std::u16string>{u"InsertPageBreak", u"InsertAnnotation", u"InsertFootnote",
                                                            u"InsertFootnoteTable", u"Horizontal Line", u"InsertLink"}));
    table->tapRowAtIndexPath({0, 12});
    auto currency = grid();
    ASSERT_TRUE(currency);
    EXPECT_EQ(currency->characterSet(), 12);
    EXPECT_EQ(currency->preferredContentSize(), (Size{240, 320}));
    EXPECT_EQ(currency->cells()[0][1]->textLabel()->text(), u"\u20AC");
    currency->cells()[0][1]->tap();
    EXPECT_EQ(editor->inserted.back(), u"\u20AC");
    EXPECT_EQ(recent(), (std::vector<std::u16string>{u"\u20AC"}));
}

TEST_F(SpecialCharsTest, qvMenuHasTheSetsOnly)
{
    auto menu = menuFor(std::make_shared<SpecialCharsPickerController>(defaults));
    ASSERT_EQ(menu->options().size(), 9u);
    EXPECT_EQ(menu->options().front(), u"\u21D2  Arrows");
    EXPECT_EQ(menu->preferredContentSize(), (Size{240, 400}));
    menu->tableView()->tapRowAtIndexPath({0, 0});
    auto arrows = grid();
    ASSERT_TRUE(arrows);
    EXPECT_EQ(arrows->characterSet(), 9);
    EXPECT_EQ(arrows->sectionsNames().size(), 7u);
    EXPECT_EQ(arrows->headerLabels()[6]->text(), u"Miscellaneous Arrows");
}

TEST_F(SpecialCharsTest, markdownMenuRowsMapToTheSets)
{
    auto menu = menuFor(std::make_shared<MDSpecialCharsPickerController>(defaults));
    ASSERT_EQ(menu->options().size(), 12u);
    EXPECT_EQ(menu->options()[3], u"Arrows");
    EXPECT_EQ(menu->preferredContentSize(), (Size{240, 540}));
    menu->tableView()->tapRowAtIndexPath({0, 3});
    EXPECT_EQ(grid()->characterSet(), 9);
    navigation->popViewControllerAnimated(false);
    menu->tableView()->tapRowAtIndexPath({0, 11});
    EXPECT_EQ(grid()->characterSet(), 17);
}

TEST_F(SpecialCharsTest, dateRowsFollowTheLocale)
{
    auto menu = menuFor(std::make_shared<MDSpecialCharsPickerController>(defaults));
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 7;
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_isdst = -1;
    auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    menu->setClock([when] { return when; });

    const char* saved = std::getenv("LC_ALL");
    std::string previous = saved ? saved : "";
    setenv("LC_ALL", "C", 1);
    menu->tableView()->tapRowAtIndexPath({0, 0});
    menu->tableView()->tapRowAtIndexPath({0, 1});
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    menu->tableView()->tapRowAtIndexPath({0, 0});
    menu->tableView()->tapRowAtIndexPath({0, 1});
    if (saved)
        setenv("LC_ALL", previous.c_str(), 1);
    else
        unsetenv("LC_ALL");

    ASSERT_EQ(editor->inserted.size(), 4u);
    auto has = [](const std::u16string& text, const char16_t* part) { return text.find(part) != std::u16string::npos; };
    // Full date with a short time, then short date and time, in the C locale...
    EXPECT_TRUE(has(editor->inserted[0], u"Monday, December 7, 2026")) << toUtf8(editor->inserted[0]);
    EXPECT_TRUE(has(editor->inserted[0], u"2:05")) << toUtf8(editor->inserted[0]);
    EXPECT_TRUE(has(editor->inserted[1], u"12/7/26")) << toUtf8(editor->inserted[1]);
    // ...and in German.
    EXPECT_TRUE(has(editor->inserted[2], u"Montag, 7. Dezember 2026")) << toUtf8(editor->inserted[2]);
    EXPECT_TRUE(has(editor->inserted[2], u"14:05")) << toUtf8(editor->inserted[2]);
    EXPECT_TRUE(has(editor->inserted[3], u"07.12.26, 14:05")) << toUtf8(editor->inserted[3]);
}

TEST_F(SpecialCharsTest, recentlyUsedListKeepsPicksNewestFirst)
{
    auto menu = menuFor(std::make_shared<SpecialCharsPickerController>(defaults));
    menu->tableView()->tapRowAtIndexPath({0, 1}); // Parentheses
    auto parentheses = grid();
    parentheses->tapItem(0, 2);
    parentheses->tapItem(0, 2);
    parentheses->tapItem(0, 3);
    EXPECT_EQ(recent(), (std::vector<std::u16string>{u"\u00AB", u"\u00BB"}));
    navigation->popViewControllerAnimated(false);
    // Letterlike picks are not remembered.
    menu->tableView()->tapRowAtIndexPath({0, 7});
    grid()->tapItem(0, 5);
    EXPECT_EQ(editor->inserted.back(), u"\u00AE");
    EXPECT_EQ(recent().size(), 2u);
    navigation->popViewControllerAnimated(false);
    menu->tableView()->tapRowAtIndexPath({0, 8});
    auto recentGrid = grid();
    ASSERT_EQ(recentGrid->specialChars().size(), 1u);
    EXPECT_EQ(recentGrid->specialChars()[0], (std::vector<std::u16string>{u"\u00BB", u"\u00AB"}));
    EXPECT_EQ(recentGrid->sectionsNames()[0], u"Recently Used");
    // A pick from the recent page is remembered again.
    recentGrid->tapItem(0, 1);
    EXPECT_EQ(recent(), (std::vector<std::u16string>{u"\u00AB", u"\u00BB", u"\u00AB"}));
}

TEST_F(SpecialCharsTest, fullRecentListDropsItsOldestEvenForARepeat)
{
    PropertyList::Array full;
    for (int index = 0; index < 101; ++index)
        full.emplace_back(std::string{char('A' + index % 26), char('0' + index / 26)});
    defaults.setObject(RecentSpecialCharacters::kDefaultsKey, PropertyList(std::move(full)));
    RecentSpecialCharacters list(defaults);
    ASSERT_EQ(list.list().size(), 101u);
    std::u16string newest = list.list().back();
    list.record(newest);
    auto after = list.list();
    ASSERT_EQ(after.size(), 101u);
    EXPECT_EQ(after.front(), u"B0");
    EXPECT_EQ(after[99], newest);
    EXPECT_EQ(after[100], newest);
}

TEST_F(SpecialCharsTest, locationLookupSendsThePlaceOrShowsTheFailure)
{
    auto web = menuFor(std::make_shared<SpecialCharsPickerController>(defaults));
    editor->richText = true;
    web = menuFor(std::make_shared<SpecialCharsPickerController>(defaults));
    FakeGeocoder* geocoder = nullptr;
    web->setGeocoderMaker([&] {
        auto made = std::make_unique<FakeGeocoder>(3);
        geocoder = made.get();
        return made;
    });
    web->tableView()->tapRowAtIndexPath({0, 8});
    EXPECT_EQ(editor->dismissals, 1);
    ASSERT_TRUE(geocoder);
    EXPECT_EQ(geocoder->started, 1);
    geocoder->report(&GeocoderProtocol::gotUserPlacemarks);
    EXPECT_FALSE(web->isLookingUpLocation());
    EXPECT_EQ(editor->inserted.back(),
              u"Latitude: 48.856600 - Longitude: 2.352200 \n1 Rue de Rivoli\n75001  Paris\nIDF\nParis\nFrance");

    // Refused permission ends the action without a word.
    web->setGeocoderMaker([] { return std::make_unique<FakeGeocoder>(2); });
    web->tableView()->tapRowAtIndexPath({0, 8});
    EXPECT_FALSE(web->isLookingUpLocation());

    // The Markdown menu shows its progress, then the result; this system has
    // no location service and says so.
    auto markdown = menuFor(std::make_shared<MDSpecialCharsPickerController>(defaults));
    markdown->setGeocoderMaker([&] {
        auto made = std::make_unique<FakeGeocoder>(0);
        geocoder = made.get();
        return made;
    });
    markdown->tableView()->tapRowAtIndexPath({0, 2});
    EXPECT_EQ(ProgressHUD::shared().status(), u"Getting current location...");
    geocoder->report(&GeocoderProtocol::gotUserLocation);
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Success);
    EXPECT_EQ(editor->inserted.back(),
              u"Latitude: 48.856600 - Longitude: 2.352200 \n1 Rue de Rivoli\nParis\nIDF\n75001\nFrance\n");
    std::size_t sent = editor->inserted.size();
    markdown->setGeocoderMaker([] { return ReverseGeocoder::make(); });
    markdown->tableView()->tapRowAtIndexPath({0, 2});
    loop.runOnce();
    EXPECT_EQ(ProgressHUD::shared().kind(), ProgressHUDKind::Error);
    EXPECT_EQ(ProgressHUD::shared().status(), u"Location Services disabled.");
    EXPECT_EQ(editor->inserted.size(), sent);
    ProgressHUD::dismiss();
}

} // namespace
} // namespace folio
