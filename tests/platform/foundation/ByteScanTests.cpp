#include "platform/foundation/ByteScan.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// Each scan agrees with a byte-by-byte reading wherever the byte it stops
// at stands, in and around the blocks it reads at once, and from wherever
// it starts.
TEST(ByteScan, stopsWhereAByteByByteReadingStops)
{
    const std::string plain = "Plain words of a long enough line, read in blocks";
    const std::string_view wanted = "<&\"'-.";
    const std::string stops[] = {"<", "&", "\"", "'", "-", ".", "\x01", "\r", "\x7F", "\xC3\xA9", "\t", "\n", "x"};
    for (std::size_t at = 0; at <= plain.size(); ++at) {
        for (const std::string& stop : stops) {
            const std::string text = plain.substr(0, at) + stop + plain.substr(at);
            for (std::size_t from : {std::size_t(0), at / 2, at}) {
                const std::size_t byByte = text.find_first_of(wanted, from);
                EXPECT_EQ((ByteScan::firstOf<'<', '&', '"', '\'', '-', '.'>(text, from)), byByte == std::string::npos ? text.size() : byByte)
                    << text << " from " << from;
                std::size_t plainEnd = from;
                while (plainEnd < text.size()) {
                    const auto byte = static_cast<unsigned char>(text[plainEnd]);
                    const bool plainByte = (byte >= 0x20 && byte < 0x7F) || byte == '\t' || byte == '\n';
                    if (!plainByte || std::string_view("<>&\"").find(text[plainEnd]) != std::string_view::npos)
                        break;
                    ++plainEnd;
                }
                EXPECT_EQ((ByteScan::firstNotPlainOrOf<'<', '>', '&', '"'>(text, from)), plainEnd) << text << " from " << from;
            }
        }
    }
    EXPECT_EQ(ByteScan::firstOf<'c'>("abc", 5), 3u);
}

TEST(ByteScan, narrowsPrintableASCIIUpToTheFirstOtherUnit)
{
    const std::u16string plain = u"Plain words of a paragraph, long enough";
    const char16_t others[] = {u'\\', u'{', u'}', 0x1F, u'\t', 0x7F, 0x80, 0xE9, 0x2014, 0xD83D, 0xFF20, 0x120};
    for (std::size_t at = 0; at <= plain.size(); ++at) {
        for (char16_t unit : others) {
            std::u16string text = plain;
            text.insert(at, 1, unit);
            std::string out(text.size(), '\0');
            ASSERT_EQ((ByteScan::narrowPrintableASCII<'\\', '{', '}'>(text, out.data())), at) << at << " " << int(unit);
            EXPECT_EQ(out.substr(0, at), std::string(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(at)));
        }
    }
    std::string out(plain.size() + 2, '\0');
    EXPECT_EQ((ByteScan::narrowPrintableASCII<'\\', '{', '}'>(plain + u" ~", out.data())), plain.size() + 2);
}

} // namespace
} // namespace folio
