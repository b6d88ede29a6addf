#include "engine/dom/TEInlineRuleHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

bool TEInlineRuleHTMLElement::isRuleSpan(const std::string& name, const TEHTMLAttributes& attributes)
{
    if (name != "span")
        return false;
    const std::u16string ruleClass = toUtf16(kRuleClass);
    return std::ranges::any_of(attributes, [&](const auto& attribute) {
        return attribute.first == "class" && attribute.second == ruleClass;
    });
}

AttributeDictionaryPtr TEInlineRuleHTMLElement::attributesForAttributedStringRepresentation() const
{
    // The span's own HTML attributes only mark the rule, which the
    // attribute says by itself.
    return TEHTMLElement::attributesForAttributedStringRepresentation()
        ->dictionaryByRemovingKey(TECustomAttributesAttribute)
        ->dictionaryBySettingValue(TEHorizontalRuleStyleAttribute, BoolValue::make(true));
}

std::optional<MutableAttributedString> TEInlineRuleHTMLElement::attributedString()
{
    // Text that found its way into the rule is kept, after it.
    std::optional<MutableAttributedString> inside = TEHTMLElement::attributedString();
    if (!inside)
        return inside;
    MutableAttributedString text(u"\f", attributesForAttributedStringRepresentation());
    text.appendAttributedString(std::move(*inside));
    return text;
}

} // namespace folio
