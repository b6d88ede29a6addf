#include "engine/html/writer/TEHTMLWriter.h"

#include "HTMLWriterTestText.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace folio {
namespace {

using namespace htmlwritertest;

using Entry = AttributeDictionary::Entry;

Entry link(std::string url)
{
    return {std::string(TELinkAttribute), URLValue::make(std::move(url))};
}
Entry anchor(std::u16string name)
{
    return {std::string(TEAnchorAttribute), text(std::move(name))};
}
Entry color(std::string_view key, Color value)
{
    return {std::string(key), ColorValue::make(std::move(value))};
}
Entry custom(StringMapValue::Map map)
{
    return {std::string(TECustomAttributesAttribute), StringMapValue::make(std::move(map))};
}

std::u16string runFragmentOf(const TestText& text)
{
    return TEHTMLWriter(text.build()).HTMLFragment();
}

TEST(HTMLWriterRunTests, linkOverTwoRunsIsOneElement)
{
    TestText text;
    text.add(u"see ", {baseFont(), baseStyle()})
        .add(u"the ", {baseFont(), baseStyle(), link("https://example.org/a?x=1")})
        .add(u"page", {baseFont(), baseStyle(), link("https://example.org/a?x=1"),
                       color(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1))})
        .add(u" now", {baseFont(), baseStyle()});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_EQ(1u, countOf(fragment, u"<a "));
    EXPECT_EQ(1u, countOf(fragment, u"</a>"));
    EXPECT_NE(std::u16string::npos,
              fragment.find(u"see <a href=\"https://example.org/a?x=1\" style=\"color:inherit;text-decoration:none;\">the <span style=\"color:#0000ff;\">page</span></a> now"))
        << toUtf8(fragment);
    expectGolden("link-across-runs-fragment.html", fragment);
}

// Runs share the style of equal attributes, each made on its own as
// readers make them, and never the style of attributes that differ.
TEST(HTMLWriterRunTests, runsOfEqualAttributesShareAStyleAndOthersKeepTheirOwn)
{
    const Color red = Color::colorWithRed(1, 0, 0);
    const Color blue = Color::colorWithRed(0, 0, 1);
    TestText text;
    text.add(u"one", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, red)})
        .add(u"two", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, blue)})
        .add(u"three", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, red)})
        .add(u"four", {baseFont(), baseStyle(), color(NSBackgroundColorAttributeName, red)})
        .add(u"five", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, blue)});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos,
              fragment.find(u"<span style=\"color:#ff0000;\">one</span><span style=\"color:#0000ff;\">two</span>"
                            u"<span style=\"color:#ff0000;\">three</span>"
                            u"<span style=\"background-color:#ff0000;\">four</span>"
                            u"<span style=\"color:#0000ff;\">five</span>"))
        << toUtf8(fragment);
}

TEST(HTMLWriterRunTests, adjacentLinksToDifferentQueriesStayApart)
{
    TestText text;
    text.add(u"one", {baseFont(), baseStyle(), link("https://example.org/p?page=1")})
        .add(u"two", {baseFont(), baseStyle(), link("https://example.org/p?page=2")})
        .add(u"three", {baseFont(), baseStyle(), link("https://example.org/p#end")});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_EQ(3u, countOf(fragment, u"<a "));
    EXPECT_EQ(3u, countOf(fragment, u"</a>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"<a href=\"https://example.org/p?page=2\" style=\"color:inherit;text-decoration:none;\">two</a>")) << toUtf8(fragment);
}

TEST(HTMLWriterRunTests, linkAcrossParagraphsClosesInEachParagraph)
{
    TestText text;
    text.add(u"first", {baseFont(), baseStyle(), link("https://example.org/")})
        .add(u"\n", {baseFont(), baseStyle(), link("https://example.org/")})
        .add(u"second", {baseFont(), baseStyle(), link("https://example.org/")})
        .add(u" plain", {baseFont(), baseStyle()});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos, fragment.find(u"<a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\">first</a></div>")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"<a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\">second</a> plain</div>"));
}

TEST(HTMLWriterRunTests, anchorsAreNamedLinksAndRepeatedNamesStillClose)
{
    TestText text;
    text.add(u"top", {baseFont(), baseStyle(), anchor(u"here")})
        .add(u" middle ", {baseFont(), baseStyle()})
        .add(u"again", {baseFont(), baseStyle(), anchor(u"here")})
        .add(u" end", {baseFont(), baseStyle()});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_EQ(2u, countOf(fragment, u"<a name=\"here\">"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"<a name=\"here\">again</a> end")) << toUtf8(fragment);
}

TEST(HTMLWriterRunTests, linkTargetsAndCustomValuesAreEscaped)
{
    TestText text;
    text.add(u"x", {baseFont(), baseStyle(), link("https://example.org/?a=1&b=\"><script>")})
        .add(u"y", {baseFont(), baseStyle(), custom({{"title", u"it's <b>&\"bold\""}})})
        .add(u"z", {baseFont(), baseStyle(), custom({{"x onclick=\"run()\"", u"v"}})});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos, fragment.find(u"href=\"https://example.org/?a=1&amp;b=&quot;&gt;&lt;script&gt;\""))
        << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"title=\"it&#39;s &lt;b&gt;&amp;&quot;bold&quot;\""));
    EXPECT_EQ(0u, countOf(fragment, u"<script"));
    EXPECT_EQ(0u, countOf(fragment, u" onclick="));
    EXPECT_EQ(0u, countOf(fragment, u"<b>"));
}

TEST(HTMLWriterRunTests, runStylesInOrder)
{
    TestText text;
    text.add(u"styled", {baseFont(),
                         baseStyle(),
                         {std::string(kCTKernAttributeName), DoubleValue::make(2)},
                         color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0)),
                         color(NSBackgroundColorAttributeName, Color::colorWithRed(0, 1, 0)),
                         {std::string(kCTUnderlineStyleAttributeName), IntegerValue::make(1)},
                         {std::string(TEStrikeOutAttribute), BoolValue::make(true)},
                         {std::string(kCTSuperscriptAttributeName), IntegerValue::make(-1)}});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos,
              fragment.find(u"<span style=\"letter-spacing:2px;color:#ff0000;background-color:#00ff00;"
                            u"text-decoration:underline line-through;vertical-align:sub;\">styled</span>"))
        << toUtf8(fragment);
}

TEST(HTMLWriterRunTests, whiteBackgroundStrikeAndSuperscriptValues)
{
    TestText text;
    text.add(u"a", {baseFont(), baseStyle(), color(NSBackgroundColorAttributeName, Color::colorWithWhite(1)),
                    {std::string(TEStrikeOutAttribute), BoolValue::make(true)},
                    {std::string(kCTSuperscriptAttributeName), IntegerValue::make(1)}})
        .add(u"b", {baseFont(), baseStyle(), {std::string(TEStrikeOutAttribute), BoolValue::make(false)},
                    {std::string(kCTSuperscriptAttributeName), IntegerValue::make(3)}});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos,
              fragment.find(u"<span style=\"text-decoration:line-through;vertical-align:super;\">a</span>"))
        << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"<span style=\"vertical-align:baseline;\">b</span>"));
}

TEST(HTMLWriterRunTests, mixedFontsGoOnTheRunsNotTheParagraph)
{
    TestText text;
    text.add(u"plain ", {baseFont(), baseStyle()})
        .add(u"bold", {{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)}, baseStyle()});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos, fragment.find(u"<div dir=\"auto\" style=\"line-height:normal;\">")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"font-size:18px;font-weight:bold;\">bold</span>"));
    EXPECT_EQ(2u, countOf(fragment, u"<span"));
}

TEST(HTMLWriterRunTests, sharedRunAttributesNameTheirFontOnlyWhereTheParagraphDoesNot)
{
    // One dictionary object under both runs, as the RTF reader shares it:
    // the first paragraph's font is uniform and written on the element, the
    // second mixes fonts, so the same attributes need the font on their span.
    AttributeDictionaryPtr red = AttributeDictionary::make(
        {baseFont(), baseStyle(), {std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(1, 0, 0))}});
    MutableAttributedString text;
    text.appendString(u"red", red);
    text.appendString(u"\n", AttributeDictionary::make({baseFont(), baseStyle()}));
    text.appendString(u"bold ", AttributeDictionary::make({{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)}, baseStyle()}));
    text.appendString(u"red again", red);
    std::u16string fragment = TEHTMLWriter(text).HTMLFragment();
    EXPECT_NE(std::u16string::npos, fragment.find(u"<span style=\"color:#ff0000;\">red</span>")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"font-size:18px;color:#ff0000;\">red again</span>"));
}

// A run may hold several paragraphs and a paragraph several runs: the font
// goes on the element where every run of the paragraph has it, whether one
// run or several equal ones carry it, and on the spans where it changes or
// a run has none.
TEST(HTMLWriterRunTests, theParagraphTakesTheFontOnlyWhereAllItsTextHasIt)
{
    MutableAttributedString text;
    text.appendString(u"one\ntwo\nth", AttributeDictionary::make({baseFont(), baseStyle()}));
    text.appendString(u"ree\n", AttributeDictionary::make({baseFont(), baseStyle(),
                                                          {"TEUnrelated", IntegerValue::make(1)}}));
    text.appendString(u"no font", AttributeDictionary::make({baseStyle()}));
    text.appendString(u"\nfont ", AttributeDictionary::make({baseFont(), baseStyle()}));
    text.appendString(u"none", AttributeDictionary::make({baseStyle()}));
    std::u16string fragment = TEHTMLWriter(text).HTMLFragment();
    const std::u16string helvetica = u"font-family:&#39;Helvetica&#39;,&#39;Helvetica&#39;;font-size:18px;";
    EXPECT_NE(std::u16string::npos, fragment.find(helvetica + u"\">one</div>")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(helvetica + u"\">two</div>"));
    EXPECT_NE(std::u16string::npos, fragment.find(helvetica + u"\">three</div>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"\">no font</div>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"<span style=\"" + helvetica + u"\">font </span>none</div>"));
    EXPECT_EQ(5u, countOf(fragment, u"<div"));
    EXPECT_EQ(4u, countOf(fragment, helvetica));
}

// Runs whose attributes differ only in their links, as the paragraphs of a
// list differ only in their lists, share one span start tag; each run still
// writes its own language and bookmark, whatever values it shares besides.
TEST(HTMLWriterRunTests, runsOfSharedValuesWithLinksOfTheirOwnKeepTheirOwnLanguageAndBookmark)
{
    const Entry french{std::string(kCTLanguageAttributeName), text(u"fr")};
    const Entry german{std::string(kCTLanguageAttributeName), text(u"de")};
    const Entry red = color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0));
    auto bookmark = [](std::u16string name) { return Entry{std::string(TEBookmarkAttribute), text(std::move(name))}; };
    // One value each, shared by every run, as a reader shares them.
    const Entry font = baseFont();
    const Entry style = baseStyle();
    TestText text;
    text.add(u"un", {font, style, red, french, link("https://example.org/1")})
        .add(u" eins", {font, style, red, german, link("https://example.org/2")})
        .add(u" deux", {font, style, red, french, link("https://example.org/3")})
        .add(u" zwei", {font, style, red, german, bookmark(u"z"), link("https://example.org/4")})
        .add(u" drei", {font, style, red, german, bookmark(u"d"), link("https://example.org/5")})
        .add(u" trois", {font, style, red, french});
    const std::u16string fragment = runFragmentOf(text);
    const std::u16string frenchTag = u"<span lang=\"fr\" style=\"color:#ff0000;\">";
    const std::u16string germanTag = u"<span lang=\"de\" style=\"color:#ff0000;\">";
    for (const auto& [url, tag, words] : std::vector<std::tuple<std::u16string, std::u16string, std::u16string>>{
             {u"1", frenchTag, u"un"},
             {u"2", germanTag, u" eins"},
             {u"3", frenchTag, u" deux"},
             {u"4", u"<span data-bookmark=\"z\" lang=\"de\" style=\"color:#ff0000;\">", u" zwei"},
             {u"5", u"<span data-bookmark=\"d\" lang=\"de\" style=\"color:#ff0000;\">", u" drei"}}) {
        EXPECT_NE(std::u16string::npos, fragment.find(u"<a href=\"https://example.org/" + url
                                                      + u"\" style=\"color:inherit;text-decoration:none;\">" + tag
                                                      + words + u"</span></a>"))
            << toUtf8(words) << " in " << toUtf8(fragment);
    }
    EXPECT_NE(std::u16string::npos, fragment.find(frenchTag + u" trois</span>")) << toUtf8(fragment);
}

TEST(HTMLWriterRunTests, unstyledRunsKeepTheirTextLinksAndOwnAttributes)
{
    TestText text;
    text.add(u"plain ", {baseFont(), baseStyle()})
        .add(u"red", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))})
        .add(u" bold", {{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)}, baseStyle()})
        .add(u" marked", {baseFont(), baseStyle(), custom({{"data-x", u"1"}})})
        .add(u" go", {baseFont(), baseStyle(), link("https://example.org/")});
    TEHTMLWriterSettings settings;
    settings.stylesRuns = false;
    std::u16string fragment = TEHTMLWriter(text.build(), settings).HTMLFragment();
    EXPECT_NE(std::u16string::npos,
              fragment.find(u">plain red bold<span data-x=\"1\"> marked</span><a href=\"https://example.org/\"> go</a></div>"))
        << toUtf8(fragment);
    EXPECT_EQ(0u, countOf(fragment, u"color:"));
}

// Runs written side by side without a span between them are one text to
// the finishing: blanks pair across their boundary, and tabs and line
// separators of each still turn into their elements.
TEST(HTMLWriterRunTests, blanksPairAcrossRunsWrittenSideBySide)
{
    TestText text;
    text.add(u"one ", {baseFont(), baseStyle()})
        .add(u" two\t", {baseFont(), baseStyle(), color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))})
        .add(u"  three \u2028", {{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)}, baseStyle()})
        .add(u" four", {baseFont(), baseStyle()});
    TEHTMLWriterSettings settings;
    settings.stylesRuns = false;
    std::u16string fragment = TEHTMLWriter(text.build(), settings).HTMLFragment();
    EXPECT_NE(std::u16string::npos,
              fragment.find(u">one \u00A0two<span style=\"white-space:pre;\">\t</span> \u00A0three <br/> four</div>"))
        << toUtf8(fragment);
    // A writer that keeps blanks as they are pairs none of them.
    TEHTMLWriter plain(text.build(), settings);
    plain.setUseAppleConvertedSpace(false);
    EXPECT_NE(std::u16string::npos, plain.HTMLFragment().find(u">one  two<span")) << toUtf8(plain.HTMLFragment());
}

TEST(HTMLWriterRunTests, printLowersFontSizesByTwo)
{
    TestText text;
    text.add(u"plain ", {baseFont(), baseStyle()})
        .add(u"bold", {{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)}, baseStyle()})
        .add(u"\n", {baseFont(), baseStyle()})
        .add(u"uniform", {baseFont(), baseStyle()});
    TEHTMLWriterSettings print;
    print.forPrint = true;
    std::u16string fragment = TEHTMLWriter(text.build(), print).HTMLFragment();
    EXPECT_EQ(3u, countOf(fragment, u"font-size:16px;")) << toUtf8(fragment);
    EXPECT_EQ(0u, countOf(fragment, u"font-size:18px;"));
}

TEST(HTMLWriterRunTests, textScaleDividesSizesAndSpacing)
{
    PlatformParagraphStyle::Settings spaced = readerStyleSettings();
    spaced.paragraphSpacing = 25;
    TestText text;
    text.add(u"a", {baseFont(), {std::string(kCTParagraphStyleAttributeName), paragraphStyle(spaced)},
                    {std::string(kCTKernAttributeName), DoubleValue::make(4)}});
    TEHTMLWriter writer(text.build());
    writer.setTextScale(2);
    std::u16string fragment = writer.HTMLFragment();
    // 25 / 2 rounds half away from zero; the 18px font becomes 9px.
    EXPECT_NE(std::u16string::npos, fragment.find(u"margin-bottom:13px;")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u"font-size:9px;"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"letter-spacing:2px;"));
}

TEST(HTMLWriterRunTests, customSpanAttributesAndClassesInDocuments)
{
    TestText text;
    text.add(u"a", {baseFont(), baseStyle(), custom({{"class", u"mark"}, {"data-x", u"1"}}),
                    color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0))})
        .add(u"b", {baseFont(), baseStyle()});
    std::u16string document = TEHTMLWriter(text.build()).HTMLString();
    EXPECT_NE(std::u16string::npos, document.find(u"<span class=\"s1 mark\" data-x=\"1\">a</span>b"))
        << toUtf8(document);
    EXPECT_NE(std::u16string::npos, document.find(u"span.s1 {color:#ff0000;}"));
}

TEST(HTMLWriterRunTests, customAttributesOfTheWholeLinkGoOnTheLink)
{
    TestText text;
    text.add(u"x ", {baseFont(), baseStyle()})
        .add(u"go", {baseFont(), baseStyle(), link("https://example.org/"), custom({{"target", u"_blank"}})})
        .add(u"ne", {baseFont(), baseStyle(), link("https://example.org/"), custom({{"target", u"_blank"}}),
                     color(kCTForegroundColorAttributeName, Color::colorWithRed(0, 0, 1))});
    std::u16string fragment = runFragmentOf(text);
    EXPECT_NE(std::u16string::npos,
              fragment.find(u"<a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\" target=\"_blank\">go<span style=\"color:#0000ff;\">ne</span></a>"))
        << toUtf8(fragment);
}

// An exported file leaves the editing page's data out but keeps what its
// reader uses: runs whose attributes differ only in that data share a start
// tag, and a bookmark or a title of a run's own still stands on its span.
TEST(HTMLWriterRunTests, exportedRunsKeepTheirOwnBookmarksAndTitlesButNoPageData)
{
    auto bookmark = [](std::u16string name) { return Entry{std::string(TEBookmarkAttribute), text(std::move(name))}; };
    const Entry red = color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0));
    TestText text;
    text.add(u"a", {baseFont(), baseStyle(), red, custom({{"data-x", u"1"}})})
        .add(u"b", {baseFont(), baseStyle(), red, custom({{"data-x", u"2"}})})
        .add(u"c", {baseFont(), baseStyle(), red, bookmark(u"first")})
        .add(u"d", {baseFont(), baseStyle(), red, bookmark(u"second")})
        .add(u"e", {baseFont(), baseStyle(), red, custom({{"data-x", u"1"}, {"title", u"one"}})})
        .add(u"f", {baseFont(), baseStyle(), red, custom({{"data-x", u"1"}, {"title", u"two"}})});
    TEHTMLWriterSettings settings;
    settings.exported = true;
    const std::string html = htmlData(text.build(), settings);
    EXPECT_EQ(std::string::npos, html.find("data-x")) << html;
    for (const char* run : {">a<", ">b<", "\"first\"", "\"second\"", "\"one\"", "\"two\""})
        EXPECT_EQ(1u, countOf(toUtf16(html), toUtf16(run))) << run << "\n" << html;
    for (const char* tag : {"<span data-bookmark=\"first\"", "<span data-bookmark=\"second\"", "title=\"one\"",
                            "title=\"two\""})
        EXPECT_NE(std::string::npos, html.find(tag)) << tag << "\n" << html;
    // The two runs told apart by their page data alone start alike.
    const std::size_t a = html.find(">a<");
    const std::size_t b = html.find(">b<");
    ASSERT_NE(std::string::npos, b);
    EXPECT_EQ(html.substr(html.rfind('<', a), a - html.rfind('<', a)), html.substr(html.rfind('<', b), b - html.rfind('<', b)))
        << html;
}

// An exported file keeps or drops each attribute by its element, name and
// value together: one value under names the export treats apart is written
// as each name asks, whichever run comes first.
TEST(HTMLWriterRunTests, exportedAttributesAreKeptOrDroppedByNameAndValueTogether)
{
    const Entry red = color(kCTForegroundColorAttributeName, Color::colorWithRed(1, 0, 0));
    TestText text;
    text.add(u"a", {baseFont(), baseStyle(), red, custom({{"title", u"x();"}})})
        .add(u"b", {baseFont(), baseStyle(), red, custom({{"onclick", u"x();"}})})
        .add(u"c", {baseFont(), baseStyle(), red, custom({{"onmouseover", u"x();"}, {"title", u"x();"}})})
        .add(u"d", {baseFont(), baseStyle(), red, custom({{"title", u"y"}})});
    TEHTMLWriterSettings settings;
    settings.exported = true;
    const std::u16string html = toUtf16(htmlData(text.build(), settings));
    EXPECT_EQ(2u, countOf(html, u"title=\"x();\"")) << toUtf8(html);
    EXPECT_EQ(1u, countOf(html, u"title=\"y\"")) << toUtf8(html);
    EXPECT_EQ(std::u16string::npos, html.find(u"onclick")) << toUtf8(html);
    EXPECT_EQ(std::u16string::npos, html.find(u"onmouseover")) << toUtf8(html);
}

} // namespace
} // namespace folio
