#include "documents/DocumentSeeds.h"
#include "platform/foundation/ZipArchive.h"

#include "export/epub/EPubTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

// Markup from a document that other readers take differently from the
// editing page, exported by the program itself as a person would.
class HostileMarkupExport : public testing::Test {
protected:
    // The document of that kind ("md" or "qvtext") holding `markup`.
    std::string document(const std::string& name, const std::string& kind, const std::string& markup)
    {
        std::string path = m_folder.path(name + "." + kind);
        if (kind == "md") {
            writeFile(path, markup);
        } else {
            Result<Data> page = DocumentSeeds::compressedPage(markup);
            EXPECT_TRUE(page.ok());
            writeFile(path, page ? page->stringView() : std::string_view());
        }
        return path;
    }

    // The text a reader of the exported file gets: the HTML file or book
    // chapter as it stands, the package's RTF, the PDF's words. Empty when
    // the export failed.
    std::string exported(const std::string& path, const std::string& format)
    {
        std::string output = path + "." + format;
        std::string command = "'" FOLIO_BINARY_DIR "/folio' export '" + path + "' --format " + format + " --output '"
            + output + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !std::filesystem::exists(output))
            return {};
        if (format == "pdf")
            return commandOutput("pdftotext '" + output + "' - 2>/dev/null");
        if (format == "html" || format == "txt")
            return readFile(output);
        Result<DKZipArchive> archive = DKZipArchive::open(output);
        if (!archive)
            return {};
        if (format == "epub")
            return entryText(*archive, "OPS/chapter-1.xhtml");
        return entryText(*archive, std::filesystem::path(path).filename().string() + ".rtfd/TXT.rtf");
    }

    ScratchFolder m_folder{"hostile-markup-export"};
};

// A browser that runs scripts reads a noscript element's content as text up
// to its first end tag, wherever that stands: the editing page shows what
// follows it. Every export shows the same words, and none of what the
// element held.
TEST_F(HostileMarkupExport, textAfterANoscriptElementReachesEveryExport)
{
    const std::string inAttribute =
        "<noscript><p title=\"</noscript><p>Revealed sentence</p>\">shown</noscript>";
    const std::string withStyle = "<noscript><style></noscript><p>Revealed sentence</p>";
    struct Case {
        const char* kind;
        std::string markup;
        std::vector<const char*> formats;
    };
    const std::vector<Case> cases = {
        {"md", "# Title\n\nBefore words.\n\n" + inAttribute + "\n\nTrailing paragraph.\n", {"pdf", "html", "rtfd", "epub"}},
        {"qvtext", "<p>Before words.</p>" + inAttribute + "<p>Trailing paragraph.</p>",
         {"pdf", "html", "rtfd", "epub", "txt"}},
        {"qvtext", "<p>Before words.</p>" + withStyle + "<p>Trailing paragraph.</p>", {"pdf", "html", "rtfd", "epub", "txt"}},
    };
    int index = 0;
    for (const Case& each : cases) {
        std::string path = document("noscript" + std::to_string(++index), each.kind, each.markup);
        for (const char* format : each.formats) {
            std::string text = exported(path, format);
            EXPECT_FALSE(text.empty()) << each.kind << " " << index << " to " << format;
            for (const char* shown : {"Before", "Revealed", "Trailing"})
                EXPECT_NE(text.find(shown), std::string::npos) << shown << " not in " << format << " of "
                                                               << each.markup << ":\n" << text;
            EXPECT_EQ(text.find("title="), std::string::npos) << format << " shows the noscript's content:\n" << text;
        }
    }
}

// CSS functions that take pictures (cross-fade(), filter() and their older
// names, a picture set inside one) lose the remote pictures they wrap, in
// style attributes and style sheets alike: the exported file names no other
// host, which whoever opens it would fetch.
TEST_F(HostileMarkupExport, remotePicturesInsideCSSFunctionsLeaveNoExport)
{
    const std::string markup =
        "<style>p.sheet{border-image:-webkit-cross-fade(url(//evil.example/sheet.png),url(x.png),10%) 30}</style>"
        "<p style=\"background-image:-webkit-cross-fade(url(http://evil.example/a.png),url(x.png),50%)\">Alpha</p>"
        "<p style=\"background-image:cross-fade(url(http://evil.example/b.png) 50%,none)\">Bravo</p>"
        "<p style=\"background-image:filter(url(http://evil.example/c.png),blur(2px))\">Charlie</p>"
        "<p style=\"background-image:-webkit-filter(url(http://evil.example/d.png),blur(2px))\">Delta</p>"
        "<p style=\"background-image:cross-fade(image-set('http://evil.example/e.png' 1x),none)\">Echo</p>"
        "<p class=\"sheet\" style=\"color:red;background:linear-gradient(red,blue)\">Foxtrot</p>";
    for (const char* kind : {"md", "qvtext"}) {
        std::string path = document(std::string("functions-") + kind, kind, markup + "\n");
        for (const char* format : {"html", "epub"}) {
            std::string text = exported(path, format);
            ASSERT_FALSE(text.empty()) << kind << " to " << format;
            EXPECT_EQ(text.find("evil.example"), std::string::npos) << kind << " to " << format << ":\n" << text;
            for (const char* kept : {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"})
                EXPECT_NE(text.find(kept), std::string::npos) << kept << " not in " << kind << " to " << format;
        }
    }
}

// A Markdown picture that cannot be found leaves no empty picture in the
// package's text: the words around it stay.
TEST_F(HostileMarkupExport, picturesNotFoundLeaveNoEmptyReferenceInAPackage)
{
    std::string path = document("pictures", "md", "Before ![alt words](missing.png) after.\n\n"
                                                  "![](http://example.org/x.png)\n\nEnd of text.\n");
    std::string rtf = exported(path, "rtfd");
    ASSERT_FALSE(rtf.empty());
    EXPECT_EQ(rtf.find("NeXTGraphic"), std::string::npos) << rtf;
    for (const char* kept : {"Before", "after.", "End of text."})
        EXPECT_NE(rtf.find(kept), std::string::npos) << kept << " not in " << rtf;
}

} // namespace
} // namespace folio
