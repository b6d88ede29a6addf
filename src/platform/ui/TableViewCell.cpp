#include "platform/ui/TableViewCell.h"

#include "platform/ui/ImageView.h"

namespace folio {

TableViewCell::TableViewCell(TableViewCellStyle style, std::string reuseIdentifier)
    : View(makeRect(0, 0, 320, 44)), m_style(style), m_reuseIdentifier(std::move(reuseIdentifier)),
      m_textLabel(std::make_shared<Label>()), m_imageView(std::make_shared<ImageView>())
{
    if (style != TableViewCellStyle::Default)
        m_detailTextLabel = std::make_shared<Label>();
}

void TableViewCell::prepareForReuse()
{
    m_textLabel = std::make_shared<Label>();
    if (m_detailTextLabel)
        m_detailTextLabel = std::make_shared<Label>();
    m_imageView = std::make_shared<ImageView>();
    m_accessoryType = TableViewCellAccessoryType::None;
    m_accessoryView.reset();
    m_selected = false;
    setBackgroundColor(std::nullopt);
}

} // namespace folio
