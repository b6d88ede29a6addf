#include "platform/foundation/ScriptLiteral.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace folio {
namespace {

TEST(ScriptLiteralTest, escapesWhatWouldEndOrBreakTheLiteral)
{
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("plain text")), "'plain text'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("")), "''");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("it's")), "'it\\'s'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("say \"hi\"")), "'say \\\"hi\\\"'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("a\\b")), "'a\\\\b'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("1\n2\r3\t4")), "'1\\n2\\r3\\t4'");
    EXPECT_EQ(ScriptLiteral::quote(std::u16string_view(u"a\u2028b\u2029c")), "'a\\u2028b\\u2029c'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view("\x01\x1f\x7f")), "'\\u0001\\u001F\\u007F'");
    EXPECT_EQ(ScriptLiteral::quote(std::string_view(std::string("nul\0byte", 8))), "'nul\\u0000byte'");
}

TEST(ScriptLiteralTest, neverLetsAScriptElementCloseOrAComment)
{
    std::string literal = ScriptLiteral::quote(std::string_view("</script><!--<script>"));
    EXPECT_EQ(literal.find('<'), std::string::npos) << literal;
    EXPECT_EQ(literal, "'\\u003C/script\\u003E\\u003C!--\\u003Cscript\\u003E'");
}

TEST(ScriptLiteralTest, keepsOtherCharactersAndSurrogatesExactly)
{
    // Characters outside ASCII stay as UTF-8, whole pairs included.
    EXPECT_EQ(ScriptLiteral::quote(std::u16string_view(u"\u00e9\u4e2d\U0001F600")),
              "'\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80'");
    // Lone halves of a pair cannot be written as UTF-8 and stay as escapes.
    std::u16string lone = u"a";
    lone += char16_t(0xD83D);
    lone += u"b";
    lone += char16_t(0xDE00);
    EXPECT_EQ(ScriptLiteral::quote(std::u16string_view(lone)), "'a\\uD83Db\\uDE00'");
}

TEST(ScriptLiteralTest, formatsNumbersTheSameInEveryLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    // A locale with a decimal comma, when the machine has one.
    bool commaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");

    EXPECT_EQ(ScriptLiteral::number(14), "14");
    EXPECT_EQ(ScriptLiteral::number(1.5), "1.5");
    EXPECT_EQ(ScriptLiteral::number(-0.25), "-0.25");
    EXPECT_EQ(ScriptLiteral::number(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(ScriptLiteral::number(-0.0), "0");
    EXPECT_EQ(ScriptLiteral::number(std::nan("")), "0");
    EXPECT_EQ(ScriptLiteral::number(1.0 / 0.0), "0");
    EXPECT_EQ(ScriptLiteral::fixed(2.54, 2), "2.54");
    EXPECT_EQ(ScriptLiteral::fixed(19.049, 2), "19.05");
    EXPECT_EQ(ScriptLiteral::fixed(1, 2), "1.00");
    EXPECT_EQ(ScriptLiteral::fixed(0.5, 0), "0");
    EXPECT_EQ(ScriptLiteral::fixed(1.5, 0), "2");
    EXPECT_EQ(ScriptLiteral::fixed(1234567.891, 1), "1234567.9");
    EXPECT_EQ(ScriptLiteral::fixed(std::nan(""), 2), "0.00");

    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!commaLocale)
        GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked in the C locale only";
}

} // namespace
} // namespace folio
