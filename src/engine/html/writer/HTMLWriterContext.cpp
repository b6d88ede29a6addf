#include "engine/html/writer/HTMLWriterContext.h"

#include "engine/html/writer/HTMLMarkup.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cmath>

namespace folio {

namespace {

std::string makeFontCSS(const Font& font, const TEHTMLWriterSettings& settings, double textScale)
{
    TEFontDescriptor descriptor = TEFontDescriptor::fontDescriptorForCTFont(font);
    const bool scaled = textScale != 1.0 && textScale != 0.0;
    if (settings.forPrint) {
        // A printed page sets the text at the document's own size: a point
        // is four thirds of a CSS pixel (12 pt text is 16px, as it was).
        // The size keeps its fraction: 11 pt text set at 15px runs wider and
        // its lines further apart, a page in twenty more of a long document.
        constexpr double kPixelsPerPoint = 4.0 / 3.0;
        const double size = (descriptor.pointSize() - TEFontDescriptor::FONTSIZEOFFSET) * kPixelsPerPoint;
        return descriptor.cssStyleRepresentationAtSize(scaled ? size / textScale : size);
    }
    if (scaled)
        descriptor.setPointSize(descriptor.pointSize() / textScale);
    return descriptor.cssStyleRepresentation();
}

} // namespace

const std::string& HTMLWriterContext::fontCSS(const Font* font) const
{
    static const std::string kNoFont;
    if (!font)
        return kNoFont;
    return styleCache.fontCSS(*font, [&] { return makeFontCSS(*font, settings, textScale); });
}

double HTMLWriterContext::printedLineRatio(const Font& font) const
{
    std::string key = font.postScriptName() + '\n' + font.familyName() + '\n'
        + (font.fallbackFamilies().empty() ? std::string() : font.fallbackFamilies().front());
    if (auto found = printedLineRatios.find(key); found != printedLineRatios.end())
        return found->second;
    // A face the computer lacks prints in the web engine's choice for it:
    // a clone the system binds to its name, else the generic family of its
    // kind or the default one; not the looser stand-in the editor measures
    // it with.
    std::optional<Font> printed;
    if (font.isSubstituted()) {
        const std::optional<std::string> clone = FontCatalog::shared()->boundSubstituteFamily(font.familyName());
        printed = Font::fontWithName(clone                              ? std::string_view(*clone)
                                     : font.fallbackFamilies().empty() ? std::string_view("sans-serif")
                                                                       : std::string_view(font.fallbackFamilies().front()),
                                     font.pointSize());
    }
    const Font& measured = printed ? *printed : font;
    const double ratio = measured.pointSize() > 0 ? measured.lineHeight() / measured.pointSize() : 0;
    printedLineRatios.emplace(std::move(key), ratio);
    return ratio;
}

double HTMLWriterContext::printedSingleLine(const Font* font, double multiple) const
{
    if (!settings.forPrint || settings.forEPub || !font || !(multiple > 0) || multiple == 1 || !std::isfinite(multiple))
        return 0;
    // The text prints at the size its font CSS gives it, four thirds of a
    // pixel to the point (see makeFontCSS); its lines go with it.
    constexpr double kPixelsPerPoint = 4.0 / 3.0;
    const double printedSize = TEFontDescriptor::fontDescriptorForCTFont(*font).pointSize()
        - TEFontDescriptor::FONTSIZEOFFSET;
    const double ratio = printedLineRatio(*font);
    if (!(printedSize > 0) || !(ratio > 0) || !std::isfinite(ratio))
        return 0;
    const bool scaled = textScale != 1.0 && textScale != 0.0;
    return ratio * printedSize * kPixelsPerPoint / (scaled ? textScale : 1.0);
}

std::string HTMLWriterContext::printedLineHeightCSS(const Font* font, double multiple) const
{
    const double single = printedSingleLine(font, multiple);
    if (!(single > 0))
        return {};
    return "line-height:" + formatShortest(std::round(multiple * single * 100) / 100) + "px;";
}

double HTMLWriterContext::printedLeadingAbove(const Font* font, double multiple) const
{
    const double single = multiple > 1 ? printedSingleLine(font, multiple) : 0;
    return single > 0 ? std::round((multiple - 1) * single / 2 * 100) / 100 : 0;
}

std::string HTMLWriterContext::fontCSSAtIndex(std::size_t index) const
{
    AttributeDictionaryPtr attributes = string.attributesAtIndex(index);
    return attributes ? fontCSS(fontInAttributes(*attributes)) : std::string();
}

void HTMLWriterContext::applyStyle(HTMLAttributeMap& attributes, const std::string& element,
                                   const std::string& css) const
{
    if (css.empty())
        return;
    if (fragment) {
        attributes["style"] = toUtf16(css);
        return;
    }
    std::u16string classes = toUtf16(styleClasses.classForElement(element, css));
    auto existing = attributes.find("class");
    if (existing != attributes.end()) {
        // The element's own classes follow the generated one, as single
        // blank-separated words whatever white space they came with.
        std::u16string word;
        for (char16_t c : existing->second + u' ') {
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\u2028') {
                if (!word.empty())
                    classes += u' ' + word;
                word.clear();
            } else {
                word += c;
            }
        }
    }
    attributes["class"] = std::move(classes);
}

const Font* fontInAttributes(const AttributeDictionary& attributes)
{
    return fontOfValue(attributes.valueForKey(kCTFontAttributeName).get());
}

std::optional<double> numberInAttributes(const AttributeDictionary& attributes, std::string_view key)
{
    return numberOfValue(attributes.valueForKey(key).get());
}

bool flagInAttributes(const AttributeDictionary& attributes, std::string_view key)
{
    return flagOfValue(attributes.valueForKey(key).get());
}

const Font* fontOfValue(const AttributeValue* value)
{
    const auto* font = value ? value->as<FontAttributeValue>() : nullptr;
    return font ? &font->font() : nullptr;
}

std::optional<double> numberOfValue(const AttributeValue* value)
{
    if (!value)
        return std::nullopt;
    if (const auto* number = value->as<DoubleValue>())
        return number->value();
    if (const auto* number = value->as<IntegerValue>())
        return static_cast<double>(number->value());
    if (const auto* flag = value->as<BoolValue>())
        return flag->value() ? 1.0 : 0.0;
    return std::nullopt;
}

bool flagOfValue(const AttributeValue* value)
{
    if (!value)
        return false;
    if (const auto* text = value->as<StringValue>())
        return !text->value().empty();
    std::optional<double> number = numberOfValue(value);
    // Markers of other kinds count by their presence.
    return number ? *number != 0 : true;
}

void HTMLWriterContext::appendAttributes(std::string& html, std::string_view element,
                                         const HTMLAttributeMap& attributes) const
{
    if (!settings.exported || attributes.empty()) {
        HTMLMarkup::appendAttributes(html, attributes, element, settings.exported);
        return;
    }
    // Each attribute is written once per value: a document's elements
    // repeat a few hundred styles in ever new company (each link its own
    // address beside the one style of links, each cell its own width beside
    // its borders), so whole tags repeat far less often than their parts.
    // The key holds the name after its length, then the value's units as
    // they are: it is only ever compared, and a conversion of every value
    // to UTF-8 cost more than the lookup it keys.
    std::string& key = exportedAttributeKey;
    for (const auto& [name, value] : attributes) {
        // What an export leaves out is looked up no further: the editing
        // page's data differs from one paragraph to the next.
        if (HTMLMarkup::isLeftOutOfExport(name))
            continue;
        key.assign(element);
        key += '\0';
        const std::size_t nameLength = name.size();
        key.append(reinterpret_cast<const char*>(&nameLength), sizeof nameLength);
        key += name;
        key.append(reinterpret_cast<const char*>(value.data()), value.size() * sizeof(char16_t));
        auto [written, isNew] = exportedAttributes.try_emplace(key);
        if (isNew)
            HTMLMarkup::appendExportedAttribute(written->second, element, name, value);
        html += written->second;
    }
}

} // namespace folio
