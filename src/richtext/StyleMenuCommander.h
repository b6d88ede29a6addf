#pragma once

#include <functional>
#include <memory>

namespace folio {

class NavigationController;
class PageConnection;
class StylePresetCommander;

// Runs the entries of the style menu (StyleMenuEntries) on the selection,
// and answers the menu's choice: the caret is put back where it was, the
// progress overlay shown for a long selection, and the entry run on the
// next turn, once the menu has closed.
class StyleMenuCommander {
public:
    enum Entry : long { HighlightYellow = 6, HighlightGreen = 7, HighlightRed = 8, RemoveHighlight = 9 };

    struct Host {
        std::function<void()> documentIsDirty{};
        // Shows the progress overlay when a long text is selected.
        std::function<void()> showProgressHUDifNeeded{};
        // The navigation controller the menu is shown in on phones; null otherwise.
        std::function<std::shared_ptr<NavigationController>()> otherPickerNavigationController{};
        std::function<void()> forgetOtherPickerNavigationController{};
    };

    StyleMenuCommander(PageConnection& page, StylePresetCommander& presets, Host host);
    ~StyleMenuCommander();
    StyleMenuCommander(const StyleMenuCommander&) = delete;
    StyleMenuCommander& operator=(const StyleMenuCommander&) = delete;

    // Any number outside the menu runs nothing, but the overlay still goes
    // and the document is still marked changed.
    void otherStyleTextTask(long entry);
    void optionSelected(long row);

    // The highlight commands of the edit menu and the keyboard.
    void highlightSelectionYellow() { otherStyleTextTask(HighlightYellow); }
    void highlightSelectionGreen() { otherStyleTextTask(HighlightGreen); }
    void highlightSelectionRed() { otherStyleTextTask(HighlightRed); }
    void removeHighlightSelection() { otherStyleTextTask(RemoveHighlight); }

private:
    void removeHighlight(bool nothingSelected);
    void runAfterMenu(long row);

    PageConnection& m_page;
    StylePresetCommander& m_presets;
    Host m_host;
};

} // namespace folio
