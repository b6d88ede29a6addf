#pragma once

#include "platform/ui/DropInteraction.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace folio {

class View;

// Files dragged from the desktop onto a widget whose view has a drop
// delegate: picture files go to the delegate as dropped items, typed by
// their content (a JPEG named ".png" is still a JPEG), and files that hold
// no picture are refused rather than shown as their addresses. Text and
// links dragged from other programs are left to the widget itself.
class GtkDropBridge {
public:
    // The type identifier of a file's content ("public.jpeg",
    // "public.png"); empty when it is neither or cannot be read.
    static std::string pictureTypeOfFile(const std::string& path);
    // One item per picture file, loading as the file itself.
    static DropSession sessionForFiles(const std::vector<std::string>& paths);
    // Hands the session to the delegate as a drop does; answers whether
    // the delegate took anything, which is what the drag's source is told.
    static bool deliver(DropInteractionDelegate& delegate, const DropSession& session);

    // Listens for drops on the widget for the view's delegate.
    static void attach(GtkWidget* widget, View& view);
};

} // namespace folio
