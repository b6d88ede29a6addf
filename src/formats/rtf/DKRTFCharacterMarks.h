#pragma once

#include <cstdint>

namespace folio {

// What word processors mark runs with beside their look: the languages a
// run is checked in and the effects drawn over its letters. Readers and
// writers of RTF carry them as they stand, so that a save gives them back.
struct DKRTFCharacterMarks {
    // Windows language numbers ("\lang1033", "\langfe2052"); 0 for none.
    std::uint16_t language = 0;
    std::uint16_t eastAsianLanguage = 0;
    // "\noproof": no spelling or grammar checks.
    bool noProofing = false;
    // "\caps" and "\scaps": shown in capitals or small capitals, the
    // letters kept as typed.
    bool capitals = false;
    bool smallCapitals = false;
    // "\shad" and "\outl".
    bool shadow = false;
    bool outline = false;

    friend bool operator==(const DKRTFCharacterMarks&, const DKRTFCharacterMarks&) = default;

    // All of it in one number, for hashing.
    std::uint64_t packed() const
    {
        return static_cast<std::uint64_t>(language) | static_cast<std::uint64_t>(eastAsianLanguage) << 16
            | static_cast<std::uint64_t>(noProofing) << 32 | static_cast<std::uint64_t>(capitals) << 33
            | static_cast<std::uint64_t>(shadow) << 34 | static_cast<std::uint64_t>(outline) << 35
            | static_cast<std::uint64_t>(smallCapitals) << 36;
    }
};

} // namespace folio
