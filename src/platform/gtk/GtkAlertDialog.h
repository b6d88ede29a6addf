#pragma once

#include <gtk/gtk.h>

namespace folio {

class AlertController;

// A dialog for an alert: its title, message and text fields, one button per
// action. A button taps its action in the model; closing the dialog taps the
// cancel action (or just dismisses an alert that has none).
class GtkAlertDialog {
public:
    static GtkWidget* create(AlertController& alert, GtkWindow* parent);
};

} // namespace folio
