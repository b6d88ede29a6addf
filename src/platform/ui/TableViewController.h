#pragma once

#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

#include <memory>

namespace folio {

// A controller whose view is a table, serving as its data source and
// delegate; pickers subclass it and fill the table.
class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    explicit TableViewController(TableViewStyle style = TableViewStyle::Plain) : m_style(style) {}

    std::shared_ptr<TableView> tableView();
    TableViewStyle tableViewStyle() const { return m_style; }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return 0; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath) override;

protected:
    void loadView() override;
    // The table is refilled each time it appears, so it shows current values.
    void viewWillAppear(bool animated) override;

private:
    TableViewStyle m_style;
};

} // namespace folio
