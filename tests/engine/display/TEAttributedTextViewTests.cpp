#include "engine/display/DisplayTestText.h"
#include "engine/display/TEAttributedTextCell.h"
#include "engine/display/TEAttributedTextView.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TELayoutLine.h"
#include "platform/ui/TableView.h"

namespace folio {
namespace {

using TEAttributedTextViewTests = DisplayTest;

std::shared_ptr<const AttributedString> manyLines(const AttributeDictionaryPtr& attributes)
{
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"line\n";
    text += u"end";
    return std::make_shared<const AttributedString>(text, attributes);
}

TEST_F(TEAttributedTextViewTests, theContentViewTakesTheWidthAndTheScrollViewItsHeight)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 500, 500));
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 120, 100));
    parent->addSubview(view);
    view->setContentInsets(EdgeInsets{0, 10, 0, 10});
    view->setAttributedString(manyLines(attributes()));
    view->layoutIfNeeded();
    auto content = view->attributedTextContentView();
    EXPECT_DOUBLE_EQ(content->frame().size.width, 100);
    auto frame = content->layoutFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->lines().size(), 41u);
    EXPECT_DOUBLE_EQ(view->contentSize().height, frame->frame().maxY());
    EXPECT_GT(view->contentSize().height, 100);

    // Line 10 comes to the top; the last line no further than the end allows.
    view->scrollRangeToVisible(Range{50, 1});
    EXPECT_DOUBLE_EQ(view->contentOffset().y, frame->lines()[10]->frame().minY());
    view->scrollRangeToVisible(Range{201, 1});
    EXPECT_DOUBLE_EQ(view->contentOffset().y, view->contentSize().height - 100);

    // Caret questions in the scroll view's coordinates.
    Rect caret = view->cursorRectAtIndex(201);
    EXPECT_DOUBLE_EQ(caret.minY(), frame->lines().back()->frame().minY() - view->contentOffset().y);
    EXPECT_EQ(view->closestCursorIndexToPoint(Point{0, caret.midY()}), 200u);
}

TEST_F(TEAttributedTextViewTests, aBackgroundViewOrATransparentColourShowsThroughTheContentView)
{
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 120, 100));
    view->setAttributedString(manyLines(attributes()));
    auto content = view->attributedTextContentView();
    view->setBackgroundColor(Color::colorWithRed(1, 0, 0, 0.5));
    EXPECT_EQ(content->backgroundColor()->alpha(), 0);
    view->setBackgroundColor(Color::colorWithRed(0, 0, 1));
    EXPECT_EQ(*content->backgroundColor(), Color::colorWithRed(0, 0, 1));

    std::shared_ptr<View> background = view->backgroundView();
    ASSERT_TRUE(background);
    EXPECT_EQ(view->subviews().front(), background);
    EXPECT_FALSE(background->isUserInteractionEnabled());
    EXPECT_EQ(content->backgroundColor()->alpha(), 0);
    view->setBackgroundView(nullptr);
    EXPECT_EQ(*content->backgroundColor(), Color::colorWithWhite(1));
    EXPECT_EQ(background->superview(), nullptr);
}

TEST_F(TEAttributedTextViewTests, aCellWithACheckmarkMeasuresItsRowForTheWidthLeftBesideIt)
{
    // 55 characters: one line in 281 - 10 points, two in 271 - 10.
    auto text = std::make_shared<const AttributedString>(std::u16string(55, u'a'), attributes());
    TableView table(TableViewStyle::Plain, makeRect(0, 0, 320, 480));
    TEAttributedTextCell cell;
    cell.setAccessoryType(TableViewCellAccessoryType::Checkmark);
    cell.setAttributedString(text);
    double height = cell.requiredRowHeightInTableView(table);
    auto layouter = TELayouter::make(text);
    auto expected = layouter->layoutFrameWithRect(makeRect(5, 5, 271, kTEOpenEndedDimension));
    ASSERT_EQ(expected->lines().size(), 2u);
    EXPECT_DOUBLE_EQ(height, expected->frame().maxY() + 5);
    cell.setAccessoryType(TableViewCellAccessoryType::None);
    EXPECT_LT(cell.requiredRowHeightInTableView(table), height);
}

TEST_F(TEAttributedTextViewTests, settingTheSameHTMLTwiceReadsItOnce)
{
    TEAttributedTextCell cell;
    cell.setHTMLString("<p>Hello <b>there</b></p>");
    std::shared_ptr<const AttributedString> first = cell.attributedString();
    ASSERT_TRUE(first);
    EXPECT_NE(first->string().find(u"Hello"), std::u16string::npos);
    cell.setHTMLString("<p>Hello <b>there</b></p>");
    EXPECT_EQ(cell.attributedString(), first);
    cell.setHTMLString("<p>Bye</p>");
    EXPECT_NE(cell.attributedString(), first);
}

} // namespace
} // namespace folio
