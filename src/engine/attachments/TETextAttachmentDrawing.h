#pragma once

#include "platform/graphics/Geometry.h"

typedef struct _cairo cairo_t;

namespace folio {

// Attachments that draw their own content when text is laid out on a page.
class TETextAttachmentDrawing {
public:
    virtual ~TETextAttachmentDrawing() = default;
    virtual void drawInRect(const Rect& rect, cairo_t* context) const = 0;
};

} // namespace folio
