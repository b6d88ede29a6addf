#include "tools/specialchars/PagedGridViewCell.h"

namespace folio {

PagedGridViewCell::PagedGridViewCell(std::string reuseIdentifier) : m_reuseIdentifier(std::move(reuseIdentifier)) {}

} // namespace folio
