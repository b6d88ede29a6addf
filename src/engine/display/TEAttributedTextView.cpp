#include "engine/display/TEAttributedTextView.h"

#include "engine/display/TELayoutLine.h"
#include "engine/model/TEAttributedStringQueries.h"
#include "foundation/system/TEUtilities.h"

#include <algorithm>

namespace folio {

TEAttributedTextView::TEAttributedTextView(Rect frame) : ScrollView(frame)
{
    if (!backgroundColor())
        setBackgroundColor(Color::colorWithWhite(1));
    layerStyle().masksToBounds = true;
}

TEAttributedTextView::~TEAttributedTextView()
{
    if (m_layoutObserver)
        NotificationCenter::defaultCenter().removeObserver(m_layoutObserver);
}

std::shared_ptr<TEAttributedTextContentView> TEAttributedTextView::attributedTextContentView()
{
    if (m_contentView)
        return m_contentView;
    Rect rect = insetRect(bounds(), contentInset());
    if (rect.size.width <= 0 || rect.size.height <= 0)
        rect = Rect{};
    m_contentView = std::make_shared<TEAttributedTextContentView>(rect);
    m_contentView->setUserInteractionEnabled(true);
    m_contentView->setBackgroundColor(backgroundColor());
    m_contentView->setShouldLayoutCustomSubviews(false);
    m_contentView->setDelegate(m_textDelegate.lock());
    m_contentView->setShouldDrawLinks(m_shouldDrawLinks);
    m_contentView->setShouldDrawImages(m_shouldDrawImages);
    m_layoutObserver = NotificationCenter::defaultCenter().addObserver(
        TEAttributedTextContentViewDidFinishLayoutNotification, m_contentView.get(),
        [this](const Notification& notification) {
            if (const Rect* optimal = notification.userInfo.get<Rect>("OptimalFrame"))
                contentViewDidLayout(*optimal);
        });
    m_contentView->setAttributedString(m_attributedString);
    addSubview(m_contentView);
    return m_contentView;
}

void TEAttributedTextView::setBackgroundColor(std::optional<Color> color)
{
    View::setBackgroundColor(color);
    if (!m_contentView)
        return;
    if (color && color->alpha() < 1)
        m_contentView->setBackgroundColor(Color::colorWithWhite(0, 0));
    else if (!m_backgroundView)
        m_contentView->setBackgroundColor(color);
}

std::shared_ptr<View> TEAttributedTextView::backgroundView()
{
    if (!m_backgroundView) {
        auto view = std::make_shared<View>(bounds());
        view->setBackgroundColor(Color::colorWithWhite(1));
        view->setUserInteractionEnabled(false);
        setBackgroundView(view);
    }
    return m_backgroundView;
}

void TEAttributedTextView::setBackgroundView(std::shared_ptr<View> view)
{
    if (m_backgroundView)
        m_backgroundView->removeFromSuperview();
    m_backgroundView = std::move(view);
    auto content = attributedTextContentView();
    if (m_backgroundView) {
        insertSubviewAtIndex(m_backgroundView, 0);
        content->setBackgroundColor(Color::colorWithWhite(0, 0));
    } else {
        content->setBackgroundColor(Color::colorWithWhite(1));
    }
}

void TEAttributedTextView::contentViewDidLayout(Rect optimalFrame)
{
    TEBlockPerformSyncIfOnMainThreadElseAsync([this, optimalFrame] {
        if (!m_contentView)
            return;
        EdgeInsets insets = contentInset();
        if (optimalFrame.size.width != bounds().size.width - insets.left - insets.right)
            return;
        m_contentView->View::setFrame(optimalFrame);
        setContentSize(m_contentView->intrinsicContentSize());
    });
}

void TEAttributedTextView::resizeContentView()
{
    if (!m_contentView)
        return;
    EdgeInsets insets = contentInset();
    m_contentView->setFrame(makeRect(0, 0, frame().size.width - insets.left - insets.right,
                                     m_contentView->frame().size.height));
}

void TEAttributedTextView::setFrame(const Rect& newFrame)
{
    bool changed = newFrame != frame();
    ScrollView::setFrame(newFrame);
    if (changed)
        resizeContentView();
}

void TEAttributedTextView::setContentInsets(EdgeInsets insets)
{
    if (insets == contentInset())
        return;
    setContentInset(insets);
    resizeContentView();
}

void TEAttributedTextView::layoutSubviews()
{
    attributedTextContentView()->layoutSubviewsInRect(bounds());
}

void TEAttributedTextView::setAttributedString(std::shared_ptr<const AttributedString> string)
{
    m_attributedString = std::move(string);
    setNeedsLayout();
    if (m_contentView)
        m_contentView->setAttributedString(m_attributedString);
}

void TEAttributedTextView::setTextDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate)
{
    m_textDelegate = delegate;
    if (m_contentView)
        m_contentView->setDelegate(delegate);
}

void TEAttributedTextView::setShouldDrawLinks(bool draw)
{
    m_shouldDrawLinks = draw;
    if (m_contentView)
        m_contentView->setShouldDrawLinks(draw);
}

void TEAttributedTextView::setShouldDrawImages(bool draw)
{
    m_shouldDrawImages = draw;
    if (m_contentView)
        m_contentView->setShouldDrawImages(draw);
}

void TEAttributedTextView::scrollRangeToVisible(Range range)
{
    std::shared_ptr<TELayoutFrame> frame = attributedTextContentView()->layoutFrame();
    TELayoutLinePtr line = frame ? frame->lineContainingIndex(range.location) : nullptr;
    if (!line)
        return;
    EdgeInsets insets = contentInset();
    double y = std::min(line->frame().origin.y,
                        contentSize().height - bounds().size.height + insets.bottom + insets.top);
    setContentOffset(Point{0, y});
}

void TEAttributedTextView::scrollToAnchorNamed(std::u16string_view name)
{
    if (!m_attributedString)
        return;
    Range range = rangeOfAnchorNamed(*m_attributedString, name);
    if (range.location == NotFound)
        return;
    scrollRangeToVisible(range);
}

void TEAttributedTextView::relayoutText()
{
    TEBlockPerformSyncIfOnMainThreadElseAsync([this] {
        if (m_contentView) {
            m_contentView->setLayouter(nullptr);
            m_contentView->relayoutText();
        }
        setNeedsLayout();
    });
}

std::size_t TEAttributedTextView::closestCursorIndexToPoint(Point point)
{
    auto content = attributedTextContentView();
    Point local{point.x - content->frame().origin.x + bounds().origin.x,
                point.y - content->frame().origin.y + bounds().origin.y};
    return content->closestCursorIndexToPoint(local);
}

Rect TEAttributedTextView::cursorRectAtIndex(std::size_t index)
{
    auto content = attributedTextContentView();
    Rect rect = content->cursorRectAtIndex(index);
    rect.origin.x += content->frame().origin.x - bounds().origin.x;
    rect.origin.y += content->frame().origin.y - bounds().origin.y;
    return rect;
}

} // namespace folio
