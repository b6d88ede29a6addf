#include "platform/gtk/GtkClipboardBackend.h"

#include "platform/ui/Pasteboard.h"

#include <string>
#include <utility>

namespace folio {

namespace {
// Our type identifiers and the target names other programs use for them.
const std::vector<std::pair<std::string, std::vector<std::string>>>& aliases()
{
    static const std::vector<std::pair<std::string, std::vector<std::string>>> table{
        {kPasteboardTypeUTF8PlainText, {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"}},
        {kPasteboardTypePNG, {"image/png"}},
        {kPasteboardTypeHTML, {"text/html"}},
    };
    return table;
}

std::vector<std::string> targetsForType(const std::string& type)
{
    std::vector<std::string> targets{type};
    for (const auto& [known, names] : aliases()) {
        if (known == type)
            targets.insert(targets.end(), names.begin(), names.end());
    }
    return targets;
}

std::string typeForTarget(const std::string& target)
{
    for (const auto& [known, names] : aliases()) {
        for (const auto& name : names) {
            if (name == target)
                return known;
        }
    }
    return target;
}
} // namespace

GtkClipboardBackend::GtkClipboardBackend(GtkClipboard* clipboard, Pasteboard& pasteboard)
    : m_clipboard(clipboard), m_pasteboard(pasteboard)
{
    m_ownerChangeHandler = g_signal_connect(m_clipboard, "owner-change", G_CALLBACK(ownerChanged), this);
}

GtkClipboardBackend::~GtkClipboardBackend()
{
    g_signal_handler_disconnect(m_clipboard, m_ownerChangeHandler);
    // Keep what we offered available after we are gone, then stop serving it.
    if (m_owner) {
        gtk_clipboard_store(m_clipboard);
        gtk_clipboard_clear(m_clipboard);
    }
}

void GtkClipboardBackend::writeItems(const std::vector<PasteboardItem>& items)
{
    m_writing = true;
    if (m_owner)
        gtk_clipboard_clear(m_clipboard);
    m_offered = items.empty() ? PasteboardItem{} : items.front();
    std::vector<std::string> names;
    for (const auto& [type, data] : m_offered) {
        for (auto& target : targetsForType(type))
            names.push_back(std::move(target));
    }
    std::vector<GtkTargetEntry> entries;
    for (std::size_t i = 0; i < names.size(); ++i)
        entries.push_back(GtkTargetEntry{const_cast<gchar*>(names[i].c_str()), 0, static_cast<guint>(i)});
    m_owner = !entries.empty() &&
              gtk_clipboard_set_with_data(m_clipboard, entries.data(), static_cast<guint>(entries.size()), provide, cleared, this);
    if (m_owner)
        gtk_clipboard_set_can_store(m_clipboard, entries.data(), static_cast<gint>(entries.size()));
    m_writing = false;
}

std::vector<PasteboardItem> GtkClipboardBackend::readItems()
{
    if (m_owner)
        return m_offered.empty() ? std::vector<PasteboardItem>{} : std::vector<PasteboardItem>{m_offered};
    GdkAtom* targets = nullptr;
    gint count = 0;
    PasteboardItem item;
    if (gtk_clipboard_wait_for_targets(m_clipboard, &targets, &count)) {
        for (gint i = 0; i < count; ++i) {
            gchar* name = gdk_atom_name(targets[i]);
            std::string type = typeForTarget(name);
            g_free(name);
            if (item.count(type) || (type != kPasteboardTypeUTF8PlainText && type != kPasteboardTypePNG &&
                                     type != kPasteboardTypeWebArchive && type != kPasteboardTypeHTML))
                continue;
            if (GtkSelectionData* data = gtk_clipboard_wait_for_contents(m_clipboard, targets[i])) {
                gint length = 0;
                const guchar* bytes = gtk_selection_data_get_data_with_length(data, &length);
                if (bytes && length >= 0)
                    item[type] = std::vector<std::uint8_t>(bytes, bytes + length);
                gtk_selection_data_free(data);
            }
        }
        g_free(targets);
    }
    if (item.empty())
        return {};
    return {item};
}

void GtkClipboardBackend::provide(GtkClipboard*, GtkSelectionData* selection, guint, gpointer self)
{
    auto* backend = static_cast<GtkClipboardBackend*>(self);
    gchar* target = gdk_atom_name(gtk_selection_data_get_target(selection));
    auto it = backend->m_offered.find(typeForTarget(target));
    g_free(target);
    if (it == backend->m_offered.end())
        return;
    gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8, it->second.data(),
                            static_cast<gint>(it->second.size()));
}

void GtkClipboardBackend::cleared(GtkClipboard*, gpointer self)
{
    auto* backend = static_cast<GtkClipboardBackend*>(self);
    backend->m_owner = false;
    backend->m_offered.clear();
}

void GtkClipboardBackend::ownerChanged(GtkClipboard*, GdkEvent*, gpointer self)
{
    auto* backend = static_cast<GtkClipboardBackend*>(self);
    // Our own writes were announced by the pasteboard already.
    if (!backend->m_writing && !backend->m_owner)
        backend->m_pasteboard.noteExternalChange();
}

} // namespace folio
