#pragma once

#include "platform/foundation/Range.h"
#include "platform/text/AttributedString.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class TECSSListStyle;

// Questions about attributed text of the engine's model: where a list, text
// block, anchor, link or field begins and ends, which number a list item has,
// which attachments the text holds. Ranges that are not found are
// NotFoundRange.

using TEAttachmentPredicate = std::function<bool(const AttributeValue& attachment)>;

// The attachments of the whole text, in text order, that pass the predicate
// (when one is given); empty when there are none.
std::vector<AttributeValuePtr> textAttachmentsWithPredicate(const AttributedString& string,
                                                            const TEAttachmentPredicate& predicate = {});

// The attachments of class T (or a subclass of it) that pass the predicate.
template <typename T>
std::vector<std::shared_ptr<const T>> textAttachmentsWithPredicate(
    const AttributedString& string, const std::function<bool(const T&)>& predicate = {})
{
    std::vector<std::shared_ptr<const T>> result;
    auto ofClass = [&](const AttributeValue& value) {
        const T* typed = dynamic_cast<const T*>(&value);
        return typed && (!predicate || predicate(*typed));
    };
    for (const AttributeValuePtr& value : textAttachmentsWithPredicate(string, TEAttachmentPredicate(ofClass)))
        result.push_back(std::dynamic_pointer_cast<const T>(value));
    return result;
}

// The number of the item at index within `list` (compared by identity), counting
// from the list's starting number over the paragraphs of the outermost list
// there; 0 when the index carries no lists or `list` was not met.
std::int64_t itemNumberInTextList(const AttributedString& string, const AttributeValue* list, std::size_t index);

// The range of `list` (an element of the text-lists array, by identity) around
// index, widened to whole paragraphs.
Range rangeOfTextList(const AttributedString& string, const AttributeValue* list, std::size_t index);

// The range of `block` (an element of the text-blocks array, by identity) around
// index; not widened.
Range rangeOfTextBlock(const AttributedString& string, const AttributeValue* block, std::size_t index);

// The first run whose anchor name is `name`.
Range rangeOfAnchorNamed(const AttributedString& string, std::u16string_view name);

// The link at index, joined with the runs around it that carry the same link
// target. Targets are compared as written: two links that differ only in their
// query or fragment go to different places and stay apart. `url` receives the
// target when asked.
Range rangeOfLinkAtIndex(const AttributedString& string, std::size_t index, std::string* url = nullptr);

// The run of the field marker at index; not found at or past the end.
Range rangeOfFieldAtIndex(const AttributedString& string, std::size_t index);

// The text without its attachment characters (U+FFFC).
std::u16string plainTextString(const AttributedString& string);

// The paragraphs holding range: from the first one's start to the end of the
// last one including its terminator ("\n", "\r", "\r\n", U+2029).
Range rangeOfParagraphsContainingRange(std::u16string_view text, Range range);
// The paragraph holding the character at index.
Range rangeOfParagraphAtIndex(std::u16string_view text, std::size_t index);

// The HTML attributes kept with the text (under "TECustomAttributes") at index.
const std::map<std::string, std::u16string>* customHTMLAttributesAtIndex(const AttributedString& string,
                                                                         std::size_t index);
// The stretch around index over which the HTML attribute `name` keeps the value
// it has at index; not found when index has no such attribute.
Range rangeOfCustomHTMLAttribute(const AttributedString& string, const std::string& name, std::size_t index);

} // namespace folio
