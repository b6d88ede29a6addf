#include "platform/gtk/GtkAlertDialog.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/TextField.h"

#include <algorithm>

namespace folio {

namespace {
template <typename T>
std::weak_ptr<T> weakOf(T& object)
{
    return std::static_pointer_cast<T>(object.weak_from_this().lock());
}
} // namespace

GtkWidget* GtkAlertDialog::create(AlertController& alert, GtkWindow* parent)
{
    GtkWidget* dialog = gtk_dialog_new();
    gtk_window_set_title(GTK_WINDOW(dialog), toUtf8(alert.title()).c_str());
    if (parent) {
        gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
        gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    }
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_box_set_spacing(GTK_BOX(content), 8);
    if (!alert.title().empty()) {
        GtkWidget* title = gtk_label_new(nullptr);
        gchar* markup = g_markup_printf_escaped("<b>%s</b>", toUtf8(alert.title()).c_str());
        gtk_label_set_markup(GTK_LABEL(title), markup);
        g_free(markup);
        gtk_box_pack_start(GTK_BOX(content), title, FALSE, FALSE, 0);
    }
    if (!alert.message().empty()) {
        GtkWidget* message = gtk_label_new(toUtf8(alert.message()).c_str());
        gtk_label_set_line_wrap(GTK_LABEL(message), TRUE);
        // A path has no space to wrap at: a long one is broken between its
        // letters rather than widening the dialog past the screen.
        gtk_label_set_line_wrap_mode(GTK_LABEL(message), PANGO_WRAP_WORD_CHAR);
        // A long message wraps to a readable measure instead of widening
        // the dialog past its window.
        gtk_label_set_max_width_chars(GTK_LABEL(message), 60);
        // The dialog takes its height from the label's narrowest width: at
        // a few letters to a line it would stand many times taller than its
        // text. A long message starts at the full measure.
        glong letters = g_utf8_strlen(gtk_label_get_text(GTK_LABEL(message)), -1);
        gtk_label_set_width_chars(GTK_LABEL(message), static_cast<int>(std::min<glong>(letters, 60)));
        gtk_box_pack_start(GTK_BOX(content), message, FALSE, FALSE, 0);
    }
    GtkViewBuilder builder(nullptr);
    for (const auto& field : alert.textFields()) {
        if (GtkWidget* entry = builder.build(*field)) {
            // Return in a field answers with the preferred action, as a
            // person typing a name expects.
            if (GTK_IS_ENTRY(entry))
                gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
            gtk_box_pack_start(GTK_BOX(content), entry, FALSE, FALSE, 0);
        }
    }
    const auto& actions = alert.actions();
    for (std::size_t index = 0; index < actions.size(); ++index) {
        GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), toUtf8(actions[index]->title()).c_str(), int(index));
        if (actions[index]->style() == AlertActionStyle::Destructive)
            gtk_style_context_add_class(gtk_widget_get_style_context(button), "destructive-action");
        gtk_widget_set_sensitive(button, actions[index]->isEnabled());
        if (actions[index] == alert.preferredAction())
            gtk_dialog_set_default_response(GTK_DIALOG(dialog), int(index));
    }
    std::weak_ptr<AlertController> weak = weakOf(alert);
    GtkSignals::connectInt(dialog, "response", [weak](int response) {
        auto strong = weak.lock();
        if (!strong)
            return;
        const auto& all = strong->actions();
        if (response >= 0 && static_cast<std::size_t>(response) < all.size()) {
            strong->tapAction(all[response]);
            return;
        }
        // Closing the dialog counts as the cancel answer, when there is one.
        auto cancel = std::find_if(all.begin(), all.end(), [](const auto& a) { return a->style() == AlertActionStyle::Cancel; });
        if (cancel != all.end())
            strong->tapAction(*cancel);
        else
            strong->dismissViewControllerAnimated(true);
    });
    return dialog;
}

} // namespace folio
