#include "support/DocumentTestSupport.h"
#include "EPubTestSupport.h"
#include "support/ExportTestSupport.h"
#include "support/RequiredTool.h"

#include "export/epub/EPubExporter.h"
#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

namespace folio {
namespace {

using namespace testing_support;

class FixedMarkdown final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override
    {
        return u"<h1>Notes</h1>\n<p>" + markdown + u" &amp; more<br>line</p>\n<hr>\n";
    }
    std::u16string plainText(const std::u16string& markdown) override { return markdown; }
};

class EPubExportTest : public testing::Test {
protected:
    void SetUp() override { MarkdownConverter::setShared(std::make_shared<FixedMarkdown>()); }
    void TearDown() override { MarkdownConverter::setShared(nullptr); }

    std::string document(const std::string& name, std::string_view contents)
    {
        std::string path = m_scratch.path(name);
        writeFile(path, contents);
        return path;
    }

    static DKZipArchive openBook(const std::string& path)
    {
        Result<DKZipArchive> archive = DKZipArchive::open(path);
        EXPECT_TRUE(archive.ok()) << path;
        return std::move(*archive);
    }

    static std::string identifierOf(const DKZipArchive& book)
    {
        std::smatch match;
        std::string opf = entryText(book, "OPS/epb.opf");
        if (!std::regex_search(opf, match, std::regex("<dc:identifier id=\"BookId\">([^<]*)</dc:identifier>")))
            return {};
        return match[1];
    }

    static void expectValid(const std::string& book)
    {
        std::string report;
        int status = epubcheckStatus(book, &report);
        if (status == -1)
            return folio::test::missingToolForTest("epubcheck is not installed");
        EXPECT_EQ(status, 0) << report;
    }

    // The browser's export: the book in the temporary folder.
    Result<std::string> book(const std::string& path)
    {
        return exportFile(m_exporter, path, EPubExporter::temporaryPath(ExportSource(path)), &m_defaults);
    }

    EPubExporter m_exporter;
    ScratchFolder m_scratch{"epub-export"};
    UserDefaults m_defaults{m_scratch.path("prefs.plist")};
};

TEST_F(EPubExportTest, RichTextBookHasTheContainerLayoutAndItsPictures)
{
    std::string path = document("Essay.rtf", rtfWithPicture("Caf\\'e9 &amp; <tea>"));
    Result<std::string> made = book(path);
    ASSERT_TRUE(made.ok()) << made.error().message;
    EXPECT_EQ(std::filesystem::path(*made).filename(), "Essay.epub");

    // The container format wants "mimetype" first, stored, without extra
    // fields, so that its text sits at a fixed offset of the file.
    std::string bytes = readFile(*made);
    ASSERT_GT(bytes.size(), 58u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(bytes[8], 0);
    EXPECT_EQ(bytes[9], 0);
    EXPECT_EQ(bytes.substr(30, 8), "mimetype");
    EXPECT_EQ(bytes.substr(38, 20), "application/epub+zip");

    DKZipArchive archive = openBook(*made);
    std::vector<std::string> names = archive.entryNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "mimetype");
    for (const char* expected : {"META-INF/container.xml", "OPS/epb.opf", "OPS/epb.ncx", "OPS/toc.xhtml",
                                 "OPS/chapter-1.xhtml", "OPS/css/book.css"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    EXPECT_EQ(entryText(archive, "META-INF/container.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><container version=\"1.0\" "
              "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
              "full-path=\"OPS/epb.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>");

    std::vector<std::string> pictures;
    std::copy_if(names.begin(), names.end(), std::back_inserter(pictures),
                 [](const std::string& name) { return name.starts_with("OPS/data/") && name.ends_with(".png"); });
    ASSERT_EQ(pictures.size(), 1u);
    std::string picture = pictures.front().substr(std::string("OPS/").size());
    EXPECT_NE(entryText(archive, "OPS/chapter-1.xhtml").find("src=\"" + picture + "\""), std::string::npos);
    EXPECT_NE(entryText(archive, "OPS/epb.opf").find("href=\"" + picture + "\" media-type=\"image/png\""),
              std::string::npos);
    Result<Data> pictureBytes = archive.readEntry(pictures.front());
    ASSERT_TRUE(pictureBytes.ok());
    EXPECT_TRUE(Image::imageWithData(pictureBytes->vector()).ok());

    std::string chapter = entryText(archive, "OPS/chapter-1.xhtml");
    EXPECT_TRUE(isWellFormedXML(chapter)) << chapter;
    EXPECT_NE(chapter.find("<title>1 Chapter 1 | Essay</title>"), std::string::npos);
    EXPECT_NE(chapter.find("Caf\xC3\xA9 &amp;amp; &lt;tea&gt;"), std::string::npos) << chapter;
    expectValid(*made);
}

TEST_F(EPubExportTest, MarkupInTheNameStaysWellFormed)
{
    std::string path = document("Tom & Jerry <1>.rtf", "{\\rtf1\\ansi Chase\\par}");
    Result<std::string> made = book(path);
    ASSERT_TRUE(made.ok()) << made.error().message;
    DKZipArchive archive = openBook(*made);
    for (const char* name : {"OPS/epb.opf", "OPS/epb.ncx", "OPS/toc.xhtml", "OPS/chapter-1.xhtml"}) {
        std::string text = entryText(archive, name);
        EXPECT_TRUE(isWellFormedXML(text)) << name << "\n" << text;
    }
    EXPECT_NE(entryText(archive, "OPS/epb.opf").find("<dc:title>Tom &amp; Jerry &lt;1&gt;</dc:title>"),
              std::string::npos);
    EXPECT_NE(entryText(archive, "OPS/chapter-1.xhtml").find("1 Chapter 1 | Tom &amp; Jerry &lt;1&gt;"),
              std::string::npos);
    expectValid(*made);
}

TEST_F(EPubExportTest, MarkdownBookWithoutPicturesHasNoDataFolder)
{
    std::string path = document("Notes.md", "Hello");
    Result<std::string> made = book(path);
    ASSERT_TRUE(made.ok()) << made.error().message;
    DKZipArchive archive = openBook(*made);
    for (const std::string& name : archive.entryNames())
        EXPECT_FALSE(name.starts_with("OPS/data")) << name;
    std::string chapter = entryText(archive, "OPS/chapter-1.xhtml");
    EXPECT_NE(chapter.find("Hello &amp; more<br/>line"), std::string::npos) << chapter;
    EXPECT_EQ(chapter.find("<p>"), std::string::npos);
    EXPECT_TRUE(isWellFormedXML(chapter)) << chapter;
    expectValid(*made);
}

TEST_F(EPubExportTest, MarkdownFootnotesMakeAValidBook)
{
    class RealMarkdown final : public MarkdownConverter {
    public:
        std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
        std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown().plainText(markdown); }
    };
    MarkdownConverter::setShared(std::make_shared<RealMarkdown>());
    std::string path = document("Tides.md", "Low water at noon.[^1]\n\n[^1]: Measured at the north pier.\n");
    Result<std::string> made = book(path);
    ASSERT_TRUE(made.ok()) << made.error().message;
    std::string chapter = entryText(openBook(*made), "OPS/chapter-1.xhtml");
    // The note and the way back to where it is called are both still there.
    EXPECT_NE(chapter.find("Measured at the north pier."), std::string::npos) << chapter;
    EXPECT_NE(chapter.find("href=\"#fnref1\""), std::string::npos) << chapter;
    expectValid(*made);
}

TEST_F(EPubExportTest, QVTextBookCarriesTheContentAlone)
{
    std::string html = "<p>Checked &eacute;t&eacute;<br><input type=\"checkbox\" checked></p><ul><li>one<li>two</ul>";
    Result<Data> packed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    ASSERT_TRUE(packed.ok());
    std::string path = document("List.qvtext", std::string_view(reinterpret_cast<const char*>(packed->bytes()), packed->length()));
    Result<std::string> made = book(path);
    ASSERT_TRUE(made.ok()) << made.error().message;
    DKZipArchive archive = openBook(*made);
    std::string chapter = entryText(archive, "OPS/chapter-1.xhtml");
    EXPECT_TRUE(isWellFormedXML(chapter)) << chapter;
    EXPECT_NE(chapter.find("\xC3\xA9t\xC3\xA9"), std::string::npos) << chapter;
    EXPECT_EQ(chapter.find("<style"), std::string::npos);
    expectValid(*made);
}

TEST_F(EPubExportTest, EveryExportIsANewBook)
{
    std::string path = document("Essay.rtf", "{\\rtf1\\ansi Text\\par}");
    Result<std::string> first = book(path);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(std::filesystem::path(*first).filename(), "Essay.epub");
    std::string firstIdentifier = identifierOf(openBook(*first));
    Result<std::string> second = book(path);
    ASSERT_TRUE(second.ok());
    std::string secondIdentifier = identifierOf(openBook(*second));
    EXPECT_EQ(firstIdentifier.size(), 36u);
    EXPECT_NE(firstIdentifier, secondIdentifier);
    // The staging folders are gone; only the books stay in the temporary folder.
    for (const auto& entry : std::filesystem::directory_iterator(AppFolders::temporaryFolder()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("epub-")) << entry.path();
}

TEST_F(EPubExportTest, FailuresAnswerErrorsAndLeaveNoBook)
{
    Result<std::string> missing = book(m_scratch.path("Missing.rtf"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, EPubExporter::NoFile);

    std::string path = document("Broken.qvtext", "not a compressed page");
    Result<std::string> broken = book(path);
    ASSERT_FALSE(broken.ok());
    EXPECT_FALSE(FileManager::fileExists(AppFolders::temporaryFolder() + "/Broken.epub"));

    MarkdownConverter::setShared(nullptr);
    std::string notes = document("Later.md", "text");
    EXPECT_FALSE(book(notes).ok());
    EXPECT_FALSE(FileManager::fileExists(AppFolders::temporaryFolder() + "/Later.epub"));
}

TEST_F(EPubExportTest, CommandLineExportWritesTheBookWhereAsked)
{
    std::string path = document("Essay.rtf", "{\\rtf1\\ansi Text\\par}");
    std::string output = m_scratch.path("out.epub");
    writeFile(output, "old");
    // Other tests leave their books in the temporary folder.
    std::string besideTheOthers = AppFolders::temporaryFolder() + "/Essay.epub";
    std::filesystem::remove(besideTheOthers);
    Result<std::string> status = exportFile(m_exporter, path, output, &m_defaults);
    ASSERT_TRUE(status.ok()) << status.error().message;
    DKZipArchive archive = openBook(output);
    EXPECT_EQ(archive.entryNames().front(), "mimetype");
    EXPECT_FALSE(FileManager::fileExists(besideTheOthers));

    Result<std::string> failed = exportFile(m_exporter, m_scratch.path("Missing.rtf"), output, &m_defaults);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(archive.entryNames().front(), "mimetype");
    EXPECT_TRUE(DKZipArchive::open(output).ok());
}

// Links to bookmarks lead to them in the book: a Word table of contents, a
// place marked between words, a name no XML id can be. A link to a bookmark
// the document does not hold keeps its words, as text.
TEST_F(EPubExportTest, LinksToBookmarksLeadToThemAndNoLinkLeadsNowhere)
{
    std::string word = document("Contents.rtf", readFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-toc-fields.rtf"));
    std::string own = document("Marks.rtf",
                               "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\n"
                               "\\pard {\\field{\\*\\fldinst HYPERLINK \\\\l \"9 tides\"}{\\fldrslt the tides}} and "
                               "{\\field{\\*\\fldinst HYPERLINK \\\\l \"_Gone\"}{\\fldrslt nowhere}} and "
                               "{\\field{\\*\\fldinst HYPERLINK \\\\l \"Pier\"}{\\fldrslt the pier}}\\par\n"
                               "\\pard Tides {\\*\\bkmkstart 9 tides}{\\*\\bkmkend 9 tides}come twice.\\par\n"
                               "\\pard {\\*\\bkmkstart Pier}The north pier{\\*\\bkmkend Pier}\\par}");
    for (const std::string& path : {word, own}) {
        Result<std::string> made = book(path);
        ASSERT_TRUE(made.ok()) << made.error().message;
        expectValid(*made);
        if (path != own)
            continue;
        std::string chapter = entryText(openBook(*made), "OPS/chapter-1.xhtml");
        std::vector<std::string> targets;
        const std::regex internalLink("<a [^>]*href=\"#([^\"]*)\"");
        for (std::sregex_iterator link(chapter.begin(), chapter.end(), internalLink);
             link != std::sregex_iterator(); ++link) {
            targets.push_back((*link)[1]);
            EXPECT_NE(chapter.find("id=\"" + (*link)[1].str() + "\""), std::string::npos) << chapter;
        }
        EXPECT_EQ(targets.size(), 2u) << chapter;
        // Each target stands where its bookmark begins: no word between them.
        for (const char* words : {"come twice", "The north pier"}) {
            std::size_t at = chapter.find(words);
            std::size_t target = chapter.rfind(" id=\"", at);
            ASSERT_NE(target, std::string::npos) << chapter;
            std::string between = chapter.substr(target, at - target);
            EXPECT_EQ(std::regex_replace(between.substr(between.find('>') + 1), std::regex("<[^>]*>"), ""), "")
                << words << "\n" << chapter;
        }
        EXPECT_NE(chapter.find("nowhere"), std::string::npos) << chapter;
    }
}

} // namespace
} // namespace folio
