#pragma once

#include "platform/ui/PicturePicker.h"

#include <gtk/gtk.h>

#include <functional>

namespace folio {

// The desktop's picture source: the toolkit's file chooser, filtered to
// picture files by their content type as the desktop names it. The filter is
// only a convenience; the editor decodes what comes back.
class GtkPicturePicker : public PicturePicker {
public:
    // The window the chooser is modal for; may be null.
    explicit GtkPicturePicker(std::function<GtkWindow*()> parent = {});
    ~GtkPicturePicker() override;

    void pickPicture(const std::u16string& title, Completion completion) override;

private:
    static void responded(GtkNativeDialog* dialog, gint response, gpointer self);
    void finish(std::optional<std::string> path);

    std::function<GtkWindow*()> m_parent;
    GtkFileChooserNative* m_chooser = nullptr;
    Completion m_completion;
};

} // namespace folio
