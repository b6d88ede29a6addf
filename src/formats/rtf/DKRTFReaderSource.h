#pragma once

#include "platform/foundation/StringEncoding.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

// The bytes an RTF document is read from, and how the 8-bit characters of
// its plain text decode. RTF's own syntax (braces, control words, "\'hh",
// "\bin", "\u") is ASCII, so the reader steps over the bytes themselves and
// decodes only the runs of text it appends.
//
// Positions are byte offsets. A reader that counts UTF-16 units (a "\bin"
// length in text handed over as UTF-16, the characters a "\u" replacement
// skips) may stop between the two units of a four-byte UTF-8 character:
// that position is the character's third byte, and text read from it starts
// with the second unit.
class DKRTFReaderSource {
public:
    enum class Characters {
        // The bytes are UTF-8 as a whole. Text handed over as UTF-16 is
        // written so, its unpaired surrogates three bytes each.
        UTF8,
        // Each byte is a character of the file's one code page.
        FileCodePage,
        // Each byte is one unit: the reader decodes 8-bit bytes in the code
        // page the document declares where they stand.
        DeclaredCodePages,
    };

    // These borrow the bytes, which must outlive every reading of them.
    static DKRTFReaderSource utf8(std::string_view bytes);
    static DKRTFReaderSource inFileCodePage(std::string_view bytes, std::shared_ptr<const SingleByteCodePage> codePage);
    static DKRTFReaderSource inDeclaredCodePages(std::string_view bytes);
    // Text from the pasteboard, the editor or a decoder, kept as UTF-8.
    static DKRTFReaderSource fromText(std::u16string_view text);
    // A source that reads a copy of these bytes with `length` bytes at `at`
    // taken out.
    DKRTFReaderSource without(std::size_t at, std::size_t length) const;

    std::string_view bytes() const { return m_bytes; }
    Characters characters() const { return m_characters; }
    // Whether the bytes start like an RTF document ("{\rtf", after blanks
    // and, in UTF-8, the byte-order mark).
    bool startsAsRTF() const;

    // Where the UTF-16 unit at the position ends.
    std::size_t endOfUnit(std::size_t position) const;
    // Where the character at the position ends: both units of a surrogate
    // pair, or one.
    std::size_t endOfCharacter(std::size_t position) const;
    // The position `units` UTF-16 units after `begin`, or the end.
    std::size_t advancedByUnits(std::size_t begin, std::size_t units) const;
    // Where `count` bytes of binary data from `begin` end. Text handed over
    // as UTF-16 counts each unit as many bytes as UTF-8 gives it (two for
    // each half of a pair), and never stops inside a unit.
    std::size_t endOfBinaryData(std::size_t begin, std::int64_t count) const;

    // The text of [begin, end), decoded by the source's characters (in
    // declared code pages, one unit per byte).
    std::u16string text(std::size_t begin, std::size_t end) const;
    // The same decoded into `buffer`, which keeps its room for the next run:
    // the reader decodes thousands of runs as it appends them. The text
    // stays valid until the buffer is used again.
    std::u16string_view text(std::size_t begin, std::size_t end, std::u16string& buffer) const;
    // The same of bytes cut from the source (a run with its control
    // characters taken out).
    std::u16string_view text(std::string_view bytes, std::u16string& buffer) const;

private:
    DKRTFReaderSource(std::string_view bytes, Characters characters) : m_bytes(bytes), m_characters(characters) {}
    std::uint8_t byteAt(std::size_t position) const { return static_cast<std::uint8_t>(m_bytes[position]); }
    // Decodes [begin, end) of `bytes` to `out`, which has room for one unit
    // per byte and sixteen more; answers the end of what it wrote.
    char16_t* decode(std::string_view bytes, std::size_t begin, std::size_t end, char16_t* out) const;
    std::u16string_view decodeInto(std::string_view bytes, std::size_t begin, std::size_t end,
                                   std::u16string& buffer) const;

    // Bytes the source made itself; borrowed bytes are someone else's.
    std::shared_ptr<const std::string> m_owned;
    std::string_view m_bytes;
    Characters m_characters;
    std::shared_ptr<const SingleByteCodePage> m_codePage;
};

} // namespace folio
