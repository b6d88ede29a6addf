#include "platform/ui/TableView.h"

#include "platform/ui/Presenter.h"
#include "platform/ui/TableViewCell.h"

namespace folio {

TableView::TableView(TableViewStyle style, Rect frame) : ScrollView(frame), m_style(style) {}

void TableView::reloadData()
{
    auto keep = weak_from_this().lock();
    for (auto& section : m_cells) {
        for (auto& cell : section) {
            if (!cell->reuseIdentifier().empty())
                m_reusePool.emplace(cell->reuseIdentifier(), cell);
        }
    }
    m_cells.clear();
    m_headerTitles.clear();
    m_selected.clear();
    m_loaded = true;

    auto dataSource = m_dataSource.lock();
    if (dataSource) {
        std::size_t sections = dataSource->numberOfSectionsInTableView(*this);
        m_cells.resize(sections);
        for (std::size_t section = 0; section < sections; ++section) {
            m_headerTitles.push_back(dataSource->titleForHeaderInSection(*this, section));
            std::size_t rows = dataSource->numberOfRowsInSection(*this, section);
            m_cells[section].reserve(rows);
            for (std::size_t row = 0; row < rows; ++row) {
                auto cell = dataSource->cellForRowAtIndexPath(*this, IndexPath{section, row});
                // A data source that gives no cell must not leave a hole that
                // later lookups trip over; the row shows empty instead.
                if (!cell)
                    cell = std::make_shared<TableViewCell>();
                cell->setSelected(false);
                m_cells[section].push_back(std::move(cell));
            }
        }
    }
    m_reusePool.clear();

    double height = 0;
    for (std::size_t section = 0; section < m_cells.size(); ++section) {
        for (std::size_t row = 0; row < m_cells[section].size(); ++row)
            height += heightForRowAtIndexPath({section, row});
    }
    setContentSize(Size{bounds().width(), height});
    Presenter::current().tableViewDidReload(*this);
}

void TableView::loadIfNeeded()
{
    if (!m_loaded)
        reloadData();
}

std::size_t TableView::numberOfSections()
{
    loadIfNeeded();
    return m_cells.size();
}

std::size_t TableView::numberOfRowsInSection(std::size_t section)
{
    loadIfNeeded();
    return section < m_cells.size() ? m_cells[section].size() : 0;
}

std::u16string TableView::titleForHeaderInSection(std::size_t section)
{
    loadIfNeeded();
    return section < m_headerTitles.size() ? m_headerTitles[section] : std::u16string();
}

bool TableView::isValid(IndexPath indexPath)
{
    loadIfNeeded();
    return indexPath.section < m_cells.size() && indexPath.row < m_cells[indexPath.section].size();
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath indexPath)
{
    return isValid(indexPath) ? m_cells[indexPath.section][indexPath.row] : nullptr;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell)
{
    loadIfNeeded();
    for (std::size_t section = 0; section < m_cells.size(); ++section) {
        for (std::size_t row = 0; row < m_cells[section].size(); ++row) {
            if (m_cells[section][row].get() == cell)
                return IndexPath{section, row};
        }
    }
    return std::nullopt;
}

double TableView::heightForRowAtIndexPath(IndexPath indexPath)
{
    if (auto delegate = m_delegate.lock()) {
        double height = delegate->heightForRowAtIndexPath(*this, indexPath);
        if (height >= 0)
            return height;
    }
    return m_rowHeight;
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto it = m_reusePool.find(identifier);
    if (it == m_reusePool.end())
        return nullptr;
    auto cell = it->second;
    m_reusePool.erase(it);
    cell->prepareForReuse();
    return cell;
}

std::optional<IndexPath> TableView::indexPathForSelectedRow() const
{
    if (m_selected.empty())
        return std::nullopt;
    return *m_selected.begin();
}

void TableView::setCellSelected(IndexPath indexPath, bool selected)
{
    if (auto cell = cellForRowAtIndexPath(indexPath))
        cell->setSelected(selected);
    if (selected)
        m_selected.insert(indexPath);
    else
        m_selected.erase(indexPath);
}

void TableView::selectRowAtIndexPath(IndexPath indexPath)
{
    if (!isValid(indexPath))
        return;
    if (!m_allowsMultipleSelection) {
        for (auto previous : std::set<IndexPath>(m_selected))
            setCellSelected(previous, false);
    }
    setCellSelected(indexPath, true);
}

void TableView::deselectRowAtIndexPath(IndexPath indexPath) { setCellSelected(indexPath, false); }

std::optional<IndexPath> TableView::tapRowAtIndexPath(IndexPath indexPath)
{
    if (!m_allowsSelection || !isUserInteractionEnabled() || !isValid(indexPath))
        return std::nullopt;
    // The delegate may reload the table or dismiss its controller.
    auto keep = weak_from_this().lock();
    auto delegate = m_delegate.lock();
    std::optional<IndexPath> target = indexPath;
    if (delegate)
        target = delegate->willSelectRowAtIndexPath(*this, indexPath);
    if (!target || !isValid(*target))
        return std::nullopt;
    if (m_allowsMultipleSelection && m_selected.count(*target)) {
        setCellSelected(*target, false);
        if (delegate)
            delegate->didDeselectRowAtIndexPath(*this, *target);
        return std::nullopt;
    }
    if (!m_allowsMultipleSelection) {
        for (auto previous : std::set<IndexPath>(m_selected)) {
            if (previous == *target)
                continue;
            setCellSelected(previous, false);
            if (delegate)
                delegate->didDeselectRowAtIndexPath(*this, previous);
        }
    }
    setCellSelected(*target, true);
    if (delegate)
        delegate->didSelectRowAtIndexPath(*this, *target);
    return target;
}

bool TableView::tapAccessoryButtonForRowAtIndexPath(IndexPath indexPath)
{
    auto cell = cellForRowAtIndexPath(indexPath);
    if (!cell)
        return false;
    auto type = cell->accessoryType();
    if (type != TableViewCellAccessoryType::DetailButton && type != TableViewCellAccessoryType::DetailDisclosureButton)
        return false;
    if (auto delegate = m_delegate.lock())
        delegate->accessoryButtonTappedForRowWithIndexPath(*this, indexPath);
    return true;
}

} // namespace folio
