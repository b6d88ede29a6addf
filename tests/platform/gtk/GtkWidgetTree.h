#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace folio::test {

// Collects, depth first, every descendant of `widget` (itself included) of the given type.
inline std::vector<GtkWidget*> descendants(GtkWidget* widget, GType type)
{
    std::vector<GtkWidget*> found;
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type))
        found.push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next) {
            auto nested = descendants(GTK_WIDGET(child->data), type);
            found.insert(found.end(), nested.begin(), nested.end());
        }
        g_list_free(children);
    }
    return found;
}

// The texts of every label under `widget`, depth first.
inline std::vector<std::string> labelTexts(GtkWidget* widget)
{
    std::vector<std::string> texts;
    for (GtkWidget* label : descendants(widget, GTK_TYPE_LABEL))
        texts.emplace_back(gtk_label_get_text(GTK_LABEL(label)));
    return texts;
}

} // namespace folio::test
