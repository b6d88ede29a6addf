#include "platform/gtk/GtkEditMenu.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/View.h"

#include <string>

namespace folio {

GtkWidget* GtkEditMenu::build(GtkWidget* relative, const GdkRectangle& pointing, MenuController& menu,
                              const std::vector<MenuItem>& items, std::weak_ptr<View> responder, Style style)
{
    bool contextual = style == Style::Contextual;
    GtkWidget* popover = gtk_popover_new(relative);
    gtk_popover_set_pointing_to(GTK_POPOVER(popover), &pointing);
    gtk_popover_set_constrain_to(GTK_POPOVER(popover), GTK_POPOVER_CONSTRAINT_WINDOW);
    gtk_popover_set_position(GTK_POPOVER(popover), style == Style::AboveCaret ? GTK_POS_TOP : GTK_POS_BOTTOM);
    gtk_popover_set_modal(GTK_POPOVER(popover), contextual);
    GtkWidget* box = gtk_box_new(contextual ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, 0);
    for (const MenuItem& item : items) {
        GtkWidget* button = gtk_button_new_with_label(toUtf8(item.title).c_str());
        gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
        if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(button)); contextual && label && GTK_IS_LABEL(label))
            gtk_label_set_xalign(GTK_LABEL(label), 0);
        std::u16string title = item.title;
        MenuController* controller = &menu;
        GtkSignals::connect(button, "clicked", [controller, title, responder, contextual] {
            std::shared_ptr<View> from = responder.lock();
            if (contextual && !from)
                return;
            controller->performItemWithTitle(title, from.get());
        });
        gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
    }
    gtk_container_add(GTK_CONTAINER(popover), box);
    gtk_widget_show_all(box);
    return popover;
}

} // namespace folio
