#include "formats/rtf/DKRTFDataBuffer.h"

#include "platform/foundation/ByteScan.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace folio {

namespace {

const char* controlWordForUnit(char16_t unit)
{
    switch (unit) {
    case 0x2013:
        return "\\endash ";
    case 0x2014:
        return "\\emdash ";
    case 0x2018:
        return "\\lquote ";
    case 0x2019:
        return "\\rquote ";
    case 0x201C:
        return "\\ldblquote ";
    case 0x201D:
        return "\\rdblquote ";
    case 0x2022:
        return "\\bullet ";
    // A line break inside a paragraph; the reader turns "\line" back into it.
    case 0x2028:
        return "\\line ";
    case 0x2026:
        // The ellipsis keeps a code-page fallback for readers without Unicode.
        return "\\u8230\\'85";
    case u'\t':
        return "\\tab ";
    default:
        return nullptr;
    }
}

} // namespace

void DKRTFDataBuffer::appendInteger(std::int32_t value)
{
    char digits[16];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    m_bytes.append(digits, result.ptr);
}

void DKRTFDataBuffer::appendRoundedNumber(double value)
{
    // printf rounds exact halves to even in the default rounding mode, and
    // "%.0f" has no decimal separator, so the locale plays no part.
    // A size that is not a number would print as "nan" and break the word it ends.
    if (!std::isfinite(value))
        value = 0;
    char digits[64];
    int length = std::snprintf(digits, sizeof digits, "%.0f", value);
    if (length > 0)
        m_bytes.append(digits, static_cast<std::size_t>(length) < sizeof digits ? length : sizeof digits - 1);
}

void DKRTFDataBuffer::appendEscapedCharacter(char16_t unit)
{
    if (const char* word = controlWordForUnit(unit)) {
        m_bytes.append(word);
        return;
    }
    // The object replacement character and the list and picture placeholder
    // stand for an attachment or a list marker, which are written from their
    // attributes instead.
    // A form feed is the page break, written from its paragraph's attribute.
    if (unit == 0xFFFC || unit == 0xFEFF || unit == u'\f')
        return;
    if (!needsEscaping(unit)) {
        m_bytes.push_back(static_cast<char>(unit));
        return;
    }
    if (unit > 0xFF || (unit >= 0x80 && m_inFontOfOtherCharacterSet)) {
        // Each half of a surrogate pair goes out on its own; readers pair them again.
        m_bytes.append("\\u");
        appendInteger(static_cast<std::int32_t>(unit));
        m_bytes.push_back('?');
        return;
    }
    if (unit >= 0x80) {
        static constexpr char kHexDigits[] = "0123456789abcdef";
        m_bytes.append("\\'");
        m_bytes.push_back(kHexDigits[unit >> 4]);
        m_bytes.push_back(kHexDigits[unit & 0xF]);
        return;
    }
    // A backslash before a line feed or carriage return is RTF's paragraph end.
    m_bytes.push_back('\\');
    m_bytes.push_back(static_cast<char>(unit));
}

std::size_t DKRTFDataBuffer::appendPlainPrefix(std::u16string_view text)
{
    // Room for all of it, given back past the first unit that needs more
    // than its own byte: most of a document's text is plain.
    const std::size_t start = m_bytes.size();
    m_bytes.resize(start + text.size());
    const std::size_t count = ByteScan::narrowPrintableASCII<'\\', '{', '}'>(text, m_bytes.data() + start);
    m_bytes.resize(start + count);
    return count;
}

void DKRTFDataBuffer::appendEscapedString(std::u16string_view text)
{
    for (char16_t unit : text)
        appendEscapedCharacter(unit);
}

} // namespace folio
