#include "engine/html/reader/TEHTMLParser.h"

#include "platform/foundation/HTMLParser.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"


#include <algorithm>
#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace folio {

namespace {

// Phrasing elements: white space next to one of these is a word space of the text.
// "br" is left out on purpose: a line feed after "<br>" in the source is layout.
bool isInlineTag(std::string_view tag)
{
    static constexpr std::array<std::string_view, 35> kInlineTags = {
        "a",    "abbr",  "acronym", "b",     "bdi",    "bdo",    "big", "cite", "code",   "del",  "dfn",  "em",
        "font", "i",     "iframe",  "img",   "ins",    "kbd",    "label", "mark", "nobr", "object", "q",  "s",
        "samp", "small", "span",    "strike", "strong", "sub",   "sup",   "tt",   "u",    "var",  "video",
    };
    // Asked at every start and end tag: a tag is compared only with the
    // names of its length, and in full only with those of its first letter.
    // Never destroyed: a save still reading a page on the document's own
    // thread may ask while the program's exit tears statics down.
    static const auto& kByLength = *[] {
        auto* names = new std::array<std::vector<std::string_view>, 8>;
        for (std::string_view name : kInlineTags)
            (*names)[name.size()].push_back(name);
        return names;
    }();
    if (tag.empty() || tag.size() >= kByLength.size())
        return false;
    for (std::string_view name : kByLength[tag.size()]) {
        if (name.front() == tag.front() && name == tag)
            return true;
    }
    return false;
}

} // namespace

const std::u16string* attributeValueForName(const TEHTMLAttributes& attributes, std::string_view name)
{
    // Asked several times of every element: names of the same length (as
    // "class" and "style") are told apart by their last letter before their
    // characters are compared.
    for (const auto& [attributeName, value] : attributes) {
        if (attributeName.size() == name.size() && (name.empty() || attributeName.back() == name.back()) &&
            attributeName == name)
            return &value;
    }
    return nullptr;
}

// The platform parser's events, turned into the delegate's.
class TEHTMLParserEvents final : public HTMLParseEvents {
public:
    explicit TEHTMLParserEvents(TEHTMLParser& parser) : m_parser(parser) {}

    bool wants(TEHTMLParserDelegateOperation operation) const
    {
        return (m_parser.m_operations & static_cast<unsigned>(operation)) != 0;
    }

    void startDocument() override { m_parser.m_delegate->parserDidStartDocument(m_parser); }
    void endDocument() override { m_parser.m_delegate->parserDidEndDocument(m_parser); }

    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        m_parser.noteTag(isInlineTag(name));
        if (name == "pre")
            ++m_parser.m_preformattedDepth;
        if (wants(TEHTMLParserDelegateOperation::DidStartElement))
            m_parser.m_delegate->parserDidStartElement(m_parser, std::string(name), attributesFrom(attributes));
    }

    void endElement(std::string_view name) override
    {
        m_parser.noteTag(isInlineTag(name));
        if (name == "pre" && m_parser.m_preformattedDepth > 0)
            --m_parser.m_preformattedDepth;
        if (wants(TEHTMLParserDelegateOperation::DidEndElement))
            m_parser.m_delegate->parserDidEndElement(m_parser, std::string(name));
    }

    void characters(std::string_view text) override
    {
        m_parser.m_characters.append(text);
        m_parser.m_hasCharacters = true;
    }

    void rawText(std::string_view bytes) override { m_parser.m_delegate->parserFoundCDATA(m_parser, std::string(bytes)); }
    void comment(std::string_view text) override { m_parser.m_delegate->parserFoundComment(m_parser, toUtf16(text)); }

    void processingInstruction(std::string_view target, std::string_view data) override
    {
        m_parser.m_delegate->parserFoundProcessingInstruction(m_parser, toUtf16(target), toUtf16(data));
    }

    void error(const std::string& message) override
    {
        m_parser.m_parserError = Error{std::string(TEHTMLParser::kErrorDomain), 1, message};
        if (wants(TEHTMLParserDelegateOperation::ParseErrorOccurred))
            m_parser.m_delegate->parserParseErrorOccurred(m_parser, m_parser.m_parserError);
    }

private:
    static std::optional<TEHTMLAttributes> attributesFrom(const HTMLAttributeList& list)
    {
        if (list.absent())
            return std::nullopt;
        TEHTMLAttributes attributes;
        const std::size_t count = list.size();
        attributes.reserve(count);
        for (std::size_t index = 0; index < count; ++index) {
            std::string name(list.name(index));
            // An attribute written without a value ("<td nowrap>") means itself.
            std::u16string value = toUtf16(list.value(index).value_or(name));
            attributes.emplace_back(std::move(name), std::move(value));
        }
        return attributes;
    }

    TEHTMLParser& m_parser;
};

TEHTMLParser::TEHTMLParser(std::string data, std::optional<StringEncoding> encoding)
    : m_data(std::move(data))
    , m_bytes(m_data)
    , m_encoding(std::move(encoding))
{
}

TEHTMLParser::TEHTMLParser(TEHTMLBorrowedBytes data, std::optional<StringEncoding> encoding)
    : m_bytes(data.bytes)
    , m_encoding(std::move(encoding))
{
}

TEHTMLParser::~TEHTMLParser() = default;

void TEHTMLParser::setDelegate(TEHTMLParserDelegate* delegate)
{
    m_delegate = delegate;
}

bool TEHTMLParser::parse()
{
    if (m_parser || m_isAborting)
        return false; // one parser, one document
    using Operation = TEHTMLParserDelegateOperation;
    m_operations = m_delegate ? m_delegate->implementedOperations() : 0;
    auto has = [this](Operation operation) { return (m_operations & static_cast<unsigned>(operation)) != 0; };
    // Errors are always gathered, for parserError().
    unsigned wanted = HTMLParser::Errors;
    if (has(Operation::DidStartDocument) || has(Operation::DidEndDocument))
        wanted |= HTMLParser::Document;
    // Element boundaries flush the gathered text, so they are needed whenever
    // either the elements or the text are wanted.
    if (has(Operation::DidStartElement) || has(Operation::DidEndElement) || has(Operation::FoundCharacters))
        wanted |= HTMLParser::Elements;
    if (has(Operation::FoundCharacters))
        wanted |= HTMLParser::Characters;
    if (has(Operation::FoundComment))
        wanted |= HTMLParser::Comments;
    if (has(Operation::FoundCDATA))
        wanted |= HTMLParser::RawText;
    if (has(Operation::FoundProcessingInstruction))
        wanted |= HTMLParser::ProcessingInstructions;

    HTMLParser::Options options;
    // Blank text between block elements is layout of the source.
    options.dropBlankText = true;
    m_events = std::make_unique<TEHTMLParserEvents>(*this);
    m_parser = std::make_unique<HTMLParser>(*m_events, wanted, options);
    std::optional<std::string> encoding;
    if (m_encoding)
        encoding = m_encoding->name();
    bool parsed = m_parser->parse(m_bytes, encoding);
    return parsed && !m_isAborting;
}

void TEHTMLParser::abortParsing()
{
    if (m_parser)
        m_parser->stop();
    m_isAborting = true;
    m_characters.clear();
    m_hasCharacters = false;
    if (m_delegate && (m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::ParseErrorOccurred)))
        m_delegate->parserParseErrorOccurred(*this, m_parserError);
}

void TEHTMLParser::noteTag(bool inlineTag)
{
    if (m_hasCharacters) {
        // White space after a block tag starts a line, where a browser shows
        // none: it is the source's indentation, unless preformatted text keeps
        // it before a phrasing tag. After a phrasing tag it may separate words,
        // or end loose text before a block.
        const bool dropped = !m_previousTagInline && (!inlineTag || m_preformattedDepth == 0) &&
                             m_characters.find_first_not_of(" \t\n\r\f\v") == std::string::npos;
        if (!dropped)
            flushCharacters();
        m_characters.clear();
        m_hasCharacters = false;
    }
    m_previousTagInline = inlineTag;
}

void TEHTMLParser::flushCharacters()
{
    if (m_characters.empty())
        return;
    if (m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::FoundCharacters))
        m_delegate->parserFoundCharacters(*this, toUtf16(m_characters));
}

int TEHTMLParser::lineNumber() const
{
    return m_parser ? m_parser->lineNumber() : 0;
}

int TEHTMLParser::columnNumber() const
{
    return m_parser ? m_parser->columnNumber() : 0;
}

std::optional<std::string> TEHTMLParser::systemID() const
{
    return m_parser ? m_parser->systemID() : std::nullopt;
}

std::optional<std::string> TEHTMLParser::publicID() const
{
    return m_parser ? m_parser->publicID() : std::nullopt;
}

} // namespace folio
