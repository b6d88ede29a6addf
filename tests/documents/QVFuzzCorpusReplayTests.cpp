#include "documents/DocumentText.h"
#include "engine/html/HTMLSanitizer.h"
#include "formats/html/HTMLPlainText.h"
#include "platform/foundation/Unicode.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

// The QV fuzz target's seeds, replayed as the target runs them: each reads
// or is refused with a reason, and a page that reads sanitises to a fixpoint
// with nothing active left.
TEST(QVFuzzCorpusReplayTest, seedsReadOrAreRefusedAndSanitiseToAFixpoint)
{
    std::filesystem::path folder = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "fuzz-corpus" / "qv";
    int read = 0;
    int refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes = testing_support::readFile(entry.path().string());
        Result<std::u16string> page = DocumentText::decode(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), DocumentKind::QVText, "seed");
        if (!page) {
            ++refused;
            EXPECT_FALSE(page.error().message.empty());
            continue;
        }
        ++read;
        std::string clean = HTMLSanitizer::sanitizedHTML(toUtf8(*page));
        EXPECT_EQ(HTMLSanitizer::sanitizedHTML(clean), clean);
        EXPECT_EQ(clean.find("<script"), std::string::npos) << clean;
        EXPECT_EQ(clean.find("onerror=\""), std::string::npos) << clean;
        (void)HTMLPlainText::plainText(clean);
    }
    EXPECT_GE(read, 4);
    EXPECT_GE(refused, 2);
}

} // namespace
} // namespace folio
