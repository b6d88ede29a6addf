#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Responder.h"

#include <memory>
#include <optional>
#include <vector>

namespace folio {

class AccessibilityElement;
class GestureRecognizer;
class GraphicsContext;
class ViewController;

// How a view's layer is drawn around its content.
struct ViewLayerStyle {
    double cornerRadius = 0;
    double borderWidth = 0;
    Color borderColor = Color::colorWithWhite(0);
    bool masksToBounds = false;
    std::optional<Color> shadowColor;
    double shadowOpacity = 0;
    double shadowRadius = 3;
    Size shadowOffset{0, -3};
    std::optional<Rect> shadowPath;
};

// A rectangle of the interface with its subviews. The model keeps geometry and
// appearance only; a presenter decides how it looks on screen.
class DropInteractionDelegate;

class View : public Responder {
public:
    explicit View(Rect frame = {});
    ~View() override;

    const Rect& frame() const { return m_frame; }
    virtual void setFrame(const Rect& frame);
    // The bounds' origin moves with scrolling; its size always follows the frame.
    const Rect& bounds() const { return m_bounds; }
    void setBounds(const Rect& bounds);
    Point center() const { return {m_frame.midX(), m_frame.midY()}; }

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);
    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);
    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color> color);
    long tag() const { return m_tag; }
    void setTag(long tag) { m_tag = tag; }
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    // Who is asked about things dragged over the view; none by default.
    DropInteractionDelegate* dropDelegate() const { return m_dropDelegate; }
    void setDropDelegate(DropInteractionDelegate* delegate) { m_dropDelegate = delegate; }

    ViewLayerStyle& layerStyle() { return m_layerStyle; }
    const ViewLayerStyle& layerStyle() const { return m_layerStyle; }

    // Views that draw their own content override drawRect; the presenter
    // calls it, in the view's own coordinates, while needsDisplay is set.
    // Those that are nothing but their drawing (custom controls, swatches)
    // also answer drawsOwnContent, so that a presenter shows them as drawn.
    virtual void drawRect(GraphicsContext& context, const Rect& rect);
    virtual bool drawsOwnContent() const { return false; }
    // A view that shows several things to read by drawing them itself
    // (laid-out text) hands a screen reader one element for each, in
    // reading order.
    virtual std::size_t accessibilityElementCount() { return 0; }
    virtual std::shared_ptr<AccessibilityElement> accessibilityElementAtIndex(std::size_t) { return nullptr; }
    // What a presenter runs to draw the view into `rect`: its layer's drawing
    // path, which is drawRect unless the view's layer draws in a way of its
    // own (a background of its own, options the view holds, hooks around it).
    virtual void drawLayer(GraphicsContext& context, const Rect& rect) { drawRect(context, rect); }
    // Marks the view for drawing and tells the presenter.
    void setNeedsDisplay();
    bool needsDisplay() const { return m_needsDisplay; }
    void displayIfNeeded(GraphicsContext& context);
    // Layout runs on the next layoutIfNeeded after setNeedsLayout.
    void setNeedsLayout();
    bool needsLayout() const { return m_needsLayout; }
    void layoutIfNeeded();
    // Off the main thread, setNeedsLayout and setNeedsDisplay log an error and
    // assert in debug builds once this is on: views belong to the main thread.
    static void setMainThreadChecking(bool enabled);
    static bool isMainThreadChecking();

    const std::vector<std::shared_ptr<View>>& subviews() const { return m_subviews; }
    std::shared_ptr<View> superview() const { return m_superview.lock(); }
    // Adding a view that already has a superview moves it; adding a view to
    // itself or to one of its own descendants is refused, since it would make
    // a cycle. Both views must be owned by shared_ptr.
    bool addSubview(const std::shared_ptr<View>& view);
    bool insertSubviewAtIndex(const std::shared_ptr<View>& view, std::size_t index);
    void removeFromSuperview();
    bool isDescendantOfView(const View* view) const;
    // Depth first, this view included, as the toolkit searches.
    std::shared_ptr<View> viewWithTag(long tag);

    // A point in this view's coordinates expressed in `view`'s (or the
    // window's when `view` is null), following frames and bounds origins.
    Point convertPointToView(Point point, const View* view) const;
    Rect convertRectToView(const Rect& rect, const View* view) const;

    // The deepest shown, interactive view under the point (this one
    // included), the point in this view's coordinates; null when the point
    // is outside this view or it takes no touches.
    std::shared_ptr<View> hitTest(Point point);

    // A pointer (or finger) held down on the view: touches in the view's own
    // coordinates. A view that does not follow touches itself hands them to
    // its superview, as a responder chain does.
    virtual void touchesBegan(const std::vector<Point>& touches);
    virtual void touchesMoved(const std::vector<Point>& touches);
    // `touchesLeft`: how many touches the event still counts.
    virtual void touchesEnded(int touchesLeft);

    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const GestureRecognizer* recognizer);

    // The controller whose root view this is; it comes next in the responder chain.
    ViewController* owningViewController() const { return m_owningViewController; }
    void setOwningViewController(ViewController* controller) { m_owningViewController = controller; }
    Responder* nextResponder() const override;

    // A toolkit widget that stands for this view on screen (the web view's);
    // the presenter embeds it as it is. Owned by whoever set it.
    void* nativeWidgetHandle() const { return m_nativeWidgetHandle; }
    void setNativeWidgetHandle(void* handle) { m_nativeWidgetHandle = handle; }

protected:
    virtual void layoutSubviews() {}
    // Before the view is added to a superview (`newSuperview`) or taken out
    // of one (null): what runs only while the view is shown can stop or start.
    virtual void willMoveToSuperview(const View* newSuperview) { (void)newSuperview; }
    // After the view was added to a superview or taken out of one: what a
    // view places beside itself in its superview can be placed now.
    virtual void didMoveToSuperview() {}

private:
    Point originInWindow() const;
    // Takes the view out of its superview's subviews without telling it.
    std::shared_ptr<View> detachFromSuperview();
    std::vector<Point> inSuperview(const std::vector<Point>& touches) const;
    // Tells the presenter that the view came, went, moved or changed size.
    void layoutDidChange();
    void checkMainThread(const char* method) const;

    Rect m_frame;
    Rect m_bounds;
    bool m_hidden = false;
    double m_alpha = 1;
    std::optional<Color> m_backgroundColor;
    long m_tag = 0;
    bool m_userInteractionEnabled = true;
    DropInteractionDelegate* m_dropDelegate = nullptr;
    std::vector<std::shared_ptr<View>> m_subviews;
    std::weak_ptr<View> m_superview;
    std::vector<std::shared_ptr<GestureRecognizer>> m_gestureRecognizers;
    ViewController* m_owningViewController = nullptr;
    void* m_nativeWidgetHandle = nullptr;
    ViewLayerStyle m_layerStyle;
    bool m_needsDisplay = true;
    bool m_needsLayout = true;
};

} // namespace folio
