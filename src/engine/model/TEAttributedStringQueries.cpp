#include "engine/model/TEAttributedStringQueries.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"

#include <unordered_map>

namespace folio {

namespace {

bool arrayHoldsObject(const AttributeValuePtr& value, const AttributeValue* object)
{
    const auto* array = value ? value->as<ArrayValue>() : nullptr;
    if (!array)
        return false;
    for (const AttributeValuePtr& element : array->elements()) {
        if (element.get() == object)
            return true;
    }
    return false;
}

// The stretch around index over which every run's array under key holds the
// very object: lists and blocks are followed by identity, since two lists of the
// same kind one after the other are still two lists.
Range rangeOfObjectInArrayBehindAttribute(const AttributedString& string, const AttributeValue* object,
                                          std::string_view key, std::size_t index)
{
    if (!object || index >= string.length())
        return NotFoundRange;
    Range result = NotFoundRange;
    std::size_t position = index;
    while (true) {
        Range run;
        AttributeValuePtr value = string.attributeAtIndex(key, position, &run);
        if (!arrayHoldsObject(value, object))
            break;
        result = result.isNotFound() ? run : unionRange(result, run);
        if (run.location == 0)
            break;
        position = run.location - 1;
    }
    if (result.isNotFound())
        return NotFoundRange;
    std::size_t position2 = result.end();
    while (position2 < string.length()) {
        Range run;
        AttributeValuePtr value = string.attributeAtIndex(key, position2, &run);
        if (!arrayHoldsObject(value, object))
            break;
        result = unionRange(result, run);
        position2 = run.end();
    }
    return result;
}

bool isParagraphSeparator(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\u2029';
}

// The end of the paragraph holding the character at position, after its terminator.
std::size_t paragraphEnd(std::u16string_view text, std::size_t position)
{
    for (std::size_t i = position; i < text.size(); ++i) {
        if (!isParagraphSeparator(text[i]))
            continue;
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            return i + 2;
        return i + 1;
    }
    return text.size();
}

std::size_t paragraphStart(std::u16string_view text, std::size_t position)
{
    while (position > 0 && !isParagraphSeparator(text[position - 1]))
        --position;
    return position;
}

const std::vector<AttributeValuePtr>* listsAtIndex(const AttributedString& string, std::size_t index)
{
    AttributeValuePtr value = string.attributeAtIndex(TETextListsAttribute, index);
    const auto* array = value ? value->as<ArrayValue>() : nullptr;
    if (!array || array->isEmpty())
        return nullptr;
    return &array->elements();
}

bool sameLinkTarget(const AttributeValuePtr& value, const std::string& target)
{
    const auto* url = value ? value->as<URLValue>() : nullptr;
    return url && url->urlString() == target;
}

} // namespace

std::vector<AttributeValuePtr> textAttachmentsWithPredicate(const AttributedString& string,
                                                            const TEAttachmentPredicate& predicate)
{
    std::vector<AttributeValuePtr> attachments;
    string.enumerateAttribute(NSAttachmentAttributeName, Range{0, string.length()}, AttributeEnumerationOptions::None,
                              [&](const AttributeValuePtr& value, Range, bool&) {
                                  if (value && (!predicate || predicate(*value)))
                                      attachments.push_back(value);
                              });
    return attachments;
}

std::int64_t itemNumberInTextList(const AttributedString& string, const AttributeValue* list, std::size_t index)
{
    const auto* lists = index < string.length() ? listsAtIndex(string, index) : nullptr;
    if (!lists)
        return 0;
    Range outer = rangeOfTextList(string, lists->front().get(), index);
    if (outer.isNotFound())
        return 0;

    // Counters follow list objects, not list kinds: a nested list restarts
    // even when it looks like the one around it.
    std::unordered_map<const AttributeValue*, std::int64_t> counters;
    const std::u16string& text = string.string();
    std::size_t start = outer.location;
    while (start < outer.end()) {
        std::size_t end = paragraphEnd(text, start);
        if (const auto* paragraphLists = listsAtIndex(string, start)) {
            const AttributeValue* innermost = paragraphLists->back().get();
            auto found = counters.find(innermost);
            if (found == counters.end()) {
                const auto* style = innermost->as<TECSSListStyle>();
                counters.emplace(innermost, style ? style->startingItemNumber() : 1);
            } else {
                found->second = TECSSListStyle::itemNumber(found->second, 1);
            }
        }
        if (index < end)
            break;
        start = end;
    }
    auto found = counters.find(list);
    return found == counters.end() ? 0 : found->second;
}

Range rangeOfTextList(const AttributedString& string, const AttributeValue* list, std::size_t index)
{
    Range range = rangeOfObjectInArrayBehindAttribute(string, list, TETextListsAttribute, index);
    if (range.isNotFound())
        return range;
    return rangeOfParagraphsContainingRange(string.string(), range);
}

Range rangeOfTextBlock(const AttributedString& string, const AttributeValue* block, std::size_t index)
{
    return rangeOfObjectInArrayBehindAttribute(string, block, TETextBlocksAttribute, index);
}

Range rangeOfAnchorNamed(const AttributedString& string, std::u16string_view name)
{
    Range result = NotFoundRange;
    string.enumerateAttribute(TEAnchorAttribute, Range{0, string.length()}, AttributeEnumerationOptions::None,
                              [&](const AttributeValuePtr& value, Range range, bool& stop) {
                                  const auto* anchor = value ? value->as<StringValue>() : nullptr;
                                  if (anchor && anchor->value() == name) {
                                      result = range;
                                      stop = true;
                                  }
                              });
    return result;
}

Range rangeOfLinkAtIndex(const AttributedString& string, std::size_t index, std::string* url)
{
    Range range;
    AttributeValuePtr value = string.attributeAtIndex(TELinkAttribute, index, &range);
    const auto* link = value ? value->as<URLValue>() : nullptr;
    if (!link)
        return NotFoundRange;
    const std::string& target = link->urlString();
    while (range.location > 0) {
        Range before;
        if (!sameLinkTarget(string.attributeAtIndex(TELinkAttribute, range.location - 1, &before), target))
            break;
        range = unionRange(range, before);
    }
    while (range.end() < string.length()) {
        Range after;
        if (!sameLinkTarget(string.attributeAtIndex(TELinkAttribute, range.end(), &after), target))
            break;
        range = unionRange(range, after);
    }
    if (url)
        *url = target;
    return range;
}

Range rangeOfFieldAtIndex(const AttributedString& string, std::size_t index)
{
    if (index >= string.length())
        return NotFoundRange;
    Range range;
    if (!string.attributeAtIndexLongestEffectiveRange(TEFieldAttribute, index, &range, Range{0, string.length()}))
        return NotFoundRange;
    return range;
}

std::u16string plainTextString(const AttributedString& string)
{
    std::u16string text;
    text.reserve(string.length());
    for (char16_t c : string.string()) {
        if (c != u'\uFFFC')
            text.push_back(c);
    }
    return text;
}

Range rangeOfParagraphsContainingRange(std::u16string_view text, Range range)
{
    std::size_t location = std::min(range.location, text.size());
    std::size_t start = paragraphStart(text, location);
    std::size_t last = range.length > 0 ? std::min(range.end(), text.size()) - 1 : location;
    // A range ending just after "\r" of "\r\n" still ends that one paragraph.
    std::size_t end = last < text.size() ? paragraphEnd(text, last) : text.size();
    if (end < location)
        end = location;
    return Range{start, end - start};
}

Range rangeOfParagraphAtIndex(std::u16string_view text, std::size_t index)
{
    return rangeOfParagraphsContainingRange(text, Range{index, 1});
}

const std::map<std::string, std::u16string>* customHTMLAttributesAtIndex(const AttributedString& string,
                                                                         std::size_t index)
{
    AttributeValuePtr value = string.attributeAtIndex(TECustomAttributesAttribute, index);
    const auto* map = value ? value->as<StringMapValue>() : nullptr;
    return map ? &map->map() : nullptr;
}

Range rangeOfCustomHTMLAttribute(const AttributedString& string, const std::string& name, std::size_t index)
{
    auto valueAt = [&](std::size_t position, Range* run) -> const std::u16string* {
        AttributeValuePtr value = string.attributeAtIndex(TECustomAttributesAttribute, position, run);
        const auto* map = value ? value->as<StringMapValue>() : nullptr;
        return map ? map->valueForKey(name) : nullptr;
    };
    Range range;
    const std::u16string* wanted = valueAt(index, &range);
    if (!wanted)
        return NotFoundRange;
    while (range.location > 0) {
        Range before;
        const std::u16string* value = valueAt(range.location - 1, &before);
        if (!value || *value != *wanted)
            break;
        range = unionRange(range, before);
    }
    while (range.end() < string.length()) {
        Range after;
        const std::u16string* value = valueAt(range.end(), &after);
        if (!value || *value != *wanted)
            break;
        range = unionRange(range, after);
    }
    return range;
}

} // namespace folio
