#include "platform/gtk/GtkPresenter.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkAlertDialog.h"
#include "platform/gtk/GtkClipboardBackend.h"
#include "platform/gtk/GtkPicturePicker.h"
#include "platform/gtk/GtkContextMenuBridge.h"
#include "platform/gtk/GtkControlBridges.h"
#include "platform/gtk/GtkDrawnViews.h"
#include "platform/gtk/GtkEditMenu.h"
#include "platform/gtk/GtkFocusHandoff.h"
#include "platform/gtk/GtkHeaderBarItems.h"
#include "platform/gtk/GtkKeyInput.h"
#include "platform/gtk/GtkMenuPopover.h"
#include "platform/gtk/GtkScrollPlaces.h"
#include "platform/gtk/GtkPopoverLifetime.h"
#include "platform/gtk/GtkSignals.h"
#include "platform/gtk/GtkTextHighlights.h"
#include "platform/gtk/GtkTextViewBridge.h"
#include "platform/gtk/GtkTooltips.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkViewOverlay.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ApplicationState.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/web/HeldKeyEvents.h"
#include "platform/web/ToolkitDisplay.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace folio {

namespace {

// How many letters of a window's title are shown before it is cut short.
constexpr int kLongestTitleLetters = 48;


gboolean windowStateChanged(GtkWidget*, GdkEventWindowState* event, gpointer)
{
    if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
        bool minimised = event->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
        NotificationCenter::defaultCenter().postNotification(minimised ? kApplicationDidEnterBackgroundNotification
                                                                       : kApplicationWillEnterForegroundNotification);
    }
    return FALSE;
}

int presenterPixels(double points) { return static_cast<int>(std::lround(std::max(0.0, points))); }

const ViewController* presentationContextOf(const ViewController& controller)
{
    const ViewController* context = &controller;
    while (context->parentViewController())
        context = context->parentViewController();
    return context;
}

template <typename T>
std::weak_ptr<T> presenterWeakOf(T& object)
{
    return std::static_pointer_cast<T>(object.weak_from_this().lock());
}

// What the header bar adds to a window's content, at most.
constexpr int kHeaderBarAllowance = 60;

// The work area of the monitor the window will show on: the parent's, or
// the primary one.
GdkRectangle workAreaFor(GtkWindow* parent)
{
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = nullptr;
    if (parent && gtk_widget_get_window(GTK_WIDGET(parent)))
        monitor = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(GTK_WIDGET(parent)));
    if (!monitor)
        monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1280, 1024};
    if (monitor)
        gdk_monitor_get_workarea(monitor, &area);
    return area;
}

void collectWidgetsOfType(GtkWidget* widget, GType type, std::vector<GtkWidget*>& found)
{
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type))
        found.push_back(widget);
    if (!GTK_IS_CONTAINER(widget))
        return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* child = children; child; child = child->next)
        collectWidgetsOfType(GTK_WIDGET(child->data), type, found);
    g_list_free(children);
}

// Views the controller's view has beside it in its navigation's view (a
// word counter standing over the text): they show over the content.
std::vector<std::shared_ptr<View>> viewsBeside(NavigationController* navigation, const ViewController* shown)
{
    std::vector<std::shared_ptr<View>> beside;
    std::shared_ptr<View> holder = navigation ? navigation->viewIfLoaded() : nullptr;
    std::shared_ptr<View> root = shown ? shown->viewIfLoaded() : nullptr;
    if (!holder || !root || root->superview() != holder)
        return beside;
    for (const std::shared_ptr<View>& view : holder->subviews()) {
        if (view != root && !view->isHidden())
            beside.push_back(view);
    }
    return beside;
}

std::vector<const View*> addressesOf(const std::vector<std::shared_ptr<View>>& views)
{
    std::vector<const View*> addresses;
    for (const std::shared_ptr<View>& view : views)
        addresses.push_back(view.get());
    return addresses;
}

GdkRectangle gdkRect(const Rect& rect)
{
    return GdkRectangle{presenterPixels(rect.minX()), presenterPixels(rect.minY()), std::max(1, presenterPixels(rect.width())), std::max(1, presenterPixels(rect.height()))};
}

} // namespace

Result<std::unique_ptr<GtkPresenter>> GtkPresenter::create()
{
    if (!ToolkitDisplay::open())
        return Error{"folio.gtk", 1, "No display to show windows on"};
    return std::unique_ptr<GtkPresenter>(new GtkPresenter());
}

GtkPresenter::GtkPresenter()
{
    // The editors measure a window against the screen it is on (a window as
    // wide as the screen fills it): the device reports the real monitor.
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
        GdkRectangle area{};
        gdk_monitor_get_geometry(monitor, &area);
        if (area.width > 0 && area.height > 0)
            Device::current().setScreenBounds(makeRect(0, 0, area.width, area.height));
    }
    m_clipboard = std::make_shared<GtkClipboardBackend>(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), Pasteboard::general());
    Pasteboard::general().setBackend(m_clipboard);
    PicturePicker::setShared(std::make_shared<GtkPicturePicker>([] {
        GtkWindow* active = nullptr;
        GList* windows = gtk_window_list_toplevels();
        for (GList* item = windows; item && !active; item = item->next) {
            if (gtk_window_is_active(GTK_WINDOW(item->data)))
                active = GTK_WINDOW(item->data);
        }
        g_list_free(windows);
        return active;
    }));
    std::weak_ptr<int> lifetime = m_lifetime;
    GtkContextMenuBridge::setHandler([this, lifetime](View& page, Point at) {
        if (!lifetime.expired() && !m_tearingDown)
            showContextMenu(page, at);
    });
    Presenter::setCurrent(this);
}

GtkPresenter::~GtkPresenter()
{
    m_tearingDown = true;
    GtkContextMenuBridge::setHandler(nullptr);
    Presenter::setCurrent(nullptr);
    Pasteboard::general().setBackend(nullptr);
    PicturePicker::setShared(nullptr);
    for (GtkWidget** slot : {&m_menuPopover, &m_editMenu, &m_hud}) {
        if (GtkWidget* widget = *slot) {
            *slot = nullptr;
            gtk_widget_destroy(widget);
        }
    }
    for (auto& [controller, widget] : std::map<const ViewController*, GtkWidget*>(m_presented)) {
        if (!m_surfaces.count(controller))
            gtk_widget_destroy(widget);
    }
    m_presented.clear();
    while (!m_surfaces.empty())
        destroySurface(m_surfaces.begin()->first);
}

void GtkPresenter::processPendingEvents()
{
    // A source that is ready again by the time it has been served (a spinner's
    // frame timer on a busy machine) would keep an open-ended loop here for
    // good, and a caller waiting with a time limit would never look at it.
    constexpr int kMostEventsServed = 200;
    for (int served = 0; served < kMostEventsServed && gtk_events_pending(); ++served)
        gtk_main_iteration_do(FALSE);
}

GtkPresenter::Surface& GtkPresenter::makeSurface(const void* key, ViewController* controller, GtkWindow* parent, Size size)
{
    Surface& surface = m_surfaces[key];
    surface.controller = controller;
    surface.toplevel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    // The model's size, within what the screen offers (its work area, less
    // panels); the header bar comes on top of the content's height.
    GdkRectangle area = workAreaFor(parent);
    int width = std::min(std::max(200, presenterPixels(size.width)), std::max(200, area.width));
    int height = std::min(std::max(150, presenterPixels(size.height)), std::max(150, area.height - kHeaderBarAllowance));
    gtk_window_set_default_size(GTK_WINDOW(surface.toplevel), width, height);
    if (parent) {
        gtk_window_set_transient_for(GTK_WINDOW(surface.toplevel), parent);
        gtk_window_set_modal(GTK_WINDOW(surface.toplevel), TRUE);
    }
    surface.header = gtk_header_bar_new();
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(surface.header), TRUE);
    gtk_window_set_titlebar(GTK_WINDOW(surface.toplevel), surface.header);
    surface.overlay = gtk_overlay_new();
    gtk_container_add(GTK_CONTAINER(surface.toplevel), surface.overlay);
    // Connected before GTK's own handler, which hands the key to the
    // focused widget: the shown controller's key commands come first, from
    // the first keystroke, whatever has the focus (a web page included).
    std::weak_ptr<int> lifetime = m_lifetime;
    GtkSignals::connectKeyPress(surface.toplevel, [this, lifetime, key](const GdkEventKey& event) {
        return !lifetime.expired() && !m_tearingDown && performKeyCommand(key, event);
    });
    GtkSignals::connectAllocation(surface.overlay, [this, lifetime, key](int width, int height) {
        if (!lifetime.expired() && !m_tearingDown)
            surfaceDidResize(key, Size{static_cast<double>(width), static_cast<double>(height)});
    });
    // A minimised window is the desktop's background.
    g_signal_connect(surface.toplevel, "window-state-event", G_CALLBACK(windowStateChanged), nullptr);
    rebuildHeader(surface);
    rebuildBody(surface);
    gtk_widget_show_all(surface.toplevel);
    return surface;
}

void GtkPresenter::surfaceDidResize(const void* key, Size size)
{
    auto it = m_surfaces.find(key);
    if (it == m_surfaces.end() || size.width <= 1 || size.height <= 1 || it->second.reportedSize == size)
        return;
    Surface& surface = it->second;
    surface.reportedSize = size;
    if (surface.sizePending)
        return;
    surface.sizePending = true;
    // Passed on once GTK has placed every widget: the model's answer moves
    // views, which must not happen in the middle of an allocation.
    struct Pending {
        GtkPresenter* presenter;
        std::weak_ptr<int> lifetime;
        const void* key;
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            auto* pending = static_cast<Pending*>(data);
            if (!pending->lifetime.expired())
                pending->presenter->passSizeToModel(pending->key);
            return G_SOURCE_REMOVE;
        },
        new Pending{this, m_lifetime, key}, [](gpointer data) { delete static_cast<Pending*>(data); });
}

void GtkPresenter::passSizeToModel(const void* key)
{
    auto it = m_surfaces.find(key);
    if (it == m_surfaces.end() || m_tearingDown)
        return;
    it->second.sizePending = false;
    Size size = it->second.reportedSize;
    if (Window* window = it->second.window) {
        if (!(window->frame().size == size))
            window->resize(size);
    } else if (ViewController* controller = it->second.controller) {
        auto view = controller->viewIfLoaded();
        if (!view || !(view->frame().size == size))
            controller->transitionToSize(size);
    }
    // The model's answer may have closed the surface.
    if (auto again = m_surfaces.find(key); again != m_surfaces.end())
        GtkTextHighlights::followShownSizes(again->second.body);
}

Responder* GtkPresenter::keyResponderFor(const Surface& surface) const
{
    auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
    ViewController* shown = navigation ? navigation->topViewController().get() : surface.controller;
    if (!shown)
        return nullptr;
    // A responder of the shown controller with the focus (its text view)
    // offers its own commands before the controller's.
    for (Responder* responder = Responder::currentFirstResponder(); responder; responder = responder->nextResponder()) {
        if (responder == shown)
            return Responder::currentFirstResponder();
    }
    return shown;
}

bool GtkPresenter::performKeyCommand(const void* key, const GdkEventKey& event)
{
    auto it = m_surfaces.find(key);
    if (it == m_surfaces.end())
        return false;
    // A text field keeps its own editing keys (its undo, its selection).
    // Escape, which edits nothing, goes to the field and the views around it
    // (a bar that closes with it).
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(it->second.toplevel));
    if (focus && GTK_IS_EDITABLE(focus)) {
        std::optional<GtkKeyInput::KeyPress> press = GtkKeyInput::fromEvent(event);
        Responder* field = Responder::currentFirstResponder();
        return press && press->input == kKeyInputEscape && press->modifierFlags == KeyModifierNone && field
            && KeyboardService::shared().handleKeyPress(press->input, press->modifierFlags, field);
    }
    // A page still loading keeps its keys, shortcuts among them, and hands
    // them back through here once it is ready; a key typed while it does
    // waits behind them. A command now would act on a page not yet holding
    // the document, or overtake the keys typed before it.
    if (focus && HeldKeyEvents::keyWaits(focus, reinterpret_cast<const GdkEvent*>(&event)))
        return false;
    std::optional<GtkKeyInput::KeyPress> press = GtkKeyInput::fromEvent(event);
    if (!press)
        return false;
    Responder* responder = keyResponderFor(it->second);
    return responder && KeyboardService::shared().handleKeyPress(press->input, press->modifierFlags, responder);
}

void GtkPresenter::destroySurface(const void* key)
{
    auto it = m_surfaces.find(key);
    if (it == m_surfaces.end())
        return;
    Surface surface = it->second;
    m_surfaces.erase(it);
    for (const auto* item : surface.barItems)
        m_barItems.erase(item);
    for (GtkWidget* native : surface.nativeWidgets)
        GtkViewBuilder::detachNativeWidget(native);
    GtkTooltips::dropStray(surface.toplevel);
    gtk_widget_destroy(surface.toplevel);
}

GtkWidget* GtkPresenter::buildBarItem(const std::shared_ptr<BarButtonItem>& item)
{
    GtkWidget* widget = GtkHeaderBarItems::build(item);
    if (widget && GTK_IS_BUTTON(widget) && !item->customView())
        m_barItems[item.get()] = widget;
    return widget;
}

void GtkPresenter::rebuildHeader(Surface& surface)
{
    for (const auto* item : surface.barItems)
        m_barItems.erase(item);
    surface.barItems.clear();
    GList* children = gtk_container_get_children(GTK_CONTAINER(surface.header));
    for (GList* child = children; child; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);
    gtk_header_bar_set_custom_title(GTK_HEADER_BAR(surface.header), nullptr);

    auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
    const NavigationController::BarColors colors = navigation ? navigation->navigationBarColors()
                                                              : NavigationController::BarColors{};
    if (navigation && navigation->isNavigationBarHidden()) {
        gtk_widget_hide(surface.header);
        return;
    }
    GtkControlBridges::applyBackgroundColor(surface.header, colors.background);
    GtkControlBridges::applyForegroundColor(surface.header, colors.foreground);
    ViewController* shown = navigation ? navigation->topViewController().get() : surface.controller;
    auto item = shown ? shown->navigationItem() : nullptr;
    surface.shownItem = item.get();
    if (!item) {
        gtk_header_bar_set_title(GTK_HEADER_BAR(surface.header), "");
        return;
    }
    gtk_header_bar_set_title(GTK_HEADER_BAR(surface.header), toUtf8(item->title()).c_str());
    if (auto titleView = item->titleView(); titleView && !titleView->isHidden()) {
        GtkViewBuilder builder(nullptr);
        if (GtkWidget* custom = builder.build(*titleView))
            gtk_header_bar_set_custom_title(GTK_HEADER_BAR(surface.header), custom);
    } else {
        // The bar gives its title all the width the title asks for first,
        // and its items (which can scroll) what is left: the title of a
        // document with a long name would leave them none. This one asks
        // for a readable measure and ends in an ellipsis beyond it.
        GtkWidget* title = gtk_label_new(toUtf8(item->title()).c_str());
        gtk_style_context_add_class(gtk_widget_get_style_context(title), "title");
        gtk_label_set_single_line_mode(GTK_LABEL(title), TRUE);
        gtk_label_set_ellipsize(GTK_LABEL(title), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(title), kLongestTitleLetters);
        gtk_header_bar_set_custom_title(GTK_HEADER_BAR(surface.header), title);
    }

    auto leading = item->effectiveLeadingItems();
    if (navigation && navigation->viewControllers().size() > 1 && !item->hidesBackButton() && leading.empty()) {
        GtkWidget* back = gtk_button_new_from_icon_name("go-previous-symbolic", GTK_ICON_SIZE_BUTTON);
        std::weak_ptr<NavigationController> weak = presenterWeakOf(*navigation);
        GtkSignals::connect(back, "clicked", [weak] {
            if (auto strong = weak.lock())
                strong->popViewControllerAnimated(true);
        });
        gtk_header_bar_pack_start(GTK_HEADER_BAR(surface.header), back);
    }
    GtkWidget* start = GtkHeaderBarItems::side(surface.header, GTK_PACK_START);
    for (const auto& barItem : leading) {
        if (GtkWidget* widget = buildBarItem(barItem)) {
            surface.barItems.push_back(barItem.get());
            gtk_box_pack_start(GTK_BOX(start), widget, FALSE, FALSE, 0);
        }
    }
    // Trailing items are listed from the outer edge inwards, as pack_end places them.
    GtkWidget* end = GtkHeaderBarItems::side(surface.header, GTK_PACK_END);
    for (const auto& barItem : item->effectiveTrailingItems()) {
        if (GtkWidget* widget = buildBarItem(barItem)) {
            surface.barItems.push_back(barItem.get());
            gtk_box_pack_end(GTK_BOX(end), widget, FALSE, FALSE, 0);
        }
    }
    gtk_widget_show_all(surface.header);
}

GtkWidget* GtkPresenter::buildContent(ViewController& controller, std::vector<GtkWidget*>& nativeWidgets)
{
    auto* navigation = dynamic_cast<NavigationController*>(&controller);
    ViewController* shown = navigation ? navigation->topViewController().get() : &controller;
    GtkWidget* content = nullptr;
    if (shown) {
        GtkViewBuilder builder([this](TableView& table, GtkWidget* listBox) {
            const TableView* key = &table;
            m_tables[key] = listBox;
            std::weak_ptr<int> lifetime = m_lifetime;
            GtkSignals::connect(listBox, "destroy", [this, lifetime, key, listBox] {
                if (lifetime.expired())
                    return;
                auto it = m_tables.find(key);
                if (it != m_tables.end() && it->second == listBox)
                    m_tables.erase(it);
            });
        });
        content = builder.build(*shown->view());
        nativeWidgets = builder.nativeWidgets();
    }
    if (!content)
        content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    // A page or text widget filling the surface takes the surface's size; the
    // size its view was made with must not hold the window larger than the screen.
    // (A native widget comes inside the overlay that shows views over it.)
    if (shown && shown->view()->nativeWidgetHandle()) {
        gtk_widget_set_size_request(content, -1, -1);
        gtk_widget_set_size_request(static_cast<GtkWidget*>(shown->view()->nativeWidgetHandle()), -1, -1);
    }
    std::vector<std::shared_ptr<View>> besideViews = viewsBeside(navigation, shown);
    if (!besideViews.empty()) {
        GtkViewBuilder beside(nullptr);
        GtkWidget* overlay = gtk_overlay_new();
        gtk_container_add(GTK_CONTAINER(overlay), content);
        Point origin = shown->view()->frame().origin;
        for (const std::shared_ptr<View>& view : besideViews) {
            if (GtkWidget* child = beside.build(*view))
                GtkViewBuilder::placeOver(overlay, child, *view, origin);
        }
        content = overlay;
    }
    gtk_widget_set_hexpand(content, TRUE);
    gtk_widget_set_vexpand(content, TRUE);
    return content;
}

void GtkPresenter::rebuildBody(Surface& surface)
{
    // A page or text widget that had the keyboard keeps it: the body is
    // rebuilt around it when a bar changes, not because the user moved.
    GtkWidget* focused = GTK_IS_WINDOW(surface.toplevel) ? gtk_window_get_focus(GTK_WINDOW(surface.toplevel)) : nullptr;
    GtkWidget* keepFocus = nullptr;
    for (GtkWidget* native : surface.nativeWidgets) {
        if (focused && (focused == native || gtk_widget_is_ancestor(focused, native)))
            keepFocus = focused;
        GtkViewBuilder::detachNativeWidget(native);
    }
    surface.nativeWidgets.clear();
    std::vector<GtkPopoverLifetime::Held> held;
    // A body rebuilt because a bar changed (a find bar closed by a click into
    // the text) shows the text where it stood, with the clicked place in sight.
    std::vector<double> scrolledTo;
    if (surface.body) {
        held = GtkPopoverLifetime::hold(openPopovers(), surface.body, surface.overlay);
        scrolledTo = GtkScrollPlaces::of(surface.body);
        gtk_widget_destroy(surface.body);
    }
    surface.body = buildContent(*surface.controller, surface.nativeWidgets);
    surface.beside = besideFor(surface);
    gtk_container_add(GTK_CONTAINER(surface.overlay), surface.body);
    gtk_widget_show_all(surface.body);
    GtkScrollPlaces::restore(surface.body, scrolledTo);
    GtkPopoverLifetime::repoint(held, surface.body);
    if (keepFocus && gtk_widget_get_toplevel(keepFocus) == surface.toplevel)
        gtk_widget_grab_focus(keepFocus);
}

std::vector<GtkWidget*> GtkPresenter::openPopovers() const
{
    std::vector<GtkWidget*> popovers;
    if (m_menuPopover)
        popovers.push_back(m_menuPopover);
    for (const auto& [controller, widget] : m_presented) {
        if (GTK_IS_POPOVER(widget))
            popovers.push_back(widget);
    }
    return popovers;
}

void GtkPresenter::windowDidBecomeVisible(Window& window)
{
    if (m_surfaces.count(&window) || !window.rootViewController())
        return;
    Surface& surface = makeSurface(&window, window.rootViewController().get(), nullptr, window.frame().size);
    surface.window = &window;
    std::weak_ptr<Window> weak = presenterWeakOf(window);
    GtkSignals::connectDelete(surface.toplevel, [weak] {
        if (auto strong = weak.lock())
            strong->requestClose();
        return true;
    });
}

void GtkPresenter::windowDidClose(Window& window) { destroySurface(&window); }

void GtkPresenter::navigationStackDidChange(NavigationController& navigation)
{
    for (auto& [key, surface] : m_surfaces) {
        if (surface.controller == &navigation) {
            rebuildHeader(surface);
            rebuildBody(surface);
        }
    }
    if (auto it = m_presented.find(&navigation); it != m_presented.end() && GTK_IS_POPOVER(it->second))
        fillPopover(navigation, it->second);
}

void GtkPresenter::viewContentDidChange(ViewController& controller)
{
    for (auto& [key, surface] : m_surfaces) {
        auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
        ViewController* shown = navigation ? navigation->topViewController().get() : surface.controller;
        if (shown == &controller)
            rebuildBody(surface);
    }
    // A popover showing the controller (an inspector's pane, say) shows it afresh.
    std::vector<std::pair<ViewController*, GtkWidget*>> popovers;
    for (const auto& [presented, widget] : m_presented) {
        auto* navigation = dynamic_cast<const NavigationController*>(presented);
        const ViewController* shown = navigation ? navigation->topViewController().get() : presented;
        if (shown == &controller && GTK_IS_POPOVER(widget))
            popovers.emplace_back(const_cast<ViewController*>(presented), widget);
    }
    for (auto& [presented, widget] : popovers)
        fillPopover(*presented, widget);
}

void GtkPresenter::navigationItemDidChange(NavigationItem& item)
{
    for (auto& [key, surface] : m_surfaces) {
        if (surface.shownItem == &item)
            rebuildHeader(surface);
    }
}

void GtkPresenter::barButtonItemDidChange(BarButtonItem& item)
{
    for (auto& [key, surface] : m_surfaces) {
        if (std::find(surface.barItems.begin(), surface.barItems.end(), &item) != surface.barItems.end()) {
            rebuildHeader(surface);
            return;
        }
    }
}

void GtkPresenter::barButtonItemEnabledDidChange(BarButtonItem& item)
{
    auto it = m_barItems.find(&item);
    if (it == m_barItems.end()) {
        barButtonItemDidChange(item);
        return;
    }
    gtk_widget_set_sensitive(it->second, item.isEnabled());
}

GtkWindow* GtkPresenter::hostWindowFor(const ViewController& controller) const
{
    const ViewController* context = presentationContextOf(controller);
    for (const auto& [key, surface] : m_surfaces) {
        if (surface.controller == context)
            return GTK_WINDOW(surface.toplevel);
    }
    if (auto it = m_presented.find(context); it != m_presented.end()) {
        GtkWidget* toplevel = gtk_widget_get_toplevel(it->second);
        if (GTK_IS_WINDOW(toplevel))
            return GTK_WINDOW(toplevel);
    }
    return m_surfaces.empty() ? nullptr : GTK_WINDOW(m_surfaces.begin()->second.toplevel);
}

GtkWidget* GtkPresenter::hostOverlayFor(const ViewController& controller) const
{
    const ViewController* context = presentationContextOf(controller);
    for (const auto& [key, surface] : m_surfaces) {
        if (surface.controller == context)
            return surface.overlay;
    }
    if (Window* key = Window::keyWindow()) {
        if (auto it = m_surfaces.find(key); it != m_surfaces.end())
            return it->second.overlay;
    }
    return m_surfaces.empty() ? nullptr : m_surfaces.begin()->second.overlay;
}

void GtkPresenter::controllerDidPresent(ViewController& presenting, ViewController& presented)
{
    if (dynamic_cast<AlertController*>(&presented)) {
        presentAlert(presenting, presented);
        return;
    }
    auto popover = presented.popoverPresentationController();
    if (presented.modalPresentationStyle() == ModalPresentationStyle::Popover && popover &&
        popover->adaptivePresentationStyle(presented.traitCollection()) == ModalPresentationStyle::Popover) {
        presentPopover(presented);
        return;
    }
    Size size = presented.preferredContentSize();
    if (size.width <= 0 || size.height <= 0)
        size = Size{600, 500};
    Surface& surface = makeSurface(&presented, &presented, hostWindowFor(presenting), size);
    m_presented[&presented] = surface.toplevel;
    std::weak_ptr<ViewController> weak = presenterWeakOf(presented);
    GtkSignals::connectDelete(surface.toplevel, [weak] {
        if (auto strong = weak.lock())
            strong->dismissViewControllerAnimated(true);
        return true;
    });
}

void GtkPresenter::presentAlert(ViewController& presenting, ViewController& controller)
{
    auto& alert = static_cast<AlertController&>(controller);
    GtkWidget* dialog = GtkAlertDialog::create(alert, hostWindowFor(presenting));
    m_presented[&alert] = dialog;
    gtk_widget_show_all(dialog);
}

std::optional<Rect> GtkPresenter::anchorInWidget(const View& source, const Rect& anchor, GtkWidget* widget) const
{
    // A view no widget shows (one inside a picture, say) is pointed at through
    // the nearest view around it that shows, at the place it would have there.
    for (std::shared_ptr<View> around = source.superview(); around; around = around->superview()) {
        GtkWidget* shown = widgetShowingView(around.get());
        if (!shown)
            continue;
        Rect inAround = source.convertRectToView(anchor, around.get());
        int x = 0;
        int y = 0;
        if (!gtk_widget_translate_coordinates(shown, widget, static_cast<int>(inAround.minX()),
                                              static_cast<int>(inAround.minY()), &x, &y))
            return std::nullopt;
        return Rect{{double(x), double(y)}, inAround.size};
    }
    // Shown nowhere: the popover stands at its host without pointing.
    return std::nullopt;
}

void GtkPresenter::presentPopover(ViewController& presented)
{
    auto anchor = presented.popoverPresentationController();
    GtkWidget* relative = nullptr;
    std::optional<Rect> pointing;
    if (auto item = anchor->barButtonItem()) {
        if (auto it = m_barItems.find(item.get()); it != m_barItems.end())
            relative = it->second;
    }
    if (!relative) {
        // A source view shown in a window or a panel is pointed at where it shows.
        if (auto source = anchor->sourceView()) {
            if ((relative = widgetShowingView(static_cast<const View*>(source.get()))))
                pointing = anchor->anchorRect();
        }
    }
    if (!relative) {
        const ViewController* presenting = presented.presentingViewController();
        relative = hostOverlayFor(presenting ? *presenting : presented);
        if (auto source = anchor->sourceView(); source && relative)
            pointing = anchorInWidget(*source, anchor->anchorRect(), relative);
    }
    if (!relative)
        return;
    GtkWidget* popover = gtk_popover_new(relative);
    GtkTooltips::silenceWhileOpen(popover, relative);
    if (pointing) {
        GdkRectangle rect = gdkRect(*pointing);
        gtk_popover_set_pointing_to(GTK_POPOVER(popover), &rect);
    }
    unsigned arrows = anchor->permittedArrowDirections();
    // The arrow points at the anchor, so a downward arrow puts the popover above it.
    GtkPositionType position = GTK_POS_BOTTOM;
    if (arrows == PopoverArrowDirectionDown)
        position = GTK_POS_TOP;
    else if (arrows == PopoverArrowDirectionLeft)
        position = GTK_POS_RIGHT;
    else if (arrows == PopoverArrowDirectionRight)
        position = GTK_POS_LEFT;
    gtk_popover_set_position(GTK_POPOVER(popover), position);
    m_presented[&presented] = popover;
    fillPopover(presented, popover);
    const ViewController* key = &presented;
    std::weak_ptr<int> lifetime = m_lifetime;
    GtkSignals::connect(popover, "destroy", [this, lifetime, key, popover] {
        if (lifetime.expired())
            return;
        auto it = m_presented.find(key);
        if (it != m_presented.end() && it->second == popover)
            m_presented.erase(it);
    });
    std::weak_ptr<ViewController> weak = presenterWeakOf(presented);
    GtkSignals::connect(popover, "closed", [this, lifetime, weak, popover] {
        auto strong = weak.lock();
        if (lifetime.expired() || m_tearingDown || !strong)
            return;
        auto it = m_presented.find(strong.get());
        if (it == m_presented.end() || it->second != popover)
            return;
        // The user clicked outside: the model decides whether that closes it.
        if (!strong->popoverPresentationController()->touchOutside(nullptr))
            gtk_popover_popup(GTK_POPOVER(popover));
    });
    popupOncePlaced(popover, relative, [this, key, popover] {
        auto it = m_presented.find(key);
        return !m_tearingDown && it != m_presented.end() && it->second == popover;
    });
}

// A popover waiting for its anchor's place, then for the turn after it.
struct GtkPresenter::PendingPopup {
    std::weak_ptr<int> lifetime;
    GtkWidget* popover;
    // Whether the popover is still the one to show: the model may have
    // closed or replaced it meanwhile.
    std::function<bool()> stillWanted;
    gulong handler = 0;

    static void anchorPlaced(GtkWidget* anchor, GdkRectangle*, gpointer data)
    {
        auto* waiting = static_cast<PendingPopup*>(data);
        g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, &PendingPopup::popup, new PendingPopup{*waiting},
                        [](gpointer idle) { delete static_cast<PendingPopup*>(idle); });
        g_signal_handler_disconnect(anchor, waiting->handler);
    }
    static gboolean popup(gpointer data)
    {
        auto* placed = static_cast<PendingPopup*>(data);
        if (!placed->lifetime.expired() && placed->stillWanted())
            gtk_popover_popup(GTK_POPOVER(placed->popover));
        return G_SOURCE_REMOVE;
    }
};

void GtkPresenter::popupOncePlaced(GtkWidget* popover, GtkWidget* relative, std::function<bool()> stillWanted)
{
    GtkAllocation place;
    gtk_widget_get_allocation(relative, &place);
    if (place.width > 1 || place.height > 1) {
        gtk_popover_popup(GTK_POPOVER(popover));
        return;
    }
    // An anchor laid out anew in this very turn (the page, when the key row
    // leaves the window as a note's editor opens; a bar item made anew) has
    // no place yet: a popover placed from it now would stand where the
    // anchor is not, or not be drawn. It pops up once GTK has placed the
    // anchor, on the next turn: popped up in the middle of an allocation, it
    // would not be drawn either.
    auto* pending = new PendingPopup{m_lifetime, popover, std::move(stillWanted)};
    pending->handler = g_signal_connect_data(relative, "size-allocate", G_CALLBACK(&PendingPopup::anchorPlaced), pending,
                                             [](gpointer data, GClosure*) { delete static_cast<PendingPopup*>(data); },
                                             GConnectFlags(0));
}

GtkWidget* GtkPresenter::popoverNavigationBar(ViewController& presented)
{
    // What a navigation bar shows of a panel in a popover: its title, and a
    // way back from a list pushed inside it.
    auto* navigation = dynamic_cast<NavigationController*>(&presented);
    std::shared_ptr<ViewController> top = navigation ? navigation->topViewController() : nullptr;
    if (!top || navigation->isNavigationBarHidden())
        return nullptr;
    std::u16string title = top->navigationItem()->title();
    if (title.empty())
        title = top->title();
    const bool canGoBack = navigation->viewControllers().size() > 1;
    if (title.empty() && !canGoBack)
        return nullptr;
    GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    gtk_widget_set_margin_top(bar, 2);
    gtk_widget_set_margin_bottom(bar, 4);
    if (canGoBack) {
        GtkWidget* back = gtk_button_new_with_label("Back");
        std::weak_ptr<ViewController> weak = presenterWeakOf(presented);
        GtkSignals::connect(back, "clicked", [weak] {
            if (auto strong = std::dynamic_pointer_cast<NavigationController>(weak.lock()))
                strong->popViewControllerAnimated(true);
        });
        gtk_box_pack_start(GTK_BOX(bar), back, FALSE, FALSE, 0);
    }
    if (!title.empty()) {
        GtkWidget* label = gtk_label_new(toUtf8(title).c_str());
        gtk_style_context_add_class(gtk_widget_get_style_context(label), "title");
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
        gtk_box_set_center_widget(GTK_BOX(bar), label);
    }
    return bar;
}

void GtkPresenter::fillPopover(ViewController& presented, GtkWidget* popover)
{
    if (auto natives = m_presentedNatives.find(&presented); natives != m_presentedNatives.end()) {
        for (GtkWidget* native : natives->second)
            GtkViewBuilder::detachNativeWidget(native);
        m_presentedNatives.erase(natives);
    }
    // Shown afresh while open, the panel stays scrolled where it was.
    std::vector<double> scrolledTo;
    if (GtkWidget* old = gtk_bin_get_child(GTK_BIN(popover))) {
        scrolledTo = GtkScrollPlaces::of(old);
        gtk_widget_destroy(old);
    }
    std::vector<GtkWidget*> natives;
    GtkWidget* content = buildContent(presented, natives);
    auto* navigation = dynamic_cast<NavigationController*>(&presented);
    std::shared_ptr<ViewController> top = navigation ? navigation->topViewController() : nullptr;
    // A list pushed inside the popover (a grid of symbols, say) asks for
    // the room it needs; the popover takes that size, not the first list's.
    Size size = presented.preferredContentSize();
    if (top && top->preferredContentSize().width > 0 && top->preferredContentSize().height > 0)
        size = top->preferredContentSize();
    if (size.width > 0 && size.height > 0)
        gtk_widget_set_size_request(content, presenterPixels(size.width), presenterPixels(size.height));
    // A title view (segments that open sub-panes, say) stands above the
    // content, as a navigation bar would show it.
    if (std::shared_ptr<View> titleView = top ? top->navigationItem()->titleView() : nullptr) {
        GtkViewBuilder builder(nullptr);
        if (GtkWidget* title = builder.build(*titleView)) {
            GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
            gtk_widget_set_halign(title, GTK_ALIGN_CENTER);
            gtk_box_pack_start(GTK_BOX(box), title, FALSE, FALSE, 0);
            gtk_box_pack_start(GTK_BOX(box), content, TRUE, TRUE, 0);
            content = box;
        }
    }
    if (GtkWidget* bar = popoverNavigationBar(presented)) {
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_box_pack_start(GTK_BOX(box), bar, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), content, TRUE, TRUE, 0);
        content = box;
    }
    GtkWidget* scroller = GtkMenuPopover::scrollerWithinWindow(content, popover);
    GtkScrollPlaces::restore(scroller, scrolledTo);
    gtk_container_add(GTK_CONTAINER(popover), scroller);
    m_presentedNatives[&presented] = natives;
    gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(popover)));
}

void GtkPresenter::controllerWillDismiss(ViewController& presented)
{
    auto it = m_presented.find(&presented);
    if (it == m_presented.end())
        return;
    GtkWidget* widget = it->second;
    m_presented.erase(it);
    if (m_surfaces.count(&presented)) {
        destroySurface(&presented);
        return;
    }
    if (auto natives = m_presentedNatives.find(&presented); natives != m_presentedNatives.end()) {
        for (GtkWidget* native : natives->second)
            GtkViewBuilder::detachNativeWidget(native);
        m_presentedNatives.erase(natives);
    }
    if (GTK_IS_POPOVER(widget)) {
        GtkPopoverLifetime::destroyLater(widget);
    } else {
        GtkTooltips::dropStray(widget);
        gtk_widget_destroy(widget);
    }
}

GtkWidget* GtkPresenter::anchorWidgetFor(const void* anchor) const
{
    for (const auto& [item, widget] : m_barItems) {
        if (static_cast<const void*>(item) == anchor)
            return widget;
    }
    return widgetShowingView(anchor);
}

GtkWidget* GtkPresenter::widgetShowingView(const void* view) const
{
    // A view in a window's content, or in a panel shown in a popover (the
    // choice lists of the style panels); one on screen comes first.
    std::vector<GtkWidget*> roots;
    for (const auto& [key, surface] : m_surfaces)
        roots.push_back(surface.toplevel);
    for (const auto& [controller, widget] : m_presented)
        roots.push_back(widget);
    GtkWidget* hidden = nullptr;
    for (GtkWidget* root : roots) {
        if (GtkWidget* widget = GtkViewBuilder::widgetForViewAddress(root, view)) {
            if (gtk_widget_get_mapped(widget))
                return widget;
            hidden = hidden ? hidden : widget;
        }
    }
    return hidden;
}

void GtkPresenter::closeMenuPopover()
{
    if (!m_menuPopover)
        return;
    GtkWidget* popover = m_menuPopover;
    m_menuPopover = nullptr;
    GtkPopoverLifetime::destroyLater(popover);
}

void GtkPresenter::menuRequested(Menu& menu, const void* anchor)
{
    closeMenuPopover();
    GtkWidget* relative = anchorWidgetFor(anchor);
    bool anchored = relative != nullptr;
    if (!relative && !m_surfaces.empty()) {
        auto it = Window::keyWindow() ? m_surfaces.find(Window::keyWindow()) : m_surfaces.end();
        relative = (it != m_surfaces.end() ? it->second : m_surfaces.begin()->second).overlay;
    }
    if (!relative)
        return;
    m_menuPopover = gtk_popover_new(relative);
    GtkTooltips::silenceWhileOpen(m_menuPopover, relative);
    if (!anchored) {
        // Nothing on screen stands for the anchor: the menu hangs from the
        // top middle of the window rather than from the whole of it, which
        // would put it beyond the window's edges.
        GdkRectangle top{std::max(0, gtk_widget_get_allocated_width(relative) / 2), 0, 1, 1};
        gtk_popover_set_pointing_to(GTK_POPOVER(m_menuPopover), &top);
    }
    // Kept inside the window whatever room there is around the anchor.
    gtk_popover_set_constrain_to(GTK_POPOVER(m_menuPopover), GTK_POPOVER_CONSTRAINT_WINDOW);
    GtkPopoverLifetime::forgetOnDestroy(m_menuPopover, &m_menuPopover, m_lifetime);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkMenuPopover::fill(box, m_menuPopover, menu);
    GtkWidget* shown = GtkMenuPopover::scrollerWithinWindow(box, m_menuPopover);
    gtk_container_add(GTK_CONTAINER(m_menuPopover), shown);
    gtk_widget_show_all(shown);
    gtk_popover_popup(GTK_POPOVER(m_menuPopover));
}

void GtkPresenter::showContextMenu(View& page, Point at)
{
    auto target = std::static_pointer_cast<View>(page.weak_from_this().lock());
    if (!target)
        return;
    // The items are those the page's own responder chain (its editor) can
    // perform, whoever has the keyboard in the model.
    MenuController& menu = MenuController::shared();
    if (menu.isMenuVisible())
        menu.hideMenu();
    m_contextMenuPage = target;
    menu.showMenuFromView(target, Rect{at, {1, 1}});
}

void GtkPresenter::editMenuVisibilityDidChange(MenuController& menu)
{
    if (m_editMenu) {
        GtkWidget* old = m_editMenu;
        m_editMenu = nullptr;
        GtkPopoverLifetime::destroyLater(old);
    }
    auto target = menu.targetView();
    std::shared_ptr<View> page = m_contextMenuPage.lock();
    bool contextual = page && page == target;
    if (!menu.isMenuVisible() || m_surfaces.empty() || !target) {
        m_contextMenuPage.reset();
        return;
    }
    if (!contextual)
        m_contextMenuPage.reset();
    std::vector<MenuItem> items = menu.visibleItems(contextual ? page.get() : nullptr);
    if (items.empty())
        return;
    // At the bar item the menu belongs to, or next to the view it is for,
    // where they show; the model's window coordinates only when neither does.
    GtkEditMenu::Style style = contextual ? GtkEditMenu::Style::Contextual : GtkEditMenu::Style::AboveCaret;
    GtkWidget* relative = nullptr;
    GdkRectangle rect = gdkRect(menu.targetRect());
    if (std::shared_ptr<BarButtonItem> item = menu.targetBarButtonItem()) {
        auto it = m_barItems.find(item.get());
        if (it != m_barItems.end() && gtk_widget_get_mapped(it->second)) {
            relative = it->second;
            rect = GdkRectangle{0, 0, gtk_widget_get_allocated_width(relative), gtk_widget_get_allocated_height(relative)};
            style = GtkEditMenu::Style::AtBarItem;
        }
    }
    if (!relative)
        relative = widgetShowingView(static_cast<const View*>(target.get()));
    if (!relative) {
        auto it = Window::keyWindow() ? m_surfaces.find(Window::keyWindow()) : m_surfaces.end();
        relative = (it != m_surfaces.end() ? it->second : m_surfaces.begin()->second).overlay;
        rect = gdkRect(target->convertRectToView(menu.targetRect(), nullptr));
    }
    m_editMenu = GtkEditMenu::build(relative, rect, menu, items, contextual ? page : std::shared_ptr<View>(), style);
    GtkPopoverLifetime::forgetOnDestroy(m_editMenu, &m_editMenu, m_lifetime);
    if (contextual) {
        // Closed by the user (a click elsewhere, Escape): the model's menu hides too.
        GtkWidget* shown = m_editMenu;
        std::weak_ptr<int> lifetime = m_lifetime;
        GtkSignals::connect(shown, "closed", [this, lifetime, shown, controller = &menu] {
            if (!lifetime.expired() && !m_tearingDown && m_editMenu == shown && controller->isMenuVisible())
                controller->hideMenu();
        });
    }
    if (style != GtkEditMenu::Style::AtBarItem) {
        gtk_popover_popup(GTK_POPOVER(m_editMenu));
        return;
    }
    // A bar item may be made anew in this very turn (as reading starts): the
    // menu waits for its place. One whose item is made anew while it shows
    // goes with the old widget; while the model still shows it, it comes
    // back at the new one. One the person closed stays closed, though the
    // model of a menu that is not contextual is not told of that.
    popupOncePlaced(m_editMenu, relative, [this, shown = m_editMenu] { return !m_tearingDown && m_editMenu == shown; });
    GtkWidget* shown = m_editMenu;
    auto closedByPerson = std::make_shared<bool>(false);
    GtkSignals::connect(shown, "hide", [shown, closedByPerson] {
        GtkWidget* anchor = gtk_popover_get_relative_to(GTK_POPOVER(shown));
        *closedByPerson = anchor && gtk_widget_get_mapped(anchor);
    });
    GtkSignals::connect(shown, "destroy", [this, lifetime = std::weak_ptr<int>(m_lifetime), closedByPerson, controller = &menu] {
        if (lifetime.expired() || m_tearingDown || *closedByPerson)
            return;
        struct Pending {
            GtkPresenter* presenter;
            std::weak_ptr<int> lifetime;
            MenuController* menu;
        };
        g_idle_add_full(
            G_PRIORITY_DEFAULT_IDLE,
            [](gpointer data) -> gboolean {
                auto* pending = static_cast<Pending*>(data);
                GtkPresenter* presenter = pending->presenter;
                if (!pending->lifetime.expired() && !presenter->m_tearingDown && !presenter->m_editMenu &&
                    pending->menu->isMenuVisible())
                    presenter->editMenuVisibilityDidChange(*pending->menu);
                return G_SOURCE_REMOVE;
            },
            new Pending{this, lifetime, controller}, [](gpointer data) { delete static_cast<Pending*>(data); });
    });
}

void GtkPresenter::tableViewDidReload(TableView& table)
{
    if (auto it = m_tables.find(&table); it != m_tables.end())
        GtkViewBuilder::fillListBox(table, it->second);
}

void GtkPresenter::progressHUDDidChange(ProgressHUD& hud)
{
    if (m_hud) {
        GtkWidget* old = m_hud;
        m_hud = nullptr;
        gtk_widget_destroy(old);
    }
    if (!hud.visible() || m_surfaces.empty())
        return;
    auto it = hud.window() ? m_surfaces.find(hud.window()) : m_surfaces.end();
    if (it == m_surfaces.end() && Window::keyWindow())
        it = m_surfaces.find(Window::keyWindow());
    GtkWidget* overlay = (it != m_surfaces.end() ? it->second : m_surfaces.begin()->second).overlay;
    m_hud = gtk_frame_new(nullptr);
    GtkPopoverLifetime::forgetOnDestroy(m_hud, &m_hud, m_lifetime);
    // A dark plate of its own under the message and its mark: the document
    // behind it must not show through the words.
    GtkCssProvider* plate = gtk_css_provider_new();
    gtk_css_provider_load_from_data(plate,
                                    "frame { background-color: rgba(40,40,40,0.94); border: none; border-radius: 12px; }"
                                    " label, image { color: white; }",
                                    -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(m_hud), GTK_STYLE_PROVIDER(plate),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    GtkWidget* content = GtkViewBuilder::buildProgressHUDContent(hud);
    gtk_container_add(GTK_CONTAINER(m_hud), content);
    GList* parts = gtk_container_get_children(GTK_CONTAINER(content));
    for (GList* part = parts; part; part = part->next)
        gtk_style_context_add_provider(gtk_widget_get_style_context(GTK_WIDGET(part->data)), GTK_STYLE_PROVIDER(plate),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_list_free(parts);
    g_object_unref(plate);
    gtk_widget_set_halign(m_hud, GTK_ALIGN_CENTER);
    gtk_widget_set_valign(m_hud, GTK_ALIGN_CENTER);
    gtk_overlay_add_overlay(GTK_OVERLAY(overlay), m_hud);
    gtk_widget_show_all(m_hud);
}

void GtkPresenter::controlDidChange(Control& control)
{
    for (const auto& [key, surface] : m_surfaces)
        GtkControlBridges::refreshControl(surface.toplevel, control);
    for (const auto& [controller, widget] : m_presented)
        GtkControlBridges::refreshControl(widget, control);
}

void GtkPresenter::activityIndicatorDidChange(ActivityIndicatorView& indicator)
{
    for (const auto& [key, surface] : m_surfaces)
        GtkControlBridges::refreshActivityIndicator(surface.toplevel, indicator);
    for (const auto& [controller, widget] : m_presented)
        GtkControlBridges::refreshActivityIndicator(widget, indicator);
}

void GtkPresenter::viewLayoutDidChange(View& view)
{
    if (m_tearingDown || !isMainThread())
        return;
    GtkViewOverlay::refresh(view);
    // A view moved or resized after it was built (a counter placed once its
    // text is known) stands where its frame now says.
    GtkViewBuilder::followFrame(view);
    GtkViewBuilder::followSubviews(view);
    // A view came or went beside a shown controller's view: the content is
    // shown again with it.
    for (auto& [key, surface] : m_surfaces) {
        auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
        if (navigation && navigation->viewIfLoaded().get() == &view && besideFor(surface) != surface.beside) {
            rebuildBody(surface);
            return;
        }
    }
}

void GtkPresenter::viewBackgroundColorDidChange(View& view)
{
    if (m_tearingDown || !isMainThread())
        return;
    GtkViewBuilder::followBackgroundColor(view);
    // A view laid over a page is painted by its layer.
    GtkViewOverlay::refresh(view);
}

std::vector<const View*> GtkPresenter::besideFor(const Surface& surface) const
{
    auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
    return addressesOf(viewsBeside(navigation, navigation ? navigation->topViewController().get() : nullptr));
}

void GtkPresenter::viewNeedsDisplay(View& view)
{
    if (!m_tearingDown)
        GtkViewOverlay::refresh(view);
    // A picture view's new picture shows at once (one that arrives after
    // the view was shown).
    if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
        for (const auto& [key, surface] : m_surfaces)
            GtkViewBuilder::refreshImage(surface.toplevel, *imageView);
        for (const auto& [controller, widget] : m_presented)
            GtkViewBuilder::refreshImage(widget, *imageView);
    }
    // A label's new text shows at once; it draws nothing itself.
    if (const auto* label = dynamic_cast<const Label*>(&view)) {
        for (const auto& [key, surface] : m_surfaces)
            GtkControlBridges::refreshLabel(surface.toplevel, *label);
        for (const auto& [controller, widget] : m_presented)
            GtkControlBridges::refreshLabel(widget, *label);
        return;
    }
    for (const auto& [key, surface] : m_surfaces) {
        GtkDrawnViews::queueRedraw(surface.toplevel, view);
        GtkTextViewBridge::refreshInsets(surface.toplevel, view);
        GtkTextHighlights::refresh(surface.toplevel, view);
    }
    for (const auto& [controller, widget] : m_presented)
        GtkDrawnViews::queueRedraw(widget, view);
}

void GtkPresenter::inputViewsDidChange(View& view)
{
    for (auto& [key, surface] : m_surfaces) {
        auto* navigation = dynamic_cast<NavigationController*>(surface.controller);
        ViewController* shown = navigation ? navigation->topViewController().get() : surface.controller;
        auto root = shown ? shown->viewIfLoaded() : nullptr;
        if (root && (root.get() == &view || view.isDescendantOfView(root.get())))
            rebuildBody(surface);
    }
}

GtkWidget* GtkPresenter::widgetForView(const View& view) const
{
    for (const auto& [key, surface] : m_surfaces) {
        if (GtkWidget* widget = GtkViewBuilder::widgetForView(surface.toplevel, view))
            return widget;
    }
    return nullptr;
}

void GtkPresenter::viewDidRequestKeyboardFocus(View& view)
{
    auto* widget = static_cast<GtkWidget*>(view.nativeWidgetHandle());
    if (!widget || !GTK_IS_WIDGET(widget))
        widget = widgetForView(view);
    if (!widget)
        return;
    // A text view shows as its text with the key bar along it: the keyboard
    // goes to the text, not to the box around both.
    if (dynamic_cast<TextView*>(&view) && !GTK_IS_TEXT_VIEW(widget)) {
        std::vector<GtkWidget*> texts;
        collectWidgetsOfType(widget, GTK_TYPE_TEXT_VIEW, texts);
        if (texts.empty())
            return;
        widget = texts.front();
    }
    gtk_widget_set_can_focus(widget, TRUE);
    // A widget rebuilt just now is not on screen yet; it takes the keyboard
    // when it is.
    if (!gtk_widget_get_mapped(widget))
        GtkFocusHandoff::whenMapped(widget);
    GtkFocusHandoff::grabIfShown(widget);
    // A menu whose entry asked for this is still closing.
    std::vector<GtkWidget*> popovers;
    if (m_menuPopover)
        popovers.push_back(m_menuPopover);
    for (const auto& [controller, presented] : m_presented) {
        if (GTK_IS_POPOVER(presented))
            popovers.push_back(presented);
    }
    for (GtkWidget* popover : popovers) {
        if (gtk_widget_get_mapped(popover))
            GtkFocusHandoff::afterPopoverCloses(popover, widget);
    }
}

bool GtkPresenter::viewMayTakeKeyboardFocus(View& view)
{
    auto* widget = static_cast<GtkWidget*>(view.nativeWidgetHandle());
    if (!widget || !GTK_IS_WIDGET(widget))
        widget = widgetForView(view);
    if (!widget)
        return false;
    gtk_widget_set_can_focus(widget, TRUE);
    return GtkFocusHandoff::grabUnlessTypingElsewhere(widget);
}

GtkWidget* GtkPresenter::widgetForWindow(const Window& window) const
{
    auto it = m_surfaces.find(&window);
    return it == m_surfaces.end() ? nullptr : it->second.toplevel;
}

GtkWidget* GtkPresenter::headerBarForWindow(const Window& window) const
{
    auto it = m_surfaces.find(&window);
    return it == m_surfaces.end() ? nullptr : it->second.header;
}

GtkWidget* GtkPresenter::widgetForBarButtonItem(const BarButtonItem& item) const
{
    auto it = m_barItems.find(&item);
    return it == m_barItems.end() ? nullptr : it->second;
}

GtkWidget* GtkPresenter::widgetForController(const ViewController& controller) const
{
    auto it = m_presented.find(&controller);
    return it == m_presented.end() ? nullptr : it->second;
}

GtkWidget* GtkPresenter::listBoxForTableView(const TableView& table) const
{
    auto it = m_tables.find(&table);
    return it == m_tables.end() ? nullptr : it->second;
}

} // namespace folio
