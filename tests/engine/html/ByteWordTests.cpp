#include "engine/html/ByteWord.h"

#include "engine/html/HTMLSanitizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <random>
#include <set>
#include <string>

namespace folio {
namespace {

std::uint64_t wordOf(const std::array<unsigned char, 8>& bytes)
{
    return ByteWord::load(reinterpret_cast<const char*>(bytes.data()));
}

// Each test answers for the word what asking byte by byte answers (and the
// exact marks say which bytes): every
// value at every place, beside neighbours that would borrow or carry into
// it, and random words.
TEST(ByteWord, answersAsTheBytesOneByOneDo)
{
    auto check = [](const std::array<unsigned char, 8>& bytes) {
        std::uint64_t word = wordOf(bytes);
        for (unsigned target : {0u, unsigned('&'), unsigned('>'), unsigned('"'), 0x7Fu, 0x80u, 0xFFu}) {
            bool has = std::find(bytes.begin(), bytes.end(), static_cast<unsigned char>(target)) != bytes.end();
            ASSERT_EQ(ByteWord::hasByte(word, static_cast<unsigned char>(target)), has) << target;
            // The exact marks: one high bit for each byte of the value, at its place.
            std::uint64_t marks = ByteWord::bytesEqualTo(word, static_cast<unsigned char>(target));
            for (std::size_t place = 0; place < 8; ++place)
                ASSERT_EQ((marks >> (place * 8)) & 0xFF, bytes[place] == target ? 0x80u : 0u) << target << " at " << place;
            if (has) {
                ASSERT_EQ(ByteWord::firstMarked(marks),
                          static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), target) - bytes.begin()));
            }
        }
        ASSERT_EQ(ByteWord::hasHighByte(word), std::any_of(bytes.begin(), bytes.end(), [](unsigned char b) { return b >= 0x80; }));
        for (unsigned limit : {1u, 0x20u, 0x7Fu, 0x80u}) {
            bool below = std::any_of(bytes.begin(), bytes.end(), [limit](unsigned char b) { return b < limit; });
            ASSERT_EQ(ByteWord::hasByteBelow(word, static_cast<unsigned char>(limit)), below) << limit;
            std::uint64_t marks = ByteWord::bytesBelow(word, static_cast<unsigned char>(limit));
            for (std::size_t place = 0; place < 8; ++place)
                ASSERT_EQ((marks >> (place * 8)) & 0xFF, bytes[place] < limit ? 0x80u : 0u) << limit << " at " << place;
        }
    };
    for (unsigned filler : {unsigned('a'), unsigned(' '), 0x21u, 0x00u, 0x80u, 0xFFu, 0x3Du}) {
        for (unsigned value = 0; value < 256; ++value) {
            for (std::size_t place = 0; place < 8; ++place) {
                std::array<unsigned char, 8> bytes;
                bytes.fill(static_cast<unsigned char>(filler));
                bytes[place] = static_cast<unsigned char>(value);
                check(bytes);
            }
        }
    }
    std::mt19937 random(8);
    for (int round = 0; round < 20000; ++round) {
        std::array<unsigned char, 8> bytes;
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(random() % 4 ? 0x1C + random() % 0x70 : random() % 256);
        check(bytes);
    }
}

// A word masked to its first bytes keeps those bytes and clears the rest,
// for every count a short end tag takes.
TEST(ByteWord, firstBytesKeepsExactlyThatManyBytes)
{
    const std::array<unsigned char, 8> bytes = {0x3C, 0x2F, 0xFF, 0x80, 0x01, 0x7F, 0x3E, 0xAA};
    const std::uint64_t word = wordOf(bytes);
    for (std::size_t count = 1; count <= 8; ++count) {
        std::array<unsigned char, 8> expected{};
        std::copy_n(bytes.begin(), count, expected.begin());
        EXPECT_EQ(word & ByteWord::firstBytes(count), wordOf(expected)) << count;
    }
}

// Start tags that differ in one byte, anywhere (the last few bytes of a
// text that is no whole number of words included), are told apart.
TEST(ByteWord, hashTellsApartTextsDifferingInOneByte)
{
    const std::string tag = "<span style=\"font-family:'Georgia','Georgia';font-size:18px;color:#222222;\">";
    for (std::size_t length = 0; length <= tag.size(); ++length) {
        std::string text = tag.substr(0, length);
        EXPECT_EQ(ByteWord::hash(text), ByteWord::hash(std::string(text))) << text;
        // Only the text's own bytes count, whatever stands before and after it.
        const std::string surrounded = "<<<<<<<<" + text + ">>>>>>>>";
        EXPECT_EQ(ByteWord::hash(std::string_view(surrounded).substr(8, length)), ByteWord::hash(text)) << text;
        std::set<std::size_t> hashes = {ByteWord::hash(text)};
        for (std::size_t place = 0; place < length; ++place) {
            std::string changed = text;
            changed[place] = static_cast<char>(changed[place] ^ 0x01);
            hashes.insert(ByteWord::hash(changed));
        }
        EXPECT_EQ(hashes.size(), length + 1) << text;
    }
    EXPECT_NE(ByteWord::hash(std::string_view("\0", 1)), ByteWord::hash(std::string_view("\0\0", 2)));
}

// The sanitiser's escaping passes plain stretches a word at a time: every
// markup character is escaped wherever it falls in a word, and nothing
// else changes.
TEST(ByteWord, sanitisedTextEscapesMarkupWhereverItFallsInAWord)
{
    const char alphabet[] = {'a', 'b', ' ', '&', '<', '>', '"', '\'', ';', '#', '\t', '\n'};
    std::mt19937 random(20261207);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        std::size_t length = random() % 40;
        for (std::size_t index = 0; index < length; ++index)
            text += random() % 5 ? 'x' : alphabet[random() % std::size(alphabet)];
        for (bool inAttribute : {false, true}) {
            std::string expected;
            for (char c : text) {
                switch (c) {
                case '&': expected += "&amp;"; break;
                case '<': expected += "&lt;"; break;
                case '>': expected += "&gt;"; break;
                case '"': expected += inAttribute ? "&quot;" : "\""; break;
                default: expected += c;
                }
            }
            for (auto characters : {HTMLSanitizer::Characters::AsTheyAre, HTMLSanitizer::Characters::References}) {
                std::string written = "kept:";
                HTMLSanitizer::appendText(written, text, inAttribute, characters);
                ASSERT_EQ(written, "kept:" + expected) << text;
            }
        }
    }
}

} // namespace
} // namespace folio
