#pragma once

#include <string>
#include <vector>

namespace folio {

// What pressing a key of the Markdown key bar does.
enum class MEKeyKind { Character, Pair, ForwardDelete, Tab, KeyboardDown, ArrowLeft, ArrowDown, ArrowUp, ArrowRight, Menu };
// The menus that menu keys open.
enum class MEKeyMenu {
    None,
    Style,
    Headers,
    Characters,
    Pairs,
    Symbols,
    ExtraMarkups,
    TeXStyle,
    TeXMath,
    TeXPairs,
    ExtraTeXMarkups,
};
// How a key looks: its title, a named image, or its title on the grey menu-key face.
enum class MEKeyFace { Title, Image, MenuKey };

struct MEKeySpec {
    MEKeyFace face;
    std::u16string title;
    std::string image;
    MEKeyKind kind;
    // The character of a character key, or the opening text of a pair key.
    std::u16string text;
    // The closing text of a pair key.
    std::u16string closingText;
    MEKeyMenu menu = MEKeyMenu::None;
};

// The keys of the bar, in display order: for Markdown and plain text or for
// TeX, in the tablet layout (with the menu keys) or the phone layout (which
// starts with a key that hides the keyboard).
const std::vector<MEKeySpec>& markdownKeySet(bool tablet);
const std::vector<MEKeySpec>& texKeySet(bool tablet);

} // namespace folio
