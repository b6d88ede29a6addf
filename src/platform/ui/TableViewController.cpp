#include "platform/ui/TableViewController.h"

#include "platform/ui/Device.h"
#include "platform/ui/TableViewCell.h"

namespace folio {

std::shared_ptr<TableView> TableViewController::tableView() { return std::static_pointer_cast<TableView>(view()); }

std::shared_ptr<TableViewCell> TableViewController::cellForRowAtIndexPath(TableView&, IndexPath)
{
    return std::make_shared<TableViewCell>();
}

void TableViewController::loadView()
{
    auto table = std::make_shared<TableView>(m_style, Device::current().screenBounds());
    // The table holds its controller weakly; a controller that is not shared
    // gets a table without a data source rather than a dangling one.
    if (auto self = sharedAs<TableViewController>()) {
        table->setDataSource(std::shared_ptr<TableViewDataSource>(self, static_cast<TableViewDataSource*>(this)));
        table->setDelegate(std::shared_ptr<TableViewDelegate>(self, static_cast<TableViewDelegate*>(this)));
    }
    setView(table);
}

void TableViewController::viewWillAppear(bool)
{
    tableView()->reloadData();
}

} // namespace folio
