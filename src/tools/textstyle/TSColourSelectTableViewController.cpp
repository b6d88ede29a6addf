#include "tools/textstyle/TSColourSelectTableViewController.h"

#include "tools/textstyle/TextStyleLists.h"

namespace folio {

const std::vector<std::string>& TSColourSelectTableViewController::colourNames() const { return textColourNames(); }

void TSColourSelectTableViewController::notifyDelegate(const std::string& colour)
{
    if (auto delegate = m_delegate.lock())
        delegate->colourSelectTableViewControllerDidSelectColour(*this, colour);
}

} // namespace folio
