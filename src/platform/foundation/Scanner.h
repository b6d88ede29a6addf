#pragma once

#include "platform/foundation/CharacterSet.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A token reader over UTF-16 text with the platform scanner's rules, which the
// CSS and HTML readers depend on:
// - before every scan, characters of charactersToBeSkipped are passed over
//   (white space and newlines unless changed);
// - a scan that fails leaves the scan location where it was, skipped
//   characters included;
// - "up to" scans answer false when they scanned nothing, also when the
//   delimiter comes first;
// - numbers use "." as the decimal separator whatever the process locale.
// Out-parameters may be null when only the movement is wanted.
class Scanner {
public:
    explicit Scanner(std::u16string string);
    explicit Scanner(std::string_view utf8);

    const std::u16string& string() const { return m_string; }

    std::size_t scanLocation() const { return m_location; }
    // Clamped to the text's length.
    void setScanLocation(std::size_t location);

    // Nothing is skipped when the set is absent.
    const std::optional<CharacterSet>& charactersToBeSkipped() const { return m_charactersToBeSkipped; }
    void setCharactersToBeSkipped(std::optional<CharacterSet> characters);

    // Affects scanString and scanUpToString only; off by default.
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }

    // True when nothing but characters to be skipped remains.
    bool isAtEnd() const;

    bool scanString(std::u16string_view string, std::u16string* into = nullptr);
    // Reads up to (not including) the string, or to the end of the text when it does not occur.
    bool scanUpToString(std::u16string_view string, std::u16string* into = nullptr);
    bool scanCharactersFromSet(const CharacterSet& set, std::u16string* into = nullptr);
    bool scanUpToCharactersFromSet(const CharacterSet& set, std::u16string* into = nullptr);

    // Optional sign and decimal digits; on overflow the value clamps to the
    // type's limit and every digit is still consumed.
    bool scanInt(int* value = nullptr);
    bool scanInteger(std::int64_t* value = nullptr);
    bool scanLongLong(long long* value = nullptr);
    // Optional "0x" or "0X", then hexadecimal digits; overflow clamps to the maximum.
    bool scanHexInt(unsigned* value = nullptr);
    bool scanHexLongLong(unsigned long long* value = nullptr);
    // Optional sign, digits with an optional fraction, optional exponent;
    // overflow gives infinity, underflow zero.
    bool scanFloat(float* value = nullptr);
    bool scanDouble(double* value = nullptr);

private:
    // The location after skipping, without moving.
    std::size_t skippedLocation() const;
    std::size_t findString(std::u16string_view string, std::size_t from) const;
    template <typename Integer>
    bool scanSignedDecimal(Integer* value);
    template <typename Unsigned>
    bool scanHexadecimal(Unsigned* value);

    std::u16string m_string;
    std::size_t m_location = 0;
    std::optional<CharacterSet> m_charactersToBeSkipped;
    bool m_caseSensitive = false;
};

} // namespace folio
