#include "platform/text/ScalingTextStorage.h"

#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"

#include <cmath>

namespace folio {

namespace {
double sanitizedScale(double scale) { return std::isfinite(scale) && scale > 0 ? scale : 1.0; }
// Enough for every look a highlighted document has; past it the cache starts over.
constexpr std::size_t kScaledCacheLimit = 4096;
} // namespace

std::shared_ptr<ScalingTextStorage> ScalingTextStorage::make(std::shared_ptr<TextStorage> underlying, double scale)
{
    if (!underlying)
        underlying = std::make_shared<TextStorage>();
    std::shared_ptr<ScalingTextStorage> storage(new ScalingTextStorage(std::move(underlying), scale));
    std::weak_ptr<ScalingTextStorage> weak = storage;
    storage->m_observer = storage->m_underlying->addObserver([weak](TextStorage&, const TextStorageEdit& edit) {
        if (auto strong = weak.lock())
            strong->underlyingDidProcessEditing(edit);
    });
    return storage;
}

ScalingTextStorage::ScalingTextStorage(std::shared_ptr<TextStorage> underlying, double scale)
    : m_underlying(std::move(underlying)), m_scale(sanitizedScale(scale))
{
}

ScalingTextStorage::~ScalingTextStorage() { m_underlying->removeObserver(m_observer); }

AttributeDictionaryPtr ScalingTextStorage::scaled(const AttributeDictionaryPtr& attributes, double factor) const
{
    if (!attributes || factor == 1.0)
        return attributes;
    const auto* font = attributes->valueForKeyAs<FontAttributeValue>(TextAttributeName::Font);
    if (!font)
        return attributes;
    return attributes->dictionaryBySettingValue(
        TextAttributeName::Font, FontAttributeValue::make(font->font().copyWithSize(font->font().pointSize() * factor)));
}

AttributeDictionaryPtr ScalingTextStorage::attributesAtIndex(std::size_t index, Range* effectiveRange) const
{
    AttributeDictionaryPtr attributes = m_underlying->attributesAtIndex(index, effectiveRange);
    if (!attributes || m_scale == 1.0)
        return attributes;
    auto found = m_scaledCache.find(attributes.get());
    if (found != m_scaledCache.end())
        return found->second.second;
    if (m_scaledCache.size() >= kScaledCacheLimit)
        m_scaledCache.clear();
    AttributeDictionaryPtr result = scaled(attributes, m_scale);
    m_scaledCache.emplace(attributes.get(), std::make_pair(attributes, result));
    return result;
}

void ScalingTextStorage::setScale(double scale)
{
    scale = sanitizedScale(scale);
    if (scale == m_scale)
        return;
    m_scale = scale;
    m_scaledCache.clear();
    beginEditing();
    edited(TextStorageEditedAttributes, Range{0, length()}, 0);
    endEditing();
}

void ScalingTextStorage::underlyingDidProcessEditing(const TextStorageEdit& edit)
{
    // The underlying range after the change stood, before it, for a range of
    // the text as this storage's observers last saw it.
    Range after = edit.editedRange;
    std::ptrdiff_t oldLength = static_cast<std::ptrdiff_t>(after.length) - edit.changeInLength;
    if (after.isNotFound() || oldLength < 0)
        return;
    beginEditing();
    edited(edit.editedMask, Range{after.location, static_cast<std::size_t>(oldLength)}, edit.changeInLength);
    endEditing();
}

Status ScalingTextStorage::replaceCharactersInRange(Range range, std::u16string_view text)
{
    return m_underlying->replaceCharactersInRange(range, text);
}

Status ScalingTextStorage::setAttributes(AttributeDictionaryPtr attributes, Range range)
{
    return m_underlying->setAttributes(scaled(attributes, 1.0 / m_scale), range);
}

} // namespace folio
