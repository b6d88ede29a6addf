#include "foundation/graphics/FontTraits.h"

namespace folio {

std::optional<std::string> FontTraits::postscriptNameFromFullName(std::string_view name,
                                                                  std::shared_ptr<const FontCatalog> catalog)
{
    std::optional<Font> font = Font::fontWithName(name, 1, std::move(catalog));
    if (!font)
        return std::nullopt;
    return font->postScriptName();
}

std::optional<Font> FontTraits::fontWithName(std::string_view name, double size, bool boldTrait, bool italicTrait,
                                             std::shared_ptr<const FontCatalog> catalog)
{
    std::optional<std::string> postScriptName = postscriptNameFromFullName(name, catalog);
    if (!postScriptName)
        return std::nullopt;
    std::optional<Font> font = Font::fontWithName(*postScriptName, size, catalog);
    if (!font)
        return std::nullopt;

    std::uint32_t traits = (italicTrait ? kFontItalicTrait : 0) | (boldTrait ? kFontBoldTrait : 0);
    std::optional<Font> copy = traits == 0 ? font : font->copyWithSymbolicTraits(traits, traits, size);
    if (!copy)
        return std::nullopt;
    // The answer is the font known by the copy's name, so that it is what a later
    // lookup of that name gives.
    return Font::fontWithName(copy->postScriptName(), copy->pointSize(), catalog);
}

std::optional<Font> FontTraits::fontWithBoldTrait(const Font& font, bool boldTrait, bool italicTrait, double size,
                                                  std::shared_ptr<const FontCatalog> catalog)
{
    std::optional<std::string> regular = postscriptNameFromFullName(font.familyName(), catalog);
    if (!regular)
        return std::nullopt;
    return fontWithName(*regular, size, boldTrait, italicTrait, catalog);
}

std::optional<Font> FontTraits::fontWithBoldTrait(const Font& font, bool boldTrait, bool italicTrait)
{
    return fontWithBoldTrait(font, boldTrait, italicTrait, font.pointSize());
}

bool FontTraits::isBold(const Font& font) { return (font.symbolicTraits() & kFontBoldTrait) != 0; }

bool FontTraits::isItalic(const Font& font) { return (font.symbolicTraits() & kFontItalicTrait) != 0; }

} // namespace folio

