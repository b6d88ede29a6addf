#include "tools/textstyle/TSFontStyleSelectTableViewController.h"

#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

#include <algorithm>
#include <cassert>

namespace folio {

namespace {
constexpr long kFontStyleCheckTag = 1;
constexpr long kFontStyleNameTag = 2;
} // namespace

void sortFontNames(std::vector<std::string>& names)
{
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return localizedCaseInsensitiveCompare(toUtf16(a), toUtf16(b)) < 0;
    });
}

void TSFontStyleSelectTableViewController::viewDidLoad()
{
    TextStyleListController::viewDidLoad();
    // The family list always names the family before it pushes this list.
    assert(!m_fontFamilyName.empty());
    m_fontNames = Font::fontNamesForFamilyName(m_fontFamilyName);
    sortFontNames(m_fontNames);
}

std::shared_ptr<TableViewCell> TSFontStyleSelectTableViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto cell = reusableCell(table, "FontStyleSelectTableCell");
    double height = table.heightForRowAtIndexPath(indexPath);
    double width = cell->frame().width();
    const std::string& name = m_fontNames[indexPath.row];
    auto check = labelInCell(*cell, kFontStyleCheckTag, makeRect(10, 5, 25, height - 5), 24);
    bool chosen = name == m_selectedFont.fontName;
    check->setText(chosen ? kCheckMark : u"");
    auto label = labelInCell(*cell, kFontStyleNameTag, makeRect(35, 5, width - 70, height - 5), 18);
    label->setText(toUtf16(name));
    if (auto font = Font::fontWithName(name, 18))
        label->setFont(std::make_shared<const Font>(*font));
    return cell;
}

void TSFontStyleSelectTableViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    m_selectedFont = FontChoice{m_fontNames[indexPath.row], m_selectedFont.pointSize};
    if (auto delegate = m_delegate.lock())
        delegate->fontStyleSelectTableViewControllerDidSelectFont(*this, m_selectedFont);
    table.reloadData();
}

} // namespace folio
