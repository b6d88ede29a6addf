#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"

#include <algorithm>
#include <utility>

namespace folio {

namespace {

std::size_t sharedCount(const std::vector<std::u16string>& open, const std::vector<std::u16string>& wanted)
{
    const auto mismatch = std::mismatch(open.begin(), open.end(), wanted.begin(), wanted.end());
    return static_cast<std::size_t>(mismatch.first - open.begin());
}

} // namespace

void DKRTFWriter::closeLink()
{
    if (!m_shouldWriteTerminatingLink)
        return;
    m_buffer.appendCString("}}");
    restoreStateAtGroupEnd(m_stateAtLinkOpening);
    m_shouldWriteTerminatingLink = false;
    m_state.link = 0;
    m_previousLink.reset();
}

void DKRTFWriter::restoreStateAtGroupEnd(const DKRTFWriterState& atOpening)
{
    // A list marker's group is not the field's: it stays as it is.
    const std::int32_t marker = m_state.isPrefixIndex;
    m_state = atOpening;
    m_state.isPrefixIndex = marker;
}

void DKRTFWriter::writeFieldAndBookmarkEnds(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                                            bool beginningOfParagraph, const AttributeDictionary* itemText)
{
    std::size_t shared = sharedCount(m_openFields, formatting.fields);
    std::vector<std::u16string> bookmarks = formatting.bookmarks;
    if (m_paragraphEndGoesOnWith && shared == formatting.fields.size()) {
        // A paragraph begun inside fields ends inside them too, as Word's
        // table of contents has its last paragraph: ending them before its
        // end would leave it without its settings.
        shared = std::max({shared, sharedCount(m_openFields, m_paragraphEndGoesOnWith->first),
                           std::min(m_fieldsAtParagraphStart, m_openFields.size())});
        for (const std::u16string& name : m_paragraphEndGoesOnWith->second)
            if (std::find(m_openBookmarks.begin(), m_openBookmarks.end(), name) != m_openBookmarks.end())
                bookmarks.push_back(name);
    }
    const bool fieldsEnd = shared < m_openFields.size();
    // The link is the innermost group: fields end or begin only outside it.
    if (fieldsEnd || shared < formatting.fields.size())
        closeLink();
    while (m_openFields.size() > shared) {
        m_buffer.appendCString("}}");
        m_openFields.pop_back();
        restoreStateAtGroupEnd(m_stateAtFieldOpenings.back());
        m_stateAtFieldOpenings.pop_back();
    }
    // Ending the groups gave the reader back the paragraph settings from
    // before them too: a paragraph begun inside them and not yet ended
    // has its own written again.
    if (fieldsEnd && std::exchange(m_openFieldsHoldParagraph, false) && !beginningOfParagraph &&
        m_paragraphStartAttributes) {
        m_buffer.appendCString("\\pard");
        resetWrittenParagraphState();
        writeParagraphAttributes(*m_paragraphStartAttributes, m_paragraphStartItemText);
    }
    if (beginningOfParagraph) {
        m_openFieldsHoldParagraph = m_openFieldsHoldParagraph || !m_openFields.empty();
        m_fieldsAtParagraphStart = m_openFields.size();
        m_paragraphStartAttributes = &attributes;
        m_paragraphStartItemText = itemText;
    }

    for (auto name = m_openBookmarks.begin(); name != m_openBookmarks.end();) {
        if (std::find(bookmarks.begin(), bookmarks.end(), *name) != bookmarks.end()) {
            ++name;
            continue;
        }
        m_buffer.appendCString("{\\*\\bkmkend ");
        m_buffer.appendEscapedString(*name);
        m_buffer.appendByte('}');
        name = m_openBookmarks.erase(name);
    }
    for (const std::u16string& name : bookmarks) {
        if (std::find(m_openBookmarks.begin(), m_openBookmarks.end(), name) != m_openBookmarks.end())
            continue;
        m_buffer.appendCString("{\\*\\bkmkstart ");
        m_buffer.appendEscapedString(name);
        m_buffer.appendByte('}');
        m_openBookmarks.push_back(name);
    }
}

void DKRTFWriter::writeFieldOpenings(const CharacterFormatting& formatting)
{
    for (std::size_t index = m_openFields.size(); index < formatting.fields.size(); ++index) {
        m_buffer.appendCString("{\\field{\\*\\fldinst ");
        m_buffer.appendEscapedString(formatting.fields[index]);
        m_buffer.appendCString("}{\\fldrslt ");
        m_openFields.push_back(formatting.fields[index]);
        m_stateAtFieldOpenings.push_back(m_state);
    }
}

bool DKRTFWriter::isMarkCarrierRun(const CharacterFormatting& formatting, std::u16string_view text)
{
    if (!formatting.hidden || (formatting.fields.empty() && formatting.bookmarks.empty()))
        return false;
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit == TEMarkCarrierCharacter; });
}

void DKRTFWriter::writeMarkCarriers(const AttributeDictionary& attributes, const CharacterFormatting& formatting,
                                    std::size_t count)
{
    // Neither the carrier nor its hiding is written: only the marks it
    // carries, which the text after it ends where they do not go on. They
    // are the item's text, not its marker's.
    if (m_state.isPrefixIndex == 1) {
        m_buffer.appendByte('}');
        m_state.isPrefixIndex = 0;
    }
    // What the text before goes on with is no carrier's own.
    CharacterFormatting outside;
    outside.fields.assign(formatting.fields.begin(),
                          formatting.fields.begin() + static_cast<std::ptrdiff_t>(sharedCount(m_openFields, formatting.fields)));
    for (const std::u16string& name : formatting.bookmarks)
        if (std::find(m_openBookmarks.begin(), m_openBookmarks.end(), name) != m_openBookmarks.end())
            outside.bookmarks.push_back(name);
    writeFieldAndBookmarkEnds(attributes, formatting, false, nullptr);
    writeFieldOpenings(formatting);
    // Carriers alike in a row are as many fields or bookmarks, one after
    // the other.
    for (std::size_t next = 1; next < count; ++next) {
        writeFieldAndBookmarkEnds(attributes, outside, false, nullptr);
        writeFieldAndBookmarkEnds(attributes, formatting, false, nullptr);
        writeFieldOpenings(formatting);
    }
}

void DKRTFWriter::writeFieldAndBookmarkClosings()
{
    closeLink();
    for (; !m_openFields.empty(); m_openFields.pop_back())
        m_buffer.appendCString("}}");
    m_stateAtFieldOpenings.clear();
    for (const std::u16string& name : m_openBookmarks) {
        m_buffer.appendCString("{\\*\\bkmkend ");
        m_buffer.appendEscapedString(name);
        m_buffer.appendByte('}');
    }
    m_openBookmarks.clear();
}

} // namespace folio
