#include "platform/text/FontAttributeValue.h"

namespace folio {

FontAttributeValue::FontAttributeValue(Font font)
    : m_font(std::move(font))
    , m_hash(m_font.hash())
{
}

std::shared_ptr<const FontAttributeValue> FontAttributeValue::make(Font font)
{
    return std::make_shared<const FontAttributeValue>(std::move(font));
}

bool FontAttributeValue::isEqual(const AttributeValue& other) const
{
    const FontAttributeValue* font = other.as<FontAttributeValue>();
    return font && font->m_font == m_font;
}

std::size_t FontAttributeValue::hash() const { return m_hash; }

} // namespace folio
