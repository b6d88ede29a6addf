#pragma once

#include "platform/graphics/Geometry.h"

#include <gtk/gtk.h>

namespace folio {

class TextView;
class View;

// Shows a text view of the UI model as a GtkTextView in a scrolled window.
// The model stays the owner of the text: what the user types or deletes on
// screen is not applied by GTK but handed to the model as keyboard input (so
// the delegate is asked and the storage restyles), and every edit of the
// storage, whoever made it, is copied into the GTK buffer together with its
// attributes as text tags. Selections follow each other both ways.
class GtkTextViewBridge {
public:
    // The scrolled window; the bridge lives as long as the widget.
    static GtkWidget* build(TextView& view);
    // The GtkTextView inside a widget made by build(); null for other widgets.
    static GtkTextView* textViewOf(GtkWidget* widget);
    // Every text view under `root` that shows `model` takes the model's
    // current text inset (a changed page margin shows at once).
    static void refreshInsets(GtkWidget* root, const View& model);
    static void applyInsets(GtkTextView* textView, const EdgeInsets& insets);
};

} // namespace folio
