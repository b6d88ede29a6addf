#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/TextView.h"
#include "qvtext/QVText_DKTextViewSelectedTextHighlightView2.h"

#include <gtest/gtest.h>

#include <cmath>

namespace folio {
namespace {

// The layer drawn over a text view, probed in a bitmap the size of the text
// view: the selection's rectangles are filled in the tint, the rest is left
// clear for the text underneath.
TEST(QVTextSelectedTextHighlightViewTest, paintsTheEnclosingTextViewsSelectionAndTakesNoClicks)
{
    auto text = std::make_shared<TextView>(makeRect(0, 0, 200, 100));
    text->setText(u"first line\nsecond line");
    text->setSelectedRange(Range{0, 5});
    auto highlight = std::make_shared<QVText_DKTextViewSelectedTextHighlightView2>(makeRect(0, 0, 200, 100));
    EXPECT_EQ(highlight->alpha(), 0.25);
    EXPECT_FALSE(highlight->isUserInteractionEnabled()) << "clicks go through to the text";
    EXPECT_TRUE(highlight->highlightedRects().empty()) << "outside a text view there is nothing to show";

    ASSERT_TRUE(text->addSubview(highlight));
    EXPECT_EQ(highlight->containingTextView(), text.get());
    std::vector<Rect> rects = highlight->highlightedRects();
    ASSERT_FALSE(rects.empty());
    std::vector<Rect> selection = text->selectionRectsForRange(Range{0, 5});
    ASSERT_EQ(rects.size(), selection.size());
    for (const Rect& rect : rects) {
        EXPECT_EQ(rect.minX(), std::floor(rect.minX())) << "whole points";
        EXPECT_EQ(rect.size.width, std::ceil(rect.size.width));
    }
    EXPECT_LE(rects[0].minX(), selection[0].minX());
    EXPECT_GE(rects[0].maxX(), selection[0].maxX()) << "rounded outward";

    highlight->setTintColor(Color::colorWithRed(1, 0, 0));
    auto context = GraphicsContext::imageContext({200, 100});
    ASSERT_TRUE(context);
    highlight->drawRect(**context, highlight->bounds());
    auto image = (*context)->makeImage();
    ASSERT_TRUE(image);
    const Rect& first = rects[0];
    EXPECT_EQ((*image)->pixelAt(static_cast<int>(first.midX()), static_cast<int>(first.midY())), (Rgba8{255, 0, 0, 255}))
        << "the selected word is tinted";
    EXPECT_EQ((*image)->pixelAt(190, 90).a, 0) << "the rest stays clear";

    // A bare caret shows no highlight, not even a sliver.
    text->setSelectedRange(Range{3, 0});
    EXPECT_TRUE(highlight->highlightedRects().empty());
}

} // namespace
} // namespace folio
