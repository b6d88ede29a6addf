#include "engine/dom/TEHorizontalRuleHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

namespace folio {

AttributeDictionaryPtr TEHorizontalRuleHTMLElement::attributesForAttributedStringRepresentation() const
{
    const std::u16string* className = attributeForKey("class");
    const bool pageBreak = className && *className == toUtf16(kPageBreakClass);
    AttributeDictionaryPtr attributes = TEHTMLElement::attributesForAttributedStringRepresentation()->dictionaryBySettingValue(
        pageBreak ? TEPageBreakAttribute : TEHorizontalRuleStyleAttribute, BoolValue::make(true));
    // A break a word processor gave the paragraph after it.
    const std::u16string* kind = attributeForKey("data-break");
    if (pageBreak && kind && *kind == u"before")
        attributes = attributes->dictionaryBySettingValue(TEPageBreakBeforeParagraphAttribute, BoolValue::make(true));
    return attributes;
}

std::optional<MutableAttributedString> TEHorizontalRuleHTMLElement::leafOutput()
{
    return MutableAttributedString(u"\n", attributesForAttributedStringRepresentation());
}

} // namespace folio
