#include "foundation/views/TESidePanelController.h"

#include "platform/foundation/Log.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace folio {

namespace {

constexpr double kWidthAnimationDuration = 0.3;
// A release faster than this (points per second) towards a panel opens it.
constexpr double kOpeningVelocity = 100;

} // namespace

void TESidePanelPanGestureRecognizer::movePan(Point delta, Point velocity)
{
    GestureRecognizerState current = state();
    if (current == GestureRecognizerState::Possible || current == GestureRecognizerState::Began
        || current == GestureRecognizerState::Changed) {
        m_moveY += delta.y;
        if (std::abs(m_moveY) > kMaximumVerticalMove) {
            // A gesture already under way is cancelled, so that its handler can
            // put the centre back; one not yet begun simply fails.
            transition(current == GestureRecognizerState::Possible ? GestureRecognizerState::Failed
                                                                   : GestureRecognizerState::Cancelled);
            reset();
            return;
        }
    }
    PanGestureRecognizer::movePan(delta, velocity);
}

TESidePanelController::TESidePanelController()
    : m_pan(std::make_shared<TESidePanelPanGestureRecognizer>())
    , m_tapToClose(std::make_shared<TapGestureRecognizer>())
{
    m_pan->addTarget([this](GestureRecognizer& recognizer) { handlePan(recognizer); });
    m_tapToClose->addTarget([this](GestureRecognizer& recognizer) {
        if (recognizer.state() == GestureRecognizerState::Ended)
            handleTapToClose();
    });
}

void TESidePanelController::loadView()
{
    auto root = std::make_shared<View>(Rect{{0, 0}, {768, 1024}});
    root->setBackgroundColor(Color::colorWithWhite(0));
    m_leftBase = std::make_shared<View>(root->bounds());
    m_rightBase = std::make_shared<View>(root->bounds());
    m_centerBase = std::make_shared<View>(root->bounds());
    root->addSubview(m_leftBase);
    root->addSubview(m_rightBase);
    root->addSubview(m_centerBase);
    m_centerBase->addGestureRecognizer(m_pan);
    setView(root);
    for (auto* slot : {&m_left, &m_right, &m_center})
        if (*slot)
            replaceChild(*slot, *slot);
}

void TESidePanelController::replaceChild(std::shared_ptr<ViewController>& slot, std::shared_ptr<ViewController> controller)
{
    if (slot && slot != controller) {
        if (auto old = slot->viewIfLoaded())
            old->removeFromSuperview();
        slot->removeFromParentViewController();
    }
    slot = std::move(controller);
    if (!slot)
        return;
    if (slot->parentViewController() != this)
        addChildViewController(slot);
    if (!isViewLoaded())
        return;
    const std::shared_ptr<View>& base = &slot == &m_center ? m_centerBase : &slot == &m_left ? m_leftBase : m_rightBase;
    std::shared_ptr<View> content = slot->view();
    content->setFrame(base->bounds());
    base->addSubview(content);
}

void TESidePanelController::setCenterPanelController(std::shared_ptr<ViewController> controller)
{
    replaceChild(m_center, std::move(controller));
}

void TESidePanelController::setLeftPanelController(std::shared_ptr<ViewController> controller)
{
    replaceChild(m_left, std::move(controller));
}

void TESidePanelController::setRightPanelController(std::shared_ptr<ViewController> controller)
{
    replaceChild(m_right, std::move(controller));
}

TESidePanelController* TESidePanelController::sidePanelControllerOf(const ViewController& controller)
{
    for (ViewController* parent = controller.parentViewController(); parent; parent = parent->parentViewController())
        if (auto* sidePanel = dynamic_cast<TESidePanelController*>(parent))
            return sidePanel;
    return nullptr;
}

double TESidePanelController::usedWidthOfPanel(TESidePanelControllerPanel panel) const
{
    double width = panel == TESidePanelControllerPanel::Left ? m_leftWidth
        : panel == TESidePanelControllerPanel::Right         ? m_rightWidth
                                                             : 0;
    double viewWidth = isViewLoaded() ? viewIfLoaded()->bounds().size.width : 0;
    double widest = std::max(0.0, viewWidth - kMinimumVisibleCenterWidth);
    return width == 0 || width > widest ? widest : width;
}

double TESidePanelController::restingOffset(TESidePanelControllerPanel panel) const
{
    switch (panel) {
    case TESidePanelControllerPanel::Left:
        return usedWidthOfPanel(panel);
    case TESidePanelControllerPanel::Right:
        return -usedWidthOfPanel(panel);
    default:
        return 0;
    }
}

bool TESidePanelController::presentPanel(TESidePanelControllerPanel panel, bool animated)
{
    bool configured = panel == TESidePanelControllerPanel::Left ? m_left != nullptr
        : panel == TESidePanelControllerPanel::Right           ? m_right != nullptr
                                                               : m_center != nullptr;
    if (!configured) {
        const char* message = panel == TESidePanelControllerPanel::Left ? "Cannot present a left panel if none is configured"
            : panel == TESidePanelControllerPanel::Right ? "Cannot present a right panel if none is configured"
                                                         : "Cannot present a center panel if none is configured";
        TELog(TELogLevelError, message);
        return false;
    }
    m_panelAfterLayout = panel == TESidePanelControllerPanel::None ? TESidePanelControllerPanel::Center : panel;
    loadViewIfNeeded();
    moveCenterTo(restingOffset(panel), animated);
    return true;
}

TESidePanelControllerPanel TESidePanelController::presentedPanel() const
{
    if (m_centerOffset > 0)
        return TESidePanelControllerPanel::Left;
    if (m_centerOffset < 0)
        return TESidePanelControllerPanel::Right;
    return TESidePanelControllerPanel::Center;
}

void TESidePanelController::toggleLeftPanel()
{
    presentPanel(presentedPanel() == TESidePanelControllerPanel::Left ? TESidePanelControllerPanel::Center
                                                                      : TESidePanelControllerPanel::Left,
                 true);
}

void TESidePanelController::toggleRightPanel()
{
    presentPanel(presentedPanel() == TESidePanelControllerPanel::Right ? TESidePanelControllerPanel::Center
                                                                       : TESidePanelControllerPanel::Right,
                 true);
}

bool TESidePanelController::setWidthForPanel(double width, TESidePanelControllerPanel panel, bool animated)
{
    if (panel == TESidePanelControllerPanel::Center) {
        TELog(TELogLevelError, "Setting width for center panel not supported");
        return false;
    }
    if (panel == TESidePanelControllerPanel::None) {
        TELog(TELogLevelError, "Setting width for no panel not supported");
        return false;
    }
    (panel == TESidePanelControllerPanel::Left ? m_leftWidth : m_rightWidth) = std::max(0.0, width);
    if (presentedPanel() == panel) {
        moveCenterTo(restingOffset(panel), false);
        m_lastAnimationDuration = animated ? kWidthAnimationDuration : 0;
    }
    return true;
}

void TESidePanelController::moveCenterTo(double offset, bool animated)
{
    m_lastAnimationDuration = animated ? std::abs(m_centerOffset - offset) / kMaximumAnimationVelocity : 0;
    m_centerOffset = offset;
    if (m_centerBase) {
        Rect frame = m_centerBase->frame();
        frame.origin.x = offset;
        m_centerBase->setFrame(frame);
    }
    finishMove();
}

void TESidePanelController::finishMove()
{
    m_panelMoving = false;
    TESidePanelControllerPanel shown = presentedPanel();
    if (m_centerBase) {
        if (shown != TESidePanelControllerPanel::Center)
            m_centerBase->addGestureRecognizer(m_tapToClose);
        else
            m_centerBase->removeGestureRecognizer(m_tapToClose.get());
    }
    // The panel that is covered leaves the hierarchy, and only the uncovered
    // side takes touches.
    auto settle = [this](const std::shared_ptr<ViewController>& controller, const std::shared_ptr<View>& base, bool visible) {
        if (!base)
            return;
        base->setUserInteractionEnabled(visible);
        base->setHidden(!visible);
        if (controller && controller->isViewLoaded()) {
            std::shared_ptr<View> content = controller->view();
            if (visible && !content->superview())
                base->addSubview(content);
            else if (!visible)
                content->removeFromSuperview();
        }
    };
    settle(m_left, m_leftBase, shown == TESidePanelControllerPanel::Left);
    settle(m_right, m_rightBase, shown == TESidePanelControllerPanel::Right);
}

bool TESidePanelController::isTapToCloseInstalled() const
{
    return m_tapToClose->view() != nullptr;
}

void TESidePanelController::handleTapToClose()
{
    if (!isTapToCloseInstalled())
        return;
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->sidePanelControllerShouldAllowClosingOfSidePanel(*this, presentedPanel()))
        return;
    presentPanel(TESidePanelControllerPanel::Center, true);
}

void TESidePanelController::handlePan(GestureRecognizer& recognizer)
{
    switch (recognizer.state()) {
    case GestureRecognizerState::Began:
        m_panStartOffset = m_centerOffset;
        m_panelMoving = true;
        // Both sides show while the centre moves.
        if (m_leftBase)
            m_leftBase->setHidden(m_left == nullptr);
        if (m_rightBase)
            m_rightBase->setHidden(m_right == nullptr);
        break;
    case GestureRecognizerState::Changed: {
        double lowest = m_right ? -usedWidthOfPanel(TESidePanelControllerPanel::Right) : 0;
        double highest = m_left ? usedWidthOfPanel(TESidePanelControllerPanel::Left) : 0;
        double offset = std::clamp(m_panStartOffset + m_pan->translationInView(nullptr).x, lowest, highest);
        m_centerOffset = offset;
        if (m_centerBase) {
            Rect frame = m_centerBase->frame();
            frame.origin.x = offset;
            m_centerBase->setFrame(frame);
        }
        break;
    }
    case GestureRecognizerState::Ended: {
        double velocity = m_pan->velocityInView(nullptr).x;
        TESidePanelControllerPanel target = TESidePanelControllerPanel::Center;
        // NOTE: the right panel opens on a release towards it, mirroring the
        // left; a slow release in either direction closes.
        if (m_centerOffset > 0 && velocity > kOpeningVelocity)
            target = TESidePanelControllerPanel::Left;
        else if (m_centerOffset < 0 && velocity < -kOpeningVelocity)
            target = TESidePanelControllerPanel::Right;
        presentPanel(target, true);
        break;
    }
    case GestureRecognizerState::Cancelled:
    case GestureRecognizerState::Failed:
        moveCenterTo(m_panStartOffset, true);
        break;
    default:
        break;
    }
}

void TESidePanelController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    assert(m_center && "Must have a center panel controller");
    if (!m_center)
        TELog(TELogLevelError, "Must have a center panel controller");
}

void TESidePanelController::viewDidLayoutSubviews()
{
    if (!isViewLoaded())
        return;
    Rect bounds = viewIfLoaded()->bounds();
    for (const auto& base : {m_leftBase, m_rightBase, m_centerBase})
        base->setFrame(bounds);
    presentPanel(m_panelAfterLayout, false);
}

TESidePanelControllerSegue::TESidePanelControllerSegue(std::string identifier, std::shared_ptr<ViewController> destination,
                                                       TESidePanelController* sidePanelController)
    : m_identifier(std::move(identifier))
    , m_destination(std::move(destination))
    , m_sidePanelController(sidePanelController)
{
}

std::string TESidePanelControllerSegue::getPositionIdentifier(const std::string& identifier)
{
    std::size_t open = identifier.find('(');
    return open == std::string::npos ? identifier : identifier.substr(0, open);
}

std::optional<std::string> TESidePanelControllerSegue::getOptionIdentifier(const std::string& identifier)
{
    std::size_t open = identifier.find('(');
    if (open == std::string::npos)
        return std::nullopt;
    std::string option = identifier.substr(open + 1);
    std::erase(option, ')');
    return option;
}

void TESidePanelControllerSegue::perform()
{
    assert(m_sidePanelController && "sidePanelController");
    if (!m_sidePanelController || !m_destination)
        return;
    TESidePanelController& container = *m_sidePanelController;
    if (m_destination == container.leftPanelController()) {
        container.presentPanel(TESidePanelControllerPanel::Left, true);
        return;
    }
    if (m_destination == container.centerPanelController()) {
        container.presentPanel(TESidePanelControllerPanel::Center, true);
        return;
    }
    if (m_destination == container.rightPanelController()) {
        container.presentPanel(TESidePanelControllerPanel::Right, true);
        return;
    }
    std::string position = getPositionIdentifier(m_identifier);
    bool hadCenter = container.centerPanelController() != nullptr;
    if (position == "TESidePanelModal") {
        (void)container.presentViewController(m_destination, true);
    } else if (position == "TESidePanelLeft") {
        container.setLeftPanelController(m_destination);
        if (hadCenter)
            container.presentPanel(TESidePanelControllerPanel::Left, true);
    } else if (position == "TESidePanelCenter") {
        container.setCenterPanelController(m_destination);
        if (hadCenter)
            container.presentPanel(TESidePanelControllerPanel::Center, true);
    } else if (position == "TESidePanelRight") {
        container.setRightPanelController(m_destination);
        if (hadCenter)
            container.presentPanel(TESidePanelControllerPanel::Right, true);
    }
}

} // namespace folio
