#include "engine/model/TETextBlock.h"

#include "engine/model/TEEdgeInsetsCoding.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/ColorArchive.h"

#include <functional>

namespace folio {

std::shared_ptr<const TETextBlock> TETextBlock::make(TEEdgeInsets padding, std::optional<Color> backgroundColor)
{
    return std::make_shared<const TETextBlock>(padding, std::move(backgroundColor));
}

std::optional<TETextBlock> TETextBlock::initWithCoder(const KeyedUnarchiver& coder)
{
    std::optional<Color> background = coder.decodeObject<Color>("backgroundColor", ColorArchive::decodeColor);
    return TETextBlock(decodeDTEdgeInsetsForKey(coder, "padding"), std::move(background));
}

void TETextBlock::encodeWithCoder(KeyedArchiver& coder) const
{
    encodeDTEdgeInsets(coder, m_padding, "padding");
    if (m_backgroundColor)
        coder.encodeObject(ColorArchive(*m_backgroundColor), "backgroundColor");
}

bool TETextBlock::isEqualToTextBlock(const TETextBlock& other) const
{
    return this == &other || (m_padding == other.m_padding && m_backgroundColor == other.m_backgroundColor);
}

bool TETextBlock::isEqual(const AttributeValue& other) const
{
    const auto* block = other.as<TETextBlock>();
    return block && isEqualToTextBlock(*block);
}

std::size_t TETextBlock::hash() const
{
    // Zero padding of either sign must hash alike, as the values compare equal.
    auto hashLength = [](double value) { return std::hash<double>{}(value == 0 ? 0.0 : value); };
    std::size_t seed = m_backgroundColor ? m_backgroundColor->hash() : 0;
    for (double side : {m_padding.top, m_padding.left, m_padding.bottom, m_padding.right})
        seed = hashCombine(seed, hashLength(side));
    return seed;
}

} // namespace folio
