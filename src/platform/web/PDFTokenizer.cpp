#include "platform/web/PDFTokenizer.h"

#include "platform/foundation/StringUtilities.h"

#include <array>
#include <charconv>

namespace folio {

namespace {

enum CharacterClass : unsigned char { Regular = 0, Whitespace = 1, Delimiter = 2 };

constexpr std::array<unsigned char, 256> characterClasses()
{
    std::array<unsigned char, 256> classes{};
    for (unsigned char c : {' ', '\n', '\r', '\t', '\f', '\0'})
        classes[c] = Whitespace;
    for (unsigned char c : {'(', ')', '<', '>', '[', ']', '{', '}', '/', '%'})
        classes[c] = Delimiter;
    return classes;
}

constexpr std::array<unsigned char, 256> kCharacterClasses = characterClasses();

bool isWhitespace(char c)
{
    return kCharacterClasses[static_cast<unsigned char>(c)] == Whitespace;
}

bool isRegular(char c)
{
    return kCharacterClasses[static_cast<unsigned char>(c)] == Regular;
}

int hexValue(char c)
{
    return hexDigitValue(static_cast<unsigned char>(c));
}

PDFTokenizer::Token token(PDFTokenizer::Kind kind, std::string text = {})
{
    PDFTokenizer::Token result;
    result.kind = kind;
    result.text = std::move(text);
    return result;
}

} // namespace

bool PDFTokenizer::Token::isInteger() const
{
    if (kind != Kind::Number)
        return false;
    std::string_view digits = word.front() == '+' || word.front() == '-' ? word.substr(1) : word;
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<double> PDFTokenizer::Token::number() const
{
    if (kind != Kind::Number)
        return std::nullopt;
    std::string_view digits = word.front() == '+' ? word.substr(1) : word;
    // Reals may start or end with the point; from_chars reads them the same
    // under every locale.
    double value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

void PDFTokenizer::skipWhitespaceAndComments()
{
    while (m_offset < m_bytes.size()) {
        char c = m_bytes[m_offset];
        if (isWhitespace(c)) {
            ++m_offset;
        } else if (c == '%') {
            while (m_offset < m_bytes.size() && m_bytes[m_offset] != '\n' && m_bytes[m_offset] != '\r')
                ++m_offset;
        } else {
            return;
        }
    }
}

PDFTokenizer::Token PDFTokenizer::next()
{
    skipWhitespaceAndComments();
    if (m_offset >= m_bytes.size())
        return token(Kind::End);
    char c = m_bytes[m_offset];
    switch (c) {
    case '(':
        return literalString();
    case '<':
        if (m_offset + 1 < m_bytes.size() && m_bytes[m_offset + 1] == '<') {
            m_offset += 2;
            return token(Kind::DictionaryOpen);
        }
        return hexString();
    case '>':
        if (m_offset + 1 < m_bytes.size() && m_bytes[m_offset + 1] == '>') {
            m_offset += 2;
            return token(Kind::DictionaryClose);
        }
        ++m_offset;
        return token(Kind::Malformed, ">");
    case '[':
        ++m_offset;
        return token(Kind::ArrayOpen);
    case ']':
        ++m_offset;
        return token(Kind::ArrayClose);
    case '/':
        return name();
    case ')': case '{': case '}':
        ++m_offset;
        return token(Kind::Malformed, std::string(1, c));
    default:
        return numberOrKeyword();
    }
}

PDFTokenizer::Token PDFTokenizer::literalString()
{
    std::string text;
    int depth = 1;
    ++m_offset;
    while (m_offset < m_bytes.size()) {
        char c = m_bytes[m_offset++];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0)
                return token(Kind::String, std::move(text));
        } else if (c == '\\') {
            if (m_offset >= m_bytes.size())
                break;
            char escaped = m_bytes[m_offset++];
            switch (escaped) {
            case 'n': text += '\n'; continue;
            case 'r': text += '\r'; continue;
            case 't': text += '\t'; continue;
            case 'b': text += '\b'; continue;
            case 'f': text += '\f'; continue;
            case '\r':
                // A backslash at the end of a line continues the string.
                if (m_offset < m_bytes.size() && m_bytes[m_offset] == '\n')
                    ++m_offset;
                continue;
            case '\n':
                continue;
            default:
                break;
            }
            if (escaped >= '0' && escaped <= '7') {
                int value = escaped - '0';
                for (int digits = 1; digits < 3 && m_offset < m_bytes.size(); ++digits) {
                    char octal = m_bytes[m_offset];
                    if (octal < '0' || octal > '7')
                        break;
                    value = value * 8 + (octal - '0');
                    ++m_offset;
                }
                text += static_cast<char>(value & 0xff);
            } else {
                text += escaped;
            }
            continue;
        }
        text += c;
    }
    return token(Kind::Malformed, "unterminated string");
}

PDFTokenizer::Token PDFTokenizer::hexString()
{
    std::string text;
    int high = -1;
    ++m_offset;
    while (m_offset < m_bytes.size()) {
        char c = m_bytes[m_offset++];
        if (c == '>') {
            // An odd last digit is followed by an implied zero.
            if (high >= 0)
                text += static_cast<char>(high << 4);
            return token(Kind::String, std::move(text));
        }
        if (isWhitespace(c))
            continue;
        int value = hexValue(c);
        if (value < 0)
            return token(Kind::Malformed, "bad hex string");
        if (high < 0) {
            high = value;
        } else {
            text += static_cast<char>(high << 4 | value);
            high = -1;
        }
    }
    return token(Kind::Malformed, "unterminated hex string");
}

PDFTokenizer::Token PDFTokenizer::name()
{
    std::string text;
    ++m_offset;
    while (m_offset < m_bytes.size()) {
        char c = m_bytes[m_offset];
        if (!isRegular(c))
            break;
        ++m_offset;
        if (c == '#' && m_offset + 1 < m_bytes.size()) {
            int high = hexValue(m_bytes[m_offset]);
            int low = hexValue(m_bytes[m_offset + 1]);
            if (high >= 0 && low >= 0) {
                text += static_cast<char>(high << 4 | low);
                m_offset += 2;
                continue;
            }
        }
        text += c;
    }
    return token(Kind::Name, std::move(text));
}

PDFTokenizer::Token PDFTokenizer::numberOrKeyword()
{
    std::size_t start = m_offset;
    while (m_offset < m_bytes.size() && isRegular(m_bytes[m_offset]))
        ++m_offset;
    PDFTokenizer::Token result;
    result.word = m_bytes.substr(start, m_offset - start);
    char first = result.word.front();
    bool numeric = (first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.';
    result.kind = numeric ? Kind::Number : Kind::Keyword;
    return result;
}

} // namespace folio
