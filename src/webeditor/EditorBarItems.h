#pragma once

#include "platform/graphics/Geometry.h"
#include "webeditor/BarLayout.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class BarButtonItem;
class Menu;
class NavigationItem;

// A web-view editor's navigation-bar items, made on first request and
// kept, and their placement for the window's width (BarLayout by default,
// or the editor's own table).
class EditorBarItems {
public:
    using Layout = std::function<BarLayout::Result(const BarLayout::Input&)>;

    struct Host {
        std::function<void()> undoAction{};
        std::function<void()> redoAction{};
        std::function<void()> closeDocument{};
        // The menus of the tools, share and insert items; null hides the item.
        std::function<std::shared_ptr<Menu>(BarButtonItem*)> toolMenuActions{};
        std::function<std::shared_ptr<Menu>(BarButtonItem*)> exportMenuActions{};
        std::function<std::shared_ptr<Menu>()> insertItemMenu{};
        std::function<void(BarButtonItem&)> showTextStyleMenu{};
        // A tap on the tools item when the application gives it no menu;
        // without either the item is hidden.
        std::function<void(BarButtonItem&)> showToolsMenu{};
        // The editor's own name before the customisation identifiers of the
        // groups ("Text_Undo_GroupCustomization").
        std::string groupPrefix = "Text";
        // The editor's own placement table; BarLayout's when empty.
        Layout layout{};
        // The compact close item's symbol size away from a tablet.
        double compactCloseSymbolPointSizeOnPhone = 16;
        // An editor without a text-style item places neither it nor its group.
        bool hasTextStyleItem = true;
    };

    // Symbol sizes in points: every item's on a tablet and elsewhere.
    static constexpr double kPadSymbolPointSize = 18;
    static constexpr double kPhoneSymbolPointSize = 14;

    explicit EditorBarItems(Host host);

    const std::shared_ptr<BarButtonItem>& undoBarButtonItem();
    const std::shared_ptr<BarButtonItem>& redoBarButtonItem();
    const std::shared_ptr<BarButtonItem>& closeDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& compactCloseDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& toolsBarButtonItem();
    const std::shared_ptr<BarButtonItem>& shareDocumentBarButtonItem();
    const std::shared_ptr<BarButtonItem>& insertItemBarButtonItem();
    // The insert menu's rows come from the editor's insert commands.
    void setInsertItemMenu(std::function<std::shared_ptr<Menu>()> menu)
    {
        m_host.insertItemMenu = std::move(menu);
        if (m_insert)
            regenerateInsertMenu();
    }
    const std::shared_ptr<BarButtonItem>& textStyleBarButtonItem();
    // The writing assistant's item, when that feature gives one.
    void setWisperantBarButtonItem(std::shared_ptr<BarButtonItem> item) { m_wisperant = std::move(item); }

    void regenerateToolsMenu();
    void regenerateShareMenu();
    void regenerateInsertMenu();

    // Places the items on `navigation` for a view of `size`, from the
    // current device and screen.
    void updateMainToolBarButtonsToSize(NavigationItem& navigation, Size size, bool regularWidth);
    // The same from a given layout.
    void apply(NavigationItem& navigation, const BarLayout::Result& layout);

private:
    std::shared_ptr<BarButtonItem> itemForLetter(char letter);
    // The application's indicator of a save in progress, on the bar's
    // leading side after the layout's items; none without an application.
    std::shared_ptr<BarButtonItem> savingIndicatorItem();

    Host m_host;
    std::shared_ptr<BarButtonItem> m_undo, m_redo, m_close, m_compactClose, m_tools, m_share, m_insert, m_textStyle,
        m_wisperant, m_fixedSpace, m_saving;
};

} // namespace folio
