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

private:
    std::vector<std::u16string> m_titles;
    std::vector<bool> m_enabled;
    int m_selected = kNoSegment;
};

} // namespace folio
