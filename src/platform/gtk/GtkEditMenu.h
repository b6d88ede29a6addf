#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace folio {

class MenuController;
class View;
struct MenuItem;

// The popover of the edit menu. Asked for by the user (a right-click, the
// Menu key) it is a desktop's context menu: a column below the pointer that
// a click elsewhere or Escape closes. Shown by the editor itself while the
// user types, it is a row above the caret that leaves the keyboard to the page.
class GtkEditMenu {
public:
    // AtBarItem: a row below a bar item, which leaves the keyboard where it is.
    enum class Style { Contextual, AboveCaret, AtBarItem };

    // The popover, not yet shown. A pick performs the item through the chain
    // of `responder`, or of the first responder when none is given; a
    // contextual menu whose responder is gone does nothing.
    static GtkWidget* build(GtkWidget* relative, const GdkRectangle& pointing, MenuController& menu,
                            const std::vector<MenuItem>& items, std::weak_ptr<View> responder, Style style);
};

} // namespace folio
