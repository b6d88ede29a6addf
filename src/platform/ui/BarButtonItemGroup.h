#pragma once

#include <memory>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;

// How the bar may treat a group when the user customises it or space runs out.
enum class BarButtonItemGroupKind { Fixed, Movable, Optional };

class BarButtonItemGroup {
public:
    BarButtonItemGroup(std::vector<std::shared_ptr<BarButtonItem>> items, BarButtonItemGroupKind kind = BarButtonItemGroupKind::Fixed,
                       std::string customizationIdentifier = {}, bool inDefaultCustomization = true)
        : m_items(std::move(items)), m_kind(kind), m_customizationIdentifier(std::move(customizationIdentifier)),
          m_inDefaultCustomization(inDefaultCustomization)
    {
    }

    static std::shared_ptr<BarButtonItemGroup> fixedGroup(std::vector<std::shared_ptr<BarButtonItem>> items)
    {
        return std::make_shared<BarButtonItemGroup>(std::move(items));
    }
    static std::shared_ptr<BarButtonItemGroup> movableGroup(std::string identifier, std::vector<std::shared_ptr<BarButtonItem>> items)
    {
        return std::make_shared<BarButtonItemGroup>(std::move(items), BarButtonItemGroupKind::Movable, std::move(identifier));
    }
    static std::shared_ptr<BarButtonItemGroup> optionalGroup(std::string identifier, bool inDefaultCustomization,
                                                             std::vector<std::shared_ptr<BarButtonItem>> items)
    {
        return std::make_shared<BarButtonItemGroup>(std::move(items), BarButtonItemGroupKind::Optional, std::move(identifier),
                                                    inDefaultCustomization);
    }

    const std::vector<std::shared_ptr<BarButtonItem>>& barButtonItems() const { return m_items; }
    void setBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items) { m_items = std::move(items); }
    BarButtonItemGroupKind kind() const { return m_kind; }
    const std::string& customizationIdentifier() const { return m_customizationIdentifier; }
    bool isInDefaultCustomization() const { return m_inDefaultCustomization; }
    // The item that stands for the whole group when the bar collapses it.
    const std::shared_ptr<BarButtonItem>& representativeItem() const { return m_representativeItem; }
    void setRepresentativeItem(std::shared_ptr<BarButtonItem> item) { m_representativeItem = std::move(item); }

private:
    std::vector<std::shared_ptr<BarButtonItem>> m_items;
    BarButtonItemGroupKind m_kind;
    std::string m_customizationIdentifier;
    bool m_inDefaultCustomization;
    std::shared_ptr<BarButtonItem> m_representativeItem;
};

} // namespace folio
