#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Presenter.h"

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace folio {

class Control;
class GtkClipboardBackend;
class NavigationItem;
class Responder;
class View;

// Shows the UI model in real GTK 3 windows: a window with a header bar for
// each visible Window (and for each full-screen or sheet presentation),
// dialogs for alerts, popovers for popover presentations and menus, list
// boxes for tables, an overlay for the progress HUD, and the system
// clipboard behind the general pasteboard. It installs itself as the current
// presenter while it lives.
class GtkPresenter : public Presenter {
public:
    // Fails when no display can be opened.
    static Result<std::unique_ptr<GtkPresenter>> create();
    ~GtkPresenter() override;
    GtkPresenter(const GtkPresenter&) = delete;
    GtkPresenter& operator=(const GtkPresenter&) = delete;

    void windowDidBecomeVisible(Window&) override;
    void windowDidClose(Window&) override;
    void navigationStackDidChange(NavigationController&) override;
    void navigationItemDidChange(NavigationItem&) override;
    void barButtonItemDidChange(BarButtonItem&) override;
    // In place: rebuilding the bar would close a popover that points at one of its items.
    void barButtonItemEnabledDidChange(BarButtonItem& item) override;
    void controllerDidPresent(ViewController& presenting, ViewController& presented) override;
    void controllerWillDismiss(ViewController& presented) override;
    void menuRequested(Menu&, const void* anchor) override;
    void editMenuVisibilityDidChange(MenuController&) override;
    void tableViewDidReload(TableView&) override;
    void progressHUDDidChange(ProgressHUD&) override;

    // Sets every widget standing for the control from the model, after code
    // (not the user on screen) changed its value, selection or range.
    void controlDidChange(Control&) override;
    void viewContentDidChange(ViewController&) override;
    void activityIndicatorDidChange(ActivityIndicatorView&) override;
    // Redraws the drawing areas of a view that draws itself.
    void viewNeedsDisplay(View&) override;
    // Places and draws again the views laid over a web page.
    void viewLayoutDidChange(View&) override;
    void viewBackgroundColorDidChange(View&) override;
    // Shows the text view's new accessory bar.
    void inputViewsDidChange(View&) override;
    void viewDidRequestKeyboardFocus(View&) override;
    bool viewMayTakeKeyboardFocus(View&) override;

    // What stands for each model object on screen; null when nothing does.
    GtkWidget* widgetForWindow(const Window&) const;
    GtkWidget* headerBarForWindow(const Window&) const;
    GtkWidget* widgetForBarButtonItem(const BarButtonItem&) const;
    // The dialog, popover or window of a presented controller.
    GtkWidget* widgetForController(const ViewController&) const;
    GtkWidget* listBoxForTableView(const TableView&) const;
    // The widget showing the view in one of the windows.
    GtkWidget* widgetForView(const View&) const;
    GtkWidget* menuPopover() const { return m_menuPopover; }
    // The edit menu over a page or a selection, while it shows.
    GtkWidget* editMenu() const { return m_editMenu; }
    GtkWidget* hudWidget() const { return m_hud; }

    // Serves pending GTK events without blocking, a bounded number at a time.
    static void processPendingEvents();

private:
    // A top-level surface: a window or the window of a sheet presentation.
    struct Surface {
        GtkWidget* toplevel = nullptr;
        GtkWidget* header = nullptr;
        GtkWidget* overlay = nullptr;
        GtkWidget* body = nullptr;
        ViewController* controller = nullptr;
        // The window model shown, when the surface is a window's.
        Window* window = nullptr;
        NavigationItem* shownItem = nullptr;
        // Views shown over the content beside it in its navigation's view.
        std::vector<const View*> beside;
        // The content size last passed to the model.
        Size reportedSize;
        bool sizePending = false;
        std::vector<GtkWidget*> nativeWidgets;
        std::vector<const BarButtonItem*> barItems;
    };

    GtkPresenter();
    Surface& makeSurface(const void* key, ViewController* controller, GtkWindow* parent, Size size);
    void destroySurface(const void* key);
    // Hands the surface's content size to its window or controller, as a
    // rotation or a split screen would.
    void surfaceDidResize(const void* key, Size size);
    void passSizeToModel(const void* key);
    // Where the surface's key commands are looked for first.
    Responder* keyResponderFor(const Surface& surface) const;
    // Runs the key command of the surface's responders that the key names;
    // answers whether one ran.
    bool performKeyCommand(const void* key, const GdkEventKey& event);
    void rebuildHeader(Surface& surface);
    void rebuildBody(Surface& surface);
    std::vector<const View*> besideFor(const Surface& surface) const;
    GtkWidget* buildBarItem(const std::shared_ptr<BarButtonItem>& item);
    GtkWidget* buildContent(ViewController& controller, std::vector<GtkWidget*>& nativeWidgets);
    GtkWidget* hostOverlayFor(const ViewController& controller) const;
    GtkWindow* hostWindowFor(const ViewController& controller) const;
    void presentAlert(ViewController& presenting, ViewController& alert);
    // The popover shows the controller's current content (after a push or pop, too).
    void fillPopover(ViewController& presented, GtkWidget* popover);
    GtkWidget* popoverNavigationBar(ViewController& presented);
    void presentPopover(ViewController& presented);
    void popupOncePlaced(GtkWidget* popover, GtkWidget* relative, std::function<bool()> stillWanted);
    struct PendingPopup;
    GtkWidget* anchorWidgetFor(const void* anchor) const;
    // The widget showing the view (known by its address) in a window or a
    // presented panel; null when none does.
    GtkWidget* widgetShowingView(const void* view) const;
    // Where a rectangle of a view that no widget shows lies in `widget`, or
    // nothing when no view around it is shown either.
    std::optional<Rect> anchorInWidget(const View& source, const Rect& anchor, GtkWidget* widget) const;
    void closeMenuPopover();
    // The popovers open now: the menu and the presented panels.
    std::vector<GtkWidget*> openPopovers() const;
    // A right-click or the menu key on a page: the edit menu of the page's
    // responder chain at that point.
    void showContextMenu(View& page, Point at);

    std::map<const void*, Surface> m_surfaces;
    std::map<const BarButtonItem*, GtkWidget*> m_barItems;
    std::map<const ViewController*, GtkWidget*> m_presented;
    std::map<const ViewController*, std::vector<GtkWidget*>> m_presentedNatives;
    std::map<const TableView*, GtkWidget*> m_tables;
    GtkWidget* m_menuPopover = nullptr;
    GtkWidget* m_editMenu = nullptr;
    // The page whose context menu is the edit menu shown, if it is one.
    std::weak_ptr<View> m_contextMenuPage;
    GtkWidget* m_hud = nullptr;
    std::shared_ptr<GtkClipboardBackend> m_clipboard;
    bool m_tearingDown = false;
    // GTK may destroy widgets (and so call our handlers) after we are gone,
    // through deferred destruction; handlers check this token first.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
