#pragma once

#include "engine/fonts/TEFontDescriptor.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/graphics/Color.h"
#include "platform/text/AttributeDictionary.h"

#include <cstdint>
#include <optional>

namespace folio {

// Typed questions about the attributes of one run of engine text, shared by
// the HTML writer, the layout and the views.
class TEAttributeQueries {
public:
    // From the run's font, so its size carries the 6-point offset; none without a font.
    static std::optional<TEFontDescriptor> fontDescriptor(const AttributeDictionary& attributes);
    static bool isBold(const AttributeDictionary& attributes);
    static bool isItalic(const AttributeDictionary& attributes);
    static bool isUnderline(const AttributeDictionary& attributes);
    static bool isStrikethrough(const AttributeDictionary& attributes);
    // 1 to 6 for headings, 0 otherwise.
    static std::int64_t headerLevel(const AttributeDictionary& attributes);
    static bool hasAttachment(const AttributeDictionary& attributes);
    // From the platform paragraph style; none without one.
    static std::optional<TEParagraphStyle> paragraphStyle(const AttributeDictionary& attributes);
    // The text colour when it has one to four components; black otherwise.
    static Color foregroundColor(const AttributeDictionary& attributes);
    static std::optional<Color> backgroundColor(const AttributeDictionary& attributes);
    static double kerning(const AttributeDictionary& attributes);
    static std::optional<Color> backgroundStrokeColor(const AttributeDictionary& attributes);
    static double backgroundStrokeWidth(const AttributeDictionary& attributes);
    static double backgroundCornerRadius(const AttributeDictionary& attributes);
};

} // namespace folio
