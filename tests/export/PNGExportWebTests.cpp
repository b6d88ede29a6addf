#include "support/DocumentTestSupport.h"

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
    PNGExporter::Environment environment()
    {
        PNGExporter::Environment environment;
        environment.defaults = &m_defaults;
        environment.fontRules = [] { return std::string(); };
        return environment;
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
    Status status = PNGExporter::exportPNG(path, output, environment());
    ASSERT_TRUE(status.ok()) << status.error().message;
    Result<Image::Pointer> picture = Image::imageWithContentsOfFile(output);
    ASSERT_TRUE(picture.ok());
    EXPECT_EQ((*picture)->pixelWidth(), 768);
    // Forty lines do not fit the 480 points the page starts with.
    EXPECT_GT((*picture)->pixelHeight(), 480);
    EXPECT_LT((*picture)->pixelHeight(), 30000);
}

TEST_F(PNGExportWebTest, DocumentTallerThanTheLimitIsRefused)
{
    std::string path = m_scratch.path("Long.tex");
    std::string text;
    for (int line = 0; line < 2500; ++line)
        text += "Line " + std::to_string(line) + "\n";
    writeFile(path, text);
    std::string output = m_scratch.path("Long.png");
    Status status = PNGExporter::exportPNG(path, output, environment());
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, PNGExporter::TooTall) << status.error().message;
    EXPECT_FALSE(std::filesystem::exists(output));
}

} // namespace
} // namespace folio
