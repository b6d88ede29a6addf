#include "engine/dom/TEAnchorHTMLElement.h"

#include "engine/css/ColorHTML.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEFormattingKey.h"

namespace folio {

void TEAnchorHTMLElement::applyStyleDictionary(const CSSStyleDictionary& styles)
{
    // The page writes "color: inherit; text-decoration: none" on every
    // link, only to keep a browser's blue underline of links away. The
    // colour is the text's around it; and no decoration can take off the
    // underline of an element around the link, where the engine's edits
    // leave the link's own look.
    const auto color = styles.stringForKey("color");
    const auto decoration = styles.stringForKey("text-decoration");
    const bool inherits = color && *color == u"inherit";
    const bool undecorated = decoration && *decoration == u"none";
    if (inherits || undecorated) {
        CSSStyleDictionary own = styles;
        if (inherits)
            own.removeValueForKey("color");
        if (undecorated)
            own.removeValueForKey("text-decoration");
        TEHTMLElement::applyStyleDictionary(own);
    } else {
        TEHTMLElement::applyStyleDictionary(styles);
    }
    if (auto active = styles.stringForKey("active:color"))
        m_highlightedTextColor = colorWithHTMLName(std::u16string_view(*active));
}

std::optional<MutableAttributedString> TEAnchorHTMLElement::attributedString()
{
    std::optional<MutableAttributedString> text = TEHTMLElement::attributedString();
    if (text && m_highlightedTextColor && text->length() > 0) {
        // Both in one pass over the link's runs. The links of a page share a
        // few highlight colours: the pair is made once for each.
        const Color& highlight = *m_highlightedTextColor;
        auto makeAdded = [&highlight] {
            return AttributeDictionary::make(
                {{std::string(TELinkHighlightColorAttribute), ColorValue::make(highlight)},
                 {std::string(kCTForegroundColorFromContextAttributeName), BoolValue::make(true)}});
        };
        AttributeDictionaryPtr added;
        if (TEAttributeDictionaryPool* pool = dictionaryPool()) {
            TEFormattingKey key;
            key.add(std::string_view("link highlight"));
            key.add(highlight);
            added = pool->sharedDictionary(key.bytes(), makeAdded);
        } else {
            added = makeAdded();
        }
        text->addAttributes(*added, Range{0, text->length()});
    }
    return text;
}

} // namespace folio
