#pragma once

#include <memory>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class BarButtonItemGroup;
class View;

// What a controller shows in its navigation bar. Items may be set either as
// plain left and right lists or as groups; the groups win when both are set,
// as they do on the system versions that have them.
class NavigationItem {
public:
    NavigationItem() = default;
    explicit NavigationItem(std::u16string title) : m_title(std::move(title)) {}
    virtual ~NavigationItem() = default;

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title);
    const std::shared_ptr<View>& titleView() const { return m_titleView; }
    void setTitleView(std::shared_ptr<View> view);
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides);

    const std::vector<std::shared_ptr<BarButtonItem>>& leftBarButtonItems() const { return m_leftItems; }
    void setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);
    const std::vector<std::shared_ptr<BarButtonItem>>& rightBarButtonItems() const { return m_rightItems; }
    void setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);

    const std::vector<std::shared_ptr<BarButtonItemGroup>>& leadingItemGroups() const { return m_leadingGroups; }
    void setLeadingItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups);
    const std::vector<std::shared_ptr<BarButtonItemGroup>>& centerItemGroups() const { return m_centerGroups; }
    void setCenterItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups);
    const std::vector<std::shared_ptr<BarButtonItemGroup>>& trailingItemGroups() const { return m_trailingGroups; }
    void setTrailingItemGroups(std::vector<std::shared_ptr<BarButtonItemGroup>> groups);

    // The items the bar shows at its leading and trailing ends, leading first
    // in reading order and trailing from the outer edge inwards (as right
    // items are listed).
    std::vector<std::shared_ptr<BarButtonItem>> effectiveLeadingItems() const;
    std::vector<std::shared_ptr<BarButtonItem>> effectiveTrailingItems() const;
    // Searches both ends (and centre groups) for an item with this title.
    std::shared_ptr<BarButtonItem> itemWithTitle(const std::u16string& title) const;

private:
    void changed();

    std::u16string m_title;
    std::shared_ptr<View> m_titleView;
    bool m_hidesBackButton = false;
    std::vector<std::shared_ptr<BarButtonItem>> m_leftItems;
    std::vector<std::shared_ptr<BarButtonItem>> m_rightItems;
    std::vector<std::shared_ptr<BarButtonItemGroup>> m_leadingGroups;
    std::vector<std::shared_ptr<BarButtonItemGroup>> m_centerGroups;
    std::vector<std::shared_ptr<BarButtonItemGroup>> m_trailingGroups;
};

} // namespace folio
