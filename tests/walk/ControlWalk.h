#pragma once

#include "documents/DocumentKind.h"
#include "platform/foundation/PropertyList.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/MenuController.h"
#include "shell/AppController.h"
#include "testing/RecordingExportServices.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace folio {
class TextDocument;
class ViewController;
class WebView;
}

namespace folio::test {

class WalkPresenter;

// One user action on the way to a row: a control of the window clicked, a
// row of the open menu or of a presented list picked, or a key command
// pressed. Names are what the user sees ("bar:Bold", "menu:Word Count"),
// with "#2" and on for a second control of the same name.
struct WalkStep {
    enum class Kind { Control, MenuRow, ListRow, Key };
    Kind kind = Kind::Control;
    std::string name;
    // Where it was among what could be reached: a control whose title
    // follows the text at the caret ("12" for "Size") is found again there.
    std::size_t index = 0;
};

// A row of the walk: the steps from the opened document to it. Its name is
// the steps' names joined by " > ".
struct WalkRow {
    std::vector<WalkStep> path;
    std::string name() const;
};

// The editor a walk opens: its document (made as "folio new" makes one, then
// given a few typed words), how to read its page, and the rows known not to
// work today, each with the reason the walk gives for it: "no command",
// "no handler", "off-screen", "away from its control" or "changes nothing".
struct EditorUnderWalk {
    std::string fileName;
    DocumentKind kind = DocumentKind::RTF;
    // The page and its selection as one string: a row that edits, selects or
    // scrolls changes it.
    std::function<std::string(ViewController& editor)> pageState;
    // Puts the caret at the end of the text, where typing goes.
    std::function<void(ViewController& editor)> placeCaretAtEnd;
    // Selects some of the typed text, so that the commands that work on a
    // selection find one.
    std::function<void(ViewController& editor)> selectSomeText;
    std::map<std::string, std::string> knownDead;
    // Rows whose effect is plain, with a check of it (the style is on the
    // selection, the inserted item is in the page, the panel is open): the
    // row works only once its check holds, not when anything at all changed.
    std::map<std::string, std::function<bool(ViewController& editor)>> expectedEffects;
    // Rows whose outcome varies from run to run: walked and printed, not
    // held against the list. Each is a fault of its own to be found.
    std::set<std::string> unsettled;
};

// Opens a real document of one kind as the application opens it, in a real
// window on a display of its own, and walks over every control the editor
// offers: the bar items of the window's header, every button and segment of
// the bars in the window and the text's accessory bar, every row of the
// menus and the list pickers they open (two levels down), and every key
// command of the responder chain, with the edit menu the Menu key opens on
// a selection. Each row is reached from the document as
// it was opened (reopened from its file when a row changed it) through the
// widgets that stand for it on screen and checked: something ran (no editor
// logged that it has no such command), what opened is on the screen and at
// its control, and something changed (the page, the document, a window, the
// focus, the clipboard, or a view was presented); a row with a plain effect
// listed for the editor must have that effect.
//
// A list of fonts, colours or sizes is walked through its first rows; the
// preferences a row changed are set back before the next one, and what the
// editors hand to the desktop (links, printing, mail) is recorded, not sent.
//
// The rows that do not work are held against the editor's list of known dead
// rows: a dead row not listed fails, and so does a listed row that works now
// or that the walk no longer finds, so the lists can only shrink. A row that
// disagrees with its list is tried twice more before it counts; the few rows
// whose outcome varies from run to run are listed apart and only printed. The walk
// prints every dead row as a line of the list; with FOLIO_WALK_VERBOSE set it
// also prints what each working row changed, and with FOLIO_WALK_ONLY set it
// walks only the rows whose names begin so.
class EveryControlWalk : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;
    // How long a control the walk found before may take to be offered again.
    static constexpr double kLateControlSeconds = 5;

    EveryControlWalk();
    ~EveryControlWalk() override;

    void SetUp() override;
    void TearDown() override;

    void walk(const EditorUnderWalk& editor);

    // A web editor's page: its document and every frame's, with their
    // selections and scroll positions.
    static std::string webPageState(WebView& webView);
    // The caret at the end of the page's first editable text, in the page
    // or one of its frames, with the keyboard focus.
    static void placeCaretInPage(WebView& webView);
    // Selects the first use of the word in the page or one of its frames.
    static void selectWordInPage(WebView& webView, const std::string& word);

    // Each Enable row of the tools menu turns its switch on, so that the
    // menu then offers its Disable row.
    void expectToolSwitchesTurnedOn(EditorUnderWalk& editor);

    // The row of the key that opens the page's edit menu.
    static constexpr const char* kEditMenuKeyName = "key:Menu edit menu";

    // The word of the typed text ("Walk over every control.") the walk selects.
    static constexpr const char* kSelectedWord = "every";

    testing_support::ScratchFolder folder{"control-walk"};
    std::unique_ptr<GtkPresenter> gtk;
    std::unique_ptr<WalkPresenter> recorder;
    AppController app;
    // URLs the editors handed to the desktop to open, and the files handed
    // to mail, printing and sharing: recorded, as nothing may leave the test.
    std::vector<std::string> openedURLs;
    RecordingExportServices handOffs;

private:
    struct Snapshot {
        std::string page;
        bool documentOpen = false;
        bool dirty = false;
        std::string windows;
        const void* focus = nullptr;
        long pasteboard = 0;
        long events = 0;
        std::size_t openedURLs = 0;
        std::size_t handOffs = 0;

        bool operator==(const Snapshot&) const = default;
    };

    struct Reachable {
        std::string name;
        GtkWidget* widget = nullptr;
        // Known before it is tried: "no handler", "no key".
        std::optional<std::string> dead;
        guint keyval = 0;
        GdkModifierType modifiers = GdkModifierType(0);
        // The key asks for the page's edit menu, whose rows are walked in turn.
        bool opensEditMenu = false;
    };

    struct Outcome {
        std::optional<std::string> dead;
        std::string detail;
        std::vector<WalkRow> children;
    };

    void openDocument();
    void closeDocument();
    void makeDocument();
    // Back to the document as it was opened: whatever a row presented is
    // dismissed, and the document is read again when the row left a change.
    void reset();
    void dismissEverything();
    // The user's preferences as stored.
    PropertyList storedPreferences();
    // Sets back every preference a row changed; answers whether any was.
    bool restorePreferences();
    bool settle();
    Snapshot snapshot();
    std::vector<Reachable> reachableControls();
    std::vector<Reachable> menuRows();
    std::vector<Reachable> listRows();
    std::vector<Reachable> keyCommands();
    std::vector<Reachable> reachable(WalkStep::Kind kind);
    // Takes the step through its widget or key; answers the clicked widget
    // (null for a key) or, for a step that cannot be taken, why not.
    std::optional<std::string> take(const WalkStep& step, GtkWidget** clicked);
    Outcome invoke(const WalkRow& row);
    std::optional<std::string> offScreenReason(GtkWidget* shown, GtkWidget* control);

    ViewController* editorController() const;
    GtkWidget* documentToplevel() const;

    const EditorUnderWalk* m_editor = nullptr;
    std::string m_path;
    std::string m_pristineBytes;
    std::string m_pristinePage;
    PropertyList m_pristinePreferences;
    // The edit menu's own rows as the opened document offers them.
    std::vector<MenuItem> m_pristineMenuItems;
    GtkWidget* m_pageWidget = nullptr;
    std::vector<std::string> m_noCommandLog;
    // The names of the controls the opened editor offered.
    std::set<std::string> m_controlNames;
};

} // namespace folio::test
