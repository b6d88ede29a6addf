#include "engine/dom/TETextHTMLElement.h"

namespace folio {

TETextHTMLElement::TETextHTMLElement(std::u16string text)
    : TEHTMLElement(kElementName, {})
    , m_text(std::move(text))
{
}

AttributeDictionaryPtr TETextHTMLElement::attributesForAttributedStringRepresentation() const
{
    if (const TEHTMLElement* parent = parentElement())
        return parent->textAttributes();
    return TEHTMLElement::attributesForAttributedStringRepresentation();
}

std::optional<MutableAttributedString> TETextHTMLElement::leafOutput()
{
    return MutableAttributedString(m_text, attributesForAttributedStringRepresentation());
}

} // namespace folio
