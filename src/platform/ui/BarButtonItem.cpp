#include "platform/ui/BarButtonItem.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/View.h"

namespace folio {

std::shared_ptr<BarButtonItem> BarButtonItem::withTitle(std::u16string title, Handler action)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_title = std::move(title);
    item->m_action = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withSymbol(std::string symbolName, Handler action)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_symbolName = std::move(symbolName);
    item->m_action = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::withCustomView(std::shared_ptr<View> view)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_customView = std::move(view);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::fixedSpace(double width)
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_systemItem = BarButtonSystemItem::FixedSpace;
    item->m_width = width;
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::flexibleSpace()
{
    auto item = std::make_shared<BarButtonItem>();
    item->m_systemItem = BarButtonSystemItem::FlexibleSpace;
    return item;
}

void BarButtonItem::setTitle(std::u16string title)
{
    m_title = std::move(title);
    changed();
}

void BarButtonItem::setSymbolName(std::string symbolName)
{
    m_symbolName = std::move(symbolName);
    changed();
}

void BarButtonItem::setSymbolPointSize(double points)
{
    m_symbolPointSize = points;
    changed();
}

void BarButtonItem::setImage(std::shared_ptr<const Image> image)
{
    m_image = std::move(image);
    changed();
}

void BarButtonItem::setCustomView(std::shared_ptr<View> view)
{
    m_customView = std::move(view);
    changed();
}

void BarButtonItem::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Presenter::current().barButtonItemEnabledDidChange(*this);
}

void BarButtonItem::setMenu(std::shared_ptr<Menu> menu)
{
    m_menu = std::move(menu);
    changed();
}

void BarButtonItem::setHidden(bool hidden)
{
    if (m_hidden == hidden)
        return;
    m_hidden = hidden;
    changed();
}

bool BarButtonItem::tap()
{
    if (!m_enabled || m_hidden || m_systemItem != BarButtonSystemItem::None)
        return false;
    // The action may release the controller that owns this item.
    auto keep = weak_from_this().lock();
    if (m_action) {
        auto action = m_action;
        action(*this);
        return true;
    }
    if (m_menu) {
        Presenter::current().menuRequested(*m_menu, this);
        return true;
    }
    return false;
}

void BarButtonItem::changed() { Presenter::current().barButtonItemDidChange(*this); }

} // namespace folio
