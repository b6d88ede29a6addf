#pragma once

#include "engine/css/CSSString.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/graphics/Color.h"
#include "platform/text/AttributeValue.h"

#include <memory>
#include <optional>

namespace folio {

class KeyedUnarchiver;

// A block box around one or more paragraphs: padding and a background
// colour. Paragraphs carry their blocks (outermost first) under the text-blocks
// attribute; consecutive paragraphs of one block share the very same object,
// so a block is filled in before it is placed in text and not changed after.
class TETextBlock final : public AttributeValue, public KeyedArchivable {
public:
    TETextBlock() = default;
    TETextBlock(TEEdgeInsets padding, std::optional<Color> backgroundColor)
        : m_padding(padding), m_backgroundColor(std::move(backgroundColor))
    {
    }
    static std::shared_ptr<const TETextBlock> make(TEEdgeInsets padding, std::optional<Color> backgroundColor);

    const TEEdgeInsets& padding() const { return m_padding; }
    void setPadding(const TEEdgeInsets& padding) { m_padding = padding; }
    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color> color) { m_backgroundColor = std::move(color); }

    // Archived under "padding" and "backgroundColor".
    static std::optional<TETextBlock> initWithCoder(const KeyedUnarchiver& coder);
    std::string archiveClassName() const override { return "TETextBlock"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;

    bool isEqualToTextBlock(const TETextBlock& other) const;
    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "textBlock"; }

private:
    TEEdgeInsets m_padding;
    std::optional<Color> m_backgroundColor;
};

} // namespace folio
