#include "formats/rtf/DKRTFWriter.h"

#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFFormField.h"
#include "platform/text/AttributeDictionaryAccess.h"

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
    writeRangeMarks(writeFieldEnds(attributes, formatting, beginningOfParagraph, itemText));
}

DKRTFWriter::RangesOfRun DKRTFWriter::writeFieldEnds(const AttributeDictionary& attributes,
                                                     const CharacterFormatting& formatting, bool beginningOfParagraph,
                                                     const AttributeDictionary* itemText)
{
    std::size_t shared = sharedCount(m_openFields, formatting.fields);
    std::vector<std::u16string> bookmarks = formatting.bookmarks;
    if (m_paragraphEndGoesOnWith && shared == formatting.fields.size()) {
        // A paragraph begun inside fields ends inside them too, as Word's
        // table of contents has its last paragraph: ending them before its
        // end would leave it without its settings.
        shared = std::max({shared, sharedCount(m_openFields, m_paragraphEndGoesOnWith->fields),
                           std::min(m_fieldsAtParagraphStart, m_openFields.size())});
        for (const std::u16string& name : m_paragraphEndGoesOnWith->bookmarks)
            if (std::find(m_openBookmarks.begin(), m_openBookmarks.end(), name) != m_openBookmarks.end())
                bookmarks.push_back(name);
    }
    std::vector<std::u16string> commentRanges;
    for (const CommentRange& range : m_commentRanges)
        if (range.extent.contains(m_runLocation))
            commentRanges.push_back(range.tag);
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
    return RangesOfRun{std::move(bookmarks), std::move(commentRanges)};
}

void DKRTFWriter::writeRangeMarks(const RangesOfRun& ranges)
{
    // Every range that ends here ends before any begins: a comment's words
    // that end where a bookmark of a place stands leave it outside.
    endRangeMarks(RangeMark::Bookmark, m_openBookmarks, ranges.bookmarks);
    endRangeMarks(RangeMark::CommentRange, m_openCommentRanges, ranges.commentRanges);
    startRangeMarks(RangeMark::Bookmark, m_openBookmarks, ranges.bookmarks);
    startRangeMarks(RangeMark::CommentRange, m_openCommentRanges, ranges.commentRanges);
}

void DKRTFWriter::endRangeMarks(RangeMark kind, std::vector<std::u16string>& open,
                                const std::vector<std::u16string>& wanted)
{
    for (auto name = open.begin(); name != open.end();) {
        if (std::find(wanted.begin(), wanted.end(), *name) != wanted.end()) {
            ++name;
            continue;
        }
        writeRangeMark(kind, false, *name);
        name = open.erase(name);
    }
}

void DKRTFWriter::startRangeMarks(RangeMark kind, std::vector<std::u16string>& open,
                                  const std::vector<std::u16string>& wanted)
{
    for (const std::u16string& name : wanted) {
        if (std::find(open.begin(), open.end(), name) != open.end())
            continue;
        writeRangeMark(kind, true, name);
        open.push_back(name);
    }
}

void DKRTFWriter::writeRangeMark(RangeMark kind, bool start, const std::u16string& name)
{
    if (kind == RangeMark::Bookmark) {
        m_buffer.appendCString(start ? "{\\*\\bkmkstart " : "{\\*\\bkmkend ");
        m_buffer.appendEscapedString(name);
    } else {
        m_buffer.appendCString(start ? "{\\*\\atrfstart " : "{\\*\\atrfend ");
        m_buffer.appendInteger(commentRangeNumber(name).value_or(0));
    }
    m_buffer.appendByte('}');
}

void DKRTFWriter::findCommentRanges()
{
    // The page gives neither the notes inside a range nor paragraph ends its
    // tag: a range goes on over them. Words of a range copied elsewhere make
    // another stretch with its tag; the comment is about the last stretch
    // that begins before it, as Word and LibreOffice put a comment after its
    // words. A comment deleted leaves its words' tag behind, and words
    // deleted leave their comment's tag unused: neither makes a range in
    // the file.
    struct Found {
        std::u16string tag;
        std::vector<Range> stretches;
        std::optional<std::size_t> comment;
    };
    std::vector<Found> found;
    auto entry = [&found](const std::u16string& tag) -> Found& {
        auto each = std::find_if(found.begin(), found.end(), [&tag](const Found& one) { return one.tag == tag; });
        return each != found.end() ? *each : found.emplace_back(Found{tag, {}, std::nullopt});
    };
    const std::u16string& text = m_attributedString.string();
    auto goesOver = [&text](std::size_t from, std::size_t to) {
        return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.begin() + static_cast<std::ptrdiff_t>(to),
                           [](char16_t unit) { return unit == u'\n' || unit == u'\uFFFC' || unit == u'\uFEFF'; });
    };
    m_attributedString.forEachRun(Range{0, m_attributedString.length()}, [&](const AttributeDictionaryPtr& attributes,
                                                                            Range run) {
        if (!attributes || (!attributes->containsKey(TECommentRangeAttribute) &&
                            !attributes->containsKey(NSAttachmentAttributeName)))
            return;
        const CharacterFormatting& formatting = characterFormatting(*attributes);
        for (const std::u16string& tag : formatting.commentRanges) {
            std::vector<Range>& stretches = entry(tag).stretches;
            if (!stretches.empty() && goesOver(stretches.back().end(), run.location))
                stretches.back().length = run.end() - stretches.back().location;
            else
                stretches.push_back(run);
        }
        const TETextAttachment* note = formatting.attachment;
        const std::u16string* type = note ? note->attributeForKey(TEObjectTextAttachment::kAttachmentTypeKey) : nullptr;
        const std::u16string* tag = note ? note->attributeForKey(TEObjectTextAttachment::kCommentRangeKey) : nullptr;
        if (type && tag && *type == u"annotation" && !entry(*tag).comment)
            entry(*tag).comment = run.location;
    });
    m_commentRanges.clear();
    for (const Found& each : found) {
        if (!each.comment || each.stretches.empty())
            continue;
        const Range* about = &each.stretches.front();
        for (const Range& stretch : each.stretches)
            if (stretch.location <= *each.comment)
                about = &stretch;
        m_commentRanges.push_back({each.tag, *about});
    }
    std::stable_sort(m_commentRanges.begin(), m_commentRanges.end(), [](const CommentRange& one, const CommentRange& other) {
        return one.extent.location < other.extent.location;
    });
}

std::optional<int> DKRTFWriter::commentRangeNumber(const std::u16string& tag) const
{
    auto found = std::find_if(m_commentRanges.begin(), m_commentRanges.end(),
                              [&tag](const CommentRange& range) { return range.tag == tag; });
    if (found == m_commentRanges.end())
        return std::nullopt;
    return static_cast<int>(found - m_commentRanges.begin()) + 1;
}

void DKRTFWriter::writeFieldOpenings(const CharacterFormatting& formatting)
{
    for (std::size_t index = m_openFields.size(); index < formatting.fields.size(); ++index) {
        m_buffer.appendCString("{\\field{\\*\\fldinst ");
        m_buffer.appendEscapedString(DKRTFFormField::text(formatting.fields[index]));
        if (std::optional<std::string> form = DKRTFFormField::groupsRTF(formatting.fields[index])) {
            m_buffer.appendByte(' ');
            m_buffer.appendCString(*form);
        }
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

bool DKRTFWriter::isFormValueRun(const CharacterFormatting& formatting, std::u16string_view text)
{
    if (formatting.fields.empty())
        return false;
    const std::optional<std::u16string> shown = DKRTFFormField::shownValue(formatting.fields.back());
    return shown && *shown == text;
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
    endRangeMarks(RangeMark::Bookmark, m_openBookmarks, {});
    endRangeMarks(RangeMark::CommentRange, m_openCommentRanges, {});
}

} // namespace folio
