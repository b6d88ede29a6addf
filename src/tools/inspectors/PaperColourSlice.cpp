#include "tools/inspectors/PaperColourSlice.h"

#include "engine/css/ColorHTML.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/View.h"
#include "tools/textstyle/TSColourBlockView.h"

namespace folio {

namespace {
constexpr double kSwatchLeft = 140;
constexpr double kSwatchSize = 28;
constexpr double kButtonLeft = 176;
constexpr double kButtonWidth = 132;
}

PaperColourSlice::PaperColourSlice(std::u16string title, Colour colour)
    : ControlSlice(std::move(title))
    , m_colour(std::move(colour))
{
}

void PaperColourSlice::viewDidLoad()
{
    m_swatch = std::make_shared<TSColourBlockView>(Rect{{kSwatchLeft, 8}, {kSwatchSize, kSwatchSize}});
    m_swatch->setCornerRadius(4);
    m_button = std::make_shared<Button>(Rect{{kButtonLeft, 4}, {kButtonWidth, 36}});
    m_button->addAction(ControlEvent::TouchUpInside, [this](Control&) { showList(); });
    view()->addSubview(m_swatch);
    view()->addSubview(m_button);
}

void PaperColourSlice::showList()
{
    // The pane may be shown by another inspector than its own (the colour
    // pane is pushed onto the style inspector): the list goes where the
    // pane is on screen.
    std::shared_ptr<NavigationController> navigation;
    if (NavigationController* holder = navigationController())
        navigation = std::dynamic_pointer_cast<NavigationController>(holder->shared_from_this());
    else if (DKInspector* owner = inspector())
        navigation = owner->navigationController();
    if (!navigation)
        return;
    auto list = std::make_shared<TSBgColourSelectTableViewController>();
    list->setSelectedColour(m_colour.current ? m_colour.current() : std::string());
    list->setDelegate(std::dynamic_pointer_cast<PaperColourSlice>(shared_from_this()));
    navigation->pushViewController(list, true);
}

void PaperColourSlice::colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController&,
                                                                               const std::string& colour)
{
    change([this, &colour] {
        if (m_colour.choose)
            m_colour.choose(colour);
    });
    updateInterfaceFromInspectedObjects(UpdateReasonObjectsEdited);
}

void PaperColourSlice::updateInterfaceFromInspectedObjects(int)
{
    std::string name = m_colour.current ? m_colour.current() : std::string();
    listButton()->setTitle(toUtf16(name));
    swatch()->setColour(colorWithHTMLName(name));
}

} // namespace folio
