#pragma once

#include "platform/text/MutableAttributedString.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace folio {

class TextStorage;

// What changed in an edit; the bits combine.
enum TextStorageEditActions : unsigned {
    TextStorageEditedAttributes = 1u << 0,
    TextStorageEditedCharacters = 1u << 1,
};

// The edits of one processing pass: the range they cover in the text as it
// now is, and how much longer (or, negative, shorter) the text became.
struct TextStorageEdit {
    unsigned editedMask = 0;
    Range editedRange = NotFoundRange;
    std::ptrdiff_t changeInLength = 0;
};

class TextStorageDelegate {
public:
    virtual ~TextStorageDelegate() = default;
    // Before the storage's own processing; the delegate may still change attributes.
    virtual void textStorageWillProcessEditing(TextStorage&, const TextStorageEdit&) {}
    // After it, with the edit grown by whatever the processing changed.
    virtual void textStorageDidProcessEditing(TextStorage&, const TextStorageEdit&) {}
};

// Attributed text that reports its edits in the platform's protocol. Every
// change calls edited() with what it changed; outside beginEditing and
// endEditing each change is processed at once, inside them the changes add
// up and are processed once at the outermost endEditing. Processing runs
// processEditing (subclasses restyle there; what they change joins the same
// edit without starting another pass), tells the delegate, and then the
// observers (the layout of every view that shows this storage).
//
// Subclasses that keep their characters elsewhere override the four
// primitives; everything else is built on them.
class TextStorage {
public:
    using Observer = std::function<void(TextStorage&, const TextStorageEdit&)>;
    using ObserverToken = std::uint64_t;

    TextStorage() = default;
    virtual ~TextStorage() = default;
    TextStorage(const TextStorage&) = delete;
    TextStorage& operator=(const TextStorage&) = delete;

    // --- Primitives ---
    virtual const std::u16string& string() const { return m_backing.string(); }
    virtual AttributeDictionaryPtr attributesAtIndex(std::size_t index, Range* effectiveRange = nullptr) const
    {
        return m_backing.attributesAtIndex(index, effectiveRange);
    }
    // A range outside the text is an error and changes nothing.
    virtual Status replaceCharactersInRange(Range range, std::u16string_view text);
    virtual Status setAttributes(AttributeDictionaryPtr attributes, Range range);

    // --- Built on the primitives ---
    std::size_t length() const { return string().size(); }
    AttributeValuePtr attributeAtIndex(std::string_view key, std::size_t index, Range* effectiveRange = nullptr) const;
    Status addAttribute(std::string_view key, AttributeValuePtr value, Range range);
    Status addAttributes(const AttributeDictionary& attributes, Range range);
    Status removeAttribute(std::string_view key, Range range);
    Status replaceCharactersInRange(Range range, const AttributedString& replacement);
    void setAttributedString(const AttributedString& string);
    // A copy of the whole text, or of a part cut to the text, with its attributes.
    AttributedString attributedString() const { return attributedSubstringFromRange(Range{0, length()}); }
    AttributedString attributedSubstringFromRange(Range range) const;

    // --- The editing protocol ---
    void beginEditing();
    void endEditing();
    // Records a change: `range` is where it happened in the text as it was,
    // `delta` how the length changed.
    void edited(unsigned editedMask, Range range, std::ptrdiff_t delta);
    // The edit recorded so far in this pass (mask 0 when none).
    const TextStorageEdit& pendingEdit() const { return m_edit; }
    bool isProcessingEditing() const { return m_processing; }

    void setDelegate(std::weak_ptr<TextStorageDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<TextStorageDelegate> delegate() const { return m_delegate.lock(); }

    ObserverToken addObserver(Observer observer);
    void removeObserver(ObserverToken token);

protected:
    // The pass itself; subclasses restyle here and then call the base, which
    // tells the delegate that processing is done.
    virtual void processEditing();

    MutableAttributedString& backing() { return m_backing; }
    const MutableAttributedString& backing() const { return m_backing; }
    // Every range check of the edits.
    bool isValidRange(Range range) const;

private:
    void processIfNeeded();
    // Sets, run by run over range, what transform makes of each run's
    // dictionary; a null result leaves the run as it is.
    Status transformRuns(Range range, const std::function<AttributeDictionaryPtr(const AttributeDictionaryPtr&)>& transform);

    MutableAttributedString m_backing;
    TextStorageEdit m_edit;
    int m_editingDepth = 0;
    bool m_processing = false;
    std::weak_ptr<TextStorageDelegate> m_delegate;
    std::vector<std::pair<ObserverToken, Observer>> m_observers;
    ObserverToken m_nextToken = 1;
};

} // namespace folio
