#pragma once

#include "tools/textstyle/ColourListController.h"

#include <memory>

namespace folio {

class TSColourSelectTableViewController;

class TSColourSelectTableViewControllerDelegate {
public:
    virtual ~TSColourSelectTableViewControllerDelegate() = default;
    virtual void colourSelectTableViewControllerDidSelectColour(TSColourSelectTableViewController&, const std::string& colour) = 0;
};

// The text colours.
class TSColourSelectTableViewController : public ColourListController {
public:
    void setDelegate(std::weak_ptr<TSColourSelectTableViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }

protected:
    const std::vector<std::string>& colourNames() const override;
    const char* defaultTitle() const override { return "Text Color"; }
    void notifyDelegate(const std::string& colour) override;

private:
    std::weak_ptr<TSColourSelectTableViewControllerDelegate> m_delegate;
};

} // namespace folio
