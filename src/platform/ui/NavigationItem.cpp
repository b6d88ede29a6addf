#include "platform/ui/NavigationItem.h"

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/Presenter.h"

namespace folio {

namespace {
std::vector<std::shared_ptr<BarButtonItem>> flatten(const std::vector<std::shared_ptr<BarButtonItemGroup>>& groups)
{
    std::vector<std::shared_ptr<BarButtonItem>> items;
    for (const auto& group : groups) {
        if (!group)
            continue;
        for (const auto& item : group->barButtonItems()) {
            if (item)
                items.push_back(item);
        }
    }
    return items;
}
} // namespace

void NavigationItem::setTitle(std::u16string title)
{
    m_title = std::move(title);
    changed();
}

void NavigationItem::setTitleView(std::shared_ptr<View> view)
{
    m_titleView = std::move(view);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides)
{
    m_hidesBackButton = hides;
    changed();
}

void NavigationItem::setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items)
{
    m_leftItems = std::move(items);
    changed();
}

void NavigationItem::setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items)
{
    m_rightItems = std::move(items);
    changed();
}

void NavigationItem::setLeadingItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups)
{
    m_leadingGroups = std::move(groups);
    changed();
}

void NavigationItem::setCenterItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups)
{
    m_centerGroups = std::move(groups);
    changed();
}

void NavigationItem::setTrailingItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups)
{
    m_trailingGroups = std::move(groups);
    changed();
}

std::vector<std::shared_ptr<BarButtonItem>> NavigationItem::effectiveLeadingItems() const
{
    return m_leadingGroups.empty() ? m_leftItems : flatten(m_leadingGroups);
}

std::vector<std::shared_ptr<BarButtonItem>> NavigationItem::effectiveTrailingItems() const
{
    return m_trailingGroups.empty() ? m_rightItems : flatten(m_trailingGroups);
}

std::shared_ptr<BarButtonItem> NavigationItem::itemWithTitle(const std::u16string& title) const
{
    for (const auto& list : {effectiveLeadingItems(), flatten(m_centerGroups), effectiveTrailingItems()}) {
        for (const auto& item : list) {
            if (item->title() == title)
                return item;
        }
    }
    return nullptr;
}

void NavigationItem::changed() { Presenter::current().navigationItemDidChange(*this); }

} // namespace folio
