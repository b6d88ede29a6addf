#include "formats/rtf/RTFPaperColor.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(RTFPaperColorTests, firstNumberSaysTheColourAndTheTextStays)
{
    // 16711680 is 0xFF0000: blue in RTF's byte order, written as RRGGBB.
    std::u16string rtf = u"{\\rtf1 a\\papercolor16711680 b\\papercolor255 c}";
    const std::u16string before = rtf;
    EXPECT_EQ(takePaperColorFromRTF(rtf), "0000FF");
    EXPECT_EQ(rtf, before);
}

TEST(RTFPaperColorTests, whiteMarkerAnywhereWinsAndIsTakenOut)
{
    std::u16string rtf = u"{\\rtf1\\papercolor255 x\\papercolorFFFFFF}";
    EXPECT_EQ(takePaperColorFromRTF(rtf), "FFFFFF");
    EXPECT_EQ(rtf, u"{\\rtf1\\papercolor255 x}");
}

TEST(RTFPaperColorTests, escapedBackslashesAndCutWordsAreText)
{
    // "\\papercolor" is a backslash of the text followed by letters; an even
    // run of backslashes before the word leaves it a control word.
    std::u16string escaped = u"{\\rtf1 \\\\papercolor255 \\\\\\papercolor65280}";
    EXPECT_EQ(takePaperColorFromRTF(escaped), "00FF00");
    std::u16string cut = u"{\\rtf1 \\papercolo";
    EXPECT_EQ(takePaperColorFromRTF(cut), "FFFFFF");
    std::u16string atEnd = u"\\papercolor";
    EXPECT_EQ(takePaperColorFromRTF(atEnd), "FFFFFF");
    // A number past three bytes is no colour: white, and later words do not change it.
    std::u16string tooLarge = u"\\papercolor16777216 \\papercolor255";
    EXPECT_EQ(takePaperColorFromRTF(tooLarge), "FFFFFF");
}

} // namespace
} // namespace folio
