#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>

namespace folio {

class DKDocumentPicker;

// Draws the document browser's grid: a search field and the sort order
// above the files of the selected scope, each as its preview picture (or a
// document icon) with its name, kind and date. Activating a file opens it; its
// menu button and a right click offer the browser's file actions. The
// widget becomes the picker's view, and is made again from the model
// whenever the model changes.
class GtkDocumentGrid {
public:
    static constexpr int kPreviewWidth = 150;
    static constexpr int kPreviewHeight = 190;

    // The picker must outlive the grid.
    explicit GtkDocumentGrid(DKDocumentPicker& picker);
    ~GtkDocumentGrid();
    GtkDocumentGrid(const GtkDocumentGrid&) = delete;
    GtkDocumentGrid& operator=(const GtkDocumentGrid&) = delete;

    GtkWidget* widget() const { return m_root; }
    GtkWidget* flowBox() const { return m_flowBox; }
    GtkWidget* searchEntry() const { return m_search; }
    void refill();

    // A file chooser over the window; nothing when the user cancels.
    static std::optional<std::string> chooseFileToImport(GtkWindow* parent);

private:
    GtkWidget* buildTile(std::size_t index);
    void showMenuForTile(std::size_t index, GtkWidget* relativeTo);

    DKDocumentPicker& m_picker;
    GtkWidget* m_root = nullptr;
    GtkWidget* m_search = nullptr;
    GtkWidget* m_sort = nullptr;
    GtkWidget* m_flowBox = nullptr;
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
