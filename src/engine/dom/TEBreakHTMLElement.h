#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "br": one line feed in the style in force.
class TEBreakHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

protected:
    std::string className() const override { return "TEBreakHTMLElement"; }
    std::optional<MutableAttributedString> leafOutput() override;
};

} // namespace folio
