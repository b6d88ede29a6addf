#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "div"; the editor's footnote table division marks where the notes begin.
class TEDivHTMLElement : public TEHTMLElement {
public:
    static constexpr const char* kFootnoteTableID = "divfootnotetable";

    using TEHTMLElement::TEHTMLElement;

    std::optional<MutableAttributedString> attributedString() override;

protected:
    std::string className() const override { return "TEDivHTMLElement"; }
};

} // namespace folio
