#include "platform/web/PDFObjectFile.h"

#include "platform/web/PDFObject.h"
#include "platform/web/PDFTokenizer.h"
#include "PDFTestFile.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::PDFTestFile;

Result<PDFObject> parsed(std::string_view text)
{
    PDFTokenizer tokenizer(text);
    return PDFObject::parse(tokenizer);
}

Result<PDFObjectFile> fileFrom(const std::string& bytes)
{
    return PDFObjectFile::read(Data::fromString(bytes));
}

TEST(PDFObject, ReadsNestedValuesStringsNamesAndReferences)
{
    auto value = parsed("<</A [1 -2.5 .5 +3 (a\\)b\\051\\n(c)) <48 65 6c6> /N#20x 4 0 R 5 0 true null]\n"
                        "% a comment\n/D <</E /F>>>>");
    ASSERT_TRUE(value) << value.error().message;
    ASSERT_TRUE(value->isDictionary());
    const auto& items = value->find("A")->items();
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[0].number(), 1);
    EXPECT_EQ(items[1].number(), -2.5);
    EXPECT_EQ(items[2].number(), 0.5);
    EXPECT_EQ(items[3].number(), 3);
    EXPECT_EQ(items[4].text(), "a)b)\n(c)");
    // An odd last hex digit is followed by an implied zero.
    EXPECT_EQ(items[5].text(), "Hel`");
    EXPECT_TRUE(items[6].isName("N x"));
    EXPECT_EQ(items[7].kind(), PDFObject::Kind::Reference);
    EXPECT_EQ(items[7].objectNumber(), 4);
    // Two numbers not followed by R stay numbers.
    EXPECT_EQ(items[8].kind(), PDFObject::Kind::Number);
    EXPECT_EQ(items[9].kind(), PDFObject::Kind::Number);
    EXPECT_EQ(items[10].kind(), PDFObject::Kind::Boolean);
    EXPECT_EQ(items[11].kind(), PDFObject::Kind::Null);
    EXPECT_TRUE(value->find("D")->find("E")->isName("F"));
    EXPECT_EQ(value->find("missing"), nullptr);

    std::vector<int> references;
    value->collectReferences(references);
    EXPECT_EQ(references, std::vector<int>{4});
}

TEST(PDFObject, RefusesDamagedAndTooDeepValues)
{
    for (std::string_view damaged : {"<</A 1", "[1 2", "(open", "<4G>", "<<1 2>>", "1.2.3", "endobj", ")"})
        EXPECT_FALSE(parsed(damaged)) << damaged;
    std::string deep(200, '[');
    deep += std::string(200, ']');
    auto value = parsed(deep);
    ASSERT_FALSE(value);
    EXPECT_EQ(value.error().code, PDFObject::TooDeep);
}

class PDFObjectFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_catalog = m_pdf.add("<</Type /Catalog /Pages 2 0 R>>");
        m_pdf.add("<</Type /Pages /Kids [] /Count 0>>");
        m_compressed = m_pdf.add(PDFTestFile::stream("compressed bytes", " /Kind /Test"));
        m_plain = m_pdf.add(PDFTestFile::stream("plain (bytes) endobj", "", false));
    }

    PDFTestFile m_pdf;
    int m_catalog = 0;
    int m_compressed = 0;
    int m_plain = 0;
};

TEST_F(PDFObjectFileTest, ReadsObjectsAndDecodesTheirStreams)
{
    auto file = fileFrom(m_pdf.bytes("/Root 1 0 R"));
    ASSERT_TRUE(file) << file.error().message;
    EXPECT_EQ(file->objectNumbers(), (std::vector<int>{1, 2, 3, 4}));
    const PDFObject* pages = file->resolvedEntry(*file->value(m_catalog), "Pages");
    ASSERT_TRUE(pages);
    EXPECT_TRUE(pages->find("Type")->isName("Pages"));
    EXPECT_EQ(file->resolvedEntry(file->trailer(), "Root"), file->value(m_catalog));
    EXPECT_TRUE(file->isStream(m_compressed));
    EXPECT_FALSE(file->isStream(m_catalog));
    EXPECT_EQ(file->decodedStream(m_compressed)->toString(), "compressed bytes");
    // The stream's own bytes may hold keywords; its length says where it ends.
    EXPECT_EQ(file->decodedStream(m_plain)->toString(), "plain (bytes) endobj");
    EXPECT_FALSE(file->decodedStream(m_catalog));
    EXPECT_EQ(file->value(99), nullptr);
}

TEST_F(PDFObjectFileTest, FollowsAnIndirectStreamLength)
{
    int length = m_pdf.reserve();
    int stream = m_pdf.add("<</Length " + std::to_string(length) + " 0 R>>\nstream\nsix by\nendstream");
    m_pdf.set(length, "6");
    auto file = fileFrom(m_pdf.bytes("/Root 1 0 R"));
    ASSERT_TRUE(file) << file.error().message;
    EXPECT_EQ(file->decodedStream(stream)->toString(), "six by");
}

TEST_F(PDFObjectFileTest, RewritesWithReplacedBodiesAndANewTable)
{
    auto file = fileFrom(m_pdf.bytes("/Root 1 0 R /Info 2 0 R"));
    ASSERT_TRUE(file);
    std::string longer(5000, 'x');
    Data rewritten = file->rewritten(
        {{m_compressed, PDFObjectFile::streamBody("<</Length 5000>>", std::span(reinterpret_cast<const std::uint8_t*>(longer.data()), longer.size()))}});
    // Reading it again checks every offset of the new table.
    auto again = PDFObjectFile::read(rewritten);
    ASSERT_TRUE(again) << again.error().message;
    EXPECT_EQ(again->objectNumbers(), file->objectNumbers());
    EXPECT_EQ(again->decodedStream(m_compressed)->toString(), longer);
    EXPECT_EQ(again->decodedStream(m_plain)->toString(), "plain (bytes) endobj");
    EXPECT_TRUE(again->trailer().find("Info"));
    EXPECT_TRUE(again->value(m_catalog)->find("Type")->isName("Catalog"));
    // Nothing replaced: the same objects in the same places.
    EXPECT_EQ(PDFObjectFile::read(file->rewritten({}))->rewritten({}), file->rewritten({}));
}

TEST_F(PDFObjectFileTest, RefusesWhatItWouldNotRewriteWhole)
{
    std::string good = m_pdf.bytes("/Root 1 0 R");
    // Saved incrementally, encrypted, or with a cross-reference stream.
    for (const char* entries : {"/Root 1 0 R /Prev 10", "/Root 1 0 R /Encrypt 2 0 R", "/Root 1 0 R /XRefStm 10"}) {
        auto file = fileFrom(m_pdf.bytes(entries));
        ASSERT_FALSE(file) << entries;
        EXPECT_EQ(file.error().code, PDFObjectFile::Unsupported);
    }
    std::size_t table = good.rfind("\nxref\n") + 1;
    std::string streamTable = good.substr(0, table) + "9 0 obj\n<</Type /XRef>>\nendobj\nstartxref\n"
                              + std::to_string(table) + "\n%%EOF\n";
    EXPECT_EQ(fileFrom(streamTable).error().code, PDFObjectFile::Unsupported);

    // Damaged: a table entry off by one byte, a stream longer than its
    // length, no startxref.
    std::string shifted = good;
    std::size_t entry = shifted.find(" 00000 n", table);
    shifted[entry - 1] = static_cast<char>(shifted[entry - 1] + 1);
    EXPECT_EQ(fileFrom(shifted).error().code, PDFObjectFile::Malformed);
    PDFTestFile wrongLength;
    wrongLength.add("<</Length 3>>\nstream\nfour\nendstream");
    EXPECT_EQ(fileFrom(wrongLength.bytes("")).error().code, PDFObjectFile::Malformed);
    EXPECT_FALSE(fileFrom(good.substr(0, good.rfind("startxref"))));
    EXPECT_FALSE(fileFrom(""));
}

} // namespace
} // namespace folio
