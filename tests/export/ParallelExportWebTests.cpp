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

INSTANTIATE_TEST_SUITE_P(Formats, ParallelExport, testing::Values("pdf", "png", "epub", "rtfd", "html", "txt"));

} // namespace
} // namespace folio
