#include "walk/WalkWidgets.h"

#include "platform/gtk/GtkWidgetTree.h"

#include <algorithm>

namespace folio::test {

std::string widgetText(GtkWidget* widget)
{
    if (GTK_IS_BUTTON(widget)) {
        if (const gchar* label = gtk_button_get_label(GTK_BUTTON(widget)))
            return label;
    }
    for (const std::string& text : labelTexts(widget)) {
        if (!text.empty())
            return text;
    }
    if (const gchar* tooltip = gtk_widget_get_tooltip_text(widget)) {
        std::string text = tooltip;
        g_free(const_cast<gchar*>(tooltip));
        return text;
    }
    for (GtkWidget* image : descendants(widget, GTK_TYPE_IMAGE)) {
        const gchar* icon = nullptr;
        gtk_image_get_icon_name(GTK_IMAGE(image), &icon, nullptr);
        if (icon)
            return icon;
    }
    return "?";
}

// Everything a user can see of a shown widget tree, as text: a changed
// label, a bar shown or resized, a toggled button or a filled field changes it.
void describe(GtkWidget* widget, std::string& out)
{
    if (!gtk_widget_get_visible(widget))
        return;
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    out += G_OBJECT_TYPE_NAME(widget);
    out += "@" + std::to_string(allocation.x) + "," + std::to_string(allocation.y) + ":" +
           std::to_string(allocation.width) + "x" + std::to_string(allocation.height);
    if (!gtk_widget_get_sensitive(widget))
        out += "!";
    if (GTK_IS_LABEL(widget))
        out += "'" + std::string(gtk_label_get_text(GTK_LABEL(widget))) + "'";
    if (GTK_IS_TOGGLE_BUTTON(widget) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget)))
        out += "+";
    if (GTK_IS_ENTRY(widget))
        out += "'" + std::string(gtk_entry_get_text(GTK_ENTRY(widget))) + "'";
    if (GTK_IS_SWITCH(widget) && gtk_switch_get_active(GTK_SWITCH(widget)))
        out += "+";
    if (GTK_IS_RANGE(widget))
        out += "=" + std::to_string(gtk_range_get_value(GTK_RANGE(widget)));
    if (GTK_IS_SCROLLED_WINDOW(widget)) {
        GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(widget));
        out += "^" + std::to_string(int(gtk_adjustment_get_value(vertical)));
    }
    if (GTK_IS_HEADER_BAR(widget)) {
        if (const gchar* title = gtk_header_bar_get_title(GTK_HEADER_BAR(widget)))
            out += "'" + std::string(title) + "'";
        if (GtkWidget* custom = gtk_header_bar_get_custom_title(GTK_HEADER_BAR(widget)))
            describe(custom, out);
    }
    if (GTK_IS_CONTAINER(widget)) {
        out += "(";
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            describe(GTK_WIDGET(child->data), out);
        g_list_free(children);
        out += ")";
    }
    if (GTK_IS_WINDOW(widget)) {
        if (GtkWidget* titlebar = gtk_window_get_titlebar(GTK_WINDOW(widget)))
            describe(titlebar, out);
    }
}

std::vector<GtkWidget*> shownToplevels()
{
    std::vector<GtkWidget*> shown;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item; item = item->next) {
        GtkWidget* window = GTK_WIDGET(item->data);
        // An offscreen window (a page printed to PDF) is no one's to see.
        if (gtk_widget_get_visible(window) && gtk_window_get_window_type(GTK_WINDOW(window)) == GTK_WINDOW_TOPLEVEL &&
            !GTK_IS_OFFSCREEN_WINDOW(window))
            shown.push_back(window);
    }
    g_list_free(windows);
    return shown;
}

// Where the widget lies on the screen; none while it is not shown.
std::optional<GdkRectangle> screenRect(GtkWidget* widget)
{
    if (!widget || !gtk_widget_get_mapped(widget))
        return std::nullopt;
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window)
        return std::nullopt;
    GdkRectangle rect{};
    if (GTK_IS_WINDOW(widget)) {
        gdk_window_get_frame_extents(window, &rect);
        return rect;
    }
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    int x = 0;
    int y = 0;
    if (GTK_IS_POPOVER(widget)) {
        // A popover has a window of its own, placed within its toplevel's.
        gdk_window_get_origin(window, &x, &y);
        return GdkRectangle{x, y, gdk_window_get_width(window), gdk_window_get_height(window)};
    }
    if (!gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y))
        return std::nullopt;
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &originX, &originY);
    return GdkRectangle{originX + x, originY + y, gtk_widget_get_allocated_width(widget),
                        gtk_widget_get_allocated_height(widget)};
}

bool inside(const GdkRectangle& inner, const GdkRectangle& outer)
{
    return inner.width > 1 && inner.height > 1 && inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width && inner.y + inner.height <= outer.y + outer.height;
}

int gapBetween(const GdkRectangle& a, const GdkRectangle& b)
{
    int dx = std::max({0, a.x - (b.x + b.width), b.x - (a.x + a.width)});
    int dy = std::max({0, a.y - (b.y + b.height), b.y - (a.y + a.height)});
    return std::max(dx, dy);
}

GdkRectangle screenBounds(GtkWidget* widget)
{
    GdkDisplay* display = gtk_widget_get_display(widget);
    GdkMonitor* monitor = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(widget));
    GdkRectangle bounds{};
    gdk_monitor_get_geometry(monitor, &bounds);
    return bounds;
}

void scrollIntoView(GtkWidget* widget)
{
    for (GtkWidget* scroller = gtk_widget_get_parent(widget); scroller; scroller = gtk_widget_get_parent(scroller)) {
        if (!GTK_IS_SCROLLED_WINDOW(scroller))
            continue;
        GtkWidget* content = gtk_bin_get_child(GTK_BIN(scroller));
        int x = 0;
        int y = 0;
        if (!content || !gtk_widget_translate_coordinates(widget, content, 0, 0, &x, &y))
            continue;
        GtkAdjustment* horizontal = gtk_scrolled_window_get_hadjustment(GTK_SCROLLED_WINDOW(scroller));
        GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(scroller));
        // A viewport's child moves with the scroll: its coordinates are taken back to the unscrolled content.
        if (GTK_IS_VIEWPORT(content)) {
            x += int(gtk_adjustment_get_value(horizontal));
            y += int(gtk_adjustment_get_value(vertical));
        }
        gtk_adjustment_clamp_page(horizontal, x, x + gtk_widget_get_allocated_width(widget));
        gtk_adjustment_clamp_page(vertical, y, y + gtk_widget_get_allocated_height(widget));
    }
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    if (GTK_IS_CONTAINER(toplevel))
        gtk_container_check_resize(GTK_CONTAINER(toplevel));
    for (int round = 0; round < 50 && gtk_events_pending(); ++round)
        gtk_main_iteration_do(FALSE);
}

GtkWidget* drawnControlIn(GtkWidget* widget)
{
    if (!widget)
        return nullptr;
    if (GTK_IS_DRAWING_AREA(widget) && gtk_widget_get_visible(widget)
        && g_signal_has_handler_pending(widget, g_signal_lookup("button-press-event", GTK_TYPE_WIDGET), 0, FALSE))
        return widget;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = drawnControlIn(GTK_WIDGET(child->data));
        g_list_free(children);
    }
    return found;
}

void pressDrawnControl(GtkWidget* drawn)
{
    GdkWindow* window = gtk_widget_get_window(drawn);
    if (!window)
        return;
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.button = 1;
    event->button.x = gtk_widget_get_allocated_width(drawn) / 2.0;
    event->button.y = gtk_widget_get_allocated_height(drawn) / 4.0;
    event->button.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(drawn))));
    gtk_widget_event(drawn, event);
    event->type = GDK_BUTTON_RELEASE;
    gtk_widget_event(drawn, event);
    gdk_event_free(event);
}

} // namespace folio::test
