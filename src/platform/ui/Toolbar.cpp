#include "platform/ui/Toolbar.h"

#include "platform/ui/BarButtonItem.h"

namespace folio {

std::shared_ptr<BarButtonItem> Toolbar::itemWithTag(long tag) const
{
    for (const auto& item : m_items) {
        if (item && item->tag() == tag)
            return item;
    }
    return nullptr;
}

} // namespace folio
