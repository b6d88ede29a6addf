#include "engine/dom/TEBreakHTMLElement.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/StringUtilities.h"

namespace folio {

std::optional<MutableAttributedString> TEBreakHTMLElement::leafOutput()
{
    AttributeDictionaryPtr attributes = attributesForAttributedStringRepresentation();
    // A break that clears the pictures beside the text keeps the side.
    if (const std::u16string* clear = attributeForKey("clear")) {
        const std::u16string side = lowercaseString(std::u16string_view(*clear));
        const int number = side == u"left" ? 1 : side == u"right" ? 2 : side == u"all" || side == u"both" ? 3 : 0;
        if (number != 0)
            attributes = (attributes ? attributes : AttributeDictionary::empty())
                             ->dictionaryBySettingValue(TELineBreakClearAttribute, IntegerValue::make(number));
    }
    return MutableAttributedString(u"\u2028", attributes);
}

} // namespace folio
