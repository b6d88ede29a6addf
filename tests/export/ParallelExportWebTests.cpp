#include "platform/foundation/ZipArchive.h"
#include "platform/graphics/Image.h"

#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace folio {
namespace {

using namespace testing_support;

constexpr int kDocuments = 8;

std::string entryText(const std::string& archivePath, const std::string& entry)
{
    auto archive = DKZipArchive::open(archivePath);
    if (!archive)
        return "(no archive: " + archive.error().message + ")";
    auto bytes = archive->readEntry(entry);
    if (!bytes)
        return "(no entry " + entry + ")";
    return std::string(reinterpret_cast<const char*>(bytes->bytes()), bytes->length());
}

// Eight documents of the same name in eight folders, exported all at once:
// each export holds its own document, never another's.
class ParallelExport : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        for (int index = 0; index < kDocuments; ++index) {
            std::filesystem::create_directories(m_folder.path(std::to_string(index)));
            // Document i has 40 (i + 1) paragraphs, so its picture is taller than the one before.
            std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 ";
            for (int line = 0; line < 40 * (index + 1); ++line)
                rtf += "Marker" + std::to_string(index) + "word\\par ";
            writeFile(document(index), rtf + "}");
        }
    }

    std::string document(int index) const { return m_folder.path(std::to_string(index) + "/Same name.rtf"); }
    std::string output(int index) const { return m_folder.path(std::to_string(index) + "/out." + GetParam()); }

    ScratchFolder m_folder{"parallel-export"};
};

TEST_P(ParallelExport, eachExportHoldsItsOwnDocument)
{
    std::string format = GetParam();
    std::string script;
    for (int index = 0; index < kDocuments; ++index)
        script += "'" FOLIO_BINARY_DIR "/folio' export '" + document(index) + "' --format " + format + " --output '"
            + output(index) + "' >/dev/null 2>'" + output(index) + ".err' || { echo failed " + std::to_string(index)
            + "; cat '" + output(index) + ".err'; } & ";
    std::string failures = commandOutput("(" + script + "wait) 2>&1");
    EXPECT_EQ(failures, "");

    int previousHeight = 0;
    for (int index = 0; index < kDocuments; ++index) {
        std::string text;
        if (format == "pdf")
            text = pdfText(output(index), 1);
        else if (format == "epub")
            text = entryText(output(index), "OPS/chapter-1.xhtml");
        else if (format == "rtfd")
            text = entryText(output(index), "Same name.rtf.rtfd/TXT.rtf");
        else if (format == "png") {
            auto picture = Image::imageWithContentsOfFile(output(index));
            ASSERT_TRUE(picture.ok()) << index << ": " << picture.error().message;
            EXPECT_GT((*picture)->pixelHeight(), previousHeight) << index;
            previousHeight = (*picture)->pixelHeight();
            continue;
        } else {
            text = readFile(output(index));
        }
        for (int other = 0; other < kDocuments; ++other) {
            bool found = text.find("Marker" + std::to_string(other) + "word") != std::string::npos;
            EXPECT_EQ(found, other == index) << format << " export " << index << " and document " << other << ":\n"
                                             << text;
        }
    }
}

// Two documents with different margins and paper colours, exported to PDF at
// the same time: each PDF has its own document's margin and paper, however
// the two exports interleave.
TEST(ParallelPageSettings, eachPDFHasItsOwnDocumentsMarginsAndPaper)
{
    ScratchFolder folder{"parallel-page-settings"};
    struct Case {
        std::string name;
        std::string rtf;
        std::uint8_t red, blue;
    };
    // \papercolor is blue * 65536 + green * 256 + red; margins in twips (567 a centimetre).
    std::vector<Case> cases{
        {"wide", "{\\rtf1\\ansi\\margl4536\\margr567{\\papercolor255}{\\fonttbl\\f0 Helvetica;}\\f0 Widemargin text\\par}", 255, 0},
        {"narrow", "{\\rtf1\\ansi\\margl567\\margr567{\\papercolor16711680}{\\fonttbl\\f0 Helvetica;}\\f0 Narrowmargin text\\par}", 0, 255}};
    std::string script;
    for (const Case& one : cases) {
        writeFile(folder.path(one.name + ".rtf"), one.rtf);
        script += "'" FOLIO_BINARY_DIR "/folio' export '" + folder.path(one.name + ".rtf") + "' --format pdf --output '"
            + folder.path(one.name + ".pdf") + "' >/dev/null 2>&1 || echo failed " + one.name + " & ";
    }
    ASSERT_EQ(commandOutput("(" + script + "wait) 2>&1"), "");

    std::vector<double> textStarts;
    for (const Case& one : cases) {
        std::string pdf = folder.path(one.name + ".pdf");
        std::vector<PDFWord> words = pdfWords(pdf, 1);
        const PDFWord* first = findWord(words, one.name == "wide" ? "Widemargin" : "Narrowmargin");
        ASSERT_NE(first, nullptr) << one.name << ": " << pdfText(pdf, 1);
        textStarts.push_back(first->xMin);

        std::string picture = folder.path(one.name);
        ASSERT_EQ(commandOutput("pdftoppm -r 20 -f 1 -l 1 -singlefile -png '" + pdf + "' '" + picture + "' 2>&1"), "");
        auto image = Image::imageWithContentsOfFile(picture + ".png");
        ASSERT_TRUE(image.ok()) << image.error().message;
        // The middle of the page, below the one line of text: the paper.
        auto paper = (*image)->pixelAt((*image)->pixelWidth() / 2, (*image)->pixelHeight() / 2);
        EXPECT_EQ(paper.r, one.red) << one.name;
        EXPECT_EQ(paper.b, one.blue) << one.name;
    }
    // Eight centimetres against one: the wide document's text starts far to the right.
    EXPECT_GT(textStarts[0] - textStarts[1], 150) << textStarts[0] << " " << textStarts[1];
}

INSTANTIATE_TEST_SUITE_P(Formats, ParallelExport, testing::Values("pdf", "png", "epub", "rtfd", "html", "txt"));

} // namespace
} // namespace folio
