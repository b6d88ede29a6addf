#pragma once

#include <optional>
#include <string>

namespace folio {

// The state the web-view editors, the find bar and the zoom slice share
// across the process. Kept in one object so that a closing editor, or a
// test, can put all of it back at once.
struct EditorFlags {
    // The rich-text editor's text zoom in percent; 0 until an editor sets it
    // (readers take 0 as 100).
    long long currentDocumentTextZoomPercent = 0;
    // The find bar or the link bar sits above the keyboard.
    bool isFindOnPageVisible = false;
    bool isShowingExportMenuFromDocument = false;
    bool pageUpDownButtonPressed = false;
    bool isiPadPro = false;
    // The font the style panel last picked, until the editor applied it.
    std::optional<std::string> selectedFontNameInPanel;

    static EditorFlags& shared();
    void reset();
};

} // namespace folio
