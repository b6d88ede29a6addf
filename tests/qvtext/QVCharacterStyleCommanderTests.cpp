#include "platform/web/FakeWebView.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "support/DecimalCommaLocale.h"
#include "support/VirtualClock.h"
#include "webeditor/FontSizeUnits.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVCharacterStyleCommanderTest : public test::VirtualClockTest {
protected:
    QVCharacterStyleCommanderTest()
        : connection(&page)
        , commander(connection, {[this] { ++dirtyCount; }, [this] { ++menuCount; }})
    {
    }

    // The page answers a read matching the pattern as soon as it is asked.
    void answerRead(const std::string& pattern, std::string answer)
    {
        page.answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return answer;
        });
    }

    FakeWebView page;
    PageConnection connection;
    int dirtyCount = 0;
    int menuCount = 0;
    QVCharacterStyleCommander commander;
};

TEST(FontSizeUnitsTest, pageSizesAreReadAsPointsAndPointsWrittenAsPixelsWithOneConversion)
{
    EXPECT_DOUBLE_EQ(*FontSizeUnits::pointsFromAnswer("16px"), 12);
    EXPECT_DOUBLE_EQ(*FontSizeUnits::pointsFromAnswer("16"), 12) << "a bare number is the computed style's pixels";
    EXPECT_DOUBLE_EQ(*FontSizeUnits::pointsFromAnswer("12pt"), 12);
    EXPECT_DOUBLE_EQ(*FontSizeUnits::pointsFromAnswer(" 18.5pt"), 18.5);
    EXPECT_FALSE(FontSizeUnits::pointsFromAnswer("").has_value());
    EXPECT_FALSE(FontSizeUnits::pointsFromAnswer("large").has_value());
    for (int points : {4, 9, 11, 12, 13, 17, 72, 460}) {
        double pixels = FontSizeUnits::pixelsFromPoints(points);
        EXPECT_EQ(FontSizeUnits::wholePointsFromAnswer(std::to_string(pixels) + "px"), points) << points;
    }
}

TEST(FontSizeUnitsTest, readsTheAnswerInTheCLocaleWhateverTheProcessLocale)
{
    test::DecimalCommaLocale comma;
    EXPECT_DOUBLE_EQ(*FontSizeUnits::pointsFromAnswer("10.5pt"), 10.5);
}

// What each toggle does to the page and the saved file:
// QVTextFormattingWebTest.eachCharacterCommandFormatsTheSelectedWordOnThePageAndInTheFile.
TEST_F(QVCharacterStyleCommanderTest, eachStyleToggleIsOneTinyMCECommand)
{
    struct Row {
        void (QVCharacterStyleCommander::*command)();
        const char* name;
        bool showsMenu;
    };
    const Row rows[] = {
        {&QVCharacterStyleCommander::underlineExecCommand, "underline", false},
        {&QVCharacterStyleCommander::strikeExecCommand, "strike", false},
        {&QVCharacterStyleCommander::superscriptExecCommand, "superscript", true},
        {&QVCharacterStyleCommander::subscriptExecCommand, "subscript", true},
        {&QVCharacterStyleCommander::boldExecCommand, "bold", false},
        {&QVCharacterStyleCommander::italicExecCommand, "italic", false},
    };
    answerRead("queryCommandValue\\('fontName'\\)", "");
    for (const Row& row : rows) {
        page.clearScripts();
        int menus = menuCount;
        (commander.*row.command)();
        EXPECT_EQ(menuCount - menus, row.showsMenu ? 1 : 0) << row.name;
        EXPECT_TRUE(page.scriptsMatching("fontName', false").empty()) << "no family reset without a bold face";
    }
}

TEST_F(QVCharacterStyleCommanderTest, nothingIsSentWithoutAPage)
{
    connection.disconnect();
    commander.boldExecCommand();
    commander.superscriptExecCommand();
    EXPECT_TRUE(page.scripts().empty());
    EXPECT_EQ(menuCount, 0);
}

TEST_F(QVCharacterStyleCommanderTest, stepsReadThePagePixelsAsPointsAndStayWithinTheLimits)
{
    // 16 CSS pixels are 12 points: one step up is 13 points, not 17.
    answerRead("getCurrentFontSize", "16");
    // What the steps do to the page:
    // QVTextFormattingWebTest.aSizeStepGoesFromThePagesSizeInPointsAndStaysWithinTheLimits.
    commander.changeFontSizeByPoints(1, true);
    EXPECT_EQ(commander.currentFontSizeTextValue(), "13");
    EXPECT_TRUE(commander.isIncreaseEnabled());
    EXPECT_TRUE(commander.isDecreaseEnabled());
    EXPECT_EQ(dirtyCount, 1);

    answerRead("getCurrentFontSize", "612");
    commander.changeFontSizeByPoints(10, true);
    EXPECT_EQ(commander.currentFontSizeTextValue(), "460");
    EXPECT_FALSE(commander.isIncreaseEnabled());
    EXPECT_TRUE(commander.isDecreaseEnabled());

    answerRead("getCurrentFontSize", "7");
    commander.changeFontSizeByPoints(-10, true);
    EXPECT_EQ(commander.currentFontSizeTextValue(), "4");
    EXPECT_TRUE(commander.isIncreaseEnabled());
    EXPECT_FALSE(commander.isDecreaseEnabled());
}

TEST_F(QVCharacterStyleCommanderTest, aPageWithoutASizeStepsFromTwelvePoints)
{
    answerRead("getCurrentFontSize", "");
    commander.changeFontSizeByPoints(1, true);
    EXPECT_EQ(commander.currentFontSizeTextValue(), "13");
}

TEST_F(QVCharacterStyleCommanderTest, pickerRowsStepOrSetAndAbsoluteSizesLeaveTheStepButtons)
{
    answerRead("getCurrentFontSize", "612");
    commander.sizeSelected("+10");
    ASSERT_FALSE(commander.isIncreaseEnabled());
    page.clearScripts();
    commander.sizeSelected("96");
    EXPECT_EQ(commander.currentFontSizeTextValue(), "96");
    EXPECT_TRUE(page.scriptsMatching("getCurrentFontSize").empty()) << "an absolute size reads nothing";
    EXPECT_FALSE(commander.isIncreaseEnabled());
    commander.sizeSelected("-1");
    EXPECT_EQ(commander.currentFontSizeTextValue(), "458");
}

TEST_F(QVCharacterStyleCommanderTest, aPendingColourGoesBeforeTheNextSizeOnlyOnce)
{
    // What the page then holds: QVTextFormattingWebTest.aSizeStepGoesFromThePagesSizeInPointsAndStaysWithinTheLimits.
    EXPECT_FALSE(commander.pendingColorChangeExists());
    commander.setPendingFontColor("darkred");
    EXPECT_TRUE(commander.pendingColorChangeExists());
    commander.changeFontSizeByPoints(20, false);
    EXPECT_FALSE(commander.pendingColorChangeExists());
}

TEST_F(QVCharacterStyleCommanderTest, highlightTogglesOnThePagesOwnYellow)
{
    answerRead("queryCommandValue\\('backColor'\\)", "rgb(255, 255, 0)");
    // The toggle on the real page: QVTextFormattingWebTest.eachCharacterCommandFormatsTheSelectedWordOnThePageAndInTheFile.
    commander.highlightYellowTextSelection();
    answerRead("queryCommandValue\\('backColor'\\)", "yellow");
    commander.highlightYellowTextSelection();
    EXPECT_EQ(dirtyCount, 2);
}

TEST_F(QVCharacterStyleCommanderTest, removeStyleClearsTheFormattingAndMarksTheDocument)
{
    // What it takes away: QVTextFormattingWebTest.eachCharacterCommandFormatsTheSelectedWordOnThePageAndInTheFile.
    commander.removeStyle();
    EXPECT_EQ(dirtyCount, 1);
}

TEST_F(QVCharacterStyleCommanderTest, caseChangesReplaceTheSelectionWithItsTextEscapedInTheCaretsStyle)
{
    answerRead("getSelection\\(\\).toString", "it's <b>big</b>\nnext & last");
    answerRead("queryCommandValue\\('fontName'\\)", "'Georgia', serif");
    answerRead("getCurrentFontSize", "24");
    answerRead("queryCommandValue\\('foreColor'\\)", "rgb(1, 2, 3)");
    answerRead("queryCommandState\\('bold'\\)", "true");
    answerRead("queryCommandState", "false");
    answerRead("queryCommandState\\('bold'\\)", "true");
    commander.selectionToCase("uppercase");
    ASSERT_TRUE(page.lastScript());
    // The markup goes into the script as one string literal, its angle
    // brackets written as escapes.
    EXPECT_EQ(*page.lastScript(),
              "tinymce.activeEditor.execCommand('insertHTML', false, '\\u003Cspan style=\\\"font-family:Georgia;"
              "font-size: 18pt; font-weight:bold; color: rgb(1, 2, 3);\\\"\\u003EIT&#39;S &lt;B&gt;BIG&lt;/B&gt;"
              "\\u003Cbr\\u003ENEXT &amp; LAST\\u003C/span\\u003E');");
    EXPECT_EQ(dirtyCount, 1);
}

TEST_F(QVCharacterStyleCommanderTest, sortingOrdersTheSelectedLinesWithoutRegardToCase)
{
    answerRead("getSelection\\(\\).toString", "pear\nApple\nbanana");
    commander.selectionSortList(true);
    ASSERT_TRUE(page.lastScript());
    EXPECT_NE(page.lastScript()->find("direction:rtl; font-family:"), std::string::npos) << *page.lastScript();
    EXPECT_NE(page.lastScript()->find("Apple\\u003Cbr\\u003Ebanana\\u003Cbr\\u003Epear\\u003C/span"),
              std::string::npos)
        << *page.lastScript();
}

TEST(QVCharacterStyleSpanTest, aSpanKeepsEveryValueInsideItsAttribute)
{
    QVCharacterStyleCommander::SpanStyle style;
    style.family = "A\" onclick=\"x";
    style.color = "red";
    style.italic = true;
    style.underline = true;
    EXPECT_EQ(QVCharacterStyleCommander::styledSpan(style, u"a\nb"),
              "<span style=\"font-family:A&quot; onclick=&quot;x;font-size: 12pt; font-style:italic; "
              "text-decoration:underline; color: red;\">a<br>b</span>");
}

TEST_F(QVCharacterStyleCommanderTest, nothingSelectedRewritesNothing)
{
    answerRead("getSelection\\(\\).toString", "");
    commander.selectionToCase("lowercase");
    EXPECT_TRUE(page.scriptsMatching("insertHTML").empty());
    EXPECT_EQ(dirtyCount, 0);
}

} // namespace
} // namespace folio
