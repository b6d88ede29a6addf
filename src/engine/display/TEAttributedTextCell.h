#pragma once

#include "engine/display/TEAttributedTextContentView.h"
#include "engine/html/reader/TEHTMLReaderOptions.h"
#include "platform/ui/TableViewCell.h"

#include <cstddef>
#include <memory>
#include <string>

namespace folio {

class TableView;

// A table cell showing attributed text (or HTML read into it) in a content
// view with 5-point insets, and working out the row height the text needs.
class TEAttributedTextCell : public TableViewCell {
public:
    explicit TEAttributedTextCell(std::string reuseIdentifier = {});

    std::shared_ptr<TEAttributedTextContentView> attributedTextContextView();
    // Reads the HTML only when it differs from the last HTML set.
    void setHTMLString(const std::string& html, const TEHTMLReaderOptions& options = {});
    void setAttributedString(std::shared_ptr<const AttributedString> string);
    std::shared_ptr<const AttributedString> attributedString();
    void setTextDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate);

    bool hasFixedRowHeight() const { return m_hasFixedRowHeight; }
    void setHasFixedRowHeight(bool fixed);
    TableView* containingTableView() const { return m_containingTableView; }
    // The table the cell shows in (its nearest table ancestor).
    void setContainingTableView(TableView* table) { m_containingTableView = table; }

    // The table's width less the accessory, and the height the text needs there.
    double requiredRowHeightInTableView(const TableView& table);

protected:
    void layoutSubviews() override;

private:
    std::shared_ptr<TEAttributedTextContentView> m_contentView;
    std::weak_ptr<const TEAttributedTextContentViewDelegate> m_textDelegate;
    std::size_t m_htmlHash = 0;
    bool m_hasHTML = false;
    bool m_hasFixedRowHeight = false;
    TableView* m_containingTableView = nullptr;
};

} // namespace folio
