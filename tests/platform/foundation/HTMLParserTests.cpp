#include "platform/foundation/HTMLParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace folio {
namespace {

// Writes every event as a short line, so a test can compare the whole stream.
class EventLog final : public HTMLParseEvents {
public:
    std::vector<std::string> lines;
    HTMLParser* stopAt = nullptr;
    std::string stopElement;

    void doctype(std::string_view name, std::optional<std::string_view> publicID,
                 std::optional<std::string_view>) override
    {
        lines.push_back("doctype " + std::string(name) + " " + std::string(publicID.value_or("-")));
    }
    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        std::string line = "<" + std::string(name);
        for (std::size_t index = 0; index < attributes.size(); ++index) {
            line += " " + std::string(attributes.name(index)) + "=";
            line += attributes.value(index) ? std::string(*attributes.value(index)) : "(none)";
            line += "/" + std::string(attributes.impliedValue(index));
        }
        lines.push_back(line + ">");
        if (stopAt && name == stopElement)
            stopAt->stop();
    }
    void endElement(std::string_view name) override { lines.push_back("</" + std::string(name) + ">"); }
    void characters(std::string_view text) override
    {
        if (!lines.empty() && lines.back().starts_with("text "))
            lines.back() += text;
        else
            lines.push_back("text " + std::string(text));
    }
    void rawText(std::string_view text) override { lines.push_back("raw " + std::string(text)); }
    void comment(std::string_view text) override { lines.push_back("comment " + std::string(text)); }
    void error(const std::string&) override { ++errors; }
    int errors = 0;
};

constexpr unsigned kEverything = HTMLParser::Doctype | HTMLParser::Elements | HTMLParser::Characters
    | HTMLParser::RawText | HTMLParser::Comments | HTMLParser::Errors;

std::vector<std::string> eventsOf(std::string_view html, HTMLParser::Options options = {})
{
    EventLog log;
    HTMLParser parser(log, kEverything, options);
    parser.parse(html, "UTF-8");
    return log.lines;
}

// The tree a browser would build, as a balanced stream: implied elements
// start and end, references are read, bare attributes are told apart.
TEST(HTMLParser, reportsTheImpliedTreeAsBalancedEvents)
{
    std::vector<std::string> expected{"<html>", "<body>", "<p class=a/a>", "text x & \xC3\xA9", "</p>",
                                      "<td nowrap=(none)/nowrap title=(none)/>", "</td>", "</body>", "</html>"};
    for (bool incremental : {true, false}) {
        HTMLParser::Options options;
        options.incremental = incremental;
        EXPECT_EQ(eventsOf("<p class=a>x &amp; &eacute;<td nowrap title>", options), expected) << incremental;
    }
}

TEST(HTMLParser, scriptTextIsRawAndCommentsAndDoctypeAreReported)
{
    std::vector<std::string> events = eventsOf("<!DOCTYPE html><!--note--><script>if (a < b) x();</script>");
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[0], "doctype html -");
    EXPECT_EQ(events[1], "comment note");
    EXPECT_NE(std::find(events.begin(), events.end(), "raw if (a < b) x();"), events.end());
}

TEST(HTMLParser, stopEndsTheEventsAndFailsTheParse)
{
    EventLog log;
    HTMLParser parser(log, kEverything, {});
    log.stopAt = &parser;
    log.stopElement = "b";
    EXPECT_FALSE(parser.parse("<p>one<b>two</b><i>three</i></p>"));
    EXPECT_TRUE(parser.stopped());
    EXPECT_EQ(log.lines.back(), "<b>");
}

// Counts what a long page delivers without keeping it.
class Tally final : public HTMLParseEvents {
public:
    int paragraphsEnded = 0;
    bool htmlEnded = false;
    std::string lastText;
    void startElement(std::string_view, const HTMLAttributeList&) override { lastText.clear(); }
    void endElement(std::string_view name) override
    {
        paragraphsEnded += name == "p";
        htmlEnded = htmlEnded || name == "html";
    }
    void characters(std::string_view text) override { lastText += text; }
};

// A page longer than the slices the push parser is fed, with a mended error
// near its start (a doctype inside the body), as the editor's save hands a
// whole document in: every paragraph up to the last arrives, and the tree
// still closes.
TEST(HTMLParser, aPageLongerThanOneSliceIsReadToItsEndPastMendedErrors)
{
    std::string page = "<div><!DOCTYPE html><p>first</p>";
    const std::string paragraph = "<p>some words of one paragraph</p>";
    HTMLParser::Options options;
    options.sliceLength = std::size_t(1) << 20;
    const std::size_t count = (std::size_t(3) << 20) / paragraph.size();
    page.reserve(page.size() + count * paragraph.size() + 32);
    for (std::size_t index = 0; index < count; ++index)
        page += paragraph;
    page += "<p>the last words</p></div>";

    Tally tally;
    HTMLParser parser(tally, HTMLParser::Elements | HTMLParser::Characters | HTMLParser::Errors, options);
    parser.parse(page, "UTF-8");
    EXPECT_EQ(tally.paragraphsEnded, static_cast<int>(count) + 2);
    EXPECT_EQ(tally.lastText, "the last words");
    EXPECT_TRUE(tally.htmlEnded);
}

TEST(HTMLParser, readsTheEncodingFromAByteOrderMarkOrTheCaller)
{
    EventLog utf16;
    HTMLParser fromMark(utf16, HTMLParser::Characters, {});
    std::string bytes("\xFF\xFE<\0p\0>\0\xE9\0", 10);
    fromMark.parse(bytes);
    ASSERT_FALSE(utf16.lines.empty());
    EXPECT_EQ(utf16.lines.back(), "text \xC3\xA9");

    EventLog latin1;
    HTMLParser given(latin1, HTMLParser::Characters, {});
    given.parse("<p>caf\xE9</p>", "ISO-8859-1");
    ASSERT_FALSE(latin1.lines.empty());
    EXPECT_EQ(latin1.lines.back(), "text caf\xC3\xA9");
}

// A page named UTF-8 is read as UTF-8 whatever it declares; bytes that are
// not UTF-8, however far into the page, are handed on as they are (the
// reader's conversion replaces them) and the text after them is still read
// as UTF-8, not as Latin-1; a byte-order mark is not text; and a character
// split between two slices arrives whole.
TEST(HTMLParser, namedUTF8IsReadAsUTF8WhateverThePageDeclaresOrHowItIsDamaged)
{
    const std::vector<std::string> declared =
        eventsOf("<html><head><meta charset=\"iso-8859-1\"></head><body><p>caf\xC3\xA9</p></body></html>");
    EXPECT_NE(std::find(declared.begin(), declared.end(), "text caf\xC3\xA9"), declared.end());

    const std::string words(200, 'w');
    const std::vector<std::string> damaged =
        eventsOf("<p>" + words + " a\xE2\x80</p><p>b\xF0\x9F\x98\x80" "c \xC3\xA9</p>");
    EXPECT_NE(std::find(damaged.begin(), damaged.end(), "text b\xF0\x9F\x98\x80" "c \xC3\xA9"), damaged.end());
    EXPECT_NE(std::find(damaged.begin(), damaged.end(), "text " + words + " a\xE2\x80"), damaged.end());

    const std::vector<std::string> marked = eventsOf("\xEF\xBB\xBF<p>marked</p>");
    const std::vector<std::string> expected{"<html>", "<body>", "<p>", "text marked", "</p>", "</body>", "</html>"};
    EXPECT_EQ(marked, expected);

    HTMLParser::Options sliced;
    sliced.sliceLength = 7;
    const std::vector<std::string> split = eventsOf("<p>ab\xC3\xA9\xE2\x80\x9Cq\xF0\x9F\x98\x80</p>", sliced);
    EXPECT_NE(std::find(split.begin(), split.end(), "text ab\xC3\xA9\xE2\x80\x9Cq\xF0\x9F\x98\x80"), split.end());
}

} // namespace
} // namespace folio
