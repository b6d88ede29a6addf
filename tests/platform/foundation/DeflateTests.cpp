#include "platform/foundation/Deflate.h"

#include <gtest/gtest.h>

#include <random>

namespace folio {
namespace {

std::vector<std::uint8_t> sampleBytes(std::size_t size)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = i % 3 ? static_cast<std::uint8_t>('a' + i % 7) : static_cast<std::uint8_t>(random());
    return bytes;
}

TEST(Deflate, RoundTripsRawStreams)
{
    for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(1000), std::size_t(300000)}) {
        auto bytes = sampleBytes(size);
        auto compressed = Deflate::compress(bytes);
        ASSERT_TRUE(compressed);
        auto restored = Deflate::decompress(compressed->span());
        ASSERT_TRUE(restored) << restored.error().message;
        EXPECT_EQ(restored->vector(), bytes) << size;
    }
}

TEST(Deflate, WritesRawStreamsWithoutAZlibHeader)
{
    auto compressed = Deflate::compress(sampleBytes(100));
    ASSERT_TRUE(compressed);
    // A zlib stream would start with 0x78; raw DEFLATE of a final block starts with its header bits.
    EXPECT_NE(compressed->bytes()[0], 0x78);
    // A known raw stream: "hello" as one fixed-Huffman block.
    std::vector<std::uint8_t> hello = {0xcb, 0x48, 0xcd, 0xc9, 0xc9, 0x07, 0x00};
    EXPECT_EQ(Deflate::decompress(hello)->toString(), "hello");
}

TEST(Deflate, ZlibFramingCarriesTheWrapperBothWays)
{
    auto bytes = sampleBytes(5000);
    auto compressed = Deflate::compress(bytes, 6, Deflate::Framing::Zlib);
    ASSERT_TRUE(compressed);
    // RFC 1950: deflate method with a 32 KB window, and a header checksum.
    EXPECT_EQ(compressed->bytes()[0], 0x78);
    EXPECT_EQ((compressed->bytes()[0] * 256 + compressed->bytes()[1]) % 31, 0);
    auto restored = Deflate::decompress(compressed->span(), Deflate::kDefaultInflateLimit, Deflate::Framing::Zlib);
    ASSERT_TRUE(restored) << restored.error().message;
    EXPECT_EQ(restored->vector(), bytes);
    // The wrapper is no raw stream, and a raw stream has no wrapper.
    EXPECT_FALSE(Deflate::decompress(compressed->span()));
    auto raw = Deflate::compress(bytes);
    EXPECT_FALSE(Deflate::decompress(raw->span(), Deflate::kDefaultInflateLimit, Deflate::Framing::Zlib));
}

TEST(Deflate, GarbageIsRefused)
{
    std::vector<std::uint8_t> garbage = {0xff, 0xff, 0xff, 0xff, 0x12, 0x34};
    auto result = Deflate::decompress(garbage);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().domain, Deflate::kErrorDomain);
    EXPECT_EQ(result.error().code, Deflate::CorruptInput);
}

TEST(Deflate, TruncatedStreamIsRefusedNotPartial)
{
    auto compressed = Deflate::compress(sampleBytes(50000)).value();
    std::vector<std::uint8_t> cut(compressed.bytes(), compressed.bytes() + compressed.length() / 2);
    auto result = Deflate::decompress(cut);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, Deflate::Truncated);
    EXPECT_FALSE(Deflate::decompress(std::vector<std::uint8_t>{}));
}

TEST(Deflate, OutputOverTheCapIsRefused)
{
    std::vector<std::uint8_t> zeros(1 << 20, 0);
    auto compressed = Deflate::compress(zeros).value();
    EXPECT_LT(compressed.length(), 4096u);
    auto capped = Deflate::decompress(compressed.span(), zeros.size() - 1);
    ASSERT_FALSE(capped);
    EXPECT_EQ(capped.error().code, Deflate::TooLarge);
    auto exact = Deflate::decompress(compressed.span(), zeros.size());
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->length(), zeros.size());
}

TEST(Deflate, OutputsAroundTheGrowthOfTheOutputKeepEveryByteAndTheCap)
{
    // The output grows by quarter megabytes as it is inflated: streams that
    // end on, beside and well past a step come out whole at a cap of their
    // own length and are refused one byte under it.
    constexpr std::size_t kStep = 256 * 1024;
    for (std::size_t size : {kStep - 1, kStep, kStep + 1, 3 * kStep + 7}) {
        auto bytes = sampleBytes(size);
        auto compressed = Deflate::compress(bytes).value();
        auto exact = Deflate::decompressText(compressed.span(), size);
        ASSERT_TRUE(exact) << size;
        EXPECT_EQ(*exact, std::string(bytes.begin(), bytes.end())) << size;
        auto under = Deflate::decompress(compressed.span(), size - 1);
        ASSERT_FALSE(under) << size;
        EXPECT_EQ(under.error().code, Deflate::TooLarge) << size;
    }
}

TEST(Deflate, TextIsInflatedAsTheBytesAreAndRefusedAlike)
{
    // Whole streams of each size, a cut one, garbage, and one past the cap
    // give the text the bytes give, or the same error.
    std::vector<std::vector<std::uint8_t>> streams;
    for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(70000), std::size_t(300000)})
        streams.push_back(Deflate::compress(sampleBytes(size)).value().vector());
    const std::vector<std::uint8_t> whole = streams.back();
    streams.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    streams.push_back({0xff, 0xff, 0xff, 0xff, 0x12, 0x34});
    for (const std::vector<std::uint8_t>& stream : streams) {
        for (std::size_t cap : {Deflate::kDefaultInflateLimit, std::size_t(100000)}) {
            Result<Data> bytes = Deflate::decompress(stream, cap);
            Result<std::string> text = Deflate::decompressText(stream, cap);
            ASSERT_EQ(bytes.ok(), text.ok()) << stream.size() << " " << cap;
            if (bytes)
                EXPECT_EQ(*text, bytes->toString());
            else
                EXPECT_EQ(text.error().code, bytes.error().code);
        }
    }
}

TEST(Deflate, StreamsThatGrowFarPastTheirSizeOrHaveBytesAfterTheirEndComeOutWhole)
{
    // Packed 10, 100 and 1000 times smaller, in both framings, and with
    // bytes after the end of the stream, which are not read.
    for (const std::size_t run : {std::size_t(8), std::size_t(200), std::size_t(5000)}) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t index = 0; bytes.size() < 400000; ++index)
            bytes.insert(bytes.end(), run, static_cast<std::uint8_t>('a' + index % 26));
        for (const Deflate::Framing framing : {Deflate::Framing::Raw, Deflate::Framing::Zlib}) {
            std::vector<std::uint8_t> stream = Deflate::compress(bytes, 9, framing).value().vector();
            stream.insert(stream.end(), {0x00, 0xff, 0x12});
            auto restored = Deflate::decompress(stream, Deflate::kDefaultInflateLimit, framing);
            ASSERT_TRUE(restored) << run;
            EXPECT_TRUE(restored->vector() == bytes) << run;
            auto text = Deflate::decompressText(stream, bytes.size(), framing);
            ASSERT_TRUE(text) << run;
            EXPECT_EQ(text->size(), bytes.size());
            EXPECT_EQ(Deflate::decompressText(stream, bytes.size() - 1, framing).error().code, Deflate::TooLarge);
        }
    }
}

} // namespace
} // namespace folio
