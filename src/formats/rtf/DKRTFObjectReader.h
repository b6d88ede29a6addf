#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/Data.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Reads the constructs that the RTF reader takes straight from the text
// rather than as formatted text: pictures, file attachments, footnotes and
// comments, and the target of hyperlink fields.
//
// Each read starts right after its control word, at the start of `group`,
// and never looks past the end of the group it sits in (`groupEnd`, the index
// of that group's closing brace), so a construct with a missing part costs
// only itself and the text after it stays untouched. A construct that cannot
// be read ends at the end of its group: its content is never document text.
class DKRTFObjectReader {
public:
    // Decodes the bytes of "\'xx" escapes in the current code page.
    using ByteDecoder = std::function<std::u16string(std::string_view bytes)>;

    // The group's text from the construct on, its closing brace included.
    DKRTFObjectReader(std::u16string_view group, std::size_t groupEnd);

    // How far into the group the last read went: where the document's text
    // goes on.
    std::size_t endOfRead() const { return m_endOfRead; }

    // "{\pict\jpegblip\wraptext2\picw..\pich..\picwgoal..\pichgoal..\n HEX \n}":
    // null for Windows metafiles and pictures without data.
    TETextAttachmentPtr readPicture();
    // Whether the picture read last was in our own form (with "\wraptext"),
    // whose group is always followed by one blank that belongs to the form.
    bool readOwnPictureForm() const { return m_ownPictureForm; }
    // "{\*\shppict {\pict {\*\nisusfilename NAME} \picw.. \pich.. \picwgoal..
    // \pichgoal.. \TYPE HEX}}": null when the group names no file.
    TETextAttachmentPtr readShapePicture();
    // "{\NeXTGraphic NAME \width.. \height..}": a picture file of an RTFD package.
    TETextAttachmentPtr readFileAttachment();
    // The rest of the group (a footnote destination), decoded; null when
    // empty. The note keeps the name `styleName` gives for the number of its
    // paragraph style ("\sN") as "data-style".
    TETextAttachmentPtr readFootnote(const ByteDecoder& decoder,
                                     const std::function<const std::u16string*(int)>& styleName);
    // The group that follows "\chatn" (the annotation), decoded; null when empty.
    // The number of the first "\sN" at the group's own level.
    static std::optional<int> paragraphStyleNumber(std::u16string_view group);
    TETextAttachmentPtr readAnnotation(const std::optional<std::u16string>& author, const ByteDecoder& decoder);
    // The rest of the group ("\atnid"), decoded.
    std::u16string readGroupText(const ByteDecoder& decoder);
    // The rest of the group ("\atrfstart", "\atrfend"): the tag of a
    // comment's range, without blanks.
    std::u16string readCommentRangeTag(const ByteDecoder& decoder);
    // A field's instruction (the rest of the group), decoded, without the
    // blanks around it.
    std::u16string readFieldInstruction(const ByteDecoder& decoder);
    // The target of a "HYPERLINK" field instruction: its URL, or "#" and the
    // anchor of "\\l"; nothing for any other field.
    static std::optional<std::u16string> linkTarget(std::u16string_view instruction);

    // Hexadecimal digits in pairs, high half first; other characters count
    // as 0 and an odd last digit is ignored.
    static Data hexStringToData(std::u16string_view hex);
    // Note text: escapes and special characters decoded, control words and
    // group braces dropped, our own footnote and comment markers removed.
    static std::u16string decodeNoteText(std::u16string_view content, const ByteDecoder& decoder);

    // A PNG frame of `size` (pixels), standing in for a picture this system
    // cannot draw.
    static Data pictureFrame(Size size);

private:
    std::u16string_view group() const;
    std::size_t find(std::u16string_view needle, std::size_t from) const;
    // The text from `from` up to the first of `delimiters` inside the group.
    std::u16string_view tokenUpTo(std::size_t from, std::u16string_view delimiters, std::size_t* end) const;
    void finishAt(std::size_t position);
    // The position after the group that opens at `position`.
    std::size_t skipGroup(std::size_t position) const;

    std::u16string_view m_text;
    std::size_t m_start = 0;
    std::size_t m_endOfRead = 0;
    std::size_t m_groupEnd;
    bool m_ownPictureForm = false;
};

} // namespace folio
