#include "engine/model/TEEdgeInsetsCoding.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

namespace folio {

void encodeDTEdgeInsets(KeyedArchiver& coder, const TEEdgeInsets& insets, std::string_view key)
{
    coder.encodeString("{" + formatShortest(insets.top) + ", " + formatShortest(insets.left) + ", "
                           + formatShortest(insets.bottom) + ", " + formatShortest(insets.right) + "}",
                       key);
}

TEEdgeInsets decodeDTEdgeInsetsForKey(const KeyedUnarchiver& coder, std::string_view key)
{
    std::optional<std::string> text = coder.decodeString(key);
    TEEdgeInsets insets{};
    if (!text)
        return insets;
    std::u16string characters = toUtf16(*text);
    double sides[4] = {0, 0, 0, 0};
    std::size_t at = 0;
    for (double& side : sides) {
        // Each number follows "{" or ", ".
        char16_t expected = &side == sides ? u'{' : u',';
        if (at >= characters.size() || characters[at] != expected)
            return insets;
        ++at;
        while (at < characters.size() && characters[at] == u' ')
            ++at;
        std::size_t after = scanFloatingPoint(characters, at, &side);
        if (after == at)
            return insets;
        at = after;
    }
    if (at >= characters.size() || characters[at] != u'}')
        return insets;
    return TEEdgeInsets{sides[0], sides[1], sides[2], sides[3]};
}

} // namespace folio
