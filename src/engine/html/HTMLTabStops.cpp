#include "engine/html/HTMLTabStops.h"

#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cmath>

namespace folio {

namespace {

// Farther than any page is wide: a stop beyond it is damage, not layout.
constexpr double kLargestStopPosition = 20000;
// A paragraph has a few dozen stops at most; the RTF reader keeps as many.
constexpr std::size_t kMostStops = 64;

bool isLeader(char16_t character) { return character == u'.' || character == u'-' || character == u'_'; }

} // namespace

std::u16string HTMLTabStops::attributeText(const std::vector<TextTab>& stops)
{
    std::u16string text;
    for (const TextTab& stop : stops) {
        if (!std::isfinite(stop.location) || stop.location <= 0)
            continue;
        if (!text.empty())
            text += u' ';
        text += stop.decimal                               ? u'D'
            : stop.alignment == TextAlignment::Right  ? u'R'
            : stop.alignment == TextAlignment::Center ? u'C'
                                                      : u'L';
        text += toUtf16(formatShortest(std::round(stop.location * 100) / 100));
        if (isLeader(stop.leader))
            text += stop.leader;
    }
    return text;
}

std::optional<std::vector<TextTab>> HTMLTabStops::stopsFromAttribute(std::u16string_view text)
{
    std::vector<TextTab> stops;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == u' ') {
            ++at;
            continue;
        }
        TextTab stop;
        switch (text[at]) {
        case u'L':
            break;
        case u'R':
            stop.alignment = TextAlignment::Right;
            break;
        case u'C':
            stop.alignment = TextAlignment::Center;
            break;
        case u'D':
            stop.alignment = TextAlignment::Right;
            stop.decimal = true;
            break;
        default:
            return std::nullopt;
        }
        double location = 0;
        std::size_t end = scanFloatingPoint(text, at + 1, &location);
        // A dot leader reads as the number's decimal point ("R432."); no
        // position is written with a point and no digits after it.
        if (end > at + 1 && text[end - 1] == u'.')
            --end;
        if (end == at + 1 || !std::isfinite(location) || location <= 0 || location > kLargestStopPosition)
            return std::nullopt;
        stop.location = location;
        at = end;
        if (at < text.size() && isLeader(text[at]))
            stop.leader = text[at++];
        if (at < text.size() && text[at] != u' ')
            return std::nullopt;
        if (stops.size() == kMostStops)
            return std::nullopt;
        stops.push_back(stop);
    }
    return stops;
}

} // namespace folio
