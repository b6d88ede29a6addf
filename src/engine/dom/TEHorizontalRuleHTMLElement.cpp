#include "engine/dom/TEHorizontalRuleHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

namespace folio {

AttributeDictionaryPtr TEHorizontalRuleHTMLElement::attributesForAttributedStringRepresentation() const
{
    const std::u16string* className = attributeForKey("class");
    const bool pageBreak = className && *className == toUtf16(kPageBreakClass);
    return TEHTMLElement::attributesForAttributedStringRepresentation()->dictionaryBySettingValue(
        pageBreak ? TEPageBreakAttribute : TEHorizontalRuleStyleAttribute, BoolValue::make(true));
}

std::optional<MutableAttributedString> TEHorizontalRuleHTMLElement::leafOutput()
{
    return MutableAttributedString(u"\n", attributesForAttributedStringRepresentation());
}

} // namespace folio
