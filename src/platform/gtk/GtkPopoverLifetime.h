#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

namespace folio {

// How the presenter's popovers end, and how they outlive the widgets they
// point at when those are made again.
class GtkPopoverLifetime {
public:
    // Popovers may be closed from inside their own "closed" handler, after
    // which GTK still touches them; they are hidden now and destroyed on
    // the next turn.
    static void destroyLater(GtkWidget* popover);
    // Clears `slot` when GTK destroys the widget on its own (a popover goes
    // with the widget it points at), while `lifetime` (its owner's) lasts.
    static void forgetOnDestroy(GtkWidget* widget, GtkWidget** slot, std::weak_ptr<int> lifetime);

    // A popover pointing at a view of a tree about to be rebuilt (a key of
    // a bar made again) would go with its widget: it hangs from `holder`
    // meanwhile, and from the view's new widget under `root` afterwards.
    struct Held {
        GtkWidget* popover = nullptr;
        const void* view = nullptr;
        GdkRectangle pointing{};
    };
    static std::vector<Held> hold(const std::vector<GtkWidget*>& popovers, GtkWidget* old, GtkWidget* holder);
    static void repoint(std::vector<Held>& held, GtkWidget* root);
};

} // namespace folio
