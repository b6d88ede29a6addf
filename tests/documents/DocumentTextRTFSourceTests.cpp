#include "documents/DocumentText.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// An RTF file is read from its bytes in the encoding its text would have
// been decoded in; these read each kind both ways and compare.
class DocumentTextRTFSourceTest : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    void readsAsItsDecodedText(const std::string& name, DKRTFReaderSource::Characters characters)
    {
        const std::string path = std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name;
        Result<Data> bytes = Data::dataWithContentsOfFile(path);
        ASSERT_TRUE(bytes.ok());
        Result<DKRTFReaderSource> source = DocumentText::rtfSource(bytes->span(), path);
        ASSERT_TRUE(source.ok()) << name;
        EXPECT_EQ(source->characters(), characters) << name;
        ASSERT_TRUE(source->startsAsRTF()) << name;
        Result<std::u16string> text = DocumentText::decode(bytes->span(), DocumentKind::RTF, path);
        ASSERT_TRUE(text.ok());
        Result<DKRTFReadResult> fromBytes = DKRTFReader::read(*source);
        Result<DKRTFReadResult> fromText = DKRTFReader::read(*text);
        ASSERT_TRUE(fromBytes.ok() && fromText.ok());
        EXPECT_EQ(fromBytes->text.string(), fromText->text.string()) << name;
        EXPECT_EQ(fromBytes->warnings, fromText->warnings) << name;
    }
};

TEST_F(DocumentTextRTFSourceTest, eachEncodingReadsAsTheDecodedFile)
{
    using Characters = DKRTFReaderSource::Characters;
    readsAsItsDecodedText("unicode.rtf", Characters::UTF8);
    readsAsItsDecodedText("utf8-mark-binary.rtf", Characters::UTF8);
    readsAsItsDecodedText("word-truncated.rtf", Characters::FileCodePage);
    readsAsItsDecodedText("wordpad-cyrillic.rtf", Characters::UTF8);
    readsAsItsDecodedText("wordpad-raw-bytes.rtf", Characters::FileCodePage);
    // Raw Shift-JIS, whose second bytes may be backslashes, reads as
    // Windows-1252 does, byte by byte.
    readsAsItsDecodedText("wordprocessor-shift-jis.rtf", Characters::FileCodePage);
    // Byte-order marks are decoded first.
    readsAsItsDecodedText("notepad-utf16.rtf", Characters::UTF8);
}

TEST_F(DocumentTextRTFSourceTest, aByteOrderMarkedFileReadsItsText)
{
    const std::string path = std::string(FOLIO_TEST_DATA_DIR) + "/rtf/notepad-utf16.rtf";
    Result<Data> bytes = Data::dataWithContentsOfFile(path);
    ASSERT_TRUE(bytes.ok());
    Result<DKRTFReaderSource> source = DocumentText::rtfSource(bytes->span(), path);
    ASSERT_TRUE(source.ok());
    Result<DKRTFReadResult> read = DKRTFReader::read(*source);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->text.string(), u"\u041F\u0440\u0438\u0432\u0435\u0442, caf\u00E9 \U0001F600 \u20AC euro\nbold end\n");
    // A mark whose text does not decode is an error, not an empty page.
    const std::uint8_t broken[] = {0xFF, 0xFE, '{', 0, '\\', 0, 0x00, 0xD8, 'x', 0};
    Result<DKRTFReaderSource> undecodable = DocumentText::rtfSource(broken, "broken.rtf");
    ASSERT_FALSE(undecodable.ok());
    EXPECT_EQ(undecodable.error().code, DocumentText::Undecodable);
}

TEST_F(DocumentTextRTFSourceTest, filesThatDoNotStartAsRTFAreLeftToTheTextReading)
{
    for (const char* name : {"not-rtf-latin1.rtf", "utf8-mark-latin1.rtf"}) {
        const std::string path = std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name;
        Result<Data> bytes = Data::dataWithContentsOfFile(path);
        ASSERT_TRUE(bytes.ok());
        Result<DKRTFReaderSource> source = DocumentText::rtfSource(bytes->span(), path);
        ASSERT_TRUE(source.ok()) << name;
        EXPECT_FALSE(source->startsAsRTF()) << name;
    }
    // A picture renamed ".rtf" reads as Windows-1252 here; the text reading
    // refuses it for its binary data.
    const std::uint8_t picture[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, '\r', 'I', 'H', 'D', 'R'};
    Result<DKRTFReaderSource> source = DocumentText::rtfSource(picture, "picture.rtf");
    ASSERT_TRUE(source.ok());
    EXPECT_FALSE(source->startsAsRTF());
    Result<std::u16string> text = DocumentText::decode(picture, DocumentKind::RTF, "picture.rtf");
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.error().code, DocumentText::Undecodable);
}

} // namespace
} // namespace folio
