#include "platform/foundation/Deflate.h"
#include "platform/foundation/ZipArchive.h"

#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace folio {
namespace {

using namespace testing_support;

constexpr int kDepth = 100000;

// A document nested far deeper than any stack holds, sent by an attacker:
// every export that needs no web view finishes and keeps the words.
class DeeplyNestedDocument : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        std::string html;
        for (int level = 0; level < kDepth; ++level)
            html += "<div>";
        html += "Buried words";
        for (int level = 0; level < kDepth; ++level)
            html += "</div>";
        std::string kind = GetParam();
        if (kind == "md") {
            writeFile(document(), "# Heading\n\n" + html + "\n");
            return;
        }
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        ASSERT_TRUE(compressed.ok());
        writeFile(document(), std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
    }

    std::string document() const { return m_folder.path(std::string("nested.") + GetParam()); }

    std::string folio(const std::string& arguments) const
    {
        return commandOutput("FOLIO_HOME='" + m_folder.path("home") + "' '" FOLIO_BINARY_DIR "/folio' " + arguments
                             + " 2>&1; echo \" exit $?\"");
    }

    ScratchFolder m_folder{"nested-document"};
};

TEST_P(DeeplyNestedDocument, exportsAndCopiesWithoutCrashing)
{
    for (const char* format : {"html", "txt", "epub", "rtfd"}) {
        std::string output = m_folder.path(std::string("out.") + format);
        EXPECT_EQ(folio("export '" + document() + "' --format " + format + " --output '" + output + "'"), " exit 0\n")
            << format;
        if (std::string(format) == "html" || std::string(format) == "txt") {
            EXPECT_NE(readFile(output).find("Buried words"), std::string::npos) << format;
        }
    }
    auto book = DKZipArchive::open(m_folder.path("out.epub"));
    ASSERT_TRUE(book.ok()) << book.error().message;
    auto chapter = book->readEntry("OPS/chapter-1.xhtml");
    ASSERT_TRUE(chapter.ok());
    EXPECT_NE(std::string_view(reinterpret_cast<const char*>(chapter->bytes()), chapter->length()).find("Buried words"),
              std::string_view::npos);
    EXPECT_NE(folio("copy '" + document() + "' --as text").find("Buried words"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DeeplyNestedDocument, testing::Values("md", "qvtext"));

} // namespace
} // namespace folio
