#include "engine/TEHTMLReaderStringExtensions.h"

#include "engine/TEAttributeKeys.h"

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

void appendEndOfParagraph(MutableAttributedString& string)
{
    if (string.length() == 0)
        return;
    const AttributeDictionaryPtr last = string.attributesAtIndex(string.length() - 1);
    static constexpr std::array<std::string_view, 5> kParagraphKeys = {
        kCTFontAttributeName, kCTParagraphStyleAttributeName, TETextBlocksAttribute, TETextListsAttribute,
        kCTForegroundColorAttributeName};
    std::vector<AttributeDictionary::Entry> kept;
    for (std::string_view key : kParagraphKeys) {
        if (const AttributeValuePtr& value = last->valueForKey(key))
            kept.emplace_back(std::string(key), value);
    }
    string.appendString(u"\n", AttributeDictionary::make(std::move(kept)));
}

} // namespace folio
