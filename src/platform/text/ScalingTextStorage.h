#pragma once

#include "platform/text/TextStorage.h"

#include <memory>
#include <unordered_map>

namespace folio {

// Shows another storage zoomed: its characters are the underlying storage's
// own, and its attributes are the underlying ones with every font scaled. It
// keeps no copy of the text, so following an edit of the underlying storage
// costs the same in a short note and in a long book. Edits made here (typing
// in a view that shows this storage) go to the underlying storage with their
// fonts brought back to the real size, so the document never sees the zoom;
// the underlying storage's own processing (restyling) then comes back through
// here like any other edit.
class ScalingTextStorage : public TextStorage {
public:
    // A scale that is not a positive finite number counts as 1.
    static std::shared_ptr<ScalingTextStorage> make(std::shared_ptr<TextStorage> underlying, double scale = 1.0);
    ~ScalingTextStorage() override;

    const std::shared_ptr<TextStorage>& underlyingTextStorage() const { return m_underlying; }
    double scale() const { return m_scale; }
    // Rescales every font; views hear of it as an attribute edit of the whole text.
    void setScale(double scale);

    const std::u16string& string() const override { return m_underlying->string(); }
    AttributeDictionaryPtr attributesAtIndex(std::size_t index, Range* effectiveRange = nullptr) const override;
    Status replaceCharactersInRange(Range range, std::u16string_view text) override;
    Status setAttributes(AttributeDictionaryPtr attributes, Range range) override;
    using TextStorage::replaceCharactersInRange;

private:
    ScalingTextStorage(std::shared_ptr<TextStorage> underlying, double scale);
    void underlyingDidProcessEditing(const TextStorageEdit& edit);
    AttributeDictionaryPtr scaled(const AttributeDictionaryPtr& attributes, double factor) const;

    std::shared_ptr<TextStorage> m_underlying;
    double m_scale = 1.0;
    ObserverToken m_observer = 0;
    // The scaled dictionary of each underlying one asked for lately, keyed by
    // identity; the entry keeps the underlying dictionary alive so that its
    // address is not reused while it is a key.
    mutable std::unordered_map<const AttributeDictionary*, std::pair<AttributeDictionaryPtr, AttributeDictionaryPtr>> m_scaledCache;
};

} // namespace folio
