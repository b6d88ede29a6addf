#pragma once

#include "platform/ui/Control.h"

#include <string>
#include <vector>

namespace folio {

class SegmentedControl : public Control {
public:
    static constexpr int kNoSegment = -1;

    explicit SegmentedControl(std::vector<std::u16string> titles = {}, Rect frame = {});

    std::size_t numberOfSegments() const { return m_titles.size(); }
    std::u16string titleForSegmentAtIndex(std::size_t index) const;
    void setTitleForSegmentAtIndex(std::u16string title, std::size_t index);
    void insertSegmentWithTitle(std::u16string title, std::size_t index);
    void removeAllSegments();
    bool isEnabledForSegmentAtIndex(std::size_t index) const;
    void setEnabledForSegmentAtIndex(bool enabled, std::size_t index);

    int selectedSegmentIndex() const { return m_selected; }
    // From code: an index outside the segments selects none; no action is sent.
    void setSelectedSegmentIndex(int index);
    // A user's tap on a segment: sends "value changed" when the selection moved.
    bool selectSegment(std::size_t index);

    // Each segment as wide as its title needs, the room left shared out,
    // rather than all as wide as the widest; a title the control's width
    // cannot hold is shortened, so that the control keeps its width.
    bool apportionsSegmentWidthsByContent() const { return m_apportionsByContent; }
    void setApportionsSegmentWidthsByContent(bool apportions);

private:
    std::vector<std::u16string> m_titles;
    std::vector<bool> m_enabled;
    int m_selected = kNoSegment;
    bool m_apportionsByContent = false;
};

} // namespace folio
