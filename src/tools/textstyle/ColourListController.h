#pragma once

#include "tools/textstyle/TextStyleListController.h"

#include <string>
#include <vector>

namespace folio {

// A list of colour names, each row with a swatch of its colour. The tick
// follows the colour, not the name, so names of one colour are all ticked.
class ColourListController : public TextStyleListController {
public:
    const std::vector<std::string>& availableColours() const { return m_availableColours; }
    const std::string& selectedColour() const { return m_selectedColour; }
    void setSelectedColour(std::string colour) { m_selectedColour = std::move(colour); }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_availableColours.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;
    virtual const std::vector<std::string>& colourNames() const = 0;
    virtual const char* defaultTitle() const = 0;
    virtual void notifyDelegate(const std::string& colour) = 0;

private:
    std::vector<std::string> m_availableColours;
    std::string m_selectedColour;
};

} // namespace folio
