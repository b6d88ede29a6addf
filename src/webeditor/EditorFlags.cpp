#include "webeditor/EditorFlags.h"

namespace folio {

EditorFlags& EditorFlags::shared()
{
    static EditorFlags flags;
    return flags;
}

void EditorFlags::reset()
{
    currentDocumentTextZoomPercent = 0;
    isFindOnPageVisible = false;
    isShowingExportMenuFromDocument = false;
    pageUpDownButtonPressed = false;
    isiPadPro = false;
    selectedFontNameInPanel.reset();
}

} // namespace folio
