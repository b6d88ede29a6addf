#include "engine/html/HTMLSimpleMarkupReader.h"

#include "engine/html/HTMLSanitizer.h"
#include "platform/foundation/HTMLParser.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// The events as one line of text: tags with their attributes (a bare one
// marked "?"), and text joined across the pieces it came in.
class Transcript final : public HTMLParseEvents {
public:
    std::string text;

    void startElement(std::string_view name, const HTMLAttributeList& attributes) override
    {
        text += "<" + std::string(name);
        for (std::size_t index = 0; index < attributes.size(); ++index) {
            std::optional<std::string_view> value = attributes.value(index);
            text += " " + std::string(attributes.name(index)) + (value ? "=[" + std::string(*value) + "]" : "?");
        }
        text += ">";
    }
    void endElement(std::string_view name) override { text += "</" + std::string(name) + ">"; }
    void characters(std::string_view characters) override { text += characters; }
};

std::string libxml2Transcript(std::string_view fragment)
{
    Transcript transcript;
    HTMLParser::Options options;
    options.ignoreDeclaredEncoding = true;
    options.incremental = false;
    HTMLParser parser(transcript, HTMLParser::Elements | HTMLParser::Characters, options);
    parser.parse("<html><head><meta charset=\"UTF-8\"></head><body>" + std::string(fragment) + "</body></html>",
                 "UTF-8");
    return transcript.text;
}

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
        Transcript simple;
        ASSERT_TRUE(HTMLSimpleMarkupReader::readFragment(fragment, simple)) << fragment;
        EXPECT_EQ(simple.text, libxml2Transcript(fragment)) << fragment;
    }
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
    };
    for (const char* fragment : fragments) {
        Transcript simple;
        EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment(fragment, simple)) << fragment;
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
    Transcript simple;
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
