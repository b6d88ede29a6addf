#include "shell/AppController.h"

#include "engine/model/TEAttributeKeys.h"
#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/text/FontAttributeValue.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

class BKDConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
    std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown(markdown).plainText(); }
};

TEST(AppControllerConversions, htmlBecomesTheEnginesAttributedText)
{
    std::optional<AttributedString> text = AppController::convertToAttributedString("<p>Plain <b>bold</b></p>");
    ASSERT_TRUE(text.has_value());
    std::u16string string = text->string();
    ASSERT_NE(string.find(u"Plain bold"), std::u16string::npos) << toUtf8(string);
    const auto* font =
        text->attributesAtIndex(string.find(u"bold"))->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->font().symbolicTraits() & kFontBoldTrait, 0u);
    EXPECT_FALSE(AppController::convertToAttributedString("").has_value());
}

TEST(AppControllerConversions, markdownWordsAreCountedInWhatTheReaderSees)
{
    ScratchFolder folder("markdown-words");
    std::string path = folder.path("words.md");
    // Markup and the link's address are no words; the code's are.
    writeFile(path, "# Title\n\nSome *emphasis*, and [a link](https://example.org/a/long/path).\n\n"
                    "```\ncode here\n```\n");
    MarkdownConverter::setShared(std::make_shared<BKDConverter>());
    Result<std::size_t> words = AppController::countWordsOfMarkdownFile(path);
    ASSERT_TRUE(words.ok()) << words.error().message;
    EXPECT_EQ(*words, 8u);
    EXPECT_FALSE(AppController::countWordsOfMarkdownFile(folder.path("missing.md")).ok());
    MarkdownConverter::setShared(nullptr);
    EXPECT_FALSE(AppController::countWordsOfMarkdownFile(path).ok());
}

} // namespace
} // namespace folio
