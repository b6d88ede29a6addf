#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "support/VirtualClock.h"
#include "webeditor/FindCommander.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class FindCommanderTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        ProgressHUD::dismiss();
        // The page answers every held script on the next turn, as a real page does.
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }
    void TearDown() override
    {
        Responder* first = Responder::currentFirstResponder();
        if (first)
            first->resignFirstResponder();
        ProgressHUD::dismiss();
    }

    FindCommander::Host host()
    {
        FindCommander::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.present = [this](std::shared_ptr<ViewController> controller) {
            alerts.push_back(std::dynamic_pointer_cast<AlertController>(controller));
        };
        h.webViewHeight = [] { return 600.0; };
        h.presentFindBar = [this] { ++barShown; };
        h.dismissFindBar = [this] { ++barDismissed; };
        return h;
    }

    size_t searches(const std::string& keyword) const
    {
        return view.scriptsMatching("JSL\\.setKW\\(" + std::string("'") + keyword + "'\\)").size();
    }
    std::string label() { return toUtf8(find.bar().countLabel()); }

    // A finished search for `keyword` on a page that reports `count` matches.
    void searchWithCount(const std::string& count)
    {
        view.answerMatching("JSL\\.setKW", count);
        find.findOnPage(u"word");
        loop.advanceVirtualClock(0.01);
    }

    int dirtyCount = 0;
    int barShown = 0;
    int barDismissed = 0;
    std::vector<std::shared_ptr<AlertController>> alerts;
    FakeWebView view;
    PageConnection page{&view};
    FindCommander find{page, host()};
};

TEST_F(FindCommanderTest, typingSearchesOnceAfterThePauseWithTheWholeKeyword)
{
    find.showFindAndReplace();
    ASSERT_TRUE(find.bar().findOnPage->isFirstResponder());
    EXPECT_EQ(view.scriptsMatching("if \\(!searchCodeLoaded\\) JSL\\.main\\(\\);").size(), 1u);
    EXPECT_EQ(view.scriptsMatching("style\\.height=666\\.000000").size(), 1u) << "the page grows under the bar";
    view.answerMatching("JSL\\.setKW", "2");
    for (char16_t c : std::u16string(u"abc")) {
        find.bar().findOnPage->insertText(std::u16string(1, c));
        loop.advanceVirtualClock(1.0);
    }
    EXPECT_EQ(view.scriptsMatching("JSL\\.setKW").size(), 0u) << "no search while the user types";
    loop.advanceVirtualClock(1.0);
    EXPECT_EQ(view.scriptsMatching("JSL\\.setKW").size(), 1u);
    EXPECT_EQ(searches("abc"), 1u);
    EXPECT_EQ(label(), "1/2");

    find.bar().findOnPage->pressReturn();
    loop.advanceVirtualClock(FindCommander::kReturnKeyDelaySeconds);
    EXPECT_EQ(searches("abc"), 2u) << "the return key searches at once";
}

TEST_F(FindCommanderTest, countLabelsSayWhatTheSearchFound)
{
    struct Case {
        const char* answer;
        const char* label;
        bool canReplace;
        bool canStep;
    };
    for (const Case& c : {Case{"0", "0/0", false, false}, Case{"7", "1/7", true, true}, Case{"999", "1/999", true, true},
                          Case{"1000", "+999", true, true}, Case{"9999", "+999", true, true}}) {
        searchWithCount(c.answer);
        EXPECT_EQ(label(), c.label) << c.answer;
        EXPECT_EQ(find.bar().replaceAllButton->isEnabled(), c.canReplace) << c.answer;
        EXPECT_EQ(find.bar().findOnPageControl->isEnabled(), c.canStep) << c.answer;
        EXPECT_EQ(find.resultsIndex(), 0);
    }

    searchWithCount("3");
    searchWithCount("-1");
    EXPECT_EQ(find.nTotalResults(), -1);
    EXPECT_EQ(label(), "1/3") << "a page that cannot search changes nothing else";
    EXPECT_FALSE(find.bar().replaceButton->isEnabled());

    view.clearRules();
    find.findOnPage(u"word");
    loop.advanceVirtualClock(PageConnection::kDefaultReadTimeoutSeconds + 1);
    EXPECT_EQ(find.nTotalResults(), -1) << "a page that does not answer cannot search";

    find.findOnPage(u"");
    loop.advanceVirtualClock(0.01);
    EXPECT_EQ(label(), "0/0");
    EXPECT_EQ(view.scriptsMatching("^JSL\\.clear\\(\\);$").size(), 1u);
}

TEST_F(FindCommanderTest, keywordWithQuotesReachesThePageAsOneLiteral)
{
    view.answerMatching("JSL\\.setKW", "1");
    find.findOnPage(u"it's \"x\" \\ </script>");
    loop.advanceVirtualClock(0.01);
    std::vector<std::string> asked = view.scriptsMatching("JSL\\.setKW");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "JSL.setKW(" + ScriptLiteral::quote(std::u16string_view(u"it's \"x\" \\ </script>")) + ");");
}

TEST_F(FindCommanderTest, previousOnFirstGoesToLastAndNextOnLastToFirst)
{
    searchWithCount("5");
    find.nextprevResultsFindOnPage(SearchReplaceBar::kPreviousSegment);
    EXPECT_EQ(label(), "5/5");
    EXPECT_EQ(view.scriptsMatching("^JSL\\.next\\(-1,true\\);$").size(), 1u);
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(label(), "1/5");
    for (int i = 0; i < 4; ++i)
        find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(label(), "5/5");
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(label(), "1/5");

    searchWithCount("0");
    find.bar().setReplaceEnabled(false);
    find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    EXPECT_EQ(label(), "0/0") << "nothing to step through";
    EXPECT_TRUE(find.bar().replaceButton->isEnabled()) << "the buttons come back whatever the count";
}

TEST_F(FindCommanderTest, singleReplacementsCountAndInsertTheTextEscaped)
{
    searchWithCount("5");
    view.answerMatching("JSL\\.replace", "1");
    find.bar().replaceOnPage->setText(u"<b>&'");
    find.replaceOnPage();
    find.replaceOnPage();
    EXPECT_EQ(label(), "1/3 2R");
    EXPECT_EQ(dirtyCount, 2);
    std::vector<std::string> inserted = view.scriptsMatching("insertHTML");
    ASSERT_EQ(inserted.size(), 2u);
    EXPECT_EQ(inserted[0], "document.execCommand('insertHTML','false'," + ScriptLiteral::quote(std::string_view("<span>&lt;b&gt;&amp;&#39;</span>")) + ");");
    EXPECT_EQ(view.scriptsMatching("^JSL\\.nextReplace\\(1\\);$").size(), 2u);
    EXPECT_TRUE(alerts.empty());

    view.answerMatching("JSL\\.replace", "0");
    find.replaceOnPage();
    ASSERT_EQ(alerts.size(), 1u) << "a match that is gone ends the replacing";
    EXPECT_EQ(toUtf8(alerts[0]->message()), "2 items replaced.");
    EXPECT_EQ(view.scriptsMatching("insertHTML").size(), 2u) << "nothing is inserted without a match";
}

TEST_F(FindCommanderTest, singleReplacementStopsAfterTheFortyNinthPosition)
{
    for (long long position : {48LL, 49LL}) {
        alerts.clear();
        searchWithCount("60");
        view.answerMatching("JSL\\.replace", "1");
        for (long long i = 0; i < position; ++i)
            find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
        find.replaceOnPage();
        if (position == 48) {
            EXPECT_TRUE(alerts.empty());
            EXPECT_EQ(label(), "49/59 1R");
        } else {
            ASSERT_EQ(alerts.size(), 1u);
            EXPECT_EQ(toUtf8(alerts[0]->message()), "1 items replaced.");
            EXPECT_FALSE(find.bar().replaceButton->isEnabled());
        }
    }
}

TEST_F(FindCommanderTest, replaceAllShowsProgressAboveFiftyAndReportsWhatItReplaced)
{
    searchWithCount("50");
    find.replaceAll();
    EXPECT_FALSE(ProgressHUD::isVisible());
    loop.advanceVirtualClock(0.01);

    searchWithCount("51");
    int replaced = 0;
    view.answerMatching("JSL\\.replace", [&](const std::string&) { return ++replaced <= 3 ? "1" : "0"; });
    find.replaceAll();
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_EQ(toUtf8(ProgressHUD::shared().status()), "Replacing All...");
    loop.advanceVirtualClock(0.01);
    EXPECT_FALSE(ProgressHUD::isVisible());
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(toUtf8(alerts.back()->message()), "3 items replaced.") << "the count of replacements made, not of matches found";
    EXPECT_NE(alerts.back()->actionWithTitle(u"Dismiss"), nullptr);
    EXPECT_EQ(view.scriptsMatching("^JSL\\.clear\\(\\);$").size(), 2u) << "the highlights go afterwards";
}

TEST_F(FindCommanderTest, replaceAllMakesAtMostTheLimitOfReplacements)
{
    searchWithCount("9999");
    view.answerMatching("JSL\\.replace", "1");
    find.replaceAll();
    loop.advanceVirtualClock(0.01);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(toUtf8(alerts.back()->message()), "9999 items replaced.");
    EXPECT_EQ(view.scriptsMatching("JSL\\.replace").size(), 9999u);
}

TEST_F(FindCommanderTest, closingTheBarClearsFieldsAndHighlights)
{
    find.showFindOnPage();
    find.bar().replaceOnPage->setText(u"x");
    find.hideFindOnPage();
    EXPECT_FALSE(find.isFindOnPageVisible());
    EXPECT_TRUE(find.bar().replaceOnPage->text().empty());
    EXPECT_FALSE(find.bar().findOnPage->isFirstResponder());
    loop.advanceVirtualClock(0.01);
    EXPECT_FALSE(view.scriptsMatching("^JSL\\.clear\\(\\);$").empty());
}

TEST_F(FindCommanderTest, theWindowsBarWorksTheSameCommands)
{
    find.showFindAndReplace();
    EXPECT_EQ(barShown, 1);
    view.answerMatching("JSL\\.setKW", "4");
    // The window's entry sets the text and reports the change.
    find.bar().findOnPage->setText(u"ox");
    find.bar().findOnPage->sendActionsForControlEvent(ControlEvent::EditingChanged);
    find.bar().findOnPage->setText(u"fox");
    find.bar().findOnPage->sendActionsForControlEvent(ControlEvent::EditingChanged);
    loop.advanceVirtualClock(FindCommander::kTypingPauseSeconds);
    EXPECT_EQ(view.scriptsMatching("JSL\\.setKW").size(), 1u);
    EXPECT_EQ(searches("fox"), 1u);

    find.bar().replaceOnPage->sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
    loop.advanceVirtualClock(FindCommander::kReturnKeyDelaySeconds);
    EXPECT_EQ(searches("fox"), 2u) << "return in either field searches at once";

    EXPECT_TRUE(find.bar().findOnPageControl->selectSegment(SearchReplaceBar::kNextSegment));
    EXPECT_TRUE(find.bar().findOnPageControl->selectSegment(SearchReplaceBar::kNextSegment));
    EXPECT_EQ(label(), "3/4") << "each tap on the same segment steps";

    view.answerMatching("JSL\\.replace", "1");
    find.bar().replaceButton->sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
    EXPECT_EQ(find.nTotalReplacements(), 1);

    find.hideFindOnPage();
    EXPECT_EQ(barDismissed, 1);
}

} // namespace
} // namespace folio
