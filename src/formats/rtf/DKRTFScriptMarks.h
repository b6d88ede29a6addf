#pragma once

#include <cstdint>

namespace folio {

// How word processors mark right-to-left and complex-script text: the run's
// direction ("\rtlch", "\ltrch"), the font, size, weight, slant and language
// of its complex-script letters ("\af", "\afs", "\ab", "\ai", "\alang"), and
// the fonts "\af" picks for East Asian ("\dbch"), high-ANSI ("\hich") and
// low-ANSI ("\loch") letters. Fonts are numbers of the file's font table;
// -1 and 0 stand for none.
struct DKRTFScriptMarks {
    bool rightToLeft = false;
    int complexFont = -1;
    int eastAsianFont = -1;
    int highAnsiFont = -1;
    int lowAnsiFont = -1;
    // Half points.
    int complexSize = 0;
    bool complexBold = false;
    bool complexItalic = false;
    // A Windows language number.
    std::uint16_t complexLanguage = 0;

    friend bool operator==(const DKRTFScriptMarks&, const DKRTFScriptMarks&) = default;

    // The letters that "\af" speaks of: it names the complex-script font
    // after "\rtlch" or "\ltrch", and each of the others after its word.
    enum class Letters : std::uint8_t { ComplexScript, EastAsian, HighAnsi, LowAnsi };

    // Most of it in one number, for hashing.
    std::uint64_t packed() const
    {
        auto font = [](int number) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(number)); };
        return font(complexFont) ^ font(eastAsianFont) << 16 ^ font(highAnsiFont) << 32 ^ font(lowAnsiFont) << 48
            ^ static_cast<std::uint64_t>(complexLanguage) << 7 ^ static_cast<std::uint64_t>(complexSize) << 23
            ^ static_cast<std::uint64_t>(rightToLeft) << 62 ^ static_cast<std::uint64_t>(complexBold) << 61
            ^ static_cast<std::uint64_t>(complexItalic) << 60;
    }
};

} // namespace folio
