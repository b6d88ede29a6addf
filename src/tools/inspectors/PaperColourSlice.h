#pragma once

#include "tools/inspectors/ControlSlices.h"
#include "tools/textstyle/TSBgColourSelectTableViewController.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class TSColourBlockView;

// The paper colour of an inspector: a swatch of the colour in force and a
// button that opens the paper-colour list over the inspector's pane, with
// every row in its colour and the one in force ticked. A row chosen there
// paints the paper at once; the list stays until the user goes back.
class PaperColourSlice : public ControlSlice, public TSBgColourSelectTableViewControllerDelegate {
public:
    struct Colour {
        // The paper's colour name now; read on each update.
        std::function<std::string()> current;
        std::function<void(const std::string& name)> choose;
    };
    PaperColourSlice(std::u16string title, Colour colour);

    const std::shared_ptr<Button>& listButton() { loadViewIfNeeded(); return m_button; }
    const std::shared_ptr<TSColourBlockView>& swatch() { loadViewIfNeeded(); return m_swatch; }
    // Opens the list, pushed onto the inspector's navigation.
    void showList();
    void updateInterfaceFromInspectedObjects(int reason) override;

    void colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController& list,
                                                                 const std::string& colour) override;

protected:
    void viewDidLoad() override;

private:
    Colour m_colour;
    std::shared_ptr<Button> m_button;
    std::shared_ptr<TSColourBlockView> m_swatch;
};

} // namespace folio
