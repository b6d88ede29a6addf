#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"

#include <string>

namespace folio {

// Posted when a link button's highlight changes: {"Highlighted": bool, "GUID": std::u16string}.
inline constexpr const char* TELinkButtonDidHighlightNotification = "TELinkButtonDidHighlightNotification";

// A transparent button over link text. The buttons of one link (one per
// line it spans) share its GUID and light up together.
class TELinkButton : public Button {
public:
    explicit TELinkButton(Rect frame = {});
    ~TELinkButton() override;

    const std::string& URL() const { return m_url; }
    void setURL(std::string url) { m_url = std::move(url); }
    const std::u16string& GUID() const { return m_guid; }
    void setGUID(std::u16string guid) { m_guid = std::move(guid); }
    bool showsTouchWhenHighlighted() const { return m_showsTouchWhenHighlighted; }
    void setShowsTouchWhenHighlighted(bool shows) { m_showsTouchWhenHighlighted = shows; }

    // Also tells the link's other buttons.
    void setHighlighted(bool highlighted) override;
    // A non-empty frame grows to the minimum hit size around its middle; the
    // content insets keep the drawn highlight where the link text is.
    void setFrame(const Rect& frame) override;
    Size minimumHitSize() const { return m_minimumHitSize; }
    void setMinimumHitSize(Size size);
    const EdgeInsets& contentEdgeInsets() const { return m_contentEdgeInsets; }

    void drawRect(GraphicsContext& context, const Rect& rect) override;
    bool drawsOwnContent() const override { return true; }

private:
    void highlightNotification(const Notification& notification);
    void adjustBoundsIfNecessary();

    std::string m_url;
    std::u16string m_guid;
    Size m_minimumHitSize;
    EdgeInsets m_contentEdgeInsets;
    bool m_showsTouchWhenHighlighted = true;
    ObserverToken m_observer = 0;
};

} // namespace folio
