#pragma once

#include <array>
#include <cstddef>

namespace folio {

// What each of the style menu's nineteen rows does, in row order.
struct StyleMenuEntry {
    enum class Kind {
        // The default style (preset 0) or a user preset, after clearing.
        Preset,
        // A script, after clearing the style when `removeStyleFirst`.
        Script,
        // The highlight `color` on, or off where the page answers `answer`.
        Highlight,
        RemoveHighlight,
    };
    Kind kind;
    bool removeStyleFirst = false;
    long preset = 0;
    const char* script = nullptr;
    const char* color = nullptr;
    const char* answer = nullptr;
    // The style name the paragraphs take in a document with a style sheet;
    // "" is the document's default paragraph style, null leaves the name.
    const char* paragraphStyle = nullptr;
};

inline constexpr std::size_t kStyleMenuEntryCount = 19;
const std::array<StyleMenuEntry, kStyleMenuEntryCount>& styleMenuEntries();

} // namespace folio
