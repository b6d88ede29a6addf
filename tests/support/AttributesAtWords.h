#pragma once

#include "engine/model/TEAttributeKeys.h"
#include "platform/text/AttributeDictionary.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/AttributedString.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <string_view>
#include <vector>

namespace folio::testing_support {

// The attributes of a text where the first place of `words` in it begins;
// none where the text does not hold the words.
inline AttributeDictionaryPtr attributesAtWords(const AttributedString& text, std::u16string_view words)
{
    const std::size_t at = text.string().find(words);
    return at == std::u16string::npos ? nullptr : text.attributesAtIndex(at);
}

// The value of `key` there, when there is one of that type; it lives as
// long as the text.
template <class Value>
const Value* valueAtWords(const AttributedString& text, std::u16string_view words, std::string_view key)
{
    AttributeDictionaryPtr attributes = attributesAtWords(text, words);
    return attributes ? attributes->valueForKeyAs<Value>(key) : nullptr;
}

// The paragraph style of the words' paragraph, if it has one.
inline const PlatformParagraphStyle* paragraphStyleAtWords(const AttributedString& text, std::u16string_view words)
{
    const auto* style = valueAtWords<ParagraphStyleValue>(text, words, kCTParagraphStyleAttributeName);
    return style ? &style->style() : nullptr;
}

// The tab stops of the words' paragraph; none where it sets none.
inline std::vector<TextTab> tabStopsAtWords(const AttributedString& text, std::u16string_view words)
{
    const PlatformParagraphStyle* style = paragraphStyleAtWords(text, words);
    return style && style->tabStops() ? *style->tabStops() : std::vector<TextTab>();
}

} // namespace folio::testing_support
