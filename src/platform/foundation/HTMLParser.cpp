#include "platform/foundation/HTMLParser.h"

#include "platform/foundation/Log.h"

#include <libxml/HTMLparser.h>
#include <libxml/HTMLtree.h>
#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstdarg>
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
    }
    htmlParserCtxtPtr context = htmlCreatePushParserCtxt(handler, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE);
    if (!context)
        return false;
    m_context = context;
    htmlCtxtUseOptions(context, parserOptions(m_options));
    if (decoder)
        xmlSwitchToEncoding(context, decoder);

    // Pushed in slices: htmlParseChunk takes an int length. Its status is the
    // first error met so far, which in recover mode is usually one the parser
    // has mended (a misplaced tag): only a halted parser ends the loop, or a
    // page past one slice would lose its rest, open elements and all.
    constexpr std::size_t kSlice = 1u << 24;
    int status = 0;
    while (!m_stopped) {
        const std::size_t length = std::min(kSlice, bytes.size() - offset);
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
