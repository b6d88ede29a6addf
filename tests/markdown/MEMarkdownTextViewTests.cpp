#include "markdown/MEMarkdownTextView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Label.h"
#include "tools/wordcounter/JOTTextCounter.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// Stands for the editor controller behind the proxy: records what it hears
// and answers the change question as told.
class RecordingDelegate : public TextViewDelegate {
public:
    bool textViewShouldChangeTextInRange(TextView&, Range, const std::u16string& text) override
    {
        asked.push_back(text);
        return allowChanges;
    }
    void textViewDidChange(TextView& view) override { changes.push_back(view.text()); }

    bool allowChanges = true;
    std::vector<std::u16string> asked;
    std::vector<std::u16string> changes;
};

class MEMarkdownTextViewTest : public testing::Test {
protected:
    std::shared_ptr<MEMarkdownTextView> makeView(const std::u16string& text, std::size_t caret)
    {
        auto view = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 600, 400), false, &defaults);
        view->setDelegate(delegate);
        view->setText(text);
        view->setSelectedRange(Range{caret, 0});
        return view;
    }

    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(MEMarkdownTextViewTest, ABlankOrTabTypedAfterABlankBecomesOneSpaceAndIsAnEdit)
{
    auto view = makeView(u"a ", 2);
    EXPECT_FALSE(view->insertText(u"\t"));
    EXPECT_EQ(view->text(), u"a  ");
    EXPECT_EQ(view->selectedRange(), (Range{3, 0}));
    EXPECT_TRUE(delegate->asked.empty()) << "the rule decides alone";
    ASSERT_EQ(delegate->changes.size(), 1u) << "the document hears of the change at once";
    EXPECT_EQ(delegate->changes.back(), u"a  ");

    EXPECT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"a ") << "the space can be undone like typing";

    // A blank typed after a letter is left to the controller.
    auto plain = makeView(u"a", 1);
    EXPECT_TRUE(plain->insertText(u"\t"));
    EXPECT_EQ(plain->text(), u"a\t");
}

TEST_F(MEMarkdownTextViewTest, APasteThatBeginsWithABlankKeepsItsText)
{
    auto view = makeView(u"a ", 2);
    EXPECT_TRUE(view->insertText(u" pasted words"));
    EXPECT_EQ(view->text(), u"a  pasted words");
    EXPECT_EQ(delegate->asked, std::vector<std::u16string>{u" pasted words"});
}

TEST_F(MEMarkdownTextViewTest, ReturnContinuesAnAsteriskList)
{
    auto view = makeView(u"intro\n* first", 13);
    EXPECT_FALSE(view->insertText(u"\n"));
    EXPECT_EQ(view->text(), u"intro\n* first\n* ");
    EXPECT_EQ(view->selectedRange(), (Range{16, 0}));
    EXPECT_EQ(delegate->changes.size(), 1u);

    // Also when the line holds only the mark.
    EXPECT_FALSE(view->insertText(u"\n"));
    EXPECT_EQ(view->text(), u"intro\n* first\n* \n* ");
}

TEST_F(MEMarkdownTextViewTest, ReturnElsewhereIsAPlainLineBreakLeftToTheController)
{
    for (auto [text, caret] : {std::pair{std::u16string(u"* a\n"), std::size_t{4}}, std::pair{std::u16string(u"* a"), std::size_t{0}},
                               std::pair{std::u16string(u"- a"), std::size_t{3}}, std::pair{std::u16string(u" * a"), std::size_t{4}}}) {
        delegate->asked.clear();
        auto view = makeView(text, caret);
        EXPECT_TRUE(view->insertText(u"\n"));
        std::u16string expected = text;
        expected.insert(caret, u"\n");
        EXPECT_EQ(view->text(), expected);
        EXPECT_EQ(delegate->asked, std::vector<std::u16string>{u"\n"});
    }
    // The controller's refusal stands.
    delegate->allowChanges = false;
    auto view = makeView(u"- a", 3);
    EXPECT_FALSE(view->insertText(u"\n"));
    EXPECT_EQ(view->text(), u"- a");
}

TEST_F(MEMarkdownTextViewTest, WrappingKeepsTheSelectionBetweenTheMarks)
{
    auto view = makeView(u"one two", 0);
    view->setSelectedRange(Range{4, 3});
    view->wrapSelectedRangeWithString(u"**");
    EXPECT_EQ(view->text(), u"one **two**");
    EXPECT_EQ(view->selectedRange(), (Range{6, 3}));

    auto caret = makeView(u"one two", 3);
    caret->wrapSelectedRangeWithStartString(u"[", u"](url)");
    EXPECT_EQ(caret->text(), u"one[](url) two");
    EXPECT_EQ(caret->selectedRange(), (Range{4, 0}));
}

TEST_F(MEMarkdownTextViewTest, OneUndoTakesAWrapOffWhole)
{
    auto view = makeView(u"one two", 0);
    view->setSelectedRange(Range{4, 3});
    view->wrapSelectedRangeWithStartString(u"[", u"](url)");
    EXPECT_EQ(view->text(), u"one [two](url)");
    ASSERT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"one two") << "both marks go in one step";
    EXPECT_FALSE(view->undoManager().canUndo());
    ASSERT_TRUE(view->undoManager().redo());
    EXPECT_EQ(view->text(), u"one [two](url)");
}

TEST_F(MEMarkdownTextViewTest, ForwardAndBackwardStopAtTheEnds)
{
    auto view = makeView(u"abc", 2);
    view->moveForward();
    EXPECT_EQ(view->selectedRange(), (Range{3, 0}));
    view->moveForward();
    EXPECT_EQ(view->selectedRange(), (Range{3, 0}));
    view->setSelectedRange(Range{1, 1});
    view->moveBackward();
    EXPECT_EQ(view->selectedRange(), (Range{0, 1})) << "the selection moves with its length";
    view->moveBackward();
    EXPECT_EQ(view->selectedRange(), (Range{0, 1}));
}

TEST_F(MEMarkdownTextViewTest, UpAndDownKeepTheColumnAcrossShortLines)
{
    //                          0          11  14         25
    auto view = makeView(u"0123456789ab\nxy\n0123456789ab", 10);
    view->moveDown();
    EXPECT_EQ(view->selectedRange(), (Range{15, 0})) << "the end of the short line";
    view->moveDown();
    EXPECT_EQ(view->selectedRange(), (Range{26, 0})) << "back at column 10";
    view->moveUp();
    EXPECT_EQ(view->selectedRange(), (Range{15, 0}));
    view->moveUp();
    EXPECT_EQ(view->selectedRange(), (Range{10, 0}));

    // A move that the user interrupts starts a new run from the new column.
    view->setSelectedRange(Range{1, 0});
    view->moveDown();
    EXPECT_EQ(view->selectedRange(), (Range{14, 0}));
    view->moveDown();
    EXPECT_EQ(view->selectedRange(), (Range{17, 0}));

    // At the first or last line there is nowhere to go.
    view->moveDown();
    EXPECT_EQ(view->selectedRange(), (Range{17, 0}));
    view->setSelectedRange(Range{3, 0});
    view->moveUp();
    EXPECT_EQ(view->selectedRange(), (Range{3, 0}));
}

TEST_F(MEMarkdownTextViewTest, TheWordCounterShowsCharactersAndWordsAndStartsAfreshWhenShownAgain)
{
    auto view = makeView(u"Two words", 9);
    view->showWordCounter();
    ASSERT_TRUE(view->textCounter());
    ASSERT_TRUE(view->counterLabel());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->counterLabel()->text() == u"Chars 9 Words 2"; }, 30))
        << toUtf8(view->counterLabel()->text());

    // Edits reach the counter through the storage.
    view->insertText(u" more");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return view->counterLabel()->text() == u"Chars 14 Words 3"; }, 30))
        << toUtf8(view->counterLabel()->text());

    std::weak_ptr<JOTTextCounter> first = view->textCounter();
    view->hideWordCounter();
    EXPECT_FALSE(view->textCounter());
    EXPECT_FALSE(view->counterLabel());
    view->showWordCounter();
    EXPECT_NE(view->textCounter(), first.lock()) << "a fresh counter";
    EXPECT_TRUE(view->textCounter()->shouldAllowCount());

    view->willCloseDocument();
    EXPECT_TRUE(view->isClosingDocument());
    EXPECT_FALSE(view->textCounter());
}

TEST_F(MEMarkdownTextViewTest, TabletsUseThePageMarginsAndOtherDevicesAFixedBorder)
{
    defaults.setDouble("markdownPageMarginLeft", 2.54);
    defaults.setDouble("markdownPageMarginRight", 1.27);
    auto view = makeView(u"text", 0);
    view->applyPageInsets(true);
    EXPECT_EQ(view->textContainerInset(), (EdgeInsets{22, 72, 8, 36}));
    view->applyPageInsets(false);
    EXPECT_EQ(view->textContainerInset(), (EdgeInsets{22, 22, 8, 22}));
    // The text starts inside the border.
    EXPECT_EQ(view->caretRectForPosition(0).minX(), 22);
    // A side without a setting keeps the border; one set to 0 has none.
    defaults.removeObjectForKey("markdownPageMarginLeft");
    defaults.setDouble("markdownPageMarginRight", 0);
    view->applyPageInsets(true);
    EXPECT_EQ(view->textContainerInset(), (EdgeInsets{22, 22, 8, 0}));
}

} // namespace
} // namespace folio
