#include "formats/markdown/BKDMarkdown.h"
#include "platform/foundation/Unicode.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

// The Markdown fuzz target's seeds, replayed as the target runs them: every
// one converts, and no internal mark of the converter reaches its output.
TEST(MarkdownFuzzCorpusReplayTest, seedsConvertWithoutLeakingMarks)
{
    std::filesystem::path folder = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "fuzz-corpus" / "markdown";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::u16string source = toUtf16(testing_support::readFile(entry.path().string()));
        BKDMarkdown converter(source);
        std::u16string html = converter.html();
        std::u16string plain = converter.plainText();
        EXPECT_FALSE(html.empty());
        // The seeds hold none of the noncharacters above U+FDD1 the pre-pass picks from.
        for (char16_t mark = u'\uFDD2'; mark <= u'\uFDEF'; ++mark) {
            EXPECT_EQ(html.find(mark), std::u16string::npos);
            EXPECT_EQ(plain.find(mark), std::u16string::npos);
        }
        ++count;
    }
    EXPECT_GE(count, 6);
}

} // namespace
} // namespace folio
