#include "platform/foundation/HTMLParser.h"

#include "platform/foundation/HTMLNoscriptText.h"
#include "platform/foundation/Log.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace folio {

namespace {

// libxml2's messages are cut at this many bytes, as error reports have always been.
constexpr std::size_t kErrorMessageCapacity = 256;

std::string_view view(const xmlChar* text)
{
    return text ? std::string_view(reinterpret_cast<const char*>(text)) : std::string_view();
}

std::optional<std::string_view> optionalView(const xmlChar* text)
{
    return text ? std::optional(view(text)) : std::nullopt;
}

int parserOptions(const HTMLParser::Options& options)
{
    // No network ever; no limit on the length of one text run (XML_PARSE_HUGE,
    // which this libxml2 honours for HTML too).
    int flags = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NODEFDTD | XML_PARSE_HUGE;
    if (options.dropBlankText)
        flags |= HTML_PARSE_NOBLANKS;
    if (options.ignoreDeclaredEncoding)
        flags |= HTML_PARSE_IGNORE_ENC;
    return flags;
}

xmlCharEncodingHandlerPtr encodingHandler(const std::optional<std::string>& encoding)
{
    if (!encoding)
        return nullptr;
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding->c_str());
    if (!handler)
        TELog(TELogLevelWarning, "HTML parser: unknown text encoding '" + *encoding + "', detecting");
    return handler;
}

// Whether libxml2 reads `bytes` as it stands exactly as it would through its
// UTF-8 decoder. They differ on damaged input (read as it stands, the rest of
// the page after a bad byte is taken for Latin-1; through the decoder it is
// still read as UTF-8), so anything out of the ordinary keeps the decoder:
// bytes that are not well-formed UTF-8, control characters, noncharacters,
// and a leading byte-order mark.
bool readsAlikeWithoutDecoder(std::string_view bytes)
{
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = at + bytes.size();
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return false;
    while (at < end) {
        // Pages are mostly ASCII: eight bytes at a time while they all are
        // printable or white space.
        while (end - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, at, sizeof word);
            constexpr std::uint64_t kOnes = 0x0101010101010101ull;
            constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
            // A byte of 0x80 or more, or below 0x20, stops the fast path.
            if (((word | (word - 0x20 * kOnes)) & kHighBits) != 0)
                break;
            at += 8;
        }
        if (at == end)
            break;
        const unsigned char lead = *at;
        if (lead < 0x80) {
            if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r' && lead != '\f')
                return false;
            ++at;
            continue;
        }
        std::size_t length;
        std::uint32_t scalar;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            scalar = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            scalar = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            scalar = lead & 0x07u;
        } else {
            return false;
        }
        if (std::size_t(end - at) < length)
            return false;
        for (std::size_t index = 1; index < length; ++index) {
            if ((at[index] & 0xC0u) != 0x80u)
                return false;
            scalar = (scalar << 6) | (at[index] & 0x3Fu);
        }
        const bool overlong = (length == 3 && scalar < 0x800) || (length == 4 && scalar < 0x10000);
        const bool surrogate = scalar >= 0xD800 && scalar <= 0xDFFF;
        const bool noncharacter = (scalar & 0xFFFEu) == 0xFFFEu || (scalar >= 0xFDD0 && scalar <= 0xFDEF);
        const bool control = scalar < 0xA0;
        if (overlong || surrogate || noncharacter || control || scalar > 0x10FFFF)
            return false;
        at += length;
    }
    return true;
}

} // namespace

std::size_t HTMLAttributeList::size() const
{
    std::size_t count = 0;
    while (m_pairs && m_pairs[2 * count])
        ++count;
    return count;
}

std::string_view HTMLAttributeList::name(std::size_t index) const
{
    return view(m_pairs[2 * index]);
}

std::optional<std::string_view> HTMLAttributeList::value(std::size_t index) const
{
    return optionalView(m_pairs[2 * index + 1]);
}

std::string_view HTMLAttributeList::impliedValue(std::size_t index) const
{
    if (const xmlChar* value = m_pairs[2 * index + 1])
        return view(value);
    return htmlIsBooleanAttr(m_pairs[2 * index]) ? view(m_pairs[2 * index]) : std::string_view();
}

std::optional<std::string_view> HTMLAttributeList::valueOf(std::string_view name) const
{
    for (std::size_t index = 0; m_pairs && m_pairs[2 * index]; ++index) {
        if (view(m_pairs[2 * index]) == name)
            return value(index);
    }
    return std::nullopt;
}

bool HTMLAttributeList::has(std::string_view name) const
{
    for (std::size_t index = 0; m_pairs && m_pairs[2 * index]; ++index) {
        if (view(m_pairs[2 * index]) == name)
            return true;
    }
    return false;
}

// The libxml2 callbacks; their context is the HTMLParser.
struct HTMLParserCallbacks {
    static HTMLParser& parser(void* context) { return *static_cast<HTMLParser*>(context); }
    static HTMLParseEvents* events(void* context)
    {
        HTMLParser& self = parser(context);
        return self.m_stopped ? nullptr : &self.m_events;
    }

    static void startDocument(void* context)
    {
        if (HTMLParseEvents* to = events(context))
            to->startDocument();
    }
    static void endDocument(void* context)
    {
        if (HTMLParseEvents* to = events(context))
            to->endDocument();
    }
    static void internalSubset(void* context, const xmlChar* name, const xmlChar* publicID, const xmlChar* systemID)
    {
        if (HTMLParseEvents* to = events(context))
            to->doctype(view(name), optionalView(publicID), optionalView(systemID));
    }
    static void startElement(void* context, const xmlChar* name, const xmlChar** attributes)
    {
        if (HTMLParseEvents* to = events(context))
            to->startElement(view(name), HTMLAttributeList(attributes));
    }
    static void endElement(void* context, const xmlChar* name)
    {
        if (HTMLParseEvents* to = events(context))
            to->endElement(view(name));
    }
    static void characters(void* context, const xmlChar* bytes, int length)
    {
        if (HTMLParseEvents* to = events(context); to && length > 0)
            to->characters(std::string_view(reinterpret_cast<const char*>(bytes), std::size_t(length)));
    }
    static void rawText(void* context, const xmlChar* bytes, int length)
    {
        if (HTMLParseEvents* to = events(context))
            to->rawText(std::string_view(reinterpret_cast<const char*>(bytes), std::size_t(std::max(length, 0))));
    }
    static void comment(void* context, const xmlChar* text)
    {
        if (HTMLParseEvents* to = events(context))
            to->comment(view(text));
    }
    static void processingInstruction(void* context, const xmlChar* target, const xmlChar* data)
    {
        if (HTMLParseEvents* to = events(context))
            to->processingInstruction(view(target), view(data));
    }
    static void error(void* context, const char* format, ...)
    {
        HTMLParser& self = parser(context);
        if (self.m_stopped || !(self.m_wanted & HTMLParser::Errors))
            return;
        char buffer[kErrorMessageCapacity];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(buffer, sizeof buffer, format, arguments);
        va_end(arguments);
        self.m_events.error(buffer);
    }
    // libxml2's default handlers print to standard error; a damaged page is
    // normal input here, so its complaints go nowhere unless asked for.
    static void silent(void*, const char*, ...) {}
};

HTMLParser::HTMLParser(HTMLParseEvents& events, unsigned wantedEvents, Options options)
    : m_events(events)
    , m_wanted(wantedEvents)
    , m_options(options)
{
    // NOTE: the handler starts empty on purpose: libxml2's default SAX2
    // callbacks (doctype, entities) expect the parser context as their user
    // data, but these receive this parser.
    auto* handler = new xmlSAXHandler();
    using C = HTMLParserCallbacks;
    auto wants = [this](unsigned event) { return (m_wanted & event) != 0; };
    handler->startDocument = wants(Document) ? C::startDocument : nullptr;
    handler->endDocument = wants(Document) ? C::endDocument : nullptr;
    handler->internalSubset = wants(Doctype) ? C::internalSubset : nullptr;
    handler->startElement = wants(Elements) ? C::startElement : nullptr;
    handler->endElement = wants(Elements) ? C::endElement : nullptr;
    handler->characters = wants(Characters) ? C::characters : nullptr;
    // Without a raw-text handler libxml2 hands a script's text over as characters.
    handler->cdataBlock = wants(RawText) ? C::rawText : nullptr;
    handler->comment = wants(Comments) ? C::comment : nullptr;
    handler->processingInstruction = wants(ProcessingInstructions) ? C::processingInstruction : nullptr;
    handler->error = C::error;
    handler->fatalError = C::error;
    handler->warning = C::silent;
    // The default structured handler would bypass the error slots.
    handler->serror = nullptr;
    m_handler = handler;
}

HTMLParser::~HTMLParser()
{
    if (auto* context = static_cast<htmlParserCtxtPtr>(m_context)) {
        if (context->myDoc)
            xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
        htmlFreeParserCtxt(context);
    }
    delete static_cast<xmlSAXHandler*>(m_handler);
}

bool HTMLParser::parse(std::string_view bytes, std::optional<std::string> encoding)
{
    if (m_context)
        return false; // one parser, one input
    // Read as the program's pages read it: what a noscript element holds
    // is text, up to its first end tag.
    std::optional<std::string> scriptingView = HTMLNoscriptText::withContentAsText(bytes);
    if (scriptingView)
        bytes = *scriptingView;
    auto* handler = static_cast<xmlSAXHandler*>(m_handler);
    xmlCharEncodingHandlerPtr decoder = encodingHandler(encoding);

    if (!m_options.incremental) {
        if (bytes.size() > std::size_t(std::numeric_limits<int>::max()))
            return false;
        htmlParserCtxtPtr context = htmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size()));
        if (!context)
            return false;
        m_context = context;
        *context->sax = *handler;
        context->userData = this;
        htmlCtxtUseOptions(context, parserOptions(m_options));
        if (decoder) {
            xmlSwitchToEncoding(context, decoder);
            if (context->input->encoding)
                xmlFree(const_cast<xmlChar*>(context->input->encoding));
            context->input->encoding = xmlStrdup(BAD_CAST encoding->c_str());
        }
        int status = htmlParseDocument(context);
        return status == 0 && !m_stopped;
    }

    std::size_t offset = 0;
    if (!decoder) {
        // The push parser does not look for a byte-order mark itself.
        static constexpr std::pair<std::string_view, const char*> kMarks[] = {
            {"\xEF\xBB\xBF", "UTF-8"}, {"\xFF\xFE", "UTF-16LE"}, {"\xFE\xFF", "UTF-16BE"}};
        for (const auto& [mark, name] : kMarks) {
            if (bytes.starts_with(mark)) {
                decoder = xmlFindCharEncodingHandler(name);
                offset = mark.size();
                break;
            }
        }
    } else if (std::strcmp(decoder->name, "UTF-8") == 0 && bytes.starts_with("\xEF\xBB\xBF")) {
        // A byte-order mark before a page named UTF-8 only says so again: it
        // is no part of the text, which would otherwise open with a paragraph
        // holding nothing but an invisible character.
        offset = 3;
    }
    // UTF-8 is what libxml2 reads natively: named, and read alike without
    // it, the page is read as it stands rather than through a decoder that
    // copies the whole page into a second buffer. A page's own declaration is
    // then ignored, as it is whenever a decoder is set.
    const bool readsAsItStands =
        decoder && std::strcmp(decoder->name, "UTF-8") == 0 && readsAlikeWithoutDecoder(bytes.substr(offset));
    htmlParserCtxtPtr context = htmlCreatePushParserCtxt(
        handler, this, nullptr, 0, nullptr, readsAsItStands ? XML_CHAR_ENCODING_UTF8 : XML_CHAR_ENCODING_NONE);
    if (!context)
        return false;
    m_context = context;
    htmlCtxtUseOptions(context, parserOptions(m_options) | (readsAsItStands ? HTML_PARSE_IGNORE_ENC : 0));
    if (decoder && !readsAsItStands)
        xmlSwitchToEncoding(context, decoder);

    // Pushed in slices: htmlParseChunk takes an int length. Its status is the
    // first error met so far, which in recover mode is usually one the parser
    // has mended (a misplaced tag): only a halted parser ends the loop, or a
    // page past one slice would lose its rest, open elements and all.
    const std::size_t slice =
        std::clamp<std::size_t>(m_options.sliceLength, 1, std::size_t(std::numeric_limits<int>::max()));
    int status = 0;
    while (!m_stopped) {
        const std::size_t length = std::min(slice, bytes.size() - offset);
        const bool last = offset + length >= bytes.size();
        status = htmlParseChunk(context, bytes.data() + offset, static_cast<int>(length), last ? 1 : 0);
        offset += length;
        if (last || context->instate == XML_PARSER_EOF)
            break;
    }
    return status == 0 && !m_stopped;
}

void HTMLParser::stop()
{
    if (m_context)
        xmlStopParser(static_cast<htmlParserCtxtPtr>(m_context));
    m_stopped = true;
}

int HTMLParser::lineNumber() const
{
    return m_context ? xmlSAX2GetLineNumber(m_context) : 0;
}

int HTMLParser::columnNumber() const
{
    return m_context ? xmlSAX2GetColumnNumber(m_context) : 0;
}

std::optional<std::string> HTMLParser::systemID() const
{
    const xmlChar* id = m_context ? xmlSAX2GetSystemId(m_context) : nullptr;
    return id ? std::optional<std::string>(view(id)) : std::nullopt;
}

std::optional<std::string> HTMLParser::publicID() const
{
    const xmlChar* id = m_context ? xmlSAX2GetPublicId(m_context) : nullptr;
    return id ? std::optional<std::string>(view(id)) : std::nullopt;
}

} // namespace folio
