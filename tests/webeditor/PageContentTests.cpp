#include "webeditor/PageContent.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/FakeWebView.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

EditorContent readContent(std::string_view answer)
{
    Result<PageContent::Reply> reply = PageContent::read(answer);
    EXPECT_TRUE(reply.ok()) << answer << ": " << (reply ? "" : reply.error().message);
    return reply ? reply->content : EditorContent();
}

void expectBadAnswer(std::string_view answer)
{
    Result<PageContent::Reply> reply = PageContent::read(answer);
    ASSERT_FALSE(reply.ok()) << answer;
    EXPECT_EQ(reply.error().code, EditorController::BadAnswer) << answer;
}

TEST(PageContentTest, readsTheRichTextPagesAnswer)
{
    EditorContent content = readContent(
        R"J({"html": "<div>Caf\u00e9</div>", "lineHeight": "1.5", "textIndent": "1.25cm", "paperColor": "rgb(255, 128, 0)",)J"
        R"J( "header": {"text": "My header", "fontFamily": "Georgia", "fontSize": "12px", "textAlign": "center",)J"
        R"J( "color": "rgb(0, 0, 0)", "margin": "1", "enabled": "1"}, "plainText": "Caf\u00e9", "unknown": [1]})J");
    EXPECT_EQ(content.bodyHTML, "<div>Caf\xC3\xA9</div>");
    EXPECT_EQ(content.lineHeight, 1.5);
    EXPECT_EQ(content.firstLineIndent, 1.25);
    EXPECT_EQ(content.paperColor, "FF8000");
    EXPECT_EQ(content.header, "Georgia::12px::center::rgb(0, 0, 0)::1::1::My header");
    EXPECT_EQ(content.footer, std::nullopt);
    EXPECT_EQ(content.plainText, u"Caf\u00E9");
    EXPECT_EQ(content.bodyStyle, std::nullopt);

    // A header without text is none, whatever else it says; missing fields are empty.
    content = readContent(R"J({"html": "", "footer": {"text": "Page", "margin": "2"}, "header": {"text": ""}})J");
    EXPECT_EQ(content.footer, "::::::::2::::Page");
    EXPECT_EQ(content.header, std::nullopt);
}

TEST(PageContentTest, readsLengthsAndColoursAsTheEditorSetsThem)
{
    EditorContent content = readContent(R"J({"html": "x", "lineHeight": "normal", "textIndent": "-48px", "paperColor": "white"})J");
    EXPECT_EQ(content.lineHeight, std::nullopt);
    EXPECT_DOUBLE_EQ(*content.firstLineIndent, -1.27);
    EXPECT_EQ(content.paperColor, "FFFFFF");
    content = readContent(R"J({"html": "x", "lineHeight": "", "textIndent": "0", "paperColor": "transparent"})J");
    EXPECT_EQ(content.lineHeight, std::nullopt);
    EXPECT_EQ(content.firstLineIndent, 0);
    EXPECT_EQ(content.paperColor, std::nullopt) << "no colour is no paper colour";

    // The QV pages: the body's own style, kept as it is.
    content = readContent(R"J({"html": "<p>q</p>", "bodyStyle": "margin: 0; font-family: \"Times\""})J");
    EXPECT_EQ(content.bodyStyle, "margin: 0; font-family: \"Times\"");
}

TEST(PageContentTest, refusesAnswersThatAreNotTheEditorsOwn)
{
    for (std::string_view answer :
         {"", "not json", "[]", "\"text\"", "{}", R"({"html": 5})", R"({"html": "x", "lineHeight": "1.5; color: red"})",
          R"({"html": "x", "lineHeight": "-1"})", R"({"html": "x", "lineHeight": 2})",
          R"({"html": "x", "textIndent": "1.25cm'><script>"})", R"({"html": "x", "textIndent": "3"})",
          R"({"html": "x", "textIndent": "1em"})", R"({"html": "x", "header": "text"})",
          R"J({"html": "x", "header": {"text": "t", "fontSize": 12}})J",
          R"({"html": "x", "footer": {"text": "t", "fontFamily": "a::b"}})", R"({"html": "x", "plainText": true})",
          R"J({"html": "<p>x</p>", "wrapperOpening": "<div id=\"paragraph\">"})J",
          R"({"html": "<div>x", "wrapperOpening": "<div>"})", R"({"html": "x", "wrapperOpening": "x"})"})
        expectBadAnswer(answer);
}

TEST(PageContentTest, takesTheWrapperOffOnlyWhenItHoldsTheWholeBody)
{
    Result<PageContent::Reply> wrapped = PageContent::read(
        R"J({"html": "<div id=\"paragraph\" style=\"a\"><p>x</p></div>", "wrapperOpening": "<div id=\"paragraph\" style=\"a\">"})J");
    ASSERT_TRUE(wrapped.ok());
    EXPECT_EQ(PageContent::unwrappedHTML(*wrapped), "<p>x</p>");
    EXPECT_EQ(wrapped->content.bodyHTML, "<div id=\"paragraph\" style=\"a\"><p>x</p></div>");
    Result<PageContent::Reply> bare = PageContent::read(R"J({"html": "<p>x</p><p>y</p>"})J");
    ASSERT_TRUE(bare.ok());
    EXPECT_EQ(PageContent::unwrappedHTML(*bare), "<p>x</p><p>y</p>");
}

TEST(PageContentTest, asksThePageOnceWithTheOneCall)
{
    FakeWebView page;
    PageConnection connection(&page);
    page.answerMatching("folioEditorContent", R"J({"html": "<p>x</p>"})J");
    page.answerMatching("folioEditorContent\\(true\\)", R"J({"html": "<p>x</p>", "plainText": "x"})J");
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
