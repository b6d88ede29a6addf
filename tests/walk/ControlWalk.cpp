#include "walk/ControlWalk.h"

#include "walk/WalkPresenter.h"
#include "walk/WalkWidgets.h"

#include "documents/EditorMakers.h"
#include "documents/EditorController.h"
#include "documents/TextDocument.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "tools/pickers/CommandPickerRows.h"
#include "webeditor/WebEditorController.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>

namespace folio::test {

namespace {

// The research browser's Back and Forward change something only when it has
// been somewhere: whether its start page had loaded when Back was pressed
// depends on the machine's speed, so neither row is held either way.
bool movesThroughBrowsingHistory(const std::string& row)
{
    const std::string browser = "menu:Web Research > row:";
    for (const char* move : {"Back", "Forward"}) {
        const std::string end = browser + move;
        if (row.size() >= end.size() && row.compare(row.size() - end.size(), end.size(), end) == 0)
            return true;
    }
    return false;
}

// How long a row is given to show an effect. Only a dead row waits this out.
constexpr double kEffectWaitSeconds = 5;
// A bar item, a row of what it opens, a row of what that row opens.
constexpr std::size_t kDeepestPath = 3;
// How often a row whose outcome disagrees with the list is tried again.
constexpr int kRetriesOfADisagreement = 2;
// How far a popover may lie from the control that opened it, in pixels.
constexpr int kMostGapToControl = 48;

const char* const kTypedText = "Walk over every control.";
const char* const kLastTypedWord = "control.";
// Typed before an undo; the page shows it without its space.
const char* const kUndoneWord = " again";

std::string stepPrefix(WalkStep::Kind kind)
{
    switch (kind) {
    case WalkStep::Kind::Control: return "";
    case WalkStep::Kind::MenuRow: return "menu:";
    case WalkStep::Kind::ListRow: return "row:";
    case WalkStep::Kind::Key: return "";
    }
    return "";
}

std::mutex logMutex;

} // namespace

std::string WalkRow::name() const
{
    std::string joined;
    for (const WalkStep& step : path)
        joined += (joined.empty() ? "" : " > ") + stepPrefix(step.kind) + step.name;
    return joined;
}

EveryControlWalk::EveryControlWalk() = default;
EveryControlWalk::~EveryControlWalk() = default;

void EveryControlWalk::SetUp()
{
    // Keys and the screen are the display's: a display of its own keeps
    // other tests' windows off it.
    ASSERT_TRUE(usePrivateDisplay()) << "no display of its own could be made";
    auto created = GtkPresenter::create();
    ASSERT_TRUE(created) << created.error().message;
    gtk = std::move(*created);
    recorder = std::make_unique<WalkPresenter>(*gtk);
    TECurrentLogLevel = TELogLevelInfo;
    setTELogHandler([this](const TELogMessage& message) {
        if (message.level <= TELogLevelWarning)
            std::cerr << "[ log  ] " << message.text << "\n";
        if (message.text.find(" has no command ") == std::string_view::npos)
            return;
        std::lock_guard<std::mutex> lock(logMutex);
        m_noCommandLog.emplace_back(message.text);
    });
    app.setDocumentBrowserHandler([this] { ++recorder->events; });
    app.exports().setExportServices(handOffs.services());
}

void EveryControlWalk::TearDown()
{
    closeDocument();
    app.setDocumentBrowserHandler({});
    setTELogHandler({});
    recorder.reset();
    gtk.reset();
    GtkPresenter::processPendingEvents();
    EditorMakers::unregisterAll();
}

ViewController* EveryControlWalk::editorController() const
{
    std::shared_ptr<TextDocument> document = app.currentDocument();
    return document ? document->currentTextViewController().get() : nullptr;
}

GtkWidget* EveryControlWalk::documentToplevel() const
{
    return app.documentWindow() ? gtk->widgetForWindow(*app.documentWindow()) : nullptr;
}

std::string EveryControlWalk::webPageState(WebView& webView)
{
    return webView.stringByEvaluatingJavaScript(
        "(function () { var out = [];"
        " function grab(d) { if (!d || !d.documentElement) return;"
        "  out.push(d.documentElement.outerHTML);"
        "  var s = d.getSelection();"
        "  if (s && s.rangeCount) { var r = s.getRangeAt(0);"
        "   out.push(r.startContainer.nodeName + r.startOffset + '-' + r.endContainer.nodeName + r.endOffset); }"
        "  if (d.defaultView) out.push(d.defaultView.scrollX + ',' + d.defaultView.scrollY);"
        "  var frames = d.querySelectorAll('iframe');"
        "  for (var i = 0; i < frames.length; ++i) { try { grab(frames[i].contentDocument); } catch (e) {} } }"
        " grab(document); return out.join('\\n'); })()");
}

void EveryControlWalk::placeCaretInPage(WebView& webView)
{
    webView.stringByEvaluatingJavaScript(
        "(function () {"
        " function place(d) { if (!d || !d.body) return false;"
        "  var e = d.body.isContentEditable ? d.body : d.querySelector('[contenteditable]:not([contenteditable=false])');"
        "  if (e) { e.focus(); var r = d.createRange(); r.selectNodeContents(e); r.collapse(false);"
        "   var s = d.getSelection(); s.removeAllRanges(); s.addRange(r); return true; }"
        "  var frames = d.querySelectorAll('iframe');"
        "  for (var i = 0; i < frames.length; ++i) { try { if (place(frames[i].contentDocument)) return true; } catch (x) {} }"
        "  return false; }"
        " return place(document); })()");
}

void EveryControlWalk::selectWordInPage(WebView& webView, const std::string& word)
{
    webView.stringByEvaluatingJavaScript(
        "(function (word) {"
        " function pick(d) { if (!d || !d.body) return false;"
        "  var walker = d.createTreeWalker(d.body, NodeFilter.SHOW_TEXT);"
        "  for (var node = walker.nextNode(); node; node = walker.nextNode()) {"
        "   var at = node.data.indexOf(word); if (at < 0) continue;"
        "   var range = d.createRange(); range.setStart(node, at); range.setEnd(node, at + word.length);"
        "   var s = d.getSelection(); s.removeAllRanges(); s.addRange(range); return true; }"
        "  var frames = d.querySelectorAll('iframe');"
        "  for (var i = 0; i < frames.length; ++i) { try { if (pick(frames[i].contentDocument)) return true; } catch (e) {} }"
        "  return false; }"
        " return pick(document); })(" + ScriptLiteral::quote(std::string_view(word)) + ")");
}

void EveryControlWalk::expectToolSwitchesTurnedOn(EditorUnderWalk& editor)
{
    for (const CommandPickerRows::Switch& toggle : CommandPickerRows::toolSwitches()) {
        editor.expectedEffects["bar:Tools > menu:" + std::string(toggle.enableTitle)] =
            [this, key = std::string(toggle.key)](ViewController&) {
                return app.currentDocument() && app.currentDocument()->settings().boolForKey(key).value_or(false);
            };
    }
}

void EveryControlWalk::openDocument()
{
    std::optional<Status> opened;
    app.openFileItem(std::make_shared<ODSFileItem>(m_path, nullptr), [&](Status status) { opened = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, kEngineWaitSeconds));
    ASSERT_TRUE(*opened) << opened->error().message;
    ViewController* editor = editorController();
    ASSERT_NE(editor, nullptr);
    auto* webEditor = dynamic_cast<WebEditorController*>(editor);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webEditor || webEditor->isPageReady(); }, kEngineWaitSeconds))
        << "the editor's page did not come up";
    GtkWidget* toplevel = documentToplevel();
    ASSERT_NE(toplevel, nullptr) << "the document has no window";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(toplevel); }, kEngineWaitSeconds));
    auto pages = descendants(toplevel, g_type_from_name("WebKitWebView"));
    auto texts = descendants(toplevel, GTK_TYPE_TEXT_VIEW);
    GtkWidget* page = !pages.empty() ? pages.front() : !texts.empty() ? texts.front() : nullptr;
    ASSERT_NE(page, nullptr) << "no page in the window";
    m_pageWidget = page;
    gtk_widget_grab_focus(page);
    ASSERT_TRUE(focusWindow(toplevel));
}

void EveryControlWalk::closeDocument()
{
    dismissEverything();
    // A close a row began (the "Documents" item) ends by closing the
    // document's window: it must be over before the document opens again,
    // or it closes the new window.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return app.document() || !app.documentWindow(); }, kEngineWaitSeconds));
    if (app.document()) {
        std::optional<Status> closed;
        app.closeDocument([&](Status status) { closed = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, kEngineWaitSeconds));
        EXPECT_TRUE(closed && *closed) << "the document did not close: " << (closed ? closed->error().message : "");
    }
    GtkPresenter::processPendingEvents();
    // The close saved what the row changed; the next row starts from the
    // document as it was.
    if (!m_pristineBytes.empty())
        testing_support::writeFile(m_path, m_pristineBytes);
}

void EveryControlWalk::makeDocument()
{
    m_path = folder.path(m_editor->fileName);
    ASSERT_TRUE(app.createNewDocument(m_editor->kind, m_path));
    openDocument();
    if (::testing::Test::HasFatalFailure())
        return;
    ViewController* editor = editorController();
    m_editor->placeCaretAtEnd(*editor);
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(documentToplevel()));
    ASSERT_NE(focus, nullptr);
    typeText(focus, kTypedText);
    // Typed spaces may reach the page as no-break spaces: the last word tells.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return m_editor->pageState(*editor).find(kLastTypedWord) != std::string::npos; }, kEngineWaitSeconds))
        << "typing into the new document did not reach its page: " << m_editor->pageState(*editor).substr(0, 2000);
    closeDocument();
    m_pristineBytes = testing_support::readFile(m_path);
    ASSERT_FALSE(m_pristineBytes.empty());
}

void EveryControlWalk::dismissEverything()
{
    if (GtkWidget* menu = gtk ? gtk->menuPopover() : nullptr)
        gtk_popover_popdown(GTK_POPOVER(menu));
    MenuController::shared().hideMenu();
    if (app.documentWindow()) {
        std::shared_ptr<ViewController> root = app.documentWindow()->rootViewController();
        if (root && root->presentedViewController())
            root->dismissViewControllerAnimated(false);
    }
    // Dialogs of the desktop (a file chooser) answer Cancel.
    GtkWidget* document = documentToplevel();
    for (GtkWidget* window : shownToplevels()) {
        if (window != document && GTK_IS_DIALOG(window))
            gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_CANCEL);
    }
    GtkPresenter::processPendingEvents();
}

PropertyList EveryControlWalk::storedPreferences()
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.synchronize();
    Result<PropertyList> stored = PropertyList::readFromFile(defaults.path());
    return stored ? *stored : PropertyList();
}

bool EveryControlWalk::restorePreferences()
{
    PropertyList now = storedPreferences();
    if (now == m_pristinePreferences)
        return false;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    for (const std::string& key : now.keys()) {
        if (const PropertyList* was = m_pristinePreferences.objectForKey(key))
            defaults.setObject(key, *was);
        else
            defaults.removeObjectForKey(key);
    }
    for (const std::string& key : m_pristinePreferences.keys())
        defaults.setObject(key, *m_pristinePreferences.objectForKey(key));
    defaults.synchronize();
    return true;
}

EveryControlWalk::Snapshot EveryControlWalk::snapshot()
{
    GtkPresenter::processPendingEvents();
    Snapshot shot;
    std::shared_ptr<TextDocument> document = app.currentDocument();
    ViewController* editor = editorController();
    shot.documentOpen = document && editor;
    if (shot.documentOpen) {
        shot.page = m_editor->pageState(*editor);
        shot.dirty = document->hasUnsavedChanges();
    }
    for (GtkWidget* window : shownToplevels())
        describe(window, shot.windows);
    // Popovers stand outside their window's tree: what they show (a list
    // pushed, a value stepped) is looked at on its own.
    for (GtkWidget* menu : {gtk->menuPopover(), gtk->editMenu()}) {
        if (menu)
            describe(menu, shot.windows);
    }
    for (const auto& weak : recorder->presented) {
        auto controller = std::dynamic_pointer_cast<ViewController>(weak.lock());
        GtkWidget* shown = controller ? gtk->widgetForController(*controller) : nullptr;
        if (shown && GTK_IS_POPOVER(shown))
            describe(shown, shot.windows);
    }
    // The keyboard taken by a field (a find bar's, a panel's). A menu hands
    // it back to the page as it closes, whatever its row did: moves between
    // the page, bars and menus are not counted.
    if (GtkWidget* toplevel = documentToplevel()) {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
        bool field = focus && (GTK_IS_ENTRY(focus) || GTK_IS_TEXT_VIEW(focus) || GTK_IS_SPIN_BUTTON(focus));
        if (field && m_pageWidget != focus)
            shot.focus = focus;
    }
    shot.pasteboard = Pasteboard::general().changeCount();
    shot.events = recorder->events;
    shot.openedURLs = openedURLs.size();
    shot.handOffs = handOffs.calls().size();
    return shot;
}

bool EveryControlWalk::settle()
{
    // Each look asks the page, which lets what the page was sent before run.
    Snapshot previous = snapshot();
    for (int round = 0; round < 40; ++round) {
        Snapshot next = snapshot();
        if (next == previous)
            return true;
        previous = std::move(next);
    }
    return false;
}

void EveryControlWalk::reset()
{
    dismissEverything();
    // A row that changed a preference (a bar shown, a mode) is undone, and
    // the editor, which read it as it opened, opens again.
    bool preferencesChanged = restorePreferences();
    // A reading left paused keeps its own rows in the edit menu: only
    // closing the document ends it.
    bool pristine = !preferencesChanged && app.document() && documentToplevel() && editorController() && settle() &&
                    snapshot().page == m_pristinePage && !app.currentDocument()->hasUnsavedChanges() &&
                    MenuController::shared().menuItems() == m_pristineMenuItems;
    if (!pristine) {
        closeDocument();
        openDocument();
        if (::testing::Test::HasFatalFailure())
            return;
    } else if (GtkWidget* toplevel = documentToplevel()) {
        focusWindow(toplevel);
    }
    if (ViewController* editor = editorController())
        m_editor->selectSomeText(*editor);
    settle();
}

std::optional<std::string> EveryControlWalk::take(const WalkStep& step, GtkWidget** clicked)
{
    *clicked = nullptr;
    std::vector<Reachable> found = reachable(step.kind);
    auto named = [&] {
        return std::find_if(found.begin(), found.end(), [&](const Reachable& each) { return each.name == step.name; });
    };
    auto it = named();
    // A control is offered only while enabled, and some are enabled late:
    // Redo once the page has taken back the word typed for it. Until then the
    // bar is one short, and the control at its place is another one.
    if (it == found.end() && step.kind == WalkStep::Kind::Control) {
        RunLoop::main().runUntil(
            [&] {
                found = reachable(step.kind);
                return named() != found.end();
            },
            kLateControlSeconds);
        it = named();
    }
    // A control whose title changes (a size shown on the bar) is found at its
    // place; one of another known name there is not the control asked for.
    if (it == found.end() && step.kind == WalkStep::Kind::Control && step.index < found.size() &&
        !m_controlNames.count(found[step.index].name))
        it = found.begin() + static_cast<std::ptrdiff_t>(step.index);
    if (it == found.end()) {
        std::string offered;
        for (const Reachable& each : found)
            offered += " [" + each.name + "]";
        std::cerr << "[ walk ] " << step.name << " is not among" << offered << "\n";
        return "not found";
    }
    if (it->dead)
        return it->dead;
    GtkWidget* toplevel = documentToplevel();
    if (step.kind == WalkStep::Kind::Key) {
        if (!toplevel)
            return "not found";
        pressKey(toplevel, it->keyval, it->modifiers);
        return std::nullopt;
    }
    // Shown, once laid out: a control of the window within the window's
    // bounds; a row of a list may lie further down, where a user scrolls to it.
    // Watched until the press is over: a press may rebuild the bar that
    // holds the control, and a freed widget must not be looked at again.
    GtkWidget* widget = it->widget;
    struct Watch {
        GtkWidget*& watched;
        explicit Watch(GtkWidget*& w) : watched(w)
        {
            if (watched)
                g_object_add_weak_pointer(G_OBJECT(watched), reinterpret_cast<gpointer*>(&watched));
        }
        ~Watch()
        {
            if (watched)
                g_object_remove_weak_pointer(G_OBJECT(watched), reinterpret_cast<gpointer*>(&watched));
        }
    } watch(widget);
    RunLoop::main().runUntil(
        [&] {
            std::optional<GdkRectangle> rect = screenRect(widget);
            return !widget || (rect && rect->width > 1 && rect->height > 1);
        },
        10);
    // A bar wider than its window scrolls sideways: the user scrolls it to the control.
    if (widget && step.kind == WalkStep::Kind::Control)
        scrollIntoView(widget);
    std::optional<GdkRectangle> rect = screenRect(widget);
    if (!widget || !rect || rect->width <= 1 || rect->height <= 1)
        return "off-screen";
    if (step.kind == WalkStep::Kind::Control) {
        std::optional<GdkRectangle> window = screenRect(gtk_widget_get_toplevel(widget));
        if (!window || !inside(*rect, *window))
            return "off-screen";
    }
    if (GTK_IS_LIST_BOX_ROW(widget)) {
        // A row that holds a control the program draws (a stepper) is used
        // through that control: the row itself takes no choice.
        if (GtkWidget* drawn = drawnControlIn(widget))
            pressDrawnControl(drawn);
        else
            gtk_widget_activate(widget);
    }
    else if (GTK_IS_BUTTON(widget))
        gtk_button_clicked(GTK_BUTTON(widget));
    else
        return "no handler";
    if (step.kind == WalkStep::Kind::Control)
        *clicked = widget;
    return std::nullopt;
}

std::optional<std::string> EveryControlWalk::offScreenReason(GtkWidget* shown, GtkWidget* control)
{
    g_object_add_weak_pointer(G_OBJECT(shown), reinterpret_cast<gpointer*>(&shown));
    // Mapped first, then given its size.
    RunLoop::main().runUntil(
        [&] {
            std::optional<GdkRectangle> rect = screenRect(shown);
            return !shown || (rect && rect->width > 1 && rect->height > 1);
        },
        10);
    // A list inside may still be sizing the popover: judged once its place holds.
    std::optional<GdkRectangle> rect = screenRect(shown);
    for (int round = 0; round < 20 && shown; ++round) {
        // Lays the window out now, its popovers with it, rather than at the next frame.
        gtk_container_check_resize(GTK_CONTAINER(gtk_widget_get_toplevel(shown)));
        GtkPresenter::processPendingEvents();
        std::optional<GdkRectangle> now = shown ? screenRect(shown) : std::nullopt;
        bool held = rect && now && now->x == rect->x && now->y == rect->y && now->width == rect->width &&
                    now->height == rect->height;
        rect = now;
        if (held)
            break;
    }
    std::optional<std::string> reason;
    if (shown && !rect)
        reason = "off-screen";
    else if (shown && !inside(*rect, screenBounds(shown))) {
        GdkRectangle screen = screenBounds(shown);
        std::cerr << "[ walk ] shown at " << rect->x << "," << rect->y << " " << rect->width << "x" << rect->height
                  << " on a screen " << screen.x << "," << screen.y << " " << screen.width << "x" << screen.height << "\n";
        reason = "off-screen";
    }
    else if (shown && control && GTK_IS_POPOVER(shown)) {
        std::optional<GdkRectangle> at = screenRect(control);
        if (at && gapBetween(*rect, *at) > kMostGapToControl)
            reason = "away from its control";
    }
    if (shown)
        g_object_remove_weak_pointer(G_OBJECT(shown), reinterpret_cast<gpointer*>(&shown));
    return reason;
}

EveryControlWalk::Outcome EveryControlWalk::invoke(const WalkRow& row)
{
    Outcome outcome;
    reset();
    if (::testing::Test::HasFatalFailure())
        return outcome;
    // The way to the row: each step opens what the next one picks from.
    recorder->forget();
    for (std::size_t index = 0; index + 1 < row.path.size(); ++index) {
        long before = recorder->events;
        GtkWidget* clicked = nullptr;
        if (auto failed = take(row.path[index], &clicked)) {
            outcome.dead = "not found";
            outcome.detail = "its way in failed at " + row.path[index].name + ": " + *failed;
            return outcome;
        }
        RunLoop::main().runUntil([&] { return recorder->events != before; }, 10);
        settle();
    }

    const WalkStep& last = row.path.back();
    // Undo and redo need something to take back, as they would for a user
    // who typed: a word is typed first, and undone before a redo.
    auto endsWith = [&](const char* word) {
        std::string_view name = last.name;
        return name.size() >= std::strlen(word) && name.substr(name.size() - std::strlen(word)) == word;
    };
    if (endsWith("Undo") || endsWith("Redo")) {
        m_editor->placeCaretAtEnd(*editorController());
        GtkWidget* toplevel = documentToplevel();
        GtkWidget* focus = toplevel ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
        if (focus) {
            typeText(focus, kUndoneWord);
            RunLoop::main().runUntil(
                [&] { return m_editor->pageState(*editorController()).find(kUndoneWord + 1) != std::string::npos; },
                kEngineWaitSeconds);
            if (endsWith("Redo"))
                pressKey(toplevel, GDK_KEY_z, GDK_CONTROL_MASK);
            settle();
        }
    }
    Snapshot before = snapshot();
    long menusBefore = recorder->menus;
    long editMenusBefore = recorder->editMenus;
    std::vector<std::string> menuBefore;
    for (const Reachable& each : reachable(WalkStep::Kind::MenuRow))
        menuBefore.push_back(each.name);
    std::vector<GtkWidget*> toplevelsBefore = shownToplevels();
    const std::size_t presentedBefore = recorder->presented.size();
    std::vector<std::string> listBefore;
    for (const Reachable& each : reachable(WalkStep::Kind::ListRow))
        listBefore.push_back(each.name);
    {
        std::lock_guard<std::mutex> lock(logMutex);
        m_noCommandLog.clear();
    }
    GtkWidget* clicked = nullptr;
    if (auto failed = take(last, &clicked)) {
        outcome.dead = *failed;
        return outcome;
    }
    if (clicked)
        g_object_add_weak_pointer(G_OBJECT(clicked), reinterpret_cast<gpointer*>(&clicked));
    auto logged = [&] {
        std::lock_guard<std::mutex> lock(logMutex);
        return !m_noCommandLog.empty();
    };
    RunLoop::main().runUntil([&] { return logged() || !(snapshot() == before); }, kEffectWaitSeconds);
    // What counts is what stays: a change that comes and goes by itself
    // (a timer of the page) is none of the row's doing.
    settle();
    bool changed = !(snapshot() == before);
    if (logged()) {
        std::lock_guard<std::mutex> lock(logMutex);
        outcome.dead = "no command";
        outcome.detail = m_noCommandLog.front();
    }

    // What the row opened lies on the screen, a popover next to its control.
    std::vector<GtkWidget*> opened;
    if (recorder->menus != menusBefore && gtk->menuPopover())
        opened.push_back(gtk->menuPopover());
    const bool editMenuOpened = recorder->editMenus != editMenusBefore && gtk->editMenu();
    if (editMenuOpened)
        opened.push_back(gtk->editMenu());
    for (std::size_t index = presentedBefore; index < recorder->presented.size(); ++index) {
        if (auto controller = std::dynamic_pointer_cast<ViewController>(recorder->presented[index].lock())) {
            if (GtkWidget* widget = gtk->widgetForController(*controller))
                opened.push_back(widget);
        }
    }
    for (GtkWidget* window : shownToplevels()) {
        if (std::find(toplevelsBefore.begin(), toplevelsBefore.end(), window) == toplevelsBefore.end() &&
            std::find(opened.begin(), opened.end(), window) == opened.end())
            opened.push_back(window);
    }
    for (GtkWidget* shown : opened) {
        if (outcome.dead)
            break;
        if (auto reason = offScreenReason(shown, clicked)) {
            outcome.dead = reason;
            outcome.detail = G_OBJECT_TYPE_NAME(shown);
        }
    }
    if (!outcome.dead && !changed)
        outcome.dead = "changes nothing";
    auto effect = m_editor->expectedEffects.find(row.name());
    if (!outcome.dead && effect != m_editor->expectedEffects.end() &&
        !RunLoop::main().runUntil([&] { return editorController() && effect->second(*editorController()); },
                                  kEffectWaitSeconds))
        outcome.dead = "misses its effect";
    if (!outcome.dead && std::getenv("FOLIO_WALK_VERBOSE")) {
        Snapshot after = snapshot();
        std::cout << "[ walk ] " << row.name() << " changed:" << (after.page != before.page ? " page" : "")
                  << (after.dirty != before.dirty ? " dirty" : "") << (after.windows != before.windows ? " windows" : "")
                  << (after.focus != before.focus ? " focus" : "") << (after.events != before.events ? " presented" : "")
                  << (after.pasteboard != before.pasteboard ? " clipboard" : "")
                  << (after.documentOpen != before.documentOpen ? " document" : "")
                  << (after.openedURLs != before.openedURLs || after.handOffs != before.handOffs ? " handed-off" : "")
                  << "\n";
    }
    if (clicked)
        g_object_remove_weak_pointer(G_OBJECT(clicked), reinterpret_cast<gpointer*>(&clicked));
    if (outcome.dead || row.path.size() >= kDeepestPath)
        return outcome;
    // Of the keys, only the edit menu's opens rows to walk: the edit menu a
    // selection raises by itself holds the same rows.
    if (last.kind == WalkStep::Kind::Key && !(last.name == kEditMenuKeyName && editMenuOpened))
        return outcome;

    // What it opened is walked in its turn.
    WalkStep::Kind childKind = WalkStep::Kind::MenuRow;
    std::vector<Reachable> children;
    if (recorder->menus != menusBefore)
        children = reachable(WalkStep::Kind::MenuRow);
    if (children.empty() && editMenuOpened) {
        // An edit menu with new rows (the reading's pause and cancel).
        children = reachable(WalkStep::Kind::MenuRow);
        std::vector<std::string> menuAfter;
        for (const Reachable& each : children)
            menuAfter.push_back(each.name);
        if (menuAfter == menuBefore)
            children.clear();
    }
    if (children.empty()) {
        childKind = WalkStep::Kind::ListRow;
        children = reachable(WalkStep::Kind::ListRow);
        // A row that changed a setting leaves the same list: it was walked.
        std::vector<std::string> listAfter;
        for (const Reachable& each : children)
            listAfter.push_back(each.name);
        if (listAfter == listBefore)
            children.clear();
    }
    for (const Reachable& child : children) {
        WalkRow next = row;
        next.path.push_back(WalkStep{childKind, child.name, 0});
        outcome.children.push_back(std::move(next));
    }
    return outcome;
}

void EveryControlWalk::walk(const EditorUnderWalk& editor)
{
    const auto started = std::chrono::steady_clock::now();
    m_editor = &editor;
    makeDocument();
    if (HasFatalFailure())
        return;
    openDocument();
    if (HasFatalFailure())
        return;
    m_editor->selectSomeText(*editorController());
    ASSERT_TRUE(settle()) << "the opened document does not come to rest";
    m_pristinePage = snapshot().page;
    m_pristinePreferences = storedPreferences();
    m_pristineMenuItems = MenuController::shared().menuItems();

    std::vector<WalkRow> rows;
    for (WalkStep::Kind kind : {WalkStep::Kind::Control, WalkStep::Kind::Key}) {
        std::vector<Reachable> found = reachable(kind);
        for (std::size_t index = 0; index < found.size(); ++index) {
            rows.push_back(WalkRow{{WalkStep{kind, found[index].name, index}}});
            if (kind == WalkStep::Kind::Control)
                m_controlNames.insert(found[index].name);
        }
    }
    ASSERT_FALSE(rows.empty()) << "the editor offers no control";

    std::map<std::string, std::string> dead;
    std::set<std::string> walked;
    const char* only = std::getenv("FOLIO_WALK_ONLY");
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const WalkRow row = rows[index];
        // A walk of one branch (FOLIO_WALK_ONLY, the start of its rows'
        // names) goes down the way to it and through it alone.
        if (only && row.name().rfind(only, 0) != 0 && std::string(only).rfind(row.name(), 0) != 0)
            continue;
        Outcome outcome = invoke(row);
        if (HasFatalFailure())
            return;
        // A row that disagrees with the list is tried again before it
        // counts: the page may answer late on a busy machine, and a timer
        // of the editor may change something while a dead row is watched.
        auto listed = editor.knownDead.find(row.name());
        std::optional<std::string> expected =
            listed == editor.knownDead.end() ? std::nullopt : std::optional<std::string>(listed->second);
        const bool held = !editor.unsettled.count(row.name()) && !movesThroughBrowsingHistory(row.name());
        for (int retry = 0; held && retry < kRetriesOfADisagreement && outcome.dead != expected; ++retry) {
            std::cout << "[ walk ] " << row.name() << " tried again\n";
            Outcome again = invoke(row);
            if (HasFatalFailure())
                return;
            if (again.dead == expected)
                outcome.dead = again.dead;
        }
        if (!held) {
            std::cout << "[ walk ] " << row.name() << ": " << outcome.dead.value_or("works") << " (unsettled, not held)\n";
            rows.insert(rows.end(), outcome.children.begin(), outcome.children.end());
            continue;
        }
        walked.insert(row.name());
        if (outcome.dead) {
            dead[row.name()] = *outcome.dead;
            if (!outcome.detail.empty())
                std::cout << "[ walk ] " << row.name() << ": " << *outcome.dead << " (" << outcome.detail << ")\n";
        }
        rows.insert(rows.end(), outcome.children.begin(), outcome.children.end());
    }

    // The list as it stands, ready to be kept beside the walk.
    std::cout << "[ walk ] " << walked.size() << " rows, " << dead.size() << " dead, in "
              << std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count()
              << " s\n";
    for (const auto& [name, reason] : dead)
        std::cout << "        {\"" << name << "\", \"" << reason << "\"},\n";

    for (const auto& [name, reason] : dead) {
        auto listed = editor.knownDead.find(name);
        if (listed == editor.knownDead.end())
            ADD_FAILURE() << name << ": " << reason;
        else if (listed->second != reason)
            ADD_FAILURE() << name << " is listed as \"" << listed->second << "\" but is now: " << reason;
    }
    for (const auto& [name, check] : editor.expectedEffects) {
        if (!walked.count(name) && !only)
            ADD_FAILURE() << name << " has an expected effect but is no longer offered";
    }
    for (const auto& [name, reason] : editor.knownDead) {
        if (dead.count(name))
            continue;
        if (walked.count(name))
            ADD_FAILURE() << name << " works now: delete its line from the list of dead rows";
        else if (!only)
            ADD_FAILURE() << name << " is no longer offered: delete its line from the list of dead rows";
    }
}

} // namespace folio::test
