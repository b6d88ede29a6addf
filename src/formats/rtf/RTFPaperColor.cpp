#include "formats/rtf/RTFPaperColor.h"

#include "platform/foundation/UTF16Search.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace folio {

namespace {

constexpr std::u16string_view kWhiteMarker = u"\\papercolorFFFFFF";
constexpr std::u16string_view kControlWord = u"\\papercolor";
constexpr const char* kWhite = "FFFFFF";

// A backslash starts a control word unless it is itself escaped, which shows
// as an odd run of backslashes before it.
bool startsControlWord(std::u16string_view text, std::size_t backslash)
{
    std::size_t before = 0;
    while (before < backslash && text[backslash - before - 1] == u'\\')
        ++before;
    return before % 2 == 0;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

// One pass over the text: a white marker anywhere wins (and is taken out),
// else the first colour number says the colour.
std::string takePaperColorFromRTF(std::u16string& rtf)
{
    std::optional<std::string> numbered;
    std::u16string_view text = rtf;
    // RTF is dense with backslashes, so a search that starts at each of them
    // costs more than the parse; this one looks for the word's two "p"s,
    // which seldom stand two apart elsewhere, a block of places at a time,
    // and compares the whole word only where they do.
    auto find = [&](std::size_t from) {
        if (text.size() < kControlWord.size())
            return std::u16string_view::npos;
        const std::size_t last = text.size() - kControlWord.size() + 1;
        for (std::size_t at = from; at < last; ++at) {
            // Searched from the word's first "p", one unit in.
            at = findSpacedPair<u'p', u'p', 2>(text.data() + 1, at, last);
            if (at < last && text.substr(at, kControlWord.size()) == kControlWord)
                return at;
        }
        return std::u16string_view::npos;
    };
    for (std::size_t at = find(0); at != std::u16string_view::npos; at = find(at + 1)) {
        if (!startsControlWord(text, at))
            continue;
        if (text.substr(at).starts_with(kWhiteMarker)) {
            rtf.erase(at, kWhiteMarker.size());
            return kWhite;
        }
        std::size_t digits = at + kControlWord.size();
        if (numbered || digits >= text.size() || !isDigit(text[digits]))
            continue;
        std::uint64_t value = 0;
        for (std::size_t i = digits; i < text.size() && isDigit(text[i]) && value <= 0xFFFFFF; ++i)
            value = value * 10 + (text[i] - u'0');
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
    return numbered.value_or(kWhite);
}

} // namespace folio
