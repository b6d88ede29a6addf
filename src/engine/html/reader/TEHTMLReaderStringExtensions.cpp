#include "engine/html/reader/TEHTMLReaderStringExtensions.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEAttributeQueries.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UnicodeProperties.h"
#include "platform/text/FontAttributeValue.h"

#include <algorithm>
#include <array>

namespace folio {

void appendStringContinuingStyle(MutableAttributedString& string, std::u16string_view text)
{
    if (string.length() == 0) {
        string.appendString(text, nullptr);
        return;
    }
    AttributeDictionaryPtr attributes = string.attributesAtIndex(string.length() - 1);
    for (std::string_view key : {NSAttachmentAttributeName, kCTRunDelegateAttributeName, TEFieldAttribute})
        attributes = attributes->dictionaryByRemovingKey(key);
    string.appendString(text, std::move(attributes));
}

void appendTakingOver(MutableAttributedString& string, MutableAttributedString&& tail)
{
    if (string.length() == 0 && !string.isEditing() && !tail.isEditing())
        string = std::move(tail);
    else
        string.appendAttributedString(std::move(tail));
}

void appendEndOfParagraph(MutableAttributedString& string, TEAttributeDictionaryPool* pool)
{
    if (string.length() == 0)
        return;
    const AttributeDictionaryPtr last = string.attributesAtIndex(string.length() - 1);
    auto make = [&last] {
        // The section break ends with the paragraph's end, where a writer
        // puts it.
        static constexpr std::array<std::string_view, 9> kParagraphKeys = {
            kCTFontAttributeName, kCTParagraphStyleAttributeName, TETextBlocksAttribute, TETextListsAttribute,
            kCTForegroundColorAttributeName, TESectionBreakAttribute, TEParagraphShadingAttribute,
            TEParagraphBordersAttribute, TEParagraphFrameAttribute};
        std::vector<AttributeDictionary::Entry> kept;
        for (std::string_view key : kParagraphKeys) {
            if (const AttributeValuePtr& value = last->valueForKey(key))
                kept.emplace_back(std::string(key), value);
        }
        return AttributeDictionary::make(std::move(kept));
    };
    if (!pool) {
        string.appendString(u"\n", make());
        return;
    }
    // A page's paragraph ends mostly look alike: they share the pooled one,
    // worked out once for each dictionary a paragraph ends with.
    string.appendString(u"\n", pool->derivedDictionary("paragraph end", last,
                                                       [&] { return pool->sharedDictionary(make()); }));
}

void appendStringWithParagraphStyle(MutableAttributedString& string, std::u16string_view text,
                                    const TEParagraphStyle* paragraphStyle, const TEFontDescriptor* fontDescriptor)
{
    std::vector<AttributeDictionary::Entry> attributes;
    if (paragraphStyle)
        attributes.emplace_back(std::string(kCTParagraphStyleAttributeName),
                                ParagraphStyleValue::make(paragraphStyle->createCTParagraphStyle()));
    if (fontDescriptor) {
        if (std::optional<Font> font = fontDescriptor->newMatchingFont())
            attributes.emplace_back(std::string(kCTFontAttributeName), FontAttributeValue::make(std::move(*font)));
    }
    string.appendString(text, attributes.empty() ? nullptr : AttributeDictionary::make(std::move(attributes)));
}

namespace {

Range clippedRange(const AttributedString& string, Range range)
{
    const std::size_t start = std::min(range.location, string.length());
    const std::size_t available = string.length() - start;
    return Range{start, std::min(range.length, available)};
}

// Rewrites the custom-attribute dictionary of every run in the range.
template <typename Edit>
void editHTMLAttributes(MutableAttributedString& string, Range range, Edit edit)
{
    range = clippedRange(string, range);
    if (range.length == 0)
        return;
    std::vector<std::pair<Range, std::optional<StringMapValue::Map>>> changes;
    string.enumerateAttribute(TECustomAttributesAttribute, range, AttributeEnumerationOptions::None,
                              [&](const AttributeValuePtr& value, Range runRange, bool&) {
                                  const auto* map = value ? value->as<StringMapValue>() : nullptr;
                                  StringMapValue::Map attributes = map ? map->map() : StringMapValue::Map{};
                                  if (edit(attributes))
                                      changes.emplace_back(runRange, attributes.empty()
                                                                         ? std::nullopt
                                                                         : std::optional(std::move(attributes)));
                              });
    string.beginEditing();
    for (auto& [runRange, attributes] : changes) {
        if (attributes)
            string.addAttribute(TECustomAttributesAttribute, StringMapValue::make(std::move(*attributes)), runRange);
        else
            string.removeAttribute(TECustomAttributesAttribute, runRange);
    }
    string.endEditing();
}

} // namespace

void addHTMLAttribute(MutableAttributedString& string, const std::string& name, std::u16string_view value,
                      Range range, bool replaceExisting)
{
    editHTMLAttributes(string, range, [&](StringMapValue::Map& attributes) {
        if (!replaceExisting && attributes.count(name))
            return false;
        attributes[name] = std::u16string(value);
        return true;
    });
}

void removeHTMLAttribute(MutableAttributedString& string, const std::string& name, Range range)
{
    editHTMLAttributes(string, range, [&](StringMapValue::Map& attributes) { return attributes.erase(name) > 0; });
}

std::optional<AttributedString> synthesizedSmallCapsAttributedStringWithText(std::u16string_view text,
                                                                              const AttributeDictionaryPtr& attributes)
{
    if (!attributes)
        return std::nullopt;
    std::optional<TEFontDescriptor> descriptor = TEAttributeQueries::fontDescriptor(*attributes);
    if (!descriptor)
        return std::nullopt;
    TEFontDescriptor smaller = *descriptor;
    smaller.setPointSize(descriptor->pointSize() * 0.7);
    std::optional<Font> smallFont = smaller.newMatchingFont();
    if (!smallFont)
        return std::nullopt;
    const AttributeDictionaryPtr smallAttributes =
        attributes->dictionaryBySettingValue(kCTFontAttributeName, FontAttributeValue::make(std::move(*smallFont)));

    MutableAttributedString result;
    std::size_t index = 0;
    while (index < text.size()) {
        const bool lowercase = isLowercaseLetter(text[index]);
        std::size_t end = index;
        while (end < text.size() && isLowercaseLetter(text[end]) == lowercase)
            ++end;
        std::u16string_view run = text.substr(index, end - index);
        if (lowercase)
            result.appendString(uppercaseString(run), smallAttributes);
        else
            result.appendString(run, attributes);
        index = end;
    }
    return AttributedString(std::move(result));
}

bool indexIsAtBeginningOfParagraph(std::u16string_view text, std::size_t index)
{
    return index == 0 || (index <= text.size() && text[index - 1] == u'\n');
}

std::size_t numberOfParagraphs(std::u16string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n'));
}

void removeTrailingWhitespace(std::u16string& text)
{
    static constexpr std::u16string_view kTrailing = u" \t\n\v\f\r\u0085";
    const std::size_t last = text.find_last_not_of(kTrailing);
    text.erase(last == std::u16string::npos ? 0 : last + 1);
}

} // namespace folio
