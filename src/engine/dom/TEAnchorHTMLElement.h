#pragma once

#include "engine/dom/TEHTMLElement.h"

namespace folio {

// "a": a link, and the colour it takes while pressed.
class TEAnchorHTMLElement : public TEHTMLElement {
public:
    using TEHTMLElement::TEHTMLElement;

    void applyStyleDictionary(const CSSStyleDictionary& styles) override;
    std::optional<MutableAttributedString> attributedString() override;

    const std::optional<Color>& highlightedTextColor() const { return m_highlightedTextColor; }

protected:
    std::string className() const override { return "TEAnchorHTMLElement"; }

private:
    std::optional<Color> m_highlightedTextColor;
};

} // namespace folio
