#include "engine/dom/TEDivHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::optional<MutableAttributedString> TEDivHTMLElement::attributedString()
{
    std::optional<MutableAttributedString> text = TEHTMLElement::attributedString();
    const std::u16string* id = attributeForKey("id");
    if (text && text->length() > 0 && id && *id == toUtf16(kFootnoteTableID))
        text->addAttribute(TETextIsFootnoteTableAttribute, StringValue::make(u"1"), Range{text->length() - 1, 1});
    return text;
}

} // namespace folio
