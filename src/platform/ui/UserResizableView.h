#pragma once

#include "platform/ui/ImageView.h"

#include <functional>
#include <memory>

namespace folio {

// A frame over a picture that the user moves by dragging inside it and
// resizes by dragging its lower right corner; it tells its delegate when an
// edit begins, each move, each resize and the end. The picture itself is
// the content view's; the frame only stands over it.
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

    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }
    const std::shared_ptr<ImageView>& contentView() const { return m_contentView; }

    void showEditingHandles() { m_handlesShown = true; }
    void hideEditingHandles() { m_handlesShown = false; }
    bool editingHandlesShown() const { return m_handlesShown; }

    // A drag in the frame's superview's coordinates.
    void touchBegan(Point point);
    void touchMoved(Point point);
    void touchEnded();

private:
    void layoutContent();

    Delegate m_delegate;
    std::shared_ptr<ImageView> m_contentView;
    bool m_handlesShown = false;
    bool m_resizing = false;
    bool m_dragging = false;
    Point m_touchStart;
    Rect m_frameAtStart;
};

} // namespace folio
