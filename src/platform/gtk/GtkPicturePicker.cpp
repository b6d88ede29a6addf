#include "platform/gtk/GtkPicturePicker.h"

#include "platform/foundation/Unicode.h"

#include <utility>

namespace folio {

GtkPicturePicker::GtkPicturePicker(std::function<GtkWindow*()> parent) : m_parent(std::move(parent)) {}

GtkPicturePicker::~GtkPicturePicker()
{
    if (m_chooser) {
        g_signal_handlers_disconnect_by_data(m_chooser, this);
        gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(m_chooser));
        g_object_unref(m_chooser);
    }
}

void GtkPicturePicker::pickPicture(const std::u16string& title, Completion completion)
{
    // One chooser at a time: a second request answers the first as cancelled.
    if (m_chooser)
        finish(std::nullopt);
    m_completion = std::move(completion);
    GtkWindow* parent = m_parent ? m_parent() : nullptr;
    m_chooser = gtk_file_chooser_native_new(toUtf8(title).c_str(), parent, GTK_FILE_CHOOSER_ACTION_OPEN, nullptr, nullptr);
    GtkFileFilter* pictures = gtk_file_filter_new();
    gtk_file_filter_set_name(pictures, "PNG, JPEG");
    gtk_file_filter_add_mime_type(pictures, "image/png");
    gtk_file_filter_add_mime_type(pictures, "image/jpeg");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(m_chooser), pictures);
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(m_chooser), TRUE);
    g_signal_connect(m_chooser, "response", G_CALLBACK(responded), this);
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(m_chooser));
}

void GtkPicturePicker::responded(GtkNativeDialog* dialog, gint response, gpointer self)
{
    std::optional<std::string> path;
    if (response == GTK_RESPONSE_ACCEPT) {
        if (gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            path = file;
            g_free(file);
        }
    }
    static_cast<GtkPicturePicker*>(self)->finish(std::move(path));
}

void GtkPicturePicker::finish(std::optional<std::string> path)
{
    if (m_chooser) {
        g_signal_handlers_disconnect_by_data(m_chooser, this);
        gtk_native_dialog_destroy(GTK_NATIVE_DIALOG(m_chooser));
        g_object_unref(m_chooser);
        m_chooser = nullptr;
    }
    Completion completion = std::exchange(m_completion, {});
    if (completion)
        completion(std::move(path));
}

} // namespace folio
