#pragma once

#include "platform/graphics/Image.h"
#include "qvtext/QVInsertCommander.h"
#include "webeditor/CaretSelectionCommander.h"
#include "webeditor/ClipboardCommander.h"
#include "webeditor/FindCommander.h"
#include "webeditor/NotesCommander.h"
#include "webeditor/PageConnection.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class KeyCommand;
class PageMessageDispatcher;
class Pasteboard;
class View;
class ViewController;

// What the QV text editor does with the text beside styling it: caret and
// selection moves, inserted items, paste and drops, find and replace,
// footnotes and comments. The commands are those the rich-text editor has,
// in TinyMCE's dialect, and run in TinyMCE's editing frame where they touch
// the selection or the notes.
class QVEditingTools {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // Presents from the document's navigation controller, or from the
        // editor itself (full-screen panels on phones).
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<void(std::shared_ptr<ViewController>)> presentFromEditor{};
        std::function<std::shared_ptr<View>()> view{};
        // The view showing the page: the page's points are in its coordinates.
        std::function<std::shared_ptr<View>()> pageView{};
        // The edit menu after a move offers the editor's commands.
        std::function<void()> becomeFirstResponder{};
        std::function<bool()> isRTLLanguage{};
        std::function<bool()> isTypewriterMode{};
        std::function<bool()> isEditing{};
        std::function<void()> endEditing{};
        std::function<void()> updatePageUpDownControl{};
        // The largest font size of the selection, in points.
        std::function<int()> biggestFontSize{};
        // The one road of pictures into the page; may be empty, and then
        // pictures are not pasted or dropped.
        std::function<void(const Image::Pointer& image, bool autoResize)> insertImage{};
        std::function<std::string()> documentTitle{};
        std::function<std::chrono::system_clock::time_point()> now{};
    };

    QVEditingTools(PageConnection& page, Pasteboard& pasteboard, Host host);
    ~QVEditingTools();
    QVEditingTools(const QVEditingTools&) = delete;
    QVEditingTools& operator=(const QVEditingTools&) = delete;

    // The script that runs `script` in TinyMCE's editing frame.
    static std::string inEditorFrame(const std::string& script);

    // The page as seen from the editing frame.
    PageConnection& framePage() { return m_framePage; }
    CaretSelectionCommander& caret() { return m_caret; }
    ClipboardCommander& clipboard() { return m_clipboard; }
    FindCommander& find() { return m_find; }
    NotesCommander& notes() { return m_notes; }
    QVInsertCommander& inserts() { return m_inserts; }

    // True when only a caret is set (nothing is selected).
    bool hasSelection();

    // TinyMCE's own search-and-replace dialog, in the page.
    void showFindOnPage();
    // The editor's find bar, over the bottom of the page.
    void showFindAndReplace() { m_find.showFindAndReplace(); }

    // The page's pastes and drops, and the taps on footnote and comment marks.
    void registerRoutes(PageMessageDispatcher& routes);
    // The page view accepts drops.
    void prepareWebViewText(View& webView) { m_clipboard.prepareWebViewText(webView); }
    void cancelPendingTasks();

    // The key commands of the text: find, undo and redo, and the arrows.
    // Each runs on the tools `target` answers when the key is pressed (none:
    // the key does nothing), since the commands may outlive the editor. The
    // arrows are left to a page that is not ready yet, which holds them.
    static std::vector<std::shared_ptr<KeyCommand>> keyCommands(std::function<QVEditingTools*()> target,
                                                                std::function<bool()> pageIsReady,
                                                                std::function<void()> undo, std::function<void()> redo);

private:
    void presentFindBar();
    void dismissFindBar();

    Host m_host;
    PageConnection& m_page;
    PageConnection m_framePage;
    CaretSelectionCommander m_caret;
    ClipboardCommander m_clipboard;
    FindCommander m_find;
    NotesCommander m_notes;
    QVInsertCommander m_inserts;
    std::shared_ptr<ViewController> m_findBar;
};

} // namespace folio
