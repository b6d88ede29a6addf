#pragma once

#include "platform/ui/View.h"

#include <memory>

namespace folio {

class Image;

enum class ContentMode {
    ScaleToFill, ScaleAspectFit, ScaleAspectFill, Redraw, Center,
    Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight
};

class ImageView : public View {
public:
    explicit ImageView(std::shared_ptr<const Image> image = nullptr, Rect frame = {})
        : View(frame), m_image(std::move(image))
    {
    }

    const std::shared_ptr<const Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<const Image> image) { m_image = std::move(image); }
    ContentMode contentMode() const { return m_contentMode; }
    void setContentMode(ContentMode mode) { m_contentMode = mode; }

private:
    std::shared_ptr<const Image> m_image;
    ContentMode m_contentMode = ContentMode::ScaleToFill;
};

} // namespace folio
