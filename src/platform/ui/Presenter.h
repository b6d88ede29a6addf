#pragma once

namespace folio {

class ActivityIndicatorView;
class BarButtonItem;
class Control;
class Menu;
class MenuController;
class NavigationController;
class NavigationItem;
class ProgressHUD;
class TableView;
class View;
class ViewController;
class Window;

// What the UI model tells whoever shows it on screen. The model calls the
// current presenter after each change; the default one does nothing, so the
// model runs headless in tests and command-line tools.
class Presenter {
public:
    virtual ~Presenter() = default;

    static Presenter& current();
    // Null restores the presenter that does nothing. The caller keeps the
    // presenter alive while it is installed.
    static void setCurrent(Presenter* presenter);

    virtual void windowDidBecomeVisible(Window&) {}
    virtual void windowDidClose(Window&) {}
    virtual void navigationStackDidChange(NavigationController&) {}
    virtual void navigationItemDidChange(NavigationItem&) {}
    virtual void barButtonItemDidChange(BarButtonItem&) {}
    // Only whether the item takes taps changed; by default a change like any other.
    virtual void barButtonItemEnabledDidChange(BarButtonItem& item) { barButtonItemDidChange(item); }
    // After the model has linked the two controllers and run the appearance calls.
    virtual void controllerDidPresent(ViewController& /*presenting*/, ViewController& /*presented*/) {}
    // Before the model unlinks them, so the presenter can still find its widgets.
    virtual void controllerWillDismiss(ViewController& /*presented*/) {}
    // A bar item or button whose menu is its primary action was tapped;
    // `anchor` is the BarButtonItem or View it belongs to.
    virtual void menuRequested(Menu&, const void* /*anchor*/) {}
    virtual void editMenuVisibilityDidChange(MenuController&) {}
    virtual void tableViewDidReload(TableView&) {}
    virtual void progressHUDDidChange(ProgressHUD&) {}
    // A control's value, range or segments changed in code.
    virtual void controlDidChange(Control&) {}
    // The controller's view tree changed (a picture replaced, views added):
    // what stands for it on screen is made again.
    virtual void viewContentDidChange(ViewController&) {}
    // An indicator started or stopped turning, or was shown or hidden.
    virtual void activityIndicatorDidChange(ActivityIndicatorView&) {}
    // A view that draws its own content asked to be drawn again.
    virtual void viewNeedsDisplay(View&) {}
    // A view was added or removed (the view is the superview), moved,
    // resized, shown, hidden or faded: plain views laid over a web page are
    // placed and drawn again.
    virtual void viewLayoutDidChange(View&) {}
    // A shown view's background colour changed: it is painted again in the new one.
    virtual void viewBackgroundColorDidChange(View&) {}
    // A text view's input accessory bar was replaced.
    virtual void inputViewsDidChange(View&) {}
    // The view takes the keyboard (a page the user is to type into next):
    // what shows it on screen gets its window's focus.
    virtual void viewDidRequestKeyboardFocus(View&) {}
    // The same, unless the user is typing into another field of its window
    // (a find field): true when the view has the keyboard, or will take it
    // once it shows.
    virtual bool viewMayTakeKeyboardFocus(View&) { return false; }
};

} // namespace folio
