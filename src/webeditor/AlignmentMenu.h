#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class DKMenuOption;
class Menu;

// The six alignment and direction options of the web-view editors' style
// bars, offered as a platform menu on the alignment buttons and as a
// popover list. Both report the option number: 0 justify, 1 centre,
// 2 right, 3 left, 4 right to left, 5 left to right. The order of the rows
// is what the user learns, so it is kept here once.
class AlignmentMenu {
public:
    using Handler = std::function<void(long option)>;
    enum class Directions { Offered, LeftOut };

    // "Left To Right", "Right To Left", "Justify", "Center", "Right", "Left",
    // each with its symbol; without the first two when the directions are
    // left out.
    static std::shared_ptr<Menu> menu(Handler onSelect, Directions directions = Directions::Offered);
    // "Justify", "Center", "Right", "Left", "Right To Left", "Left To Right".
    static std::vector<std::shared_ptr<DKMenuOption>> popoverOptions(Handler onSelect);
};

} // namespace folio
