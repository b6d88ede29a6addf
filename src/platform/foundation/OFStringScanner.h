#pragma once

#include "platform/foundation/CharacterSet.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// The character scanner under the RTF reader and writer: a cursor over UTF-16
// units that skips nothing by itself. Token reads leave their delimiter
// unread. Rewind marks nest, so a look-ahead inside a look-ahead is safe.
class OFStringScanner {
public:
    // What peekCharacter and readCharacter answer past the last unit. It is a
    // noncharacter, but text may still hold it: use isAtEnd to tell them apart.
    static constexpr char16_t kEndOfDataCharacter = u'\uFFFF';

    explicit OFStringScanner(std::u16string string);

    const std::u16string& string() const { return m_string; }
    bool isAtEnd() const { return m_location >= m_string.size(); }

    std::size_t scanLocation() const { return m_location; }
    // Clamped to the text's length. These three run for every unit of a
    // document the RTF reader reads: they are defined here, to be inlined.
    void setScanLocation(std::size_t location) { m_location = location < m_string.size() ? location : m_string.size(); }

    char16_t peekCharacter() const { return isAtEnd() ? kEndOfDataCharacter : m_string[m_location]; }
    void skipPeekedCharacter()
    {
        if (!isAtEnd())
            ++m_location;
    }
    // Stops at the end of the text.
    void skipCharacters(std::size_t count);
    char16_t readCharacter();

    // The text up to the first unit that is the delimiter (or in the set).
    // Empty when the delimiter comes first; nothing at the end of the text;
    // the rest of the text when no delimiter follows.
    std::optional<std::u16string> readTokenFragmentWithDelimiterCharacter(char16_t delimiter);
    std::optional<std::u16string> readTokenFragmentWithDelimiterSet(const CharacterSet& delimiters);
    // Passes over units up to the next member of the set, keeping nothing.
    void skipUpToCharacterInSet(const CharacterSet& delimiters);

    // The text up to the string, which stays unread; the rest of the text
    // when the string does not occur; nothing at the end of the text.
    std::optional<std::u16string> readFullTokenUpToString(std::u16string_view string);
    // Moves to the start of the next occurrence and answers true; moves to
    // the end of the text and answers false when there is none.
    bool scanUpToString(std::u16string_view string);
    // Consumes the string when the text goes on with it.
    bool scanString(std::u16string_view string);
    bool hasPrefix(std::u16string_view string) const;

    // Up to maximumDigits hexadecimal (or decimal) digits as a number; nothing,
    // and no movement, when no digit comes next.
    std::optional<unsigned> readHexadecimalNumber(std::size_t maximumDigits = 2);
    std::optional<unsigned> readUnsignedDecimalNumber(std::size_t maximumDigits = 5);

    void setRewindMark();
    // Returns to the most recent mark and removes it; does nothing without a mark.
    void rewindToMark();
    void discardRewindMark();

private:
    std::u16string m_string;
    std::size_t m_location = 0;
    std::vector<std::size_t> m_marks;
};

} // namespace folio
