#include "webeditor/PageContent.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/FakeWebView.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

EditorContent readContent(const std::string& answer)
{
    Result<PageContent::Reply> reply = PageContent::read(answer);
    EXPECT_TRUE(reply.ok()) << answer << ": " << (reply ? "" : reply.error().message);
    return reply ? reply->content : EditorContent();
}

void expectBadAnswer(const std::string& answer)
{
    Result<PageContent::Reply> reply = PageContent::read(answer);
    ASSERT_FALSE(reply.ok()) << answer;
    EXPECT_EQ(reply.error().code, EditorController::BadAnswer) << answer;
}

TEST(PageContentTest, readsTheRichTextPagesAnswer)
{
    EditorContent content = readContent(
        R"J({"lineHeight": "1.5", "textIndent": "1.25cm", "paperColor": "rgb(255, 128, 0)",)J"
        R"J( "header": {"text": "My header", "fontFamily": "Georgia", "fontSize": "12px", "textAlign": "center",)J"
        R"J( "color": "rgb(0, 0, 0)", "margin": "1", "enabled": "1"}, "plainText": "Caf\u00e9", "unknown": [1]})J"
        "\n<div title=\"a\\nb {}\">Caf\xC3\xA9\n\\u00e9</div>\n");
    // The body is taken as it stands: nothing in it is JSON.
    EXPECT_EQ(content.bodyHTML, "<div title=\"a\\nb {}\">Caf\xC3\xA9\n\\u00e9</div>\n");
    EXPECT_EQ(content.lineHeight, 1.5);
    EXPECT_EQ(content.firstLineIndent, 1.25);
    EXPECT_EQ(content.paperColor, "FF8000");
    EXPECT_EQ(content.header, "Georgia::12px::center::rgb(0, 0, 0)::1::1::My header");
    EXPECT_EQ(content.footer, std::nullopt);
    EXPECT_EQ(content.plainText, u"Caf\u00E9");
    EXPECT_EQ(content.bodyStyle, std::nullopt);

    // A header without text is none, whatever else it says; missing fields are empty.
    content = readContent(R"J({"footer": {"text": "Page", "margin": "2"}, "header": {"text": ""}})J" "\n");
    EXPECT_EQ(content.bodyHTML, "") << "an empty document";
    EXPECT_EQ(content.footer, "::::::::2::::Page");
    EXPECT_EQ(content.header, std::nullopt);

    // The family as the header's setting names it: WebKit quotes a name
    // with blanks, and a list stays a list.
    content = readContent(R"J({"header": {"text": "h", "fontFamily": "\"Times New Roman\""},)J"
                          R"J( "footer": {"text": "f", "fontFamily": "\"Times New Roman\", serif"}})J" "\n");
    EXPECT_EQ(content.header, "Times New Roman::::::::::::h");
    EXPECT_EQ(content.footer, "\"Times New Roman\", serif::::::::::::f");
}

TEST(PageContentTest, readsLengthsAndColoursAsTheEditorSetsThem)
{
    EditorContent content = readContent(R"J({"lineHeight": "normal", "textIndent": "-48px", "paperColor": "white"})J" "\nx");
    EXPECT_EQ(content.lineHeight, std::nullopt);
    EXPECT_DOUBLE_EQ(*content.firstLineIndent, -1.27);
    EXPECT_EQ(content.paperColor, "FFFFFF");
    content = readContent(R"J({"lineHeight": "", "textIndent": "0", "paperColor": "transparent"})J" "\nx");
    EXPECT_EQ(content.lineHeight, std::nullopt);
    EXPECT_EQ(content.firstLineIndent, 0);
    EXPECT_EQ(content.paperColor, std::nullopt) << "no colour is no paper colour";

    // The QV pages: the body's own style, kept as it is.
    content = readContent(R"J({"bodyStyle": "margin: 0; font-family: \"Times\""})J" "\n<p>q</p>");
    EXPECT_EQ(content.bodyStyle, "margin: 0; font-family: \"Times\"");
}

TEST(PageContentTest, refusesAnswersThatAreNotTheEditorsOwn)
{
    // A body without the JSON before it, or JSON without a body, is no answer.
    for (std::string answer : {"", "not json", "{}", "<p>x</p>", "\n<p>x</p>", "[]\nx", "\"text\"\nx", "{\nx}"})
        expectBadAnswer(answer);
    for (std::string json :
         {R"({"lineHeight": "1.5; color: red"})", R"({"lineHeight": "-1"})", R"({"lineHeight": 2})",
          R"({"textIndent": "1.25cm'><script>"})", R"({"textIndent": "3"})", R"({"textIndent": "1em"})",
          R"({"header": "text"})", R"J({"header": {"text": "t", "fontSize": 12}})J",
          R"({"footer": {"text": "t", "fontFamily": "a::b"}})", R"({"plainText": true})"})
        expectBadAnswer(json + "\nx");
    for (auto [json, body] : {std::pair{R"J({"wrapperOpening": "<div id=\"paragraph\">"})J", "<p>x</p>"},
                              std::pair{R"({"wrapperOpening": "<div>"})", "<div>x"},
                              std::pair{R"({"wrapperOpening": "x"})", "x"}})
        expectBadAnswer(std::string(json) + "\n" + body);
}

TEST(PageContentTest, takesTheWrapperOffOnlyWhenItHoldsTheWholeBody)
{
    Result<PageContent::Reply> wrapped = PageContent::read(
        R"J({"wrapperOpening": "<div id=\"paragraph\" style=\"a\">"})J" "\n<div id=\"paragraph\" style=\"a\"><p>x</p></div>");
    ASSERT_TRUE(wrapped.ok());
    EXPECT_EQ(PageContent::unwrappedHTML(*wrapped), "<p>x</p>");
    EXPECT_EQ(wrapped->content.bodyHTML, "<div id=\"paragraph\" style=\"a\"><p>x</p></div>");
    Result<PageContent::Reply> bare = PageContent::read("{}\n<p>x</p><p>y</p>");
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(PageContent::unwrappedHTML(*bare), "<p>x</p><p>y</p>");
}

TEST(PageContentTest, asksThePageOnceWithTheOneCall)
{
    FakeWebView page;
    PageConnection connection(&page);
    page.answerMatching("folioEditorContent", "{}\n<p>x</p>");
    page.answerMatching("folioEditorContent\\(true\\)", R"J({"plainText": "x"})J" "\n<p>x</p>");
    RunLoop::main().post([&] { page.releaseAll(); });
    Result<PageContent::Reply> reply = PageContent::fetch(connection, EditorContent::Parts::Document);
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply->content.plainText, std::nullopt);
    RunLoop::main().post([&] { page.releaseAll(); });
    reply = PageContent::fetch(connection, EditorContent::Parts::WithPlainText);
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply->content.plainText, u"x");
    ASSERT_EQ(page.scripts().size(), 2u);
    EXPECT_EQ(page.scripts()[0].script, "folioEditorContent(false);");
    EXPECT_EQ(page.scripts()[1].script, "folioEditorContent(true);");

    // A page that answers nothing, or is gone, gives no content.
    page.clearRules();
    RunLoop::main().post([&] { page.releaseAll(); });
    reply = PageContent::fetch(connection, EditorContent::Parts::Document);
    ASSERT_FALSE(reply.ok());
    EXPECT_EQ(reply.error().code, EditorController::NoAnswer);
    connection.disconnect();
    EXPECT_FALSE(PageContent::fetch(connection, EditorContent::Parts::Document).ok());
}

} // namespace
} // namespace folio
