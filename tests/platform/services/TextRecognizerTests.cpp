#include "platform/services/TextRecognizer.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "support/PrintedPagePicture.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <filesystem>
#include <fstream>

namespace folio {
namespace {

TEST(TextRecognizer, recognisesTheLinesOfARenderedPicture)
{
    ASSERT_TRUE(TextRecognizer::isAvailable());
    test::ScratchFolder scratch;
    std::string picture = scratch.file("page.png");
    test::writePrintedPagePicture(picture, {"The quick brown fox", "jumps over the lazy dog"});
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(picture);
    ASSERT_TRUE(lines) << lines.error().message;
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ((*lines)[0], u"The quick brown fox");
    EXPECT_EQ((*lines)[1], u"jumps over the lazy dog");
}

TEST(TextRecognizer, aBlankPictureHasNoLines)
{
    test::ScratchFolder scratch;
    std::string picture = scratch.file("blank.png");
    test::writePrintedPagePicture(picture, {});
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(picture);
    ASSERT_TRUE(lines) << lines.error().message;
    EXPECT_TRUE(lines->empty());
}

TEST(TextRecognizer, aFileThatIsNoPictureIsAClearError)
{
    test::ScratchFolder scratch;
    std::string path = scratch.file("notes.png");
    std::ofstream(path) << "not a picture";
    Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(path);
    ASSERT_FALSE(lines);
    EXPECT_NE(lines.error().message.find("cannot be read"), std::string::npos);
    EXPECT_FALSE(TextRecognizer::recognizeLines(scratch.file("absent.png")));
}

std::size_t threadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Whoever runs the tests may limit OpenMP in the environment; the check runs
// in a process of its own without that limit, as the program runs on a
// user's computer.
TEST(TextRecognizer, recognitionStartsNoWorkerThreadsEvenWithoutTheEnvironmentsLimit)
{
    constexpr const char* kChildMarker = "FOLIO_RECOGNIZER_THREAD_CHECK";
    if (g_getenv(kChildMarker)) {
        test::ScratchFolder scratch;
        std::string picture = scratch.file("page.png");
        test::writePrintedPagePicture(picture, {"Several lines of text", "so that the engine", "has work for its threads"});
        std::size_t before = threadCount();
        Result<std::vector<std::u16string>> lines = TextRecognizer::recognizeLines(picture);
        ASSERT_TRUE(lines) << lines.error().message;
        EXPECT_EQ(lines->size(), 3u);
        EXPECT_EQ(threadCount(), before);
        return;
    }
    gchar** environment = g_get_environ();
    environment = g_environ_unsetenv(environment, "OMP_THREAD_LIMIT");
    environment = g_environ_setenv(environment, kChildMarker, "1", TRUE);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=TextRecognizer.recognitionStartsNoWorkerThreadsEvenWithoutTheEnvironmentsLimit";
    gchar* argv[] = {self.data(), filter.data(), nullptr};
    gchar* output = nullptr;
    gint status = 0;
    GError* error = nullptr;
    bool ran = g_spawn_sync(nullptr, argv, environment, G_SPAWN_DEFAULT, nullptr, nullptr, &output, nullptr, &status, &error);
    g_strfreev(environment);
    ASSERT_TRUE(ran) << (error ? error->message : "");
    std::string printed = output ? output : "";
    g_free(output);
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr)) << printed;
    EXPECT_NE(printed.find("[  PASSED  ] 1 test"), std::string::npos) << printed;
}

TEST(TextRecognizer, aLanguageWithoutDataIsNotAvailable)
{
    EXPECT_FALSE(TextRecognizer::isAvailable("qqq"));
}

} // namespace
} // namespace folio
