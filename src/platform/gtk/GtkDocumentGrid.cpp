#include "platform/gtk/GtkDocumentGrid.h"

#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/gtk/GtkMenuPopover.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace folio {

namespace {

constexpr const char* kIndexKey = "folio-item-index";

std::string displayedDate(std::chrono::system_clock::time_point date)
{
    std::time_t time = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    localtime_r(&time, &local);
    char text[64];
    std::strftime(text, sizeof text, "%d %b %Y, %H:%M", &local);
    return text;
}

GtkWidget* previewWidget(const ODSFileItem& item)
{
    Image::Pointer preview = ODSScopeViewController::previewForItem(item);
    if (preview && preview->pixelWidth() > 0 && preview->pixelHeight() > 0) {
        double scale = std::min(double(GtkDocumentGrid::kPreviewWidth) / preview->pixelWidth(),
                                double(GtkDocumentGrid::kPreviewHeight) / preview->pixelHeight());
        int width = std::max(1, int(preview->pixelWidth() * scale));
        int height = std::max(1, int(preview->pixelHeight() * scale));
        Result<Image::Pointer> scaled = preview->scaledImage(width, height);
        if (scaled) {
            if (cairo_surface_t* surface = (*scaled)->createCairoSurface()) {
                GtkWidget* image = gtk_image_new_from_surface(surface);
                cairo_surface_destroy(surface);
                return image;
            }
        }
    }
    GtkWidget* icon = gtk_image_new_from_icon_name("x-office-document", GTK_ICON_SIZE_DIALOG);
    gtk_image_set_pixel_size(GTK_IMAGE(icon), 128);
    return icon;
}

} // namespace

GtkDocumentGrid::GtkDocumentGrid(DKDocumentPicker& picker) : m_picker(picker)
{
    m_root = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    g_object_ref_sink(m_root);
    gtk_widget_set_hexpand(m_root, TRUE);
    gtk_widget_set_vexpand(m_root, TRUE);

    GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(bar), 6);
    m_search = gtk_search_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(m_search), "Search documents");
    gtk_box_pack_start(GTK_BOX(bar), m_search, TRUE, TRUE, 0);
    m_sort = gtk_combo_box_text_new();
    gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(m_sort), "date", "Newest First");
    gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(m_sort), "name", "By Name");
    bool byName = picker.selectedScopeViewController().sortOrder() == ODSScopeViewController::SortOrder::Name;
    gtk_combo_box_set_active_id(GTK_COMBO_BOX(m_sort), byName ? "name" : "date");
    gtk_box_pack_end(GTK_BOX(bar), m_sort, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(m_root), bar, FALSE, FALSE, 0);

    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_vexpand(scroller, TRUE);
    m_flowBox = gtk_flow_box_new();
    gtk_flow_box_set_selection_mode(GTK_FLOW_BOX(m_flowBox), GTK_SELECTION_SINGLE);
    gtk_flow_box_set_activate_on_single_click(GTK_FLOW_BOX(m_flowBox), FALSE);
    gtk_flow_box_set_homogeneous(GTK_FLOW_BOX(m_flowBox), TRUE);
    gtk_flow_box_set_column_spacing(GTK_FLOW_BOX(m_flowBox), 12);
    gtk_flow_box_set_row_spacing(GTK_FLOW_BOX(m_flowBox), 12);
    gtk_container_set_border_width(GTK_CONTAINER(m_flowBox), 12);
    gtk_flow_box_set_max_children_per_line(GTK_FLOW_BOX(m_flowBox), 12);
    gtk_container_add(GTK_CONTAINER(scroller), m_flowBox);
    gtk_box_pack_start(GTK_BOX(m_root), scroller, TRUE, TRUE, 0);

    std::weak_ptr<int> alive = m_lifetime;
    GtkSignals::connect(m_search, "search-changed", [this, alive] {
        if (!alive.expired())
            m_picker.selectedScopeViewController().setSearchText(gtk_entry_get_text(GTK_ENTRY(m_search)));
    });
    GtkSignals::connect(m_sort, "changed", [this, alive] {
        if (alive.expired())
            return;
        const char* id = gtk_combo_box_get_active_id(GTK_COMBO_BOX(m_sort));
        bool name = id && std::string(id) == "name";
        m_picker.selectedScopeViewController().setSortOrder(name ? ODSScopeViewController::SortOrder::Name
                                                                 : ODSScopeViewController::SortOrder::Date);
    });
    g_signal_connect(m_flowBox, "child-activated", G_CALLBACK(+[](GtkFlowBox*, GtkFlowBoxChild* child, gpointer data) {
                         auto* grid = static_cast<GtkDocumentGrid*>(data);
                         auto index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(child), kIndexKey));
                         const auto& items = grid->m_picker.selectedScopeViewController().items();
                         if (index > 0 && index <= items.size())
                             grid->m_picker.openItem(items[index - 1]);
                     }),
                     this);

    m_picker.selectedScopeViewController().setChangeHandler([this, alive] {
        if (!alive.expired())
            refill();
    });
    m_picker.view()->setNativeWidgetHandle(m_root);
    refill();
}

GtkDocumentGrid::~GtkDocumentGrid()
{
    m_picker.selectedScopeViewController().setChangeHandler({});
    g_signal_handlers_disconnect_by_data(m_flowBox, this);
    if (auto view = m_picker.viewIfLoaded(); view && view->nativeWidgetHandle() == m_root)
        view->setNativeWidgetHandle(nullptr);
    if (GtkWidget* parent = gtk_widget_get_parent(m_root))
        gtk_container_remove(GTK_CONTAINER(parent), m_root);
    g_object_unref(m_root);
}

void GtkDocumentGrid::refill()
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(m_flowBox));
    for (GList* child = children; child; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);
    std::size_t count = m_picker.selectedScopeViewController().items().size();
    for (std::size_t index = 0; index < count; ++index) {
        GtkWidget* tile = buildTile(index);
        gtk_flow_box_insert(GTK_FLOW_BOX(m_flowBox), tile, -1);
        GtkWidget* child = gtk_widget_get_parent(tile);
        // Stored one higher, so that zero means "no item".
        g_object_set_data(G_OBJECT(child), kIndexKey, GSIZE_TO_POINTER(index + 1));
    }
    gtk_widget_show_all(m_flowBox);
}

GtkWidget* GtkDocumentGrid::buildTile(std::size_t index)
{
    const ODSFileItem& item = *m_picker.selectedScopeViewController().items()[index];
    GtkWidget* tile = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_widget_set_size_request(tile, kPreviewWidth, -1);
    GtkWidget* frame = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(frame, kPreviewWidth, kPreviewHeight);
    GtkWidget* picture = previewWidget(item);
    gtk_widget_set_valign(picture, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(frame), picture, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(tile), frame, FALSE, FALSE, 0);

    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
    GtkWidget* name = gtk_label_new(item.displayedName().c_str());
    gtk_label_set_ellipsize(GTK_LABEL(name), PANGO_ELLIPSIZE_MIDDLE);
    gtk_label_set_max_width_chars(GTK_LABEL(name), 18);
    gtk_widget_set_tooltip_text(name, item.name().c_str());
    gtk_box_pack_start(GTK_BOX(row), name, TRUE, TRUE, 0);
    GtkWidget* more = gtk_button_new_from_icon_name("view-more-symbolic", GTK_ICON_SIZE_BUTTON);
    gtk_button_set_relief(GTK_BUTTON(more), GTK_RELIEF_NONE);
    gtk_widget_set_tooltip_text(more, "Document actions");
    gtk_box_pack_end(GTK_BOX(row), more, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(tile), row, FALSE, FALSE, 0);

    // The name is shown without its extension: the kind tells a ".md" from
    // an ".rtf" of the same name.
    GtkWidget* kind = gtk_label_new(ODSScopeViewController::kindTitleForItem(item).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(kind), "dim-label");
    gtk_box_pack_start(GTK_BOX(tile), kind, FALSE, FALSE, 0);

    GtkWidget* date = gtk_label_new(displayedDate(item.modificationDate()).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(date), "dim-label");
    gtk_box_pack_start(GTK_BOX(tile), date, FALSE, FALSE, 0);

    std::weak_ptr<int> alive = m_lifetime;
    GtkSignals::connect(more, "clicked", [this, alive, index, more] {
        if (!alive.expired())
            showMenuForTile(index, more);
    });
    // A right click anywhere on the tile offers the same menu.
    GtkWidget* events = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(events), tile);
    g_object_set_data(G_OBJECT(events), kIndexKey, GSIZE_TO_POINTER(index + 1));
    g_signal_connect(events, "button-press-event", G_CALLBACK(+[](GtkWidget* widget, GdkEventButton* event, gpointer data) -> gboolean {
                         if (event->button != GDK_BUTTON_SECONDARY)
                             return FALSE;
                         auto index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(widget), kIndexKey));
                         if (index > 0)
                             static_cast<GtkDocumentGrid*>(data)->showMenuForTile(index - 1, widget);
                         return TRUE;
                     }),
                     this);
    return events;
}

void GtkDocumentGrid::showMenuForTile(std::size_t index, GtkWidget* relativeTo)
{
    const auto& items = m_picker.selectedScopeViewController().items();
    if (index >= items.size())
        return;
    std::shared_ptr<Menu> menu = m_picker.menuForItem(items[index]);
    GtkWidget* popover = gtk_popover_new(relativeTo);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_set_border_width(GTK_CONTAINER(box), 6);
    GtkMenuPopover::fill(box, popover, *menu);
    // An item offers many exports: the rows scroll where the window is too short for them.
    gtk_container_add(GTK_CONTAINER(popover), GtkMenuPopover::scrollerWithinWindow(box, popover));
    // The menu's actions may rebuild the grid, and with it this popover's
    // anchor; the popover keeps the menu alive until it goes.
    g_object_set_data_full(G_OBJECT(popover), "folio-menu", new std::shared_ptr<Menu>(menu),
                           [](gpointer data) { delete static_cast<std::shared_ptr<Menu>*>(data); });
    gtk_widget_show_all(popover);
    gtk_popover_popup(GTK_POPOVER(popover));
}

std::optional<std::string> GtkDocumentGrid::chooseFileToImport(GtkWindow* parent)
{
    GtkWidget* dialog = gtk_file_chooser_dialog_new("Import a Document", parent, GTK_FILE_CHOOSER_ACTION_OPEN,
                                                    "_Cancel", GTK_RESPONSE_CANCEL, "_Import", GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            chosen = path;
            g_free(path);
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

} // namespace folio
