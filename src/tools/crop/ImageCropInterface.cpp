#include "tools/crop/ImageCropInterface.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/MenuController.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

constexpr double kInitialShare = 0.75;
constexpr double kHandleSide = 32;
constexpr double kEdgeSlop = 10;
constexpr double kMinimumPinchSide = 50;
constexpr double kSpanThreshold = 30;
constexpr double kSpanSmallSide = 45;
constexpr double kMenuDelaySeconds = 0.3;
constexpr const char* kErrorDomain = "ImageCropInterface";

// Corner marks of the crop rectangle: a white square with a dark rim.
Image::Pointer handleImage()
{
    const int side = static_cast<int>(kHandleSide);
    std::vector<std::uint8_t> pixels(side * side * 4, 0);
    for (int y = 10; y < 22; ++y) {
        for (int x = 10; x < 22; ++x) {
            bool rim = x == 10 || x == 21 || y == 10 || y == 21;
            std::uint8_t* pixel = &pixels[(y * side + x) * 4];
            std::uint8_t level = rim ? 60 : 255;
            pixel[0] = pixel[1] = pixel[2] = level;
            pixel[3] = 255;
        }
    }
    auto image = Image::imageWithPixels(side, side, std::move(pixels));
    return image ? *image : nullptr;
}

bool isCorner(ImageCropInterface::Shadow which)
{
    using S = ImageCropInterface::Shadow;
    return which == S::TopLeft || which == S::TopRight || which == S::BottomLeft || which == S::BottomRight;
}

Rect spanned(Point a, Point b)
{
    return makeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(a.x - b.x), std::fabs(a.y - b.y));
}

} // namespace

ImageCropInterface::ImageCropInterface(Rect frame, Image::Pointer image)
    : ImageView(std::move(image), frame)
    , m_shadowColor(Color::colorWithRed(0, 0, 0, 0.6))
    , m_borderColor(Color::colorWithWhite(1))
{
    setContentMode(ContentMode::ScaleAspectFit);
    setUserInteractionEnabled(true);
    for (auto& shadow : m_shadows) {
        shadow = std::make_shared<View>();
        shadow->setBackgroundColor(m_shadowColor);
    }
    initialCropView();
}

void ImageCropInterface::initialCropView()
{
    double width = frame().width() * kInitialShare;
    double height = frame().height() * kInitialShare;
    m_cropView = std::make_shared<View>(
        makeRect((frame().width() - width) / 2, (frame().height() - height) / 2, width, height));
    m_cropView->layerStyle().borderColor = m_borderColor;
    m_cropView->layerStyle().borderWidth = 1.0;
    m_cropView->setBackgroundColor(std::nullopt);
    Image::Pointer mark = handleImage();
    for (auto& handle : m_handles) {
        handle = std::make_shared<ImageView>(mark);
        m_cropView->addSubview(handle);
    }
    layoutHandles();
    updateBounds();
}

std::shared_ptr<ImageCropInterface> ImageCropInterface::make(Rect frame, Image::Pointer image)
{
    auto overlay = std::make_shared<ImageCropInterface>(frame, std::move(image));
    // The rectangle and its shadows join the overlay once it is shared.
    overlay->updateBounds();
    std::weak_ptr<ImageCropInterface> weak = overlay;
    RunLoop::main().postAfterDelay(kMenuDelaySeconds, [weak] {
        if (auto strong = weak.lock())
            strong->showCropMenu();
    });
    return overlay;
}

void ImageCropInterface::layoutHandles()
{
    // Each mark is centred on its corner and follows it.
    Size size = m_cropView->frame().size;
    double half = kHandleSide / 2;
    m_handles[0]->setFrame(makeRect(-half, -half, kHandleSide, kHandleSide));
    m_handles[1]->setFrame(makeRect(size.width - half, -half, kHandleSide, kHandleSide));
    m_handles[2]->setFrame(makeRect(-half, size.height - half, kHandleSide, kHandleSide));
    m_handles[3]->setFrame(makeRect(size.width - half, size.height - half, kHandleSide, kHandleSide));
}

void ImageCropInterface::setCropRect(const Rect& rect)
{
    m_cropView->setFrame(rect);
    layoutHandles();
}

void ImageCropInterface::setShadowColor(const Color& color)
{
    m_shadowColor = color;
    for (auto& shadow : m_shadows)
        shadow->setBackgroundColor(color);
}

void ImageCropInterface::setBorderColor(const Color& color)
{
    m_borderColor = color;
    m_cropView->layerStyle().borderColor = color;
}

Rect ImageCropInterface::constrained(Rect rect) const
{
    if (rect == Rect{})
        return rect;
    double W = frame().width();
    double H = frame().height();
    // An overlay smaller than the least rectangle could never settle.
    if (W < kMinimumSide || H < kMinimumSide)
        return rect;
    for (bool changed = true; changed;) {
        Rect before = rect;
        rect.origin.x = std::max(rect.origin.x, 0.0);
        rect.size.width = std::clamp(rect.size.width, kMinimumSide, W);
        if (rect.maxX() > W)
            rect.origin.x = W - rect.size.width;
        rect.size.height = std::min(rect.size.height, H);
        rect.origin.y = std::max(rect.origin.y, 0.0);
        rect.size.height = std::max(rect.size.height, kMinimumSide);
        if (rect.maxY() > H)
            rect.origin.y = H - rect.size.height;
        changed = !(rect == before);
    }
    return rect;
}

void ImageCropInterface::updateBounds()
{
    setCropRect(constrained(m_cropView->frame()));
    Rect c = m_cropView->frame();
    double x = c.minX(), y = c.minY(), w = c.width(), h = c.height();
    double W = frame().width(), H = frame().height();
    auto place = [this](Shadow which, Rect rect) { shadowView(which).setFrame(rect); };
    place(Shadow::Top, makeRect(x, 0, w, y));
    place(Shadow::Bottom, makeRect(x, y + h, w, H - y - h));
    place(Shadow::Left, makeRect(0, y, x + 1.0, h));
    place(Shadow::Right, makeRect(x + w, y, W - x - w, h));
    place(Shadow::TopLeft, makeRect(0, 0, x, y));
    place(Shadow::TopRight, makeRect(x + w, 0, W - x - w, y));
    place(Shadow::BottomLeft, makeRect(0, y + h, x, H - y - h));
    place(Shadow::BottomRight, makeRect(x + w, y + h, W - x - w, H - y - h));
    if (!m_shadows[0]->superview()) {
        for (auto& shadow : m_shadows)
            addSubview(shadow);
        addSubview(m_cropView);
    }
}

Rect ImageCropInterface::grownFrame(Shadow which) const
{
    Rect f = shadowView(which).frame();
    switch (which) {
    case Shadow::Top:
    case Shadow::Bottom:
        return makeRect(f.minX(), f.minY() - kEdgeSlop, f.width(), f.height() + 2 * kEdgeSlop);
    case Shadow::Left:
    case Shadow::Right:
        return makeRect(f.minX() - kEdgeSlop, f.minY(), f.width() + 2 * kEdgeSlop, f.height());
    default:
        return f.insetBy(-kEdgeSlop, -kEdgeSlop);
    }
}

Rect ImageCropInterface::draggedTo(Point p, Rect r) const
{
    double right = r.maxX(), bottom = r.maxY();
    switch (*m_dragView) {
    case Shadow::TopLeft:
        return makeRect(p.x, p.y, right - p.x, bottom - p.y);
    case Shadow::TopRight:
        return makeRect(r.minX(), p.y, p.x - r.minX(), bottom - p.y);
    case Shadow::BottomLeft:
        return makeRect(p.x, r.minY(), right - p.x, p.y - r.minY());
    case Shadow::BottomRight:
        return makeRect(r.minX(), r.minY(), p.x - r.minX(), p.y - r.minY());
    case Shadow::Top:
        return makeRect(r.minX(), p.y, r.width(), bottom - p.y);
    case Shadow::Bottom:
        return makeRect(r.minX(), r.minY(), r.width(), p.y - r.minY());
    case Shadow::Left:
        return makeRect(p.x, r.minY(), right - p.x, r.height());
    case Shadow::Right:
        return makeRect(r.minX(), r.minY(), p.x - r.minX(), r.height());
    }
    return r;
}

void ImageCropInterface::touchesBegan(const std::vector<Point>& touches)
{
    Rect crop = m_cropView->frame();
    if (touches.size() == 2) {
        if (m_currentTouches == 0 && crop.containsPoint(touches[0]) && crop.containsPoint(touches[1]))
            m_isPanning = true;
        m_currentTouches = 2;
        return;
    }
    if (touches.size() != 1)
        return;
    Point p = touches[0];
    m_currentTouches = 1;
    m_isPanning = false;
    if (crop.insetBy(kEdgeSlop, kEdgeSlop).containsPoint(p)) {
        m_isPanning = true;
        m_panTouch = p;
        return;
    }
    m_dragView.reset();
    for (Shadow which : {Shadow::TopLeft, Shadow::TopRight, Shadow::BottomLeft, Shadow::BottomRight, Shadow::Top,
                         Shadow::Bottom, Shadow::Left, Shadow::Right}) {
        if (grownFrame(which).containsPoint(p)) {
            m_dragView = which;
            if (shadowView(which).frame().containsPoint(p)) {
                setCropRect(draggedTo(p, crop));
                updateBounds();
            }
            break;
        }
    }
}

void ImageCropInterface::touchesMoved(const std::vector<Point>& touches)
{
    Rect crop = m_cropView->frame();
    if (touches.size() == 2 && m_isPanning) {
        double distance = distanceBetweenTwoPoints(touches[0], touches[1]);
        if (m_scaleDistance != 0) {
            double factor = (distance - m_scaleDistance) / m_scaleDistance + 1;
            Size size{crop.width() * factor, crop.height() * factor};
            if (size.width >= kMinimumPinchSide && size.height >= kMinimumPinchSide && size.width <= frame().width()
                && size.height <= frame().height())
                setCropRect(makeRect(crop.midX() - size.width / 2, crop.midY() - size.height / 2, size.width, size.height));
        }
        m_scaleDistance = distance;
    } else if (touches.size() == 2 && m_dragView) {
        Rect span = spanned(touches[0], touches[1]);
        if (isCorner(*m_dragView)) {
            setCropRect(span);
        } else if (*m_dragView == Shadow::Top || *m_dragView == Shadow::Bottom) {
            if (span.height() > kSpanThreshold || crop.height() < kSpanSmallSide)
                setCropRect(makeRect(crop.minX(), span.minY(), crop.width(), span.height()));
        } else if (span.width() > kSpanThreshold || crop.width() < kSpanSmallSide) {
            setCropRect(makeRect(span.minX(), crop.minY(), span.width(), crop.height()));
        }
    } else if (touches.size() == 1 && m_isPanning) {
        Point p = touches[0];
        crop.origin.x += p.x - m_panTouch.x;
        crop.origin.y += p.y - m_panTouch.y;
        setCropRect(crop);
        m_panTouch = p;
    } else if (touches.size() == 1 && m_dragView && Rect{{}, bounds().size}.containsPoint(touches[0])) {
        setCropRect(draggedTo(touches[0], crop));
    }
    updateBounds();
}

void ImageCropInterface::touchesEnded(int touchesLeft)
{
    m_scaleDistance = 0;
    m_currentTouches = touchesLeft;
    showCropMenu();
}

double ImageCropInterface::distanceBetweenTwoPoints(Point from, Point to)
{
    float dx = static_cast<float>(to.x - from.x);
    float dy = static_cast<float>(to.y - from.y);
    return std::sqrt(dx * dx + dy * dy);
}

Rect ImageCropInterface::cropRectForFrame(const Rect& frame) const
{
    if (contentMode() != ContentMode::ScaleAspectFit) {
        TELog(TELogLevelError, "content mode must be aspect fit");
        return {};
    }
    Size B = bounds().size;
    Size I = image() ? image()->size() : Size{};
    if (I.width <= 0 || I.height <= 0)
        return {};
    double sx = B.width / I.width;
    double sy = B.height / I.height;
    double x, y, scale;
    if (sx < sy) {
        scale = sx;
        double pad = (B.height - I.height * sx) / 2;
        x = frame.minX() / scale;
        y = (frame.minY() - pad) / scale;
    } else {
        scale = sy;
        double pad = (B.width - I.width * sy) / 2;
        x = (frame.minX() - pad) / scale;
        y = frame.minY() / scale;
    }
    auto f = [](double value) { return static_cast<double>(static_cast<float>(value)); };
    return makeRect(f(x), f(y), f(frame.width() / scale), f(frame.height() / scale));
}

Result<Image::Pointer> ImageCropInterface::imageByCropping(const Image::Pointer& image, const Rect& rect, double screenScale)
{
    if (!image)
        return Error{kErrorDomain, 1, "No image to crop"};
    if (screenScale <= 0)
        screenScale = 1;
    // The image drawn upright at the screen's scale, then the part under the
    // rectangle taken out; what lies outside the image stays transparent.
    Size points = image->size();
    int fullWidth = static_cast<int>(std::lround(points.width * screenScale));
    int fullHeight = static_cast<int>(std::lround(points.height * screenScale));
    Result<Image::Pointer> upright = image->uprightImage(fullWidth, fullHeight);
    if (!upright)
        return upright.error();
    int width = static_cast<int>(std::lround(rect.width() * screenScale));
    int height = static_cast<int>(std::lround(rect.height() * screenScale));
    if (width <= 0 || height <= 0)
        return Error{kErrorDomain, 2, "The crop rectangle is empty"};
    int left = static_cast<int>(std::lround(rect.minX() * screenScale));
    int top = static_cast<int>(std::lround(rect.minY() * screenScale));
    const std::vector<std::uint8_t>& source = (*upright)->rgbaPixels();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        int sourceY = top + y;
        if (sourceY < 0 || sourceY >= fullHeight)
            continue;
        for (int x = 0; x < width; ++x) {
            int sourceX = left + x;
            if (sourceX < 0 || sourceX >= fullWidth)
                continue;
            std::copy_n(&source[(static_cast<std::size_t>(sourceY) * fullWidth + sourceX) * 4], 4,
                        &pixels[(static_cast<std::size_t>(y) * width + x) * 4]);
        }
    }
    return Image::imageWithPixels(width, height, std::move(pixels), screenScale);
}

Result<Image::Pointer> ImageCropInterface::getCroppedImage(double screenScale) const
{
    return imageByCropping(image(), cropRectForFrame(m_cropView->frame()), screenScale);
}

void ImageCropInterface::showCropMenu()
{
    auto container = superview();
    if (!container)
        return;
    MenuController& menu = MenuController::shared();
    menu.setMenuItems({{toUtf16(Localization::localizedString("Crop")), "executeCropImage:"}});
    menu.showMenuFromView(container, frame());
}

} // namespace folio
