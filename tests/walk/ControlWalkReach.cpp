#include "walk/ControlWalk.h"

#include "walk/WalkWidgets.h"

#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "walk/WalkPresenter.h"

#include <functional>
#include <map>
#include <set>

// What a user can reach in the opened document's window: its controls,
// the rows of the open menu or list, its key commands.
namespace folio::test {

namespace {

// A list picker of fonts or characters has a row per choice, all served by
// one handler: the first rows stand for the rest.
constexpr std::size_t kMostRowsPerList = 8;
constexpr std::size_t kLongestCommandMenu = 30;

std::string modifierNames(unsigned flags)
{
    std::string names;
    if (flags & KeyModifierControl)
        names += "control+";
    if (flags & KeyModifierCommand)
        names += "command+";
    if (flags & KeyModifierAlternate)
        names += "alt+";
    if (flags & KeyModifierShift)
        names += "shift+";
    return names;
}

// The key GTK delivers for a key command; none when no key of this keyboard
// gives it (the Control flag: GTK's Control key stands for Command).
std::optional<std::pair<guint, GdkModifierType>> gtkKeyFor(const KeyCommand& command)
{
    unsigned flags = command.modifierFlags();
    if (flags & KeyModifierControl)
        return std::nullopt;
    unsigned modifiers = 0;
    if (flags & KeyModifierShift)
        modifiers |= GDK_SHIFT_MASK;
    if (flags & KeyModifierCommand)
        modifiers |= GDK_CONTROL_MASK;
    if (flags & KeyModifierAlternate)
        modifiers |= GDK_MOD1_MASK;
    static const std::map<std::string, guint> named = {
        {kKeyInputUpArrow, GDK_KEY_Up},         {kKeyInputDownArrow, GDK_KEY_Down},
        {kKeyInputLeftArrow, GDK_KEY_Left},     {kKeyInputRightArrow, GDK_KEY_Right},
        {kKeyInputEscape, GDK_KEY_Escape},      {kKeyInputPageUp, GDK_KEY_Page_Up},
        {kKeyInputPageDown, GDK_KEY_Page_Down}, {"\t", GDK_KEY_Tab},
        {"\r", GDK_KEY_Return},                 {"\b", GDK_KEY_BackSpace},
    };
    if (auto found = named.find(command.input()); found != named.end())
        return std::make_pair(found->second, GdkModifierType(modifiers));
    std::u16string input = toUtf16(command.input());
    if (input.size() != 1)
        return std::nullopt;
    guint keyval = gdk_unicode_to_keyval(input.front());
    if (modifiers & GDK_SHIFT_MASK)
        keyval = gdk_keyval_to_upper(keyval);
    return std::make_pair(keyval, GdkModifierType(modifiers));
}

// Gives every name a number from its second use on ("bar:Bold#2").
void numberRepeatedNames(std::vector<std::string>& names)
{
    std::map<std::string, int> uses;
    for (std::string& name : names) {
        int use = ++uses[name];
        if (use > 1)
            name += "#" + std::to_string(use);
    }
}

} // namespace

std::vector<EveryControlWalk::Reachable> EveryControlWalk::reachableControls()
{
    std::vector<Reachable> found;
    auto addBarItem = [&](const std::shared_ptr<BarButtonItem>& item, const std::string& prefix,
                          const std::function<void(View&)>& addViews) {
        if (!item || item->isHidden() || !item->isEnabled() || item->systemItem() != BarButtonSystemItem::None)
            return;
        if (item->customView()) {
            addViews(*item->customView());
            return;
        }
        Reachable control;
        control.name = prefix + (item->title().empty() ? item->symbolName() : toUtf8(item->title()));
        control.widget = gtk->widgetForBarButtonItem(*item);
        if (!item->hasAction() && !item->menu())
            control.dead = "no handler";
        found.push_back(control);
    };
    std::set<const View*> seen;
    std::function<void(View&)> addViews = [&](View& view) {
        if (view.isHidden() || !seen.insert(&view).second)
            return;
        if (auto* button = dynamic_cast<Button*>(&view)) {
            if (!button->isEnabled())
                return;
            Reachable control;
            std::u16string title = button->titleForState(ControlState::Normal);
            control.name = "button:" + (!title.empty() ? toUtf8(title)
                                        : !button->symbolName().empty() ? button->symbolName()
                                                                        : "tag " + std::to_string(button->tag()));
            control.widget = gtk->widgetForView(*button);
            if (!button->menu() && !button->hasActionsForEvent(ControlEvent::TouchDown) &&
                !button->hasActionsForEvent(ControlEvent::TouchUpInside) &&
                !button->hasActionsForEvent(ControlEvent::PrimaryActionTriggered))
                control.dead = "no handler";
            found.push_back(control);
            return;
        }
        if (auto* segments = dynamic_cast<SegmentedControl*>(&view)) {
            GtkWidget* box = gtk->widgetForView(*segments);
            std::vector<GtkWidget*> buttons = box ? descendants(box, GTK_TYPE_BUTTON) : std::vector<GtkWidget*>{};
            for (std::size_t index = 0; index < segments->numberOfSegments(); ++index) {
                Reachable control;
                control.name = "segment:" + toUtf8(segments->titleForSegmentAtIndex(index));
                control.widget = index < buttons.size() ? buttons[index] : nullptr;
                if (!segments->hasActionsForEvent(ControlEvent::ValueChanged))
                    control.dead = "no handler";
                found.push_back(control);
            }
            return;
        }
        if (auto* toolbar = dynamic_cast<Toolbar*>(&view)) {
            for (const auto& item : toolbar->items())
                addBarItem(item, "keybar:", addViews);
        }
        if (auto* text = dynamic_cast<TextView*>(&view); text && text->inputAccessoryView())
            addViews(*text->inputAccessoryView());
        for (const auto& subview : view.subviews())
            addViews(*subview);
    };

    std::shared_ptr<Window> window = app.documentWindow();
    if (!window)
        return found;
    std::shared_ptr<ViewController> root = window->rootViewController();
    auto* navigation = dynamic_cast<NavigationController*>(root.get());
    std::shared_ptr<ViewController> top = navigation ? navigation->topViewController() : root;
    if (!top)
        return found;
    if (auto item = top->navigationItem()) {
        for (const auto& barItem : item->effectiveLeadingItems())
            addBarItem(barItem, "bar:", addViews);
        for (const auto& barItem : item->effectiveTrailingItems())
            addBarItem(barItem, "bar:", addViews);
    }
    addViews(*top->view());
    // The bar above the keyboard belongs to the text the user types in.
    if (auto* text = dynamic_cast<TextView*>(Responder::currentFirstResponder()); text && text->inputAccessoryView())
        addViews(*text->inputAccessoryView());
    return found;
}

std::vector<EveryControlWalk::Reachable> EveryControlWalk::menuRows()
{
    std::vector<Reachable> rows;
    // A menu a control opened, else the edit menu over the page.
    GtkWidget* menu = gtk->menuPopover();
    if (!menu || !gtk_widget_get_visible(menu))
        menu = gtk->editMenu();
    if (!menu || !gtk_widget_get_visible(menu))
        return rows;
    for (GtkWidget* button : descendants(menu, GTK_TYPE_BUTTON)) {
        if (!gtk_widget_get_visible(button) || !gtk_widget_get_sensitive(button))
            continue;
        rows.push_back(Reachable{widgetText(button), button, std::nullopt});
    }
    // A menu of commands is short; one longer than any of them is a list of
    // choices (colours, fonts) served by one handler, sampled as lists are.
    if (rows.size() > kLongestCommandMenu)
        rows.resize(kMostRowsPerList);
    return rows;
}

std::vector<EveryControlWalk::Reachable> EveryControlWalk::listRows()
{
    std::vector<Reachable> rows;
    GtkWidget* shown = nullptr;
    for (auto it = recorder->presented.rbegin(); it != recorder->presented.rend() && !shown; ++it) {
        auto controller = std::dynamic_pointer_cast<ViewController>(it->lock());
        if (!controller || dynamic_cast<AlertController*>(controller.get()))
            continue;
        shown = gtk->widgetForController(*controller);
    }
    if (!shown)
        return rows;
    for (GtkWidget* row : descendants(shown, GTK_TYPE_LIST_BOX_ROW)) {
        if (rows.size() == kMostRowsPerList)
            break;
        if (gtk_widget_get_visible(row) && gtk_list_box_row_get_activatable(GTK_LIST_BOX_ROW(row)))
            rows.push_back(Reachable{widgetText(row), row, std::nullopt});
    }
    if (!rows.empty())
        return rows;
    // A panel without a list: its buttons are its choices.
    for (GtkWidget* button : descendants(shown, GTK_TYPE_BUTTON)) {
        if (rows.size() == kMostRowsPerList)
            break;
        if (gtk_widget_get_visible(button) && gtk_widget_get_sensitive(button))
            rows.push_back(Reachable{widgetText(button), button, std::nullopt});
    }
    return rows;
}

std::vector<EveryControlWalk::Reachable> EveryControlWalk::keyCommands()
{
    std::vector<Reachable> keys;
    std::shared_ptr<Window> window = app.documentWindow();
    if (!window)
        return keys;
    std::shared_ptr<ViewController> root = window->rootViewController();
    auto* navigation = dynamic_cast<NavigationController*>(root.get());
    Responder* top = navigation ? navigation->topViewController().get() : root.get();
    // As the window looks for them: from the focused responder when it is
    // the shown controller's, else from the controller.
    Responder* start = top;
    for (Responder* responder = Responder::currentFirstResponder(); responder; responder = responder->nextResponder()) {
        if (responder == top)
            start = Responder::currentFirstResponder();
    }
    std::set<std::pair<std::string, unsigned>> taken;
    for (Responder* responder = start; responder; responder = responder->nextResponder()) {
        for (const auto& command : responder->keyCommands()) {
            if (command->isDisabled() || !taken.insert({command->input(), command->modifierFlags()}).second)
                continue;
            Reachable key;
            std::string input = command->input();
            if (input.rfind("UIKeyInput", 0) == 0)
                input = input.substr(10);
            key.name = "key:" + modifierNames(command->modifierFlags()) + input + " " +
                       toUtf8(command->discoverabilityTitle());
            if (auto gtkKey = gtkKeyFor(*command)) {
                key.keyval = gtkKey->first;
                key.modifiers = gtkKey->second;
            } else
                key.dead = "no key";
            keys.push_back(key);
        }
    }
    // A page with an edit menu of its own opens it on the Menu key, as a
    // right-click does.
    if (m_pageWidget && g_signal_lookup("context-menu", G_OBJECT_TYPE(m_pageWidget))) {
        Reachable key;
        key.name = kEditMenuKeyName;
        key.keyval = GDK_KEY_Menu;
        key.opensEditMenu = true;
        keys.push_back(key);
    }
    return keys;
}

std::vector<EveryControlWalk::Reachable> EveryControlWalk::reachable(WalkStep::Kind kind)
{
    std::vector<Reachable> found;
    switch (kind) {
    case WalkStep::Kind::Control: found = reachableControls(); break;
    case WalkStep::Kind::MenuRow: found = menuRows(); break;
    case WalkStep::Kind::ListRow: found = listRows(); break;
    case WalkStep::Kind::Key: found = keyCommands(); break;
    }
    std::vector<std::string> names;
    for (const Reachable& each : found)
        names.push_back(each.name);
    numberRepeatedNames(names);
    for (std::size_t index = 0; index < found.size(); ++index)
        found[index].name = names[index];
    return found;
}

} // namespace folio::test
