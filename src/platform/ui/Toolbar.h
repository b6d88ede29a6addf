#pragma once

#include "platform/ui/View.h"

#include <memory>
#include <vector>

namespace folio {

class BarButtonItem;

// A row of bar items (the keyboard tool rows). Items are shared with whoever
// made them, so changing an item shows at once.
class Toolbar : public View {
public:
    using View::View;

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return m_items; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items) { m_items = std::move(items); }
    std::shared_ptr<BarButtonItem> itemWithTag(long tag) const;

private:
    std::vector<std::shared_ptr<BarButtonItem>> m_items;
};

} // namespace folio
