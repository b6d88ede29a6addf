#pragma once

#include "tools/textstyle/ColourListController.h"

#include <memory>

namespace folio {

class TSBgColourSelectTableViewController;

class TSBgColourSelectTableViewControllerDelegate {
public:
    virtual ~TSBgColourSelectTableViewControllerDelegate() = default;
    virtual void colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController&,
                                                                         const std::string& colour) = 0;
};

// The paper colours.
class TSBgColourSelectTableViewController : public ColourListController {
public:
    void setDelegate(std::weak_ptr<TSBgColourSelectTableViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }

protected:
    const std::vector<std::string>& colourNames() const override;
    const char* defaultTitle() const override { return "Paper Color"; }
    void notifyDelegate(const std::string& colour) override;

private:
    std::weak_ptr<TSBgColourSelectTableViewControllerDelegate> m_delegate;
};

} // namespace folio
