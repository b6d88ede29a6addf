#include "engine/dom/TEBreakHTMLElement.h"

namespace folio {

std::optional<MutableAttributedString> TEBreakHTMLElement::leafOutput()
{
    return MutableAttributedString(u"\u2028", attributesForAttributedStringRepresentation());
}

} // namespace folio
