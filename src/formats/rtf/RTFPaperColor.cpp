#include "formats/rtf/RTFPaperColor.h"

#include "platform/foundation/UnitSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace folio {

namespace {

constexpr const char* kWhite = "FFFFFF";

// A backslash starts a control word unless it is itself escaped, which shows
// as an odd run of backslashes before it.
template<typename Unit>
bool startsControlWord(std::basic_string_view<Unit> text, std::size_t backslash)
{
    std::size_t before = 0;
    while (before < backslash && text[backslash - before - 1] == Unit('\\'))
        ++before;
    return before % 2 == 0;
}

template<typename Unit>
bool isPaperColorDigit(Unit c)
{
    return c >= Unit('0') && c <= Unit('9');
}

} // namespace

namespace {

// One pass over the text: a white marker anywhere wins, else the first
// colour number says the colour. `find` answers the next place of the
// control word's name from a position.
template<typename Unit, typename Find>
RTFPaperColor paperColorIn(std::basic_string_view<Unit> text, Find find)
{
    static constexpr Unit kWhiteDigits[] = {'F', 'F', 'F', 'F', 'F', 'F'};
    const std::basic_string_view<Unit> whiteDigits(kWhiteDigits, 6);
    constexpr std::size_t kNameLength = 11; // "\papercolor"
    std::optional<std::string> numbered;
    for (std::size_t at = find(0); at != std::basic_string_view<Unit>::npos; at = find(at + 1)) {
        if (!startsControlWord(text, at))
            continue;
        std::size_t digits = at + kNameLength;
        if (text.substr(digits).starts_with(whiteDigits))
            return RTFPaperColor{kWhite, at};
        if (numbered || digits >= text.size() || !isPaperColorDigit(text[digits]))
            continue;
        std::uint64_t value = 0;
        for (std::size_t i = digits; i < text.size() && isPaperColorDigit(text[i]) && value <= 0xFFFFFF; ++i)
            value = value * 10 + static_cast<std::uint64_t>(text[i] - Unit('0'));
        if (value > 0xFFFFFF) {
            numbered = kWhite;
            continue;
        }
        unsigned red = value & 0xFF;
        unsigned green = (value >> 8) & 0xFF;
        unsigned blue = (value >> 16) & 0xFF;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X%02X%02X", red, green, blue);
        numbered = hex;
    }
    return RTFPaperColor{numbered.value_or(kWhite), std::nullopt};
}

} // namespace

RTFPaperColor paperColorOfRTF(std::string_view rtf)
{
    static constexpr std::string_view kName = "\\papercolor";
    // RTF is dense with backslashes, so a search that starts at each of them
    // costs more than the parse; this one looks for the word's two "p"s,
    // which seldom stand two apart elsewhere, a block of places at a time,
    // and compares the whole word only where they do.
    auto find = [&](std::size_t from) {
        if (rtf.size() < kName.size())
            return std::string_view::npos;
        const std::size_t last = rtf.size() - kName.size() + 1;
        for (std::size_t at = from; at < last; ++at) {
            // Searched from the word's first "p", one byte in.
            at = findSpacedPair<'p', 'p', 2>(rtf.data() + 1, at, last);
            if (at < last && rtf.substr(at, kName.size()) == kName)
                return at;
        }
        return std::string_view::npos;
    };
    return paperColorIn(rtf, find);
}

} // namespace folio
