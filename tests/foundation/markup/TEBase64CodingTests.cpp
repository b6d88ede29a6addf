#include "foundation/markup/TEBase64Coding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> sequence(std::size_t length)
{
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return bytes;
}

TEST(Base64Test, encodesTheRfc4648TestVectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (auto [plain, encoded] : vectors) {
        EXPECT_EQ(base64Encode(bytesOf(plain), true), encoded) << plain;
        EXPECT_EQ(base64Decode(encoded), bytesOf(plain)) << encoded;
    }
    EXPECT_EQ(base64Encode(std::vector<std::uint8_t>{0xFB, 0xFF, 0xBF}, false), "+/+/");
}

TEST(Base64Test, separatedLinesBreakAfterEvery64CharactersButNotAtTheEnd)
{
    std::string full = base64Encode(sequence(48), true);
    EXPECT_EQ(full.size(), 64u);
    EXPECT_EQ(full.find('\r'), std::string::npos);

    std::string longer = base64Encode(sequence(49), true);
    ASSERT_EQ(longer.size(), 64u + 2 + 4);
    EXPECT_EQ(longer.substr(0, 64), full);
    EXPECT_EQ(longer.substr(64, 2), "\r\n");
    EXPECT_EQ(longer.substr(68), "==");

    std::string threeLines = base64Encode(sequence(48 * 3), true);
    EXPECT_EQ(threeLines.size(), 64u * 3 + 4);
    EXPECT_EQ(threeLines.substr(64, 2), "\r\n");
    EXPECT_EQ(threeLines.substr(130, 2), "\r\n");
    EXPECT_NE(threeLines.substr(threeLines.size() - 2), "\r\n");
}

TEST(Base64Test, unseparatedOutputIsOneLine)
{
    std::string text = base64Encode(sequence(200), false);
    EXPECT_EQ(text.size(), (200u + 2) / 3 * 4);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
}

TEST(Base64Test, roundTripsEveryLengthAndEveryByte)
{
    for (std::size_t length = 0; length <= 150; ++length) {
        std::vector<std::uint8_t> bytes = sequence(length);
        EXPECT_EQ(base64Decode(base64Encode(bytes, true)), bytes) << length;
        EXPECT_EQ(base64Decode(base64Encode(bytes, false)), bytes) << length;
    }
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(base64Decode(base64Encode(all, true)), all);
}

TEST(Base64Test, decodingSkipsCharactersOutsideTheAlphabet)
{
    std::vector<std::uint8_t> bytes = sequence(100);
    std::string separated = base64Encode(bytes, true);
    ASSERT_NE(separated.find("\r\n"), std::string::npos);
    EXPECT_EQ(base64Decode(separated), base64Decode(base64Encode(bytes, false)));

    EXPECT_EQ(base64Decode("Zm9v\n"), bytesOf("foo"));
    EXPECT_EQ(base64Decode(" Zm 9v\tYm-_Fy "), bytesOf("foobar"));
    EXPECT_EQ(base64Decode("Zm=9v"), bytesOf("foo")) << "padding in the middle is skipped too";
    EXPECT_EQ(base64Decode("Zm9vY"), bytesOf("foo")) << "a single leftover character is dropped";
    EXPECT_EQ(base64Decode("Zm9vYg"), bytesOf("foob")) << "padding is not required";
    EXPECT_TRUE(base64Decode("====\r\n").empty());
}

TEST(Base64Test, codingClassUsesSeparatedLinesAndRejectsNonAsciiText)
{
    Data picture(sequence(60));
    std::string text = TEBase64Coding::stringByEncodingData(picture);
    EXPECT_EQ(text, base64Encode(picture.span(), true));
    EXPECT_EQ(text.substr(64, 2), "\r\n");
    EXPECT_EQ(TEBase64Coding::dataByDecodingString(text), picture);
    EXPECT_TRUE(TEBase64Coding::stringByEncodingData(Data()).empty());

    EXPECT_TRUE(TEBase64Coding::dataByDecodingString("Zm9v\xC3\xA9").empty());
    EXPECT_EQ(TEBase64Coding::dataByDecodingString("Zm9v").vector(), bytesOf("foo"));
}

} // namespace
} // namespace folio
