#include "engine/dom/TEAnchorHTMLElement.h"

#include "engine/css/ColorHTML.h"
#include "engine/model/TEAttributeKeys.h"

namespace folio {

void TEAnchorHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    TEHTMLElement::applyStyleDictionary(styles);
    if (auto active = styles.stringForKey("active:color"))
        m_highlightedTextColor = colorWithHTMLName(std::u16string_view(*active));
}

std::optional<MutableAttributedString> TEAnchorHTMLElement::attributedString()
{
    std::optional<MutableAttributedString> text = TEHTMLElement::attributedString();
    if (text && m_highlightedTextColor && text->length() > 0) {
        const Range whole{0, text->length()};
        text->addAttribute(TELinkHighlightColorAttribute, ColorValue::make(*m_highlightedTextColor), whole);
        text->addAttribute(kCTForegroundColorFromContextAttributeName, BoolValue::make(true), whole);
    }
    return text;
}

} // namespace folio
