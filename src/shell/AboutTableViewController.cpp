#include "shell/AboutTableViewController.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/services/URLOpener.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"

namespace folio {

namespace {

std::u16string infoString(const PropertyList& info, const char* key)
{
    const PropertyList* value = info.objectForKey(key);
    return value && value->stringValue() ? toUtf16(*value->stringValue()) : std::u16string();
}

std::shared_ptr<TableViewCell> captionCell(std::string_view caption)
{
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1);
    cell->textLabel()->setText(toUtf16(caption));
    return cell;
}

} // namespace

AboutTableViewController::AboutTableViewController(std::optional<PropertyList> infoDictionary, URLOpening openURL)
    : TableViewController(TableViewStyle::Grouped)
    , m_infoDictionary(infoDictionary ? std::move(*infoDictionary) : applicationInfoDictionary())
    , m_openURL(std::move(openURL))
{
    if (!m_openURL)
        m_openURL = [](const std::string& url) {
            if (Status opened = URLOpener::openURL(url); !opened)
                TELog(TELogLevelError, opened.error().message);
        };
}

PropertyList AboutTableViewController::applicationInfoDictionary()
{
    return PropertyList::dictionary({{"CFBundleShortVersionString", FOLIO_VERSION}, {"CFBundleVersion", FOLIO_VERSION}});
}

Status AboutTableViewController::presentAboutScreen(ViewController& presenter, std::optional<PropertyList> infoDictionary,
                                                   URLOpening openURL)
{
    auto about = std::make_shared<AboutTableViewController>(std::move(infoDictionary), std::move(openURL));
    about->setTitle(toUtf16(Localization::localizedString("about_screen_title", "About Folio")));
    std::shared_ptr<NavigationController> navigation = NavigationController::withRootViewController(about);
    navigation->setPreferredContentSize(Size{420, 360});
    return presenter.presentViewController(navigation, true);
}

void AboutTableViewController::viewDidLoad()
{
    TableViewController::viewDidLoad();
    m_versionNumberCell = captionCell(Localization::localizedString("app_version_caption", "Version"));
    m_versionNumberCell->detailTextLabel()->setText(infoString(m_infoDictionary, "CFBundleShortVersionString"));
    m_buildNumberCell = captionCell(Localization::localizedString("build_version_caption", "Build"));
    m_buildNumberCell->detailTextLabel()->setText(infoString(m_infoDictionary, "CFBundleVersion"));
    m_otherCells = {captionCell(Localization::localizedString("about_component_home_caption", "libzip")),
                    captionCell(Localization::localizedString("about_component_licence_caption", "BSD 3-Clause License")),
                    captionCell("Folio"),
                    captionCell(Localization::localizedString("about_description_caption", "A writing application"))};
    for (std::size_t index : {0, 1})
        m_otherCells[index]->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
}

std::shared_ptr<TableViewCell> AboutTableViewController::cellForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    if (indexPath.section == 0)
        return indexPath.row == 0 ? m_versionNumberCell : m_buildNumberCell;
    std::size_t index = (indexPath.section - 1) * 2 + indexPath.row;
    return index < m_otherCells.size() ? m_otherCells[index] : std::make_shared<TableViewCell>();
}

void AboutTableViewController::didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath)
{
    if (indexPath.section == 1)
        m_openURL(indexPath.row == 0 ? kComponentHomePage : kLicenceText);
    tableView.deselectRowAtIndexPath(indexPath);
}

} // namespace folio
