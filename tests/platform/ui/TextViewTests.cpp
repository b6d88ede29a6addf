#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/Font.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
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

// The geometry of every position, and the content size: what a relayout of
// the whole text would give must be what the view laid out after its edits.
void expectSameLayout(const TextView& edited, const std::string& step)
{
    auto storage = std::make_shared<TextStorage>();
    storage->setAttributedString(edited.textStorage()->attributedString());
    auto fresh = std::make_shared<TextView>(edited.frame(), storage);
    fresh->setTextContainerInset(edited.textContainerInset());
    EXPECT_EQ(edited.contentSize(), fresh->contentSize()) << "after " << step;
    for (std::size_t position = 0; position <= edited.text().size(); ++position)
        ASSERT_EQ(edited.caretRectForPosition(position), fresh->caretRectForPosition(position)) << "at " << position << " after " << step;
}

TEST(TextViewLayoutTest, editsOfEveryKindLayOutWhatAWholeLayoutGives)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    auto big = FontAttributeValue::make(*Font::fontWithName("Cousine", 30, catalog));
    auto storage = std::make_shared<TextStorage>();
    auto view = std::make_shared<TextView>(makeRect(0, 0, 200, 100), storage);
    view->setTextContainerInset(EdgeInsets{22, 22, 8, 22});
    view->setText(u"first line\nsecond\r\nthird is the longest line here\n\nfifth");
    storage->addAttribute(TextAttributeName::Font, big, Range{11, 6});
    expectSameLayout(*view, "a taller line");

    view->replaceRange(Range{3, 0}, u"xx");
    expectSameLayout(*view, "typing inside a line");
    view->replaceRange(Range{5, 0}, u"\n");
    expectSameLayout(*view, "breaking a line");
    view->replaceRange(Range{5, 1}, u"");
    expectSameLayout(*view, "joining it again");
    view->replaceRange(Range{20, 1}, u"");
    expectSameLayout(*view, "taking the return out of a return and line feed");
    view->replaceRange(Range{20, 0}, u"\r");
    expectSameLayout(*view, "putting it back");
    view->replaceRange(Range{8, 30}, u"a\nb");
    expectSameLayout(*view, "replacing over several lines");
    storage->addAttribute(TextAttributeName::Font, big, Range{0, 1});
    expectSameLayout(*view, "a larger font at a line start");
    storage->addAttribute(TextAttributeName::Font, big, Range{view->text().size() - 2, 2});
    expectSameLayout(*view, "a larger font at the end, widening its line");
    view->replaceRange(Range{view->text().size(), 0}, u"\n");
    expectSameLayout(*view, "a line break at the end");
    view->replaceRange(Range{0, 0}, u"\U0001F600\n");
    expectSameLayout(*view, "a surrogate pair at the start");
    ASSERT_TRUE(view->undoManager().undo());
    expectSameLayout(*view, "undo");
    view->replaceRange(Range{0, view->text().size()}, u"");
    expectSameLayout(*view, "deleting everything");
    view->replaceRange(Range{0, 0}, u"again\nand again");
    expectSameLayout(*view, "typing into the empty text");
}

TEST(TextViewLayoutTest, typingKeepsTheCaretAndTheBottomInsetInView)
{
    auto view = std::make_shared<TextView>(makeRect(0, 0, 300, 120));
    view->setTextContainerInset(EdgeInsets{22, 22, 8, 22});
    for (int line = 0; line < 40; ++line)
        view->insertText(u"another line\n");
    auto visible = [&] {
        Rect caret = view->caretRectForPosition(view->selectedRange().end());
        double top = view->contentOffset().y + view->contentInset().top;
        double bottom = view->contentOffset().y + view->bounds().height() - view->contentInset().bottom;
        return caret.minY() >= top && caret.maxY() + view->textContainerInset().bottom <= bottom;
    };
    EXPECT_GT(view->contentOffset().y, 0);
    EXPECT_TRUE(visible());
    // A keyboard over the lower part of the view.
    view->setContentInset(EdgeInsets{0, 0, 50, 0});
    view->insertText(u"x");
    EXPECT_TRUE(visible());
    // An edit at the top brings the caret, with the inset above it, back into view.
    view->setSelectedRange(Range{0, 0});
    view->replaceRange(Range{0, 0}, u"top");
    EXPECT_TRUE(visible());
    EXPECT_EQ(view->contentOffset().y, 0);
}

} // namespace
} // namespace folio
