#include "platform/gtk/GtkMenuPopover.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkSymbolIcons.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"

#include <algorithm>

namespace folio {

namespace {

// Before the window is on screen: the screen's room, less a header bar.
int primaryWorkAreaHeight()
{
    constexpr int kHeaderBar = 60;
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1280, 1024};
    if (monitor)
        gdk_monitor_get_workarea(monitor, &area);
    return area.height - kHeaderBar;
}

} // namespace

GtkWidget* GtkMenuPopover::scrollerWithinWindow(GtkWidget* content, GtkWidget* popover)
{
    // The arrow, the popover's frame and shadow take some of the room, and GTK
    // moves a popover to another side of its anchor when it comes near the edge.
    constexpr int kArrowAndFrame = 140;
    GtkWidget* relative = gtk_popover_get_relative_to(GTK_POPOVER(popover));
    GtkWidget* toplevel = relative ? gtk_widget_get_toplevel(relative) : nullptr;
    int room = 0;
    if (toplevel && gtk_widget_get_realized(relative)) {
        GdkRectangle anchor{0, 0, gtk_widget_get_allocated_width(relative), gtk_widget_get_allocated_height(relative)};
        gtk_popover_get_pointing_to(GTK_POPOVER(popover), &anchor);
        int top = 0;
        int left = 0;
        gtk_widget_translate_coordinates(relative, toplevel, anchor.x, anchor.y, &left, &top);
        int bottom = gtk_widget_get_allocated_height(toplevel) - top - anchor.height;
        // The popover goes where there is more room, above or below its anchor.
        room = std::max(top, bottom) - kArrowAndFrame;
    }
    if (room <= 0)
        room = primaryWorkAreaHeight();
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(scroller), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(scroller), std::max(100, room));
    gtk_container_add(GTK_CONTAINER(scroller), content);
    return scroller;
}

void GtkMenuPopover::fill(GtkWidget* box, GtkWidget* popover, const Menu& menu) { addElements(box, popover, menu, false); }

void GtkMenuPopover::addElements(GtkWidget* box, GtkWidget* popover, const Menu& menu, bool nested)
{
    // An empty group would show as a separator with nothing after it.
    if (nested && menu.children().empty())
        return;
    if (nested) {
        gtk_box_pack_start(GTK_BOX(box), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE, FALSE, 2);
        if (!menu.title().empty() && !menu.displaysInline()) {
            GtkWidget* heading = gtk_label_new(toUtf8(menu.title()).c_str());
            gtk_style_context_add_class(gtk_widget_get_style_context(heading), "dim-label");
            gtk_box_pack_start(GTK_BOX(box), heading, FALSE, FALSE, 0);
        }
    }
    for (const auto& child : menu.children()) {
        if (auto submenu = std::dynamic_pointer_cast<Menu>(child)) {
            addElements(box, popover, *submenu, true);
            continue;
        }
        auto action = std::dynamic_pointer_cast<Action>(child);
        if (!action)
            continue;
        GtkWidget* button = gtk_button_new_with_label(toUtf8(action->title()).c_str());
        gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
        std::string icon = GtkSymbolIcons::iconNameForSymbol(action->symbolName());
        if (!icon.empty()) {
            gtk_button_set_image(GTK_BUTTON(button), gtk_image_new_from_icon_name(icon.c_str(), GTK_ICON_SIZE_MENU));
            gtk_button_set_always_show_image(GTK_BUTTON(button), TRUE);
        }
        gtk_widget_set_sensitive(button, !action->isDisabled());
        std::weak_ptr<Action> weak = action;
        GtkSignals::connect(button, "clicked", [weak, popover] {
            // Gone at once rather than faded out: while it fades it keeps the
            // keyboard, and what the action types or focuses would not get it.
            gtk_popover_popdown(GTK_POPOVER(popover));
            gtk_widget_hide(popover);
            if (auto strong = weak.lock())
                strong->perform();
        });
        gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
    }
}

} // namespace folio
