#pragma once

#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewDataSource.h"
#include "platform/ui/TableViewDelegate.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace folio {

class TableViewCell;

enum class TableViewStyle { Plain, Grouped, InsetGrouped };

// Rows in sections, filled from a data source. The whole table is built on
// each reload (the lists here are short), so every row's cell can be read.
class TableView : public ScrollView {
public:
    explicit TableView(TableViewStyle style = TableViewStyle::Plain, Rect frame = {});

    TableViewStyle style() const { return m_style; }
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource) { m_dataSource = std::move(dataSource); }
    void setDelegate(std::weak_ptr<TableViewDelegate> delegate) { m_delegate = std::move(delegate); }
    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height) { m_rowHeight = height; }
    bool allowsSelection() const { return m_allowsSelection; }
    void setAllowsSelection(bool allows) { m_allowsSelection = allows; }
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }

    // Asks the data source again for everything; clears the selection.
    void reloadData();
    std::size_t numberOfSections();
    std::size_t numberOfRowsInSection(std::size_t section);
    std::u16string titleForHeaderInSection(std::size_t section);
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath indexPath);
    std::optional<IndexPath> indexPathForCell(const TableViewCell* cell);
    double heightForRowAtIndexPath(IndexPath indexPath);
    // A cell that an earlier reload used with this identifier, ready to be
    // filled again; null when there is none.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    std::optional<IndexPath> indexPathForSelectedRow() const;
    std::vector<IndexPath> indexPathsForSelectedRows() const { return {m_selected.begin(), m_selected.end()}; }
    // From code: the delegate is not told.
    void selectRowAtIndexPath(IndexPath indexPath);
    void deselectRowAtIndexPath(IndexPath indexPath);

    // A user's tap on a row: the delegate may redirect or refuse it; the row
    // it lands on is selected (the previous one deselected, unless several
    // may be selected) and the delegate told. Answers the selected row.
    std::optional<IndexPath> tapRowAtIndexPath(IndexPath indexPath);
    bool tapAccessoryButtonForRowAtIndexPath(IndexPath indexPath);

private:
    void loadIfNeeded();
    bool isValid(IndexPath indexPath);
    void setCellSelected(IndexPath indexPath, bool selected);

    TableViewStyle m_style;
    std::weak_ptr<TableViewDataSource> m_dataSource;
    std::weak_ptr<TableViewDelegate> m_delegate;
    double m_rowHeight = 44;
    bool m_allowsSelection = true;
    bool m_allowsMultipleSelection = false;
    bool m_loaded = false;
    std::vector<std::vector<std::shared_ptr<TableViewCell>>> m_cells;
    std::vector<std::u16string> m_headerTitles;
    std::multimap<std::string, std::shared_ptr<TableViewCell>> m_reusePool;
    std::set<IndexPath> m_selected;
};

} // namespace folio
