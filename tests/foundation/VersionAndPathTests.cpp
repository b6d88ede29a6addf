#include "foundation/system/TEDataUtilities.h"
#include "foundation/files/TEPathUtilities.h"
#include "foundation/system/TEVersion.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

namespace folio {

TEST(TEVersion, ParsesLeadingNumbersUpToABlank)
{
    auto short_ = TEVersion::versionWithString("2.1");
    ASSERT_TRUE(short_);
    EXPECT_EQ(short_->major(), 2u);
    EXPECT_EQ(short_->minor(), 1u);
    EXPECT_EQ(short_->maintenance(), 0u);
    EXPECT_EQ(short_->description(), "2.1");

    auto full = TEVersion::versionWithString("1.2.3.4 beta");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->description(), "1.2.3.4");
    EXPECT_EQ(TEVersion(1, 2, 3).description(), "1.2.3");

    EXPECT_FALSE(TEVersion::versionWithString("v1.2"));
    EXPECT_FALSE(TEVersion::versionWithString("1.2beta"));
    EXPECT_FALSE(TEVersion::versionWithString(""));
}

TEST(TEVersion, EqualityIgnoresTheBuildButOrderingDoesNot)
{
    TEVersion a(1, 2, 3, 4);
    TEVersion b(1, 2, 3, 5);
    EXPECT_TRUE(a.isEqualToVersion(b));
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_TRUE(a.isLessThenVersion(b));
    EXPECT_TRUE(TEVersion(2, 0, 0).isGreaterThenVersionString("1.9.9.9"));
    EXPECT_TRUE(TEVersion(1, 10, 0).isGreaterThenVersionString("1.9"));
    // Nothing to compare with orders after, so the comparison never claims "less".
    EXPECT_FALSE(a.isLessThenVersionString("not a version"));
    EXPECT_TRUE(a.isGreaterThenVersionString("not a version"));
    EXPECT_TRUE(a.isEqualToString("1.2.3"));
    EXPECT_GT(TEVersion::osVersion().major(), 0u);
}

TEST(TEPathUtilities, SequenceNumbersCountUpAndComeOff)
{
    EXPECT_EQ(TEPathUtilities::pathByIncrementingSequenceNumber("report(3).txt"), "report(4).txt");
    EXPECT_EQ(TEPathUtilities::pathByIncrementingSequenceNumber("report.txt"), "report(1).txt");
    EXPECT_EQ(TEPathUtilities::pathByIncrementingSequenceNumber("/a.b/report"), "/a.b/report(1)");
    EXPECT_EQ(TEPathUtilities::pathByIncrementingSequenceNumber("/x/.hidden"), "/x/.hidden(1)");
    EXPECT_EQ(TEPathUtilities::pathByDeletingSequenceNumber("report(3).txt"), "report.txt");
    EXPECT_EQ(TEPathUtilities::pathByDeletingSequenceNumber("report (draft).txt"), "report (draft).txt");
    EXPECT_EQ(TEPathUtilities::pathByDeletingSequenceNumber("(12)"), "");
}

TEST(TEPathUtilities, BytesAreFormattedInTheLargestUnitUnderTenThousandTenths)
{
    EXPECT_EQ(stringByFormattingBytes(0), "0 Bytes");
    EXPECT_EQ(stringByFormattingBytes(999), "999 Bytes");
    EXPECT_EQ(stringByFormattingBytes(1000), "0.9 KB");
    EXPECT_EQ(stringByFormattingBytes(1048576), "1.0 MB");
    EXPECT_EQ(stringByFormattingBytes(5ull << 40), "5.0 TB");
    EXPECT_EQ(stringByFormattingBytes(UINT64_MAX).substr(0, 2), "16");
}

TEST(TEPathUtilities, TemporaryFilesAreFreshNamesInTheTemporaryFolder)
{
    std::string first = TEPathUtilities::pathForTemporaryFile();
    EXPECT_EQ(first.rfind(TEPathUtilities::temporaryPath() + "/", 0), 0u);
    EXPECT_NE(first, TEPathUtilities::pathForTemporaryFile());
}

TEST(TEDataUtilities, DigestsMatchThePublishedTestVectors)
{
    auto bytes = [](std::string_view text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    auto hex = [](const std::vector<std::uint8_t>& digest) {
        std::string text;
        for (std::uint8_t byte : digest) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", byte);
            text += digits;
        }
        return text;
    };
    // RFC 1321, appendix A.5.
    EXPECT_EQ(TEDataUtilities::md5Checksum(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(TEDataUtilities::md5Checksum("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(TEDataUtilities::md5Checksum(std::string_view("abc\0def", 7)), TEDataUtilities::md5Checksum("abc"));
    EXPECT_EQ(hex(TEDataUtilities::dataWithMD5Hash(bytes("abc"))), "900150983cd24fb0d6963f7d28e17f72");
    // FIPS 180-1, appendix A.
    EXPECT_EQ(hex(TEDataUtilities::dataWithSHA1Hash(bytes("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // RFC 2202, test case 2.
    EXPECT_EQ(hex(TEDataUtilities::encryptedDataUsingSHA1WithKey(bytes("what do ya want for nothing?"), bytes("Jefe"))),
              "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
    // Empty data and an empty key are a digest all the same.
    EXPECT_EQ(hex(TEDataUtilities::dataWithSHA1Hash(bytes(""))), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(hex(TEDataUtilities::encryptedDataUsingSHA1WithKey(bytes(""), bytes(""))),
              "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d");
}

TEST(TEDataUtilities, URLEncodingEscapesTheDelimiters)
{
    EXPECT_EQ(TEDataUtilities::stringByURLEncoding("a b&c=d/e?f#g"), "a%20b%26c%3Dd%2Fe%3Ff%23g");
    EXPECT_EQ(TEDataUtilities::stringByURLEncoding("Caf\xC3\xA9-_.~"), "Caf%C3%A9-_.~");
}

TEST(TEDataUtilities, PropertyListsMustHaveTheAskedTopLevel)
{
    PropertyList dictionary = PropertyList::dictionary({{"key", "value"}});
    Result<Data> xml = dictionary.toData(PropertyList::Format::XML);
    ASSERT_TRUE(xml);
    std::span<const std::uint8_t> bytes(xml->bytes(), xml->length());
    Result<PropertyList> read = TEDataUtilities::dictionaryWithContentsOfData(bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, dictionary);
    EXPECT_FALSE(TEDataUtilities::arrayWithContentsOfData(bytes));
    EXPECT_FALSE(TEDataUtilities::dictionaryWithContentsOfFile("/nonexistent/file.plist"));
    std::vector<std::uint8_t> garbage{'n', 'o', 'p', 'e'};
    EXPECT_FALSE(TEDataUtilities::dictionaryWithContentsOfData(garbage));
}

TEST(TEDataUtilities, MovedObjectsLandBeforeTheTargetInTheirOrder)
{
    std::vector<char> items{'a', 'b', 'c', 'd'};
    moveObjectsAtIndexes(items, {0, 1}, 3);
    EXPECT_EQ(items, (std::vector<char>{'c', 'a', 'b', 'd'}));
    items = {'a', 'b', 'c', 'd', 'e'};
    moveObjectsAtIndexes(items, {1, 4}, 0);
    EXPECT_EQ(items, (std::vector<char>{'b', 'e', 'a', 'c', 'd'}));
    items = {'a', 'b', 'c'};
    moveObjectsAtIndexes(items, {0}, 9);
    EXPECT_EQ(items, (std::vector<char>{'b', 'c', 'a'}));
}

} // namespace folio
