#include "tools/specialchars/PagedGridViewCell.h"

namespace folio {

PagedGridViewCell::PagedGridViewCell(std::string reuseIdentifier) : m_reuseIdentifier(std::move(reuseIdentifier)) {}

void PagedGridViewCell::updateTitle()
{
    // The cell shows its button, not the label: the font set on the label
    // is the title's.
    if (m_textLabel->font())
        setTitleFont(m_textLabel->font());
    setTitle(m_textLabel->text());
}

} // namespace folio
