#pragma once

#include "platform/graphics/GraphicsContext.h"

#include <pango/pango.h>

namespace folio {

// Sets a layout's alignment; justified text keeps its last line at the left,
// as a word processor sets it.
inline void setPangoAlignment(PangoLayout* layout, GraphicsContext::TextBoxStyle::Alignment alignment)
{
    using Alignment = GraphicsContext::TextBoxStyle::Alignment;
    switch (alignment) {
    case Alignment::Center:
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        break;
    case Alignment::Right:
        pango_layout_set_alignment(layout, PANGO_ALIGN_RIGHT);
        break;
    case Alignment::Justified:
        pango_layout_set_justify(layout, TRUE);
        pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
        break;
    case Alignment::Left:
        pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
        break;
    }
}

} // namespace folio
