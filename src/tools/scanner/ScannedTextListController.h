#pragma once

#include "platform/ui/TableViewController.h"

#include <functional>
#include <string>
#include <vector>

namespace folio {

// The scanner's screen: the lines recognised in the last picture, one row
// each; a tap on a row reports it. Shows what it is doing while there are
// no lines yet.
class ScannedTextListController final : public TableViewController {
public:
    explicit ScannedTextListController(std::function<void(std::size_t row)> tapped);

    void setLines(std::vector<std::u16string> lines);
    const std::vector<std::u16string>& lines() const { return m_lines; }
    // The note shown over an empty list ("Looking for text...").
    void setStatus(std::u16string status);
    const std::u16string& status() const { return m_status; }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_lines.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    std::u16string titleForHeaderInSection(TableView&, std::size_t) override { return m_status; }
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

    // A user's tap on the row, as on screen.
    void tapRow(std::size_t row);

private:
    void reload();

    std::function<void(std::size_t)> m_tapped;
    std::vector<std::u16string> m_lines;
    std::u16string m_status;
};

} // namespace folio
