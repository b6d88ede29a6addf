#include "webeditor/EditorBarItems.h"

#include "platform/docframework/DKDocumentAppController.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/Device.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"

namespace folio {

namespace {

std::u16string barItemText(std::string_view key, std::string_view fallback = {}, std::string_view table = Localization::kDefaultTable)
{
    return toUtf16(Localization::localizedString(key, fallback, table));
}

double symbolPointSize(double onPhone)
{
    return Device::current().isPad() ? EditorBarItems::kPadSymbolPointSize : onPhone;
}

std::shared_ptr<BarButtonItem> symbolItem(const char* symbol, std::string_view title, std::function<void()> action,
                                          double pointSizeOnPhone = EditorBarItems::kPhoneSymbolPointSize)
{
    // Without an action a tap opens the item's menu, so none is set then.
    BarButtonItem::Handler handler;
    if (action)
        handler = [action = std::move(action)](BarButtonItem&) { action(); };
    auto item = BarButtonItem::withSymbol(symbol, std::move(handler));
    if (!title.empty())
        item->setTitle(barItemText(title));
    item->setSymbolPointSize(symbolPointSize(pointSizeOnPhone));
    return item;
}

} // namespace

EditorBarItems::EditorBarItems(Host host)
    : m_host(std::move(host))
{
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::undoBarButtonItem()
{
    if (!m_undo)
        m_undo = symbolItem("arrow.uturn.backward", "Undo", m_host.undoAction);
    return m_undo;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::redoBarButtonItem()
{
    if (!m_redo)
        m_redo = symbolItem("arrow.uturn.forward", "Redo", m_host.redoAction);
    return m_redo;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::closeDocumentBarButtonItem()
{
    if (!m_close) {
        m_close = BarButtonItem::withTitle(barItemText("Documents <back button>", "Documents", "DocKitUIDocument"),
                                           [close = m_host.closeDocument](BarButtonItem&) {
                                               if (close)
                                                   close();
                                           });
    }
    return m_close;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::compactCloseDocumentBarButtonItem()
{
    if (!m_compactClose)
        m_compactClose = symbolItem("chevron.backward", {}, m_host.closeDocument, m_host.compactCloseSymbolPointSizeOnPhone);
    return m_compactClose;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::toolsBarButtonItem()
{
    if (!m_tools) {
        BarButtonItem::Handler tap;
        if (m_host.showToolsMenu)
            tap = [show = m_host.showToolsMenu](BarButtonItem& item) { show(item); };
        m_tools = BarButtonItem::withSymbol("doc.badge.gearshape", std::move(tap));
        m_tools->setTitle(barItemText("Tools"));
        m_tools->setSymbolPointSize(symbolPointSize(kPhoneSymbolPointSize));
        // The item does not exist yet while its first menu is built.
        std::shared_ptr<Menu> actions = m_host.toolMenuActions ? m_host.toolMenuActions(nullptr) : nullptr;
        m_tools->setMenu(actions ? Menu::make(u"", actions->children()) : nullptr);
        m_tools->setHidden(!m_tools->menu() && !m_host.showToolsMenu);
    }
    return m_tools;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::shareDocumentBarButtonItem()
{
    if (!m_share) {
        m_share = symbolItem("square.and.arrow.up", "Share", {});
        std::shared_ptr<Menu> actions = m_host.exportMenuActions ? m_host.exportMenuActions(nullptr) : nullptr;
        m_share->setMenu(actions ? Menu::make(u"", actions->children()) : nullptr);
        m_share->setHidden(!m_share->menu());
    }
    return m_share;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::insertItemBarButtonItem()
{
    if (!m_insert) {
        m_insert = symbolItem("plus", "Insert", {});
        regenerateInsertMenu();
    }
    return m_insert;
}

const std::shared_ptr<BarButtonItem>& EditorBarItems::textStyleBarButtonItem()
{
    if (!m_textStyle) {
        m_textStyle = BarButtonItem::withSymbol("paintbrush", [show = m_host.showTextStyleMenu](BarButtonItem& item) {
            if (show)
                show(item);
        });
        m_textStyle->setTitle(barItemText("Style"));
        m_textStyle->setSymbolPointSize(symbolPointSize(kPhoneSymbolPointSize));
    }
    return m_textStyle;
}

void EditorBarItems::regenerateToolsMenu()
{
    BarButtonItem* item = toolsBarButtonItem().get();
    std::shared_ptr<Menu> actions = m_host.toolMenuActions ? m_host.toolMenuActions(item) : nullptr;
    item->setMenu(actions ? Menu::make(u"", actions->children()) : nullptr);
    item->setHidden(!item->menu() && !m_host.showToolsMenu);
}

void EditorBarItems::regenerateShareMenu()
{
    BarButtonItem* item = shareDocumentBarButtonItem().get();
    std::shared_ptr<Menu> actions = m_host.exportMenuActions ? m_host.exportMenuActions(item) : nullptr;
    item->setMenu(actions ? Menu::make(u"", actions->children()) : nullptr);
    item->setHidden(!item->menu());
}

void EditorBarItems::regenerateInsertMenu()
{
    std::shared_ptr<Menu> actions = m_host.insertItemMenu ? m_host.insertItemMenu() : nullptr;
    m_insert->setMenu(actions ? Menu::make(u"", actions->children()) : nullptr);
    m_insert->setHidden(!m_insert->menu());
}

std::shared_ptr<BarButtonItem> EditorBarItems::itemForLetter(char letter)
{
    switch (letter) {
    case 'C':
        return compactCloseDocumentBarButtonItem();
    case 'W':
        return m_wisperant;
    case 'U':
        return undoBarButtonItem();
    case 'R':
        return redoBarButtonItem();
    case 'Y':
        return m_host.hasTextStyleItem ? textStyleBarButtonItem() : nullptr;
    case 'I':
        return insertItemBarButtonItem();
    case 'T':
        return toolsBarButtonItem();
    case 'S':
        return shareDocumentBarButtonItem();
    case '_':
        if (!m_fixedSpace)
            m_fixedSpace = BarButtonItem::fixedSpace(30);
        return m_fixedSpace;
    default:
        return nullptr;
    }
}

void EditorBarItems::apply(NavigationItem& navigation, const BarLayout::Result& layout)
{
    auto itemsOf = [this](const std::string& letters) {
        std::vector<std::shared_ptr<BarButtonItem>> items;
        for (char letter : letters) {
            if (std::shared_ptr<BarButtonItem> item = itemForLetter(letter))
                items.push_back(std::move(item));
        }
        return items;
    };
    if (const std::shared_ptr<View>& title = navigation.titleView())
        title->setHidden(layout.titleViewHidden);
    std::shared_ptr<BarButtonItem> saving = savingIndicatorItem();
    if (!layout.usesGroups) {
        std::vector<std::shared_ptr<BarButtonItem>> leading = itemsOf(layout.leading);
        if (saving)
            leading.push_back(saving);
        navigation.setLeftBarButtonItems(std::move(leading));
        navigation.setRightBarButtonItems(itemsOf(layout.trailing));
        return;
    }
    auto groupsOf = [this](const std::string& letters) {
        std::vector<std::shared_ptr<BarButtonItemGroup>> groups;
        for (char letter : letters) {
            std::shared_ptr<BarButtonItem> item = itemForLetter(letter);
            if (!item)
                continue;
            switch (letter) {
            case 'U':
                groups.push_back(BarButtonItemGroup::movableGroup(m_host.groupPrefix + "_Undo_GroupCustomization", {item}));
                break;
            case 'R':
                groups.push_back(BarButtonItemGroup::movableGroup(m_host.groupPrefix + "_Redo_GroupCustomization", {item}));
                break;
            case 'S':
                groups.push_back(BarButtonItemGroup::optionalGroup(m_host.groupPrefix + "_Share_GroupCustomization", true, {item}));
                break;
            case 'T':
                groups.push_back(BarButtonItemGroup::optionalGroup(m_host.groupPrefix + "_Tools_GroupCustomization", true, {item}));
                break;
            case 'I':
                groups.push_back(BarButtonItemGroup::optionalGroup(m_host.groupPrefix + "_InsertItem_GroupCustomization", true, {item}));
                break;
            case 'Y':
                groups.push_back(BarButtonItemGroup::optionalGroup(m_host.groupPrefix + "_TextStyle_GroupCustomization", true, {item}));
                break;
            default:
                groups.push_back(BarButtonItemGroup::fixedGroup({item}));
                break;
            }
        }
        return groups;
    };
    std::vector<std::shared_ptr<BarButtonItemGroup>> leading = groupsOf(layout.leading);
    if (saving)
        leading.push_back(BarButtonItemGroup::fixedGroup({saving}));
    navigation.setLeadingItemGroups(std::move(leading));
    navigation.setCenterItemGroups({});
    navigation.setTrailingItemGroups(groupsOf(layout.trailing));
}

std::shared_ptr<BarButtonItem> EditorBarItems::savingIndicatorItem()
{
    DKDocumentAppController* application = DKDocumentAppController::controller();
    if (!application || !application->savingIndicator())
        return nullptr;
    std::shared_ptr<View> indicator = std::static_pointer_cast<View>(application->savingIndicator());
    if (!m_saving || m_saving->customView() != indicator)
        m_saving = BarButtonItem::withCustomView(indicator);
    return m_saving;
}

void EditorBarItems::updateMainToolBarButtonsToSize(NavigationItem& navigation, Size size, bool regularWidth)
{
    const Device& device = Device::current();
    BarLayout::Input input;
    input.isPhone = !device.isPad();
    input.viewSize = size;
    input.screenBounds = device.screenBounds();
    input.orientation = device.orientation();
    input.systemMajorVersion = device.systemMajorVersion();
    input.regularWidth = regularWidth;
    apply(navigation, m_host.layout ? m_host.layout(input) : BarLayout::layoutFor(input));
}

} // namespace folio
