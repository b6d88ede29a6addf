#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ViewController.h"

#include <memory>

namespace folio {

class TESidePanelController;
class TapGestureRecognizer;

enum class TESidePanelControllerPanel { None = -1, Center = 0, Left = 1, Right = 2 };

class TESidePanelControllerDelegate {
public:
    virtual ~TESidePanelControllerDelegate() = default;
    // Whether a tap on the centre may close the panel that is shown.
    virtual bool sidePanelControllerShouldAllowClosingOfSidePanel(TESidePanelController&, TESidePanelControllerPanel)
    {
        return true;
    }
};

// A pan that gives up once the finger has strayed more than 20 points
// vertically, so that vertical scrolling in a panel is not taken for a slide.
class TESidePanelPanGestureRecognizer final : public PanGestureRecognizer {
public:
    static constexpr double kMaximumVerticalMove = 20;

    using PanGestureRecognizer::PanGestureRecognizer;
    void movePan(Point delta, Point velocity);
    double moveY() const { return m_moveY; }
    void reset() { m_moveY = 0; }

private:
    double m_moveY = 0;
};

// A centre panel with optional left and right panels that slide out from
// under it: opened by a horizontal pan or by code, closed by a tap on the
// centre. Positions change at once; `animationDuration` says how long a
// presenter should take to show the move.
class TESidePanelController : public ViewController {
public:
    static constexpr double kMinimumVisibleCenterWidth = 50;
    static constexpr double kMaximumAnimationVelocity = 700;

    TESidePanelController();

    const std::shared_ptr<ViewController>& centerPanelController() const { return m_center; }
    const std::shared_ptr<ViewController>& leftPanelController() const { return m_left; }
    const std::shared_ptr<ViewController>& rightPanelController() const { return m_right; }
    void setCenterPanelController(std::shared_ptr<ViewController> controller);
    void setLeftPanelController(std::shared_ptr<ViewController> controller);
    void setRightPanelController(std::shared_ptr<ViewController> controller);
    void setSidePanelDelegate(std::weak_ptr<TESidePanelControllerDelegate> delegate) { m_delegate = std::move(delegate); }

    // Asking for a panel that is not configured is refused (and asserted).
    bool presentPanel(TESidePanelControllerPanel panel, bool animated);
    TESidePanelControllerPanel presentedPanel() const;
    void toggleLeftPanel();
    void toggleRightPanel();
    // Only the left and right panels have a width; 0 means as wide as leaves
    // the minimum of the centre visible.
    bool setWidthForPanel(double width, TESidePanelControllerPanel panel, bool animated);
    double usedWidthOfPanel(TESidePanelControllerPanel panel) const;

    // Where the centre panel's view sits now.
    double centerOffset() const { return m_centerOffset; }
    double lastAnimationDuration() const { return m_lastAnimationDuration; }
    bool isPanelMoving() const { return m_panelMoving; }

    const std::shared_ptr<TESidePanelPanGestureRecognizer>& panGestureRecognizer() const { return m_pan; }
    // Installed on the centre only while a side panel is shown.
    bool isTapToCloseInstalled() const;
    const std::shared_ptr<TapGestureRecognizer>& tapToCloseGestureRecognizer() const { return m_tapToClose; }
    void handleTapToClose();

    // The side panel controller a child belongs to, found through its parents.
    static TESidePanelController* sidePanelControllerOf(const ViewController& controller);

    void viewWillAppear(bool animated) override;
    void viewDidLayoutSubviews();

protected:
    void loadView() override;

private:
    void replaceChild(std::shared_ptr<ViewController>& slot, std::shared_ptr<ViewController> controller);
    double restingOffset(TESidePanelControllerPanel panel) const;
    void moveCenterTo(double offset, bool animated);
    void finishMove();
    void handlePan(GestureRecognizer& recognizer);

    std::shared_ptr<ViewController> m_center;
    std::shared_ptr<ViewController> m_left;
    std::shared_ptr<ViewController> m_right;
    std::weak_ptr<TESidePanelControllerDelegate> m_delegate;
    std::shared_ptr<View> m_centerBase;
    std::shared_ptr<View> m_leftBase;
    std::shared_ptr<View> m_rightBase;
    double m_leftWidth = 0;
    double m_rightWidth = 0;
    double m_centerOffset = 0;
    double m_panStartOffset = 0;
    double m_lastAnimationDuration = 0;
    bool m_panelMoving = false;
    TESidePanelControllerPanel m_panelAfterLayout = TESidePanelControllerPanel::Center;
    std::shared_ptr<TESidePanelPanGestureRecognizer> m_pan;
    std::shared_ptr<TapGestureRecognizer> m_tapToClose;
};

// Places a controller into a side panel controller by the segue's identifier:
// "TESidePanelLeft", "TESidePanelCenter", "TESidePanelRight" or
// "TESidePanelModal", optionally followed by "(option)".
class TESidePanelControllerSegue {
public:
    TESidePanelControllerSegue(std::string identifier, std::shared_ptr<ViewController> destination,
                               TESidePanelController* sidePanelController);

    static std::string getPositionIdentifier(const std::string& identifier);
    static std::optional<std::string> getOptionIdentifier(const std::string& identifier);
    void perform();

private:
    std::string m_identifier;
    std::shared_ptr<ViewController> m_destination;
    TESidePanelController* m_sidePanelController;
};

} // namespace folio
