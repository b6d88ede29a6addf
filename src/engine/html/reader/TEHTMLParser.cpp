#include "engine/html/reader/TEHTMLParser.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace folio {

namespace {

// Recover from errors, drop blank text nodes, no network access, compact text
// nodes, and no limit on the length of one text run (XML_PARSE_HUGE, which
// this libxml2 honours for HTML too).
constexpr int kParserOptions
    = HTML_PARSE_RECOVER | HTML_PARSE_NOBLANKS | HTML_PARSE_NONET | HTML_PARSE_COMPACT | XML_PARSE_HUGE;
static_assert(kParserOptions == 0x90901);

// libxml2's messages are cut at this many bytes, as the error report has always done.
constexpr std::size_t kErrorMessageCapacity = 256;

// Phrasing elements: white space next to one of these is a word space of the text.
// "br" is left out on purpose: a line feed after "<br>" in the source is layout.
bool isInlineTag(const char* name)
{
    static constexpr std::array<std::string_view, 33> kInlineTags = {
        "a",     "abbr", "acronym", "b",      "bdi",    "bdo",  "big",  "cite",   "code", "del",  "dfn",
        "em",    "font", "i",       "iframe", "img",    "ins",  "kbd",  "label",  "mark", "nobr", "object",
        "q",     "s",    "samp",    "small",  "span",   "strike", "strong", "sub",  "sup",  "tt",   "u",
    };
    const std::string_view tag(name);
    for (std::string_view candidate : kInlineTags) {
        if (candidate == tag)
            return true;
    }
    return tag == "var" || tag == "video";
}

std::string stringFromXML(const xmlChar* text)
{
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

} // namespace

const std::u16string* attributeValueForName(const TEHTMLAttributes& attributes, std::string_view name)
{
    for (const auto& [attributeName, value] : attributes) {
        if (attributeName == name)
            return &value;
    }
    return nullptr;
}

// The libxml2 callbacks; the context pointer is the parser itself.
struct TEHTMLParserCallbacks {
    static TEHTMLParser& parser(void* context) { return *static_cast<TEHTMLParser*>(context); }

    static void startDocument(void* context)
    {
        TEHTMLParser& self = parser(context);
        self.m_delegate->parserDidStartDocument(self);
    }

    static void endDocument(void* context)
    {
        TEHTMLParser& self = parser(context);
        self.m_delegate->parserDidEndDocument(self);
    }

    static std::optional<TEHTMLAttributes> attributesFrom(const xmlChar** list)
    {
        if (!list)
            return std::nullopt;
        TEHTMLAttributes attributes;
        for (std::size_t i = 0; list[i]; i += 2) {
            std::string name = stringFromXML(list[i]);
            // An attribute written without a value ("<td nowrap>") means itself.
            std::u16string value = list[i + 1] ? toUtf16(stringFromXML(list[i + 1])) : toUtf16(name);
            attributes.emplace_back(std::move(name), std::move(value));
        }
        return attributes;
    }

    static void startElement(void* context, const xmlChar* name, const xmlChar** attributes)
    {
        TEHTMLParser& self = parser(context);
        const char* tag = reinterpret_cast<const char*>(name);
        self.noteTag(isInlineTag(tag));
        if (self.m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::DidStartElement))
            self.m_delegate->parserDidStartElement(self, stringFromXML(name), attributesFrom(attributes));
    }

    static void endElement(void* context, const xmlChar* name)
    {
        TEHTMLParser& self = parser(context);
        self.noteTag(isInlineTag(reinterpret_cast<const char*>(name)));
        if (self.m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::DidEndElement))
            self.m_delegate->parserDidEndElement(self, stringFromXML(name));
    }

    static void characters(void* context, const xmlChar* bytes, int length)
    {
        TEHTMLParser& self = parser(context);
        if (length <= 0)
            return;
        self.m_characters.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
        self.m_hasCharacters = true;
    }

    static void comment(void* context, const xmlChar* text)
    {
        TEHTMLParser& self = parser(context);
        self.m_delegate->parserFoundComment(self, self.decodeWithEncoding(reinterpret_cast<const char*>(text)));
    }

    static void cdataBlock(void* context, const xmlChar* bytes, int length)
    {
        TEHTMLParser& self = parser(context);
        if (length < 0)
            length = 0;
        self.m_delegate->parserFoundCDATA(self, std::string(reinterpret_cast<const char*>(bytes), length));
    }

    static void processingInstruction(void* context, const xmlChar* target, const xmlChar* data)
    {
        TEHTMLParser& self = parser(context);
        self.m_delegate->parserFoundProcessingInstruction(
            self, self.decodeWithEncoding(reinterpret_cast<const char*>(target)),
            self.decodeWithEncoding(reinterpret_cast<const char*>(data)));
    }

    static Error errorFromMessage(const char* format, va_list arguments)
    {
        char buffer[kErrorMessageCapacity];
        std::vsnprintf(buffer, sizeof buffer, format, arguments);
        return Error{std::string(TEHTMLParser::kErrorDomain), 1, buffer};
    }

    static void error(void* context, const char* format, ...)
    {
        TEHTMLParser& self = parser(context);
        va_list arguments;
        va_start(arguments, format);
        Error reported = errorFromMessage(format, arguments);
        va_end(arguments);
        self.m_parserError = reported;
        if (self.m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::ParseErrorOccurred))
            self.m_delegate->parserParseErrorOccurred(self, self.m_parserError);
    }

    // libxml2's default handlers print to standard error; a damaged paste is
    // normal input here, so its complaints go nowhere unless the delegate asks.
    static void silentWarning(void*, const char*, ...) {}
};

TEHTMLParser::TEHTMLParser(std::string data, std::optional<StringEncoding> encoding)
    : m_data(std::move(data))
    , m_encoding(std::move(encoding))
    , m_handler(new xmlSAXHandler())
{
    // NOTE: the handler starts empty on purpose. libxml2's default SAX2
    // callbacks (DOCTYPE, entities, fatal errors) expect the parser context as
    // their user data, but ours receive this parser; left in place, a page
    // with a DOCTYPE crashed the reader.
    installCallbacks();
}

TEHTMLParser::~TEHTMLParser()
{
    if (m_context) {
        if (m_context->myDoc)
            xmlFreeDoc(m_context->myDoc);
        m_context->myDoc = nullptr;
        htmlFreeParserCtxt(m_context);
    }
    delete m_handler;
}

void TEHTMLParser::setDelegate(TEHTMLParserDelegate* delegate)
{
    m_delegate = delegate;
    installCallbacks();
}

void TEHTMLParser::installCallbacks()
{
    using Operation = TEHTMLParserDelegateOperation;
    m_operations = m_delegate ? m_delegate->implementedOperations() : 0;
    auto has = [this](Operation operation) { return (m_operations & static_cast<unsigned>(operation)) != 0; };

    m_handler->startDocument = has(Operation::DidStartDocument) ? TEHTMLParserCallbacks::startDocument : nullptr;
    m_handler->endDocument = has(Operation::DidEndDocument) ? TEHTMLParserCallbacks::endDocument : nullptr;
    // Element boundaries flush the gathered text, so they are needed whenever
    // either the elements or the text are wanted.
    const bool wantsBoundaries =
        has(Operation::DidStartElement) || has(Operation::DidEndElement) || has(Operation::FoundCharacters);
    m_handler->startElement = wantsBoundaries ? TEHTMLParserCallbacks::startElement : nullptr;
    m_handler->endElement = wantsBoundaries ? TEHTMLParserCallbacks::endElement : nullptr;
    m_handler->characters = has(Operation::FoundCharacters) ? TEHTMLParserCallbacks::characters : nullptr;
    m_handler->comment = has(Operation::FoundComment) ? TEHTMLParserCallbacks::comment : nullptr;
    m_handler->cdataBlock = has(Operation::FoundCDATA) ? TEHTMLParserCallbacks::cdataBlock : nullptr;
    m_handler->processingInstruction =
        has(Operation::FoundProcessingInstruction) ? TEHTMLParserCallbacks::processingInstruction : nullptr;
    m_handler->error = TEHTMLParserCallbacks::error;
    m_handler->fatalError = TEHTMLParserCallbacks::error;
    m_handler->warning = TEHTMLParserCallbacks::silentWarning;
    // The default structured handler would bypass the error slot.
    m_handler->serror = nullptr;
}

bool TEHTMLParser::parse()
{
    if (m_context)
        return false; // one parser, one document

    xmlCharEncodingHandlerPtr encodingHandler = nullptr;
    std::size_t offset = 0;
    if (m_encoding) {
        encodingHandler = xmlFindCharEncodingHandler(m_encoding->name().c_str());
        if (!encodingHandler)
            TELog(TELogLevelWarning, "HTML parser: unknown text encoding '" + m_encoding->name() + "', detecting");
    }
    if (!encodingHandler) {
        // The push parser does not look for a byte-order mark itself.
        static constexpr std::pair<std::string_view, const char*> kMarks[] = {
            {"\xEF\xBB\xBF", "UTF-8"}, {"\xFF\xFE", "UTF-16LE"}, {"\xFE\xFF", "UTF-16BE"}};
        for (const auto& [mark, name] : kMarks) {
            if (std::string_view(m_data).starts_with(mark)) {
                encodingHandler = xmlFindCharEncodingHandler(name);
                offset = mark.size();
                break;
            }
        }
    }

    m_context = htmlCreatePushParserCtxt(m_handler, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE);
    if (!m_context)
        return false;
    htmlCtxtUseOptions(m_context, kParserOptions);
    if (encodingHandler)
        xmlSwitchToEncoding(m_context, encodingHandler);

    // Pushed in slices: htmlParseChunk takes an int length.
    constexpr std::size_t kSlice = 1u << 24;
    int status = 0;
    while (!m_isAborting) {
        const std::size_t length = std::min(kSlice, m_data.size() - offset);
        const bool last = offset + length >= m_data.size();
        status = htmlParseChunk(m_context, m_data.data() + offset, static_cast<int>(length), last ? 1 : 0);
        offset += length;
        if (last || status != 0)
            break;
    }
    return status == 0 && !m_isAborting;
}

void TEHTMLParser::abortParsing()
{
    if (m_context)
        xmlStopParser(m_context);
    m_isAborting = true;
    m_handler->characters = nullptr;
    m_handler->error = TEHTMLParserCallbacks::silentWarning;
    m_handler->startDocument = nullptr;
    m_handler->endDocument = nullptr;
    m_handler->startElement = nullptr;
    m_handler->endElement = nullptr;
    m_handler->processingInstruction = nullptr;
    m_handler->comment = nullptr;
    m_characters.clear();
    m_hasCharacters = false;
    if (m_delegate && (m_operations & static_cast<unsigned>(TEHTMLParserDelegateOperation::ParseErrorOccurred)))
        m_delegate->parserParseErrorOccurred(*this, m_parserError);
}

void TEHTMLParser::noteTag(bool inlineTag)
{
    if (m_hasCharacters) {
        // White space between two block tags is the source's indentation.
        const bool dropped = !inlineTag && !m_previousTagInline &&
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

std::u16string TEHTMLParser::decodeWithEncoding(const char* bytes) const
{
    // libxml2 hands every text over in UTF-8, whatever the document's encoding.
    return bytes ? toUtf16(bytes) : std::u16string();
}

int TEHTMLParser::lineNumber() const
{
    return m_context ? xmlSAX2GetLineNumber(m_context) : 0;
}

int TEHTMLParser::columnNumber() const
{
    return m_context ? xmlSAX2GetColumnNumber(m_context) : 0;
}

std::optional<std::string> TEHTMLParser::systemID() const
{
    const xmlChar* id = m_context ? xmlSAX2GetSystemId(m_context) : nullptr;
    return id ? std::optional<std::string>(stringFromXML(id)) : std::nullopt;
}

std::optional<std::string> TEHTMLParser::publicID() const
{
    const xmlChar* id = m_context ? xmlSAX2GetPublicId(m_context) : nullptr;
    return id ? std::optional<std::string>(stringFromXML(id)) : std::nullopt;
}

} // namespace folio
