#pragma once

#include "tools/textstyle/TextStyleListController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class PageSizeSelectTableViewController;

class PageSizeSelectTableViewControllerDelegate {
public:
    virtual ~PageSizeSelectTableViewControllerDelegate() = default;
    virtual void pageSizeSelectTableViewControllerDidSelectSize(PageSizeSelectTableViewController&, const std::string& size) = 0;
};

// The named paper sizes.
class PageSizeSelectTableViewController : public TextStyleListController {
public:
    void setDelegate(std::weak_ptr<PageSizeSelectTableViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::vector<std::string>& availableSizes() const { return m_availableSizes; }
    const std::string& selectedSize() const { return m_selectedSize; }
    void setSelectedSize(std::string size) { m_selectedSize = std::move(size); }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_availableSizes.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;

private:
    std::weak_ptr<PageSizeSelectTableViewControllerDelegate> m_delegate;
    std::vector<std::string> m_availableSizes;
    std::string m_selectedSize;
};

} // namespace folio
