#include "engine/html/HTMLListItemIndents.h"

#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cmath>

namespace folio {

namespace {

// Deeper than any list a reader builds, wider than any page: beyond either
// the value is damage, not layout.
constexpr std::size_t kDeepestList = 64;
constexpr double kLargestIndent = 20000;

} // namespace

std::u16string HTMLListItemIndents::attributeText() const
{
    return toUtf16(std::to_string(depth) + " " + formatShortest(headIndent) + " " + formatShortest(firstLineHeadIndent));
}

std::optional<HTMLListItemIndents> HTMLListItemIndents::fromAttribute(std::u16string_view text)
{
    double numbers[3] = {};
    std::size_t at = 0;
    for (double& number : numbers) {
        if (at > 0) {
            if (at >= text.size() || text[at] != u' ')
                return std::nullopt;
            ++at;
        }
        const std::size_t end = scanFloatingPoint(text, at, &number);
        if (end == at || !std::isfinite(number) || std::abs(number) > kLargestIndent)
            return std::nullopt;
        at = end;
    }
    if (at != text.size() || numbers[0] < 1 || numbers[0] > kDeepestList || numbers[0] != std::floor(numbers[0]))
        return std::nullopt;
    return HTMLListItemIndents{static_cast<std::size_t>(numbers[0]), numbers[1], numbers[2]};
}

} // namespace folio
