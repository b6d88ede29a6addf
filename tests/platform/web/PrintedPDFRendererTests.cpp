#include "platform/web/PrintedPDFRenderer.h"

#include "PDFTestFile.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr double kMagnification = 8;
constexpr Size kPaper{612, 792};

// A link annotation of the drawn file: where it stands, and where it leads.
struct DrawnLink {
    std::vector<double> rect;
    std::string uri;
    // For a link within the file: the page (from 1) it leads to.
    std::optional<int> page;
};

// Two pages printed eight times larger than Letter: words on the first with
// a link to an address over them, and a link on the second back up to the
// first page's top.
std::string magnifiedPrint()
{
    const double width = kPaper.width * kMagnification;
    const double height = kPaper.height * kMagnification;
    const std::string box = "[0 0 " + std::to_string(width) + " " + std::to_string(height) + "]";
    PDFTestFile file;
    const int catalog = file.reserve();
    const int pages = file.reserve();
    const int first = file.reserve();
    const int second = file.reserve();
    const int font = file.add("<</Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding>>");
    const int words = file.add(PDFTestFile::stream("BT /F1 96 Tf 800 5600 Td (Reduced words) Tj ET"));
    const int more = file.add(PDFTestFile::stream("BT /F1 96 Tf 800 5600 Td (Second page) Tj ET"));
    const int address = file.add("<</Type /Annot /Subtype /Link /Rect [800 5560 2400 5700] /Border [0 0 0]"
                                 " /A <</S /URI /URI (https://example.com/a)>>>>");
    const int back = file.add("<</Type /Annot /Subtype /Link /Rect [800 800 1600 1600] /Border [0 0 0]"
                              " /Dest [" + std::to_string(first) + " 0 R /XYZ 0 " + std::to_string(height) + " 0]>>");
    const std::string resources = "/Resources <</Font <</F1 " + std::to_string(font) + " 0 R>>>>";
    file.set(catalog, "<</Type /Catalog /Pages " + std::to_string(pages) + " 0 R>>");
    file.set(pages, "<</Type /Pages /Count 2 /Kids [" + std::to_string(first) + " 0 R " + std::to_string(second)
                        + " 0 R]>>");
    file.set(first, "<</Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox " + box + " " + resources
                        + " /Contents " + std::to_string(words) + " 0 R /Annots [" + std::to_string(address) + " 0 R]>>");
    file.set(second, "<</Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox " + box + " " + resources
                         + " /Contents " + std::to_string(more) + " 0 R /Annots [" + std::to_string(back) + " 0 R]>>");
    return file.bytes("/Root " + std::to_string(catalog) + " 0 R");
}

// The drawn file's links, read from its objects as they stand in it: cairo
// writes them uncompressed.
std::vector<DrawnLink> drawnLinks(const fs::path& path)
{
    const std::string bytes = readWholeFile(path);
    std::vector<std::string> pages;
    std::smatch found;
    if (std::regex_search(bytes, found, std::regex("/Type /Pages[^>]*/Kids \\[([^\\]]*)\\]"))) {
        const std::string kids = found[1];
        std::regex kid("([0-9]+) 0 R");
        for (auto it = std::sregex_iterator(kids.begin(), kids.end(), kid); it != std::sregex_iterator(); ++it)
            pages.push_back((*it)[1]);
    }
    std::vector<DrawnLink> links;
    const std::regex object("\\n[0-9]+ 0 obj\\n(<<[^]*?)\\nendobj");
    for (auto it = std::sregex_iterator(bytes.begin(), bytes.end(), object); it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        if (body.find("/Subtype /Link") == std::string::npos)
            continue;
        DrawnLink link;
        std::smatch part;
        if (std::regex_search(body, part, std::regex("/Rect \\[ *([-0-9.]+) +([-0-9.]+) +([-0-9.]+) +([-0-9.]+) *\\]"))) {
            for (int index = 1; index <= 4; ++index)
                link.rect.push_back(std::stod(part[index]));
        }
        if (std::regex_search(body, part, std::regex("/URI \\(([^)]*)\\)")))
            link.uri = part[1];
        if (std::regex_search(body, part, std::regex("/Dest \\[ *([0-9]+) 0 R"))) {
            for (std::size_t index = 0; index < pages.size(); ++index) {
                if (pages[index] == part[1])
                    link.page = static_cast<int>(index) + 1;
            }
        }
        links.push_back(link);
    }
    return links;
}

TEST(PrintedPDFRenderer, aMagnifiedPrintIsDrawnBackOntoItsPaperWithItsWordsAndLinksAndNoneOfNoSize)
{
    const fs::path folder = scratchFolder("printed-pdf-renderer");
    const fs::path printed = folder / "printed.pdf";
    const fs::path drawn = folder / "drawn.pdf";
    {
        std::ofstream out(printed, std::ios::binary);
        out << magnifiedPrint();
    }
    for (double refused : {0.0, -2.0}) {
        EXPECT_FALSE(PrintedPDFRenderer::renderReducedToFile(printed.string(), drawn.string(), kPaper, refused));
        EXPECT_FALSE(fs::exists(drawn));
    }
    ASSERT_TRUE(PrintedPDFRenderer::renderReducedToFile(printed.string(), drawn.string(), kPaper, kMagnification));

    ASSERT_EQ(pdfPageCount(drawn.string()), 2);
    EXPECT_EQ(pdfPageSize(drawn.string(), 1), "612 x 792");
    EXPECT_EQ(pdfPageSize(drawn.string(), 2), "612 x 792");

    // The words read as they were, twelve points large on a baseline 92
    // points down: an eighth of their printed size and place.
    const std::vector<PDFWord> words = pdfWords(drawn.string(), 1);
    const PDFWord* reduced = findWord(words, "Reduced");
    ASSERT_NE(reduced, nullptr);
    EXPECT_NEAR(reduced->xMin, 100, 0.5);
    EXPECT_NEAR(reduced->yMax - reduced->yMin, 12, 2);
    EXPECT_LT(reduced->yMin, 92);
    EXPECT_NEAR(reduced->yMax, 92, 4);
    EXPECT_NE(pdfText(drawn.string(), 2).find("Second page"), std::string::npos);

    const std::vector<DrawnLink> links = drawnLinks(drawn);
    ASSERT_EQ(links.size(), 2u);
    bool sawAddress = false;
    bool sawPlace = false;
    for (const DrawnLink& link : links) {
        ASSERT_EQ(link.rect.size(), 4u);
        if (!link.uri.empty()) {
            sawAddress = true;
            EXPECT_EQ(link.uri, "https://example.com/a");
            // The writer may round the corners to whole points.
            const std::vector<double> expected{100, 695, 300, 712.5};
            for (std::size_t index = 0; index < 4; ++index)
                EXPECT_NEAR(link.rect[index], expected[index], 0.6) << index;
        } else {
            sawPlace = true;
            EXPECT_EQ(link.page, std::optional<int>(1));
            const std::vector<double> expected{100, 100, 200, 200};
            for (std::size_t index = 0; index < 4; ++index)
                EXPECT_NEAR(link.rect[index], expected[index], 0.5) << index;
        }
    }
    EXPECT_TRUE(sawAddress);
    EXPECT_TRUE(sawPlace);
    fs::remove_all(folder);
}

} // namespace
} // namespace folio
