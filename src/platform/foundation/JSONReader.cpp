#include "platform/foundation/JSONReader.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace folio {

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    Result<PropertyList> document()
    {
        std::optional<PropertyList> value = this->value(0);
        if (!value && m_isNull)
            return error("null where a document was expected", JSONReader::Malformed);
        if (!value)
            return failure();
        skipWhitespace();
        if (m_at != m_text.size())
            return error("text after the value", JSONReader::Malformed);
        return std::move(*value);
    }

private:
    enum class Item { Value, Null };

    Error failure() const { return m_error.value_or(Error{JSONReader::kErrorDomain, JSONReader::Malformed, "malformed JSON"}); }

    Error error(const std::string& what, JSONReader::ErrorCode code)
    {
        if (!m_error)
            m_error = Error{JSONReader::kErrorDomain, code, "JSON: " + what + " at offset " + std::to_string(m_at)};
        return *m_error;
    }

    std::nullopt_t fail(const std::string& what, JSONReader::ErrorCode code = JSONReader::Malformed)
    {
        error(what, code);
        return std::nullopt;
    }

    void skipWhitespace()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    bool consume(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }

    // A value, or nothing with m_isNull set when the value was null.
    std::optional<PropertyList> value(int depth)
    {
        m_isNull = false;
        if (depth >= JSONReader::kMaximumDepth)
            return fail("nesting deeper than " + std::to_string(JSONReader::kMaximumDepth), JSONReader::TooDeep);
        skipWhitespace();
        if (m_at == m_text.size())
            return fail("a value is missing");
        switch (m_text[m_at]) {
        case '{':
            return object(depth);
        case '[':
            return array(depth);
        case '"': {
            std::optional<std::string> text = string();
            if (!text)
                return std::nullopt;
            return PropertyList(std::move(*text));
        }
        case 't':
            if (consume("true"))
                return PropertyList(true);
            break;
        case 'f':
            if (consume("false"))
                return PropertyList(false);
            break;
        case 'n':
            if (consume("null")) {
                m_isNull = true;
                return std::nullopt;
            }
            break;
        default:
            return number();
        }
        return fail("an unknown word");
    }

    std::optional<PropertyList> object(int depth)
    {
        ++m_at;
        PropertyList result = PropertyList::dictionary();
        skipWhitespace();
        if (consume("}"))
            return result;
        while (true) {
            skipWhitespace();
            if (m_at == m_text.size() || m_text[m_at] != '"')
                return fail("a member name is missing");
            std::optional<std::string> key = string();
            if (!key)
                return std::nullopt;
            skipWhitespace();
            if (!consume(":"))
                return fail("\":\" is missing");
            std::optional<PropertyList> member = value(depth + 1);
            if (member)
                result.setObjectForKey(*key, std::move(*member));
            else if (m_isNull)
                result.removeObjectForKey(*key);
            else
                return std::nullopt;
            skipWhitespace();
            if (consume("}"))
                return result;
            if (!consume(","))
                return fail("\",\" or \"}\" is missing");
        }
    }

    std::optional<PropertyList> array(int depth)
    {
        ++m_at;
        PropertyList::Array items;
        skipWhitespace();
        if (consume("]"))
            return PropertyList(std::move(items));
        while (true) {
            std::optional<PropertyList> item = value(depth + 1);
            if (!item)
                return m_isNull ? fail("null in an array") : std::nullopt;
            items.push_back(std::move(*item));
            skipWhitespace();
            if (consume("]"))
                return PropertyList(std::move(items));
            if (!consume(","))
                return fail("\",\" or \"]\" is missing");
        }
    }

    std::optional<std::string> string()
    {
        ++m_at;
        std::string result;
        // Escaped UTF-16 units wait here until the run of escapes ends, so a
        // surrogate pair written as two escapes becomes one character and a
        // lone surrogate becomes U+FFFD.
        std::u16string units;
        auto flushUnits = [&] {
            if (!units.empty()) {
                result += toUtf8(units);
                units.clear();
            }
        };
        while (true) {
            if (m_at >= m_text.size())
                return fail("a string is not closed");
            char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                flushUnits();
                return result;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("a control character in a string");
            if (c != '\\') {
                flushUnits();
                result += c;
                ++m_at;
                continue;
            }
            if (m_at + 1 >= m_text.size())
                return fail("a string is not closed");
            char escaped = m_text[m_at + 1];
            m_at += 2;
            if (escaped == 'u') {
                if (m_at + 4 > m_text.size())
                    return fail("a \\u escape is cut short");
                int unit = 0;
                for (int i = 0; i < 4; ++i) {
                    int digit = hexDigitValue(static_cast<unsigned char>(m_text[m_at + i]));
                    if (digit < 0)
                        return fail("a \\u escape with a digit that is not hexadecimal");
                    unit = unit * 16 + digit;
                }
                m_at += 4;
                units += static_cast<char16_t>(unit);
                continue;
            }
            flushUnits();
            switch (escaped) {
            case '"': result += '"'; break;
            case '\\': result += '\\'; break;
            case '/': result += '/'; break;
            case 'b': result += '\b'; break;
            case 'f': result += '\f'; break;
            case 'n': result += '\n'; break;
            case 'r': result += '\r'; break;
            case 't': result += '\t'; break;
            default:
                return fail("an unknown escape");
            }
        }
    }

    std::optional<PropertyList> number()
    {
        // The grammar is checked here; from_chars would also take forms JSON
        // does not allow ("+1", "01", ".5", "1.").
        std::size_t start = m_at;
        auto digits = [&] {
            std::size_t first = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            return m_at - first;
        };
        consume("-");
        if (m_at < m_text.size() && m_text[m_at] == '0')
            ++m_at;
        else if (digits() == 0)
            return fail("not a value");
        bool whole = true;
        if (consume(".")) {
            whole = false;
            if (digits() == 0)
                return fail("a number without digits after its point");
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            whole = false;
            ++m_at;
            if (!consume("+"))
                consume("-");
            if (digits() == 0)
                return fail("a number without digits in its exponent");
        }
        std::string_view text = m_text.substr(start, m_at - start);
        if (whole) {
            std::int64_t integer = 0;
            auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), integer);
            if (problem == std::errc() && end == text.data() + text.size())
                return PropertyList(integer);
        }
        double real = 0;
        auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), real);
        if (problem != std::errc() || end != text.data() + text.size())
            return fail("a number out of range");
        return PropertyList(real);
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    bool m_isNull = false;
    std::optional<Error> m_error;
};

} // namespace

Result<PropertyList> JSONReader::read(std::string_view text)
{
    return Parser(text).document();
}

} // namespace folio
