#pragma once

#include "platform/text/TextStorage.h"

#include <memory>

namespace folio {

// Shows another storage zoomed: it holds a copy of the underlying text whose
// fonts are scaled, and follows every edit of the underlying storage. Edits
// made here (typing in a view that shows this storage) go to the underlying
// storage with their fonts brought back to the real size, so the document
// never sees the zoom; the underlying storage's own processing (restyling)
// then comes back through here like any other edit.
class ScalingTextStorage : public TextStorage {
public:
    // A scale that is not a positive finite number counts as 1.
    static std::shared_ptr<ScalingTextStorage> make(std::shared_ptr<TextStorage> underlying, double scale = 1.0);
    ~ScalingTextStorage() override;

    const std::shared_ptr<TextStorage>& underlyingTextStorage() const { return m_underlying; }
    double scale() const { return m_scale; }
    // Rescales every font; views hear of it as an attribute edit of the whole text.
    void setScale(double scale);

    Status replaceCharactersInRange(Range range, std::u16string_view text) override;
    Status setAttributes(AttributeDictionaryPtr attributes, Range range) override;
    using TextStorage::replaceCharactersInRange;

private:
    ScalingTextStorage(std::shared_ptr<TextStorage> underlying, double scale);
    void underlyingDidProcessEditing(const TextStorageEdit& edit);
    AttributeDictionaryPtr scaled(const AttributeDictionaryPtr& attributes, double factor) const;
    // The underlying text of range with scaled fonts.
    MutableAttributedString scaledCopy(Range range) const;

    std::shared_ptr<TextStorage> m_underlying;
    double m_scale = 1.0;
    ObserverToken m_observer = 0;
};

} // namespace folio
