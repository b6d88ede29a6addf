#pragma once

#include "markdown/MEKeySets.h"

#include <cstddef>
#include <string>
#include <vector>

namespace folio {

// How a menu item inserts its text.
enum class MEMenuItemKind {
    // Wraps a selection in start and end; with a caret inserts `text` and
    // puts the caret `caret` units after where it was.
    Wrapping,
    // Inserts `text` in place of any selection; the caret goes `caret` units
    // after where the selection began.
    Template,
    // Inserts `text` in place of any selection; the caret goes after it.
    Plain,
    // "> " in an empty text, else "\n> ", with the caret after the marker.
    QuoteMarker,
};

struct MEMenuItemSpec {
    // A localization key of the main table.
    std::string title;
    MEMenuItemKind kind;
    std::u16string start;
    std::u16string end;
    std::u16string text;
    std::size_t caret = 0;
};

struct MEMenuSpec {
    // A localization key: of the "DocKitUIDocument" table when
    // `titleFromDocKitTable`, else of the main table.
    std::string title;
    bool titleFromDocKitTable = false;
    bool centred = false;
    // Only the TeX Extra Commands menu has one, and it does nothing.
    bool hasFinishBlock = false;
    std::vector<MEMenuItemSpec> items;
};

// The insertion menu a menu key opens; none for the symbols key.
const MEMenuSpec* insertionMenuSpec(MEKeyMenu menu);

} // namespace folio
