#pragma once

#include <gtk/gtk.h>

namespace folio {

class TextView;
class View;

// Paints the highlight views a text view of the UI model holds (found
// matches) behind their text in the GtkTextView that shows it: each range
// gets the view's background colour, laid out by GTK's own text layout. When
// the emphasized highlight moves to a range out of sight, the text scrolls
// it to the middle of the view, smoothly.
class GtkTextHighlights {
public:
    // Ties `textView` (made by GtkTextViewBridge) to the model and paints its
    // current highlights.
    static void attach(GtkTextView* textView, TextView& model);
    // Paints the highlights again in every text view under `root` that shows `model`.
    static void refresh(GtkWidget* root, const View& model);
    // After the model set the frames itself (a window's new size passed to
    // its controller), every text view under `root` takes the size its
    // widget shows again: the text above an accessory bar, not the window.
    static void followShownSizes(GtkWidget* root);
};

} // namespace folio
