#include "engine/display/TELayoutFrameAccessibilityElementGenerator.h"

#include "engine/attachments/TETextAttachment.h"
#include "engine/display/TEGeometry.h"
#include "engine/display/TEGlyphRun.h"
#include "engine/display/TELayoutFrame.h"
#include "engine/display/TELayoutLine.h"
#include "engine/model/TEAttributeKeys.h"

namespace folio {

std::vector<TEAccessibilityObjectPtr> TELayoutFrameAccessibilityElementGenerator::accessibilityElementsForLayoutFrame(
    TELayoutFrame& frame, const View* view, const TEAttachmentViewProvider& provider) const
{
    std::vector<TEAccessibilityObjectPtr> elements;
    for (std::size_t paragraph = 0; paragraph < frame.paragraphRanges().size(); ++paragraph) {
        std::vector<TEAccessibilityObjectPtr> inParagraph =
            accessibilityElementsInParagraphAtIndex(paragraph, frame, view, provider);
        elements.insert(elements.end(), inParagraph.begin(), inParagraph.end());
    }
    return elements;
}

std::vector<TEAccessibilityObjectPtr> TELayoutFrameAccessibilityElementGenerator::accessibilityElementsInParagraphAtIndex(
    std::size_t paragraph, TELayoutFrame& frame, const View* view, const TEAttachmentViewProvider& provider) const
{
    std::vector<TEAccessibilityObjectPtr> elements;
    enumerateAccessibleGroupsInFrame(frame, paragraph,
                                     [&](const AttributeDictionaryPtr& attributes, Range range, bool&,
                                         const std::vector<const TEGlyphRun*>& runs) {
                                         if (TEAccessibilityObjectPtr element =
                                                 accessibilityElementForTextInAttributedString(
                                                     frame.attributedStringFragment(), range, attributes, runs, view,
                                                     provider))
                                             elements.push_back(std::move(element));
                                     });
    return elements;
}

void TELayoutFrameAccessibilityElementGenerator::enumerateAccessibleGroupsInFrame(TELayoutFrame& frame,
                                                                                 std::size_t paragraph,
                                                                                 const GroupBlock& block) const
{
    if (paragraph >= frame.paragraphRanges().size())
        return;
    Range range = frame.paragraphRanges()[paragraph];
    std::vector<TELayoutLinePtr> lines = frame.linesInParagraphAtIndex(paragraph);
    frame.attributedStringFragment().enumerateAttributes(
        range, AttributeEnumerationOptions::None,
        [&](const AttributeDictionaryPtr& attributes, Range runRange, bool& stop) {
            std::vector<const TEGlyphRun*> runs;
            for (const TELayoutLinePtr& line : lines)
                for (const TEGlyphRun* run : line->glyphRunsWithRange(runRange))
                    runs.push_back(run);
            block(attributes, runRange, stop, runs);
        });
}

TEAccessibilityObjectPtr TELayoutFrameAccessibilityElementGenerator::accessibilityElementForTextInAttributedString(
    const AttributedString& text, Range range, const AttributeDictionaryPtr& attributes,
    const std::vector<const TEGlyphRun*>& runs, const View* view, const TEAttachmentViewProvider& provider) const
{
    if (attributes && attributes->containsKey(NSAttachmentAttributeName)) {
        auto attachment =
            std::dynamic_pointer_cast<const TETextAttachment>(attributes->valueForKey(NSAttachmentAttributeName));
        return provider && attachment ? provider(attachment) : nullptr;
    }
    auto element = std::make_shared<TEAccessibilityElement>(view);
    element->setAccessibilityLabel(text.string().substr(range.location, range.length));
    element->setLocalCoordinateAccessibilityFrame(frameForRuns(runs));
    if (runs.size() >= 2)
        element->setLocalCoordinateAccessibilityActivationPoint(runs.front()->frame().origin);
    std::uint64_t traits = TEAccessibilityTraitStaticText;
    if (attributes && attributes->containsKey(TELinkAttribute))
        traits |= TEAccessibilityTraitLink;
    element->setAccessibilityTraits(traits);
    return element;
}

Rect TELayoutFrameAccessibilityElementGenerator::frameForRuns(const std::vector<const TEGlyphRun*>& runs)
{
    Rect frame = TERectNull();
    for (const TEGlyphRun* run : runs)
        frame = TERectUnion(frame, run->frame());
    return frame;
}

} // namespace folio
