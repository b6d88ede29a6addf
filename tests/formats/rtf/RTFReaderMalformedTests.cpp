#include "formats/rtf/DKRTFReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace folio {
namespace {

// Damaged and hostile input: the reader answers, keeps what it could read,
// and says what was wrong, without crashing, hanging or growing without bound.
using RTFReaderMalformedTests = RTFReaderTest;

TEST_F(RTFReaderMalformedTests, truncatedFilesKeepWhatWasRead)
{
    Result<AttributedString> result = parse(uR"({\rtf1{\fonttbl\f0\fnil Helvetica;}\f0 Hello \b wor)");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->string(), u"Hello wor");
    EXPECT_FALSE(m_warnings.empty());

    for (std::u16string_view cut : {uR"({\rtf1 a\)", uR"({\rtf1 a\'4)", uR"({\rtf1 a\u)", uR"({\rtf1 a\u-)",
                                    uR"({\rtf1 a{\*\footnote {\chftn)", uR"({\rtf1 a{\field{\*\fldinst{HYPERLINK ")",
                                    uR"({\rtf1 a{{\pict\jpegblip\picwgoal)", uR"({\rtf1 a{\*\pageHeader 1::x)",
                                    uR"({\rtf1 a{\colortbl\red255)", uR"({\rtf1 a{\fonttbl{\f0 Hel)"}) {
        Result<AttributedString> truncated = parse(cut);
        ASSERT_TRUE(truncated.ok());
        EXPECT_TRUE(truncated->string().starts_with(u"a")) << toUtf8(cut);
    }
}

TEST_F(RTFReaderMalformedTests, aDestinationWordLooseInTheDocumentKeepsTheWordsAfterIt)
{
    // Only a group that the word opens is left out; loose in the document it
    // would take every later word with it.
    Result<AttributedString> loose = parse(uR"({\rtf1 Paper text \papercolor255 stays\par more\par})");
    ASSERT_TRUE(loose.ok());
    EXPECT_EQ(loose->string(), u"Paper text stays\nmore\n");
    Result<AttributedString> grouped = parse(uR"({\rtf1 a{\papercolor255 gone}b{\header head}c\par})");
    ASSERT_TRUE(grouped.ok());
    EXPECT_EQ(grouped->string(), u"abc\n");
}

TEST_F(RTFReaderMalformedTests, unbalancedBracesAreAbsorbedAndReported)
{
    Result<AttributedString> result = parse(uR"({\rtf1 a}}}b{{c)");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->string(), u"abc");
    ASSERT_EQ(m_warnings.size(), 2u);

    EXPECT_EQ(parse(uR"({\rtf1 a}})")->string(), u"a");
}

TEST_F(RTFReaderMalformedTests, absurdNumbersStayNumbers)
{
    Result<AttributedString> result = parse(
        uR"({\rtf1 \fs99999999999999999999 a\li-99999999999999\fi2147483648\sl-2147483648 b\u99999999999 c\cf4294967297 d})");
    ASSERT_TRUE(result.ok());
    // The parameters' digits are consumed, never read as text.
    EXPECT_EQ(result->string().substr(0, 2), u"ab");
    EXPECT_EQ(result->string().back(), u'd');
    EXPECT_EQ(result->length(), 4u);
}

// Spacing and indents past any paper's size would only print blank pages.
TEST_F(RTFReaderMalformedTests, spacingAndIndentsStayWithinAPage)
{
    Result<AttributedString> result =
        parse(uR"({\rtf1 \sa2147483647\sb-2147483647\fi2147483647 huge\par \pard\sa240\fi567 fair\par})");
    ASSERT_TRUE(result.ok());
    auto styleAt = [&](std::size_t index) {
        return result->attributesAtIndex(index)->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)->style();
    };
    EXPECT_DOUBLE_EQ(styleAt(0).paragraphSpacing(), 22 * 72);
    EXPECT_DOUBLE_EQ(styleAt(0).paragraphSpacingBefore(), -22 * 72);
    EXPECT_NEAR(styleAt(0).firstLineHeadIndent(), 22 * 2.54, 1e-9);
    std::size_t fair = result->string().find(u"fair");
    EXPECT_DOUBLE_EQ(styleAt(fair).paragraphSpacing(), 12);
    EXPECT_NEAR(styleAt(fair).firstLineHeadIndent(), 1.0, 1e-3);
}

TEST_F(RTFReaderMalformedTests, deepNestingIsBounded)
{
    std::u16string rtf = u"{\\rtf1 ";
    rtf.append(200000, u'{');
    rtf += u"deep";
    rtf.append(200000, u'}');
    rtf += u"after}";
    Result<AttributedString> result = parse(rtf);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->string(), u"deepafter");
    EXPECT_EQ(m_warnings.size(), 1u);
}

TEST_F(RTFReaderMalformedTests, repeatedLookAheadsStayLinear)
{
    // Constructs that search ahead, many times over in one huge group.
    std::u16string rtf = u"{\\rtf1 {";
    for (int i = 0; i < 20000; ++i)
        rtf += u"\\listtable\\fldinst\\pict\\NeXTGraphic\\chatn ";
    rtf += u"}end}";
    Result<AttributedString> result = parse(rtf);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->string(), u"end");
}

TEST_F(RTFReaderMalformedTests, everyDamagedFixtureReads)
{
    const std::filesystem::path corpus = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "rtf";
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        Result<Data> data = Data::dataWithContentsOfFile(entry.path().string());
        ASSERT_TRUE(data.ok());
        std::u16string text = toUtf16(data->stringView());
        // Every cut and every flipped brace of the fixtures reads.
        for (std::size_t at = 0; at < text.size(); at += 37) {
            std::u16string damaged = text;
            if (damaged[at] == u'{' || damaged[at] == u'}')
                damaged[at] = damaged[at] == u'{' ? u'}' : u'{';
            else
                damaged.erase(at, 1);
            Result<AttributedString> result = parse(damaged);
            EXPECT_EQ(result.ok(), DKRTFReader::isRTF(damaged));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 50u);
}

} // namespace
} // namespace folio
