#pragma once

#include "engine/display/TEAttributedTextContentView.h"

namespace folio {

// A content view that behaves as a multi-line label: laid out in its bounds
// (height included), relaid out when either side changes, with a line limit
// and truncation.
class TEAttributedLabel : public TEAttributedTextContentView {
public:
    explicit TEAttributedLabel(Rect frame = {});

    void setNumberOfLines(std::int64_t count);
    void setLineBreakMode(TELineBreakMode mode);
    void setTruncationString(std::optional<AttributedString> token);

    // The size of the ink's frame plus the insets; (-1, -1) without a frame.
    Size intrinsicContentSize() override;
};

} // namespace folio
