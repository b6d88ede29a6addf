#include "platform/text/TextStorage.h"

#include <algorithm>

namespace folio {

namespace {
Error storageRangeError(Range range, std::size_t length)
{
    return Error{"TextStorage", 1,
                 "Range {" + std::to_string(range.location) + ", " + std::to_string(range.length) +
                     "} is outside the text of length " + std::to_string(length)};
}
} // namespace

bool TextStorage::isValidRange(Range range) const
{
    std::size_t size = length();
    return range.location <= size && range.length <= size - range.location;
}

Status TextStorage::replaceCharactersInRange(Range range, std::u16string_view text)
{
    if (!isValidRange(range))
        return storageRangeError(range, length());
    beginEditing();
    Status status = m_backing.replaceCharactersInRange(range, text);
    if (status)
        edited(TextStorageEditedCharacters | TextStorageEditedAttributes, range,
               static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(range.length));
    endEditing();
    return status;
}

Status TextStorage::setAttributes(AttributeDictionaryPtr attributes, Range range)
{
    if (!isValidRange(range))
        return storageRangeError(range, length());
    beginEditing();
    Status status = m_backing.setAttributes(std::move(attributes), range);
    if (status)
        edited(TextStorageEditedAttributes, range, 0);
    endEditing();
    return status;
}

AttributeValuePtr TextStorage::attributeAtIndex(std::string_view key, std::size_t index, Range* effectiveRange) const
{
    AttributeDictionaryPtr attributes = attributesAtIndex(index, effectiveRange);
    return attributes ? attributes->valueForKey(key) : nullptr;
}

Status TextStorage::transformRuns(Range range, const std::function<AttributeDictionaryPtr(const AttributeDictionaryPtr&)>& transform)
{
    if (!isValidRange(range))
        return storageRangeError(range, length());
    beginEditing();
    // Run by run, so each run keeps what it had under other keys.
    for (std::size_t index = range.location; index < range.end();) {
        Range run;
        AttributeDictionaryPtr current = attributesAtIndex(index, &run);
        std::size_t end = std::min(range.end(), std::max(run.end(), index + 1));
        if (AttributeDictionaryPtr changed = transform(current))
            setAttributes(std::move(changed), Range{index, end - index});
        index = end;
    }
    endEditing();
    return Status::success();
}

Status TextStorage::addAttributes(const AttributeDictionary& attributes, Range range)
{
    return transformRuns(range, [&attributes](const AttributeDictionaryPtr& current) {
        return current ? current->dictionaryByAddingEntriesFrom(attributes) : AttributeDictionary::make(attributes.entries());
    });
}

Status TextStorage::addAttribute(std::string_view key, AttributeValuePtr value, Range range)
{
    return addAttributes(*AttributeDictionary::make({{std::string(key), std::move(value)}}), range);
}

Status TextStorage::removeAttribute(std::string_view key, Range range)
{
    return transformRuns(range, [key](const AttributeDictionaryPtr& current) -> AttributeDictionaryPtr {
        return current && current->containsKey(key) ? current->dictionaryByRemovingKey(key) : nullptr;
    });
}

Status TextStorage::replaceCharactersInRange(Range range, const AttributedString& replacement)
{
    if (!isValidRange(range))
        return storageRangeError(range, length());
    beginEditing();
    Status status = replaceCharactersInRange(range, std::u16string_view(replacement.string()));
    if (status) {
        replacement.enumerateAttributes(Range{0, replacement.length()}, AttributeEnumerationOptions::None,
                                        [&](const AttributeDictionaryPtr& attributes, Range run, bool&) {
                                            setAttributes(attributes, Range{range.location + run.location, run.length});
                                        });
    }
    endEditing();
    return status;
}

void TextStorage::setAttributedString(const AttributedString& string)
{
    replaceCharactersInRange(Range{0, length()}, string);
}

AttributedString TextStorage::attributedSubstringFromRange(Range range) const
{
    std::size_t start = std::min(range.location, length());
    std::size_t stop = start + std::min(range.length, length() - start);
    MutableAttributedString copy;
    copy.beginEditing();
    for (std::size_t index = start; index < stop;) {
        Range run;
        AttributeDictionaryPtr attributes = attributesAtIndex(index, &run);
        std::size_t end = std::min(stop, std::max(run.end(), index + 1));
        copy.appendString(std::u16string_view(string()).substr(index, end - index), attributes);
        index = end;
    }
    copy.endEditing();
    return copy;
}

void TextStorage::beginEditing() { ++m_editingDepth; }

void TextStorage::endEditing()
{
    if (m_editingDepth == 0)
        return;
    if (--m_editingDepth == 0)
        processIfNeeded();
}

void TextStorage::edited(unsigned editedMask, Range range, std::ptrdiff_t delta)
{
    Range changed{range.location, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(range.length) + delta)};
    if (m_edit.editedMask == 0) {
        m_edit.editedRange = changed;
    } else {
        // Bring the range recorded so far into the coordinates after this
        // change, then take the union with what this change touched.
        Range previous = m_edit.editedRange;
        std::size_t start = previous.location;
        std::size_t end = previous.end();
        if (start >= range.end())
            start = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(start) + delta);
        else if (start > range.location)
            start = range.location;
        if (end >= range.end())
            end = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(end) + delta);
        else if (end > range.location)
            end = changed.end();
        m_edit.editedRange = unionRange(Range{start, end - start}, changed);
    }
    m_edit.editedMask |= editedMask;
    m_edit.changeInLength += delta;
    // Edits made by the processing itself join the pass under way.
    if (m_editingDepth == 0 && !m_processing)
        processIfNeeded();
}

void TextStorage::processIfNeeded()
{
    if (m_processing || m_edit.editedMask == 0)
        return;
    m_processing = true;
    if (auto delegate = m_delegate.lock())
        delegate->textStorageWillProcessEditing(*this, m_edit);
    processEditing();
    TextStorageEdit edit = m_edit;
    m_edit = TextStorageEdit{};
    m_processing = false;
    // Observers lay out what the pass produced; they may edit the storage
    // again, which starts a pass of its own.
    auto observers = m_observers;
    for (auto& [token, observer] : observers)
        observer(*this, edit);
}

void TextStorage::processEditing()
{
    if (auto delegate = m_delegate.lock())
        delegate->textStorageDidProcessEditing(*this, m_edit);
}

TextStorage::ObserverToken TextStorage::addObserver(Observer observer)
{
    ObserverToken token = m_nextToken++;
    m_observers.emplace_back(token, std::move(observer));
    return token;
}

void TextStorage::removeObserver(ObserverToken token)
{
    std::erase_if(m_observers, [token](const auto& entry) { return entry.first == token; });
}

} // namespace folio
