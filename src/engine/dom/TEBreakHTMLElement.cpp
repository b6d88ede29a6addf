#include "engine/dom/TEBreakHTMLElement.h"

namespace folio {

std::optional<MutableAttributedString> TEBreakHTMLElement::leafOutput()
{
    return MutableAttributedString(u"\n", attributesForAttributedStringRepresentation());
}

} // namespace folio
