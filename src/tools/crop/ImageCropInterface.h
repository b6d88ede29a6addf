#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

#include <array>
#include <memory>
#include <vector>

namespace folio {

// An image with a movable, resizable crop rectangle over it, the rest
// darkened, which cuts the image to the rectangle on request. Every web-view
// editor lays one over the picture being edited; its "Crop" menu item sends
// `executeCropImage:` along the responder chain, and the editor then asks for
// the cropped image. The image is shown aspect-fit.
class ImageCropInterface : public ImageView {
public:
    static constexpr double kMinimumSide = 20;

    ImageCropInterface(Rect frame, Image::Pointer image);
    // A new overlay that offers its menu 0.3 s after it appears.
    static std::shared_ptr<ImageCropInterface> make(Rect frame, Image::Pointer image);

    const std::shared_ptr<View>& cropView() const { return m_cropView; }
    Rect cropRect() const { return m_cropView->frame(); }
    void setCropRect(const Rect& rect);

    const Color& shadowColor() const { return m_shadowColor; }
    void setShadowColor(const Color& color);
    const Color& borderColor() const { return m_borderColor; }
    void setBorderColor(const Color& color);

    // The shadow views beside the rectangle: top, bottom, left, right, then
    // the corners top left, top right, bottom left, bottom right.
    enum class Shadow { Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight };
    View& shadowView(Shadow which) const { return *m_shadows[static_cast<std::size_t>(which)]; }

    // The part of the image under the rectangle, as large in points as it
    // is in the image, at `screenScale` pixels per point.
    Result<Image::Pointer> getCroppedImage(double screenScale = 1) const;
    // A rectangle of this view in the image's own points.
    Rect cropRectForFrame(const Rect& frame) const;
    static Result<Image::Pointer> imageByCropping(const Image::Pointer& image, const Rect& rect, double screenScale = 1);
    static double distanceBetweenTwoPoints(Point from, Point to);

    // Touches in this view's coordinates: one finger moves the rectangle or
    // drags an edge or corner; two pinch the rectangle or span it.
    void touchesBegan(const std::vector<Point>& touches) override;
    void touchesMoved(const std::vector<Point>& touches) override;
    // `touchesLeft`: how many fingers the event still counts.
    void touchesEnded(int touchesLeft) override;

    // Offers "Crop" (`executeCropImage:`) in the edit menu.
    void showCropMenu();
    bool canBecomeFirstResponder() const override { return true; }

private:
    void initialCropView();
    void updateBounds();
    Rect constrained(Rect rect) const;
    void layoutHandles();
    // Moves the edge or corner of the drag view to p; the opposite edges stay.
    Rect draggedTo(Point p, Rect rect) const;
    Rect grownFrame(Shadow which) const;

    std::shared_ptr<View> m_cropView;
    std::array<std::shared_ptr<View>, 8> m_shadows;
    std::array<std::shared_ptr<ImageView>, 4> m_handles;
    std::optional<Shadow> m_dragView;
    bool m_isPanning = false;
    long long m_currentTouches = 0;
    Point m_panTouch;
    double m_scaleDistance = 0;
    Color m_shadowColor;
    Color m_borderColor;
};

} // namespace folio
