#pragma once

#include "platform/ui/IndexPath.h"

#include <cstddef>
#include <memory>
#include <string>

namespace folio {

class TableView;
class TableViewCell;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual std::size_t numberOfSectionsInTableView(TableView&) { return 1; }
    virtual std::size_t numberOfRowsInSection(TableView&, std::size_t section) = 0;
    virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath indexPath) = 0;
    virtual std::u16string titleForHeaderInSection(TableView&, std::size_t /*section*/) { return {}; }
};

} // namespace folio
