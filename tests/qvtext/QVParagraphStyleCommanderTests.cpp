#include "platform/web/FakeWebView.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVParagraphStyleCommander.h"
#include "qvtext/QVStyleState.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

constexpr const char* kRemoveFormat = "tinymce.activeEditor.execCommand('removeFormat',false,false);";

class QVParagraphStyleCommanderTest : public test::VirtualClockTest {
protected:
    QVParagraphStyleCommanderTest()
        : connection(&page)
        , characters(connection, {[this] { ++dirtyCount; }, {}})
        , paragraphs(connection, characters,
                     {[this] { ++dirtyCount; }, [this] { applied.push_back(0); },
                      [this](long n) { applied.push_back(n); }, [this] { ++dismissed; }})
    {
    }

    void answerRead(const std::string& pattern, std::string answer)
    {
        page.answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return answer;
        });
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> scripts;
        for (const FakeWebView::ScriptCall& call : page.scripts()) {
            if (call.script.find("queryCommand") == std::string::npos)
                scripts.push_back(call.script);
        }
        return scripts;
    }

    FakeWebView page;
    PageConnection connection;
    int dirtyCount = 0;
    int dismissed = 0;
    std::vector<long> applied;
    QVCharacterStyleCommander characters;
    QVParagraphStyleCommander paragraphs;
};

TEST_F(QVParagraphStyleCommanderTest, eachPickerRowSendsItsScriptsInOrder)
{
    using R = QVParagraphStyleCommander;
    struct Row {
        long command;
        std::vector<std::string> scripts;
    };
    const std::vector<Row> rows = {
        {R::RemoveHighlight, {"tinymce.activeEditor.execCommand('backColor', false, 'transparent');"}},
        {R::TitleStyle,
         {kRemoveFormat, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'32pt')"}},
        {R::SubtitleStyle, {kRemoveFormat, "tinymce.activeEditor.execCommand('fontSize',false,'30px')"}},
        {R::Heading1Style,
         {kRemoveFormat, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'26pt')"}},
        {R::Heading2Style,
         {kRemoveFormat, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'24pt')"}},
        {R::Subheading1Style, {kRemoveFormat, "tinymce.activeEditor.execCommand('fontSize',false,'20pt')"}},
        {R::Subheading2Style, {kRemoveFormat, "tinymce.activeEditor.execCommand('fontSize',false,'18pt')"}},
        {R::FooterStyle, {kRemoveFormat, "tinymce.activeEditor.execCommand('fontSize',false,'10pt')"}},
        {R::LabelStyle,
         {kRemoveFormat, "tinymce.activeEditor.execCommand('justifyCenter');tinymce.activeEditor.execCommand('italic');"
                         "tinymce.activeEditor.execCommand('fontSize',false,'24pt');"}},
        {R::RemoveStyle, {kRemoveFormat}},
        {19, {}},
        {-1, {}},
    };
    for (const Row& row : rows) {
        page.clearScripts();
        int dismissedBefore = dismissed;
        int dirtyBefore = dirtyCount;
        paragraphs.otherStyleTextTask(row.command);
        EXPECT_EQ(sent(), row.scripts) << "row " << row.command;
        EXPECT_EQ(dismissed - dismissedBefore, 1) << "row " << row.command;
        EXPECT_GE(dirtyCount - dirtyBefore, 1) << "row " << row.command;
    }
    EXPECT_TRUE(applied.empty());
}

TEST_F(QVParagraphStyleCommanderTest, namedStylesClearTheFormattingBeforeTheyApply)
{
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::DefaultStyle);
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::UserStyle2);
    EXPECT_EQ(applied, (std::vector<long>{0, 2}));
    EXPECT_EQ(sent(), (std::vector<std::string>{kRemoveFormat, kRemoveFormat}));
}

// The colours on the real page:
// QVTextFormattingWebTest.theParagraphCommandsAlignTurnAndHighlightOnThePage.
TEST_F(QVParagraphStyleCommanderTest, highlightsToggleOnlyOnTheirOwnColour)
{
    answerRead("queryCommandValue\\('backColor'\\)", "rgb(255, 255, 0)");
    int dirty = dirtyCount;
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::HighlightYellow);
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::HighlightGreen);
    answerRead("queryCommandValue\\('backColor'\\)", "rgb(152, 251, 152)");
    paragraphs.otherStyleTextTask(QVParagraphStyleCommander::HighlightGreen);
    EXPECT_EQ(dirtyCount - dirty, 3) << "each highlight marks the document";
}

TEST_F(QVParagraphStyleCommanderTest, alignmentOptionsAndDirection)
{
    // What each option does to the page:
    // QVTextFormattingWebTest.theParagraphCommandsAlignTurnAndHighlightOnThePage.
    using R = QVParagraphStyleCommander;
    for (long option : {R::Justify, R::Center, R::Right, R::Left}) {
        paragraphs.alignTextTask(option);
        EXPECT_FALSE(paragraphs.isRTLLanguage()) << option;
    }
    paragraphs.alignTextTask(R::RightToLeft);
    EXPECT_TRUE(paragraphs.isRTLLanguage());
    paragraphs.alignTextTask(R::LeftToRight);
    EXPECT_FALSE(paragraphs.isRTLLanguage());
    page.clearScripts();
    paragraphs.alignTextTask(6);
    EXPECT_TRUE(page.scripts().empty());
    EXPECT_EQ(dismissed, 7);
    EXPECT_EQ(dirtyCount, 7);
}

TEST_F(QVParagraphStyleCommanderTest, directionFollowsTheKeyboardLanguage)
{
    EXPECT_TRUE(QVParagraphStyleCommander::isRightToLeftLanguage("he-IL"));
    EXPECT_TRUE(QVParagraphStyleCommander::isRightToLeftLanguage("iw"));
    EXPECT_TRUE(QVParagraphStyleCommander::isRightToLeftLanguage("ar"));
    EXPECT_FALSE(QVParagraphStyleCommander::isRightToLeftLanguage("he"));
    EXPECT_FALSE(QVParagraphStyleCommander::isRightToLeftLanguage("en-US"));

    paragraphs.setTextDirectionForLanguage("he");
    EXPECT_TRUE(page.scripts().empty());
    EXPECT_FALSE(paragraphs.isRTLLanguage());
    paragraphs.setTextDirectionForLanguage("fa");
    EXPECT_TRUE(paragraphs.isRTLLanguage());
    EXPECT_EQ(page.scriptsMatching("style.direction='rtl'").size(), 1u);
    EXPECT_EQ(page.scriptsMatching("moveToBookmark").size(), 1u) << "the caret comes back";
    page.clearScripts();
    paragraphs.setTextDirectionForLanguage("en");
    EXPECT_FALSE(paragraphs.isRTLLanguage());
    EXPECT_TRUE(page.scripts().empty()) << "the page keeps its direction";
}

TEST_F(QVParagraphStyleCommanderTest, styleStateIsReadFromThePagesAnswers)
{
    answerRead("queryCommandState\\('bold'\\)", "true");
    answerRead("queryCommandState\\('underline'\\)", "false");
    answerRead("queryCommandState\\('italic'\\)", "true");
    answerRead("queryCommandState\\('subscript'\\)", "nonsense");
    answerRead("queryCommandState\\('justifycenter'\\)", "true");
    answerRead("queryCommandValue\\('fontName'\\)", "\"Avenir Next\", serif");
    answerRead("getCurrentFontSize", "24");
    QVStyleState state = QVStyleState::read(connection);
    EXPECT_TRUE(state.bold);
    EXPECT_TRUE(state.italic);
    EXPECT_FALSE(state.underline);
    EXPECT_FALSE(state.subscript) << "an answer that is no boolean counts as off";
    EXPECT_FALSE(state.strikeThrough);
    EXPECT_TRUE(state.justifyCenter);
    EXPECT_FALSE(state.justifyLeft);
    EXPECT_EQ(state.fontFamily, "Avenir Next");
    EXPECT_EQ(state.fontSize, 18) << "24 CSS pixels are 18 points";
}

TEST(QVStyleStateTest, sizesAndFamiliesOutsideTheRulesFallBack)
{
    EXPECT_EQ(QVStyleState::fontSizeFromAnswer(""), 12);
    EXPECT_EQ(QVStyleState::fontSizeFromAnswer("0"), 12);
    EXPECT_EQ(QVStyleState::fontSizeFromAnswer("700px"), 12) << "525 points are beyond any size";
    EXPECT_EQ(QVStyleState::fontSizeFromAnswer("470pt"), 460);
    EXPECT_EQ(QVStyleState::fontSizeFromAnswer("16px"), 12);
    EXPECT_EQ(QVStyleState::familyFromAnswer(""), "Helvetica");
    EXPECT_EQ(QVStyleState::familyFromAnswer("'Georgia'"), "Georgia");
}

} // namespace
} // namespace folio
