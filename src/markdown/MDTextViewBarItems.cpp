#include "markdown/MDTextViewBarItems.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Presenter.h"

namespace folio {

namespace {

BarButtonItem::Handler run(const std::function<void()>& action)
{
    return [action](BarButtonItem&) {
        if (action)
            action();
    };
}

std::shared_ptr<BarButtonItem> symbolItem(const char* symbol, const std::function<void()>& action)
{
    return BarButtonItem::withSymbol(symbol, run(action));
}

} // namespace

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::shareDocumentBarButtonItem()
{
    if (!m_share) {
        // The menu is made again as it opens: the actions for the open file
        // exist only once the document is open, after the item was made.
        m_share = BarButtonItem::withSymbol("square.and.arrow.up", [this](BarButtonItem& item) {
            // The text gives up the keyboard while the person picks where
            // the document goes.
            if (m_actions.endEditing)
                m_actions.endEditing();
            regenerateShareDocumentMenu();
            if (item.menu())
                Presenter::current().menuRequested(*item.menu(), &item);
        });
        regenerateShareDocumentMenu();
    }
    return m_share;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::toolsBarButtonItem()
{
    if (!m_tools) {
        m_tools = BarButtonItem::withSymbol("doc.badge.gearshape", {});
        regenerateToolsMenu();
    }
    return m_tools;
}

void MDTextViewBarItems::regenerateShareDocumentMenu()
{
    if (m_share)
        m_share->setMenu(m_actions.shareMenu ? m_actions.shareMenu() : nullptr);
}

void MDTextViewBarItems::regenerateToolsMenu()
{
    if (m_tools)
        m_tools->setMenu(m_actions.toolsMenu ? m_actions.toolsMenu() : nullptr);
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::previewMDDocumentBarButtonItem()
{
    if (!m_preview)
        m_preview = symbolItem("eye", m_actions.preview);
    return m_preview;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::undoMDBarButtonItem()
{
    if (!m_undo)
        m_undo = symbolItem("arrow.uturn.left", m_actions.undo);
    return m_undo;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::redoMDBarButtonItem()
{
    if (!m_redo)
        m_redo = symbolItem("arrow.uturn.forward", m_actions.redo);
    return m_redo;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::compactCloseDocumentBarButtonItem()
{
    if (!m_compactClose)
        m_compactClose = symbolItem("chevron.backward", m_actions.close);
    return m_compactClose;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::closeDocumentBarButtonItem()
{
    if (!m_close) {
        m_close = BarButtonItem::withTitle(
            toUtf16(Localization::localizedString("Documents <back button>", "Documents", "DocKitUIDocument")),
            run(m_actions.close));
    }
    return m_close;
}

const std::shared_ptr<BarButtonItem>& MDTextViewBarItems::textStyleBarButtonItem()
{
    if (!m_textStyle)
        m_textStyle = symbolItem("paintbrush", m_actions.textStyle);
    return m_textStyle;
}

std::vector<std::shared_ptr<BarButtonItem>> MDTextViewBarItems::leftItems(bool tablet,
                                                                          const std::shared_ptr<View>& savingIndicator)
{
    std::vector<std::shared_ptr<BarButtonItem>> items{compactCloseDocumentBarButtonItem()};
    if (tablet && savingIndicator)
        items.push_back(BarButtonItem::withCustomView(savingIndicator));
    items.push_back(undoMDBarButtonItem());
    items.push_back(redoMDBarButtonItem());
    return items;
}

std::vector<std::shared_ptr<BarButtonItem>> MDTextViewBarItems::rightItems(bool tablet, bool tex)
{
    std::vector<std::shared_ptr<BarButtonItem>> items{shareDocumentBarButtonItem(), toolsBarButtonItem()};
    if (tablet) {
        items.push_back(BarButtonItem::fixedSpace(kTabletSpacing));
        items.push_back(textStyleBarButtonItem());
        items.push_back(BarButtonItem::fixedSpace(kTabletSpacing));
    } else {
        items.push_back(textStyleBarButtonItem());
    }
    if (!tex)
        items.push_back(previewMDDocumentBarButtonItem());
    return items;
}

} // namespace folio
