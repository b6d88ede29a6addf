#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class BarButtonItem;
class Menu;
class View;

// The navigation-bar items of the Markdown editor and the order they stand
// in. Each item is made on first request and kept; what the items do is
// given by their owner.
class MDTextViewBarItems {
public:
    struct Actions {
        std::function<void()> close;
        std::function<void()> undo;
        std::function<void()> redo;
        std::function<void()> preview;
        std::function<void()> textStyle;
        // Run as the share menu is about to show.
        std::function<void()> endEditing;
        // Asked each time the item is made; null leaves the item without a menu.
        std::function<std::shared_ptr<Menu>()> shareMenu;
        std::function<std::shared_ptr<Menu>()> toolsMenu;
    };
    // The gap between the text-style item and its neighbours on a tablet.
    static constexpr double kTabletSpacing = 16;

    explicit MDTextViewBarItems(Actions actions) : m_actions(std::move(actions)) {}

    const std::shared_ptr<BarButtonItem>& shareDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& toolsBarButtonItem();
    const std::shared_ptr<BarButtonItem>& previewMDDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& undoMDBarButtonItem();
    const std::shared_ptr<BarButtonItem>& redoMDBarButtonItem();
    const std::shared_ptr<BarButtonItem>& compactCloseDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& closeDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& textStyleBarButtonItem();

    // Menus change with the document's state; they are asked for again.
    void regenerateShareDocumentMenu();
    void regenerateToolsMenu();

    // Listed from the outer edge inwards. A tablet also shows the saving
    // indicator on the left and spaces the right items; TeX has no preview.
    std::vector<std::shared_ptr<BarButtonItem>> leftItems(bool tablet, const std::shared_ptr<View>& savingIndicator);
    std::vector<std::shared_ptr<BarButtonItem>> rightItems(bool tablet, bool tex);

private:
    Actions m_actions;
    std::shared_ptr<BarButtonItem> m_share;
    std::shared_ptr<BarButtonItem> m_tools;
    std::shared_ptr<BarButtonItem> m_preview;
    std::shared_ptr<BarButtonItem> m_undo;
    std::shared_ptr<BarButtonItem> m_redo;
    std::shared_ptr<BarButtonItem> m_compactClose;
    std::shared_ptr<BarButtonItem> m_close;
    std::shared_ptr<BarButtonItem> m_textStyle;
};

} // namespace folio
