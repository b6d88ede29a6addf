#include "engine/dom/TEFormFeedSpanHTMLElement.h"

#include "engine/dom/TEHorizontalRuleHTMLElement.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::optional<std::string_view> TEFormFeedSpanHTMLElement::markOfSpan(const std::string& name,
                                                                       const TEHTMLAttributes& attributes)
{
    if (name != "span")
        return std::nullopt;
    // Made once: a page has thousands of spans.
    static const std::u16string pageBreakClass = toUtf16(TEHorizontalRuleHTMLElement::kPageBreakClass);
    static const std::u16string ruleClass = toUtf16(kRuleClass);
    for (const auto& [attribute, value] : attributes) {
        if (attribute != "class")
            continue;
        if (value == pageBreakClass)
            return TEPageBreakAttribute;
        if (value == ruleClass)
            return TEHorizontalRuleStyleAttribute;
    }
    return std::nullopt;
}

TEFormFeedSpanHTMLElement::TEFormFeedSpanHTMLElement(std::string name, TEHTMLAttributes attributes,
                                                     std::string_view mark)
    : TEHTMLElement(std::move(name), std::move(attributes))
    , m_mark(mark)
{
}

AttributeDictionaryPtr TEFormFeedSpanHTMLElement::attributesForAttributedStringRepresentation() const
{
    // The span's own HTML attributes only mark the break or rule, which the
    // attribute says by itself.
    return TEHTMLElement::attributesForAttributedStringRepresentation()
        ->dictionaryByRemovingKey(TECustomAttributesAttribute)
        ->dictionaryBySettingValue(m_mark, BoolValue::make(true));
}

std::optional<MutableAttributedString> TEFormFeedSpanHTMLElement::attributedString()
{
    // Text that found its way into the span is kept, after it.
    std::optional<MutableAttributedString> inside = TEHTMLElement::attributedString();
    if (!inside)
        return inside;
    MutableAttributedString text(u"\f", attributesForAttributedStringRepresentation());
    text.appendAttributedString(std::move(*inside));
    return text;
}

} // namespace folio
