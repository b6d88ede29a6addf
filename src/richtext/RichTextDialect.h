#pragma once

#include "webeditor/PageDialect.h"

namespace folio {

// The rich-text page edits its own document with execCommand and scrolls
// inside its element "content".
class RichTextDialect final : public PageDialect {
public:
    std::string readySignal() const override;
    std::string undoScript() const override { return "document.execCommand('undo');"; }
    std::string redoScript() const override { return "document.execCommand('redo');"; }
    std::string canUndoScript() const override { return "document.queryCommandEnabled('undo')"; }
    std::string canRedoScript() const override { return "document.queryCommandEnabled('redo')"; }
    std::string scrollPositionScript() const override { return "document.getElementById('content').scrollTop"; }
    std::string focusScript() const override { return "document.getElementById('content').focus();restoreCaretSelection ();"; }
};

} // namespace folio
