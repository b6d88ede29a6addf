#pragma once

#include "platform/ui/IndexPath.h"

#include <optional>

namespace folio {

class TableView;

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    // Answers the row to select instead, or nothing to refuse the selection.
    virtual std::optional<IndexPath> willSelectRowAtIndexPath(TableView&, IndexPath indexPath) { return indexPath; }
    virtual void didSelectRowAtIndexPath(TableView&, IndexPath) {}
    virtual void didDeselectRowAtIndexPath(TableView&, IndexPath) {}
    virtual void accessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath) {}
    // A negative height means the table's own row height.
    virtual double heightForRowAtIndexPath(TableView&, IndexPath) { return -1; }
};

} // namespace folio
