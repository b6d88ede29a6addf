#include "engine/dom/TETextHTMLElement.h"

namespace folio {

TETextHTMLElement::TETextHTMLElement(std::u16string text)
    : TEHTMLElement(kElementName, {})
    , m_text(std::move(text))
{
}

std::optional<MutableAttributedString> TETextHTMLElement::leafOutput()
{
    return MutableAttributedString(m_text, attributesForAttributedStringRepresentation());
}

} // namespace folio
