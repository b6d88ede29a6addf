#pragma once

#include "platform/text/AttributeValue.h"

namespace folio {

// Reserves room on a line for an object that is not a glyph (a picture, a
// frame): a character carrying it under TextAttributeName::RunDelegate is laid
// out as one blank glyph of this width, ascent and descent.
class TextRunDelegate : public AttributeValue {
public:
    virtual double ascent() const = 0;
    virtual double descent() const = 0;
    virtual double width() const = 0;
};

} // namespace folio
