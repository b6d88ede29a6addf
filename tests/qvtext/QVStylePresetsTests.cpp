#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVCharacterStyleCommander.h"
#include "qvtext/QVStylePresets.h"
#include "qvtext/QVStyleStore.h"
#include "support/DecimalCommaLocale.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVStylePresetsTest : public test::VirtualClockTest {
protected:
    QVStylePresetsTest()
        : connection(&page)
        , characters(connection, {[this] { ++dirtyCount; }, {}})
        , presets(connection, characters, store,
                  {[this] { ++dirtyCount; }, [this](const std::string& color) { papers.push_back(color); },
                   [this](std::shared_ptr<ViewController> shown) { alerts.push_back(std::move(shown)); }})
    {
    }

    // What was sent, without the reads and state queries.
    std::vector<std::string> sent() const
    {
        std::vector<std::string> scripts;
        for (const FakeWebView::ScriptCall& call : page.scripts()) {
            if (call.script.find("queryCommand") == std::string::npos)
                scripts.push_back(call.script);
        }
        return scripts;
    }

    testing_support::ScratchFolder folder{"qvtext-presets"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    QVStyleStore store{defaults};
    FakeWebView page;
    PageConnection connection;
    int dirtyCount = 0;
    std::vector<std::string> papers;
    std::vector<std::shared_ptr<ViewController>> alerts;
    QVCharacterStyleCommander characters;
    QVStylePresets presets;
};

TEST_F(QVStylePresetsTest, anEmptyStoreGivesThePlainDefaultStyle)
{
    presets.setDefaultStyle();
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "tinymce.activeEditor.execCommand('backColor', false, 'transparent')",
                          "tinymce.activeEditor.execCommand('backColor', false, 'transparent')",
                          "tinymce.activeEditor.execCommand('FontSize', false, '12pt');",
                          "tinymce.activeEditor.execCommand('fontName', false, 'Helvetica')",
                          "tinymce.activeEditor.execCommand('foreColor', false, 'Black');",
                          "tinymce.activeEditor.execCommand('LineHeight', false, '1.000000');",
                      }))
        << "no indent script for no indent";
    EXPECT_EQ(papers, std::vector<std::string>{"White"});
    EXPECT_GE(dirtyCount, 1);
}

TEST_F(QVStylePresetsTest, stylesStillOnComeOffThroughTheirToggles)
{
    page.answerMatching("queryCommandState\\('bold'\\)", "true");
    page.answerMatching("queryCommandState\\('underline'\\)", "true");
    page.answerMatching("queryCommandState", "false");
    page.answerMatching("queryCommandState\\('(bold|underline)'\\)", "true");
    presets.setDefaultStyle();
    EXPECT_TRUE(page.scriptsMatching("execCommand\\('(Bold|Underline)'\\)").empty()) << "the toggles wait for answers";
    // Once answered, they come off the words:
    // QVTextFormattingWebTest.theDefaultStyleTakesTheWordsOwnStylesOffAndSetsTheStoredOne.
    page.releaseAll();
    EXPECT_TRUE(page.scriptsMatching("execCommand\\('(Italic|Strikethrough|Subscript|Superscript)'\\)").empty());
}

TEST_F(QVStylePresetsTest, missingKeysOfAStoredDefaultStyleAnswerTheirFactoryValues)
{
    defaults.setString("defaultFont", "Georgia");
    defaults.setFloat("defaultParagraphSpacing", 6);
    defaults.setFloat("defaultFirstLineIndent", 1.25f);
    // The size, colour, spacing and indent the page then holds:
    // QVTextFormattingWebTest.theDefaultStyleTakesTheWordsOwnStylesOffAndSetsTheStoredOne.
    presets.setDefaultStyle();
    EXPECT_TRUE(page.scriptsMatching("null").empty());
    EXPECT_EQ(papers, std::vector<std::string>{"White"});
}

TEST_F(QVStylePresetsTest, scriptNumbersAreWrittenInTheCLocale)
{
    test::DecimalCommaLocale comma;
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultLineSpacing1", 1.5f);
    defaults.setFloat("defaultFirstLineIndent1", 0.5f);
    presets.setUserStyle(1);
    // What the page makes of them: QVTextFormattingWebTest.aUserStylesFractionsReachThePageInAnyLocale.
    EXPECT_TRUE(page.scriptsMatching("1,5|0,50").empty());
}

TEST_F(QVStylePresetsTest, aStoredUserStyleIsAppliedInOrder)
{
    defaults.setString("defaultFont3", "Georgia");
    defaults.setFloat("defaultFontSize3", 14.7f);
    defaults.setString("defaultFontColor3", "teal");
    defaults.setFloat("defaultLineSpacing3", 0);
    presets.setUserStyle(3);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "tinymce.activeEditor.getBody().style.textIndent='0.00cm';",
                          "tinymce.activeEditor.execCommand('FontSize', false, '14pt');",
                          "tinymce.activeEditor.execCommand('fontName', false, 'Georgia');"
                          "tinymce.activeEditor.execCommand('foreColor', false, 'teal');",
                          "tinymce.activeEditor.execCommand('backColor', false, 'White');",
                      }))
        << "a line height of 0 leaves it; the indent goes even at 0";
    EXPECT_TRUE(alerts.empty());
}

TEST_F(QVStylePresetsTest, aUserStyleWithoutSizeOrColourTakesTheFactoryOnes)
{
    defaults.setString("defaultFont2", "Verdana");
    presets.setUserStyle(2);
    EXPECT_EQ(page.scriptsMatching("'FontSize', false, '12pt'").size(), 1u);
    EXPECT_EQ(page.scriptsMatching("'foreColor', false, 'darkred'").size(), 1u);
    EXPECT_TRUE(page.scriptsMatching("null").empty());
}

TEST_F(QVStylePresetsTest, anUndefinedUserStyleAlertsAndAppliesNothing)
{
    presets.setUserStyle(2);
    ASSERT_EQ(alerts.size(), 1u);
    auto alert = std::dynamic_pointer_cast<AlertController>(alerts[0]);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message().rfind(u"Please, set this text style", 0), 0u);
    EXPECT_TRUE(alert->actionWithTitle(u"Dismiss"));
    EXPECT_TRUE(page.scripts().empty());
    EXPECT_EQ(dirtyCount, 0);
}

TEST_F(QVStylePresetsTest, factoryValuesDefineEveryStyleAndTheMargins)
{
    ASSERT_TRUE(store.setDefaultTextStyles().ok());
    QVStyleStore::Style style = store.defaultStyle();
    EXPECT_EQ(style.family, "Helvetica");
    EXPECT_EQ(style.size, 12);
    EXPECT_EQ(style.color, "Black");
    EXPECT_NEAR(style.lineSpacing, 1.2, 1e-6);
    EXPECT_FALSE(style.paragraphSpacing);
    const char* families[] = {"Courier", "Verdana", "Georgia"};
    const char* colors[] = {"darkblue", "darkred", "teal"};
    for (long n = 1; n <= 3; ++n) {
        std::optional<QVStyleStore::Style> user = store.userStyle(n);
        ASSERT_TRUE(user) << n;
        EXPECT_EQ(user->family, families[n - 1]);
        EXPECT_EQ(user->color, colors[n - 1]);
        EXPECT_EQ(user->background, "White");
    }
    EXPECT_EQ(defaults.doubleForKey("QVdefaultPageMarginTop"), 1.0);
    EXPECT_EQ(store.userStyle(7)->family, "Helvetica") << "another n is the plain style";
}

TEST_F(QVStylePresetsTest, theStyleAtTheCaretIsStoredInPointsAndApplyBackUnchanged)
{
    auto answerRead = [this](const std::string& pattern, std::string answer) {
        page.answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return answer;
        });
    };
    answerRead("queryCommandValue\\('fontName'\\)", "");
    answerRead("getCurrentFontSize", "20");
    answerRead("queryCommandValue\\('foreColor'\\)", "rgb(0, 0, 128)");
    answerRead("queryCommandValue\\('backColor'\\)", "rgba(0, 0, 0, 0)");
    answerRead("style.backgroundColor", "ivory");
    answerRead("queryCommandValue\\('lineHeight'\\)", "1.5");
    answerRead("style.marginBottom", "6pt");
    answerRead("style.textIndent", "1.25cm");
    answerRead("style.marginLeft", "2cm");
    presets.setAsDefaultStyle(0);
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Helvetica") << "no font by that name";
    EXPECT_EQ(defaults.doubleForKey("defaultFontSize"), 15.0) << "20 CSS pixels are 15 points";
    EXPECT_EQ(defaults.stringForKey("defaultFontColor"), "rgb(0, 0, 128)");
    EXPECT_EQ(defaults.stringForKey("defaultPaperColor"), "ivory");
    EXPECT_NEAR(defaults.doubleForKey("defaultLineSpacing").value_or(0), 1.5, 1e-6);
    EXPECT_NEAR(defaults.doubleForKey("defaultParagraphSpacing").value_or(0), 6, 1e-6);
    EXPECT_NEAR(defaults.doubleForKey("QVdefaultPageMarginLeft").value_or(0), 2, 1e-6);

    page.clearScripts();
    presets.setDefaultStyle();
    EXPECT_EQ(page.scriptsMatching("'FontSize', false, '15pt'").size(), 1u) << "the size comes back as it was";

    presets.setAsDefaultStyle(2);
    EXPECT_EQ(defaults.doubleForKey("defaultFontSize2"), 15.0);
    EXPECT_EQ(defaults.stringForKey("defaultBackgroundFontColor2"), "rgba(0, 0, 0, 0)");
    EXPECT_FALSE(store.storeCapturedStyle(4, {}).ok());
}

TEST_F(QVStylePresetsTest, theProgramDefaultsTakeTheCaretsColours)
{
    page.answerMatching("queryCommandValue\\('foreColor'\\)", [this](const std::string&) {
        loop.post([this] { page.releaseAll(); });
        return std::string("rgb(1, 2, 3)");
    });
    presets.setVelderDefaultSettings();
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Cochin");
    EXPECT_EQ(defaults.doubleForKey("defaultFontSize"), 14.0);
    EXPECT_EQ(defaults.stringForKey("defaultFontColor"), "rgb(1, 2, 3)");
    EXPECT_EQ(defaults.doubleForKey("QVdefaultPageMarginBottom"), 1.0);
}

} // namespace
} // namespace folio
