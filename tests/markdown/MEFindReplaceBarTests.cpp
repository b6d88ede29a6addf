#include "markdown/MEFindReplaceBar.h"
#include "markdown/MEKeyboardToolbar.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/METoolbarButton.h"

#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class MEFindReplaceBarTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<MEMarkdownTextView> makeView(const std::u16string& text)
    {
        auto view = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 400, 300), false, &defaults);
        view->setText(text);
        view->installKeyBar();
        view->showSearchTextMode();
        bar = view->searchAccessoryView();
        return view;
    }
    void type(TextField& field, const std::u16string& text)
    {
        if (!field.isEditing())
            field.becomeFirstResponder();
        for (char16_t unit : text)
            field.insertText(std::u16string(1, unit));
    }
    std::u16string counter() const { return bar->matchCountLabel()->text(); }

    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    std::shared_ptr<MEFindReplaceBar> bar;
};

TEST_F(MEFindReplaceBarTest, findsAsOneTypesAndEmptyingTheFieldEndsTheSearch)
{
    auto view = makeView(u"Cat, cart and cat.");
    EXPECT_EQ(view->inputAccessoryView(), bar);
    EXPECT_FALSE(bar->nextMatch()->isEnabled());
    type(*bar->findOnPage(), u"ca");
    EXPECT_EQ(view->numberOfMatches(), 3u) << "case is ignored";
    EXPECT_EQ(view->rangeOfFoundString(), (Range{0, 2}));
    EXPECT_EQ(counter(), u"3");
    type(*bar->findOnPage(), u"t");
    EXPECT_EQ(view->numberOfMatches(), 2u);
    EXPECT_EQ(view->rangeOfFoundString(), (Range{0, 3})) << "lengthening keeps the current match";
    EXPECT_TRUE(bar->previousMatch()->isEnabled());
    EXPECT_TRUE(bar->findOnPageControl()->isEnabled());
    EXPECT_FALSE(bar->replaceButton()->isEnabled()) << "nothing to replace with yet";

    for (int count = 0; count < 3; ++count)
        bar->findOnPage()->deleteBackward();
    EXPECT_FALSE(view->isSearching());
    EXPECT_TRUE(view->highlightsByRange().empty());
    EXPECT_EQ(bar->findOnPageControl()->titleForSegmentAtIndex(1), u"0/0");
    EXPECT_FALSE(bar->findOnPageControl()->isEnabled());
    EXPECT_FALSE(bar->nextMatch()->isEnabled());
    EXPECT_EQ(counter(), u"0");

    type(*bar->findOnPage(), u"dog");
    EXPECT_EQ(counter(), u"0");
    EXPECT_FALSE(bar->findOnPageControl()->isEnabled());
}

TEST_F(MEFindReplaceBarTest, nextAndPreviousGoRoundTheMatches)
{
    auto view = makeView(u"a1 a2 a3");
    type(*bar->findOnPage(), u"a");
    ASSERT_EQ(view->rangeOfFoundString(), (Range{0, 1}));
    EXPECT_EQ(bar->findOnPageControl()->titleForSegmentAtIndex(1), u"1/3") << "the segment names the current match";
    bar->nextMatch()->tap();
    bar->nextMatch()->tap();
    EXPECT_EQ(view->rangeOfFoundString(), (Range{6, 1}));
    EXPECT_EQ(bar->findOnPageControl()->titleForSegmentAtIndex(1), u"3/3");
    bar->nextMatch()->tap();
    EXPECT_EQ(view->rangeOfFoundString(), (Range{0, 1})) << "next after the last is the first";
    bar->previousMatch()->tap();
    EXPECT_EQ(view->rangeOfFoundString(), (Range{6, 1})) << "previous before the first is the last";
    EXPECT_EQ(bar->findOnPageControl()->titleForSegmentAtIndex(1), u"3/3");
    EXPECT_EQ(view->primaryHighlights().size(), 1u);
    EXPECT_EQ(view->primaryHighlights()[0]->backgroundColor(), SHTextView::primaryHighlightColor());
}

TEST_F(MEFindReplaceBarTest, replaceGoesOnAfterTheInsertedText)
{
    auto view = makeView(u"a b a b a");
    type(*bar->findOnPage(), u"a");
    type(*bar->replaceOnPageField(), u"aa");
    ASSERT_TRUE(bar->replaceButton()->isEnabled());
    bar->replaceButton()->tap();
    EXPECT_EQ(view->text(), u"aa b a b a");
    EXPECT_EQ(view->rangeOfFoundString(), (Range{5, 1})) << "the inserted text is not found again";
    EXPECT_EQ(counter(), u"2") << "the rest of the text is counted";
    bar->replaceButton()->tap();
    bar->replaceButton()->tap();
    EXPECT_EQ(view->text(), u"aa b aa b aa");

    // A new search text is looked for in the whole text again.
    bar->findOnPage()->clear();
    type(*bar->findOnPage(), u"b");
    EXPECT_EQ(view->numberOfMatches(), 2u);
    EXPECT_EQ(view->rangeOfFoundString(), (Range{3, 1}));
}

TEST_F(MEFindReplaceBarTest, replaceAllReplacesEachMatchOnceInOneUndoStep)
{
    auto view = makeView(u"cat cat cat cat");
    type(*bar->findOnPage(), u"cat");
    type(*bar->replaceOnPageField(), u"cats");
    bar->replaceAllButton()->tap();
    EXPECT_EQ(view->text(), u"cats cats cats cats") << "a replacement that still matches is not replaced again";
    ASSERT_TRUE(view->undoManager().undo());
    EXPECT_EQ(view->text(), u"cat cat cat cat") << "one undo takes the whole change back";
    EXPECT_FALSE(view->undoManager().canUndo());

    // Neighbouring matches: none is skipped.
    view->setText(u"aaaa-aa");
    bar->findOnPage()->clear();
    type(*bar->findOnPage(), u"aa");
    bar->replaceOnPageField()->clear();
    type(*bar->replaceOnPageField(), u"a");
    ASSERT_EQ(view->numberOfMatches(), 3u);
    bar->replaceAllButton()->tap();
    EXPECT_EQ(view->text(), u"aa-a");
    EXPECT_EQ(counter(), u"1") << "what is left to find is counted again";
}

TEST_F(MEFindReplaceBarTest, replaceWithoutMatchesChangesNothing)
{
    auto view = makeView(u"abc");
    type(*bar->findOnPage(), u"x");
    type(*bar->replaceOnPageField(), u"y");
    bar->replaceOnPage();
    bar->replaceAll();
    EXPECT_EQ(view->text(), u"abc");
    EXPECT_FALSE(bar->replaceButton()->isEnabled());
    EXPECT_FALSE(bar->replaceAllButton()->isEnabled());
}

TEST_F(MEFindReplaceBarTest, openingTheBarAgainSearchesTheWholeText)
{
    auto view = makeView(u"x y x y");
    type(*bar->findOnPage(), u"y");
    type(*bar->replaceOnPageField(), u"z");
    bar->replaceButton()->tap();
    ASSERT_NE(view->searchRange(), SHRangeMax);
    bar->doneButton()->tap();
    view->showSearchTextMode();
    EXPECT_EQ(view->searchRange(), SHRangeMax);
    EXPECT_TRUE(bar->findOnPage()->text().empty());
    type(*bar->findOnPage(), u"x");
    EXPECT_EQ(view->numberOfMatches(), 2u) << "matches before the last replacement are found";
}

TEST_F(MEFindReplaceBarTest, aPatternThatDoesNotCompileIsShownAndChangesNothing)
{
    auto view = makeView(u"cat cut (cot)");
    bar->regularExpressionSwitch()->toggle();
    type(*bar->findOnPage(), u"c.t");
    EXPECT_EQ(view->numberOfMatches(), 3u) << "the find text is a pattern";
    EXPECT_TRUE(bar->errorLabel()->text().empty());

    bar->findOnPage()->clear();
    type(*bar->findOnPage(), u"(co");
    EXPECT_FALSE(bar->errorLabel()->text().empty()) << "the bar says why";
    EXPECT_FALSE(view->isSearching());
    EXPECT_FALSE(bar->nextMatch()->isEnabled());
    type(*bar->replaceOnPageField(), u"dog");
    bar->replaceAll();
    bar->replaceOnPage();
    EXPECT_EQ(view->text(), u"cat cut (cot)");
    EXPECT_FALSE(bar->replaceAllButton()->isEnabled());

    // Mended, the pattern searches again.
    type(*bar->findOnPage(), u")");
    EXPECT_TRUE(bar->errorLabel()->text().empty());
    EXPECT_EQ(view->numberOfMatches(), 1u);
}

TEST_F(MEFindReplaceBarTest, closingBringsBackTheSameKeysAndTappingTheTextEndsTheSearch)
{
    auto view = makeView(u"one two one");
    auto keyTitles = [](const std::shared_ptr<View>& accessory) {
        std::vector<std::u16string> titles;
        auto keys = std::dynamic_pointer_cast<MEKeyboardToolbar>(accessory);
        for (const auto& key : keys ? keys->buttons() : MEKeyboardToolbar::Buttons{})
            titles.push_back(key->title() + u"|" + std::u16string(key->image().begin(), key->image().end()));
        return titles;
    };
    const auto before = keyTitles(MEKeyboardToolbar::toolbarWithButtons(view->buttons()));
    type(*bar->findOnPage(), u"one");
    bar->doneButton()->tap();
    ASSERT_NE(view->inputAccessoryView(), bar);
    EXPECT_EQ(keyTitles(view->inputAccessoryView()), before);
    EXPECT_FALSE(before.empty());
    EXPECT_TRUE(view->isSearching()) << "closing the bar leaves the search";

    view->showSearchTextMode();
    type(*bar->findOnPage(), u"one");
    ASSERT_FALSE(view->highlightsByRange().empty());
    view->resignFirstResponder();
    view->becomeFirstResponder();
    EXPECT_NE(view->inputAccessoryView(), bar);
    EXPECT_FALSE(view->isSearching());
    EXPECT_TRUE(view->highlightsByRange().empty());
}

} // namespace
} // namespace folio
