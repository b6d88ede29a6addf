#include "export/html/HTMLPictureInliner.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

TEST(HTMLPictureInliner, picturesOfTheFolderBecomeDataAndNothingElseChanges)
{
    ScratchFolder folder("picture-inliner");
    std::string pictures = folder.path("pictures");
    std::filesystem::create_directories(pictures + "/deeper");
    writeFile(pictures + "/a.png", "PNG");
    writeFile(pictures + "/b.jpg", "JPG");
    writeFile(pictures + "/notes.txt", "text");
    writeFile(pictures + "/deeper/c.png", "deep");
    writeFile(folder.path("outside.png"), "secret");
    std::filesystem::create_symlink(folder.path("outside.png"), pictures + "/link.png");

    std::string html = "<p><img src=\"" + pictures + "/a.png\"> <img alt=\"x\" src=\"" + pictures + "/b.jpg\" />"
        + "<img src=\"" + pictures + "/notes.txt\"><img src=\"" + pictures + "/deeper/c.png\">"
        + "<img src=\"" + pictures + "/../outside.png\"><img src=\"" + pictures + "/link.png\">"
        + "<img src=\"" + folder.path("outside.png") + "\"><img src=\"" + pictures + "/missing.png\"></p>";
    std::string inlined = HTMLPictureInliner::inliningPictures(html, pictures);
    EXPECT_NE(inlined.find("<img src=\"data:image/png;base64,UE5H\">"), std::string::npos) << inlined;
    EXPECT_NE(inlined.find("<img alt=\"x\" src=\"data:image/jpeg;base64,SlBH\" />"), std::string::npos) << inlined;
    for (const std::string& kept : {pictures + "/notes.txt", pictures + "/deeper/c.png", pictures + "/../outside.png",
                                    pictures + "/link.png", folder.path("outside.png"), pictures + "/missing.png"})
        EXPECT_NE(inlined.find("src=\"" + kept + "\""), std::string::npos) << kept;
    EXPECT_EQ(inlined.find("c2VjcmV0"), std::string::npos) << "the linked file's bytes were read";
    EXPECT_EQ(HTMLPictureInliner::inliningPictures("<p>no pictures, src=\"", pictures), "<p>no pictures, src=\"");
}

} // namespace
} // namespace folio
