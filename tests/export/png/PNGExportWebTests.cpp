#include "support/DocumentTestSupport.h"
#include "support/ExportTestSupport.h"

#include "export/png/PNGExporter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

class PNGExportWebTest : public testing::Test {
protected:
    Result<std::string> picture(const std::string& path, const std::string& output)
    {
        PNGExporter exporter(PNGExporter::Environment{{}, [] { return std::string(); }});
        return exportFile(exporter, path, output, &m_defaults, 120);
    }

    ScratchFolder m_scratch{"png-export-web"};
    UserDefaults m_defaults{m_scratch.path("prefs.plist")};
};

TEST_F(PNGExportWebTest, PictureIsThePageWidthAndTheWholeDocument)
{
    std::string path = m_scratch.path("Short.tex");
    std::string text;
    for (int line = 0; line < 40; ++line)
        text += "Line " + std::to_string(line) + "\n";
    writeFile(path, text);
    std::string output = m_scratch.path("Short.png");
    Result<std::string> status = picture(path, output);
    ASSERT_TRUE(status.ok()) << status.error().message;
    Result<Image::Pointer> made = Image::imageWithContentsOfFile(output);
    ASSERT_TRUE(made.ok());
    EXPECT_EQ((*made)->pixelWidth(), 768);
    // Forty lines do not fit the 480 points the page starts with.
    EXPECT_GT((*made)->pixelHeight(), 480);
    EXPECT_LT((*made)->pixelHeight(), 30000);
}

TEST_F(PNGExportWebTest, DocumentTallerThanTheLimitIsRefused)
{
    std::string path = m_scratch.path("Long.tex");
    std::string text;
    for (int line = 0; line < 2500; ++line)
        text += "Line " + std::to_string(line) + "\n";
    writeFile(path, text);
    std::string output = m_scratch.path("Long.png");
    Result<std::string> status = picture(path, output);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, PNGExporter::TooTall) << status.error().message;
    EXPECT_FALSE(std::filesystem::exists(output));
}

} // namespace
} // namespace folio
