#include "markdown/SHTextView.h"

#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class SHTextViewTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<SHTextView> makeView(const std::u16string& text)
    {
        auto view = std::make_shared<SHTextView>(makeRect(0, 0, 300, 200), nullptr, &defaults);
        view->setText(text);
        return view;
    }
    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
};

TEST_F(SHTextViewTest, stepsThroughMatchesAndWrapsWhenCircular)
{
    auto view = makeView(u"one cat, two cats, three Cats");
    view->setCircularSearch(true);
    EXPECT_TRUE(view->scrollToMatch(u"cat", RegularExpressionCaseInsensitive));
    EXPECT_TRUE(view->isSearching());
    EXPECT_EQ(view->numberOfMatches(), 3u);
    EXPECT_EQ(view->rangeOfFoundString(), (Range{4, 3}));
    view->scrollToMatch(u"cat");
    view->scrollToMatch(u"cat");
    EXPECT_EQ(view->foundString(), u"Cat");
    EXPECT_TRUE(view->scrollToMatch(u"cat"));
    EXPECT_EQ(view->indexOfFoundString(), 0u);
    EXPECT_TRUE(view->scrollToMatch(u"cat", SHTextView::SearchDirection::Backward));
    EXPECT_EQ(view->indexOfFoundString(), 2u);

    EXPECT_FALSE(view->scrollToMatch(u"dog"));
    EXPECT_FALSE(view->isSearching());
    EXPECT_FALSE(view->scrollToMatch(u"("));
    EXPECT_FALSE(view->regex().has_value());
}

TEST_F(SHTextViewTest, searchRangePastTheEndSearchesTheWholeText)
{
    auto view = makeView(u"x and x");
    EXPECT_TRUE(view->scrollToString(u"x", 0, Range{50, 10}));
    EXPECT_EQ(view->cachedRange(), (Range{0, 7}));
    EXPECT_EQ(view->numberOfMatches(), 2u);

    // A range inside the text: positions stay those of the whole text.
    EXPECT_TRUE(view->scrollToString(u"x", 0, Range{2, 5}));
    EXPECT_EQ(view->numberOfMatches(), 1u);
    EXPECT_EQ(view->rangeOfFoundString(), (Range{6, 1}));
}

TEST_F(SHTextViewTest, lengtheningTheSearchTextContinuesAtTheCurrentMatch)
{
    auto view = makeView(u"ab abc abcd");
    view->setSearchOptions(RegularExpressionCaseInsensitive);
    view->scrollToString(u"ab");
    view->scrollToString(u"ab");
    ASSERT_EQ(view->rangeOfFoundString(), (Range{3, 2}));
    EXPECT_TRUE(view->scrollToString(u"ABc"));
    EXPECT_EQ(view->rangeOfFoundString(), (Range{3, 3}));
    EXPECT_FALSE(view->scrollToString(std::nullopt));
    EXPECT_FALSE(view->isSearching());
}

TEST_F(SHTextViewTest, highlightsMergeByLineAndMarkTheCurrentMatch)
{
    auto view = makeView(u"find me\nfind me\nfind");
    view->setCircularSearch(true);
    ASSERT_TRUE(view->scrollToMatch(u"me\\nfind"));
    // A match across a line break gets one view per line; each line's
    // rectangles are one run.
    ASSERT_EQ(view->highlightsByRange().size(), 2u);
    EXPECT_EQ(view->primaryHighlights().size(), 2u);
    EXPECT_EQ(view->secondaryHighlights().size(), 2u);
    EXPECT_EQ(view->primaryHighlights()[0]->backgroundColor(), SHTextView::primaryHighlightColor());
    auto* highlight = dynamic_cast<SHHighlightView*>(view->primaryHighlights()[0].get());
    ASSERT_TRUE(highlight);
    EXPECT_DOUBLE_EQ(highlight->cornerRadius(), 0.2 * highlight->frame().height());

    view->scrollToMatch(u"me\\nfind");
    EXPECT_EQ(view->secondaryHighlights()[0]->backgroundColor(), SHTextView::secondaryHighlightColor());
    EXPECT_EQ(view->subviews().size(), 4u);

    // Typing ends the search and takes every highlight away.
    view->setSelectedRange(Range{0, 0});
    view->insertText(u"x");
    EXPECT_FALSE(view->isSearching());
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_TRUE(view->highlightsByRange().empty());
}

TEST_F(SHTextViewTest, scrollsAMatchIntoTheChosenPlace)
{
    std::u16string text;
    for (int line = 0; line < 100; ++line)
        text += u"line " + std::u16string(line == 60 ? u"target" : u"plain") + u"\n";
    auto view = makeView(text);
    view->setTextContainerInset(EdgeInsets{});
    const double lineHeight = view->caretRectForPosition(0).height();
    ASSERT_TRUE(view->scrollToMatch(u"target", 0, std::nullopt, false, SHTextView::ScrollPositionMiddle));
    Rect match = view->firstRectForRange(view->rangeOfFoundString());
    EXPECT_DOUBLE_EQ(view->contentOffset().y, match.minY() - (200 - lineHeight) / 2);

    // Already in the middle band: nothing moves.
    view->setContentOffset(Point{0, view->contentOffset().y + 1});
    view->scrollRangeToVisible(view->rangeOfFoundString(), true, false);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, match.minY() - (200 - lineHeight) / 2 + 1);

    view->setScrollPosition(SHTextView::ScrollPositionTop);
    view->scrollRangeToVisible(Range{30 * 11, 4}, false, false);  // "line plain\n" is 11 long
    EXPECT_DOUBLE_EQ(view->contentOffset().y, 30 * lineHeight);
    view->scrollToCaretPosition(0);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, 0);
    EXPECT_EQ(view->scrollPosition(), SHTextView::ScrollPositionTop);
}

TEST_F(SHTextViewTest, scrollingRefreshesHighlightsUntilItEnds)
{
    std::u16string text;
    for (int line = 0; line < 100; ++line)
        text += u"word\n";
    auto view = makeView(text);
    ASSERT_TRUE(view->scrollToMatch(u"word"));
    std::size_t shown = view->highlightsByRange().size();
    EXPECT_GT(shown, 0u);
    EXPECT_LT(shown, 100u);
    view->setContentOffset(Point{0, 1000});
    EXPECT_NE(view->autoRefreshTimer(), 0u);
    loop.advanceVirtualClock(0.15);
    EXPECT_EQ(view->autoRefreshTimer(), 0u);
    EXPECT_GT(view->highlightsByRange().size(), shown);

    view->setScrollAutoRefreshDelay(0.05);
    view->setScrollAutoRefreshDelay(-1);
    EXPECT_EQ(view->scrollAutoRefreshDelay(), 0.2);
    view->setScrollAutoRefreshDelay(0);
    EXPECT_EQ(view->scrollAutoRefreshDelay(), 0);
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST_F(SHTextViewTest, anAnimatedScrollGlidesToTheMatchAndANewerOneTakesOver)
{
    std::u16string text;
    for (int line = 0; line < 100; ++line)
        text += u"line " + std::u16string(line == 60 ? u"target" : line == 90 ? u"second" : u"plain") + u"\n";
    auto view = makeView(text);
    view->setTextContainerInset(EdgeInsets{});
    const double lineHeight = view->caretRectForPosition(0).height();
    ASSERT_TRUE(view->scrollToMatch(u"target", 0, std::nullopt, true, SHTextView::ScrollPositionMiddle));
    const double target = 60 * lineHeight - (200 - lineHeight) / 2;
    EXPECT_EQ(view->contentOffset().y, 0) << "nothing jumps";
    loop.advanceVirtualClock(0.15);
    EXPECT_GT(view->contentOffset().y, 0);
    EXPECT_LT(view->contentOffset().y, target);
    loop.advanceVirtualClock(0.2);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, target);

    // A second scroll before the first ends: the first stops moving.
    view->setContentOffset(Point{0, 0});
    view->scrollToMatch(u"target", 0, std::nullopt, true, SHTextView::ScrollPositionMiddle);
    loop.advanceVirtualClock(0.1);
    view->scrollToMatch(u"second", 0, std::nullopt, true, SHTextView::ScrollPositionTop);
    loop.advanceVirtualClock(0.5);
    EXPECT_DOUBLE_EQ(view->contentOffset().y, std::min(90 * lineHeight, view->contentSize().height - 200));
}

} // namespace
} // namespace folio
