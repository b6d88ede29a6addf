#include "qvoutline/QVOutlineDialect.h"

namespace folio {

namespace {

QVTextDialect::EditorTraits outlineTraits()
{
    QVTextDialect::EditorTraits traits;
    // The outline's bar is taller, and its page-up/down panel sits closer
    // to the edge.
    traits.editorHeightInset = 44;
    traits.pageUpDownRightInset = 36;
    traits.headerFooterElement = "span";
    traits.barGroupPrefix = "QVOutline_";
    // Branches style themselves: there is no text-style item.
    traits.hasTextStyleItem = false;
    traits.toolsItemFollowsKeyboard = false;
    traits.pageCounterEnablesUndoRedo = false;
    traits.savesCaretBeforePanels = false;
    traits.assistantSourceType = 5;
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
