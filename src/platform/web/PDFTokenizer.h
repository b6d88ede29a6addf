#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The lexical tokens of PDF (ISO 32000-1, 7.2 and 7.3): what object bodies,
// trailers and content streams are written in.
class PDFTokenizer {
public:
    enum class Kind { End, Number, Name, String, ArrayOpen, ArrayClose, DictionaryOpen, DictionaryClose, Keyword, Malformed };

    struct Token {
        Kind kind = Kind::End;
        // A keyword or a number as written: a view of the bytes read.
        std::string_view word;
        // A name without its slash and with #xx decoded, a string's bytes
        // with hex and escapes decoded, or what was malformed.
        std::string text;

        // Numbers are read only when asked for: content streams are mostly
        // numbers that nothing here needs.
        bool isInteger() const;
        std::optional<double> number() const;
        bool isKeyword(std::string_view keyword) const { return kind == Kind::Keyword && word == keyword; }
    };

    explicit PDFTokenizer(std::string_view bytes, std::size_t offset = 0) : m_bytes(bytes), m_offset(offset) {}

    Token next();
    Token peek() const { return PDFTokenizer(*this).next(); }

    // Where the next token would start looking.
    std::size_t offset() const { return m_offset; }
    void setOffset(std::size_t offset) { m_offset = offset; }
    void skipWhitespaceAndComments();

private:
    Token literalString();
    Token hexString();
    Token name();
    Token numberOrKeyword();

    std::string_view m_bytes;
    std::size_t m_offset;
};

} // namespace folio
