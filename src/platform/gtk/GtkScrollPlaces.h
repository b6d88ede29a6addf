#pragma once

#include <gtk/gtk.h>

#include <vector>

namespace folio {

// Where the scrolled parts of a widget tree stand, to be given back to the
// tree that replaces it: a panel built afresh while it is open (its values
// changed) stays scrolled where the person had it, so that the control
// under the pointer stays there instead of the panel jumping to its top.
class GtkScrollPlaces {
public:
    // The vertical place of each scrolled window under `root`, depth first.
    static std::vector<double> of(GtkWidget* root);
    // Scrolls each scrolled window under `root` to the place of the same
    // rank, as soon as its content has been laid out.
    static void restore(GtkWidget* root, const std::vector<double>& places);
};

} // namespace folio
