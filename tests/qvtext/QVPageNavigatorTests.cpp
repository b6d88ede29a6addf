#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVPageNavigator.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <map>

namespace folio {
namespace {

constexpr const char* kScrollState = "folioPageScrollState();";

class QVPageNavigatorTest : public test::VirtualClockTest {
protected:
    QVPageNavigatorTest() : connection(&page)
    {
        QVPageNavigator::Host host;
        host.canShowCounter = [this] { return canShow; };
        host.showsNumbers = [] { return true; };
        host.isEditing = [this] { return editing; };
        host.removeResizableView = [this] { ++overlaysRemoved; };
        host.presentAlert = [this](std::shared_ptr<AlertController> alert) { alerts.push_back(std::move(alert)); };
        host.moveToEndOfDoc = [this] { ++movedToEnd; };
        pages = std::make_unique<QVPageNavigator>(connection, defaults, host);
        pages->updateEditorPageSize();
        // The page answers a read on the next turn, from `answers`.
        page.answerMatching("", [this](const std::string& script) {
            loop.post([this] { page.releaseAll(); });
            auto found = answers.find(script);
            return found == answers.end() ? std::string() : found->second;
        });
    }

    // The page scrolled to `offset` in a text `height` points high.
    void scrolled(long long offset, long long height)
    {
        answers[kScrollState] = std::to_string(offset) + "_" + std::to_string(height);
        pages->updateEditorScrollHeightAndOffset();
        pages->updatePageUpDownControl();
    }

    std::vector<std::string> moves() const { return page.scriptsMatching("folioPageScrollTo\\("); }

    testing_support::ScratchFolder folder{"qvtext-pages"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    FakeWebView page;
    PageConnection connection;
    std::unique_ptr<QVPageNavigator> pages;
    std::map<std::string, std::string> answers;
    std::vector<std::shared_ptr<AlertController>> alerts;
    bool canShow = true;
    bool editing = false;
    int overlaysRemoved = 0;
    int movedToEnd = 0;
};

TEST_F(QVPageNavigatorTest, pagesAreLetterHighWithTheStoredMarginsAndCountedFromTheScroll)
{
    EXPECT_EQ(pages->counter().pageHeight(), 735);
    defaults.setFloat("marquentPageMarginTop", 2.54f);
    defaults.setFloat("marquentPageMarginBottom", 2.54f);
    pages->updateEditorPageSize();
    EXPECT_EQ(pages->counter().pageHeight(), 738);
    defaults.removeObjectForKey("marquentPageMarginTop");
    defaults.removeObjectForKey("marquentPageMarginBottom");
    pages->updateEditorPageSize();

    scrolled(368, 2205);
    EXPECT_FALSE(pages->pageUpDownView()->isHidden());
    EXPECT_EQ(pages->pageNumber()->text(), u"2");
    EXPECT_EQ(pages->pageTotal()->text(), u"3");
    EXPECT_TRUE(pages->pageUpControl()->isEnabled());
    EXPECT_TRUE(pages->pageDownControl()->isEnabled());
    // An offset of 0 keeps the page; an answer without two numbers keeps the last.
    scrolled(0, 2205);
    EXPECT_EQ(pages->pageNumber()->text(), u"2");
    answers[kScrollState] = "";
    pages->updateEditorScrollHeightAndOffset();
    EXPECT_EQ(pages->counter().scrollHeight(), 2205);

    canShow = false;
    pages->updatePageUpDownControl();
    EXPECT_TRUE(pages->pageUpDownView()->isHidden());
}

TEST_F(QVPageNavigatorTest, pageButtonsMoveATenthOfASecondLaterAndNeverPastTheLastPage)
{
    scrolled(750, 2205);
    pages->pageDownControl()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    pages->pageDownControl()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_TRUE(pages->isPageButtonPressed());
    EXPECT_TRUE(moves().empty());
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(moves(), std::vector<std::string>{"folioPageScrollTo(1470);"}) << "a repeated press replaces the pending one";
    EXPECT_EQ(pages->pageNumber()->text(), u"3");
    EXPECT_FALSE(pages->isPageButtonPressed());
    EXPECT_FALSE(pages->pageDownControl()->isEnabled());

    // On the last page a press down scrolls nowhere and the number stays.
    answers[kScrollState] = "1470_2205";
    pages->pageDownButton();
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(moves().size(), 1u);
    EXPECT_EQ(pages->pageNumber()->text(), u"3");
    EXPECT_EQ(overlaysRemoved, 2);
}

TEST_F(QVPageNavigatorTest, pageUpOnThePartlyScrolledLastPageGoesToItsTop)
{
    editing = true;
    scrolled(1570, 2205);
    ASSERT_EQ(pages->pageNumber()->text(), u"3");
    pages->pageUpButton();
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(page.scriptsMatching("unselect").size(), 1u);
    EXPECT_EQ(moves(), std::vector<std::string>{"folioPageScrollTo(1470);"});
    EXPECT_EQ(pages->pageNumber()->text(), u"2");

    answers[kScrollState] = "800_2205";
    pages->updateEditorScrollHeightAndOffset();
    pages->pageUpButton();
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(moves().back(), "folioPageScrollTo(0);");
    EXPECT_EQ(pages->pageNumber()->text(), u"1");
    EXPECT_FALSE(pages->pageUpControl()->isEnabled());
}

TEST_F(QVPageNavigatorTest, jumpToPageAsksForANumberAndGoesToItsTopOrTheEnd)
{
    scrolled(0, 2205);
    pages->gotoPageinDoc();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), u"Jump to page");
    EXPECT_EQ(alerts[0]->message(), u"Type the number of the page:");
    ASSERT_EQ(alerts[0]->textFields().size(), 1u);
    EXPECT_EQ(alerts[0]->actions().size(), 1u) << "no cancel";
    EXPECT_TRUE(pages->isDisplayingAlert());

    answers["tinymce.activeEditor.getBody().scrollHeight"] = "2940";
    alerts[0]->textFields()[0]->setText(u"4");
    EXPECT_TRUE(alerts[0]->tapActionWithTitle(u"OK"));
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(moves().back(), "folioPageScrollTo(2205);");

    pages->jumpToPageNumber(u"9");
    loop.advanceVirtualClock(QVPageNavigator::kMoveDelaySeconds);
    EXPECT_EQ(movedToEnd, 1);
    std::size_t sent = moves().size();
    for (const char16_t* typed : {u"0", u"-2", u"two", u""})
        pages->jumpToPageNumber(typed);
    loop.advanceVirtualClock(1);
    EXPECT_EQ(moves().size(), sent);
    EXPECT_EQ(movedToEnd, 1);
}

} // namespace
} // namespace folio
