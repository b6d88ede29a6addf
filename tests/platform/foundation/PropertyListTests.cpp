#include "platform/foundation/PropertyList.h"

#include "ScratchFolder.h"
#include "support/HandWrittenBinaryPlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace folio {
namespace {

PropertyList sample()
{
    using namespace std::chrono;
    PropertyList::Date date = system_clock::time_point(seconds(1700000000));
    return PropertyList::dictionary({
        {"zeta", "last key first"},
        {"count", std::int64_t(42)},
        {"negative", std::int64_t(-7)},
        {"huge", std::int64_t(9007199254740993)},
        {"ratio", 0.1},
        {"enabled", true},
        {"disabled", false},
        {"saved", date},
        {"bytes", Data::fromString(std::string("\0\1\2\xff", 4))},
        {"text", "Grüße <&> \"quoted\""},
        {"empty", ""},
        {"list", PropertyList::array({"a", std::int64_t(1), PropertyList::array(), PropertyList::dictionary()})},
        {"nested", PropertyList::dictionary({{"b", "2"}, {"a", "1"}})},
    });
}

class PropertyListRoundTrip : public testing::TestWithParam<PropertyList::Format> {};

TEST_P(PropertyListRoundTrip, KeepsEveryValueAndKeyOrder)
{
    PropertyList original = sample();
    auto encoded = original.toData(GetParam());
    ASSERT_TRUE(encoded) << encoded.error().message;
    auto decoded = PropertyList::fromData(encoded->span());
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ(decoded->keys(), original.keys());
    EXPECT_EQ(decoded->objectForKey("nested")->keys(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(decoded->objectForKey("negative")->integerValue(), -7);
    EXPECT_EQ(decoded->objectForKey("huge")->integerValue(), 9007199254740993);
    EXPECT_EQ(decoded->objectForKey("ratio")->realValue(), 0.1);
    EXPECT_EQ(*decoded->objectForKey("text")->stringValue(), "Grüße <&> \"quoted\"");
    EXPECT_EQ(decoded->objectForKey("bytes")->dataValue()->length(), 4u);
    EXPECT_EQ(decoded.value(), original);
}

TEST_P(PropertyListRoundTrip, TopLevelNeedNotBeADictionary)
{
    PropertyList list = PropertyList::array({"one", 2.5, false});
    auto decoded = PropertyList::fromData(list.toData(GetParam())->span());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded.value(), list);
}

INSTANTIATE_TEST_SUITE_P(Formats, PropertyListRoundTrip,
    testing::Values(PropertyList::Format::XML, PropertyList::Format::Binary),
    [](const auto& info) { return info.param == PropertyList::Format::XML ? "XML" : "Binary"; });

TEST(PropertyListDates, BinaryKeepsFractionsXmlKeepsSeconds)
{
    using namespace std::chrono;
    PropertyList::Date date = system_clock::time_point(seconds(1700000000) + microseconds(250000));
    PropertyList list = PropertyList::array({date, PropertyList::Date(system_clock::time_point(seconds(-86400)))});
    auto binary = PropertyList::fromData(list.toData(PropertyList::Format::Binary)->span());
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary.value(), list);
    Data xml = list.toData(PropertyList::Format::XML).value();
    EXPECT_NE(xml.stringView().find("<date>2023-11-14T22:13:20Z</date>"), std::string_view::npos);
    EXPECT_NE(xml.stringView().find("<date>1969-12-31T00:00:00Z</date>"), std::string_view::npos);
    auto reread = PropertyList::fromData(xml.span());
    ASSERT_TRUE(reread);
    EXPECT_EQ((*reread->arrayValue())[0].dateValue(), system_clock::time_point(seconds(1700000000)));
}

TEST(PropertyListReading, ReadsHandWrittenXml)
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Fonts</key>
	<array><string>Georgia</string><string>Helvetica</string></array>
	<key>size</key><integer>12</integer>
	<key>scale</key><real>1.5</real>
	<key>on</key><true/>
</dict>
</plist>)";
    auto list = PropertyList::fromData(Data::fromString(xml).span());
    ASSERT_TRUE(list) << list.error().message;
    const PropertyList::Array* fonts = list->objectForKey("Fonts")->arrayValue();
    ASSERT_NE(fonts, nullptr);
    ASSERT_EQ(fonts->size(), 2u);
    EXPECT_EQ(*(*fonts)[1].stringValue(), "Helvetica");
    EXPECT_EQ(list->objectForKey("size")->integerValue(), 12);
    EXPECT_EQ(list->objectForKey("scale")->realValue(), 1.5);
    EXPECT_EQ(list->objectForKey("on")->booleanValue(), true);
}

TEST(PropertyListReading, MalformedInputIsAnError)
{
    for (std::string bad : {std::string(), std::string("not a plist at all"),
                            std::string("<plist><dict><key>a</key><string>b</dict></plist>"),
                            std::string("bplist00\x01\x02\x03 truncated", 22),
                            std::string("<?xml version=\"1.0\"?><plist><dict><key>k</key>")}) {
        auto list = PropertyList::fromData(Data::fromString(bad).span());
        ASSERT_FALSE(list) << "accepted: " << bad;
        EXPECT_EQ(list.error().domain, PropertyList::kErrorDomain);
    }
}

TEST(PropertyListReading, DamagedBinaryTrailerIsAnError)
{
    Data encoded = sample().toData(PropertyList::Format::Binary).value();
    // The trailer's offset table position points far outside the data.
    std::vector<std::uint8_t> bytes = encoded.vector();
    for (std::size_t i = bytes.size() - 8; i < bytes.size(); ++i)
        bytes[i] = 0xEE;
    EXPECT_FALSE(PropertyList::fromData(bytes));
}

TEST(PropertyListReading, BinaryStringsHoldingNulAreRefused)
{
    std::vector<std::uint8_t> bytes = PropertyList::dictionary({{"key", "value"}}).toData(PropertyList::Format::Binary)->vector();
    auto at = std::search(bytes.begin(), bytes.end(), std::begin("value"), std::end("value") - 1);
    ASSERT_NE(at, bytes.end());
    at[2] = 0;
    auto list = PropertyList::fromData(bytes);
    ASSERT_FALSE(list);
    EXPECT_EQ(list.error().code, PropertyList::Malformed);
}

TEST(PropertyListReading, BinaryObjectsThatListThemselvesOrMultiplyWithoutBoundAreRefused)
{
    // A list that holds itself, directly and through a dictionary.
    testing_support::HandWrittenBinaryPlist loop;
    loop.addArray({0});
    auto looped = PropertyList::fromData(loop.bytes());
    ASSERT_FALSE(looped);
    EXPECT_EQ(looped.error().code, PropertyList::Malformed);
    testing_support::HandWrittenBinaryPlist indirect;
    std::uint8_t key = indirect.addString("k");
    std::uint8_t list = indirect.addArray({0});
    std::uint8_t top = indirect.addDictionary({{key, list}});
    indirect.replace(list, {0xA1, top});
    EXPECT_FALSE(PropertyList::fromData(indirect.bytes(top)));

    // Twelve levels that each list the next one ten times: 200 bytes that
    // would copy out to 10^12 values.
    testing_support::HandWrittenBinaryPlist bomb;
    for (std::uint8_t level = 0; level < 12; ++level)
        bomb.addArray(std::vector<std::uint8_t>(10, static_cast<std::uint8_t>(level + 1)));
    bomb.add({0x08});
    EXPECT_FALSE(PropertyList::fromData(bomb.bytes()));

    // Sharing that stays small is what writers do with repeated values, and reads.
    testing_support::HandWrittenBinaryPlist shared;
    std::uint8_t word = shared.addString("same");
    std::uint8_t inner = shared.addArray({word, word});
    std::uint8_t outer = shared.addArray({inner, inner, word});
    auto read = PropertyList::fromData(shared.bytes(outer));
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(read->arrayValue()->size(), 3u);
    EXPECT_EQ(*(*read->arrayValue())[1].arrayValue()->at(1).stringValue(), "same");
}

TEST(PropertyListReading, DamagedBinariesAnswerValuesOrErrorsNeverCrash)
{
    std::vector<std::uint8_t> original = sample().toData(PropertyList::Format::Binary)->vector();
    std::mt19937 random(2024);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = original;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        auto list = PropertyList::fromData(bytes);
        if (!list) {
            ++refused;
            EXPECT_EQ(list.error().domain, PropertyList::kErrorDomain);
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(PropertyListWriting, NulCharactersAreRefusedNotCut)
{
    PropertyList text(std::string("before\0after", 12));
    EXPECT_FALSE(text.toData(PropertyList::Format::XML));
    PropertyList key = PropertyList::dictionary({{std::string("a\0b", 3), 1}});
    EXPECT_FALSE(key.toData(PropertyList::Format::Binary));
}

TEST(PropertyListAccess, TypedAccessorsAnswerNothingForOtherTypes)
{
    PropertyList text("12");
    EXPECT_FALSE(text.integerValue());
    EXPECT_FALSE(text.booleanValue());
    EXPECT_EQ(text.arrayValue(), nullptr);
    EXPECT_EQ(text.objectForKey("x"), nullptr);
    text.setObjectForKey("x", 1);
    EXPECT_EQ(text.type(), PropertyList::Type::String);

    PropertyList integer(std::int64_t(0));
    EXPECT_EQ(integer.integerValue(), 0);
    EXPECT_FALSE(integer.realValue());
}

TEST(PropertyListAccess, SettingAKeyAgainKeepsItsPlace)
{
    PropertyList dictionary = PropertyList::dictionary({{"a", 1}, {"b", 2}, {"c", 3}});
    dictionary.setObjectForKey("a", "changed");
    dictionary.removeObjectForKey("b");
    dictionary.setObjectForKey("d", 4);
    EXPECT_EQ(dictionary.keys(), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(*dictionary.objectForKey("a")->stringValue(), "changed");
}

TEST(PropertyListFiles, WritesAtomicallyAndReadsBack)
{
    test::ScratchFolder folder;
    std::string path = folder.file("Settings.plist");
    ASSERT_TRUE(sample().writeToFile(path, PropertyList::Format::Binary));
    auto read = PropertyList::readFromFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value(), sample());
    auto missing = PropertyList::readFromFile(folder.file("missing.plist"));
    ASSERT_FALSE(missing);
}

} // namespace
} // namespace folio
