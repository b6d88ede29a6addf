#include "engine/attachments/TETextAttachment.h"
#include "engine/display/DisplayTestText.h"
#include "engine/display/TEAttributedLabel.h"
#include "engine/display/TEAttributedTextContentView.h"
#include "engine/display/TEDictationPlaceholderView.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEEmbeddedObjectRunDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "support/VirtualClock.h"

#include <cairo.h>

namespace folio {
namespace {

using TEAttributedTextContentViewTests = DisplayTest;

std::shared_ptr<const AttributedString> shared(AttributedString text)
{
    return std::make_shared<const AttributedString>(std::move(text));
}

TEST_F(TEAttributedTextContentViewTests, aViewNarrowerThanItsInsetsHasNoLayout)
{
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 30, 100));
    view->setAttributedString(shared(AttributedString(u"ab", attributes())));
    view->setEdgeInsets(EdgeInsets{5, 20, 7, 15});
    EXPECT_EQ(view->layoutFrame(), nullptr);
    EXPECT_EQ(view->intrinsicContentSize(), (Size{-1, -1}));
    EXPECT_EQ(view->sizeThatFits(Size{100, 100}), (Size{35, 12}));
}

TEST_F(TEAttributedTextContentViewTests, laysOutInsideTheInsetsAndReportsTheOptimalFrame)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 300, 300));
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 100, 50));
    parent->addSubview(view);
    view->setEdgeInsets(EdgeInsets{4, 10, 6, 10});
    std::optional<Rect> optimal;
    ObserverToken token = NotificationCenter::defaultCenter().addObserver(
        TEAttributedTextContentViewDidFinishLayoutNotification, view.get(),
        [&](const Notification& notification) { optimal = *notification.userInfo.get<Rect>("OptimalFrame"); });
    view->setAttributedString(shared(AttributedString(u"aaaa bbbb", attributes())));
    auto frame = view->layoutFrame();
    NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_TRUE(frame);
    // 80 points wide inside the insets: both words on one line.
    EXPECT_EQ(frame->lines().size(), 1u);
    EXPECT_DOUBLE_EQ(frame->lines().front()->baselineOrigin().x, 10);
    ASSERT_TRUE(optimal);
    EXPECT_DOUBLE_EQ(optimal->size.width, 100);
    EXPECT_DOUBLE_EQ(optimal->size.height, frame->frame().maxY() + 6);
    EXPECT_EQ(view->intrinsicContentSize(), (Size{100, frame->frame().maxY() + 6}));
    // The caret questions go to the frame.
    EXPECT_DOUBLE_EQ(view->cursorRectAtIndex(1).minX(), 15);
}

TEST_F(TEAttributedTextContentViewTests, theDefaultMaskRelaysOutOnWidthOnlyWhileTheLabelDoesOnBoth)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 300, 300));
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 100, 50));
    parent->addSubview(view);
    view->setAttributedString(shared(AttributedString(u"ab", attributes())));
    auto first = view->layoutFrame();
    view->setFrame(makeRect(0, 0, 100, 80));
    EXPECT_EQ(view->layoutFrame(), first);
    view->setFrame(makeRect(0, 0, 120, 80));
    EXPECT_NE(view->layoutFrame(), first);

    auto label = std::make_shared<TEAttributedLabel>(makeRect(0, 0, 100, 50));
    parent->addSubview(label);
    label->setAttributedString(shared(AttributedString(u"ab", attributes())));
    auto labelFrame = label->layoutFrame();
    ASSERT_TRUE(labelFrame);
    label->setFrame(makeRect(0, 0, 100, 80));
    EXPECT_NE(label->layoutFrame(), labelFrame);
}

TEST_F(TEAttributedTextContentViewTests, theLabelTruncatesToItsLineCount)
{
    auto label = std::make_shared<TEAttributedLabel>(makeRect(0, 0, 50, 200));
    label->setAttributedString(shared(AttributedString(u"aaaa bbbb cccc dddd", attributes())));
    label->setNumberOfLines(1);
    auto frame = label->layoutFrame();
    ASSERT_EQ(frame->lines().size(), 1u);
    EXPECT_EQ(glyphText(*frame->lines().front()).back(), u'\u2026');
    Size size = label->intrinsicContentSize();
    EXPECT_LE(size.width, 50);
    EXPECT_GT(size.height, 10);
}

TEST_F(TEAttributedTextContentViewTests, aLinkOverThreeRunsGetsOneViewSpanningThem)
{
    MutableAttributedString text(u"go ", attributes());
    AttributeDictionary::Entry link{std::string(TELinkAttribute), URLValue::make("https://example.com/")};
    text.appendString(u"ab", attributes(10, {link}));
    text.appendString(u"cd", attributes(12, {link}));
    text.appendString(u"ef", attributes(10, {link, {std::string(TEGUIDAttribute), StringValue::make(u"g1")}}));
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 300, 100));
    int asked = 0;
    std::u16string identifier;
    auto delegate = std::make_shared<TEAttributedTextContentViewDelegate>();
    delegate->viewForLink = [&](TEAttributedTextContentView&, const std::string& url, const std::u16string& guid,
                                Rect frame) {
        ++asked;
        identifier = guid;
        EXPECT_EQ(url, "https://example.com/");
        return std::make_shared<View>(frame);
    };
    view->setDelegate(delegate);
    view->setAttributedString(shared(text));
    view->layoutIfNeeded();
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(view->customViews().size(), 1u);
    Rect linkFrame = (*view->customViews().begin())->frame();
    EXPECT_DOUBLE_EQ(linkFrame.minX(), 15);
    EXPECT_DOUBLE_EQ(linkFrame.width(), 5 + 5 + 6 + 6 + 5 + 5);
    EXPECT_TRUE(identifier.empty());
    EXPECT_EQ(view->customViewForLinkAtLocation(3), *view->customViews().begin());
    // Laying out again reuses the view.
    view->layoutSubviewsInRect(makeRect(0, 0, 300, 100));
    EXPECT_EQ(asked, 1);
}

TEST_F(TEAttributedTextContentViewTests, anAttachmentWithoutAViewCanStillCarryALinkView)
{
    auto attachment = std::make_shared<TETextAttachment>();
    attachment->setDisplaySize(Size{20, 16});
    MutableAttributedString text(u"a", attributes());
    text.appendString(u"\uFFFC", attributes(10, {{std::string(NSAttachmentAttributeName), attachment},
                                                 {std::string(kCTRunDelegateAttributeName),
                                                  createEmbeddedObjectRunDelegate(attachment)},
                                                 {std::string(TELinkAttribute), URLValue::make("https://a.example/")}}));
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 300, 100));
    int attachmentsAsked = 0, linksAsked = 0;
    auto delegate = std::make_shared<TEAttributedTextContentViewDelegate>();
    delegate->viewForAttachment = [&](TEAttributedTextContentView&, const std::shared_ptr<const TETextAttachment>&,
                                      Rect) -> std::shared_ptr<View> {
        ++attachmentsAsked;
        return nullptr;
    };
    delegate->viewForLink = [&](TEAttributedTextContentView&, const std::string&, const std::u16string&, Rect frame) {
        ++linksAsked;
        return std::make_shared<View>(frame);
    };
    view->setDelegate(delegate);
    EXPECT_FALSE(view->shouldDrawImages());
    view->setAttributedString(shared(text));
    view->layoutIfNeeded();
    EXPECT_EQ(attachmentsAsked, 1);
    EXPECT_EQ(linksAsked, 1);
    ASSERT_TRUE(view->customViewForLinkAtLocation(attachment->hash()));
    EXPECT_DOUBLE_EQ(view->customViewForLinkAtLocation(attachment->hash())->frame().width(), 20);
}

TEST_F(TEAttributedTextContentViewTests, drawsItsBackgroundAndTextIntoAGraphicsContext)
{
    auto view = std::make_shared<TEAttributedTextContentView>(makeRect(0, 0, 100, 60));
    view->setBackgroundColor(Color::colorWithRed(0, 1, 0));
    view->setAttributedString(shared(AttributedString(
        u"a", attributes(40, {{std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(0, 0, 1))}}))));
    auto context = GraphicsContext::imageContext(Size{100, 60});
    ASSERT_TRUE(context.ok());
    view->drawLayerInContext(**context);
    cairo_surface_t* surface = cairo_get_target((*context)->cairoContext());
    cairo_surface_flush(surface);
    auto pixel = [&](int x, int y) {
        return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface)
                                                      + y * cairo_image_surface_get_stride(surface))[x];
    };
    EXPECT_EQ(pixel(10, 20), 0xFF0000FFu);
    EXPECT_EQ(pixel(60, 20), 0xFF00FF00u);
}

class TEDictationPlaceholderViewTests : public test::VirtualClockTest {};

TEST_F(TEDictationPlaceholderViewTests, theDarkDotMovesEveryQuarterSecondWhileInASuperview)
{
    auto parent = std::make_shared<View>(makeRect(0, 0, 100, 100));
    auto placeholder = TEDictationPlaceholderView::placeholderView();
    EXPECT_EQ(placeholder->frame().size, (Size{41, 16}));
    parent->addSubview(placeholder);
    EXPECT_EQ(placeholder->phase(), 0);
    RunLoop::main().advanceVirtualClock(0.25);
    EXPECT_EQ(placeholder->phase(), 1);
    RunLoop::main().advanceVirtualClock(0.5);
    EXPECT_EQ(placeholder->phase(), 0);
    placeholder->removeFromSuperview();
    RunLoop::main().advanceVirtualClock(1);
    EXPECT_EQ(placeholder->phase(), 0);
    // Moved straight into another superview, it pulses there, once only.
    auto other = std::make_shared<View>(makeRect(0, 0, 100, 100));
    parent->addSubview(placeholder);
    other->addSubview(placeholder);
    RunLoop::main().advanceVirtualClock(0.25);
    EXPECT_EQ(placeholder->phase(), 1);
}

} // namespace
} // namespace folio
