#pragma once

#include "platform/graphics/Font.h"
#include "platform/text/AttributeValue.h"

#include <memory>

namespace folio {

// A font as the value of a text attribute. Equality is the font's: what the
// text asked for (name, family, size, traits, matrix, features), so a run whose
// font was substituted still equals one that names the same font.
class FontAttributeValue final : public AttributeValue {
public:
    explicit FontAttributeValue(Font font);
    static std::shared_ptr<const FontAttributeValue> make(Font font);
    const Font& font() const { return m_font; }
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "font"; }

private:
    Font m_font;
    // Every set that holds the font hashes it: the font's hash walks its
    // names, so it is taken once.
    std::size_t m_hash;
};

} // namespace folio
