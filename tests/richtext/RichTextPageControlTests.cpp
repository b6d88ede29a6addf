#include "richtext/RichTextPageControl.h"

#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "richtext/RichTextPageCounter.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class RichTextPageControlTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        ProgressHUD::dismiss();
        counter.setPageHeight(738);
    }
    void TearDown() override { ProgressHUD::dismiss(); }

    RichTextPageControl::Host host()
    {
        RichTextPageControl::Host h;
        h.sendScript = [this](const std::string& script) { scripts.push_back(script); };
        h.readString = [this](const std::string& script) {
            reads.push_back(script);
            return script == "document.getElementById('content').scrollHeight" ? scrollHeight : std::string();
        };
        h.isEditing = [] { return false; };
        h.canShow = [this] { return showable; };
        h.present = [this](std::shared_ptr<ViewController> controller) { alert = std::dynamic_pointer_cast<AlertController>(controller); };
        h.moveToEndOfDoc = [this] { ++movedToEnd; };
        return h;
    }
    void answerJump(const std::u16string& typed)
    {
        control.gotoPageinDoc();
        ASSERT_TRUE(alert);
        ASSERT_EQ(alert->textFields().size(), 1u);
        alert->textFields().front()->setText(typed);
        ASSERT_TRUE(alert->tapActionWithTitle(u"OK"));
    }

    RichTextPageCounter counter;
    std::vector<std::string> scripts;
    std::vector<std::string> reads;
    std::string scrollHeight = "0";
    bool showable = true;
    std::shared_ptr<AlertController> alert;
    int movedToEnd = 0;
    RichTextPageControl control{counter, host()};
};

TEST_F(RichTextPageControlTest, theControlShowsThePageAndTheCountAndWhichWayItCanGo)
{
    EXPECT_TRUE(control.pageUpDownView()->isHidden()) << "nothing to count before the page reports";
    counter.pageDidScroll(2000, 1000);
    control.updatePageUpDownControl();
    EXPECT_FALSE(control.pageUpDownView()->isHidden());
    EXPECT_EQ(control.pageNumber()->text(), u"2");
    EXPECT_EQ(control.pageTotal()->text(), u"2");
    EXPECT_TRUE(control.pageUpButton()->isEnabled());
    EXPECT_FALSE(control.pageDownButton()->isEnabled()) << "the last page has no next one";

    showable = false;
    control.updatePageUpDownControl();
    EXPECT_TRUE(control.pageUpDownView()->isHidden());
}

TEST_F(RichTextPageControlTest, aPageButtonStepsATenthOfASecondAfterItsLastTap)
{
    counter.pageDidScroll(3000, 100);
    control.updatePageUpDownControl();
    ASSERT_EQ(control.pageNumber()->text(), u"1");
    control.pageDownButton()->tap();
    loop.advanceVirtualClock(0.05);
    control.pageDownButton()->tap();
    EXPECT_TRUE(control.isPageButtonPending());
    loop.advanceVirtualClock(0.09);
    EXPECT_TRUE(scripts.empty()) << "the second tap replaced the first";
    loop.advanceVirtualClock(0.02);
    EXPECT_EQ(scripts, (std::vector<std::string>{"document.getElementById('content').scrollTop =738;"}));
    EXPECT_FALSE(control.isPageButtonPending());
    EXPECT_EQ(control.pageNumber()->text(), u"2");
    EXPECT_TRUE(control.pageUpButton()->isEnabled());
    EXPECT_TRUE(control.pageDownButton()->isEnabled());

    counter.pageDidScroll(3000, 1476);
    control.updatePageUpDownControl();
    scripts.clear();
    control.pageUpButton()->tap();
    loop.advanceVirtualClock(RichTextPageControl::kStepDelaySeconds);
    EXPECT_EQ(scripts, (std::vector<std::string>{"document.getElementById('content').scrollTop =738;"}))
        << "from the top of page 3 to the top of page 2";
    EXPECT_EQ(control.pageNumber()->text(), u"2");
}

TEST_F(RichTextPageControlTest, jumpToPageGoesToThePageOrTheEndAndIgnoresWhatIsNoPage)
{
    scrollHeight = "2300";
    answerJump(u"2");
    EXPECT_EQ(reads, (std::vector<std::string>{"document.getElementById('content').scrollHeight"}));
    EXPECT_EQ(alert->title(), u"Jump to page");
    EXPECT_TRUE(ProgressHUD::isVisible());
    loop.advanceVirtualClock(RichTextPageControl::kStepDelaySeconds);
    EXPECT_EQ(reads.back(), "document.getElementById('content').scrollTop =738;");
    EXPECT_FALSE(ProgressHUD::isVisible());

    answerJump(u"4");
    loop.advanceVirtualClock(RichTextPageControl::kStepDelaySeconds);
    EXPECT_EQ(movedToEnd, 1) << "three pages: page 4 is past the end";
    EXPECT_FALSE(ProgressHUD::isVisible());

    reads.clear();
    answerJump(u"none");
    answerJump(u"0");
    loop.advanceVirtualClock(1);
    EXPECT_EQ(movedToEnd, 1);
    EXPECT_EQ(reads.size(), 2u) << "only the page's height was read";
    EXPECT_FALSE(control.isDisplayingAlert());
}

TEST_F(RichTextPageControlTest, theKeysComeBackOnceHoweverTheJumpQuestionGoes)
{
    auto window = std::make_shared<Window>(Rect{{0, 0}, {1024, 768}});
    auto editor = std::make_shared<ViewController>();
    window->setRootViewController(editor);
    window->makeKeyAndVisible();
    int keysBack = 0;
    RichTextPageControl::Host shown = host();
    shown.present = [&](std::shared_ptr<ViewController> question) { ASSERT_TRUE(editor->presentViewController(question, false)); };
    shown.jumpAnswered = [&] { ++keysBack; };
    RichTextPageControl asking{counter, shown};

    // Closed without its answer, as Escape closes it on the desktop.
    asking.gotoPageinDoc();
    ASSERT_NE(editor->presentedViewController(), nullptr);
    editor->dismissViewControllerAnimated(false);
    EXPECT_EQ(keysBack, 1);
    EXPECT_FALSE(asking.isDisplayingAlert());

    // Answered: back once, not once more as the question goes.
    asking.gotoPageinDoc();
    auto question = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(question->tapActionWithTitle(u"OK"));
    EXPECT_EQ(keysBack, 2);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

} // namespace
} // namespace folio
