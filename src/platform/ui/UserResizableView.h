#pragma once

#include "platform/ui/ImageView.h"

#include <functional>
#include <memory>
#include <vector>

namespace folio {

// A frame over a picture that the user moves by dragging inside it and
// resizes by dragging its lower right corner; it tells its delegate when an
// edit begins, each move, each resize and the end. The picture itself is
// the content view's, `kInset` inside the frame on every side; the frame
// draws its line and corner handles around it while they are shown, and
// follows drags only then (a crop over the picture has the touches).
class UserResizableView : public View {
public:
    // The frame's inset around its content, where the handles sit.
    static constexpr double kInset = 18;
    static constexpr double kMinimumContentSide = 20;
    static constexpr double kCornerReach = 30;

    struct Delegate {
        std::function<void(UserResizableView&)> didBeginEditing{};
        std::function<void(UserResizableView&)> didTranslate{};
        std::function<void(UserResizableView&)> didMoveEditing{};
        std::function<void(UserResizableView&)> didEndEditing{};
    };

    explicit UserResizableView(Rect frame);
    // A frame holding its content view (a view can take subviews only once
    // it is shared).
    static std::shared_ptr<UserResizableView> make(Rect frame);

    // The content keeps its place inside the handles at any frame.
    void setFrame(const Rect& frame) override;

    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }
    const std::shared_ptr<ImageView>& contentView() const { return m_contentView; }

    void showEditingHandles();
    void hideEditingHandles();
    bool editingHandlesShown() const { return m_handlesShown; }

    // The frame that shows a content of this rectangle, and back.
    static Rect frameForContent(const Rect& content);
    static Rect contentForFrame(const Rect& frame);
    // Where the corner handles are drawn, in the frame's own coordinates.
    std::vector<Rect> handleRects() const;

    // A drag in the frame's superview's coordinates.
    void touchBegan(Point point);
    void touchMoved(Point point);
    void touchEnded();

    // Touches in the frame's own coordinates, as a pointer gives them.
    void touchesBegan(const std::vector<Point>& touches) override;
    void touchesMoved(const std::vector<Point>& touches) override;
    void touchesEnded(int touchesLeft) override;

    void drawRect(GraphicsContext& context, const Rect& rect) override;

private:
    void layoutContent();
    Point inSuperviewCoordinates(Point point) const;

    Delegate m_delegate;
    std::shared_ptr<ImageView> m_contentView;
    bool m_handlesShown = false;
    bool m_resizing = false;
    bool m_dragging = false;
    Point m_touchStart;
    Rect m_frameAtStart;
};

} // namespace folio
