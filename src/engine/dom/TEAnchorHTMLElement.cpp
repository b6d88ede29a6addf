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
        // Both in one pass over the link's runs.
        const AttributeDictionaryPtr added = AttributeDictionary::make(
            {{std::string(TELinkHighlightColorAttribute), ColorValue::make(*m_highlightedTextColor)},
             {std::string(kCTForegroundColorFromContextAttributeName), BoolValue::make(true)}});
        text->addAttributes(*added, Range{0, text->length()});
    }
    return text;
}

} // namespace folio
