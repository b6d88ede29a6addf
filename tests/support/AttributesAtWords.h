#pragma once

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/AttributeDictionary.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/AttributedString.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <cmath>
#include <optional>
#include <sstream>
#include <string>
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

// What the paragraph and run at the first place of `words` say of line
// spacing (single, a multiple in twips, a least or exact height in points),
// raising, borders and, for a list item, its list's type and marker words
// and its indents in twips; "missing" where the text does not hold them.
inline std::string paragraphLooksAtWords(const AttributedString& text, std::u16string_view words)
{
    const std::size_t at = text.string().find(words);
    if (at == std::u16string::npos)
        return "missing";
    AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
    std::ostringstream summary;
    const auto* paragraph = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
    const PlatformParagraphStyle style = paragraph ? paragraph->style() : PlatformParagraphStyle();
    if (style.maximumLineHeight() > 0 && style.maximumLineHeight() == style.minimumLineHeight())
        summary << "exact " << style.maximumLineHeight();
    else if (style.minimumLineHeight() > 0)
        summary << "least " << style.minimumLineHeight() << (style.maximumLineHeight() > 0 ? " most" : "");
    else if (style.minimumLineSpacing() > 0 && std::abs(style.minimumLineSpacing() - 1) > 1e-6)
        summary << "lines " << std::lround(style.minimumLineSpacing() * 240);
    else
        summary << "single";
    summary << " script " << intForKey(*attributes, kCTSuperscriptAttributeName, 0);
    if (const auto* borders = attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute))
        summary << " borders " << toUtf8(borders->value());
    // An item names its list on its first character (its marker), or
    // is in the list of an item before it.
    const std::size_t end = at == 0 ? std::u16string::npos : text.string().rfind(u'\n', at - 1);
    AttributeDictionaryPtr first = text.attributesAtIndex(end == std::u16string::npos ? 0 : end + 1);
    const ArrayValue* lists = first->valueForKeyAs<ArrayValue>(TETextListsAttribute);
    if (lists || first->containsKey(TETextIsListAttribute)) {
        const auto* list = lists && !lists->isEmpty() ? lists->elements().back()->as<TECSSListStyle>() : nullptr;
        summary << (list ? " list " + std::to_string(static_cast<int>(list->type())) : std::string(" item"));
        if (const std::optional<TECSSListStyle::MarkerText> marker = list ? list->markerText() : std::nullopt)
            summary << " numbering " << static_cast<int>(marker->numbering) << " format " << marker->numberFormat
                    << " aligned " << static_cast<int>(marker->alignment);
        summary << " indents " << std::lround(style.firstLineHeadIndent() * 1440 / 2.54) << " "
                << std::lround(style.headIndent() * 1096 / 80);
    }
    return summary.str();
}

// The font and size of each paragraph end of a text, in order, as
// "N: PostScriptName size"; "no font" for an end without one.
inline std::vector<std::string> paragraphEndFonts(const AttributedString& text)
{
    std::vector<std::string> ends;
    const std::u16string& string = text.string();
    for (std::size_t index = string.find(u'\n'); index != std::u16string::npos; index = string.find(u'\n', index + 1)) {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
        const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
        std::ostringstream end;
        end << ends.size() << ": ";
        if (font)
            end << font->font().postScriptName() << " " << font->font().pointSize();
        else
            end << "no font";
        ends.push_back(end.str());
    }
    return ends;
}

} // namespace folio::testing_support
