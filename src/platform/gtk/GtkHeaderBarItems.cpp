#include "platform/gtk/GtkHeaderBarItems.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkSymbolIcons.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/BarButtonItem.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {
int pixels(double points) { return static_cast<int>(std::lround(std::max(0.0, points))); }
} // namespace

GtkWidget* GtkHeaderBarItems::build(const std::shared_ptr<BarButtonItem>& item)
{
    if (!item || item->isHidden() || item->systemItem() == BarButtonSystemItem::FlexibleSpace)
        return nullptr;
    if (item->systemItem() == BarButtonSystemItem::FixedSpace) {
        GtkWidget* space = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_widget_set_size_request(space, pixels(item->width()), 1);
        return space;
    }
    if (auto custom = item->customView()) {
        GtkViewBuilder builder(nullptr);
        return builder.build(*custom);
    }
    std::string title = toUtf8(item->title());
    std::string icon = GtkSymbolIcons::iconNameForSymbol(item->symbolName());
    GtkWidget* button = nullptr;
    if (!icon.empty()) {
        button = gtk_button_new_from_icon_name(icon.c_str(), GTK_ICON_SIZE_BUTTON);
        if (GtkWidget* image = gtk_button_get_image(GTK_BUTTON(button)); image && item->symbolPointSize() > 0)
            gtk_image_set_pixel_size(GTK_IMAGE(image), pixels(item->symbolPointSize()));
    } else
        button = gtk_button_new_with_label(title.empty() ? item->symbolName().c_str() : title.c_str());
    // Only an icon needs its title told: a tooltip repeating a shown title
    // would only cover what lies below, and comes up by itself when the
    // window changes under a resting pointer (Back to the documents).
    if (!title.empty() && !icon.empty()) {
        gtk_widget_set_tooltip_text(button, title.c_str());
        // A screen reader would otherwise read an icon button by its icon's
        // file name ("Add" for Insert) or not at all.
        atk_object_set_name(gtk_widget_get_accessible(button), title.c_str());
    }
    gtk_widget_set_sensitive(button, item->isEnabled());
    // The bar's buttons act on what the window shows and leave it the
    // keyboard: a menu of the bar hands the focus back to the page when it
    // closes, not to its button.
    gtk_widget_set_focus_on_click(button, FALSE);
    std::weak_ptr<BarButtonItem> weak = item;
    GtkSignals::connect(button, "clicked", [weak] {
        if (auto strong = weak.lock())
            strong->tap();
    });
    return button;
}

GtkWidget* GtkHeaderBarItems::side(GtkWidget* header, GtkPackType end)
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_EXTERNAL, GTK_POLICY_NEVER);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_container_add(GTK_CONTAINER(scroller), box);
    if (GtkWidget* viewport = gtk_bin_get_child(GTK_BIN(scroller)); viewport && GTK_IS_VIEWPORT(viewport))
        gtk_viewport_set_shadow_type(GTK_VIEWPORT(viewport), GTK_SHADOW_NONE);
    if (end == GTK_PACK_START)
        gtk_header_bar_pack_start(GTK_HEADER_BAR(header), scroller);
    else
        gtk_header_bar_pack_end(GTK_HEADER_BAR(header), scroller);
    return box;
}

} // namespace folio
