#include "platform/graphics/FontFile.h"

#include "platform/foundation/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

TEST(FontFile, NamesEveryFaceOfAFontAndNothingOfAnythingElse)
{
    const std::vector<std::string> names = postScriptNamesInFontFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "DejaVuSans");

    test::ScratchFolder folder;
    const std::string notAFont = folder.file("notes.ttf");
    std::ofstream(notAFont) << "These are notes, not a font.";
    EXPECT_TRUE(postScriptNamesInFontFile(notAFont).empty());
    EXPECT_TRUE(postScriptNamesInFontFile(folder.file("missing.ttf")).empty());
    EXPECT_TRUE(postScriptNamesInFontFile(folder.path()).empty());
}

} // namespace
} // namespace folio
