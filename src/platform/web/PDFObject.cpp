#include "platform/web/PDFObject.h"

#include "platform/web/PDFTokenizer.h"

namespace folio {

namespace {

// Deeper nesting than any writer produces is refused rather than followed
// down the stack.
constexpr int kMaximumDepth = 64;

Error malformed(const std::string& message)
{
    return Error{PDFObject::kErrorDomain, PDFObject::Malformed, message};
}

} // namespace

Result<PDFObject> PDFObject::parse(PDFTokenizer& tokenizer)
{
    return parse(tokenizer, 0);
}

Result<PDFObject> PDFObject::parse(PDFTokenizer& tokenizer, int depth)
{
    if (depth > kMaximumDepth)
        return Error{kErrorDomain, TooDeep, "PDF values nested too deep"};
    PDFTokenizer::Token token = tokenizer.next();
    PDFObject object;
    switch (token.kind) {
    case PDFTokenizer::Kind::Number: {
        std::optional<double> number = token.number();
        if (!number)
            return malformed("bad number " + std::string(token.word));
        object.m_kind = Kind::Number;
        object.m_number = *number;
        if (!token.isInteger() || *number < 0)
            return object;
        // "12 0 R" is one value: look two tokens ahead without taking them.
        PDFTokenizer ahead = tokenizer;
        if (!ahead.next().isInteger() || !ahead.next().isKeyword("R"))
            return object;
        tokenizer = ahead;
        object.m_kind = Kind::Reference;
        return object;
    }
    case PDFTokenizer::Kind::Name:
        object.m_kind = Kind::Name;
        object.m_text = std::move(token.text);
        return object;
    case PDFTokenizer::Kind::String:
        object.m_kind = Kind::String;
        object.m_text = std::move(token.text);
        return object;
    case PDFTokenizer::Kind::Keyword:
        if (token.word == "true" || token.word == "false") {
            object.m_kind = Kind::Boolean;
            object.m_number = token.word == "true";
            return object;
        }
        if (token.word == "null")
            return object;
        return malformed("unexpected keyword " + std::string(token.word));
    case PDFTokenizer::Kind::ArrayOpen:
        object.m_kind = Kind::Array;
        while (true) {
            PDFTokenizer::Token ahead = tokenizer.peek();
            if (ahead.kind == PDFTokenizer::Kind::ArrayClose) {
                tokenizer.next();
                return object;
            }
            if (ahead.kind == PDFTokenizer::Kind::End)
                return malformed("unterminated array");
            Result<PDFObject> item = parse(tokenizer, depth + 1);
            if (!item)
                return item.error();
            object.m_items.push_back(std::move(*item));
        }
    case PDFTokenizer::Kind::DictionaryOpen:
        object.m_kind = Kind::Dictionary;
        while (true) {
            PDFTokenizer::Token key = tokenizer.next();
            if (key.kind == PDFTokenizer::Kind::DictionaryClose)
                return object;
            if (key.kind != PDFTokenizer::Kind::Name)
                return malformed("a dictionary key is no name");
            Result<PDFObject> value = parse(tokenizer, depth + 1);
            if (!value)
                return value.error();
            object.m_keys.push_back(std::move(key.text));
            object.m_items.push_back(std::move(*value));
        }
    default:
        return malformed(token.kind == PDFTokenizer::Kind::End ? "missing value" : "unexpected " + token.text);
    }
}

const PDFObject* PDFObject::find(std::string_view key) const
{
    for (std::size_t index = 0; index < m_keys.size(); ++index) {
        if (m_keys[index] == key)
            return &m_items[index];
    }
    return nullptr;
}

void PDFObject::collectReferences(std::vector<int>& numbers) const
{
    if (m_kind == Kind::Reference)
        numbers.push_back(objectNumber());
    for (const PDFObject& item : m_items)
        item.collectReferences(numbers);
}

} // namespace folio
