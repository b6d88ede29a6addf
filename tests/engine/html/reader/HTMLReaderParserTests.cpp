#include "engine/html/reader/TEHTMLParser.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio {
namespace {

// Records every event as one line, so a test compares the whole stream.
class RecordingDelegate : public TEHTMLParserDelegate {
public:
    explicit RecordingDelegate(unsigned operations) : m_operations(operations) {}

    unsigned implementedOperations() const override { return m_operations; }
    void parserDidStartDocument(TEHTMLParser&) override { events.push_back("startDocument"); }
    void parserDidEndDocument(TEHTMLParser&) override { events.push_back("endDocument"); }
    void parserDidStartElement(TEHTMLParser&, const std::string& name,
                               std::optional<TEHTMLAttributes> attributes) override
    {
        std::string line = "<" + name;
        if (!attributes)
            line += " (none)";
        else
            for (const auto& [key, value] : *attributes)
                line += " " + key + "=" + toUtf8(value);
        events.push_back(line + ">");
    }
    void parserDidEndElement(TEHTMLParser&, const std::string& name) override { events.push_back("</" + name + ">"); }
    void parserFoundCharacters(TEHTMLParser&, std::u16string text) override
    {
        events.push_back("text:" + toUtf8(text));
        texts.push_back(text);
    }
    void parserFoundComment(TEHTMLParser&, const std::u16string& text) override
    {
        events.push_back("comment:" + toUtf8(text));
    }
    void parserParseErrorOccurred(TEHTMLParser&, const std::optional<Error>& error) override
    {
        errors.push_back(error);
    }

    std::vector<std::string> events;
    std::vector<std::u16string> texts;
    std::vector<std::optional<Error>> errors;

private:
    unsigned m_operations;
};

constexpr unsigned kElementsAndText = TEHTMLParserDelegateOperation::DidStartElement |
                                      TEHTMLParserDelegateOperation::DidEndElement |
                                      TEHTMLParserDelegateOperation::FoundCharacters;

std::vector<std::string> eventsOf(const std::string& html, unsigned operations = kElementsAndText)
{
    RecordingDelegate delegate(operations);
    TEHTMLParser parser(html, StringEncoding::utf8());
    parser.setDelegate(&delegate);
    // Repaired input still reports its errors; the events are what counts here.
    parser.parse();
    return delegate.events;
}

TEST(HTMLReaderParserTests, gathersOneStringPerRunOfText)
{
    RecordingDelegate delegate(kElementsAndText);
    TEHTMLParser parser("<p>Fish &amp; chips &#233;t&eacute; and more</p><p>x</p>", StringEncoding::utf8());
    parser.setDelegate(&delegate);
    ASSERT_TRUE(parser.parse());
    ASSERT_EQ(delegate.texts.size(), 2u);
    EXPECT_EQ(delegate.texts[0], u"Fish & chips \u00e9t\u00e9 and more");
    EXPECT_EQ(delegate.texts[1], u"x");
}

TEST(HTMLReaderParserTests, reportsRepairedStructureWithImpliedElements)
{
    EXPECT_EQ(eventsOf("<p>a<b>b</p>"),
              (std::vector<std::string>{"<html (none)>", "<body (none)>", "<p (none)>", "text:a", "<b (none)>",
                                        "text:b", "</b>", "</p>", "</body>", "</html>"}));
}

TEST(HTMLReaderParserTests, dropsWhitespaceBetweenBlocksButKeepsWordSpaces)
{
    const auto events = eventsOf("<body><div>a</div>\n  <div><b>x</b> <i>y</i></div>\n</body>");
    EXPECT_EQ(events, (std::vector<std::string>{"<html (none)>", "<body (none)>", "<div (none)>", "text:a", "</div>",
                                                "<div (none)>", "<b (none)>", "text:x", "</b>", "text: ",
                                                "<i (none)>", "text:y", "</i>", "</div>", "</body>", "</html>"}));
}

TEST(HTMLReaderParserTests, keepsTheSpaceBetweenEveryPhrasingTagAndOnlyThere)
{
    auto keepsSpace = [](const std::string& tag) {
        const auto events = eventsOf("<body><div><" + tag + ">x</" + tag + "> <" + tag + ">y</" + tag + "></div></body>");
        return std::find(events.begin(), events.end(), "text: ") != events.end();
    };
    for (const char* tag : {"a",    "abbr",  "acronym", "b",      "bdi",    "bdo", "big",  "cite",   "code",
                            "del",  "dfn",   "em",      "font",   "i",      "ins", "kbd",  "label",  "mark",
                            "nobr", "q",     "s",       "samp",   "small",  "span", "strike", "strong", "sub",
                            "sup",  "tt",    "u",       "var"})
        EXPECT_TRUE(keepsSpace(tag)) << tag;
    // Blocks, some named like phrasing tags but for a letter or two; and a
    // line break, after which the source's line feed is layout.
    for (const char* tag : {"p", "div", "ul", "ol", "dl", "dd", "dt", "pre", "h1", "blockquote", "section", "address"})
        EXPECT_FALSE(keepsSpace(tag)) << tag;
    const auto breaks = eventsOf("<body><div>x<br>\n<br>y</div></body>");
    EXPECT_EQ(std::count(breaks.begin(), breaks.end(), "text:\n"), 0);
}

TEST(HTMLReaderParserTests, findsAnAttributeByItsWholeNameAmongLookAlikes)
{
    const TEHTMLAttributes attributes = {{"class", u"c"}, {"style", u"s"}, {"stylE", u"x"},
                                         {"", u"empty"},  {"id", u"i"},    {"style", u"second"}};
    // The first of a repeated name is the one read.
    EXPECT_EQ(*attributeValueForName(attributes, "style"), u"s");
    EXPECT_EQ(*attributeValueForName(attributes, "class"), u"c");
    EXPECT_EQ(*attributeValueForName(attributes, "stylE"), u"x");
    EXPECT_EQ(*attributeValueForName(attributes, "id"), u"i");
    EXPECT_EQ(*attributeValueForName(attributes, ""), u"empty");
    for (const char* absent : {"dlass", "styl", "styles", "xtyle", "d", "ID"})
        EXPECT_EQ(attributeValueForName(attributes, absent), nullptr) << absent;
    EXPECT_EQ(attributeValueForName({}, "style"), nullptr);
}

TEST(HTMLReaderParserTests, passesAttributesInOrderAndValuelessOnesAsTheirName)
{
    const auto events = eventsOf("<table><tr><td nowrap class=\"c&amp;d\" ID=x>t</td></tr></table>");
    EXPECT_NE(std::find(events.begin(), events.end(), "<table (none)>"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "<td nowrap=nowrap class=c&d id=x>"), events.end());
}

TEST(HTMLReaderParserTests, textOnlyDelegateStillReceivesEachRun)
{
    RecordingDelegate delegate(static_cast<unsigned>(TEHTMLParserDelegateOperation::FoundCharacters));
    TEHTMLParser parser("<div>one<span>two</span>three</div>", StringEncoding::utf8());
    parser.setDelegate(&delegate);
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(delegate.events, (std::vector<std::string>{"text:one", "text:two", "text:three"}));
}

TEST(HTMLReaderParserTests, deliversDocumentBoundariesAndComments)
{
    const unsigned operations = kElementsAndText | TEHTMLParserDelegateOperation::DidStartDocument |
                                TEHTMLParserDelegateOperation::DidEndDocument |
                                TEHTMLParserDelegateOperation::FoundComment;
    const auto events = eventsOf("<p>a<!-- caf\xc3\xa9 --></p>", operations);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "startDocument");
    EXPECT_EQ(events.back(), "endDocument");
    EXPECT_NE(std::find(events.begin(), events.end(), "comment: caf\xc3\xa9 "), events.end());
}

TEST(HTMLReaderParserTests, decodesByteOrderMarkedUTF16WhenDetecting)
{
    const std::u16string source = u"\ufeff<p>\u00e9\u4e2d</p>";
    std::string bytes;
    for (char16_t unit : source) {
        bytes.push_back(static_cast<char>(unit & 0xff));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    RecordingDelegate delegate(kElementsAndText);
    TEHTMLParser parser(bytes);
    parser.setDelegate(&delegate);
    parser.parse();
    ASSERT_EQ(delegate.texts.size(), 1u);
    EXPECT_EQ(delegate.texts[0], u"\u00e9\u4e2d");
}

TEST(HTMLReaderParserTests, decodesTheGivenEncoding)
{
    RecordingDelegate delegate(kElementsAndText);
    TEHTMLParser parser("<p>caf\xe9 \x80</p>", StringEncoding::windowsLatin1());
    parser.setDelegate(&delegate);
    parser.parse();
    ASSERT_EQ(delegate.texts.size(), 1u);
    EXPECT_EQ(delegate.texts[0], u"caf\u00e9 \u20ac");
}

TEST(HTMLReaderParserTests, unknownEncodingFallsBackToDetection)
{
    RecordingDelegate delegate(kElementsAndText);
    TEHTMLParser parser("<p>plain</p>", StringEncoding::named("x-no-such-encoding"));
    parser.setDelegate(&delegate);
    parser.parse();
    EXPECT_EQ(delegate.texts, std::vector<std::u16string>{u"plain"});
}

TEST(HTMLReaderParserTests, reportsErrorsWithDomainAndCutMessage)
{
    RecordingDelegate delegate(kElementsAndText | TEHTMLParserDelegateOperation::ParseErrorOccurred);
    TEHTMLParser parser("<p>a</q></p><x y=\"" + std::string(600, 'z') + "\">b</x>", StringEncoding::utf8());
    parser.setDelegate(&delegate);
    parser.parse();
    ASSERT_FALSE(delegate.errors.empty());
    for (const auto& error : delegate.errors) {
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->domain, "TEHTMLParser");
        EXPECT_EQ(error->code, 1);
        EXPECT_LT(error->message.size(), 256u);
    }
    ASSERT_TRUE(parser.parserError().has_value());
}

// Stops the parse at the first element named "stop".
class AbortingDelegate : public RecordingDelegate {
public:
    AbortingDelegate() : RecordingDelegate(kElementsAndText | TEHTMLParserDelegateOperation::ParseErrorOccurred) {}
    void parserDidStartElement(TEHTMLParser& parser, const std::string& name,
                               std::optional<TEHTMLAttributes> attributes) override
    {
        RecordingDelegate::parserDidStartElement(parser, name, attributes);
        if (name == "stop")
            parser.abortParsing();
    }
};

TEST(HTMLReaderParserTests, abortStopsEventsAndReportsFailure)
{
    AbortingDelegate delegate;
    TEHTMLParser parser("<p>before</p><stop></stop><p>after</p>", StringEncoding::utf8());
    parser.setDelegate(&delegate);
    EXPECT_FALSE(parser.parse());
    EXPECT_EQ(delegate.texts, std::vector<std::u16string>{u"before"});
    EXPECT_EQ(delegate.errors.size(), 1u);
}

TEST(HTMLReaderParserTests, survivesMalformedAndEmptyInput)
{
    for (const std::string& html : {std::string(), std::string("<"), std::string("<<<>>>&&&;"),
                                   std::string("<p a=\"unterminated"), std::string("\0\0\0<p>x", 8),
                                   std::string(100000, '<')}) {
        RecordingDelegate delegate(kElementsAndText);
        TEHTMLParser parser(html, StringEncoding::utf8());
        parser.setDelegate(&delegate);
        parser.parse();
        for (const auto& text : delegate.texts)
            EXPECT_FALSE(text.empty());
    }
}

} // namespace
} // namespace folio
