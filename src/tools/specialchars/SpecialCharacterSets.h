#pragma once

#include <string>
#include <vector>

namespace folio {

// The character sets of the insert menus, numbered as the menus number them:
// 9 arrows, 10 parentheses, 11 punctuation, 12 currency symbols,
// 13 pictographs, 14 bullets and stars, 15 mathematical symbols, 16
// letterlike symbols and notes; 17 is the recently used list. The cells of
// sets 9 to 16 come from the "specialChars" resource.
class SpecialCharacterSets {
public:
    static constexpr int kFirstSet = 9;
    static constexpr int kRecentlyUsedSet = 17;

    struct Section {
        std::string title;
        std::vector<std::u16string> characters;
    };

    // The titled sections of a set; none for a number outside 9 to 16 or
    // when the resource cannot be read.
    static const std::vector<Section>& sectionsOfSet(int set);
    // The names the menus show: the Markdown menu's plain names, and the web
    // editors' names with a sample symbol and two blanks before them.
    static const std::vector<std::string>& markdownMenuTitles();
    static const std::vector<std::string>& webMenuTitles();
};

} // namespace folio
