#include "platform/ui/SegmentedControl.h"

#include <algorithm>

namespace folio {

SegmentedControl::SegmentedControl(std::vector<std::u16string> titles, Rect frame)
    : Control(frame), m_titles(std::move(titles)), m_enabled(m_titles.size(), true)
{
}

void SegmentedControl::setApportionsSegmentWidthsByContent(bool apportions)
{
    m_apportionsByContent = apportions;
    controlDidChange();
}

std::u16string SegmentedControl::titleForSegmentAtIndex(std::size_t index) const
{
    return index < m_titles.size() ? m_titles[index] : std::u16string();
}

void SegmentedControl::setTitleForSegmentAtIndex(std::u16string title, std::size_t index)
{
    if (index < m_titles.size())
        m_titles[index] = std::move(title);
    controlDidChange();
}

void SegmentedControl::insertSegmentWithTitle(std::u16string title, std::size_t index)
{
    index = std::min(index, m_titles.size());
    m_titles.insert(m_titles.begin() + static_cast<std::ptrdiff_t>(index), std::move(title));
    m_enabled.insert(m_enabled.begin() + static_cast<std::ptrdiff_t>(index), true);
    if (m_selected >= static_cast<int>(index))
        ++m_selected;
    controlDidChange();
}

void SegmentedControl::removeAllSegments()
{
    m_titles.clear();
    m_enabled.clear();
    m_selected = kNoSegment;
    controlDidChange();
}

bool SegmentedControl::isEnabledForSegmentAtIndex(std::size_t index) const
{
    return index < m_enabled.size() && m_enabled[index];
}

void SegmentedControl::setEnabledForSegmentAtIndex(bool enabled, std::size_t index)
{
    if (index < m_enabled.size())
        m_enabled[index] = enabled;
    controlDidChange();
}

void SegmentedControl::setSelectedSegmentIndex(int index)
{
    m_selected = index >= 0 && static_cast<std::size_t>(index) < m_titles.size() ? index : kNoSegment;
    controlDidChange();
}

bool SegmentedControl::selectSegment(std::size_t index)
{
    if (!isEnabled() || !isEnabledForSegmentAtIndex(index))
        return false;
    if (m_selected == static_cast<int>(index))
        return true;
    m_selected = static_cast<int>(index);
    sendActionsForControlEvent(ControlEvent::ValueChanged);
    return true;
}

} // namespace folio
