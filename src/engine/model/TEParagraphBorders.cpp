#include "engine/model/TEParagraphBorders.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace folio {

namespace {

std::optional<int> numberIn(std::string_view text, int largest)
{
    int number = 0;
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || at != text.data() + text.size() || number < 0 || number > largest)
        return std::nullopt;
    return number;
}

} // namespace

bool TEParagraphBorders::isEmpty() const
{
    return std::none_of(sides.begin(), sides.end(), [](const std::optional<Border>& side) { return side.has_value(); });
}

std::string TEParagraphBorders::text() const
{
    std::string text;
    for (std::size_t index = 0; index < sides.size(); ++index) {
        const std::optional<Border>& side = sides[index];
        if (!side || side->style < 0 || side->style > static_cast<int>(kStyles.size()))
            continue;
        if (!text.empty())
            text += ' ';
        text.append(kSides[index]).append("=").append(side->style == 0 ? kNoStyle : kStyles[static_cast<std::size_t>(side->style - 1)]);
        text += "," + std::to_string(side->width) + "," + std::to_string(side->space);
        if (side->color)
            text += "," + htmlHexString(*side->color);
    }
    return text;
}

std::optional<TEParagraphBorders> TEParagraphBorders::fromText(std::string_view text)
{
    TEParagraphBorders borders;
    for (const std::string& part : componentsSeparatedByString(text, " ")) {
        if (part.empty())
            continue;
        const std::size_t equals = part.find('=');
        const auto* side = std::find(kSides.begin(), kSides.end(), std::string_view(part).substr(0, std::min(equals, part.size())));
        if (equals == std::string::npos || side == kSides.end())
            return std::nullopt;
        const std::vector<std::string> values = componentsSeparatedByString(std::string_view(part).substr(equals + 1), ",");
        if (values.size() < 3 || values.size() > 4)
            return std::nullopt;
        const auto* style = std::find(kStyles.begin(), kStyles.end(), values[0]);
        const std::optional<int> width = numberIn(values[1], kWidest);
        const std::optional<int> space = numberIn(values[2], kFarthest);
        if ((style == kStyles.end() && values[0] != kNoStyle) || !width || !space)
            return std::nullopt;
        const int number = style == kStyles.end() ? 0 : static_cast<int>(style - kStyles.begin()) + 1;
        Border border{number, *width, *space, std::nullopt};
        if (values.size() == 4) {
            // Six hex digits, as text() writes them.
            const std::string& hex = values[3];
            const bool isHex = hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](char each) {
                return std::isxdigit(static_cast<unsigned char>(each)) != 0;
            });
            border.color = isHex ? colorWithHexString(hex) : std::nullopt;
            if (!border.color)
                return std::nullopt;
        }
        borders.sides[static_cast<std::size_t>(side - kSides.begin())] = border;
    }
    if (borders.isEmpty())
        return std::nullopt;
    return borders;
}

std::string TEParagraphBorders::css(bool nextHasTheSame) const
{
    // Drawn as inset shadows, which the page's reader takes for no look of
    // its own: a CSS border or padding would come back as a text block.
    // FIXME: the bar beside the text is kept for the save but not drawn.
    static constexpr std::string_view kOffsets[] = {"0 {}", "{} 0", "0 -{}", "-{} 0", "0 -{}"};
    std::string shadows;
    const std::size_t between = static_cast<std::size_t>(Side::Between);
    for (std::size_t index = 0; index < std::size(kOffsets); ++index) {
        const std::optional<Border>& side = sides[index];
        if (!side || side->style < 1 || side->style > static_cast<int>(kStyles.size()))
            continue;
        if (index == between && !nextHasTheSame)
            continue;
        // Twips to points, a thick or double line twice its width; never
        // thinner than a pixel (0.75pt), which the page would not draw.
        const double points = std::max(side->width / 20.0 * (side->style == 2 || side->style == 3 ? 2 : 1), 0.75);
        std::string offset(kOffsets[index]);
        offset.replace(offset.find("{}"), 2, formatShortest(points) + "pt");
        shadows += (shadows.empty() ? "inset " : ",inset ") + offset + " 0" +
            (side->color ? " #" + htmlHexString(*side->color) : std::string());
    }
    return shadows.empty() ? shadows : "box-shadow:" + shadows + ";";
}

} // namespace folio
