#pragma once

#include "engine/display/TEAccessibilityElement.h"
#include "platform/foundation/Range.h"
#include "platform/text/AttributeDictionary.h"

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class AttributedString;
class TEGlyphRun;
class TELayoutFrame;
class TETextAttachment;
class View;

using TEAccessibilityObjectPtr = std::shared_ptr<TEAccessibilityObject>;
// The stand-in for the view that shows an attachment.
using TEAttachmentViewProvider =
    std::function<TEAccessibilityObjectPtr(const std::shared_ptr<const TETextAttachment>&)>;

// One accessibility element per attribute run of every paragraph of a frame:
// a text element labelled with the run's text and framed by its glyph runs,
// or, for an attachment, the provider's stand-in for its view.
class TELayoutFrameAccessibilityElementGenerator {
public:
    using GroupBlock = std::function<void(const AttributeDictionaryPtr& attributes, Range range, bool& stop,
                                          const std::vector<const TEGlyphRun*>& runs)>;

    std::vector<TEAccessibilityObjectPtr> accessibilityElementsForLayoutFrame(
        TELayoutFrame& frame, const View* view, const TEAttachmentViewProvider& provider) const;
    std::vector<TEAccessibilityObjectPtr> accessibilityElementsInParagraphAtIndex(
        std::size_t paragraph, TELayoutFrame& frame, const View* view, const TEAttachmentViewProvider& provider) const;
    void enumerateAccessibleGroupsInFrame(TELayoutFrame& frame, std::size_t paragraph, const GroupBlock& block) const;
    TEAccessibilityObjectPtr accessibilityElementForTextInAttributedString(
        const AttributedString& text, Range range, const AttributeDictionaryPtr& attributes,
        const std::vector<const TEGlyphRun*>& runs, const View* view, const TEAttachmentViewProvider& provider) const;
    // Starting from the null rectangle: no runs give the null rectangle.
    static Rect frameForRuns(const std::vector<const TEGlyphRun*>& runs);
};

} // namespace folio
