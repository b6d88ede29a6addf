#include "platform/graphics/ShapingFace.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace folio {
namespace {

using testing_support::ScratchFolder;

std::atomic<int> madeFaces{0};
int madeFace = 0;

void* countingMake(const ShapingFace&)
{
    ++madeFaces;
    return &madeFace;
}

void keepFace(void*) {}

// The drawing library's face is made on the first glyphs drawn, once, even
// when several threads draw with the face at the same time; shaping alone
// makes none, and a face without outlines has none to make.
TEST(ShapingFaceTests, makesItsDrawingFaceOnceAndOnlyForOutlines)
{
    // A copy of its own, so that no other test has drawn with this face yet.
    ScratchFolder folder("shaping-face");
    const std::string path = folder.path("Sans.ttf");
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", path);
    FontFace installed;
    installed.postScriptName = "DejaVuSans";
    installed.familyName = "DejaVu Sans";
    installed.filePath = path;
    std::shared_ptr<const ShapingFace> face = ShapingFace::forFace(installed);
    ASSERT_TRUE(face->hasOutlines());
    EXPECT_EQ(face->filePath(), path);
    EXPECT_FALSE(face->shape(u"Amber", 0, 5, false, 12).empty());
    EXPECT_EQ(madeFaces, 0);

    std::vector<std::thread> threads;
    std::vector<void*> answers(4);
    for (std::size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back([&, i] { answers[i] = face->drawingFace(countingMake, keepFace); });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(madeFaces, 1);
    for (void* answer : answers)
        EXPECT_EQ(answer, &madeFace);

    FontFace inMemory;
    inMemory.postScriptName = "ShapingFaceTestsMemoryFace";
    EXPECT_EQ(ShapingFace::forFace(inMemory)->drawingFace(countingMake, keepFace), nullptr);
    EXPECT_EQ(madeFaces, 1);
}

} // namespace
} // namespace folio
