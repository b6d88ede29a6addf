#include "webeditor/PageMessage.h"

#include "webeditor/PageScript.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// What the page's encodeURIComponent makes of text.
std::string encodeLikeThePage(const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || std::string_view("-_.!~*'()").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

TEST(PageMessageTest, splitsTokenFromDecodedData)
{
    std::optional<PageMessage> plain = PageMessage::parse("rte://dirtyEvent");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->token, "dirtyEvent");
    EXPECT_FALSE(plain->hasData);

    std::optional<PageMessage> scroll = PageMessage::parse("rte://endScrollEvent#120_3400");
    ASSERT_TRUE(scroll);
    EXPECT_EQ(scroll->token, "endScrollEvent");
    EXPECT_EQ(scroll->fields('_'), (std::vector<std::string>{"120", "3400"}));

    // Only the first "#" separates; the rest is data.
    std::optional<PageMessage> link = PageMessage::parse("rte://linkTouchedEvent#http://a.test/x#part");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->data, "http://a.test/x#part");

    std::optional<PageMessage> empty = PageMessage::parse("rte://imagesInserted#");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->hasData);
    EXPECT_EQ(empty->fields('_'), (std::vector<std::string>{""}));
}

TEST(PageMessageTest, refusesWhatIsNoMessage)
{
    for (const char* text : {"", "rte://", "rte://#data", "rte:dirtyEvent", "x-twwebview://dom-loaded",
                             "https://example.test/", "rte://dirty Event", "rte://dirty'Event",
                             "rte://dirty%45vent", "rte://link#%", "rte://link#%zz", "rte://link#%C3"})
        EXPECT_FALSE(PageMessage::parse(text)) << text;
}

TEST(PageMessageTest, hostileDataArrivesExactlyAndStaysInertInScripts)
{
    std::string hostile = "'\"); alert(1); //\\ # % %25 </script> \xE2\x80\xA8 \xE2\x80\xA9 \n caf\xC3\xA9";
    std::string big(100 * 1024, 'x');
    big += hostile;
    for (const std::string& data : {hostile, big}) {
        std::optional<PageMessage> message = PageMessage::parse("rte://linkTouchedEvent#" + encodeLikeThePage(data));
        ASSERT_TRUE(message);
        EXPECT_EQ(message->data, data);

        // Sent back to the page, the text is one string literal: nothing of
        // it may end the literal or the line.
        std::string script = PageScript::call("showText", {message->data});
        std::string literal = script.substr(std::string("showText(").size());
        literal.resize(literal.size() - 2);
        ASSERT_EQ(literal.front(), '\'');
        ASSERT_EQ(literal.back(), '\'');
        std::string inner = literal.substr(1, literal.size() - 2);
        for (size_t i = 0; i < inner.size(); ++i) {
            if (inner[i] == '\\') {
                ++i;
                continue;
            }
            EXPECT_NE(inner[i], '\'') << "unescaped quote at " << i;
            EXPECT_NE(inner[i], '\n');
            EXPECT_NE(inner[i], '<');
        }
        EXPECT_EQ(inner.find("\xE2\x80\xA8"), std::string::npos);
        EXPECT_EQ(inner.find("\xE2\x80\xA9"), std::string::npos);
    }
}

TEST(PageMessageTest, elementIdsFromPagesAreValidated)
{
    EXPECT_TRUE(PageMessage::isValidElementId("footnote_3F2504E0-4F89-11D3-9A0C-0305E82C3301"));
    EXPECT_TRUE(PageMessage::isValidElementId("marquent_555"));
    for (const char* id : {"", "a b", "x');alert(1);//", "a\"]", "note_<b>", "a.b"})
        EXPECT_FALSE(PageMessage::isValidElementId(id)) << id;
    EXPECT_FALSE(PageMessage::isValidElementId(std::string(129, 'a')));
}

TEST(PageScriptTest, valuesEnterScriptsOnlyAsLiterals)
{
    EXPECT_EQ(PageScript::call("modifyLineSpacing", {1.5}), "modifyLineSpacing(1.5);");
    EXPECT_EQ(PageScript::call("jumpCaretToTop"), "jumpCaretToTop();");
    EXPECT_EQ(PageScript::call("pasteHtmlAtCaret", {"<b>it's</b>", false}),
              "pasteHtmlAtCaret('\\u003Cb\\u003Eit\\'s\\u003C/b\\u003E', false);");
    EXPECT_EQ(PageScript::fill("e.style.textIndent={} + 'cm';e.title={}", {ScriptValue::fixed(1.255, 2), u"\u2028"}),
              "e.style.textIndent=1.25 + 'cm';e.title='\\u2028'");
    EXPECT_EQ(PageScript::call("changeFont", {18}), "changeFont(18);");
}

} // namespace
} // namespace folio
