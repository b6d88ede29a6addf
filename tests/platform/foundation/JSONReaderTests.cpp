#include "platform/foundation/JSONReader.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

PropertyList read(std::string_view text)
{
    Result<PropertyList> value = JSONReader::read(text);
    EXPECT_TRUE(value.ok()) << text << ": " << (value ? "" : value.error().message);
    return value ? *value : PropertyList();
}

TEST(JSONReaderTest, readsObjectsInOrderWithEveryKindOfValue)
{
    PropertyList value = read(R"( {"b": "text", "a": [1, -2.5, true, false, {}], "c": {"d": 0}, "e": 1e3} )");
    EXPECT_EQ(value.keys(), (std::vector<std::string>{"b", "a", "c", "e"}));
    EXPECT_EQ(*value.objectForKey("b")->stringValue(), "text");
    const PropertyList::Array& items = *value.objectForKey("a")->arrayValue();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].type(), PropertyList::Type::Integer);
    EXPECT_EQ(items[0].integerValue(), 1);
    EXPECT_EQ(items[1].type(), PropertyList::Type::Real);
    EXPECT_EQ(items[1].realValue(), -2.5);
    EXPECT_EQ(items[2].booleanValue(), true);
    EXPECT_EQ(items[3].booleanValue(), false);
    EXPECT_EQ(items[4].type(), PropertyList::Type::Dictionary);
    EXPECT_EQ(value.objectForKey("c")->objectForKey("d")->integerValue(), 0);
    EXPECT_EQ(value.objectForKey("e")->type(), PropertyList::Type::Real) << "an exponent makes a real";
    EXPECT_EQ(value.objectForKey("e")->realValue(), 1000);

    // A repeated key keeps its last value, once; a null member is left out.
    PropertyList repeated = read(R"({"k": 1, "n": null, "k": 2})");
    EXPECT_EQ(repeated.keys(), (std::vector<std::string>{"k"}));
    EXPECT_EQ(repeated.objectForKey("k")->integerValue(), 2);
    EXPECT_EQ(read("[]").arrayValue()->size(), 0u);
    EXPECT_EQ(*read(R"("top")").stringValue(), "top");
}

TEST(JSONReaderTest, decodesEveryEscapeToUtf8)
{
    EXPECT_EQ(*read(R"("\"\\\/\b\f\n\r\t")").stringValue(), "\"\\/\b\f\n\r\t");
    EXPECT_EQ(*read(R"("caf\u00e9 \u00A0 \u2028")").stringValue(), "caf\xC3\xA9 \xC2\xA0 \xE2\x80\xA8");
    // A pair of escaped surrogates is one character; raw UTF-8 passes as it is.
    EXPECT_EQ(*read("\"\\ud83d\\udcac|\xF0\x9F\x92\xAC\"").stringValue(), "\xF0\x9F\x92\xAC|\xF0\x9F\x92\xAC");
    // A lone surrogate cannot be UTF-8: it becomes U+FFFD, and the text around it stays.
    EXPECT_EQ(*read(R"("a\ud800b")").stringValue(), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(*read(R"("<div id=\"p\">&nbsp;<\/div>")").stringValue(), "<div id=\"p\">&nbsp;</div>");
}

TEST(JSONReaderTest, keepsIntegersExactAndRealsInTheCLocale)
{
    EXPECT_EQ(read("9007199254740993").integerValue(), 9007199254740993LL);
    EXPECT_EQ(read("-0").type(), PropertyList::Type::Integer);
    EXPECT_EQ(read("0.125").realValue(), 0.125);
    EXPECT_EQ(read("2E-2").realValue(), 0.02);
    // Too large for an integer, still a number.
    EXPECT_EQ(read("18446744073709551616").type(), PropertyList::Type::Real);
}

TEST(JSONReaderTest, refusesWhatIsNotExactlyOneJsonValue)
{
    for (std::string_view bad :
         {"", " ", "{", "}", "[1,]", "[1 2]", "{\"a\" 1}", "{\"a\":1,}", "{a:1}", "{'a':1}", "\"open", "\"bad \\x\"",
          "\"\\u12\"", "\"\\u12G4\"", "\"tab\there\"", "01", "+1", ".5", "1.", "1e", "-", "tru", "nul", "NaN",
          "Infinity", "1 2", "{} x", "null", "[null]", "1e999", "undefined"}) {
        Result<PropertyList> value = JSONReader::read(bad);
        EXPECT_FALSE(value.ok()) << "read: " << bad;
        if (!value.ok())
            EXPECT_EQ(value.error().domain, JSONReader::kErrorDomain);
    }
}

TEST(JSONReaderTest, refusesNestingDeeperThanTheLimit)
{
    std::string deep(JSONReader::kMaximumDepth + 1, '[');
    deep += std::string(JSONReader::kMaximumDepth + 1, ']');
    Result<PropertyList> tooDeep = JSONReader::read(deep);
    ASSERT_FALSE(tooDeep.ok());
    EXPECT_EQ(tooDeep.error().code, JSONReader::TooDeep);

    std::string allowed(JSONReader::kMaximumDepth, '[');
    allowed += std::string(JSONReader::kMaximumDepth, ']');
    EXPECT_TRUE(JSONReader::read(allowed).ok());

    // Far deeper input ends with the same error instead of exhausting the stack.
    EXPECT_FALSE(JSONReader::read(std::string(1000000, '[')).ok());
}

} // namespace
} // namespace folio
