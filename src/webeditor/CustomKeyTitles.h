#pragma once

#include <array>

namespace folio {

// What the 26 custom keys show and type until the user redefines them:
// typographic marks that the keyboard does not offer directly.
inline constexpr std::array<const char16_t*, 26> kCustomKeyTitles{
    u"\u201C", u"\u201D", u"\u2018", u"\u2019", u"\u2014", u"\u2013", u"\u2026", u"\u2022", u"\u00A9",
    u"\u00AE", u"\u2122", u"\u00B0", u"\u00A7", u"\u00B6", u"\u20AC", u"\u00A3", u"\u00A5", u"\u00B1",
    u"\u00D7", u"\u00F7", u"\u2190", u"\u2192", u"\u00BD", u"\u00BC", u"\u00BE", u"\u2020"};

} // namespace folio
