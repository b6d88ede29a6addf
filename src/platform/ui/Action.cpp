#include "platform/ui/Action.h"

namespace folio {

bool Action::perform()
{
    if (m_disabled)
        return false;
    // The handler may drop the last reference to the menu that holds us.
    auto keep = weak_from_this().lock();
    if (m_handler)
        m_handler(*this);
    return true;
}

} // namespace folio
