#include "formats/rtf/DKRTFReaderSource.h"
#include "formats/rtf/RTFPaperColor.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// The reader steps over a file's bytes and decodes only its runs of text;
// these cases are where that decides something the decoded text did not.
class RTFReaderByteSourceTest : public RTFReaderTest {
protected:
    static std::string fixtureBytes(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name);
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    }

    static std::u16string readText(const DKRTFReaderSource& source)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(source);
        EXPECT_TRUE(read.ok());
        return read.ok() ? read->text.string() : std::u16string();
    }
};

TEST_F(RTFReaderByteSourceTest, codePageTextSplitByControlWordsReadsAsTheDecodedFile)
{
    // WordPad writes Cyrillic as raw bytes of code page 1251, cut into runs
    // by formatting; each run is decoded alone.
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 \xcf\xf0\xe8{\\b \xe2\xe5\xf2}, "
                            "\xec\xe8\xf0\\par}";
    std::optional<SingleByteCodePage> codePage = SingleByteCodePage::make(StringEncoding::windowsCodePage(1251));
    ASSERT_TRUE(codePage);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size());
    EXPECT_TRUE(codePage->decodes(bytes));
    const std::u16string fromBytes =
        readText(DKRTFReaderSource::inFileCodePage(rtf, std::make_shared<const SingleByteCodePage>(*codePage)));
    EXPECT_EQ(fromBytes, u"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440\n");
    // The same as the whole file decoded first, as it was read before.
    std::optional<std::u16string> decoded = stringWithData(rtf, StringEncoding::windowsCodePage(1251));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(fromBytes, readText(DKRTFReaderSource::fromText(*decoded)));
    // A file read byte by byte decodes in the code page it declares.
    Result<AttributedString> declared = DKRTFReader::parseRTFData(rtf);
    ASSERT_TRUE(declared.ok());
    EXPECT_EQ(declared->string(), fromBytes);
}

TEST_F(RTFReaderByteSourceTest, codePageTablesReadWhatTheConverterReads)
{
    // Windows-1252 leaves five bytes undefined: a file holding one is not
    // Windows-1252, whichever way it is read.
    std::optional<SingleByteCodePage> latin = SingleByteCodePage::make(StringEncoding::windowsLatin1());
    ASSERT_TRUE(latin);
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        const std::uint8_t one = static_cast<std::uint8_t>(byte);
        std::optional<std::u16string> decoded = stringWithData(std::span(&one, 1), StringEncoding::windowsLatin1());
        EXPECT_EQ(latin->decodes(std::span(&one, 1)), decoded.has_value()) << byte;
        if (decoded) {
            EXPECT_EQ(std::u16string(1, latin->character(one)), *decoded) << byte;
        }
    }
    // Code pages of two bytes per character are no table.
    EXPECT_FALSE(SingleByteCodePage::make(StringEncoding::windowsCodePage(932)));
}

TEST_F(RTFReaderByteSourceTest, multiByteUTF8CharactersNextToEscapesAndReplacements)
{
    const std::string rtf = fixtureBytes("utf8-mark-binary.rtf");
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size());
    ASSERT_TRUE(isUTF8(bytes));
    const DKRTFReaderSource source = DKRTFReaderSource::utf8(rtf);
    EXPECT_TRUE(source.startsAsRTF());
    const std::u16string text = readText(source);
    // Escaped bytes are in the declared code page, raw characters UTF-8;
    // "\uc2" skips an emoji (one character) and the "x".
    EXPECT_NE(text.find(u"\u00E9t\u00E9\u00E9\u20AC\u20AC\U0001F600? and \u20AC done\n"), std::u16string::npos)
        << toUtf8(text);
    // "\bin" counts bytes: two for an e acute, five for it and a euro sign.
    EXPECT_NE(text.find(u"after b\n"), std::u16string::npos) << toUtf8(text);
    // A count that ends inside a character takes the character; inside an
    // emoji, its first half (the count of text handed over as UTF-16).
    const char16_t lowHalf = 0xDE00;
    EXPECT_NE(text.find(u"cut y and " + std::u16string(1, lowHalf) + u"z and w\n"), std::u16string::npos);
    // A replacement that is a control symbol of an emoji skips its first half.
    EXPECT_NE(text.find(u"\u20AC" + std::u16string(1, lowHalf) + u" tail\n"), std::u16string::npos);
    EXPECT_TRUE(text.ends_with(u"\u00E9 \U0001F600 symbol\n")) << toUtf8(text);
    // Read from UTF-16 text, as the pasteboard hands it over, it is the same.
    EXPECT_EQ(readText(DKRTFReaderSource::fromText(toUtf16(rtf))), text);
}

TEST_F(RTFReaderByteSourceTest, binaryDataInACodePageFileCountsBytes)
{
    // Each 8-bit byte of the data is one byte, not the UTF-8 of the
    // character it would be in the code page: none of the data is text.
    const std::string rtf = fixtureBytes("wordpad-bin-object.rtf");
    std::optional<SingleByteCodePage> codePage = SingleByteCodePage::make(StringEncoding::windowsLatin1());
    ASSERT_TRUE(codePage);
    const std::u16string text =
        readText(DKRTFReaderSource::inFileCodePage(rtf, std::make_shared<const SingleByteCodePage>(*codePage)));
    EXPECT_EQ(text, u"Caf\u00E9 na\u00EFve \u00E0 la cr\u00E8me\nAfter the object: \u00ABbr\u00FBl\u00E9e\u00BB\n"
                    u"Binary in the text stays out\n");
    Result<AttributedString> declared = DKRTFReader::parseRTFData(rtf);
    ASSERT_TRUE(declared.ok());
    EXPECT_EQ(declared->string(), text);
}

TEST_F(RTFReaderByteSourceTest, textHandedOverAsUTF16KeepsUnpairedSurrogates)
{
    const std::u16string rtf = u"{\\rtf1 a\xD800" u"b\xDC01\\\xDBFF}";
    const DKRTFReaderSource source = DKRTFReaderSource::fromText(rtf);
    EXPECT_EQ(source.text(0, source.bytes().size()), rtf);
    EXPECT_EQ(readText(source), u"a\xD800" u"b\xDC01\xDBFF");
    // Each half counts two bytes of binary data, as in UTF-8 of a pair.
    const std::size_t start = source.bytes().find('a') + 1;
    EXPECT_EQ(source.endOfBinaryData(start, 2), start + 3);
    EXPECT_EQ(source.endOfBinaryData(start, 3), start + 4);
}

TEST_F(RTFReaderByteSourceTest, startsAsRTFAfterBlanksAndOnlyAUTF8Mark)
{
    EXPECT_TRUE(DKRTFReaderSource::utf8(" \r\n\xEF\xBB\xBF\t{\\rtf1 x}").startsAsRTF());
    EXPECT_FALSE(DKRTFReaderSource::inDeclaredCodePages("\xEF\xBB\xBF{\\rtf1 x}").startsAsRTF());
    EXPECT_FALSE(DKRTFReaderSource::utf8("{\\rt").startsAsRTF());
    EXPECT_FALSE(DKRTFReaderSource::utf8("Notes {\\rtf1}").startsAsRTF());
    Result<AttributedString> notRTF = DKRTFReader::parseRTFData("plain \xE9 text");
    ASSERT_FALSE(notRTF.ok());
    EXPECT_EQ(notRTF.error().code, DKRTFReader::NotRTFError);
}

TEST_F(RTFReaderByteSourceTest, paperColourIsFoundInTheBytesWhichStayAsTheyAre)
{
    const std::string white = fixtureBytes("folio-white-paper.rtf");
    const RTFPaperColor paper = paperColorOfRTF(white);
    EXPECT_EQ(paper.color, "FFFFFF");
    ASSERT_TRUE(paper.whiteMarker);
    EXPECT_EQ(white.substr(*paper.whiteMarker, RTFPaperColor::kWhiteMarkerLength), "\\papercolorFFFFFF");
    // The reading leaves the borrowed bytes as they were.
    Result<DKRTFReadResult> read = DKRTFReader::read(DKRTFReaderSource::utf8(white));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->paperColor, "FFFFFF");
    EXPECT_NE(white.find("\\papercolorFFFFFF"), std::string::npos);

    EXPECT_EQ(paperColorOfRTF("{\\rtf1 \\\\papercolor12 \\papercolor255 x}").color, "FF0000");
    EXPECT_FALSE(paperColorOfRTF("{\\rtf1 \\papercolor255 x}").whiteMarker);
}

} // namespace
} // namespace folio
