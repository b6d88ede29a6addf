#include "platform/gtk/GtkDropBridge.h"

#include "platform/ui/View.h"

#include <array>
#include <cstring>
#include <fstream>
#include <memory>

namespace folio {

namespace {

// Set while the files of a drop are asked for: where the drop is.
constexpr const char* kDeliveringKey = "folio-drop-delivering";
constexpr const char* kURIListTarget = "text/uri-list";

struct Signature {
    std::array<unsigned char, 8> bytes;
    std::size_t length;
    const char* type;
};

constexpr std::array<Signature, 2> kSignatures{{
    {{0xFF, 0xD8, 0xFF}, 3, "public.jpeg"},
    {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, 8, "public.png"},
}};

std::weak_ptr<View> weakViewOf(View& view)
{
    return std::weak_ptr<View>(std::static_pointer_cast<View>(view.weak_from_this().lock()));
}

bool offers(GdkDragContext* context, const char* name)
{
    GdkAtom wanted = gdk_atom_intern(name, FALSE);
    for (GList* target = gdk_drag_context_list_targets(context); target; target = target->next) {
        if (GDK_POINTER_TO_ATOM(target->data) == wanted)
            return true;
    }
    return false;
}

// Files from a file manager; a browser's link or selection also offers its
// markup, and stays the widget's own.
bool offersFiles(GdkDragContext* context)
{
    return offers(context, kURIListTarget) && !offers(context, "text/html");
}

std::vector<std::string> localPaths(GtkSelectionData* data)
{
    std::vector<std::string> paths;
    gchar** uris = gtk_selection_data_get_uris(data);
    for (gchar** uri = uris; uri && *uri; ++uri) {
        if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
            paths.emplace_back(path);
            g_free(path);
        }
    }
    g_strfreev(uris);
    return paths;
}

gboolean onDragDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer)
{
    if (!offersFiles(context))
        return FALSE;
    // The files are asked for; what they hold decides who takes the drop.
    g_object_set_data_full(G_OBJECT(widget), kDeliveringKey, new Point{double(x), double(y)},
                           [](gpointer point) { delete static_cast<Point*>(point); });
    gtk_drag_get_data(widget, context, gdk_atom_intern_static_string(kURIListTarget), time);
    return TRUE;
}

void onDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint, guint time,
                        gpointer weakView)
{
    std::unique_ptr<Point> location(static_cast<Point*>(g_object_steal_data(G_OBJECT(widget), kDeliveringKey)));
    if (!location)
        return;
    // Ours from here: the widget's own handler must not insert the files' addresses.
    g_signal_stop_emission_by_name(widget, "drag-data-received");
    auto view = static_cast<std::weak_ptr<View>*>(weakView)->lock();
    DropInteractionDelegate* delegate = view ? view->dropDelegate() : nullptr;
    DropSession session = GtkDropBridge::sessionForFiles(localPaths(data));
    session.location = *location;
    bool delivered = delegate && GtkDropBridge::deliver(*delegate, session);
    gtk_drag_finish(context, delivered, FALSE, time);
}

} // namespace

std::string GtkDropBridge::pictureTypeOfFile(const std::string& path)
{
    std::array<unsigned char, 8> head{};
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(head.data()), head.size());
    std::size_t read = static_cast<std::size_t>(file.gcount());
    for (const Signature& signature : kSignatures) {
        if (read >= signature.length && std::memcmp(head.data(), signature.bytes.data(), signature.length) == 0)
            return signature.type;
    }
    return {};
}

DropSession GtkDropBridge::sessionForFiles(const std::vector<std::string>& paths)
{
    DropSession session;
    for (const std::string& path : paths) {
        std::string type = pictureTypeOfFile(path);
        if (type.empty())
            continue;
        DropItem item;
        item.registeredTypes = {type};
        item.loadFile = [path, type](const std::string& wanted) -> std::optional<std::string> {
            return wanted == type ? std::optional<std::string>(path) : std::nullopt;
        };
        session.items.push_back(std::move(item));
    }
    return session;
}

bool GtkDropBridge::deliver(DropInteractionDelegate& delegate, const DropSession& session)
{
    if (session.items.empty())
        return false;
    DropProposal proposal = delegate.dropInteractionSessionDidUpdate(session);
    if (proposal.operation != DropOperation::Copy && proposal.operation != DropOperation::Move)
        return false;
    return delegate.dropInteractionPerformDrop(session);
}

void GtkDropBridge::attach(GtkWidget* widget, View& view)
{
    if (g_object_get_data(G_OBJECT(widget), "folio-drop-bridge"))
        return;
    auto* weak = new std::weak_ptr<View>(weakViewOf(view));
    g_object_set_data_full(G_OBJECT(widget), "folio-drop-bridge", weak,
                           [](gpointer data) { delete static_cast<std::weak_ptr<View>*>(data); });
    g_signal_connect(widget, "drag-drop", G_CALLBACK(onDragDrop), nullptr);
    g_signal_connect(widget, "drag-data-received", G_CALLBACK(onDragDataReceived), weak);
}

} // namespace folio
