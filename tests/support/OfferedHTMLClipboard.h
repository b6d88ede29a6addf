#pragma once

#include <gtk/gtk.h>

#include <string>

namespace folio::test {

// What another program offers on the desktop clipboard: HTML and its text.
struct OfferedHTMLClipboard {
    std::string html;
    std::string text;

    bool offer()
    {
        GtkTargetEntry targets[] = {{const_cast<gchar*>("text/html"), 0, 0}, {const_cast<gchar*>("text/plain"), 0, 1}};
        return gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets, 2, provide, cleared, this);
    }
    ~OfferedHTMLClipboard() { gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)); }

private:
    static void provide(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer self)
    {
        auto* offered = static_cast<OfferedHTMLClipboard*>(self);
        const std::string& value = info == 0 ? offered->html : offered->text;
        gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                               reinterpret_cast<const guchar*>(value.data()), static_cast<gint>(value.size()));
    }
    static void cleared(GtkClipboard*, gpointer) {}
};

} // namespace folio::test
