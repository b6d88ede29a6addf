#include "engine/display/TEAttributedTextCell.h"

#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "platform/foundation/Log.h"
#include "platform/ui/TableView.h"

#include <cstdio>
#include <functional>

namespace folio {

TEAttributedTextCell::TEAttributedTextCell(std::string reuseIdentifier)
    : TableViewCell(TableViewCellStyle::Default, std::move(reuseIdentifier))
{
}

std::shared_ptr<TEAttributedTextContentView> TEAttributedTextCell::attributedTextContextView()
{
    if (m_contentView)
        return m_contentView;
    m_contentView = std::make_shared<TEAttributedTextContentView>(bounds());
    m_contentView->setEdgeInsets(EdgeInsets{5, 5, 5, 5});
    m_contentView->setLayoutFrameHeightIsConstrainedByBounds(m_hasFixedRowHeight);
    m_contentView->setDelegate(m_textDelegate.lock());
    addSubview(m_contentView);
    return m_contentView;
}

void TEAttributedTextCell::setHTMLString(const std::string& html, const TEHTMLReaderOptions& options)
{
    std::size_t hash = std::hash<std::string>{}(html);
    if (m_hasHTML && hash == m_htmlHash)
        return;
    m_hasHTML = true;
    m_htmlHash = hash;
    std::optional<AttributedString> text = attributedStringWithHTMLData(html, options);
    setAttributedString(std::make_shared<const AttributedString>(text ? std::move(*text) : AttributedString()));
    setNeedsLayout();
}

void TEAttributedTextCell::setAttributedString(std::shared_ptr<const AttributedString> string)
{
    attributedTextContextView()->setAttributedString(std::move(string));
}

std::shared_ptr<const AttributedString> TEAttributedTextCell::attributedString()
{
    return attributedTextContextView()->attributedString();
}

void TEAttributedTextCell::setTextDelegate(const std::shared_ptr<const TEAttributedTextContentViewDelegate>& delegate)
{
    m_textDelegate = delegate;
    if (m_contentView)
        m_contentView->setDelegate(delegate);
}

void TEAttributedTextCell::setHasFixedRowHeight(bool fixed)
{
    if (fixed == m_hasFixedRowHeight)
        return;
    m_hasFixedRowHeight = fixed;
    if (m_contentView)
        m_contentView->setLayoutFrameHeightIsConstrainedByBounds(fixed);
    setNeedsLayout();
}

double TEAttributedTextCell::requiredRowHeightInTableView(const TableView& table)
{
    if (m_hasFixedRowHeight)
        TELog(TELogLevelWarning, "You are calling requiredRowHeightInTableView even though the cell is configured "
                                 "with fixed row height");
    double accessory = 0;
    switch (accessoryType()) {
    case TableViewCellAccessoryType::None:
        break;
    case TableViewCellAccessoryType::DisclosureIndicator:
        accessory = 33;
        break;
    case TableViewCellAccessoryType::DetailDisclosureButton:
        accessory = 67;
        break;
    case TableViewCellAccessoryType::Checkmark:
        accessory = 39;
        break;
    case TableViewCellAccessoryType::DetailButton:
        accessory = 47;
        break;
    }
    return attributedTextContextView()
        ->suggestedFrameSizeToFitEntireStringConstraintedToWidth(table.bounds().size.width - accessory)
        .height;
}

void TEAttributedTextCell::layoutSubviews()
{
    TableViewCell::layoutSubviews();
    if (!superview())
        return;
    auto content = attributedTextContextView();
    if (m_hasFixedRowHeight)
        content->setFrame(bounds());
    else if (m_containingTableView)
        content->setFrame(
            makeRect(0, 0, bounds().size.width, requiredRowHeightInTableView(*m_containingTableView)));
}

} // namespace folio
