#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The attributes of one start tag, in the order they were written, without
// duplicates; names are lower case and values have their references decoded.
// Valid only during the event that hands it over.
class HTMLAttributeList {
public:
    explicit HTMLAttributeList(const unsigned char** pairs) : m_pairs(pairs) {}

    // Whether the tag was written with no attribute at all.
    bool absent() const { return m_pairs == nullptr; }
    std::size_t size() const;
    std::string_view name(std::size_t index) const;
    // None for an attribute written without "=" ("<td nowrap>").
    std::optional<std::string_view> value(std::size_t index) const;
    // The value as a document tree holds it: a bare boolean attribute
    // ("checked", "nowrap"...) is its own name, any other bare one empty.
    std::string_view impliedValue(std::size_t index) const;
    // The value of the first attribute of that name; none when it is absent
    // or written without a value.
    std::optional<std::string_view> valueOf(std::string_view name) const;
    bool has(std::string_view name) const;

private:
    const unsigned char** m_pairs;
};

// What an HTML parse reports, in document order, as the tree builder would
// see it: implied and auto-closed elements have their start and end events,
// and every start has its end. Text is UTF-8, whatever the input's encoding.
class HTMLParseEvents {
public:
    virtual ~HTMLParseEvents() = default;

    virtual void startDocument() {}
    virtual void endDocument() {}
    virtual void doctype(std::string_view /*name*/, std::optional<std::string_view> /*publicID*/,
                         std::optional<std::string_view> /*systemID*/)
    {
    }
    virtual void startElement(std::string_view /*name*/, const HTMLAttributeList& /*attributes*/) {}
    virtual void endElement(std::string_view /*name*/) {}
    // Text in one or more pieces per run; references are decoded.
    virtual void characters(std::string_view /*text*/) {}
    // The raw text of a script or style element.
    virtual void rawText(std::string_view /*text*/) {}
    virtual void comment(std::string_view /*text*/) {}
    virtual void processingInstruction(std::string_view /*target*/, std::string_view /*data*/) {}
    virtual void error(const std::string& /*message*/) {}
};

// The one way into HTML for the whole program: libxml2's HTML parser in
// recover mode, never touching the network, reporting to HTMLParseEvents.
// Only the events a client asks for are wired, so a client that wants little
// costs little. One parser parses one input once, on the calling thread.
class HTMLParser {
public:
    // Which events to deliver; a mask of these.
    enum Event : unsigned {
        Document = 1u << 0,
        Doctype = 1u << 1,
        Elements = 1u << 2,
        Characters = 1u << 3,
        RawText = 1u << 4,
        Comments = 1u << 5,
        ProcessingInstructions = 1u << 6,
        Errors = 1u << 7,
    };

    struct Options {
        // Text that is only white space between elements that hold no text
        // is dropped.
        bool dropBlankText = false;
        // A page's own "<meta charset>" does not switch the encoding given.
        bool ignoreDeclaredEncoding = false;
        // Fed through the push parser in slices (any length of input), as the
        // engine's reader has always read; false parses the input in one
        // piece as a page load does. libxml2's two paths differ in small
        // details of recovery, which saved output depends on.
        bool incremental = true;
        // How many bytes the push parser is handed at a time (it takes an
        // int length). A whole page in one piece is read fastest: libxml2
        // then need not look ahead for the end of each tag and run of text.
        std::size_t sliceLength = std::size_t(1) << 30;
    };

    HTMLParser(HTMLParseEvents& events, unsigned wantedEvents, Options options);
    ~HTMLParser();
    HTMLParser(const HTMLParser&) = delete;
    HTMLParser& operator=(const HTMLParser&) = delete;

    // `encoding` (an encoding name libxml2 or iconv knows) none detects it from
    // a byte-order mark and the document's own declaration. True when
    // libxml2 reports no error and the parse was not stopped; a damaged page
    // is still reported whole, as recovered.
    bool parse(std::string_view bytes, std::optional<std::string> encoding = std::nullopt);
    // Stops the running parse from inside an event; no event follows.
    void stop();
    bool stopped() const { return m_stopped; }

    // Where the parser is, during an event.
    int lineNumber() const;
    int columnNumber() const;
    std::optional<std::string> systemID() const;
    std::optional<std::string> publicID() const;

private:
    friend struct HTMLParserCallbacks;

    HTMLParseEvents& m_events;
    unsigned m_wanted;
    Options m_options;
    void* m_handler = nullptr;
    void* m_context = nullptr;
    bool m_stopped = false;
};

} // namespace folio
