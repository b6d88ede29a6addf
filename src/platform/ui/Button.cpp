#include "platform/ui/Button.h"

#include "platform/ui/Presenter.h"

namespace folio {

void Button::setTitle(std::u16string title, ControlState state)
{
    auto it = m_titles.find(state);
    if (it != m_titles.end() && it->second == title)
        return;
    m_titles[state] = std::move(title);
    controlDidChange();
}

std::u16string Button::titleForState(ControlState state) const
{
    if (auto it = m_titles.find(state); it != m_titles.end())
        return it->second;
    auto normal = m_titles.find(ControlState::Normal);
    return normal == m_titles.end() ? std::u16string() : normal->second;
}

void Button::setSymbolName(std::string name)
{
    if (name == m_symbolName)
        return;
    m_symbolName = std::move(name);
    controlDidChange();
}

void Button::setTitleFont(std::shared_ptr<const Font> font)
{
    m_titleFont = std::move(font);
    controlDidChange();
}

void Button::setTitleColor(std::optional<Color> color)
{
    m_titleColor = std::move(color);
    controlDidChange();
}

void Button::setImage(std::shared_ptr<const Image> image, ControlState state) { m_images[state] = std::move(image); }

std::shared_ptr<const Image> Button::imageForState(ControlState state) const
{
    if (auto it = m_images.find(state); it != m_images.end())
        return it->second;
    auto normal = m_images.find(ControlState::Normal);
    return normal == m_images.end() ? nullptr : normal->second;
}

bool Button::tap()
{
    if (!isEnabled() || isHidden() || !isUserInteractionEnabled())
        return false;
    if (m_menu && m_showsMenuAsPrimaryAction) {
        m_menuOpen = true;
        // The view's own address: what shows it on screen is found by it.
        Presenter::current().menuRequested(*m_menu, static_cast<const View*>(this));
        return true;
    }
    auto keep = weak_from_this().lock();
    setHighlighted(true);
    sendActionsForControlEvent(ControlEvent::TouchDown);
    setHighlighted(false);
    sendActionsForControlEvent(ControlEvent::TouchUpInside);
    sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
    return true;
}

bool Button::beginTrackingWithTouch(Point)
{
    if (!isEnabled() || isHidden() || !isUserInteractionEnabled())
        return false;
    setHighlighted(true);
    sendActionsForControlEvent(ControlEvent::TouchDown);
    return true;
}

bool Button::continueTrackingWithTouch(Point point)
{
    setHighlighted(touchIsOnButton(point));
    return true;
}

void Button::endTrackingWithTouch(Point point)
{
    auto keep = weak_from_this().lock();
    setHighlighted(false);
    if (!touchIsOnButton(point))
        return;
    sendActionsForControlEvent(ControlEvent::TouchUpInside);
    sendActionsForControlEvent(ControlEvent::PrimaryActionTriggered);
}

void Button::cancelTrackingWithEvent() { setHighlighted(false); }

bool Button::touchIsOnButton(Point point) const
{
    // A finger that slides a little off the button still holds it, as on
    // the platform the buttons come from.
    constexpr double kSlop = 70;
    return point.x >= -kSlop && point.y >= -kSlop && point.x <= bounds().width() + kSlop
           && point.y <= bounds().height() + kSlop;
}

} // namespace folio
