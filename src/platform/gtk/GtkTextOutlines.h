#pragma once

#include <gtk/gtk.h>

#include <string>

namespace folio {

// Draws outlined letters in a GtkTextView, which has no way of its own to
// stroke letters without filling them. The bridge shows such runs in a
// transparent colour under a tag made by outlinedTag() that carries the
// stroke's colour; after GTK has drawn the text, each run's letters are laid
// out again in its font at its place and stroked.
class GtkTextOutlines {
public:
    explicit GtkTextOutlines(GtkTextView* view);
    ~GtkTextOutlines();
    GtkTextOutlines(const GtkTextOutlines&) = delete;
    GtkTextOutlines& operator=(const GtkTextOutlines&) = delete;

    // Marks the characters whose outlines are drawn; a look tag carries the
    // colour (setStrokeColor()).
    GtkTextTag* marker() const { return m_marker; }
    static void setStrokeColor(GtkTextTag* lookTag, const std::string& rgba);

private:
    static gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
    void drawLine(GtkWidget* widget, cairo_t* cr, const GtkTextIter& start, const GtkTextIter& end);

    GtkTextView* m_view;
    GtkTextTag* m_marker;
};

} // namespace folio
