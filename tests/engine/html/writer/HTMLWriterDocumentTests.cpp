#include "engine/html/writer/TEHTMLWriter.h"

#include "HTMLWriterTestText.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace htmlwritertest;

constexpr std::u16string_view kDocumentEnd = u"</body>\n</html>\n";

std::u16string documentOf(const AttributedString& string)
{
    return TEHTMLWriter(string).HTMLString();
}

std::u16string fragmentOf(const AttributedString& string)
{
    return TEHTMLWriter(string).HTMLFragment();
}

// The body of a document: what follows "<body>\n", without the closing lines.
std::u16string bodyOf(const std::u16string& document)
{
    std::size_t start = document.find(u"<body>\n");
    std::size_t end = document.rfind(kDocumentEnd);
    if (start == std::u16string::npos || end == std::u16string::npos)
        return u"(not a document)";
    start += 7;
    return document.substr(start, end - start);
}

std::u16string styleBlockOf(const std::u16string& document)
{
    std::size_t start = document.find(u"<style type=\"text/css\">\n");
    std::size_t end = document.find(u"</style>");
    if (start == std::u16string::npos || end == std::u16string::npos)
        return u"(no style element)";
    start += 24;
    return document.substr(start, end - start);
}

TEST(HTMLWriterDocumentTests, emptyTextGivesEmptyFragmentAndBareDocument)
{
    AttributedString empty;
    EXPECT_EQ(u"", fragmentOf(empty));
    std::u16string document = documentOf(empty);
    EXPECT_EQ(u"", styleBlockOf(document));
    EXPECT_EQ(u"", bodyOf(document));
    expectGolden("empty-document.html", document);
}

TEST(HTMLWriterDocumentTests, trailingLineBreakWritesNoEmptyParagraph)
{
    std::u16string withBreak = fragmentOf(TestText().paragraph(u"One").build());
    std::u16string withoutBreak = fragmentOf(TestText().paragraph(u"One", {}, false).build());
    EXPECT_EQ(withoutBreak, withBreak);
    EXPECT_EQ(0u, countOf(withBreak, u"<br/>"));
    expectGolden("trailing-break-fragment.html", withBreak);
}

TEST(HTMLWriterDocumentTests, blankLineBetweenWordsKeepsItsOwnFont)
{
    AttributedString string = TestText()
                                  .paragraph(u"First")
                                  .add(u"\n", {{std::string(kCTFontAttributeName), font("Georgia", 20)}, baseStyle()})
                                  .paragraph(u"Second")
                                  .build();
    std::u16string fragment = fragmentOf(string);
    // Georgia at 20 points is 26px in CSS; the line keeps its own paragraph's
    // spacing.
    std::u16string blankLine = u"<div style=\"line-height:normal;font-family:&#39;Georgia&#39;,&#39;Georgia&#39;;font-size:26px;\"><br/></div>";
    std::size_t first = fragment.find(u">First</div>");
    std::size_t blank = fragment.find(blankLine);
    std::size_t second = fragment.find(u">Second</div>");
    ASSERT_NE(std::u16string::npos, first) << toUtf8(fragment);
    ASSERT_NE(std::u16string::npos, blank) << toUtf8(fragment);
    ASSERT_NE(std::u16string::npos, second) << toUtf8(fragment);
    EXPECT_LT(first, blank);
    EXPECT_LT(blank, second);
    expectGolden("blank-line-fragment.html", fragment);
}

TEST(HTMLWriterDocumentTests, markupCharactersOfTheTextAreEscapedAndFeffIsLeftAlone)
{
    AttributedString string = TestText().paragraph(u"a<b & c>d \uFEFFe").build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_NE(std::u16string::npos, fragment.find(u">a&#60;b &amp; c>d \uFEFFe</div>")) << toUtf8(fragment);
    EXPECT_EQ(0u, countOf(fragment, u"<b"));
    expectGolden("escaping-fragment.html", fragment);
}

TEST(HTMLWriterDocumentTests, featureInListTextDoesNotTurnIntoLessThanSigns)
{
    // A list item's U+FEFF placeholder in a text that also holds "<" must stay
    // a U+FEFF: it used to come out as one more "<" in every list item.
    auto list = listStyle(TECSSListStyleType::Disc);
    AttributedString string =
        TestText()
            .paragraph(u"1 < 2")
            .listItem(u"item", {{std::string(TETextIsListAttribute), listArray({list})},
                                {std::string(TETextListsAttribute), listArray({list})}})
            .build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_EQ(1u, countOf(fragment, u"&#60;"));
    EXPECT_EQ(1u, countOf(fragment, u"\uFEFF"));
}

TEST(HTMLWriterDocumentTests, lineSeparatorBecomesLineBreakElement)
{
    std::u16string fragment = fragmentOf(TestText().paragraph(u"up\u2028down").build());
    EXPECT_NE(std::u16string::npos, fragment.find(u">up<br/>down</div>")) << toUtf8(fragment);
    EXPECT_EQ(0u, countOf(fragment, u"\u2028"));
}

TEST(HTMLWriterDocumentTests, carriageReturnLineFeedLeavesAnEmptyLineBetween)
{
    AttributedString string = TestText()
                                  .add(u"One", {baseFont(), baseStyle()})
                                  .add(u"\r\n", {baseFont(), baseStyle()})
                                  .add(u"Two", {baseFont(), baseStyle()})
                                  .build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_EQ(1u, countOf(fragment, u"<br/></div>"));
    EXPECT_EQ(3u, countOf(fragment, u"<div"));
    expectGolden("crlf-fragment.html", fragment);
}

// A paragraph ends at a line feed or carriage return wherever it stands,
// and at nothing else: tabs and other control characters near it included.
TEST(HTMLWriterDocumentTests, paragraphsEndAtEveryPlaceOnlyAtLineEnds)
{
    for (char16_t end : {u'\n', u'\r'}) {
        for (std::size_t at = 1; at < 26; ++at) {
            std::u16string first = std::u16string(u"abcdefghijklmnopqrstuvwxyz").substr(0, at);
            first[at / 2] = u'\t';
            const std::u16string second = u"k\u0001lmnopq\u000Brs";
            AttributedString string =
                TestText().add(first + end + second, {baseFont(), baseStyle()}).build();
            std::u16string fragment = fragmentOf(string);
            EXPECT_EQ(2u, countOf(fragment, u"</div>")) << toUtf8(fragment);
            EXPECT_EQ(1u, countOf(fragment, u"\">" + first.substr(0, at / 2) +
                                                u"<span style=\"white-space:pre;\">\t</span>" +
                                                first.substr(at / 2 + 1) + u"</div>"));
            EXPECT_EQ(1u, countOf(fragment, u"\">klmnopqrs</div>"));
        }
    }
}

TEST(HTMLWriterDocumentTests, equalParagraphStylesShareAClassAndDivsComeBeforeSpans)
{
    PlatformParagraphStyle::Settings centred = readerStyleSettings();
    centred.alignment = TextAlignment::Center;
    AttributedString string =
        TestText()
            .paragraph(u"One")
            .paragraph(u"Two")
            .add(u"Three", {baseFont(), {std::string(kCTParagraphStyleAttributeName), paragraphStyle(centred)}})
            .add(u" red", {baseFont(),
                           {std::string(kCTParagraphStyleAttributeName), paragraphStyle(centred)},
                           {std::string(kCTForegroundColorAttributeName), ColorValue::make(Color::colorWithRed(1, 0, 0))}})
            .build();
    std::u16string document = documentOf(string);
    std::u16string body = bodyOf(document);
    EXPECT_EQ(2u, countOf(body, u"class=\"d1\"")) << toUtf8(body);
    EXPECT_EQ(1u, countOf(body, u"class=\"d2\""));
    EXPECT_EQ(1u, countOf(body, u"<span class=\"s1\">"));
    std::u16string block = styleBlockOf(document);
    EXPECT_EQ(0u, block.find(u"div.d1 {line-height:normal;font-family:"));
    EXPECT_NE(std::u16string::npos, block.find(u"div.d2 {text-align:center;line-height:normal;"));
    EXPECT_LT(block.find(u"div.d2"), block.find(u"span.s1 {"));
    expectGolden("style-classes-document.html", document);
}

TEST(HTMLWriterDocumentTests, tabsAreKeptVisibleInBothForms)
{
    AttributedString string = TestText().paragraph(u"a\tb").build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_NE(std::u16string::npos, fragment.find(u"a<span style=\"white-space:pre;\">\t</span>b")) << toUtf8(fragment);

    std::u16string document = documentOf(string);
    EXPECT_NE(std::u16string::npos, bodyOf(document).find(u"a<span class=\"Apple-tab-span\">\t</span>b"));
    EXPECT_NE(std::u16string::npos, styleBlockOf(document).find(u"span.Apple-tab-span {white-space:pre;}"));
    expectGolden("tab-document.html", document);

    std::u16string noTab = documentOf(TestText().paragraph(u"ab").build());
    EXPECT_EQ(std::u16string::npos, noTab.find(u"Apple-tab-span"));
}

TEST(HTMLWriterDocumentTests, doubleSpacesKeepTheirWidth)
{
    std::u16string two = fragmentOf(TestText().paragraph(u"a  b").build());
    EXPECT_NE(std::u16string::npos, two.find(u">a \u00A0b<")) << toUtf8(two);
    std::u16string three = fragmentOf(TestText().paragraph(u"a   b").build());
    EXPECT_NE(std::u16string::npos, three.find(u">a \u00A0 b<")) << toUtf8(three);

    TEHTMLWriter plain(TestText().paragraph(u"a  b").build());
    plain.setUseAppleConvertedSpace(false);
    EXPECT_NE(std::u16string::npos, plain.HTMLFragment().find(u">a  b<"));
}

TEST(HTMLWriterDocumentTests, attributeValuesKeepTheirSpacesAndTabs)
{
    // Only element content is touched up: a value with double blanks or a tab
    // reads back exactly as it was.
    AttributeValuePtr custom = StringMapValue::make({{"title", u"a  b\tc"}});
    AttributedString string =
        TestText().paragraph(u"x  y", {{std::string(TECustomAttributesAttribute), custom}}).build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_NE(std::u16string::npos, fragment.find(u"title=\"a  b\tc\"")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u">x \u00A0y<"));
}

TEST(HTMLWriterDocumentTests, onlyTheLineSeparatorOfItsFamilyBecomesALineBreak)
{
    // The ellipsis, the paragraph separator and the euro sign start as U+2028
    // does in UTF-8; they stay text, next to the separator too.
    std::u16string fragment = fragmentOf(TestText().paragraph(u"a\u2026b\u2029c\u20AC\u2028\u2026").build());
    EXPECT_NE(std::u16string::npos, fragment.find(u">a\u2026b\u2029c\u20AC<br/>\u2026</div>")) << toUtf8(fragment);
    EXPECT_EQ(1u, countOf(fragment, u"<br/>"));
}

TEST(HTMLWriterDocumentTests, exportDataIsTheFragmentInUtf8)
{
    // Characters of every UTF-8 length beside the ones the writer replaces,
    // in text and in an attribute value, and placeholders the export drops.
    AttributeValuePtr custom = StringMapValue::make({{"title", u"\u00e9  \t\u2028\U0001F600"}});
    AttributedString string = TestText()
                                  .paragraph(u"\uFEFF\u00e9\t\u20AC  \U0001F600\u2028x<&\uFEFF\uFEFFy\uFEFF",
                                             {{std::string(TECustomAttributesAttribute), custom}})
                                  .paragraph(u"\u0434\u0430 \u2014 \u00A0")
                                  .build();
    TEHTMLWriterSettings exported;
    exported.listsNotesAtEnd = true;
    exported.keepsPlaceholders = false;
    const std::string data = htmlData(string, exported);
    EXPECT_EQ(data, toUtf8(htmlString(string, exported)));
    EXPECT_NE(std::string::npos, data.find("title=\"\xC3\xA9  \t\xE2\x80\xA8\xF0\x9F\x98\x80\"")) << data;
    EXPECT_NE(std::string::npos,
              data.find(">\xC3\xA9<span style=\"white-space:pre;\">\t</span>\xE2\x82\xAC \xC2\xA0\xF0\x9F\x98\x80<br/>"
                        "x&#60;&amp;y<"))
        << data;
    EXPECT_EQ(std::string::npos, data.find("\xEF\xBB\xBF"));

    // A writer asked for its bytes first answers the same fragment in both forms.
    TEHTMLWriter writer(string, exported);
    EXPECT_EQ(writer.HTMLFragmentData(), data);
    EXPECT_EQ(writer.HTMLFragment(), toUtf16(data));
}

TEST(HTMLWriterDocumentTests, writerBuildsOnceWhicheverFormIsAskedFirst)
{
    AttributedString string = TestText().paragraph(u"Hello").build();
    TEHTMLWriter writer(string);
    std::u16string fragment = writer.HTMLFragment();
    EXPECT_EQ(fragment, writer.HTMLString());
    EXPECT_EQ(fragmentOf(string), fragment);

    TEHTMLWriter other(string);
    std::u16string document = other.HTMLString();
    EXPECT_EQ(document, other.HTMLFragment());
    EXPECT_NE(fragment, document);

    EXPECT_EQ(document, htmlString(string));
    EXPECT_EQ(fragment, htmlFragment(string));
}

TEST(HTMLWriterDocumentTests, paragraphDirectionAndHeadings)
{
    PlatformParagraphStyle::Settings rightToLeft = readerStyleSettings();
    rightToLeft.baseWritingDirection = WritingDirection::RightToLeft;
    AttributedString string =
        TestText()
            .paragraph(u"Title", {{std::string(TEHeaderLevelAttribute), IntegerValue::make(2)}})
            .add(u"Right", {baseFont(), {std::string(kCTParagraphStyleAttributeName), paragraphStyle(rightToLeft)}})
            .add(u"\n", {baseFont()})
            .add(u"No style", {baseFont()})
            .build();
    std::u16string fragment = fragmentOf(string);
    EXPECT_NE(std::u16string::npos, fragment.find(u"<h2 dir=\"auto\" style=")) << toUtf8(fragment);
    EXPECT_NE(std::u16string::npos, fragment.find(u">Title</h2>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"<div dir=\"rtl\" style=\"line-height:normal;direction:rtl;"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"<div style=\"font-family:"));
}

TEST(HTMLWriterDocumentTests, customParagraphAttributesCoveringTheParagraphAreWritten)
{
    AttributeValuePtr classes = StringMapValue::make({{"class", u"note\n  aside"}, {"id", u"p\"1"}});
    AttributedString string =
        TestText().paragraph(u"Noted", {{std::string(TECustomAttributesAttribute), classes}}).build();
    std::u16string document = documentOf(string);
    EXPECT_NE(std::u16string::npos, bodyOf(document).find(u"<div class=\"d1 note aside\" dir=\"auto\" id=\"p&quot;1\">"))
        << toUtf8(document);
    std::u16string fragment = fragmentOf(string);
    EXPECT_NE(std::u16string::npos, fragment.find(u"id=\"p&quot;1\""));
    // The span of the same attributes would say nothing new.
    EXPECT_EQ(0u, countOf(fragment, u"<span"));
}

// Paragraphs whose first runs have equal attributes start alike, as
// separate objects or not, except where one mixes fonts (its element then
// names none) or carries HTML attributes of its own.
TEST(HTMLWriterDocumentTests, paragraphsStartAlikeOnlyWhereTheirAttributesAndFontsAgree)
{
    AttributeValuePtr bold = font("Helvetica-Bold", 12);
    AttributedString string =
        TestText()
            .paragraph(u"one")
            .add(u"two ", {baseFont(), baseStyle()})
            .add(u"bold", {{std::string(kCTFontAttributeName), bold}, baseStyle()})
            .add(u"\n", {baseFont(), baseStyle()})
            .paragraph(u"three")
            .paragraph(u"four", {{std::string(TECustomAttributesAttribute), StringMapValue::make({{"id", u"x"}})}})
            .paragraph(u"five", {}, false)
            .build();
    const std::u16string uniform = u"<div dir=\"auto\" style=\"line-height:normal;font-family:";
    const std::u16string mixed = u"<div dir=\"auto\" style=\"line-height:normal;\">";
    std::u16string fragment = fragmentOf(string);
    EXPECT_EQ(3u, countOf(fragment, uniform + u"&#39;Helvetica&#39;")) << toUtf8(fragment);
    EXPECT_EQ(1u, countOf(fragment, mixed + u"<span"));
    EXPECT_EQ(1u, countOf(fragment, u"<div dir=\"auto\" id=\"x\" style=\"line-height:normal;font-family:"));
    EXPECT_LT(fragment.find(mixed), fragment.find(u"three"));

    std::u16string body = bodyOf(documentOf(string));
    EXPECT_NE(std::u16string::npos, body.find(u"<div class=\"d1\" dir=\"auto\">one</div>")) << toUtf8(body);
    EXPECT_NE(std::u16string::npos, body.find(u"<div class=\"d2\" dir=\"auto\"><span"));
    EXPECT_NE(std::u16string::npos, body.find(u"<div class=\"d1\" dir=\"auto\">three</div>"));
    EXPECT_NE(std::u16string::npos, body.find(u"<div class=\"d1\" dir=\"auto\" id=\"x\">four</div>"));
    EXPECT_NE(std::u16string::npos, body.find(u"<div class=\"d1\" dir=\"auto\">five</div>"));
}

TEST(HTMLWriterDocumentTests, fontNamesCannotBreakOutOfTheStyleElement)
{
    auto shared = std::make_shared<FakeFontCatalog>();
    FontFace face;
    face.postScriptName = "Evil</style><script>";
    face.familyName = "Evil</style><script>";
    face.styleName = "Regular";
    face.weight = 400;
    shared->addFace(face, FontMetrics{0.8, 0.2, 0, -0.1, 0.05, 0.5, 0.7});
    std::optional<Font> evil = Font::fontWithName("Evil</style><script>", 12, shared);
    ASSERT_TRUE(evil.has_value());
    AttributedString string = TestText()
                                  .add(u"x", {{std::string(kCTFontAttributeName), FontAttributeValue::make(*evil)}})
                                  .build();
    std::u16string document = documentOf(string);
    EXPECT_EQ(1u, countOf(document, u"</style>")) << toUtf8(document);
    EXPECT_EQ(0u, countOf(document, u"<script>"));
}


TEST(HTMLWriterStyleClassTests, classesNumberPerElementInOrderOfFirstUse)
{
    HTMLStyleClassTable table;
    EXPECT_EQ("h1", table.classForElement("h1", "color:red;"));
    EXPECT_EQ("h1", table.classForElement("h2", "color:blue;"));
    EXPECT_EQ("h2", table.classForElement("h2", "color:green;"));
    EXPECT_EQ("h1", table.classForElement("h1", "color:red;"));
    EXPECT_EQ("d1", table.classForElement("div", "margin:0;"));
    EXPECT_EQ("div.d1 {margin:0;}\n"
              "h1.h1 {color:red;}\n"
              "h2.h1 {color:blue;}\n"
              "h2.h2 {color:green;}\n",
              table.styleBlock());
    table.clear();
    EXPECT_EQ("", table.styleBlock());
    EXPECT_EQ("d1", table.classForElement("div", "other;"));
}

} // namespace
} // namespace folio
