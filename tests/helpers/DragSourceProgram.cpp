// Another program for the window tests: a small window whose face can be
// dragged, as text from an editor, a selection from a browser (HTML with its
// plain text) or files from a file manager are dragged onto the editors.
//
//   folio_test_drag_source X Y text PLAIN
//   folio_test_drag_source X Y html HTML PLAIN
//   folio_test_drag_source X Y files URI...
//
// The window stands at (X, Y) of the screen. Once shown, the program writes
// "ready X Y WIDTH HEIGHT" (where its face is on the screen) on its standard
// output, and "ended 1" or "ended 0" when a drag was taken or refused. It
// quits when its standard input closes, so a test that fails cannot leave it
// behind.

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Offer : guint { Plain = 1, Markup = 2, Files = 3 };

struct Payload {
    std::string html;
    std::string plain;
    std::vector<std::string> uris;
};

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void onDataGet(GtkWidget*, GdkDragContext*, GtkSelectionData* data, guint offer, guint, gpointer user)
{
    const auto* payload = static_cast<const Payload*>(user);
    switch (offer) {
    case Markup:
        gtk_selection_data_set(data, gdk_atom_intern_static_string("text/html"), 8,
                               reinterpret_cast<const guchar*>(payload->html.data()), int(payload->html.size()));
        break;
    case Files: {
        std::vector<gchar*> uris;
        for (const std::string& uri : payload->uris)
            uris.push_back(const_cast<gchar*>(uri.c_str()));
        uris.push_back(nullptr);
        gtk_selection_data_set_uris(data, uris.data());
        break;
    }
    default:
        gtk_selection_data_set_text(data, payload->plain.c_str(), int(payload->plain.size()));
    }
}

bool dragFailed = false;

gboolean onDragFailed(GtkWidget*, GdkDragContext*, GtkDragResult, gpointer)
{
    dragFailed = true;
    // No animation of the drag flying back: the test reads the end at once.
    return TRUE;
}

void onDragEnd(GtkWidget*, GdkDragContext* context, gpointer)
{
    // The target says whether it took the data when it finishes the drop.
    say(!dragFailed && gdk_drag_drop_succeeded(context) ? "ended 1" : "ended 0");
    dragFailed = false;
}

gboolean announceWhenDrawn(GtkWidget* face, cairo_t*, gpointer)
{
    g_signal_handlers_disconnect_by_func(face, reinterpret_cast<gpointer>(announceWhenDrawn), nullptr);
    int x = 0;
    int y = 0;
    gdk_window_get_origin(gtk_widget_get_window(face), &x, &y);
    GtkAllocation box;
    gtk_widget_get_allocation(face, &box);
    say("ready " + std::to_string(x + box.x) + " " + std::to_string(y + box.y) + " " + std::to_string(box.width) + " "
        + std::to_string(box.height));
    return FALSE;
}

gboolean quitWhenInputCloses(GIOChannel* input, GIOCondition condition, gpointer)
{
    gchar buffer[64];
    gsize read = 0;
    if ((condition & G_IO_IN) && g_io_channel_read_chars(input, buffer, sizeof buffer, &read, nullptr) == G_IO_STATUS_NORMAL
        && read > 0)
        return TRUE;
    gtk_main_quit();
    return FALSE;
}

int usage()
{
    std::fputs("usage: folio_test_drag_source X Y text PLAIN | X Y html HTML PLAIN | X Y files URI...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (!gtk_init_check(&argc, &argv))
        return 1;
    if (argc < 5)
        return usage();
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const std::string kind = argv[3];
    Payload payload;
    GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
    if (kind == "text") {
        payload.plain = argv[4];
        gtk_target_list_add_text_targets(targets, Plain);
    } else if (kind == "html" && argc >= 6) {
        // A browser's selection: its markup first, its text beside it.
        payload.html = argv[4];
        payload.plain = argv[5];
        gtk_target_list_add(targets, gdk_atom_intern_static_string("text/html"), 0, Markup);
        gtk_target_list_add_text_targets(targets, Plain);
    } else if (kind == "files") {
        for (int i = 4; i < argc; ++i)
            payload.uris.emplace_back(argv[i]);
        gtk_target_list_add_uri_targets(targets, Files);
    } else {
        return usage();
    }

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Drag source");
    gtk_window_set_default_size(GTK_WINDOW(window), 200, 120);
    gtk_window_move(GTK_WINDOW(window), x, y);
    GtkWidget* face = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(face), gtk_label_new("Drag me"));
    gtk_container_add(GTK_CONTAINER(window), face);
    gtk_drag_source_set(face, GDK_BUTTON1_MASK, nullptr, 0, GDK_ACTION_COPY);
    gtk_drag_source_set_target_list(face, targets);
    gtk_target_list_unref(targets);
    g_signal_connect(face, "drag-data-get", G_CALLBACK(onDataGet), &payload);
    g_signal_connect(face, "drag-end", G_CALLBACK(onDragEnd), nullptr);
    g_signal_connect(face, "drag-failed", G_CALLBACK(onDragFailed), nullptr);
    g_signal_connect_after(face, "draw", G_CALLBACK(announceWhenDrawn), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_channel_set_encoding(input, nullptr, nullptr);
    g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), quitWhenInputCloses, nullptr);
    g_io_channel_unref(input);

    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
