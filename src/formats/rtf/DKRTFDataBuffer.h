#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace folio {

// The bytes of one RTF document as the writer produces them. Output goes
// straight in, one byte or word at a time, so that writing a long document
// never builds intermediate strings per run.
//
// A buffer that cannot grow throws std::bad_alloc; the writer's entry point
// turns that into an error result, so no partial document is ever handed out.
class DKRTFDataBuffer {
public:
    void appendByte(char byte) { m_bytes.push_back(byte); }
    void appendCString(std::string_view text) { m_bytes.append(text); }
    // A signed 32-bit number in decimal, "-" first when negative.
    void appendInteger(std::int32_t value);
    // A "%.0f" field: rounded half to even, no decimals.
    void appendRoundedNumber(double value);

    // One UTF-16 unit of document text, escaped so that the RTF stays well
    // formed: typographic punctuation as its control word, other non-ASCII
    // units as "\'hh" or "\uN?", reserved ASCII after a backslash.
    void appendEscapedCharacter(char16_t unit);
    void appendEscapedString(std::u16string_view text);
    // Whether the text now written is in a font of a character set other
    // than the Western one, whose code page readers read "\\'hh" in: its
    // Latin-1 letters then go as "\\uN?".
    void setInFontOfOtherCharacterSet(bool other) { m_inFontOfOtherCharacterSet = other; }
    // Whether a unit of document text needs more than its own byte: all but
    // printable ASCII, and backslash and braces.
    static bool needsEscaping(char16_t unit)
    {
        return unit < 0x20 || unit > 0x7E || unit == u'\\' || unit == u'{' || unit == u'}';
    }
    // The units at the start of text that need no escaping, one byte each,
    // looked at and written in one pass; answers how many there were.
    std::size_t appendPlainPrefix(std::u16string_view text);

    void reserve(std::size_t size) { m_bytes.reserve(size); }
    const std::string& bytes() const { return m_bytes; }
    std::string takeBytes() { return std::move(m_bytes); }
    std::size_t size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
    bool m_inFontOfOtherCharacterSet = false;
};

} // namespace folio
