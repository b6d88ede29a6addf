#include "platform/web/PrintedPDFFontSubsetter.h"

#include "platform/web/PDFObjectFile.h"
#include "PDFTestFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace folio {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

const char* const kFacePath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string commandOutput(const std::string& command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[4096];
    while (std::size_t read = pipe ? std::fread(buffer, 1, sizeof buffer, pipe.get()) : 0)
        output.append(buffer, read);
    return output;
}

// Every page as poppler draws it, in grey: a dropped glyph shows.
std::string renderedPages(const fs::path& pdf)
{
    return commandOutput("pdftoppm -r 72 -gray '" + pdf.string() + "' 2>/dev/null");
}

// A page that writes "Hello" in DejaVu Sans, embedded whole as a composite
// font with glyph ids for codes, as the web engine prints.
class PrintedPDFFontSubsetterTest : public ::testing::Test {
protected:
    std::string printedPDF(const std::string& extraObject = {}, const std::string& descendantEntries = {})
    {
        std::string face = readWholeFile(kFacePath);
        PDFTestFile pdf;
        pdf.add("<</Type /Catalog /Pages 2 0 R>>");
        pdf.add("<</Type /Pages /Kids [3 0 R] /Count 1>>");
        pdf.add("<</Type /Page /Parent 2 0 R /MediaBox [0 0 240 60] /Resources <</Font <</F1 5 0 R>>>> "
                "/Contents 4 0 R>>");
        // H e l l o: DejaVu Sans's glyphs 43, 72, 79, 79, 82; then glyph 0,
        // the box a character without a glyph is drawn as.
        pdf.add(PDFTestFile::stream("BT /F1 36 Tf 10 15 Td <002B0048004F004F00520000> Tj ET"));
        pdf.add("<</Type /Font /Subtype /Type0 /BaseFont /AAAAAA+DejaVuSans /Encoding /Identity-H "
                "/DescendantFonts [6 0 R]>>");
        pdf.add("<</Type /Font /Subtype /CIDFontType2 /BaseFont /AAAAAA+DejaVuSans /CIDSystemInfo <</Registry (Adobe) "
                "/Ordering (Identity) /Supplement 0>> /FontDescriptor 7 0 R /DW 600 "
                + (descendantEntries.empty() ? std::string("/CIDToGIDMap /Identity") : descendantEntries) + ">>");
        pdf.add("<</Type /FontDescriptor /FontName /AAAAAA+DejaVuSans /Flags 4 /FontBBox [-1021 -463 1794 1233] "
                "/ItalicAngle 0 /Ascent 928 /Descent -236 /CapHeight 729 /StemV 80 /FontFile2 8 0 R>>");
        m_fontFile = pdf.add(PDFTestFile::stream(face, " /Length1 " + std::to_string(face.size())));
        if (!extraObject.empty())
            pdf.add(extraObject);
        return pdf.bytes("/Root 1 0 R");
    }

    fs::path write(const std::string& name, std::string_view bytes)
    {
        fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_folder = scratchFolder("font-subsetter");
    int m_fontFile = 0;
};

TEST_F(PrintedPDFFontSubsetterTest, CutsTheFaceDownAndThePageDrawsTheSame)
{
    std::string printed = printedPDF();
    auto subset = PrintedPDFFontSubsetter::subsetEmbeddedFonts(Data::fromString(printed));
    ASSERT_TRUE(subset) << subset.error().message;
    EXPECT_LT(subset->length() * 5, printed.size());

    auto file = PDFObjectFile::read(*subset);
    ASSERT_TRUE(file) << file.error().message;
    auto face = file->decodedStream(m_fontFile);
    ASSERT_TRUE(face);
    EXPECT_LT(face->length() * 10, fs::file_size(kFacePath));
    EXPECT_EQ(file->value(m_fontFile)->find("Length1")->number(), double(face->length()));

    std::string before = renderedPages(write("printed.pdf", printed));
    std::string after = renderedPages(write("subset.pdf", subset->stringView()));
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(before == after) << "the page draws differently once the face is cut down";
    // The page does show the word: dark pixels after the grey map's header.
    std::string pixels = before.substr(before.size() - 240 * 60);
    EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](char c) { return static_cast<unsigned char>(c) < 64; }));
}

TEST_F(PrintedPDFFontSubsetterTest, KeepsTheFaceWholeWhenSomeUseWasNotRead)
{
    struct Case {
        const char* why;
        std::string extraObject;
        std::string descendantEntries;
    };
    for (const Case& unread : {
             Case{"a font dictionary no page reads", "<</Font <</Z 5 0 R>>>>", ""},
             Case{"the face also used as a simple font",
                  "<</Type /Font /Subtype /TrueType /FontDescriptor 7 0 R>>", ""},
             Case{"codes mapped to glyphs through a table", PDFTestFile::stream(std::string(200, '\0')),
                  "/CIDToGIDMap 9 0 R"},
         }) {
        std::string printed = printedPDF(unread.extraObject, unread.descendantEntries);
        auto subset = PrintedPDFFontSubsetter::subsetEmbeddedFonts(Data::fromString(printed));
        ASSERT_FALSE(subset) << unread.why;
        EXPECT_EQ(subset.error().code, PrintedPDFFontSubsetter::NothingToSubset) << unread.why;
    }
}

TEST_F(PrintedPDFFontSubsetterTest, WritingKeepsThePrintWhenItCannotDoBetter)
{
    std::string whole = printedPDF("<</Font <</Z 5 0 R>>>>");
    fs::path kept = m_folder / "kept.pdf";
    auto pages = PrintedPDFFontSubsetter::writeToFile(write("whole.pdf", whole), kept);
    ASSERT_TRUE(pages);
    EXPECT_EQ(*pages, 1u);
    EXPECT_EQ(readWholeFile(kept), whole);

    fs::path smaller = m_folder / "smaller.pdf";
    pages = PrintedPDFFontSubsetter::writeToFile(write("printed.pdf", printedPDF()), smaller);
    ASSERT_TRUE(pages);
    EXPECT_EQ(*pages, 1u);
    EXPECT_LT(fs::file_size(smaller) * 5, whole.size());

    // What is no PDF at all is an error, and nothing is written.
    fs::path none = m_folder / "none.pdf";
    EXPECT_FALSE(PrintedPDFFontSubsetter::writeToFile(write("broken.pdf", "%PDF-1.4 cut short"), none).ok());
    EXPECT_FALSE(fs::exists(none));
}

} // namespace
} // namespace folio
