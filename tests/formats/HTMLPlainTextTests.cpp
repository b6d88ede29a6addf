#include "formats/html/HTMLPlainText.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// libxml2 cuts a text run at 10,000,000 bytes unless told otherwise; the
// plain text of a page keeps every character.
TEST(HTMLPlainText, keepsTextRunsLongerThanTenMegabytes)
{
    const std::size_t length = 10'500'000;
    std::u16string text = HTMLPlainText::plainText("<p>" + std::string(length, 'a') + "</p><p>end</p>");
    ASSERT_EQ(text.size(), length + 4);
    EXPECT_EQ(text.substr(length), u"\nend");
}

} // namespace
} // namespace folio
