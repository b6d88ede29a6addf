#include "qvoutline/QVOutlineDialect.h"

namespace folio {

namespace {

QVTextDialect::EditorTraits outlineTraits()
{
    QVTextDialect::EditorTraits traits;
    traits.editorHeightInset = 44;
    traits.pageUpDownRightInset = 36;
    traits.headerFooterElement = "span";
    traits.hasTextStyleItem = false;
    traits.toolsItemFollowsKeyboard = false;
    traits.pageCounterEnablesUndoRedo = false;
    traits.savesCaretBeforePanels = false;
    traits.scannedLinesStayLines = false;
    traits.readAloudShowsSpeechMenu = false;
    traits.keyboardAlwaysScrollsSelectionIntoView = true;
    traits.selectsInsertedPicture = false;
    traits.ignoresPictureTouchWhileScrolling = true;
    return traits;
}

} // namespace

const QVTextDialect::EditorTraits& QVOutlineDialect::traits() const
{
    static const EditorTraits outline = outlineTraits();
    return outline;
}

} // namespace folio
