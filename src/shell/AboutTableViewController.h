#pragma once

#include "platform/foundation/PropertyList.h"
#include "platform/ui/TableViewController.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class TableViewCell;

// The about screen: the application's version and build, and the pages of
// the open-source component the application credits.
class AboutTableViewController : public TableViewController {
public:
    // The component is libzip, which writes every zipped RTFD and ePub.
    static constexpr const char* kComponentHomePage = "https://libzip.org/";
    static constexpr const char* kLicenceText = "https://opensource.org/license/bsd-3-clause";

    using URLOpening = std::function<void(const std::string& url)>;

    // `infoDictionary` holds "CFBundleShortVersionString" and "CFBundleVersion";
    // the application's own when none is given. Links open through `openURL`,
    // the desktop's browser when none is given.
    explicit AboutTableViewController(std::optional<PropertyList> infoDictionary = std::nullopt,
                                      URLOpening openURL = nullptr);

    static PropertyList applicationInfoDictionary();

    // Shows the about screen, titled, over `presenter`; its window's close
    // button takes it away.
    static Status presentAboutScreen(ViewController& presenter, std::optional<PropertyList> infoDictionary = std::nullopt,
                                     URLOpening openURL = nullptr);

    const std::shared_ptr<TableViewCell>& versionNumberCell() const { return m_versionNumberCell; }
    const std::shared_ptr<TableViewCell>& buildNumberCell() const { return m_buildNumberCell; }

    void viewDidLoad() override;
    std::size_t numberOfSectionsInTableView(TableView&) override { return 3; }
    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return 2; }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

private:
    PropertyList m_infoDictionary;
    URLOpening m_openURL;
    std::shared_ptr<TableViewCell> m_versionNumberCell;
    std::shared_ptr<TableViewCell> m_buildNumberCell;
    std::vector<std::shared_ptr<TableViewCell>> m_otherCells;
};

} // namespace folio
