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

TEST(RTFPaperColorTests, theWordIsFoundAfterAnyText)
{
    // Whatever comes before the word, letters of the word itself, characters
    // outside ASCII or a cut word, and wherever it falls, it is found.
    const std::u16string filler = u"\u00E9\\paperc\u6F22r\\papercolo olor\\\\x";
    for (std::size_t length = 0; length <= filler.size(); ++length) {
        std::u16string rtf = u"{\\rtf1 " + filler.substr(0, length) + u" \\papercolor255 x}";
        EXPECT_EQ(takePaperColorFromRTF(rtf), "FF0000") << length;
        std::u16string white = filler.substr(0, length) + u" \\papercolorFFFFFF";
        EXPECT_EQ(takePaperColorFromRTF(white), "FFFFFF") << length;
        EXPECT_EQ(white, filler.substr(0, length) + u" ") << length;
    }
    std::u16string none = filler + filler;
    EXPECT_EQ(takePaperColorFromRTF(none), "FFFFFF");
}

} // namespace
} // namespace folio
