#include "platform/foundation/Scanner.h"

#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <limits>

namespace folio {

Scanner::Scanner(std::u16string string)
    : m_string(std::move(string)), m_charactersToBeSkipped(CharacterSet::whitespaceAndNewlineCharacterSet())
{
}

Scanner::Scanner(std::string_view utf8) : Scanner(toUtf16(utf8)) {}

void Scanner::setScanLocation(std::size_t location) { m_location = std::min(location, m_string.size()); }

void Scanner::setCharactersToBeSkipped(std::optional<CharacterSet> characters)
{
    m_charactersToBeSkipped = std::move(characters);
}

std::size_t Scanner::skippedLocation() const
{
    if (!m_charactersToBeSkipped)
        return m_location;
    return m_location + m_charactersToBeSkipped->spanMembers(std::u16string_view(m_string).substr(m_location));
}

bool Scanner::isAtEnd() const { return skippedLocation() >= m_string.size(); }

std::size_t Scanner::findString(std::u16string_view string, std::size_t from) const
{
    StringCompareOptions options = m_caseSensitive ? StringCompareOptions::None : StringCompareOptions::CaseInsensitive;
    Range found = rangeOfString(m_string, string, options, Range{from, m_string.size() - from});
    return found.location;
}

bool Scanner::scanString(std::u16string_view string, std::u16string* into)
{
    std::size_t start = skippedLocation();
    if (string.empty() || start >= m_string.size())
        return false;
    StringCompareOptions options = StringCompareOptions::Anchored;
    if (!m_caseSensitive)
        options = options | StringCompareOptions::CaseInsensitive;
    Range found = rangeOfString(m_string, string, options, Range{start, m_string.size() - start});
    if (found.location != start)
        return false;
    // Case-insensitive matches hand back the text as written in the scanned string.
    if (into)
        *into = m_string.substr(start, found.length);
    m_location = found.end();
    return true;
}

bool Scanner::scanUpToString(std::u16string_view string, std::u16string* into)
{
    std::size_t start = skippedLocation();
    if (start >= m_string.size())
        return false;
    std::size_t end = string.empty() ? NotFound : findString(string, start);
    if (end == NotFound)
        end = m_string.size();
    if (end == start)
        return false;
    if (into)
        *into = m_string.substr(start, end - start);
    m_location = end;
    return true;
}

bool Scanner::scanCharactersFromSet(const CharacterSet& set, std::u16string* into)
{
    std::size_t start = skippedLocation();
    std::size_t length = set.spanMembers(std::u16string_view(m_string).substr(start));
    if (length == 0)
        return false;
    if (into)
        *into = m_string.substr(start, length);
    m_location = start + length;
    return true;
}

bool Scanner::scanUpToCharactersFromSet(const CharacterSet& set, std::u16string* into)
{
    std::size_t start = skippedLocation();
    std::size_t length = set.spanNonMembers(std::u16string_view(m_string).substr(start));
    if (length == 0)
        return false;
    if (into)
        *into = m_string.substr(start, length);
    m_location = start + length;
    return true;
}

template <typename Integer>
bool Scanner::scanSignedDecimal(Integer* value)
{
    std::size_t start = skippedLocation();
    long long result = 0;
    std::size_t end = scanDecimalInteger(m_string, start, &result, std::numeric_limits<Integer>::min(),
                                         std::numeric_limits<Integer>::max());
    if (end == start)
        return false;
    if (value)
        *value = static_cast<Integer>(result);
    m_location = end;
    return true;
}

template <typename Unsigned>
bool Scanner::scanHexadecimal(Unsigned* value)
{
    std::size_t start = skippedLocation();
    unsigned long long result = 0;
    std::size_t end = scanHexadecimalInteger(m_string, start, &result, std::numeric_limits<Unsigned>::max());
    if (end == start)
        return false;
    if (value)
        *value = static_cast<Unsigned>(result);
    m_location = end;
    return true;
}

bool Scanner::scanInt(int* value) { return scanSignedDecimal(value); }
bool Scanner::scanInteger(std::int64_t* value) { return scanSignedDecimal(value); }
bool Scanner::scanLongLong(long long* value) { return scanSignedDecimal(value); }
bool Scanner::scanHexInt(unsigned* value) { return scanHexadecimal(value); }
bool Scanner::scanHexLongLong(unsigned long long* value) { return scanHexadecimal(value); }

bool Scanner::scanDouble(double* value)
{
    std::size_t start = skippedLocation();
    double result = 0;
    std::size_t end = scanFloatingPoint(m_string, start, &result);
    if (end == start)
        return false;
    if (value)
        *value = result;
    m_location = end;
    return true;
}

bool Scanner::scanFloat(float* value)
{
    double result = 0;
    if (!scanDouble(&result))
        return false;
    if (value)
        *value = narrowToFloat(result);
    return true;
}

} // namespace folio
