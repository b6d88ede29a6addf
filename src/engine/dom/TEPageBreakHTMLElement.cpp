#include "engine/dom/TEPageBreakHTMLElement.h"

#include "engine/dom/TEHorizontalRuleHTMLElement.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

bool TEPageBreakHTMLElement::isPageBreakSpan(const std::string& name, const TEHTMLAttributes& attributes)
{
    if (name != "span")
        return false;
    const std::u16string pageBreakClass = toUtf16(TEHorizontalRuleHTMLElement::kPageBreakClass);
    return std::ranges::any_of(attributes, [&](const auto& attribute) {
        return attribute.first == "class" && attribute.second == pageBreakClass;
    });
}

AttributeDictionaryPtr TEPageBreakHTMLElement::attributesForAttributedStringRepresentation() const
{
    // The span's own HTML attributes only mark the break, which the text
    // says by itself.
    return TEHTMLElement::attributesForAttributedStringRepresentation()
        ->dictionaryByRemovingKey(TECustomAttributesAttribute)
        ->dictionaryBySettingValue(TEPageBreakAttribute, BoolValue::make(true));
}

std::optional<MutableAttributedString> TEPageBreakHTMLElement::attributedString()
{
    // Text that found its way into the break is kept, after it.
    std::optional<MutableAttributedString> inside = TEHTMLElement::attributedString();
    if (!inside)
        return inside;
    MutableAttributedString text(u"\f", attributesForAttributedStringRepresentation());
    text.appendAttributedString(std::move(*inside));
    return text;
}

} // namespace folio
