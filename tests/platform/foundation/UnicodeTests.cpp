#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {

TEST(Unicode, RoundTripsSurrogatePairsAsTwoUnits)
{
    std::u16string text = toUtf16("a\xF0\x9F\x98\x80" "b");
    ASSERT_EQ(text.size(), 4u);
    EXPECT_TRUE(isHighSurrogate(text[1]));
    EXPECT_TRUE(isLowSurrogate(text[2]));
    EXPECT_EQ(toUtf8(text), "a\xF0\x9F\x98\x80" "b");
}

TEST(Unicode, ReplacesInvalidBytesAndLoneSurrogates)
{
    EXPECT_EQ(toUtf16("a\xFF" "b"), u"a\uFFFDb");
    std::u16string lone{u'x', static_cast<char16_t>(0xD800)};
    EXPECT_EQ(toUtf8(lone), "x\xEF\xBF\xBD");
}

} // namespace folio
