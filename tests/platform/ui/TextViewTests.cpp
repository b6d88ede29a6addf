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

// Each character as a key of its own, as a window delivers typing.
void typeKeys(TextView& view, std::u16string_view keys)
{
    for (char16_t key : keys)
        view.insertText(std::u16string(1, key));
}

// How many undo steps it takes to get back to `original`; -1 when undoing
// everything never gives it.
int stepsBackTo(TextView& view, const std::u16string& original)
{
    int steps = 0;
    while (view.text() != original) {
        if (!view.undoManager().undo())
            return -1;
        ++steps;
    }
    return steps;
}

TEST_F(TextViewTest, aRunOfTypingIsOneUndoStepAndRedoBringsItAllBack)
{
    typeKeys(*view, u" two words");
    EXPECT_EQ(view->text(), u"hello two words");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hello");
    EXPECT_EQ(view->selectedRange(), (Range{5, 0}));
    EXPECT_FALSE(view->undoManager().canUndo());
    EXPECT_TRUE(view->undoManager().redo());
    EXPECT_EQ(view->text(), u"hello two words");
    EXPECT_EQ(view->selectedRange(), (Range{15, 0}));
    // Typing after a redo is a step of its own.
    typeKeys(*view, u"!!");
    EXPECT_EQ(stepsBackTo(*view, u"hello"), 2);
}

TEST_F(TextViewTest, aCaretMoveALineBreakATurnToDeletingAndAPasteEachBeginAStep)
{
    // The caret moved away and back.
    typeKeys(*view, u"ab");
    view->setSelectedRange(Range{0, 0});
    view->setSelectedRange(Range{7, 0});
    typeKeys(*view, u"cd");
    EXPECT_EQ(view->text(), u"helloabcd");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloab");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hello");

    // A line break begins the step of the line it opens.
    typeKeys(*view, u"ab\ncd\nef");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloab\ncd");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloab");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hello");

    // Typing, then deleting some of it, then typing again: three steps.
    typeKeys(*view, u"xyz");
    view->deleteBackward();
    view->deleteBackward();
    typeKeys(*view, u"q");
    EXPECT_EQ(view->text(), u"helloxq");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hellox");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloxyz") << "the two deletions come back together";
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hello");

    // Typing over a selection that the window deletes first: one step.
    view->setSelectedRange(Range{1, 3});
    EXPECT_TRUE(view->deleteRange(Range{1, 3}));
    typeKeys(*view, u"ipp");
    EXPECT_EQ(view->text(), u"hippo");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"hello");

    // A paste between typing.
    typeKeys(*view, u"ab");
    view->breakUndoCoalescing();
    view->insertText(u"PASTED");
    view->breakUndoCoalescing();
    typeKeys(*view, u"cd");
    EXPECT_EQ(stepsBackTo(*view, u"hello"), 3);
}

TEST_F(TextViewTest, keyboardDeletionsJoinByDirectionAndKeepWholeCharacters)
{
    view->setText(u"ab\U0001F600cd\U0001F600ef");
    // Backspaces from before "ef", as a window's key removes the character
    // before the caret.
    view->setSelectedRange(Range{8, 0});
    EXPECT_TRUE(view->deleteRange(Range{6, 2}));
    EXPECT_TRUE(view->deleteRange(Range{5, 1}));
    EXPECT_TRUE(view->deleteRange(Range{4, 1}));
    EXPECT_EQ(view->text(), u"ab\U0001F600ef");
    // Forward deletes from after "ab".
    view->setSelectedRange(Range{2, 0});
    EXPECT_TRUE(view->deleteRange(Range{2, 2}));
    EXPECT_TRUE(view->deleteRange(Range{2, 1}));
    EXPECT_EQ(view->text(), u"abf");
    EXPECT_EQ(view->selectedRange(), (Range{2, 0}));
    // A selection deleted is a step of its own, also after forward deletes.
    view->setSelectedRange(Range{0, 0});
    EXPECT_TRUE(view->deleteRange(Range{0, 1}));
    view->setSelectedRange(Range{0, 2});
    EXPECT_TRUE(view->deleteRange(Range{0, 2}));
    EXPECT_EQ(view->text(), u"");

    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"bf");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"abf");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"ab\U0001F600ef");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"ab\U0001F600cd\U0001F600ef");
    EXPECT_FALSE(view->undoManager().canUndo());
    // Redone in the same steps.
    EXPECT_TRUE(view->undoManager().redo());
    EXPECT_EQ(view->text(), u"ab\U0001F600ef");
    EXPECT_TRUE(view->undoManager().redo());
    EXPECT_EQ(view->text(), u"abf");
}

TEST_F(TextViewTest, typingNeverGrowsAStepThatIsNoLongerOnTop)
{
    typeKeys(*view, u"ab");
    // Someone else's step on the same undo manager comes between.
    int undoneOther = 0;
    view->undoManager().registerUndo([&undoneOther] { ++undoneOther; });
    typeKeys(*view, u"cd");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloab");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(undoneOther, 1);

    // Steps removed in the middle of typing: the typing after it can still
    // be undone.
    typeKeys(*view, u"ef");
    view->undoManager().removeAllActions();
    typeKeys(*view, u"gh");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"helloabef");

    // A new text forgets the steps of the old one.
    typeKeys(*view, u"ij");
    view->setText(u"other");
    EXPECT_FALSE(view->undoManager().canUndo());
    typeKeys(*view, u"!");
    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"other");
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
