#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/StringEncoding.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio {

class HTMLParser;
class TEHTMLParser;
class TEHTMLParserEvents;

// The HTML attributes of one element in the order they were written. Names are
// lower case (the HTML parser folds them), values have their entities decoded.
using TEHTMLAttributes = std::vector<std::pair<std::string, std::u16string>>;

// Bytes read where they lie, without a copy: they stay the caller's and must
// outlive the reading. A page being saved is large, and its text is already
// held by whoever asks for it to be read.
struct TEHTMLBorrowedBytes {
    std::string_view bytes;
};

// Null when the attribute is absent.
const std::u16string* attributeValueForName(const TEHTMLAttributes& attributes, std::string_view name);

// Which delegate operations a delegate implements; the parser asks for the
// events of those only, so a delegate that wants little costs little.
enum class TEHTMLParserDelegateOperation : unsigned {
    DidStartDocument = 1u << 0,
    DidEndDocument = 1u << 1,
    DidStartElement = 1u << 2,
    DidEndElement = 1u << 3,
    FoundCharacters = 1u << 4,
    FoundComment = 1u << 5,
    FoundCDATA = 1u << 6,
    FoundProcessingInstruction = 1u << 7,
    ParseErrorOccurred = 1u << 8,
};

constexpr unsigned operator|(TEHTMLParserDelegateOperation a, TEHTMLParserDelegateOperation b)
{
    return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr unsigned operator|(unsigned a, TEHTMLParserDelegateOperation b)
{
    return a | static_cast<unsigned>(b);
}

class TEHTMLParserDelegate {
public:
    virtual ~TEHTMLParserDelegate() = default;

    // A mask of TEHTMLParserDelegateOperation values.
    virtual unsigned implementedOperations() const = 0;

    virtual void parserDidStartDocument(TEHTMLParser&) {}
    virtual void parserDidEndDocument(TEHTMLParser&) {}
    // `attributes` is none when the element was written without any; they
    // are the delegate's to keep.
    virtual void parserDidStartElement(TEHTMLParser&, const std::string& /*name*/,
                                       std::optional<TEHTMLAttributes> /*attributes*/)
    {
    }
    virtual void parserDidEndElement(TEHTMLParser&, const std::string& /*name*/) {}
    // One call per run of text between two tags; the characters are the
    // delegate's to keep.
    virtual void parserFoundCharacters(TEHTMLParser&, std::u16string /*characters*/) {}
    virtual void parserFoundComment(TEHTMLParser&, const std::u16string& /*comment*/) {}
    virtual void parserFoundCDATA(TEHTMLParser&, const std::string& /*bytes*/) {}
    virtual void parserFoundProcessingInstruction(TEHTMLParser&, const std::u16string& /*target*/,
                                                  const std::u16string& /*data*/)
    {
    }
    virtual void parserParseErrorOccurred(TEHTMLParser&, const std::optional<Error>& /*error*/) {}
};

// Turns HTML bytes into a stream of events for a delegate, over the platform's
// HTML parser in recover mode. It gathers character data into one string per
// run of text, so that an entity in the middle of a paragraph does not split it.
// One parser parses one document once, on the calling thread.
class TEHTMLParser {
public:
    static constexpr std::string_view kErrorDomain = "TEHTMLParser";

    // `encoding` none lets libxml2 detect the encoding from the first bytes (a
    // byte-order mark) and the document's own declaration.
    explicit TEHTMLParser(std::string data, std::optional<StringEncoding> encoding = std::nullopt);
    explicit TEHTMLParser(TEHTMLBorrowedBytes data, std::optional<StringEncoding> encoding = std::nullopt);
    ~TEHTMLParser();
    TEHTMLParser(const TEHTMLParser&) = delete;
    TEHTMLParser& operator=(const TEHTMLParser&) = delete;

    // Not owned. Set before parse().
    void setDelegate(TEHTMLParserDelegate* delegate);
    TEHTMLParserDelegate* delegate() const { return m_delegate; }

    // True when libxml2 reports success and the parse was not aborted.
    bool parse();
    // Stops the running parse; no event follows except the error report.
    void abortParsing();

    int lineNumber() const;
    int columnNumber() const;
    std::optional<std::string> systemID() const;
    std::optional<std::string> publicID() const;

    const std::optional<Error>& parserError() const { return m_parserError; }
    void setParserError(std::optional<Error> error) { m_parserError = std::move(error); }
    const std::optional<StringEncoding>& encoding() const { return m_encoding; }
    void setEncoding(std::optional<StringEncoding> encoding) { m_encoding = std::move(encoding); }

private:
    friend class TEHTMLParserEvents;

    void flushCharacters();
    void noteTag(bool inlineTag);

    std::string m_data;
    // What is parsed: m_data, or the caller's bytes.
    std::string_view m_bytes;
    std::optional<StringEncoding> m_encoding;
    TEHTMLParserDelegate* m_delegate = nullptr;
    unsigned m_operations = 0;
    std::unique_ptr<TEHTMLParserEvents> m_events;
    std::unique_ptr<HTMLParser> m_parser;
    std::string m_characters;
    bool m_hasCharacters = false;
    // Whitespace-only runs after a block tag are layout of the source, not
    // text; this remembers the kind of the tag before the pending run.
    bool m_previousTagInline = false;
    // Inside preformatted text every space is the writer's.
    int m_preformattedDepth = 0;
    bool m_isAborting = false;
    std::optional<Error> m_parserError;
};

} // namespace folio
