#include "tools/textstyle/TSFontSelectTableViewController.h"

#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

namespace folio {

namespace {
constexpr long kFontCheckTag = 1;
constexpr long kFontNameTag = 2;
} // namespace

void TSFontSelectTableViewController::viewDidLoad()
{
    TextStyleListController::viewDidLoad();
    m_fontFamilyNames = Font::familyNames();
    sortFontNames(m_fontFamilyNames);
}

std::shared_ptr<TableViewCell> TSFontSelectTableViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto cell = reusableCell(table, "FontSelectTableCell");
    double height = table.heightForRowAtIndexPath(indexPath);
    double width = cell->frame().width();
    const std::string& family = m_fontFamilyNames[indexPath.row];
    auto check = labelInCell(*cell, kFontCheckTag, makeRect(10, 5, 25, height - 5), 24);
    check->setText(family == m_selectedFont.familyName() ? kCheckMark : u"");
    auto label = labelInCell(*cell, kFontNameTag, makeRect(35, 5, width - 70, height - 5), 18);
    label->setText(toUtf16(family));
    if (auto font = Font::fontMatching(family, 0, 18))
        label->setFont(std::make_shared<const Font>(*font));
    cell->setAccessoryType(Font::fontNamesForFamilyName(family).size() > 1 ? TableViewCellAccessoryType::DetailDisclosureButton
                                                                           : TableViewCellAccessoryType::None);
    return cell;
}

void TSFontSelectTableViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    m_selectedFont = FontChoice{m_fontFamilyNames[indexPath.row], m_selectedFont.pointSize};
    if (auto delegate = m_delegate.lock())
        delegate->fontSelectTableViewControllerDidSelectFont(*this, m_selectedFont);
    table.reloadData();
}

void TSFontSelectTableViewController::accessoryButtonTappedForRowWithIndexPath(TableView&, IndexPath indexPath)
{
    auto faces = std::make_shared<TSFontStyleSelectTableViewController>();
    faces->setFontFamilyName(m_fontFamilyNames[indexPath.row]);
    faces->setSelectedFont(m_selectedFont);
    faces->setDelegate(std::shared_ptr<TSFontStyleSelectTableViewControllerDelegate>(
        sharedAs<TSFontSelectTableViewController>(), static_cast<TSFontStyleSelectTableViewControllerDelegate*>(this)));
    if (auto* navigation = navigationController())
        navigation->pushViewController(faces, true);
}

void TSFontSelectTableViewController::fontStyleSelectTableViewControllerDidSelectFont(TSFontStyleSelectTableViewController&,
                                                                                     const FontChoice& font)
{
    m_selectedFont = font;
    if (auto delegate = m_delegate.lock())
        delegate->fontSelectTableViewControllerDidSelectFont(*this, m_selectedFont);
    if (isViewLoaded())
        tableView()->reloadData();
}

void TSFontSelectTableViewController::installNewFont()
{
    if (auto delegate = m_delegate.lock())
        delegate->showiTunesFileBrowser();
}

} // namespace folio
