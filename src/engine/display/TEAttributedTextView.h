#pragma once

#include "engine/display/TEAttributedTextContentView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ScrollView.h"

#include <memory>
#include <string>

namespace folio {

// A scroll view hosting a content view as tall as its text: the content
// view takes the scroll view's width less the content insets, and the
// scroll view's content size follows the content view's layout.
class TEAttributedTextView : public ScrollView {
public:
    explicit TEAttributedTextView(Rect frame = {});
    ~TEAttributedTextView() override;

    const std::shared_ptr<const AttributedString>& attributedString() const { return m_attributedString; }
    void setAttributedString(std::shared_ptr<const AttributedString> string);
    void setTextDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate);
    bool shouldDrawLinks() const { return m_shouldDrawLinks; }
    void setShouldDrawLinks(bool draw);
    bool shouldDrawImages() const { return m_shouldDrawImages; }
    void setShouldDrawImages(bool draw);

    // A colour with any transparency shows what lies behind: the content
    // view turns clear; an opaque colour the content view takes itself.
    // NOTE: hides View::setBackgroundColor, which knows nothing of the content view.
    void setBackgroundColor(std::optional<Color> color);
    // Created on first request (white, below the content view, which turns clear).
    std::shared_ptr<View> backgroundView();
    // Replaces the view below the content view; without one the content view is white again.
    void setBackgroundView(std::shared_ptr<View> view);

    // Created on first request over the bounds less the content insets.
    std::shared_ptr<TEAttributedTextContentView> attributedTextContentView();

    void setFrame(const Rect& frame) override;
    void setContentInsets(EdgeInsets insets);
    void scrollRangeToVisible(Range range);
    void scrollToAnchorNamed(std::u16string_view name);
    void relayoutText();
    // In this view's coordinates.
    std::size_t closestCursorIndexToPoint(Point point);
    Rect cursorRectAtIndex(std::size_t index);
    void contentViewDidLayout(Rect optimalFrame);

protected:
    void layoutSubviews() override;

private:
    void resizeContentView();

    std::shared_ptr<const AttributedString> m_attributedString;
    std::weak_ptr<const TEAttributedTextContentViewDelegate> m_textDelegate;
    std::shared_ptr<TEAttributedTextContentView> m_contentView;
    std::shared_ptr<View> m_backgroundView;
    bool m_shouldDrawLinks = true;
    bool m_shouldDrawImages = true;
    ObserverToken m_layoutObserver = 0;
};

} // namespace folio
