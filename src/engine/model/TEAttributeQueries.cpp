#include "engine/model/TEAttributeQueries.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/text/FontAttributeValue.h"

namespace folio {

namespace {

constexpr std::size_t kMostColorComponents = 4;

// Numbers reach the text as integers, reals or booleans depending on who
// wrote them; all answer as a number.
std::optional<double> numberForKey(const AttributeDictionary& attributes, std::string_view key)
{
    const AttributeValuePtr& value = attributes.valueForKey(key);
    if (!value)
        return std::nullopt;
    if (const auto* real = value->as<DoubleValue>())
        return real->value();
    if (const auto* integer = value->as<IntegerValue>())
        return static_cast<double>(integer->value());
    if (const auto* boolean = value->as<BoolValue>())
        return boolean->value() ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<Color> colorForKey(const AttributeDictionary& attributes, std::string_view key)
{
    if (const auto* color = attributes.valueForKeyAs<ColorValue>(key))
        return color->color();
    return std::nullopt;
}

} // namespace

std::optional<TEFontDescriptor> TEAttributeQueries::fontDescriptor(const AttributeDictionary& attributes)
{
    if (const auto* font = attributes.valueForKeyAs<FontAttributeValue>(kCTFontAttributeName))
        return TEFontDescriptor::fontDescriptorForCTFont(font->font());
    return std::nullopt;
}

bool TEAttributeQueries::isBold(const AttributeDictionary& attributes)
{
    std::optional<TEFontDescriptor> descriptor = fontDescriptor(attributes);
    return descriptor && descriptor->boldTrait();
}

bool TEAttributeQueries::isItalic(const AttributeDictionary& attributes)
{
    std::optional<TEFontDescriptor> descriptor = fontDescriptor(attributes);
    return descriptor && descriptor->italicTrait();
}

bool TEAttributeQueries::isUnderline(const AttributeDictionary& attributes)
{
    return numberForKey(attributes, kCTUnderlineStyleAttributeName).value_or(0) != 0;
}

bool TEAttributeQueries::isStrikethrough(const AttributeDictionary& attributes)
{
    return numberForKey(attributes, TEStrikeOutAttribute).value_or(0) != 0;
}

std::int64_t TEAttributeQueries::headerLevel(const AttributeDictionary& attributes)
{
    if (const auto* level = attributes.valueForKeyAs<IntegerValue>(TEHeaderLevelAttribute))
        return level->value();
    return 0;
}

bool TEAttributeQueries::hasAttachment(const AttributeDictionary& attributes)
{
    return attributes.containsKey(NSAttachmentAttributeName);
}

std::optional<TEParagraphStyle> TEAttributeQueries::paragraphStyle(const AttributeDictionary& attributes)
{
    if (const auto* style = attributes.valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName))
        return TEParagraphStyle(style->style());
    return std::nullopt;
}

Color TEAttributeQueries::foregroundColor(const AttributeDictionary& attributes)
{
    std::optional<Color> color = colorForKey(attributes, kCTForegroundColorAttributeName);
    if (color && color->numberOfComponents() >= 1 && color->numberOfComponents() <= kMostColorComponents)
        return *color;
    return Color::colorWithWhite(0);
}

std::optional<Color> TEAttributeQueries::backgroundColor(const AttributeDictionary& attributes)
{
    return colorForKey(attributes, NSBackgroundColorAttributeName);
}

double TEAttributeQueries::kerning(const AttributeDictionary& attributes)
{
    return numberForKey(attributes, kCTKernAttributeName).value_or(0);
}

std::optional<Color> TEAttributeQueries::backgroundStrokeColor(const AttributeDictionary& attributes)
{
    return colorForKey(attributes, TEBackgroundStrokeColorAttribute);
}

double TEAttributeQueries::backgroundStrokeWidth(const AttributeDictionary& attributes)
{
    return numberForKey(attributes, TEBackgroundStrokeWidthAttribute).value_or(0);
}

double TEAttributeQueries::backgroundCornerRadius(const AttributeDictionary& attributes)
{
    return numberForKey(attributes, TEBackgroundCornerRadiusAttribute).value_or(0);
}

} // namespace folio
