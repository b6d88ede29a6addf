#pragma once

#include "webeditor/PageDialect.h"

namespace folio {

// The QV text page edits through TinyMCE inside an iframe and says itself
// when its editor is up ("rte://DOMLoaded"), which comes after the document's
// own ready state.
class QVTextDialect : public PageDialect {
public:
    static constexpr const char* kReadySignal = "rte://DOMLoaded";

    std::string readySignal() const override { return kReadySignal; }
    std::string undoScript() const override { return "tinymce.activeEditor.execCommand('undo');"; }
    std::string redoScript() const override { return "tinymce.activeEditor.execCommand('redo');"; }
    std::string canUndoScript() const override { return "tinymce.activeEditor.undoManager.hasUndo();"; }
    std::string canRedoScript() const override { return "tinymce.activeEditor.undoManager.hasRedo();"; }
    std::string scrollPositionScript() const override
    {
        return "tinymce.DOM.getViewPort(tinymce.activeEditor.getWin()).y";
    }
    std::string focusScript() const override { return "tinymce.activeEditor.focus();"; }
};

} // namespace folio
