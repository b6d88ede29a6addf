#pragma once

#include <string>

namespace folio {

struct TEShading;

// How a word processor's shading is drawn on a page. A line pattern is
// drawn as its lines in the pattern colour over the fill, as word processors
// show it; a share of one colour over another is the colour they mix to.
class HTMLShadingCSS {
public:
    HTMLShadingCSS() = delete;

    // The lines of a line pattern as a CSS background image; "" for a
    // shading without one.
    static std::string patternImage(const TEShading& shading);
};

} // namespace folio
