#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "br": a line break inside its paragraph (U+2028) in the style in force.
// Where it ends its block or stands before a block, the block turns it into
// the paragraph's end, as a browser draws no line for it there.
class TEBreakHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

protected:
    std::string className() const override { return "TEBreakHTMLElement"; }
    std::optional<MutableAttributedString> leafOutput() override;
};

} // namespace folio
