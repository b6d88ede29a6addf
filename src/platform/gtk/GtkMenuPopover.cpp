#include "platform/gtk/GtkMenuPopover.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkSymbolIcons.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"

namespace folio {

void GtkMenuPopover::fill(GtkWidget* box, GtkWidget* popover, const Menu& menu) { addElements(box, popover, menu, false); }

void GtkMenuPopover::addElements(GtkWidget* box, GtkWidget* popover, const Menu& menu, bool nested)
{
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
            gtk_popover_popdown(GTK_POPOVER(popover));
            if (auto strong = weak.lock())
                strong->perform();
        });
        gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
    }
}

} // namespace folio
