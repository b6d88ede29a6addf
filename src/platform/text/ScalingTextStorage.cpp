#include "platform/text/ScalingTextStorage.h"

#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"

#include <cmath>

namespace folio {

namespace {
double sanitizedScale(double scale) { return std::isfinite(scale) && scale > 0 ? scale : 1.0; }
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
    backing().setAttributedString(scaledCopy(Range{0, m_underlying->length()}));
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

MutableAttributedString ScalingTextStorage::scaledCopy(Range range) const
{
    MutableAttributedString copy;
    copy.beginEditing();
    const std::u16string& text = m_underlying->string();
    for (std::size_t index = range.location; index < range.end();) {
        Range run;
        AttributeDictionaryPtr attributes = m_underlying->attributesAtIndex(index, &run);
        std::size_t end = std::min(range.end(), std::max(run.end(), index + 1));
        copy.appendString(std::u16string_view(text).substr(index, end - index), scaled(attributes, m_scale));
        index = end;
    }
    copy.endEditing();
    return copy;
}

void ScalingTextStorage::setScale(double scale)
{
    scale = sanitizedScale(scale);
    if (scale == m_scale)
        return;
    m_scale = scale;
    beginEditing();
    backing().setAttributedString(scaledCopy(Range{0, m_underlying->length()}));
    edited(TextStorageEditedAttributes, Range{0, length()}, 0);
    endEditing();
}

void ScalingTextStorage::underlyingDidProcessEditing(const TextStorageEdit& edit)
{
    // The underlying range after the change stood, before it, for the range
    // that is still in our copy.
    Range after = edit.editedRange;
    std::ptrdiff_t oldLength = static_cast<std::ptrdiff_t>(after.length) - edit.changeInLength;
    if (oldLength < 0 || !isValidRange(Range{after.location, static_cast<std::size_t>(oldLength)})) {
        // Out of step (should not happen): copy everything again.
        beginEditing();
        std::size_t previousLength = length();
        backing().setAttributedString(scaledCopy(Range{0, m_underlying->length()}));
        edited(TextStorageEditedCharacters | TextStorageEditedAttributes, Range{0, previousLength},
               static_cast<std::ptrdiff_t>(length()) - static_cast<std::ptrdiff_t>(previousLength));
        endEditing();
        return;
    }
    Range before{after.location, static_cast<std::size_t>(oldLength)};
    beginEditing();
    backing().replaceCharactersInRangeWithAttributedString(before, scaledCopy(after));
    edited(edit.editedMask, before, edit.changeInLength);
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
