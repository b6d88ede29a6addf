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

bool TETextHTMLElement::appendOutputTo(MutableAttributedString& text)
{
    // What attributedString() answers: nothing when hidden or output, else
    // the characters in the parent's formatting, with no paragraph end.
    if (displayStyle() == TEHTMLElementDisplayStyle::None || didOutput())
        return true;
    text.appendString(m_text, attributesForAttributedStringRepresentation());
    return true;
}

std::optional<MutableAttributedString> TETextHTMLElement::leafOutput()
{
    return MutableAttributedString(m_text, attributesForAttributedStringRepresentation());
}

} // namespace folio
