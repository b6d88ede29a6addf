#pragma once

#include "richtext/InsertCommander.h"
#include "richtext/KeyBar.h"
#include "webeditor/FindCommander.h"
#include "webeditor/NotesCommander.h"

#include <functional>
#include <memory>

namespace folio {

class PageConnection;
class PageMessageDispatcher;
class RichTextStyling;
class UserDefaults;
class View;
class ViewController;

// What the rich-text editor offers beside styling: its key row with custom
// keys, find and replace, links and inserts, footnotes and comments. The
// editor answers the questions in Host; the parts share the page, the
// styling's caret state and one another.
class RichTextEditingTools {
public:
    struct Host {
        std::function<void()> documentIsDirty{};
        // Presents from the document's navigation controller.
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // Presents from the editor itself (full-screen editors on phones).
        std::function<void(std::shared_ptr<ViewController>)> presentFromEditor{};
        std::function<std::shared_ptr<View>()> view{};
        // The view showing the page: the page's points are in its coordinates.
        std::function<std::shared_ptr<View>()> pageView{};
        std::function<double()> webViewHeight{};
        std::function<void(bool)> setEditing{};
        // The key row was rebuilt or switched bars.
        std::function<void()> keyRowDidChange{};
    };

    RichTextEditingTools(PageConnection& page, UserDefaults& defaults, RichTextStyling& styling, Host host);
    ~RichTextEditingTools();
    RichTextEditingTools(const RichTextEditingTools&) = delete;
    RichTextEditingTools& operator=(const RichTextEditingTools&) = delete;

    FindCommander& find() { return m_find; }
    InsertCommander& inserts() { return m_inserts; }
    NotesCommander& notes() { return m_notes; }
    KeyBar& keyBar() { return m_keyBar; }

    // The page's taps on footnotes and comments.
    void registerRoutes(PageMessageDispatcher& routes);
    void cancelPendingTasks();

private:
    void presentFindBar();
    void dismissFindBar();

    Host m_host;
    RichTextStyling& m_styling;
    FindCommander m_find;
    NotesCommander m_notes;
    InsertCommander m_inserts;
    KeyBar m_keyBar;
    std::shared_ptr<ViewController> m_findBar;
};

} // namespace folio
