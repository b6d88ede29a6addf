#pragma once

#include "engine/display/TEAccessibilityViewProxy.h"
#include "engine/display/TELayoutFrame.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/text/AttributedString.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace folio {

class TEAttributedTextContentView;
class TELayouter;
class TETextAttachment;
class TETextBlock;

// What the content view asks of its delegate; an operation left empty is one
// the delegate does not implement.
struct TEAttributedTextContentViewDelegate {
    std::function<std::shared_ptr<View>(TEAttributedTextContentView&, const std::shared_ptr<const TETextAttachment>&,
                                        Rect)>
        viewForAttachment;
    // The link's target and its "TEGUID" identifier.
    std::function<std::shared_ptr<View>(TEAttributedTextContentView&, const std::string&, const std::u16string&, Rect)>
        viewForLink;
    std::function<std::shared_ptr<View>(TEAttributedTextContentView&, const AttributedString&, Rect)>
        viewForAttributedString;
    std::function<void(TEAttributedTextContentView&, TELayoutFrame&, GraphicsContext&)> willDrawLayoutFrame;
    std::function<void(TEAttributedTextContentView&, TELayoutFrame&, GraphicsContext&)> didDrawLayoutFrame;
    std::function<bool(TEAttributedTextContentView&, const TETextBlock&, Rect, GraphicsContext&, TELayoutFrame&)>
        shouldDrawBackgroundForTextBlock;
};

// Relayout triggers (bit values of relayoutMask).
inline constexpr unsigned TEAttributedTextContentViewRelayoutOnWidthChanged = 1;
inline constexpr unsigned TEAttributedTextContentViewRelayoutOnHeightChanged = 2;

// Posted with {"OptimalFrame": Rect} when the view has laid its text out.
inline constexpr const char* TEAttributedTextContentViewDidFinishLayoutNotification =
    "TEAttributedTextContentViewDidFinishLayoutNotification";

// A view that shows an attributed string: it lays the text out in its bounds
// less its edge insets (open-ended in height unless constrained), draws the
// frame, and places the views its delegate supplies over attachments and
// links. Headless: a presenter or a test draws it into a graphics context.
class TEAttributedTextContentView : public View, public TEAccessibilityViewProxyDelegate {
public:
    explicit TEAttributedTextContentView(Rect frame = {});
    ~TEAttributedTextContentView() override;

    const std::shared_ptr<const AttributedString>& attributedString() const { return m_attributedString; }
    // A different string object replaces the layout.
    virtual void setAttributedString(std::shared_ptr<const AttributedString> string);
    std::shared_ptr<TELayouter> layouter();
    void setLayouter(std::shared_ptr<TELayouter> layouter);
    // Built on first request; null while the insets leave no room.
    std::shared_ptr<TELayoutFrame> layoutFrame();
    void setLayoutFrame(std::shared_ptr<TELayoutFrame> frame);

    const EdgeInsets& edgeInsets() const { return m_edgeInsets; }
    void setEdgeInsets(const EdgeInsets& insets);
    Point layoutOffset() const { return m_layoutOffset; }
    void setLayoutOffset(Point offset) { m_layoutOffset = offset; }
    Size backgroundOffset() const { return m_backgroundOffset; }
    void setBackgroundOffset(Size offset) { m_backgroundOffset = offset; }

    std::int64_t numberOfLines() const { return m_numberOfLines; }
    TELineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    const std::optional<AttributedString>& truncationString() const { return m_truncationString; }

    bool shouldDrawImages() const { return m_shouldDrawImages; }
    void setShouldDrawImages(bool draw);
    bool shouldDrawLinks() const { return m_shouldDrawLinks; }
    void setShouldDrawLinks(bool draw);
    bool shouldLayoutCustomSubviews() const { return m_shouldLayoutCustomSubviews; }
    void setShouldLayoutCustomSubviews(bool layout) { m_shouldLayoutCustomSubviews = layout; }
    bool shouldAddFirstLineLeading() const { return m_shouldAddFirstLineLeading; }
    void setShouldAddFirstLineLeading(bool add);
    bool layoutFrameHeightIsConstrainedByBounds() const { return m_heightConstrainedByBounds; }
    void setLayoutFrameHeightIsConstrainedByBounds(bool constrained) { m_heightConstrainedByBounds = constrained; }
    unsigned relayoutMask() const { return m_relayoutMask; }
    void setRelayoutMask(unsigned mask) { m_relayoutMask = mask; }

    std::shared_ptr<const TEAttributedTextContentViewDelegate> delegate() const { return m_delegate.lock(); }
    // Held weakly: whoever installs the delegate keeps it.
    void setDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate);

    void setFrame(const Rect& frame) override;
    // A changed size drops the layout at once, without relayout.
    void setBoundsSize(Size size);

    // Drops the layout and the link views, tells observers the new optimal
    // frame and asks for layout and display.
    void relayoutText();
    void removeAllCustomViews();
    void removeAllCustomViewsForLinks();
    void removeSubviewsOutsideRect(const Rect& rect);
    // Places the delegate's views over the attachments and links of the lines
    // meeting `rect` (all lines for the infinite rectangle).
    void layoutSubviewsInRect(const Rect& rect);
    const std::set<std::shared_ptr<View>>& customViews() const { return m_customViews; }
    std::shared_ptr<View> customViewForLinkAtLocation(std::size_t location) const;
    std::shared_ptr<View> customViewForAttachmentHash(std::size_t hash) const;

    // (frame width + insets, frame bottom + bottom inset); (-1, -1) without a frame.
    virtual Size intrinsicContentSize();
    Size sizeThatFits(Size size);
    Size suggestedFrameSizeToFitEntireStringConstraintedToWidth(double width);

    // The layer's drawing path: background, offsets, options and the
    // delegate's hooks. It is what a window shows; drawRect draws the text alone.
    void drawLayerInContext(GraphicsContext& context);
    void drawLayer(GraphicsContext& context, const Rect&) override { drawLayerInContext(context); }
    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }
    Result<Image::Pointer> contentImageWithBounds(const Rect& bounds, unsigned options, double scale = 1);

    std::size_t closestCursorIndexToPoint(Point point);
    Rect cursorRectAtIndex(std::size_t index);

    std::string debugDescription();

    // Accessibility: the view is a container of one element per attribute
    // run of each paragraph, built on demand and kept until the layout changes.
    bool isAccessibilityElement() const { return false; }
    const std::vector<std::shared_ptr<TEAccessibilityObject>>& accessibilityElements();
    std::size_t accessibilityElementCount() override;
    // Null out of range.
    std::shared_ptr<TEAccessibilityObject> accessibilityElementAtIndex(std::size_t index) override;
    // The first element equal to `element`; NotFound when none is.
    std::size_t indexOfAccessibilityElement(const TEAccessibilityObject& element);
    void invalidateAccessibilityElements();
    // The attachment view registered under the attachment's hash.
    std::shared_ptr<View> viewForTextAttachment(const TETextAttachment& attachment,
                                                const TEAccessibilityViewProxy& proxy) override;

protected:
    void layoutSubviews() override;
    void setLineSettings(std::int64_t numberOfLines, TELineBreakMode mode, std::optional<AttributedString> token);
    Rect frameForLayoutFrameConstraintedToWidth(double width) const;

    std::int64_t m_numberOfLines = 0;
    TELineBreakMode m_lineBreakMode = TELineBreakMode::WordWrap;
    std::optional<AttributedString> m_truncationString;

private:
    void postDidFinishLayout(Rect optimalFrame);
    void registerCustomView(const std::shared_ptr<View>& view, long tag, bool forLink, std::size_t key);

    std::recursive_mutex m_mutex;
    std::shared_ptr<const AttributedString> m_attributedString;
    std::shared_ptr<TELayouter> m_layouter;
    std::shared_ptr<TELayoutFrame> m_layoutFrame;
    EdgeInsets m_edgeInsets;
    Point m_layoutOffset;
    Size m_backgroundOffset;
    bool m_shouldDrawImages = true;
    bool m_shouldDrawLinks = true;
    bool m_shouldLayoutCustomSubviews = true;
    bool m_shouldAddFirstLineLeading = false;
    bool m_heightConstrainedByBounds = false;
    unsigned m_relayoutMask = TEAttributedTextContentViewRelayoutOnWidthChanged;
    std::weak_ptr<const TEAttributedTextContentViewDelegate> m_delegate;
    std::set<std::shared_ptr<View>> m_customViews;
    std::map<std::size_t, std::shared_ptr<View>> m_customViewsForLinks;
    std::map<std::size_t, std::shared_ptr<View>> m_customViewsForAttachments;
    std::optional<std::vector<std::shared_ptr<TEAccessibilityObject>>> m_accessibilityElements;
};

} // namespace folio
