#include "EPubTestSupport.h"

#include "export/epub/EPubChapterMarkup.h"
#include "export/epub/EPubPackageWriter.h"

#include <gtest/gtest.h>

#include <regex>

namespace folio {
namespace {

using namespace testing_support;

EPubPackageInfo infoWithTitle(std::string title)
{
    EPubPackageInfo info;
    info.title = std::move(title);
    info.identifier = "0A1B2C3D-0000-4000-8000-000000000001";
    info.creator = "Folio & Co";
    info.date = "2024-05-06";
    info.modified = "2024-05-06T07:08:09Z";
    return info;
}

TEST(EPubPackageWriterTest, EveryFileIsWellFormedWithMarkupInTheValues)
{
    EPubPackageInfo info = infoWithTitle("Q&A <draft> \"one\" 'two'");
    info.pictures = {"image-1.png", "image-2.jpg", "notes.txt"};
    for (const std::string& text :
         {EPubPackageWriter::containerXML(), EPubPackageWriter::packageDocument(info),
          EPubPackageWriter::navigationControlFile(info), EPubPackageWriter::navigationDocument(info),
          EPubPackageWriter::chapterDocument(info, "<div>x<br/></div>")})
        EXPECT_TRUE(isWellFormedXML(text)) << text;

    std::string opf = EPubPackageWriter::packageDocument(info);
    EXPECT_NE(opf.find("<dc:title>Q&amp;A &lt;draft&gt; &quot;one&quot; &#39;two&#39;</dc:title>"), std::string::npos)
        << opf;
    EXPECT_NE(opf.find("<dc:creator id=\"creator\">Folio &amp; Co</dc:creator>"), std::string::npos);
    EXPECT_NE(opf.find("<dc:identifier id=\"BookId\">0A1B2C3D-0000-4000-8000-000000000001</dc:identifier>"),
              std::string::npos);
    EXPECT_NE(opf.find("<meta property=\"dcterms:modified\">2024-05-06T07:08:09Z</meta>"), std::string::npos);
    EXPECT_NE(opf.find("href=\"data/image-1.png\" media-type=\"image/png\""), std::string::npos);
    EXPECT_NE(opf.find("href=\"data/image-2.jpg\" media-type=\"image/jpeg\""), std::string::npos);
    EXPECT_EQ(opf.find("notes.txt"), std::string::npos);
    EXPECT_NE(opf.find("<spine toc=\"ncx\"><itemref idref=\"toc\" linear=\"yes\"/><itemref idref=\"chapter-1\" "
                       "linear=\"yes\"/></spine>"),
              std::string::npos);

    std::string ncx = EPubPackageWriter::navigationControlFile(info);
    EXPECT_NE(ncx.find("<meta name=\"dtb:uid\" content=\"0A1B2C3D-0000-4000-8000-000000000001\"/>"), std::string::npos);
    EXPECT_NE(ncx.find("<docTitle><text>Q&amp;A &lt;draft&gt;"), std::string::npos);
}

TEST(EPubPackageWriterTest, ChapterWrapsTheBodyUnderItsTitle)
{
    std::string chapter = EPubPackageWriter::chapterDocument(infoWithTitle("Essay"), "<p>Body</p>");
    EXPECT_TRUE(chapter.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_NE(chapter.find("<title>1 Chapter 1 | Essay</title>"), std::string::npos);
    EXPECT_NE(chapter.find("<meta name=\"EPB-UUID\" content=\"0A1B2C3D-0000-4000-8000-000000000001\"/>"),
              std::string::npos);
    EXPECT_TRUE(chapter.ends_with("</head><body><p>Body</p></body></html>"));
}

TEST(EPubPackageWriterTest, DatesUseTheirFormats)
{
    // 2021-03-04 05:06:07 UTC
    auto time = std::chrono::system_clock::from_time_t(1614834367);
    EXPECT_EQ(EPubPackageInfo::modifiedString(time), "2021-03-04T05:06:07Z");
    EXPECT_TRUE(std::regex_match(EPubPackageInfo::dateString(time), std::regex("2021-03-0[345]")));
}

TEST(EPubChapterMarkupTest, DecodesNamedEntitiesButKeepsWhatXMLKnows)
{
    EXPECT_EQ(EPubChapterMarkup::decodingEntities("caf&eacute; &amp; &lt;b&gt; &quot;q&quot; &apos;"),
              "caf\xC3\xA9 &amp; &lt;b&gt; &quot;q&quot; &apos;");
    EXPECT_EQ(EPubChapterMarkup::decodingEntities("&#60;tag&#x3E; &#233;"), "&#60;tag&#x3E; &#233;");
    // Names HTML does not know are text, not references.
    EXPECT_EQ(EPubChapterMarkup::decodingEntities("&LT;b&GT;"), "&amp;LT;b&amp;GT;");
    EXPECT_EQ(EPubChapterMarkup::decodingEntities("AT&T & &unknown; &#0; &#xZZ; &"),
              "AT&amp;T &amp; &amp;unknown; &amp;#0; &amp;#xZZ; &amp;");
    EXPECT_EQ(EPubChapterMarkup::closingLineBreaks("a<br>b<br/>c<br>"), "a<br/>b<br/>c<br/>");
}

TEST(EPubChapterMarkupTest, ContentIsAlwaysWellFormed)
{
    EXPECT_EQ(EPubChapterMarkup::xhtmlContent("<div>a &amp; b<br>c&nbsp;d</div>"),
              "<div>a &amp; b<br/>c\xC2\xA0" "d</div>");
    const char* broken[] = {
        "<p>one<p>two",
        "<img src=\"a.png\"><hr><input type=checkbox checked>",
        "<b><i>crossed</b></i>",
        "text with < alone and </unknown> end",
        "<a href='x?a=1&b=2'>link</a>",
    };
    for (const char* html : broken) {
        std::string content = EPubChapterMarkup::xhtmlContent(html);
        EXPECT_TRUE(EPubChapterMarkup::isWellFormedContent(content)) << html << " -> " << content;
        EXPECT_FALSE(content.empty()) << html;
    }
    EXPECT_EQ(EPubChapterMarkup::xhtmlContent("<p>one<p>two"), "<p>one</p><p>two</p>");
    EXPECT_NE(EPubChapterMarkup::xhtmlContent("<img src=\"a.png\"><hr>").find("<hr/>"), std::string::npos);
}

TEST(EPubChapterMarkupTest, DirectionTravelsInAttributesNotStyleSheets)
{
    bool rightToLeft = false;
    EXPECT_EQ(EPubChapterMarkup::withoutBidiDeclarations("color:red;DIRECTION: RTL ;font-family:'a;direction:ltr'",
                                                         &rightToLeft),
              "color:red;font-family:'a;direction:ltr'");
    EXPECT_TRUE(rightToLeft);
    EXPECT_EQ(EPubChapterMarkup::withoutBidiDeclarations("p{direction:ltr;unicode-bidi:embed}b{color:red}"),
              "p{}b{color:red}");
    EXPECT_EQ(EPubChapterMarkup::withoutBidiDeclarations("background:url(a;direction:rtl.png)"),
              "background:url(a;direction:rtl.png)");

    std::string content = EPubChapterMarkup::xhtmlContent(
        "<style>p{direction:rtl}</style><p style=\"direction:rtl;color:red\">\xD7\xA9</p>"
        "<p style=\"direction:ltr\">a</p><p dir=\"ltr\" style=\"direction:rtl\">b</p>");
    EXPECT_EQ(content.find("direction"), std::string::npos) << content;
    EXPECT_NE(content.find("<p style=\"color:red\" dir=\"rtl\">"), std::string::npos) << content;
    EXPECT_NE(content.find("<p dir=\"ltr\" style=\"\">b</p>"), std::string::npos) << content;
    EXPECT_TRUE(EPubChapterMarkup::isWellFormedContent(content));
}

TEST(EPubChapterMarkupTest, PicturesTheBookDoesNotHoldBecomeTheirText)
{
    std::vector<std::string> packed{"data/kept.png"};
    std::string content = EPubChapterMarkup::xhtmlContent(
        "<p><img src=\"data/kept.png\">A <img src=\"missing.png\" alt=\"a map\"> B "
        "<img src=\"../data/kept.png\"> C <img src=\"data:image/png;base64,AA==\"></p>",
        &packed);
    EXPECT_EQ(content, "<p><img src=\"data/kept.png\"/>A a map B  C <img src=\"data:image/png;base64,AA==\"/></p>");
    // Without a list of what the book holds, every picture stays.
    EXPECT_NE(EPubChapterMarkup::xhtmlContent("<img src=\"missing.png\">").find("missing.png"), std::string::npos);
}

} // namespace
} // namespace folio
