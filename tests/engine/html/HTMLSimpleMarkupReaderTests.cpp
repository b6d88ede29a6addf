#include "engine/html/HTMLSimpleMarkupReader.h"

#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLSimpleMarkupEvents.h"
#include "platform/foundation/HTMLParser.h"
#include "support/HTMLParseTranscript.h"
#include "support/RandomMarkup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace folio {
namespace {

using test::HTMLParseTranscript;
using test::libxml2Transcript;

// Takes every repeated start tag by its number, writing what the tag of
// that number was first reported as: a number given to two different tags
// shows as a transcript unlike libxml2's.
class RepeatingTranscript final : public HTMLSimpleMarkupEvents {
public:
    HTMLParseTranscript transcript;
    std::vector<std::string> firstTags;
    int repeats = 0;

    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        transcript.startElement(name, attributes);
    }
    void startElement(std::string_view name, const HTMLAttributeList& attributes, std::size_t tagNumber) override
    {
        std::size_t start = transcript.text.size();
        transcript.startElement(name, attributes);
        if (firstTags.size() <= tagNumber)
            firstTags.resize(tagNumber + 1);
        firstTags[tagNumber] = transcript.text.substr(start);
    }
    bool repeatedStartElement(std::string_view, std::size_t tagNumber) override
    {
        if (tagNumber >= firstTags.size() || firstTags[tagNumber].empty()) {
            ADD_FAILURE() << "tag " << tagNumber << " repeated before it was read";
            return false;
        }
        transcript.text += firstTags[tagNumber];
        ++repeats;
        return true;
    }
    void endElement(std::string_view name) override { transcript.endElement(name); }
    void characters(std::string_view text) override { transcript.characters(text); }
};

// The forms the HTML writer uses, the awkward corners of each included:
// items its lists leave open, references in text and attributes, blank
// text, bare and single-quoted attributes, self-closed elements.
TEST(HTMLSimpleMarkupReader, reportsTheWritersFormsAsLibxml2Does)
{
    const char* fragments[] = {
        "<div style=\"font-family:&#39;Georgia&#39;;\"><span style=\"color:#222222;\">a &#60;b&#62; &amp; \"c\"</span></div>",
        "<ul><li>one<li>two<ul><li>inner</ul><li>three</ul>\n<div>after</div>",
        "<ol class=\"x\"><li><span>a</span></li><li>b</ol><ol><ol><li>deep</ol></ol>",
        "<div><span> </span> <sup>1</sup> </div> <div>\t\xC2\xA0</div>\n",
        "<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\"><hr class=\"p\" style='a:b;'/><br/>x",
        "<a href=\"https://example.org/?a=1&amp;b=2\" name=\"n\"><span>link</span><img src=\"a.png\" /></a>",
        "<div title=\"line\none\ttab\"></div><span/>tail<a name=\"x\"/>",
        "caf\xC3\xA9 \xE2\x80\x9C\xF0\x9F\x98\x80\xE2\x80\x9D \xEF\xBB\xBF\xE2\x80\xA8 \xEF\xBF\xBD end",
        "<div><ul><li>a<div>b</div></ul></div><span><div>block in span</div></span><div><li>stray item</li></div>",
        "",
    };
    for (const char* fragment : fragments) {
        HTMLParseTranscript simple;
        ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(fragment, simple)) << fragment;
        EXPECT_EQ(simple.text, libxml2Transcript(fragment)) << fragment;
    }
}

// Start tags are tried in the order they came in before: a tag that reads
// like the one expected up to its last letters is read as what it is, and
// the expected one, where it would open a link in a link, is left to libxml2.
TEST(HTMLSimpleMarkupReader, aTagExpectedFromTheOrderBeforeIsTakenOnlyWhereItsWholeTextStands)
{
    const char* fragments[] = {
        "<span>1</span><span title=\"a\">2</span><span>3</span><span title=\"a\">4</span>"
        "<span>5</span><span title=\"a&gt;\">6</span><span>7</span><span title=\"a\">8</span><span>9</span>",
        "<div><span title='a\">'>x</span></div><div><span title='a\">'>y</span></div><div><span title='a\">' >z</span></div>",
        "<ul><li>a<li>b</li></ul><ul><li>a<li>b</ul><ol><li>a<li>b</ol>",
    };
    for (const char* fragment : fragments) {
        RepeatingTranscript repeating;
        ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(fragment, static_cast<HTMLSimpleMarkupEvents&>(repeating)))
            << fragment;
        EXPECT_EQ(repeating.transcript.text, libxml2Transcript(fragment)) << fragment;
        EXPECT_GT(repeating.repeats, 0) << fragment;
    }
    RepeatingTranscript nested;
    EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment(
        "<a href=\"x\">1</a><span>2</span><a href=\"x\"><span>3<a href=\"x\">4</a></span></a>",
        static_cast<HTMLSimpleMarkupEvents&>(nested)));
}

// A tag read before is found by its text up to the first ">", which is the
// whole tag unless a quoted value holds one: tags alike up to a quoted ">"
// and tags that a ">" in a value makes longer than it, coming back in an
// order that the expected next tag does not foresee, keep their own
// attributes; the sanitiser writes them as libxml2's reading has them.
TEST(HTMLSimpleMarkupReader, tagsAlikeUpToAQuotedCloseKeepTheirOwnText)
{
    const std::vector<std::string> tags = {"<span title=\"1>2\">", "<span title=\"1>3\">", "<span title='1>2'>",
                                           "<span title=\"1\">", "<span title=\"1\" lang=\"x>y\">",
                                           "<a href=\"n.html#a>b\">", "<a href=\"n.html#a\">", "<span>"};
    std::mt19937 random(31);
    for (int round = 0; round < 200; ++round) {
        std::string html;
        for (int piece = 0; piece < 12; ++piece) {
            const std::string& tag = tags[random() % tags.size()];
            html += tag + std::to_string(piece) + (tag.starts_with("<a") ? "</a>" : "</span>") + (random() % 2 ? ">" : "");
        }
        RepeatingTranscript repeating;
        ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(html, static_cast<HTMLSimpleMarkupEvents&>(repeating))) << html;
        EXPECT_EQ(repeating.transcript.text, libxml2Transcript(html)) << html;
        for (auto use : {HTMLSanitizer::Use::Document, HTMLSanitizer::Use::Export}) {
            EXPECT_EQ(HTMLSanitizer::sanitizedHTML(html, use), HTMLSanitizer::sanitizedHTML("<!---->" + html, use))
                << html;
        }
    }
}

// Hundreds of distinct tags, each coming back in another order and nesting:
// every one keeps its number however many were read before it.
TEST(HTMLSimpleMarkupReader, manyDistinctTagsKeepTheirNumbers)
{
    std::vector<std::string> tags;
    for (int index = 0; index < 700; ++index)
        tags.push_back("<span title=\"" + std::to_string(index * 7919 % 1000) + "\">");
    std::mt19937 random(22);
    std::string html;
    for (int round = 0; round < 3; ++round) {
        std::shuffle(tags.begin(), tags.end(), random);
        for (std::size_t index = 0; index < tags.size(); index += 2)
            html += tags[index] + "a" + tags[index + 1] + "b</span></span>" + tags[index + 1] + "c</span>";
    }
    RepeatingTranscript repeating;
    ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(html, static_cast<HTMLSimpleMarkupEvents&>(repeating)));
    EXPECT_EQ(repeating.transcript.text, libxml2Transcript(html));
    EXPECT_EQ(repeating.firstTags.size(), tags.size());
    EXPECT_EQ(repeating.repeats, static_cast<int>(3 * tags.size() * 3 / 2 - tags.size()));
}

// Random nestings of the writer's elements, text and references: wherever
// the quick reading takes a fragment, it reports what libxml2 reports.
TEST(HTMLSimpleMarkupReader, randomFragmentsReadAsLibxml2ReadsThem)
{
    std::mt19937 random(20261207);
    test::RandomMarkup markup;
    markup.texts = {"word", " ", "  ", "&amp;", "&#60;", "&gt;", "\"q\"", "\xC3\xA9", "\xE2\x80\x9C", "\t", "\n",
                    "\xEF\xBB\xBF", "\xF0\x9F\x98\x80"};
    markup.starts = {"<div>", "<div style=\"color:red;\">", "<span>", "<span title='x&#39;y'>", "<a href=\"a.html\">",
                     "<a name=\"n\">", "<ul>", "<ol>", "<li>", "<sup>", "<sub>"};
    markup.voids = {"<br/>", "<br>", "<hr>", "<hr noshade>", "<img src=\"p.png\" />", "<div/>", "<span/>"};
    markup.widest = 4;
    markup.deepest = 4;
    markup.leavesItemsOpen = true;
    int readQuickly = 0;
    int repeatsTaken = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string html = markup.fragment(random);
        HTMLParseTranscript simple;
        if (!HTMLSimpleMarkupReader::readFragment(html, simple))
            continue;
        ++readQuickly;
        std::string expected = libxml2Transcript(html);
        EXPECT_EQ(simple.text, expected) << html;
        RepeatingTranscript repeating;
        ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(html, static_cast<HTMLSimpleMarkupEvents&>(repeating))) << html;
        EXPECT_EQ(repeating.transcript.text, expected) << html;
        repeatsTaken += repeating.repeats;
    }
    EXPECT_GT(readQuickly, 1000);
    EXPECT_GT(repeatsTaken, 200);
}

// Whatever the tree builder would move, and whatever is read here in no
// certain way, is left to libxml2: nothing is guessed.
TEST(HTMLSimpleMarkupReader, givesUpOnMarkupBeyondTheWritersForms)
{
    const char* fragments[] = {
        "<a href=\"x\"><span><a href=\"y\">nested link</a></span></a>",
        "<ul><ol><li>moved list</li></ol></ul>",
        "<div>unclosed",
        "text</span>",
        "<div><span>a</div></span>",
        "<p>paragraph</p>",
        "<DIV>upper</DIV>",
        "<script>alert(1)</script>",
        "<!-- comment --><div>x</div>",
        "<div title=unquoted>x</div>",
        "<div class=\"a\" class=\"b\">twice</div>",
        "<div title=\"a<b\">x</div>",
        "&copy; named",
        "&#x41; hexadecimal",
        "&#0; &#150;",
        "AT&T",
        "bell\x07",
        "bad \xC3 byte",
        "overlong \xC0\xAF",
        "surrogate \xED\xA0\x80",
        "nonchar \xEF\xBF\xBE",
        "<br>x</br>",
        "<div\ttitle=\"x\">tab in tag</div>",
        "<div title =\"x\">blank before =</div>",
        "<",
        "<div",
        // A tag read before is read again where it stands: inside itself,
        // a link is moved by the tree builder.
        "<a href=\"x\">one</a><a href=\"x\">two<a href=\"x\">three</a></a>",
        "<ul><li>a</li></ul><ol><li>b</li><ul><li>c</li></ul></ol><ul><ol><li>moved</li></ol></ul>",
        // Text that stops inside a reference, at the next tag.
        "<span>a &amp</span><span>;b</span>",
        "<span title=\"x\">&#60</span><span title=\"x\">;</span>",
    };
    for (const char* fragment : fragments) {
        HTMLParseTranscript simple;
        EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment(fragment, simple)) << fragment;
        // Nor does a listener that takes repeated tags and text as written
        // let anything through.
        RepeatingTranscript repeating;
        EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment(fragment, static_cast<HTMLSimpleMarkupEvents&>(repeating)))
            << fragment;
    }
}

// An end tag is told from the markup a word at a time where a word is left,
// and byte by byte in the last few bytes: near and far from the end, an end
// tag that only starts like the open element's (longer, shorter, in capitals,
// with a blank, cut short) is never taken for it.
TEST(HTMLSimpleMarkupReader, endTagsAreToldAlikeAtEveryDistanceFromTheEnd)
{
    const char* endings[] = {"</span>", "</spa>", "</spans>", "</SPAN>", "</span >", "</sp", "</span", "</", "<",
                             "</div>", "</a>", "</ul>", "</li>", "</span></div>"};
    int taken = 0;
    const std::pair<const char*, const char*> elements[] = {
        {"<span>", ""}, {"<div><span>", "</div>"}, {"<a href=\"x\"><span>", "</a>"}, {"<ul><li><span>", "</ul>"}};
    for (auto [opening, closing] : elements) {
        for (const char* ending : endings) {
            for (std::size_t tail = 0; tail <= 9; ++tail) {
                std::string html = std::string(opening) + "text" + ending + closing + std::string(tail, 'z');
                HTMLParseTranscript simple;
                if (!HTMLSimpleMarkupReader::readFragment(html, simple))
                    continue;
                taken += std::string_view(ending) == "</span>";
                EXPECT_EQ(simple.text, libxml2Transcript(html)) << html;
                RepeatingTranscript repeating;
                ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(html, static_cast<HTMLSimpleMarkupEvents&>(repeating)));
                EXPECT_EQ(repeating.transcript.text, simple.text) << html;
            }
        }
    }
    // The well-formed ending is read quickly at every distance from the end.
    EXPECT_EQ(taken, 4 * 10);
    for (std::size_t tail = 0; tail <= 9; ++tail) {
        HTMLParseTranscript simple;
        EXPECT_TRUE(HTMLSimpleMarkupReader::readFragment("<div><span>a</span></div>" + std::string(tail, 'z'), simple));
        HTMLParseTranscript cut;
        EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment("<div><span>a</span></di" + std::string(tail, 'z'), cut));
    }
}

// Text is checked once: the plain stretch the first scan passes is not read
// again, and what follows it is, wherever it starts. Whatever stands after a
// plain stretch of any length is read as libxml2 reads it or given up on.
TEST(HTMLSimpleMarkupReader, textAfterAPlainStretchIsCheckedWhereverItStarts)
{
    const char* afterwards[] = {"&amp; x", "&#60;b&#62;", "\xE2\x80\x9C q \xE2\x80\x9D", "> x", "\t\n",
                                "\x07", "&#7;", "&copy;", "&amp", "\xC3", "\xEF\xBF\xBE", "& x"};
    const bool readable[] = {true, true, true, true, true, false, false, false, false, false, false, false};
    for (std::size_t which = 0; which < std::size(afterwards); ++which) {
        for (std::size_t plain = 0; plain <= 17; ++plain) {
            std::string html = "<span>" + std::string(plain, 'p') + afterwards[which] + "</span>";
            RepeatingTranscript repeating;
            bool read = HTMLSimpleMarkupReader::readFragment(html, static_cast<HTMLSimpleMarkupEvents&>(repeating));
            EXPECT_EQ(read, readable[which]) << html;
            if (read) {
                EXPECT_EQ(repeating.transcript.text, libxml2Transcript(html)) << html;
            }
        }
    }
}

// The sanitiser takes the quick road for these forms, and what it keeps
// there is what it keeps on libxml2's: hostile attributes in the plainest
// markup still go.
TEST(HTMLSimpleMarkupReader, sanitisingTheWritersFormsStillRemovesWhatIsUnsafe)
{
    std::string html = "<div onclick=\"steal()\"><a href=\" javascript:alert(1)\">first</a>"
                       "<a href=\"file:///etc/passwd\">second</a><img src=\"http://evil.example/x.png\" />"
                       "<span style=\"background:url(http://evil.example/y);color:red\">third</span>"
                       "<span style=\"width:expression(alert(2))\">fourth</span></div>";
    HTMLParseTranscript simple;
    ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(html, simple));
    std::string clean =
        HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
    for (const char* banned : {"onclick", "javascript", "file:", "evil.example", "expression"})
        EXPECT_EQ(clean.find(banned), std::string::npos) << banned << " in " << clean;
    for (const char* kept : {"<a>first</a>", "<a>second</a>", "<img>", "color:red\">third</span>", "fourth"})
        EXPECT_NE(clean.find(kept), std::string::npos) << kept << " not in " << clean;
}

} // namespace
} // namespace folio
