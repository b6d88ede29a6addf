#include "webeditor/FontFaceRules.h"

#include "foundation/graphics/FontTraits.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace folio {

namespace {

constexpr std::array<std::string_view, 11> kWeightMarkers = {"-light", "-medium", "-thin",    "-extra", "-semi",    "-text",
                                                             "-stencil", "-unicase", "-black", "-extrabold", "-hairline"};
constexpr std::array<std::string_view, 2> kBoldOnlyMarkers = {"-italic", "-ultra"};

template <size_t N>
bool containsAny(const std::string& text, const std::array<std::string_view, N>& markers)
{
    return std::any_of(markers.begin(), markers.end(), [&](std::string_view marker) { return text.find(marker) != std::string::npos; });
}

constexpr double kLookUpSize = 12;

} // namespace

bool FontFaceRules::canBeBold(const Font& font)
{
    std::string name = asciiLowercaseString(font.postScriptName());
    if (containsAny(name, kWeightMarkers) || containsAny(name, kBoldOnlyMarkers))
        return false;
    std::optional<Font> bold = FontTraits::fontWithName(font.familyName(), kLookUpSize, true, false);
    return bold && FontTraits::isBold(*bold);
}

bool FontFaceRules::canBeItalic(const Font& font)
{
    std::optional<Font> italic = FontTraits::fontWithName(font.familyName(), kLookUpSize, false, true);
    return italic && FontTraits::isItalic(*italic);
}

bool FontFaceRules::canBeItalicAndBold(std::string_view fontName)
{
    std::optional<Font> both = FontTraits::fontWithName(fontName, kLookUpSize, true, true);
    return both && FontTraits::isItalic(*both);
}

bool FontFaceRules::namesWeightFace(std::string_view families)
{
    return !families.empty() && containsAny(asciiLowercaseString(families), kWeightMarkers);
}

std::optional<Font> FontFaceRules::fontFromPageAnswer(std::string_view answer, Pieces pieces)
{
    std::string name;
    for (char c : answer) {
        if (c != '"' && c != '\'')
            name += c;
    }
    if (pieces == Pieces::FirstOnly)
        name = name.substr(0, name.find(','));
    if (name.empty())
        return std::nullopt;
    return Font::fontWithName(name, kLookUpSize);
}

std::string FontFaceRules::titleForFont(const std::optional<Font>& font)
{
    if (!font)
        return "Helvetica";
    const FontFace& face = font->face();
    // A substituted font is shown by the name the document asked for.
    if (font->isSubstituted())
        return font->familyName();
    bool plain = !face.isBold() && !face.isItalic();
    bool regular = face.styleName.empty() || face.styleName == "Regular" || face.styleName == "Roman"
                   || face.styleName == "Book" || face.styleName == "Normal";
    if (plain && regular)
        return font->familyName();
    return face.fullName.empty() ? font->postScriptName() : face.fullName;
}

std::optional<Font> FontFaceRules::fontWithTraits(const Font& base, std::optional<bool> bold, std::optional<bool> italic,
                                                  const std::optional<std::string>& fontName, std::optional<double> size)
{
    bool wantBold = bold.value_or(FontTraits::isBold(base));
    bool wantItalic = italic.value_or(FontTraits::isItalic(base));
    double pointSize = size.value_or(base.pointSize());
    if (fontName)
        return FontTraits::fontWithName(*fontName, pointSize, wantBold, wantItalic);
    return FontTraits::fontWithBoldTrait(base, wantBold, wantItalic, pointSize);
}

} // namespace folio
