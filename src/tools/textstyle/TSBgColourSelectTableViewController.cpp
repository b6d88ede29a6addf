#include "tools/textstyle/TSBgColourSelectTableViewController.h"

#include "tools/textstyle/TextStyleLists.h"

namespace folio {

const std::vector<std::string>& TSBgColourSelectTableViewController::colourNames() const { return paperColourNames(); }

void TSBgColourSelectTableViewController::notifyDelegate(const std::string& colour)
{
    if (auto delegate = m_delegate.lock())
        delegate->colourSelectTableViewControllerDidSelectBackgroundColour(*this, colour);
}

} // namespace folio
