#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLSimpleMarkupReader.h"
#include "engine/html/HTMLString.h"
#include "platform/foundation/Unicode.h"
#include "support/HTMLParseTranscript.h"
#include "support/RandomMarkup.h"
#include "support/TurkishLocale.h"


#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace folio {
namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// What a hostile document may carry; none of it may survive in any form.
TEST(HTMLSanitizer, removesScriptsHandlersAndScriptLinksKeepingText)
{
    std::string html = "<p onclick=\"steal()\">Amber<script>fetch('/etc/passwd')</script> lantern</p>"
                       "<a href=\"javascript:alert(1)\">first</a><a href=\" JaVa&#x09;Script:alert(2)\">second</a>"
                       "<a href=\"data:text/html,<script>x</script>\">third</a><a href=\"https://example.org/\">fourth</a>"
                       "<svg onload=\"alert(3)\"><set attributeName=\"href\" to=\"javascript:alert(4)\"/></svg>"
                       "<img src=\"x.png\" onerror=\"alert(5)\"><iframe src=\"file:///etc/passwd\"></iframe>"
                       "<meta http-equiv=\"refresh\" content=\"0;url=http://127.0.0.1/\"><noscript>hidden</noscript>";
    std::string clean = HTMLSanitizer::sanitizedHTML(html);
    std::string folded = lower(clean);
    for (const char* banned : {"<script", "onclick", "onload", "onerror", "javascript", "data:text", "<iframe",
                               "<set", "refresh", "passwd", "hidden"})
        EXPECT_EQ(folded.find(banned), std::string::npos) << banned << " in " << clean;
    EXPECT_NE(clean.find("<p>Amber lantern</p>"), std::string::npos) << clean;
    for (const char* text : {"<a>first</a>", "<a>second</a>", "<a>third</a>", "<a href=\"https://example.org/\">fourth</a>",
                             "<img src=\"x.png\">"})
        EXPECT_NE(clean.find(text), std::string::npos) << text << " not in " << clean;
}

TEST(HTMLSanitizer, removesRemoteResourcesAndKeepsLocalOnes)
{
    std::string html = "<img src=\"http://127.0.0.1:1/a.png\"><img src=\"//evil.example/b.png\">"
                       "<img src=\"\\\\evil\\c.png\"><img src=\"pictures/d.png\"><img src=\"data:image/png;base64,AAAA\">"
                       "<img srcset=\"e.png 1x, http://evil.example/f.png 2x\"><video poster=\"https://x/p.png\"></video>"
                       "<link rel=\"stylesheet\" href=\"http://evil.example/s.css\"><table background=\"ftp://x/t.png\">"
                       "</table><object data=\"http://x/o\"></object>";
    std::string clean = HTMLSanitizer::sanitizedHTML(html);
    for (const char* banned : {"127.0.0.1", "evil", "https:", "ftp:", "<link", "<object"})
        EXPECT_EQ(clean.find(banned), std::string::npos) << banned << " in " << clean;
    EXPECT_NE(clean.find("<img src=\"pictures/d.png\">"), std::string::npos) << clean;
    EXPECT_NE(clean.find("<img src=\"data:image/png;base64,AAAA\">"), std::string::npos) << clean;
}

TEST(HTMLSanitizer, styleSheetsLoseImportsAndRemoteURLsEvenWhenEscaped)
{
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p { color: red; font-family: \"\\5B8B\\4F53\" }"),
              "p { color: red; font-family: \"\\5B8B\\4F53\" }");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("@import url(http://x/a.css); p { background: url( 'http://x/b.png' ) }"),
              " p { background: none }");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p{background:\\75 rl(//x/c.png) no-repeat}"), "p{background:none no-repeat}");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p{background:image-set(\"http://x/d.png\" 1x)}"), "p{background:none}");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("@font-face{src:url(myfont://Mine.ttf)}p{background:url(e.png)}"),
              "@font-face{src:url(myfont://Mine.ttf)}p{background:url(e.png)}");

    std::string clean = HTMLSanitizer::sanitizedHTML(
        "<style>p{background:url(http://x/f.png)}</style><p style=\"background:URL(http://x/g.png)\">Text</p>"
        "<style>p::after{content:\"</style><img src=x onerror=alert(1)>\"}</style>");
    EXPECT_EQ(clean.find("http"), std::string::npos) << clean;
    EXPECT_EQ(clean.find("onerror"), std::string::npos) << clean;
    EXPECT_NE(clean.find("<p style=\"background:none\">Text</p>"), std::string::npos) << clean;
}

// Style without any of the words that make it risky is kept as it stands
// without being read through; the words are found in any case, wherever
// they fall, the first and last letters of the style included.
TEST(HTMLSanitizer, riskyWordsInStyleAreFoundInAnyCaseAndPlace)
{
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("width:EXPRESSION(alert(1))"), "width:none");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("Url(http://x/h.png)"), "none");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p{color:red}@IMPORT 'http://x/i.css'"), "p{color:red}");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p{background:IMAGE-SET(\"http://x/j.png\" 1x)}"), "p{background:none}");
    EXPECT_EQ(HTMLSanitizer::sanitizedCSS("p{background:uRl(//x/k.png)}"), "p{background:none}");
    for (const char* kept : {"p{color:red;font-family:'Urbana','Edison';}", "u", "uR", "@imp", "image-se"})
        EXPECT_EQ(HTMLSanitizer::sanitizedCSS(kept), kept);
}

// Markup that one parser reads as text and a browser as elements must not
// come back to life in what is written.
TEST(HTMLSanitizer, markupHiddenInCommentsAttributesAndRawTextStaysText)
{
    std::string clean = HTMLSanitizer::sanitizedHTML(
        "<p title=\"</noscript><img src=x onerror=alert(1)>\">a</p><!-- --!><img src=y onerror=alert(2)> -->"
        "<svg><style><img src=z onerror=alert(3)></style></svg><textarea></textarea><img src=w onerror=alert(4)>");
    // What was text stays escaped text; no element carries a handler.
    EXPECT_EQ(clean.find("onerror=\""), std::string::npos) << clean;
    EXPECT_EQ(clean.find("<img src=\"x\""), std::string::npos) << clean;
    EXPECT_EQ(clean.find("<img src=z"), std::string::npos) << clean;
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(clean), clean);
    EXPECT_NE(clean.find("title=\"&lt;/noscript&gt;&lt;img"), std::string::npos) << clean;
}

TEST(HTMLSanitizer, wholePagesKeepTheirDoctypeAndHeadAndFragmentsStayFragments)
{
    std::string page = "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\"><html><head><meta charset=\"UTF-8\">"
                       "<style>p{margin:0}</style></head><body><p>Caf\xC3\xA9 &amp; <b>tea</b><br></p></body></html>";
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(page), page);
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<style>p{margin:0}</style>Loose text<p>One</p>"),
              "<style>p{margin:0}</style>Loose text<p>One</p>");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(""), "");
}

// Void elements hold nothing: the text a parser nests under one belongs after
// it, whether the element is kept or dropped.
TEST(HTMLSanitizer, textAfterAVoidElementSurvivesIt)
{
    std::string clean = HTMLSanitizer::sanitizedHTML(
        "<p>before<embed src=\"movie.swf\">after embed</p><p>x<source src=\"a.mp3\">after source</p>"
        "<p>y<param name=\"a\" value=\"b\">after param<wbr>after break</p>");
    for (const char* text : {"before", "after embed", "after source", "after param", "after break"})
        EXPECT_NE(clean.find(text), std::string::npos) << text << " not in " << clean;
    for (const char* banned : {"<embed", "<param", "</source>", "</wbr>"})
        EXPECT_EQ(clean.find(banned), std::string::npos) << banned << " in " << clean;
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(clean), clean);
}

TEST(HTMLSanitizer, nestingDeeperThanTheStackIsWrittenWhole)
{
    constexpr int depth = 100000;
    std::string html;
    for (int level = 0; level < depth; ++level)
        html += "<span>";
    html += "Buried";
    for (int level = 0; level < depth; ++level)
        html += "</span>";
    std::string clean = HTMLSanitizer::sanitizedHTML(html);
    EXPECT_NE(clean.find("<span>Buried</span>"), std::string::npos);
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t at = clean.find("<span>"); at != std::string::npos; at = clean.find("<span>", at + 1))
        ++opened;
    for (std::size_t at = clean.find("</span>"); at != std::string::npos; at = clean.find("</span>", at + 1))
        ++closed;
    EXPECT_EQ(opened, closed);
    EXPECT_GT(opened, 0u);
}

TEST(HTMLSanitizer, exportedMarkupNamesNoFileOutsideTheDocument)
{
    using Use = HTMLSanitizer::Use;
    const std::string html =
        "<a href=\"file:///etc/passwd\">f</a><a href=\"/etc/x\">a</a><a href=\"../../up.html\">u</a>"
        "<a href=\"notes/%2E%2E/%2e%2e/x\">e</a><a href=\"https://example.org/\">w</a><a href=\"#top\">t</a>"
        "<a href=\"here.html?p=../x\">q</a><img src=\"..\\\\secret.png\" alt=\"s\"><img src=\"pics/a.png\">"
        "<p style=\"background:url(file:///etc/x.png)\">b</p><style>p{background:url(../x.png)}</style>";
    std::string exported = HTMLSanitizer::sanitizedHTML(html, Use::Export);
    for (const char* gone : {"file:", "/etc/", "up.html", "%2E", "secret", "../x.png"})
        EXPECT_EQ(exported.find(gone), std::string::npos) << gone << " in " << exported;
    for (const char* kept : {">f</a>", ">a</a>", ">u</a>", "https://example.org/", "#top", "here.html?p=../x",
                             "pics/a.png", "alt=\"s\""})
        EXPECT_NE(exported.find(kept), std::string::npos) << kept << " in " << exported;
    // Pages shown on this machine may still name its files.
    EXPECT_NE(HTMLSanitizer::sanitizedHTML(html).find("../../up.html"), std::string::npos);
}

// A word processor's hidden text never reaches an exported file or a copy,
// whatever holds it; the editing page keeps it for the save.
TEST(HTMLSanitizer, exportedMarkupLeavesOutHiddenText)
{
    using Use = HTMLSanitizer::Use;
    const std::string html = "<p>Shown <span data-hidden=\"1\">secret <b>note</b> </span>words"
                             "<b data-hidden=\"1\">aside</b>.</p>";
    for (Use use : {Use::Export, Use::PageCopy})
        EXPECT_EQ(HTMLSanitizer::sanitizedHTML(html, use), "<p>Shown words.</p>");
    // The place of a bookmark that held hidden text or none stays, for links to it.
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<p>At<span data-hidden=\"1\" data-bookmark=\"_GoBack\">\u2060</span> sea</p>",
                                           Use::Export),
              "<p>At<span data-bookmark=\"_GoBack\"></span> sea</p>");
    for (Use use : {Use::Document, Use::EditingPage})
        EXPECT_NE(HTMLSanitizer::sanitizedHTML(html, use).find("secret <b>note</b>"), std::string::npos);
}

TEST(HTMLSanitizer, markupForInsertionAlsoLosesStyleSheetsAndMetaElements)
{
    const char* html = "<meta charset=\"utf-8\"><style>p{color:red}</style><p style=\"color:blue\">kept</p>";
    std::string document = HTMLSanitizer::sanitizedHTML(html);
    EXPECT_NE(document.find("<style>p{color:red}</style>"), std::string::npos) << document;
    std::string inserted = HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::Insertion);
    EXPECT_EQ(inserted, "<p style=\"color:blue\">kept</p>");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("a<meta name=x>b<style>x{}</style>c", HTMLSanitizer::Use::Insertion), "abc");
}

// A pasted picture that may not load its source would be an empty box in
// the page and an empty picture in the saved file: it goes, with nothing
// after it lost; pictures it may show stay.
TEST(HTMLSanitizer, aPastedPictureWithNothingToShowGoesWhole)
{
    using Use = HTMLSanitizer::Use;
    for (const char* html : {"a<img src=\"https://example.com/p.png\" alt=\"P\">b", "a<IMG SRC=\"//example.com/p.png\">b",
                             "a<img alt=\"P\" width=\"20\">b", "a<img src=\" \">b",
                             "a<img srcset=\"p.png 1x, http://example.com/q.png 2x\">b"})
        EXPECT_EQ(HTMLSanitizer::sanitizedHTML(html, Use::Insertion), "ab") << html;
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("a<img src=\"pictures/p.png\">b", Use::Insertion), "a<img src=\"pictures/p.png\">b");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("a<img src=\"data:image/png;base64,AAAA\" alt=\"P\">b", Use::Insertion),
              "a<img src=\"data:image/png;base64,AAAA\" alt=\"P\">b");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<p>a<img src=\"https://example.com/p.png\"><b>b</b></p>", Use::Insertion),
              "<p>a<b>b</b></p>");
    // A document keeps its elements as they stood, less what may not load.
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("a<img src=\"https://example.com/p.png\">b"), "a<img>b");
}

// Markup that enters an editing page names no element after an object its
// scripts reach through the document or the window: the name gets a mark
// that no script identifier holds, links to it follow, and other names and
// markup leaving the page stay as they were.
TEST(HTMLSanitizer, markupEnteringAPageNamesNoElementAfterAnObjectOfThePage)
{
    using Use = HTMLSanitizer::Use;
    const std::string html = "<img name=\"getElementById\" id=\"body\" src=\"p.png\"><a href=\"#body\">to body</a>"
                             "<p id=\"addEventListener\">x</p><a name=\"execCommand\" href=\"#chapter\">y</a>"
                             "<span id=\"chapter\">z</span><a href=\"https://example.org/#body\">w</a>";
    for (Use use : {Use::Insertion, Use::EditingPage}) {
        EXPECT_EQ(HTMLSanitizer::sanitizedHTML(html, use),
                  "<img name=\"getElementById-\" id=\"body-\" src=\"p.png\"><a href=\"#body-\">to body</a>"
                  "<p id=\"addEventListener-\">x</p><a name=\"execCommand-\" href=\"#chapter\">y</a>"
                  "<span id=\"chapter\">z</span><a href=\"https://example.org/#body\">w</a>")
            << static_cast<int>(use);
        // Read again, as a page's content is at every save and opening.
        std::string once = HTMLSanitizer::sanitizedHTML(html, use);
        EXPECT_EQ(HTMLSanitizer::sanitizedHTML(once, use), once);
    }
    for (Use use : {Use::Document, Use::Export, Use::PageCopy})
        EXPECT_NE(HTMLSanitizer::sanitizedHTML(html, use).find("name=\"getElementById\" id=\"body\""), std::string::npos);
}

// Markup inserted into a page whose save keeps only some files' pictures:
// a picture is kept by each file it names being one the caller keeps, and
// goes whole otherwise; inline pictures name no file.
TEST(HTMLSanitizer, anInsertedPictureOfAFileTheCallerRefusesGoesWhole)
{
    std::vector<std::string> asked;
    auto keeps = [&asked](std::string_view source) {
        asked.emplace_back(source);
        return source.find("/kept/") != std::string_view::npos;
    };
    const char* data = "data:image/png;base64,AAAA";
    struct Case {
        std::string html;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{
             {"a<img src=\"file:///home/u/p.png\">b", "ab"},
             {"a<img src=\"/home/u/p.png\" alt=\"P\">b", "ab"},
             {"a<img src=\"p.png\">b", "ab"},
             {"a<img src=\"file:///data/kept/p.png\">b", "a<img src=\"file:///data/kept/p.png\">b"},
             {"a<img srcset=\"file:///data/kept/p.png 1x, file:///home/u/q.png 2x\">b", "ab"},
             {"a<img src=\"" + std::string(data) + "\" srcset=\"/home/u/q.png 2x\">b",
              "a<img src=\"" + std::string(data) + "\">b"},
         }) {
        EXPECT_EQ(HTMLSanitizer::sanitizedInsertion(c.html, keeps), c.expected) << c.html;
        // Without the check, the insertion keeps them all as before.
        EXPECT_NE(HTMLSanitizer::sanitizedHTML(c.html, HTMLSanitizer::Use::Insertion).find("<img"), std::string::npos);
    }
    EXPECT_EQ(std::count(asked.begin(), asked.end(), std::string(data)), 0) << "an inline picture was asked about";
}

// What a QV document may carry into its editing page: the tricks that ran
// script, reached the network or forged the page's messages there, beside
// what the editors themselves write and must get back.
TEST(HTMLSanitizer, anEditingPageGetsNoScriptNetworkFormOrPageMessageButKeepsNotesLinksAndPictures)
{
    using Use = HTMLSanitizer::Use;
    const std::string hostile =
        "<img src=x onerror=\"fetch('http://127.0.0.1:1/a')\"><details open ontoggle=\"alert(1)\">d</details>"
        "<input autofocus onfocus=\"alert(2)\" value=\"field\"><![CDATA[><img src=y onerror=alert(3)>]]>"
        "<svg onload=\"alert(4)\"><script>alert(5)</script><a href=\"rte://dirtyEvent\">svg link</a></svg>"
        "<!--><img src=z onerror=alert(6)>--><iframe srcdoc=\"<script>alert(7)</script>\"></iframe>"
        "<iframe src=\"rte://linkTouchedEvent#http://127.0.0.1:1/b\"></iframe><object data=\"rte://x\"></object>"
        "<embed src=\"x-twwebview://dom-loaded\"><a href=\"rte://linkTouchedEvent#http://127.0.0.1:1/c\">forged</a>"
        "<a href=\"X-TWWEBVIEW://dom-loaded\">ready</a><img srcset=\"http://127.0.0.1:1/d 2x\">"
        "<picture><source srcset=\"http://127.0.0.1:1/e\"></picture><video poster=\"http://127.0.0.1:1/f\" "
        "src=\"http://127.0.0.1:1/g\"></video><audio src=\"http://127.0.0.1:1/h\"></audio>"
        "<p style=\"background:url(http://127.0.0.1:1/i)\">styled</p><img src=\"file:///etc/passwd\">"
        "<img src=\"../../../../etc/hostname\"><form action=\"http://127.0.0.1:1/j\"><button>Send</button></form>"
        "<meta http-equiv=\"refresh\" content=\"0;url=rte://x\"><meta name=\"viewport\"><base href=\"http://x/\">";
    std::string clean = HTMLSanitizer::sanitizedHTML(hostile, Use::EditingPage);
    std::string folded = lower(clean);
    for (const char* banned : {"onerror", "ontoggle", "onfocus", "onload", "<script", "<iframe", "srcdoc", "<object",
                               "<embed", "rte:", "x-twwebview", "127.0.0.1", "file:", "etc/", "<input", "<form",
                               "<button", "<meta", "<base", "alert"})
        EXPECT_EQ(folded.find(banned), std::string::npos) << banned << " in " << clean;
    // The text of what went is still there; a filtered page is a fixpoint.
    for (const char* text : {">d</details>", "svg link", "forged", "ready", "Send", ">styled</p>"})
        EXPECT_NE(clean.find(text), std::string::npos) << text << " not in " << clean;
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(clean, Use::EditingPage), clean);

    // The editors' own footnote and comment objects, a link a user may
    // follow and a picture in the document stay as they were.
    const std::string own =
        "<p>See <span contenteditable=\"false\"><sup><object id=\"footnote_1\" class=\"footnote\" "
        "data-content=\"Note\">[1]</object></sup></span> and <a href=\"https://example.org/\">the site</a>"
        "<img src=\"data:image/png;base64,AAAA\" width=\"20\"></p>"
        "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;margin-top: 2cm;\"></div>";
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(own, Use::EditingPage), own);
    // An object of a note's class that would load something does not.
    std::string loading = HTMLSanitizer::sanitizedHTML(
        "<object class=\"footnote\" data=\"rte://x\" type=\"text/html\">[2]</object>", Use::EditingPage);
    EXPECT_EQ(loading, "<object class=\"footnote\">[2]</object>");
    // Other uses lose every object, the notes' too, as before.
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(own, Use::Document).find("<object"), std::string::npos);
}

// A followed link to the program's own message schemes would forge a page
// message in any page, so no use keeps one.
TEST(HTMLSanitizer, noUseKeepsALinkToThePagesMessageSchemes)
{
    using Use = HTMLSanitizer::Use;
    for (const char* url : {"rte://linkTouchedEvent#http://x", " RTE:dirtyEvent", "x-twwebview://dom-loaded"}) {
        EXPECT_FALSE(HTMLSanitizer::isSafeLinkTarget(url)) << url;
        for (Use use : {Use::Document, Use::Insertion, Use::Export, Use::EditingPage})
            EXPECT_FALSE(HTMLSanitizer::sanitizedAttribute("a", "href", url, use)) << url;
    }
    EXPECT_TRUE(HTMLSanitizer::isSafeLinkTarget("rte.html"));
}

// An exported file names its characters beyond ASCII as references, as the
// text escaper writes them; but CSS reads no references, and an attribute is
// no place for markup.
TEST(HTMLSanitizer, exportReferencesCharactersOutsideStyleSheetsAndKeepsAttributesText)
{
    std::string text = "caf\u00e9 \u2014 \u0100 \U0001F600 &amp; a\u2028b";
    std::string clean = HTMLSanitizer::sanitizedHTML(
        "<style>p::after{content:\"\u2014\"}</style><p title=\"x\u2028y \u00e9\">" + text + "</p>",
        HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
    EXPECT_NE(clean.find("<style>p::after{content:\"\u2014\"}</style>"), std::string::npos) << clean;
    EXPECT_NE(clean.find("title=\"x&#8232;y &eacute;\""), std::string::npos) << clean;
    EXPECT_NE(clean.find("caf&eacute; &mdash; &#256; &#128512; &amp; a<br />b"), std::string::npos) << clean;
    std::string outsideStyle = clean.substr(clean.find("</style>"));
    EXPECT_TRUE(std::all_of(outsideStyle.begin(), outsideStyle.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        << clean;
}

// What follows a page's root element (a paste cut from a longer page) stays
// where the page's tree puts it: inside the root, or after it when a doctype
// leads the page.
TEST(HTMLSanitizer, contentAfterThePagesRootStaysInsideIt)
{
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<html><body><p>x</p></body></html><p>late</p>\n"),
              "<html><body><p>x</p></body><html><p>late</p>\n</html></html>");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<!DOCTYPE html><p>x</p></html><div>late</div>"),
              "<!DOCTYPE html><html><body><p>x</p></body></html><html><div>late</div></html>");
}

// Schemes and CSS words are matched by ASCII's rule. In a Turkish locale
// (which the windows set up for a Turkish user), the C library lowers "I"
// to no "i": an upper-case "JAVASCRIPT:" link, "EXPRESSION()" or "@IMPORT"
// must be refused all the same.
TEST(HTMLSanitizer, refusesUpperCaseSchemesAndWordsInATurkishLocale)
{
    std::string clean;
    {
        test::TurkishLocale turkish;
        if (!turkish.active())
            GTEST_SKIP() << "no Turkish locale can be made here";
        clean = HTMLSanitizer::sanitizedHTML("<a href=\"JAVASCRIPT:alert(1)\">first</a>"
                                             "<div style=\"width:EXPRESSION(alert(2))\">second</div>"
                                             "<style>@IMPORT \"http://evil.example/a.css\"; p {color:red}</style>");
    }
    std::string folded = lower(clean);
    for (const char* banned : {"javascript", "expression", "@import", "evil.example"})
        EXPECT_EQ(folded.find(banned), std::string::npos) << banned << " in " << clean;
    for (const char* kept : {"<a>first</a>", "second", "color:red"})
        EXPECT_NE(clean.find(kept), std::string::npos) << kept << " not in " << clean;
}

// Markup in the HTML writer's plain forms is read without libxml2, each
// distinct start tag checked once and text escaped as it stands; a comment
// in front sends the same markup through libxml2. Both readings must write
// the same, for every use, whatever hostile attribute, repeated tag or
// reference the markup holds.
TEST(HTMLSanitizer, theWritersFormsAreWrittenAsLibxml2sReadingOfThemIs)
{
    using Use = HTMLSanitizer::Use;
    using Characters = HTMLSanitizer::Characters;
    std::mt19937 random(20261207);
    test::RandomMarkup markup;
    markup.texts = {"word", " ", "&amp;", "&lt;", "&gt;", "&quot;", ">", "\"", "&#39;",
                    "&#60;script&#62;alert(1)&#60;/script&#62;", "&#38;lt;b&#38;gt;", "&#38;#60;", "&#62;",
                    "caf\xC3\xA9", "\xE2\x80\x94", "\xE2\x80\xA8", "\xF0\x9F\x98\x80", "\xC4\x80", "tab\t", "\n",
                    // Long enough to be scanned a word at a time, with what
                    // ends a plain run falling at different places in a word.
                    "a run of plain words and spaces", "sixteen letters> then more", "fifteen letters&amp; and",
                    "nine byte\tand a tab", "seventeen letters\xC3\xA9 then", "twelve bytes\x7F", "0123456789abcdef",
                    // Escaped markup, as a page's source exported as text is.
                    "&lt;p class=&quot;x&quot;&gt;&amp;amp;&lt;/p&gt;", "&lt;&gt;&amp;&lt;&gt;&amp;&lt;&gt;"};
    markup.starts = {"<span style=\"color:#222222;\">", "<span style=\"font-family:&#39;A&#39;;\">",
                     "<span style=\"background:url(http://evil.example/x)\">",
                     "<div style=\"width:expression(alert(2))\">", "<div onclick=\"steal()\">",
                     "<span title=\"&#60;script&#62;&quot;\xC3\xA9\xE2\x80\xA8\">", "<a href=\"javascript:alert(3)\">",
                     "<a href=\" JaVa&#83;cript:alert(4)\">", "<a href=\"../up.html\">", "<a href=\"notes.html#x\">",
                     "<a href=\"file:///etc/passwd\">", "<a href=\"rte://linkTouchedEvent#x\">", "<div>", "<ul>",
                     "<ol>", "<li>", "<sup>", "<sub>"};
    markup.voids = {"<br/>", "<hr noshade>", "<img src=\"p.png\" />", "<img src=\"http://evil.example/p.png\">",
                    "<img src=\"data:image/svg+xml,x\" onerror=\"alert(5)\" />", "<br>"};
    markup.widest = 5;
    markup.deepest = 3;
    int readQuickly = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string html = markup.fragment(random);
        test::HTMLParseTranscript transcript;
        if (!HTMLSimpleMarkupReader::readFragment(html, transcript))
            continue;
        ++readQuickly;
        for (Use use : {Use::Document, Use::Insertion, Use::Export, Use::EditingPage}) {
            for (Characters characters : {Characters::AsTheyAre, Characters::References}) {
                std::string quick = HTMLSanitizer::sanitizedHTML(html, use, characters);
                EXPECT_EQ(quick, HTMLSanitizer::sanitizedHTML("<!---->" + html, use, characters)) << html;
                std::string folded = lower(quick);
                for (const char* banned :
                     {"<script", "javascript", "onclick", "onerror", "evil.example", "expression(", "rte:"})
                    EXPECT_EQ(folded.find(banned), std::string::npos) << banned << " in " << quick;
            }
        }
    }
    EXPECT_GT(readQuickly, 500);
}

// References in text are copied as they stand only where the sanitiser
// would write them so: one that names markup or another reference is text,
// written escaped; what the quick reading does not take (a control
// character, a text that ends inside a reference) is read by libxml2.
TEST(HTMLSanitizer, referencesInTheWritersTextStayText)
{
    using Use = HTMLSanitizer::Use;
    using Characters = HTMLSanitizer::Characters;
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<span>&#60;script&#62;alert(1)&#60;/script&#62; &#38;lt;b&#38;gt; "
                                           "&#34;q&#34; &quot;r&quot; &#62; &amp;amp; x>y</span>",
                                           Use::Export, Characters::References),
              "<span>&lt;script&gt;alert(1)&lt;/script&gt; &amp;lt;b&amp;gt; \"q\" \"r\" &gt; &amp;amp; x&gt;y</span>");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML("<span title=\"&#60;b&#62; &quot;&#38;\">caf\xC3\xA9</span>", Use::Export,
                                           Characters::AsTheyAre),
              "<span title=\"&lt;b&gt; &quot;&amp;\">caf\xC3\xA9</span>");
    for (const char* html : {"<span>bell&#7;</span>", "<span>tab&#9;</span>", "<span>a &amp</span><span>;b</span>",
                             "<span>&#60</span><span>;script&#62;</span>", "<span>&#x3c;b&#x3e;</span>"}) {
        test::HTMLParseTranscript transcript;
        EXPECT_FALSE(HTMLSimpleMarkupReader::readFragment(html, transcript)) << html;
        std::string clean = HTMLSanitizer::sanitizedHTML(html, Use::Export, Characters::References);
        EXPECT_EQ(clean.find("<b"), std::string::npos) << clean;
        EXPECT_EQ(clean.find("<script"), std::string::npos) << clean;
        EXPECT_EQ(clean.find('\x07'), std::string::npos) << clean;
    }
}

// A link target is read once for both verdicts: it is kept exactly where
// it is a target a user may follow and, in an export, names nothing outside
// the document, however its scheme or path is disguised.
TEST(HTMLSanitizer, linkTargetsAreKeptExactlyWhereBothChecksKeepThem)
{
    using Use = HTMLSanitizer::Use;
    const char* urls[] = {"notes.html#x", "https://example.org/a.html", " javascript:alert(1)", "JaVaScRiPt:x",
                          "java\tscript:x", "\x01javascript:x", "vbscript:x", "livescript:x", "data:text/html,x",
                          "DATA:image/png,x", "file:///etc/passwd", "FILE:x", "/etc/passwd", "\\\\host\\x",
                          "../up.html", "a/../../up.html", "a/%2E%2e/b", "a/..x/b", "x?../y", "x#../y", "mailto:a@b",
                          "", " ", "1http:x", "h%74tp:x", "a\\..\\b", " /etc/passwd", "\t../up.html", ". ./x",
                          "fi le:///x"};
    const std::pair<const char*, const char*> places[] = {{"a", "href"}, {"area", "href"}, {"form", "action"},
                                                          {"img", "longdesc"}, {"img", "usemap"}};
    for (const char* url : urls) {
        for (auto [element, attribute] : places) {
            for (Use use : {Use::Document, Use::Export}) {
                bool expected = HTMLSanitizer::isSafeLinkTarget(url)
                    && !(use == Use::Export && HTMLSanitizer::leavesTheDocument(url));
                std::optional<std::string> kept = HTMLSanitizer::sanitizedAttribute(element, attribute, url, use);
                EXPECT_EQ(kept.has_value(), expected) << element << " " << attribute << " " << url;
                if (kept)
                    EXPECT_EQ(*kept, url);
            }
        }
    }
    EXPECT_FALSE(HTMLSanitizer::sanitizedAttribute("a", "href", " JavaScript:x", Use::Document));
    EXPECT_FALSE(HTMLSanitizer::sanitizedAttribute("a", "href", "../up.html", Use::Export));
    EXPECT_EQ(HTMLSanitizer::sanitizedAttribute("a", "href", "../up.html", Use::Document), "../up.html");
}

// Written with references, every character beyond ASCII in text takes the
// reference the engine's escaper gives it (named, numeric from U+0100 on,
// or itself), whichever way the sanitiser finds it; in an attribute only a
// line separator differs, since a line break element cannot stand there.
TEST(HTMLSanitizer, referencedCharactersAreTheEnginesEscapesForEveryCodePoint)
{
    using Characters = HTMLSanitizer::Characters;
    for (char32_t code = 0x80; code <= 0x10FFFF; code += code < 0x3000 ? 1 : 97) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        std::u16string units = code > 0xFFFF ? std::u16string{char16_t(0xD800 + ((code - 0x10000) >> 10)),
                                                              char16_t(0xDC00 + ((code - 0x10000) & 0x3FF))}
                                             : std::u16string(1, char16_t(code));
        std::string character = toUtf8(units);
        std::string text = "a" + character + "b";
        std::string written;
        HTMLSanitizer::appendText(written, text, false, Characters::References);
        ASSERT_EQ(written, stringByAddingHTMLEntitiesInText(std::string_view(text))) << std::hex << static_cast<std::uint32_t>(code);
        std::string attribute;
        HTMLSanitizer::appendText(attribute, text, true, Characters::References);
        ASSERT_EQ(attribute, code == 0x2028 ? std::string("a&#8232;b") : written) << std::hex << static_cast<std::uint32_t>(code);
    }
}

// A start tag is checked once per sanitising, and taken as first written
// only where it opens as it did: the same text nested where the tree
// builder moves it is read by libxml2; the same text sanitised for another
// use is checked again for that use.
TEST(HTMLSanitizer, aRepeatedStartTagIsCheckedForEachUseAndWhereverItStands)
{
    using Use = HTMLSanitizer::Use;
    std::string links = "<a href=\"javascript:alert(1)\">one</a> <a href=\"javascript:alert(1)\">two</a>";
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(links, Use::Export), "<a>one</a> <a>two</a>");
    std::string nested = "<a href=\"javascript:alert(1)\">one</a><span><a href=\"javascript:alert(1)\">two"
                         "<a href=\"javascript:alert(1)\">three</a></a></span>";
    std::string clean = HTMLSanitizer::sanitizedHTML(nested, Use::Export);
    EXPECT_EQ(clean.find("javascript"), std::string::npos) << clean;
    EXPECT_EQ(clean, HTMLSanitizer::sanitizedHTML("<!---->" + nested, Use::Export));
    for (const char* text : {"one", "two", "three"})
        EXPECT_NE(clean.find(text), std::string::npos) << text << " not in " << clean;

    std::string climbing = "<a href=\"../up.html\">a</a><a href=\"../up.html\">b</a>";
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(climbing, Use::Document), climbing);
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(climbing, Use::Export), "<a>a</a><a>b</a>");
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(climbing, Use::Document), climbing);
}

// A function of any name may wrap a picture, at any depth: what a paste or
// an editing page takes in loses the remote ones as an export does, and
// keeps the document's own.
TEST(HTMLSanitizer, picturesInsideAnyFunctionAreCheckedForEveryUse)
{
    using Use = HTMLSanitizer::Use;
    for (Use use : {Use::Document, Use::Insertion, Use::Export, Use::EditingPage, Use::PageCopy}) {
        EXPECT_EQ(HTMLSanitizer::sanitizedCSS("background:-webkit-cross-fade(url(http://x/a.png),url(b.png),50%)", use),
                  "background:-webkit-cross-fade(none,url(b.png),50%)");
        EXPECT_EQ(HTMLSanitizer::sanitizedCSS("background:filter(cross-fade(image-set('//x/c.png' 1x)),blur(1px))", use),
                  "background:filter(cross-fade(none),blur(1px))");
        std::string pasted = HTMLSanitizer::sanitizedHTML(
            "<p style=\"background:-webkit-filter(url(http://x/d.png),blur(2px))\">Pasted</p>", use);
        EXPECT_EQ(pasted.find("x/d.png"), std::string::npos) << pasted;
        EXPECT_NE(pasted.find("Pasted"), std::string::npos) << pasted;
    }
}

} // namespace
} // namespace folio
