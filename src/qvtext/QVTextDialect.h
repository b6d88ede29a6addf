#pragma once

#include "webeditor/PageDialect.h"

namespace folio {

// The QV text page edits through TinyMCE inside an iframe and says itself
// when its editor is up ("rte://DOMLoaded"), which comes after the document's
// own ready state.
class QVTextDialect : public PageDialect {
public:
    static constexpr const char* kReadySignal = "rte://DOMLoaded";

    // Where an editor that is the QV text editor on another page (the
    // outline) departs from it in its frame, bars, menus and keyboard
    // handling. The values here are the QV text editor's own.
    struct EditorTraits {
        // How much shorter than the view the page is, in points.
        double editorHeightInset = 30;
        // The page-up/down panel's left edge, counted from the view's right.
        double pageUpDownRightInset = 48;
        // The element of the hidden header and footer placeholders.
        const char* headerFooterElement = "div";
        // The editor shows a text-style item in its bar.
        bool hasTextStyleItem = true;
        // The tools item is off until the keyboard shows and off again once
        // it hides; otherwise it keeps its state.
        bool toolsItemFollowsKeyboard = true;
        // The page counter's refresh also enables the undo and redo items;
        // otherwise the editor refreshes them after changes itself.
        bool pageCounterEnablesUndoRedo = true;
        // Scanned lines go in as lines of their own; otherwise (a branch
        // holds one line) as words of the line at the caret.
        bool scannedLinesStayLines = true;
        // Panels, menus and the spelling check keep the caret in the page
        // ("saveCaretSelection ();") before they open.
        bool savesCaretBeforePanels = true;
        // Reading aloud shows the speech menu and rebuilds the tools menu
        // as it starts; otherwise the menu shows when speaking is noticed.
        bool readAloudShowsSpeechMenu = true;
        // After the keyboard shows, the selected node is always scrolled
        // into view, whatever was touched last or whichever keyboard it is.
        bool keyboardAlwaysScrollsSelectionIntoView = false;
        // An inserted picture comes up selected with its menu half a second
        // later; otherwise it is inserted and left alone.
        bool selectsInsertedPicture = true;
        // A touch on a picture while the page still scrolls selects nothing.
        bool ignoresPictureTouchWhileScrolling = false;
    };

    std::string readySignal() const override { return kReadySignal; }
    std::string undoScript() const override { return "tinymce.activeEditor.execCommand('undo');"; }
    std::string redoScript() const override { return "tinymce.activeEditor.execCommand('redo');"; }
    std::string canUndoScript() const override { return "tinymce.activeEditor.undoManager.hasUndo();"; }
    std::string canRedoScript() const override { return "tinymce.activeEditor.undoManager.hasRedo();"; }
    // The page's container scrolls the text, not TinyMCE's frame: the
    // page's own function knows which of the two scrolls.
    std::string scrollPositionScript() const override { return kScrollPositionScript; }
    static constexpr const char* kScrollPositionScript = "folioPageScrollOffset();";
    static constexpr const char* kScrollToScript = "folioPageScrollTo({});";
    std::string focusScript() const override { return "tinymce.activeEditor.focus();"; }

    virtual const EditorTraits& traits() const
    {
        static const EditorTraits text;
        return text;
    }
};

} // namespace folio
