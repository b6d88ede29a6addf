#include "formats/rtf/RTFPaperColor.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// The colour, and the file as the reader reads it: without the white marker.
struct Reading {
    std::string color;
    std::string text;
};

Reading read(std::string rtf)
{
    const RTFPaperColor paper = paperColorOfRTF(rtf);
    if (paper.whiteMarker) {
        EXPECT_EQ(rtf.compare(*paper.whiteMarker, RTFPaperColor::kWhiteMarkerLength, "\\papercolorFFFFFF"), 0);
        rtf.erase(*paper.whiteMarker, RTFPaperColor::kWhiteMarkerLength);
    }
    return {paper.color, rtf};
}

TEST(RTFPaperColorTests, firstNumberSaysTheColourAndTheTextStays)
{
    // 16711680 is 0xFF0000: blue in RTF's byte order, written as RRGGBB.
    const std::string rtf = "{\\rtf1 a\\papercolor16711680 b\\papercolor255 c}";
    EXPECT_EQ(read(rtf).color, "0000FF");
    EXPECT_EQ(read(rtf).text, rtf);
}

TEST(RTFPaperColorTests, whiteMarkerAnywhereWinsAndIsLeftOut)
{
    Reading reading = read("{\\rtf1\\papercolor255 x\\papercolorFFFFFF}");
    EXPECT_EQ(reading.color, "FFFFFF");
    EXPECT_EQ(reading.text, "{\\rtf1\\papercolor255 x}");
}

TEST(RTFPaperColorTests, escapedBackslashesAndCutWordsAreText)
{
    // "\\papercolor" is a backslash of the text followed by letters; an even
    // run of backslashes before the word leaves it a control word.
    EXPECT_EQ(read("{\\rtf1 \\\\papercolor255 \\\\\\papercolor65280}").color, "00FF00");
    EXPECT_EQ(read("{\\rtf1 \\papercolo").color, "FFFFFF");
    EXPECT_EQ(read("\\papercolor").color, "FFFFFF");
    // A number past three bytes is no colour: white, and later words do not change it.
    EXPECT_EQ(read("\\papercolor16777216 \\papercolor255").color, "FFFFFF");
}

TEST(RTFPaperColorTests, theWordIsFoundAfterAnyText)
{
    // Whatever comes before the word, letters of the word itself, UTF-8
    // characters (cut anywhere) or a cut word, and wherever it falls, it is
    // found.
    const std::string filler = "\xC3\xA9\\paperc\xE6\xBC\xA2r\\papercolo olor\\\\x";
    for (std::size_t length = 0; length <= filler.size(); ++length) {
        EXPECT_EQ(read("{\\rtf1 " + filler.substr(0, length) + " \\papercolor255 x}").color, "FF0000") << length;
        Reading white = read(filler.substr(0, length) + " \\papercolorFFFFFF");
        EXPECT_EQ(white.color, "FFFFFF") << length;
        EXPECT_EQ(white.text, filler.substr(0, length) + " ") << length;
    }
    EXPECT_EQ(read(filler + filler).color, "FFFFFF");
}

} // namespace
} // namespace folio
