#pragma once

#include "platform/ui/PasteboardBackend.h"

#include <gtk/gtk.h>

#include <vector>

namespace folio {

class Pasteboard;

// The system clipboard behind the pasteboard. The clipboard holds one item,
// so only the first item's representations are offered to other programs;
// each type is offered under its own name and, for text and PNG, under the
// names other programs ask for.
class GtkClipboardBackend : public PasteboardBackend {
public:
    // Announces changes that other programs make to `pasteboard`.
    GtkClipboardBackend(GtkClipboard* clipboard, Pasteboard& pasteboard);
    ~GtkClipboardBackend() override;
    GtkClipboardBackend(const GtkClipboardBackend&) = delete;
    GtkClipboardBackend& operator=(const GtkClipboardBackend&) = delete;

    void writeItems(const std::vector<PasteboardItem>& items) override;
    std::vector<PasteboardItem> readItems() override;

private:
    static void provide(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer self);
    static void cleared(GtkClipboard*, gpointer self);
    static void ownerChanged(GtkClipboard*, GdkEvent*, gpointer self);

    GtkClipboard* m_clipboard;
    Pasteboard& m_pasteboard;
    PasteboardItem m_offered;
    bool m_owner = false;
    bool m_writing = false;
    gulong m_ownerChangeHandler = 0;
};

} // namespace folio
