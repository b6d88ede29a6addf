#include "engine/display/TEAttributedLabel.h"

namespace folio {

TEAttributedLabel::TEAttributedLabel(Rect frame) : TEAttributedTextContentView(frame)
{
    setRelayoutMask(TEAttributedTextContentViewRelayoutOnWidthChanged
                    | TEAttributedTextContentViewRelayoutOnHeightChanged);
    setLayoutFrameHeightIsConstrainedByBounds(true);
}

void TEAttributedLabel::setNumberOfLines(std::int64_t count)
{
    if (count == m_numberOfLines)
        return;
    m_numberOfLines = count;
    relayoutText();
}

void TEAttributedLabel::setLineBreakMode(TELineBreakMode mode)
{
    if (mode == m_lineBreakMode)
        return;
    m_lineBreakMode = mode;
    relayoutText();
}

void TEAttributedLabel::setTruncationString(std::optional<AttributedString> token)
{
    if (token == m_truncationString)
        return;
    m_truncationString = std::move(token);
    relayoutText();
}

Size TEAttributedLabel::intrinsicContentSize()
{
    std::shared_ptr<TELayoutFrame> frame = layoutFrame();
    if (!frame)
        return Size{-1, -1};
    Rect content = frame->intrinsicContentFrame();
    const EdgeInsets& insets = edgeInsets();
    return Size{content.size.width + insets.left + insets.right, content.size.height + insets.top + insets.bottom};
}

} // namespace folio
