#include "engine/dom/TETextHTMLElement.h"

namespace folio {

TETextHTMLElement::TETextHTMLElement(std::u16string text)
    : TEHTMLParserNode(kElementName, {})
    , m_text(std::move(text))
{
}

} // namespace folio
