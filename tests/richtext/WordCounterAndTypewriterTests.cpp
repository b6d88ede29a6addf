#include "platform/foundation/Resources.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "richtext/RichTextWordCounter.h"
#include "richtext/TypewriterMode.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

TEST(WordCounterCounts, countsCharactersOfTheCountedClassesAndWordsByIcuWordBreaks)
{
    auto counts = [](std::u16string text) {
        RichTextWordCounter::Counts found = RichTextWordCounter::count(std::move(text));
        return std::pair{found.characters, found.words};
    };
    EXPECT_EQ(counts(u""), (std::pair<std::size_t, std::size_t>{0, 0}));
    EXPECT_EQ(counts(u"a b"), (std::pair<std::size_t, std::size_t>{3, 2}));
    // Placeholders are no characters; line breaks are not counted as blanks.
    EXPECT_EQ(counts(u"\uFEFFone\ntwo\uFEFF"), (std::pair<std::size_t, std::size_t>{6, 2}));
    // Word breaks: an apostrophe and a decimal number stay inside one word,
    // punctuation is no word, and each emoji counts one character.
    EXPECT_EQ(counts(u"Don't pay 3.50, now!").second, 4u);
    EXPECT_EQ(counts(u"\U0001F600 ok").first, 4u);
    // Without blanks, Japanese is split by ICU's dictionary, not into one word.
    EXPECT_GE(counts(u"東京都に住んでいます").second, 3u);
    EXPECT_EQ(RichTextWordCounter::bannerText({12, 3}), u"Chars 12 Words 3");
}

class WordCounterTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<Label> banner = std::make_shared<Label>();
    bool collapsed = true;
    std::vector<bool> reads;
    RichTextWordCounter counter{RichTextWordCounter::Host{
        .readText = [this](bool whole) {
            reads.push_back(whole);
            return whole ? std::u16string(u"Whole text of the page") : std::u16string(u"of the");
        },
        .hasSelection = [this] { return collapsed; },
        .banner = [this] { return banner; },
        .readInteger = [](const std::string& script) {
            return script.find("offsetHeight") != std::string::npos ? 742LL : 0LL;
        }}};
};

TEST_F(WordCounterTest, countsThePageOrTheSelectionIntoTheBanner)
{
    banner->setAlpha(0);
    banner->setHidden(true);
    counter.updateWordCounter();
    EXPECT_EQ(banner->text(), u"Chars 22 Words 5");
    EXPECT_EQ(banner->alpha(), 1.0);
    EXPECT_FALSE(banner->isHidden());
    collapsed = false;
    counter.updateWordCounter();
    EXPECT_EQ(banner->text(), u"Chars 6 Words 2");
    EXPECT_EQ(reads, (std::vector<bool>{true, false}));
    EXPECT_EQ(counter.globalTotalWords(), 2u);
    EXPECT_EQ(counter.totalCharsWithSpaces(), 6u);
    counter.updateHourTopAlertBar();
    EXPECT_EQ(banner->text().rfind(u"Chars 6 Words 2 - ", 0), 0u);
    EXPECT_EQ(reads.size(), 2u) << "the time is added to the counts already made";
    EXPECT_EQ(counter.getEditorContentSize(), 742);
}

TEST_F(WordCounterTest, aRecountWaitsForTheLastKeyAndASecondAndAHalf)
{
    counter.scheduleUpdate();
    loop.advanceVirtualClock(1.0);
    counter.scheduleUpdate();
    loop.advanceVirtualClock(1.0);
    EXPECT_TRUE(reads.empty());
    loop.advanceVirtualClock(0.6);
    EXPECT_EQ(reads.size(), 1u);
    counter.scheduleUpdate();
    counter.cancelPendingUpdate();
    loop.advanceVirtualClock(3);
    EXPECT_EQ(reads.size(), 1u);
}

TEST(TypewriterLayout, theBandSitsBetweenTheDividersInBothOrientations)
{
    const TypewriterMode::Layout& landscape = TypewriterMode::layoutFor(true);
    const TypewriterMode::Layout& portrait = TypewriterMode::layoutFor(false);
    EXPECT_EQ(landscape.topDividerY, 136);
    EXPECT_EQ(landscape.bottomDividerY, 276);
    EXPECT_EQ(landscape.webViewY, 140);
    EXPECT_EQ(portrait.topDividerY, 196);
    EXPECT_EQ(portrait.bottomDividerY, 336);
    EXPECT_EQ(portrait.webViewY, 200);
    for (const TypewriterMode::Layout* layout : {&landscape, &portrait}) {
        EXPECT_EQ(layout->webViewHeight, 130);
        EXPECT_EQ(layout->contentHeight, 130);
        EXPECT_EQ(layout->bodyHeight, 122);
        EXPECT_EQ(layout->exitButtonY, 30);
        // The page's band lies between the two lines.
        EXPECT_GT(layout->webViewY, layout->topDividerY);
        EXPECT_LE(layout->webViewY + layout->webViewHeight, layout->bottomDividerY);
    }
    EXPECT_EQ(TypewriterMode::kParkedDividerY, -55);
    EXPECT_EQ(TypewriterMode::soundPath("/r", 6), "/r/Keyboard_Sounds/6.mp3");
}

class TypewriterTest : public testing::Test {
protected:
    TypewriterMode::Host host()
    {
        return TypewriterMode::Host{
            .sendScript = [this](const std::string& script) { scripts.push_back(script); },
            .isLandscape = [this] { return landscape; },
            .view = [this] { return view; },
            .webViewFrame = [this] { return webFrame; },
            .setWebViewFrame = [this](Rect frame) { webFrame = frame; },
            .setNavigationBarHidden = [this](bool hidden) { navigationHidden = hidden; },
            .setRulerHidden = [this](bool hidden) { rulerHidden = hidden; },
            .setBannerHidden = [this](bool hidden) { bannerHidden = hidden; },
            .setPageControlHidden = [this](bool hidden) { pagesHidden = hidden; },
            .isFindOnPageVisible = [] { return false; },
            .hideFindOnPage = {},
            .isEditing = [] { return false; },
            .endEditing = {},
            .clearEditing = [this] { ++cleared; },
            .isHardwareKeyboardConnected = [] { return false; },
            .setDefaultTextEditorSizeValues = [this] { ++resized; },
            .clearFullScreenMode = [this] { fullScreen = false; },
            .updatePageUpDownControl = [this] { ++recounted; },
            .exitButton = [this] { return exit; },
            .random = [this] { return nextRandom; },
            .arrangeWindow = [this](const TypewriterMode::Layout* layout) {
                arranged.push_back(layout ? layout->webViewY : -1);
            }};
    }
    // The band's place each time the window was arranged; -1 when the mode ended.
    std::vector<double> arranged;

    std::vector<std::string> scripts;
    bool landscape = true, navigationHidden = false, rulerHidden = false, bannerHidden = false, pagesHidden = false;
    bool fullScreen = true;
    int cleared = 0, resized = 0, recounted = 0, nextRandom = 0;
    std::shared_ptr<View> view = std::make_shared<View>(Rect{{0, 0}, {1024, 700}});
    std::shared_ptr<Button> exit = std::make_shared<Button>(Rect{{900, 0}, {44, 44}});
    Rect webFrame{{0, 30}, {1024, 670}};
    TypewriterMode typewriter{host()};
};

TEST_F(TypewriterTest, theModeShrinksThePageToTheBandAndLeavingItRestoresTheEditor)
{
    exit->setHidden(true);
    typewriter.typewriterMode();
    EXPECT_TRUE(typewriter.isTypewriterMode());
    EXPECT_EQ(webFrame, (Rect{{0, 140}, {1024, 130}}));
    EXPECT_EQ(typewriter.topDivider()->frame().origin.y, 136);
    EXPECT_EQ(typewriter.bottomDivider()->frame().origin.y, 276);
    EXPECT_EQ(typewriter.topDivider()->frame().size.width, 1024);
    EXPECT_EQ(exit->frame(), (Rect{{900, 30}, {44, 44}}));
    EXPECT_FALSE(exit->isHidden());
    EXPECT_EQ(view->frame(), (Rect{{0, -44}, {1024, 744}}));
    EXPECT_TRUE(navigationHidden && rulerHidden && bannerHidden && pagesHidden);
    EXPECT_EQ(scripts, (std::vector<std::string>{
                           "setRichTextPageHeight(130, 122);",
                           "document.execCommand('unselect')", "document.getElementById('content').focus();"}));

    landscape = false;
    typewriter.layoutTypeWriteModeAfterAppEnterForeground();
    EXPECT_EQ(webFrame.origin.y, 200);
    EXPECT_EQ(arranged, (std::vector<double>{140, 200})) << "the window shows the band where it now is";
    EXPECT_EQ(typewriter.topDivider()->frame().origin.y, 196);

    typewriter.exitTypeWriterMode();
    EXPECT_FALSE(typewriter.isTypewriterMode());
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(typewriter.topDivider()->frame().origin.y, -55);
    EXPECT_EQ(typewriter.bottomDivider()->frame().origin.y, -55);
    EXPECT_EQ(view->frame(), (Rect{{0, 0}, {1024, 700}}));
    EXPECT_FALSE(navigationHidden || bannerHidden || pagesHidden);
    EXPECT_TRUE(exit->isHidden());
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(recounted, 1);
    EXPECT_EQ(arranged.back(), -1) << "the window gives the page its room back last";
}

TEST_F(TypewriterTest, keySoundsPlayOnlyWhenOnAndAMissingFileStaysSilent)
{
    test::ScratchFolder scratch;
    std::filesystem::create_directories(scratch.file("Keyboard_Sounds"));
    for (int number : {1, 2, 3, 5, 6})
        std::filesystem::copy_file(TypewriterMode::soundPath(Resources::resourcesFolder(), number),
                                   TypewriterMode::soundPath(scratch.path(), number));
    typewriter.loadTypewriterSounds(scratch.path());
    EXPECT_TRUE(typewriter.hasLoadedSound(1));
    EXPECT_FALSE(typewriter.hasLoadedSound(4));
    nextRandom = 7;
    EXPECT_EQ(typewriter.playKeySound(), 0u) << "sounds are off";
    typewriter.setTypeWriterSoundModeActivated(true);
    EXPECT_EQ(typewriter.playKeySound(), 2u);
    nextRandom = 3;
    EXPECT_EQ(typewriter.playKeySound(), 0u) << "its file is missing";
    nextRandom = 11;
    EXPECT_EQ(typewriter.playKeySound(), 6u);
}

TEST(TypewriterSounds, theSixSoundsShipWithTheProgram)
{
    for (std::size_t number = 1; number <= TypewriterMode::kSoundCount; ++number)
        EXPECT_TRUE(std::filesystem::is_regular_file(TypewriterMode::soundPath(Resources::resourcesFolder(), number)))
            << number;
}

} // namespace
} // namespace folio
