#include "platform/foundation/OFStringScanner.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>

namespace folio {

namespace {

} // namespace

OFStringScanner::OFStringScanner(std::u16string string) : m_string(std::move(string)) {}

void OFStringScanner::skipCharacters(std::size_t count)
{
    m_location += std::min(count, m_string.size() - m_location);
}

char16_t OFStringScanner::readCharacter()
{
    if (isAtEnd())
        return kEndOfDataCharacter;
    return m_string[m_location++];
}

std::optional<std::u16string> OFStringScanner::readTokenFragmentWithDelimiterCharacter(char16_t delimiter)
{
    if (isAtEnd())
        return std::nullopt;
    std::size_t end = m_string.find(delimiter, m_location);
    if (end == std::u16string::npos)
        end = m_string.size();
    std::u16string token = m_string.substr(m_location, end - m_location);
    m_location = end;
    return token;
}

std::optional<std::u16string> OFStringScanner::readTokenFragmentWithDelimiterSet(const CharacterSet& delimiters)
{
    if (isAtEnd())
        return std::nullopt;
    std::size_t length = delimiters.spanNonMembers(std::u16string_view(m_string).substr(m_location));
    std::u16string token = m_string.substr(m_location, length);
    m_location += length;
    return token;
}

void OFStringScanner::skipUpToCharacterInSet(const CharacterSet& delimiters)
{
    m_location += delimiters.spanNonMembers(std::u16string_view(m_string).substr(m_location));
}

std::optional<std::u16string> OFStringScanner::readFullTokenUpToString(std::u16string_view string)
{
    if (isAtEnd())
        return std::nullopt;
    std::size_t end = string.empty() ? m_location : m_string.find(string, m_location);
    if (end == std::u16string::npos)
        end = m_string.size();
    std::u16string token = m_string.substr(m_location, end - m_location);
    m_location = end;
    return token;
}

bool OFStringScanner::scanUpToString(std::u16string_view string)
{
    std::size_t found = m_string.find(string, m_location);
    if (found == std::u16string::npos) {
        m_location = m_string.size();
        return false;
    }
    m_location = found;
    return true;
}

bool OFStringScanner::hasPrefix(std::u16string_view string) const
{
    return std::u16string_view(m_string).substr(m_location).starts_with(string);
}

bool OFStringScanner::scanString(std::u16string_view string)
{
    if (!hasPrefix(string))
        return false;
    m_location += string.size();
    return true;
}

static std::optional<unsigned> readNumber(const std::u16string& text, std::size_t& location, std::size_t maximumDigits,
                                          unsigned base)
{
    unsigned value = 0;
    std::size_t digits = 0;
    while (digits < maximumDigits && location < text.size()) {
        int digit = digitValue(text[location], base);
        if (digit < 0)
            break;
        value = value * base + static_cast<unsigned>(digit);
        ++location;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

std::optional<unsigned> OFStringScanner::readHexadecimalNumber(std::size_t maximumDigits)
{
    // Callers ask for a few digits only (a byte escape); more than fit in
    // the result would wrap, so the count is capped.
    return readNumber(m_string, m_location, std::min<std::size_t>(maximumDigits, 8), 16);
}

std::optional<unsigned> OFStringScanner::readUnsignedDecimalNumber(std::size_t maximumDigits)
{
    return readNumber(m_string, m_location, std::min<std::size_t>(maximumDigits, 9), 10);
}

void OFStringScanner::setRewindMark() { m_marks.push_back(m_location); }

void OFStringScanner::rewindToMark()
{
    if (m_marks.empty())
        return;
    m_location = m_marks.back();
    m_marks.pop_back();
}

void OFStringScanner::discardRewindMark()
{
    if (!m_marks.empty())
        m_marks.pop_back();
}

} // namespace folio
