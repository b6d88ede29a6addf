#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TextView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

class RecordingDelegate : public TextViewDelegate {
public:
    std::vector<std::string> calls;
    bool allowChanges = true;
    bool textViewShouldChangeTextInRange(TextView&, Range range, const std::u16string&) override
    {
        calls.push_back("shouldChange " + std::to_string(range.location) + "," + std::to_string(range.length));
        return allowChanges;
    }
    void textViewDidChange(TextView&) override { calls.push_back("didChange"); }
    void textViewDidChangeSelection(TextView& view) override
    {
        calls.push_back("selection " + std::to_string(view.selectedRange().location));
    }
};

class TextViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        view->setText(u"hello");
        view->setDelegate(delegate);
    }
    std::shared_ptr<TextView> view = std::make_shared<TextView>(makeRect(0, 0, 200, 100));
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(TextViewTest, typingAsksTheDelegateAndACodeReplaceOnlyReports)
{
    int notifications = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(TextViewTextDidChangeNotification, view.get(),
                                                                 [&notifications](const Notification&) { ++notifications; });
    EXPECT_TRUE(view->insertText(u"!"));
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"shouldChange 5,0", "selection 6", "didChange"}));
    delegate->calls.clear();
    EXPECT_TRUE(view->replaceRange(Range{0, 1}, u"J"));
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"selection 1", "didChange"}));
    EXPECT_EQ(view->text(), u"Jello!");
    delegate->allowChanges = false;
    EXPECT_FALSE(view->deleteBackward());
    EXPECT_EQ(view->text(), u"Jello!");
    EXPECT_EQ(notifications, 2);
    NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(TextViewTest, deleteBackwardTakesWholeCharactersAndEverythingUndoes)
{
    view->setText(u"a\U0001F600");
    EXPECT_TRUE(view->deleteBackward());
    EXPECT_EQ(view->text(), u"a");
    view->insertText(u"bc");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"a");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"a\U0001F600");
    EXPECT_TRUE(view->undoManager().redo());
    EXPECT_EQ(view->text(), u"a");
    EXPECT_TRUE(view->performAction("redo:", nullptr));
    EXPECT_EQ(view->text(), u"abc");
    EXPECT_FALSE(view->undoManager().canRedo());
}

TEST_F(TextViewTest, positionsAndRectanglesFollowTheLines)
{
    view->setText(u"ab\ncd");
    view->setTextContainerInset(EdgeInsets{10, 5, 0, 0});
    Rect caret = view->caretRectForPosition(4);
    EXPECT_DOUBLE_EQ(caret.minX(), 5 + 12 * 0.6);
    EXPECT_DOUBLE_EQ(caret.minY(), 10 + caret.height());
    EXPECT_EQ(view->selectionRectsForRange(Range{1, 3}).size(), 2u);
    EXPECT_EQ(view->selectionRectsForRange(Range{0, 3}).size(), 1u);
    EXPECT_EQ(view->characterRangeAtPoint(Point{caret.minX() + 1, caret.midY()}), (Range{4, 1}));
    EXPECT_EQ(view->closestPositionToPoint(Point{1000, caret.midY()}), 5u);
    EXPECT_EQ(view->positionFromPosition(4, 2), std::nullopt);
    EXPECT_EQ(view->positionFromPosition(4, -4), 0u);
    EXPECT_EQ(view->offsetFromPosition(4, 1), -3);
    view->setSelectedRange(Range{4, 10});
    EXPECT_EQ(view->selectedRange(), (Range{4, 1}));
}

TEST_F(TextViewTest, selectionObserversComeAndGoIndependently)
{
    int first = 0;
    int second = 0;
    auto firstToken = view->addSelectionObserver([&first](TextView&) { ++first; });
    view->addSelectionObserver([&second](TextView&) { ++second; });
    view->setSelectedRange(Range{1, 0});
    view->removeSelectionObserver(firstToken);
    view->insertText(u"x");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

} // namespace
} // namespace folio
