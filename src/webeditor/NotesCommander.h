#pragma once

#include "platform/graphics/Geometry.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class NoteEditorController;
class NoteEditorDelegate;
class PageConnection;
struct PageMessage;
class View;
class ViewController;

// Footnotes and comments in the rich-text page: inserts them at the caret
// with new ids, inserts the footnote list, and opens the footnote or
// comment editor when one is inserted or tapped.
class NotesCommander {
public:
    // A caret further right than this (portrait, landscape) opens the new
    // note's editor at once.
    static constexpr double kPortraitEditorEdge = 712;
    static constexpr double kLandscapeEditorEdge = 974;
    // How far below a note's top the line it stands on reaches.
    static constexpr double kNoteLineHeight = 30;

    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<bool()> isLandscape{};
        // The keyboard row goes while an editor is open on a tablet.
        std::function<void()> removeCustomKeyboard{};
        std::function<void()> clearRemovedFormBar{};
        // Puts the keyboard row's bars back once the editor is closed: no
        // keyboard shows again on the desktop to rebuild the row.
        std::function<void()> addCustomKeyboard{};
        // The document's navigation controller presents popovers; the editor
        // itself presents full screen on phones.
        std::function<void(std::shared_ptr<ViewController>)> presentFromDocument{};
        std::function<void(std::shared_ptr<ViewController>)> presentFromEditor{};
        // The editor's view, to anchor popovers in.
        std::function<std::shared_ptr<View>()> anchorView{};
        std::function<std::chrono::system_clock::time_point()> now{};
        std::function<std::string()> applicationName{};
    };

    // What differs between pages. By default the scripts of a page that
    // edits its own document with execCommand.
    struct PageScripts {
        // Inserts HTML at the caret; "{}" is the place of its script literal.
        std::string insertHTML = "document.execCommand('insertHTML',false,{});";
    };

    NotesCommander(PageConnection& page, Host host);
    NotesCommander(PageConnection& page, Host host, PageScripts scripts);
    ~NotesCommander();
    NotesCommander(const NotesCommander&) = delete;
    NotesCommander& operator=(const NotesCommander&) = delete;

    // The markup of a new footnote and of a new comment.
    static std::string footnoteHTML(const std::string& id);
    static std::string annotationHTML(const std::string& id, const std::string& author, const std::u16string& date);

    void insertNewFootnote();
    void insertNewAnnotation();
    void insertFootnoteTable();

    void showFootnoteWithId(const std::string& id, Point point);
    void showAnnotationWithId(const std::string& id, Point point);
    void dismissFootnote();
    void dismissAnnotation();

    // A tapped note's message: "(ignored)_ID_X_Y". The id is what lies
    // between the first and the last two fields, so ids holding "_" survive.
    struct Touch {
        std::string id;
        Point point;
    };
    static std::optional<Touch> touchFromMessage(const PageMessage& message);

    bool isHTMLObjectPopoverVisible() const { return m_popoverVisible; }
    const std::shared_ptr<NoteEditorController>& openEditor() const { return m_editor; }

private:
    class EditorDelegate;
    void showEditor(std::shared_ptr<NoteEditorController> editor, const std::string& id, Point point);
    std::optional<Point> editorPointAfterInsertion(Point farRight);

    PageConnection& m_page;
    Host m_host;
    PageScripts m_scripts;
    std::shared_ptr<EditorDelegate> m_editorDelegate;
    std::shared_ptr<NoteEditorController> m_editor;
    bool m_popoverVisible = false;
};

} // namespace folio
