#include "engine/attachments/TETextAttachment.h"
#include "engine/display/DisplayTestText.h"
#include "engine/display/TEAttributedTextContentView.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutFrameAccessibilityElementGenerator.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEEmbeddedObjectRunDelegate.h"

namespace folio {
namespace {

using TEAccessibilityTests = DisplayTest;

std::shared_ptr<TEAttributedTextContentView> contentView(const AttributedString& text, double width,
                                                         const std::shared_ptr<View>& parent)
{
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(10, 20, width, 100));
    parent->addSubview(view);
    view->setAttributedString(std::make_shared<const AttributedString>(text));
    return view;
}

TEST_F(TEAccessibilityTests, threeDifferentlyStyledWordsGiveThreeElementsFramedByTheirGlyphs)
{
    MutableAttributedString text(u"ab", attributes());
    text.appendString(u" cd", attributes(12));
    text.appendString(u" ef", attributes(10, {{std::string(TELinkAttribute), URLValue::make("https://e.example/")}}));
    auto parent = std::make_shared<View>(makeRect(0, 0, 400, 400));
    auto view = contentView(text, 200, parent);
    ASSERT_EQ(view->accessibilityElementCount(), 3u);
    auto first = std::dynamic_pointer_cast<TEAccessibilityElement>(view->accessibilityElementAtIndex(0));
    auto second = std::dynamic_pointer_cast<TEAccessibilityElement>(view->accessibilityElementAtIndex(1));
    auto third = std::dynamic_pointer_cast<TEAccessibilityElement>(view->accessibilityElementAtIndex(2));
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->accessibilityLabel(), u"ab");
    EXPECT_EQ(second->accessibilityLabel(), u" cd");
    EXPECT_EQ(third->accessibilityLabel(), u" ef");
    const TELayoutLine& line = *view->layoutFrame()->lines().front();
    EXPECT_EQ(second->localCoordinateAccessibilityFrame(), line.glyphRuns()[1]->frame());
    // In the window: moved by the view's origin.
    Rect inWindow = second->accessibilityFrame();
    EXPECT_DOUBLE_EQ(inWindow.minX(), line.glyphRuns()[1]->frame().minX() + 10);
    EXPECT_DOUBLE_EQ(inWindow.minY(), line.glyphRuns()[1]->frame().minY() + 20);
    EXPECT_EQ(first->accessibilityTraits(), TEAccessibilityTraitStaticText);
    EXPECT_EQ(third->accessibilityTraits(), TEAccessibilityTraitStaticText | TEAccessibilityTraitLink);
    // One run: the platform's default point, the middle of the frame.
    EXPECT_EQ(first->localCoordinateAccessibilityActivationPoint(), TEAccessibilityElementNullActivationPoint);
    EXPECT_DOUBLE_EQ(first->accessibilityActivationPoint().x, first->localCoordinateAccessibilityFrame().midX() + 10);
    EXPECT_EQ(view->indexOfAccessibilityElement(*third), 2u);
    EXPECT_EQ(view->accessibilityElementAtIndex(3), nullptr);
}

TEST_F(TEAccessibilityTests, aRunWrappedOntoTwoLinesSpansBothAndActivatesAtItsFirstGlyphRun)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 400, 400));
    auto view = contentView(AttributedString(u"aaaa bbbb", attributes()), 25, parent);
    const auto& lines = view->layoutFrame()->lines();
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(view->accessibilityElementCount(), 1u);
    auto element = std::dynamic_pointer_cast<TEAccessibilityElement>(view->accessibilityElementAtIndex(0));
    Rect frame = element->localCoordinateAccessibilityFrame();
    EXPECT_DOUBLE_EQ(frame.minY(), lines[0]->frame().minY());
    EXPECT_DOUBLE_EQ(frame.maxY(), lines[1]->frame().maxY());
    EXPECT_EQ(element->localCoordinateAccessibilityActivationPoint(), lines[0]->glyphRuns().front()->frame().origin);
}

TEST_F(TEAccessibilityTests, anAttachmentIsRepresentedBeforeItsViewExistsAndAnswersAsTheViewAfter)
{
    auto attachment = std::make_shared<TETextAttachment>();
    attachment->setDisplaySize(Size{20, 16});
    MutableAttributedString text(u"a", attributes());
    text.appendString(u"\uFFFC", attributes(10, {{std::string(NSAttachmentAttributeName), attachment},
                                                 {std::string(kCTRunDelegateAttributeName),
                                                  createEmbeddedObjectRunDelegate(attachment)}}));
    auto parent = std::make_shared<View>(makeRect(0, 0, 400, 400));
    auto view = contentView(text, 200, parent);
    ASSERT_EQ(view->accessibilityElementCount(), 2u);
    auto proxy = std::dynamic_pointer_cast<TEAccessibilityViewProxy>(view->accessibilityElementAtIndex(1));
    ASSERT_TRUE(proxy);
    EXPECT_EQ(proxy->proxiedView(), nullptr);
    EXPECT_EQ(proxy->accessibilityFrame(), Rect{});

    auto delegate = std::make_shared<TEAttributedTextContentViewDelegate>();
    delegate->viewForAttachment = [](TEAttributedTextContentView&, const std::shared_ptr<const TETextAttachment>&,
                                     Rect frame) { return std::make_shared<View>(frame); };
    view->setDelegate(delegate);
    view->layoutIfNeeded();
    std::shared_ptr<View> shown = proxy->proxiedView();
    ASSERT_TRUE(shown);
    EXPECT_EQ(proxy->accessibilityFrame(), shown->convertRectToView(shown->bounds(), nullptr));
    EXPECT_DOUBLE_EQ(proxy->accessibilityFrame().width(), 20);
    TEAccessibilityViewProxy sameView(attachment, view.get());
    EXPECT_TRUE(proxy->isEqual(sameView));
}

TEST_F(TEAccessibilityTests, aParagraphOutsideTheLinesGetsTheNullFrame)
{
    auto frame = layOut(AttributedString(u"ab\ncd", attributes()), makeRect(0, 0, 100, 100));
    frame->setNumberOfLines(1);
    TELayoutFrameAccessibilityElementGenerator generator;
    auto elements = generator.accessibilityElementsForLayoutFrame(*frame, nullptr, nullptr);
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_FALSE(TERectIsNull(elements[0]->accessibilityFrame()));
    EXPECT_TRUE(TERectIsNull(elements[1]->accessibilityFrame()));
    EXPECT_TRUE(TERectIsNull(TELayoutFrameAccessibilityElementGenerator::frameForRuns({})));
}

} // namespace
} // namespace folio
