#include "tools/specialchars/PagedGridViewController.h"

#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "tools/specialchars/PagedGridViewCell.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {
constexpr double kHeaderHeight = 28;
constexpr double kMargin = 4;
} // namespace

void PagedGridViewController::loadView()
{
    Size size = preferredContentSize();
    if (size.width <= 0 || size.height <= 0)
        size = Size{320, 480};
    m_scrollView = std::make_shared<ScrollView>(Rect{{0, 0}, size});
    m_scrollView->setBackgroundColor(Color::colorWithWhite(1));
    setView(m_scrollView);
}

void PagedGridViewController::viewWillAppear(bool) { reloadData(); }

std::shared_ptr<PagedGridViewCell> PagedGridViewController::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto it = std::find_if(m_reusePool.begin(), m_reusePool.end(),
                           [&](const auto& cell) { return cell->reuseIdentifier() == identifier; });
    if (it == m_reusePool.end())
        return nullptr;
    auto cell = *it;
    m_reusePool.erase(it);
    cell->setHighlighted(false);
    return cell;
}

void PagedGridViewController::reloadData()
{
    loadViewIfNeeded();
    for (auto& section : m_cells) {
        for (auto& cell : section) {
            cell->removeFromSuperview();
            m_reusePool.push_back(cell);
        }
    }
    for (auto& header : m_headers)
        header->removeFromSuperview();
    m_cells.clear();
    m_headers.clear();

    // A grid shown in a popover is as large as the popover.
    Size preferred = preferredContentSize();
    if (preferred.width > 0 && preferred.height > 0)
        m_scrollView->setFrame(Rect{m_scrollView->frame().origin, preferred});
    double width = m_scrollView->frame().width();
    auto columns = std::max<std::size_t>(1, static_cast<std::size_t>((width - kMargin) / m_cellSize.width));
    double y = 0;
    std::weak_ptr<PagedGridViewController> weak = sharedAs<PagedGridViewController>();
    for (std::size_t section = 0; section < numberOfSections(); ++section) {
        std::u16string title = titleForHeaderInSection(section);
        auto header = std::make_shared<Label>(makeRect(kMargin, y, width - 2 * kMargin, kHeaderHeight));
        header->setText(title);
        m_headers.push_back(header);
        m_scrollView->addSubview(header);
        y += kHeaderHeight;
        std::vector<std::shared_ptr<PagedGridViewCell>> row;
        std::size_t items = numberOfItemsInSection(section);
        for (std::size_t item = 0; item < items; ++item) {
            auto cell = cellForItem(section, item);
            if (!cell)
                cell = std::make_shared<PagedGridViewCell>();
            cell->updateTitle();
            cell->setFrame(makeRect(kMargin + static_cast<double>(item % columns) * m_cellSize.width,
                                    y + static_cast<double>(item / columns) * m_cellSize.height, m_cellSize.width,
                                    m_cellSize.height));
            cell->removeAllActions();
            cell->addAction(ControlEvent::TouchUpInside, [weak, section, item](Control&) {
                if (auto self = weak.lock())
                    self->tapItem(section, item);
            });
            m_scrollView->addSubview(cell);
            row.push_back(std::move(cell));
        }
        y += std::ceil(static_cast<double>(items) / static_cast<double>(columns)) * m_cellSize.height;
        m_cells.push_back(std::move(row));
    }
    m_scrollView->setContentSize(Size{width, y});
    m_reusePool.clear();
}

void PagedGridViewController::tapItem(std::size_t section, std::size_t item)
{
    if (section < m_cells.size() && item < m_cells[section].size())
        didSelectItem(section, item);
}

void PagedGridViewController::longPressItem(std::size_t section, std::size_t item)
{
    if (section >= m_cells.size() || item >= m_cells[section].size())
        return;
    m_cells[section][item]->setHighlighted(true);
    didLongPressItem(section, item);
}

} // namespace folio
