#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <string_view>
#include <vector>

namespace folio {

class PDFTokenizer;

// One PDF value (ISO 32000-1, 7.3): what an indirect object, a trailer or an
// operand holds. Indirect references stay references; the file resolves them.
class PDFObject {
public:
    static constexpr const char* kErrorDomain = "PDFObject";
    enum ErrorCode { Malformed = 1, TooDeep = 2 };

    enum class Kind { Null, Boolean, Number, Name, String, Array, Dictionary, Reference };

    PDFObject() = default;

    // The value that starts at the tokenizer's position; a reference is
    // recognised from its "number generation R".
    static Result<PDFObject> parse(PDFTokenizer& tokenizer);

    Kind kind() const { return m_kind; }
    bool isName(std::string_view name) const { return m_kind == Kind::Name && m_text == name; }
    bool isDictionary() const { return m_kind == Kind::Dictionary; }
    // A name's or a string's bytes.
    const std::string& text() const { return m_text; }
    double number() const { return m_number; }
    // A reference's object number.
    int objectNumber() const { return static_cast<int>(m_number); }

    // An array's items, or a dictionary's values in the order of keys().
    const std::vector<PDFObject>& items() const { return m_items; }
    const std::vector<std::string>& keys() const { return m_keys; }
    // A dictionary's value for `key`, or nullptr.
    const PDFObject* find(std::string_view key) const;

    // Every object number referred to from this value, nested values included.
    void collectReferences(std::vector<int>& numbers) const;

private:
    static Result<PDFObject> parse(PDFTokenizer& tokenizer, int depth);

    Kind m_kind = Kind::Null;
    double m_number = 0;
    std::string m_text;
    std::vector<std::string> m_keys;
    std::vector<PDFObject> m_items;
};

} // namespace folio
