#include "markdown/MEKeyboardToolbar.h"

#include "markdown/METoolbarButton.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewAnimation.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace folio {

namespace {
constexpr double kHairline = 0.5;
// A key stands 6 points shorter than it is made, between the row's top and
// bottom insets.
constexpr double kKeyHeightInset = 6;

struct Placement {
    std::vector<Rect> frames;
    double contentWidth = 0;
};

// x starts at the gap, and each key moves it on by its width and a gap,
// counted from the whole-number part of where the key stood.
Placement placementOf(const MEKeyboardToolbar::Buttons& buttons, double heightInset)
{
    Placement placement;
    double x = MEKeyboardToolbar::kGap;
    for (const auto& button : buttons) {
        const Rect& frame = button->frame();
        placement.frames.push_back(makeRect(x, 0, frame.width(), frame.height() - heightInset));
        x = std::trunc(x) + frame.width() + MEKeyboardToolbar::kGap;
    }
    placement.contentWidth = buttons.empty() ? 0 : x - MEKeyboardToolbar::kGap;
    return placement;
}
} // namespace

std::shared_ptr<MEKeyboardToolbar> MEKeyboardToolbar::toolbarWithButtons(Buttons buttons)
{
    std::shared_ptr<MEKeyboardToolbar> bar(new MEKeyboardToolbar(std::move(buttons)));
    bar->buildToolbarView();
    return bar;
}

MEKeyboardToolbar::MEKeyboardToolbar(Buttons buttons) : View(makeRect(0, 0, 0, kHeight)), m_buttons(std::move(buttons)) {}

void MEKeyboardToolbar::buildToolbarView()
{
    const double width = frame().width();
    m_toolbarView = std::make_shared<View>(makeRect(0, 0, width, kHeight));
    const Color barColor = Color::colorWithRed(214 / 255.0, 217 / 255.0, 223 / 255.0, 1);
    m_toolbarView->setBackgroundColor(barColor);
    // The bar itself carries the colour too: it is stretched to the window's
    // width, also where it is wider than its keys.
    setBackgroundColor(barColor);
    m_topBorder = std::make_shared<View>(makeRect(0, 0, width, kHairline));
    m_topBorder->setBackgroundColor(Color::colorWithWhite(0.678));
    m_scrollView = std::make_shared<ScrollView>(makeRect(0, 0, width, kHeight));
    m_scrollView->setContentInset(EdgeInsets{6, 0, 4, 6});
    m_toolbarView->addSubview(m_scrollView);
    m_toolbarView->addSubview(m_topBorder);
    addButtons();
    addSubview(m_toolbarView);
}

void MEKeyboardToolbar::addButtons()
{
    Placement placement = placementOf(m_buttons, kKeyHeightInset);
    for (std::size_t index = 0; index < m_buttons.size(); ++index) {
        m_buttons[index]->setFrame(placement.frames[index]);
        m_scrollView->addSubview(m_buttons[index]);
    }
    m_scrollView->setContentSize(Size{placement.contentWidth, m_scrollView->contentSize().height});
}

void MEKeyboardToolbar::setButtons(Buttons buttons)
{
    for (const auto& button : m_buttons)
        button->removeFromSuperview();
    m_buttons = std::move(buttons);
    addButtons();
}

void MEKeyboardToolbar::setButtons(Buttons buttons, bool animated)
{
    if (!animated) {
        setButtons(std::move(buttons));
        return;
    }
    const std::set<std::shared_ptr<METoolbarButton>> kept(buttons.begin(), buttons.end());
    const std::set<std::shared_ptr<METoolbarButton>> old(m_buttons.begin(), m_buttons.end());
    Buttons removed;
    for (const auto& button : m_buttons) {
        if (!kept.count(button))
            removed.push_back(button);
    }
    Buttons added;
    for (const auto& button : buttons) {
        if (!old.count(button))
            added.push_back(button);
    }
    m_buttons = std::move(buttons);

    // Animated keys keep their height: they are only moved.
    Placement placement = placementOf(m_buttons, 0);
    const double contentHeight = m_scrollView->contentSize().height;
    if (m_scrollView->contentSize().width < placement.contentWidth)
        m_scrollView->setContentSize(Size{placement.contentWidth, contentHeight});
    const double end = placement.contentWidth + kGap;
    for (const auto& button : added) {
        button->setFrame(makeRect(end, 0, button->frame().width(), button->frame().height()));
        m_scrollView->addSubview(button);
    }

    std::vector<Rect> starts;
    for (const auto& button : m_buttons)
        starts.push_back(button->frame());
    std::vector<double> alphas;
    for (const auto& button : removed)
        alphas.push_back(button->alpha());
    const double startWidth = m_scrollView->contentSize().width;
    std::weak_ptr<MEKeyboardToolbar> weak = std::static_pointer_cast<MEKeyboardToolbar>(weak_from_this().lock());
    Buttons moving = m_buttons;
    ViewAnimation::animate(
        kAnimationDuration,
        [weak, moving, removed, starts, alphas, placement, startWidth, contentHeight](double progress) {
            auto self = weak.lock();
            if (!self)
                return;
            for (std::size_t index = 0; index < removed.size(); ++index)
                removed[index]->setAlpha(ViewAnimation::interpolate(alphas[index], 0.0, progress));
            for (std::size_t index = 0; index < moving.size(); ++index)
                moving[index]->setFrame(ViewAnimation::interpolate(starts[index], placement.frames[index], progress));
            self->m_scrollView->setContentSize(
                Size{ViewAnimation::interpolate(startWidth, placement.contentWidth, progress), contentHeight});
        },
        [removed] {
            for (const auto& button : removed)
                button->removeFromSuperview();
        });
}

void MEKeyboardToolbar::setFrame(const Rect& frame)
{
    View::setFrame(frame);
    // The visible parts stretch with the bar; the hairline runs along its top.
    if (m_toolbarView) {
        m_toolbarView->setFrame(makeRect(0, 0, frame.width(), kHeight));
        m_scrollView->setFrame(makeRect(0, 0, frame.width(), kHeight));
        m_topBorder->setFrame(makeRect(0, 0, frame.width(), kHairline));
    }
}

} // namespace folio
