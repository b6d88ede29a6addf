#include "platform/foundation/UserDefaults.h"
#include "platform/docframework/DKMenuController.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/KeyboardService.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "platform/ui/Menu.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextStyling.h"
#include "support/DocumentTestSupport.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVTextStylingTest : public test::VirtualClockTest {
protected:
    QVTextStylingTest()
        : connection(&page)
        , styling(connection, defaults, {[this] { ++dirtyCount; }, {}, [] { return true; }})
    {
    }
    ~QVTextStylingTest() override { KeyboardService::shared().setInputLanguage("en-US"); }

    testing_support::ScratchFolder folder{"qvtext-styling"};
    UserDefaults defaults{folder.path("Preferences.plist")};
    FakeWebView page;
    PageConnection connection;
    int dirtyCount = 0;
    QVTextStyling styling;
};

TEST_F(QVTextStylingTest, aPickerRowRunsOnTheNextTurnAndCanBeCancelled)
{
    styling.optionSelected(4);
    EXPECT_TRUE(page.scriptsMatching("insertOrderedList").empty());
    loop.runOnce();
    // The list it makes: QVTextFormattingWebTest.theToolsPickersAndInsertionsReachThePageAndTheSavedFile.
    EXPECT_FALSE(page.scriptsMatching("insertOrderedList").empty());
    page.clearScripts();
    styling.optionSelected(5);
    styling.cancelPendingTasks();
    loop.runOnce();
    EXPECT_TRUE(page.scriptsMatching("insertUnorderedList").empty());
}

TEST_F(QVTextStylingTest, theAlignmentMenuReachesThePage)
{
    std::shared_ptr<Menu> menu = styling.showAlignKeyMenuActions();
    ASSERT_EQ(menu->children().size(), 6u);
    std::dynamic_pointer_cast<Action>(menu->children()[1])->perform();
    EXPECT_TRUE(styling.isRTLLanguage()) << "\"Right To Left\"";
    // What the page then shows:
    // QVTextFormattingWebTest.theStyleBarsButtonsAndAlignmentMenuReachTheWordsAtTheCaret.
}

TEST_F(QVTextStylingTest, aKeyboardLanguageChangeSetsTheDirection)
{
    KeyboardService::shared().setInputLanguage("he-IL");
    EXPECT_TRUE(styling.isRTLLanguage());
    KeyboardService::shared().setInputLanguage("he");
    EXPECT_FALSE(styling.isRTLLanguage());
    EXPECT_FALSE(styling.shouldForceDirtyDocument());
    KeyboardService::shared().setInputLanguage("zh-Hant");
    EXPECT_TRUE(styling.shouldForceDirtyDocument());
    KeyboardService::shared().setInputLanguage("zh-Hans-CN");
    EXPECT_TRUE(styling.shouldForceDirtyDocument());
    KeyboardService::shared().setInputLanguage("zh");
    EXPECT_FALSE(styling.shouldForceDirtyDocument());
}

TEST_F(QVTextStylingTest, anUndefinedUserStyleFromThePickerClearsThenAlerts)
{
    std::vector<std::shared_ptr<ViewController>> shown;
    QVTextStyling alerting(connection, defaults,
                           {[] {}, [&](std::shared_ptr<ViewController> alert) { shown.push_back(alert); }, {}});
    alerting.optionSelected(2);
    loop.runOnce();
    EXPECT_EQ(page.scriptsMatching("removeFormat").size(), 1u);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(page.scriptsMatching("FontSize").empty());
}

TEST_F(QVTextStylingTest, theAlignmentPopoverReplacesAnOpenOneAndReachesThePage)
{
    std::vector<std::shared_ptr<ViewController>> shown;
    QVTextStyling presenting(connection, defaults,
                             {[] {}, [&](std::shared_ptr<ViewController> picker) { shown.push_back(picker); }, {}});
    presenting.showAlignKeyMenu();
    std::shared_ptr<DKMenuController> first = presenting.alignPicker();
    presenting.showAlignKeyMenu();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(presenting.alignPicker(), first);
    EXPECT_TRUE(presenting.alignPicker()->sizesToOptionWidth());
    EXPECT_TRUE(presenting.alignPicker()->pickOptionWithTitle(u"Right"));
    EXPECT_EQ(page.lastScript(), "tinymce.activeEditor.execCommand('justifyright');");
}

TEST_F(QVTextStylingTest, onlyALongSelectionShowsTheProgressOverlay)
{
    std::string length = "4000";
    page.answerMatching("toString\\(\\).length", [&](const std::string&) {
        loop.post([this] { page.releaseAll(); });
        return length;
    });
    styling.showProgressHUDifNeeded();
    EXPECT_FALSE(ProgressHUD::isVisible());
    length = "4001";
    styling.showProgressHUDifNeeded();
    EXPECT_TRUE(ProgressHUD::isVisible());
    styling.optionSelected(9);
    loop.runOnce();
    EXPECT_FALSE(ProgressHUD::isVisible()) << "the command takes it down";
}

TEST_F(QVTextStylingTest, theHTMLSourceAndTheSelectionColoursAreReadFromThePage)
{
    auto answerNow = [this](const std::string& pattern, std::string answer) {
        page.answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return answer;
        });
    };
    answerNow("innerHTML", "<p>Some <b>text</b> &amp; more</p>");
    std::vector<std::shared_ptr<ViewController>> shown;
    QVTextStyling presenting(connection, defaults,
                             {[] {}, [&](std::shared_ptr<ViewController> alert) { shown.push_back(alert); }, {}});
    presenting.showHTMLSource();
    ASSERT_EQ(shown.size(), 1u);
    auto alert = std::dynamic_pointer_cast<AlertController>(shown[0]);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), u"HTML Source");
    EXPECT_EQ(alert->message(), u"<p>Some <b>text</b> &amp; more</p>") << "the markup as it is, not rendered";
    ASSERT_EQ(alert->actions().size(), 1u);
    EXPECT_EQ(alert->actions()[0]->style(), AlertActionStyle::Cancel);

    answerNow("queryCommandValue\\('foreColor'\\)", "rgb(255, 0, 0)");
    answerNow("getNode\\(\\).style.backgroundColor", "");
    std::optional<Color> text = styling.textStyleCallbacks().currentTextSelectionColor();
    ASSERT_TRUE(text);
    EXPECT_EQ(closestColorName(*text), "red");
    EXPECT_FALSE(styling.textStyleCallbacks().currentTextSelectionBackgroundColor()) << "no background of its own";
}

TEST_F(QVTextStylingTest, aVoiceIsFoundOnlyForTheKeyboardsLanguageAsItIs)
{
    QVTextStyling speaking(connection, defaults,
                           {.hasDocument = [] { return true; },
                            .speechVoiceLanguages = [] { return std::vector<std::string>{"de-DE", "en-GB"}; }});
    KeyboardService::shared().setInputLanguage("en-GB");
    EXPECT_TRUE(speaking.existVoiceForLanguage()) << "checked as the keyboard changes";
    KeyboardService::shared().setInputLanguage("en-US");
    EXPECT_FALSE(speaking.existVoiceForLanguage());
    KeyboardService::shared().setInputLanguage("de");
    EXPECT_FALSE(speaking.existVoiceForLanguage()) << "no region is another language tag";
    KeyboardService::shared().setInputLanguage("de-DE");
    EXPECT_TRUE(speaking.existVoiceForLanguage());
    EXPECT_FALSE(styling.existVoiceForLanguage()) << "a host without speech has no voice";
}

TEST_F(QVTextStylingTest, styleBarButtonsRunTheirCommandOnTheNextTurnAndTheSizeStepsAtOnce)
{
    using Button = QVTextStyling::StyleButton;
    int menus = 0;
    QVTextStyling bar(connection, defaults,
                      {.documentIsDirty = [this] { ++dirtyCount; }, .hasDocument = [] { return true; },
                       .showMenu = [&] { ++menus; }});
    const struct {
        Button button;
        const char* command;
    } rows[] = {{Button::Underline, "Underline"},       {Button::Strike, "Strikethrough"},
                {Button::Superscript, "Superscript"},   {Button::Subscript, "Subscript"}};
    for (const auto& row : rows) {
        page.clearScripts();
        int dirtyBefore = dirtyCount;
        bar.styleToolbarButtonPressed(row.button);
        EXPECT_TRUE(page.scriptsMatching(row.command).empty()) << row.command << " waits for its turn";
        loop.runOnce();
        EXPECT_GT(dirtyCount, dirtyBefore) << row.command;
    }
    EXPECT_GE(menus, 4) << "the edit menu follows every style";

    page.clearScripts();
    bar.styleToolbarButtonPressed(Button::FontName);
    loop.runOnce();
    EXPECT_TRUE(page.scripts().empty()) << "the font-name button does nothing here";

    page.answerMatching("getCurrentFontSize", [this](const std::string&) {
        loop.post([this] { page.releaseAll(); });
        return std::string("16");
    });
    // Each step's size on the page:
    // QVTextFormattingWebTest.theStyleBarsButtonsAndAlignmentMenuReachTheWordsAtTheCaret.
    bar.styleToolbarButtonPressed(Button::FontSizeIncrease);
    EXPECT_EQ(bar.characters().currentFontSizeTextValue(), "13") << "12 points read back, one up, at once";
    bar.styleToolbarButtonPressed(Button::FontSizeDecrease);
    EXPECT_EQ(bar.characters().currentFontSizeTextValue(), "11");
}

} // namespace
} // namespace folio

namespace folio {
namespace {

TEST_F(QVTextStylingTest, theInstalledVoicesAreLookedAtOnlyWhenTheAnswerIsWanted)
{
    int asked = 0;
    QVTextStyling speaking(connection, defaults, {.hasDocument = [] { return true; }, .speechVoiceLanguages = [&] {
                                                      ++asked;
                                                      return std::vector<std::string>{"en-GB"};
                                                  }});
    KeyboardService::shared().setInputLanguage("en-GB");
    speaking.setTextDirection();
    EXPECT_EQ(asked, 0) << "following the keyboard starts no speech engine";
    EXPECT_TRUE(speaking.existVoiceForLanguage());
    EXPECT_TRUE(speaking.existVoiceForLanguage());
    EXPECT_EQ(asked, 1) << "the answer is kept until the keyboard changes";
    KeyboardService::shared().setInputLanguage("fr-FR");
    EXPECT_FALSE(speaking.existVoiceForLanguage());
    EXPECT_EQ(asked, 2);
}

class QVTextStylingFontTest : public QVTextStylingTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        page.answerMatching("queryCommandValue\\('fontName'\\)", [this](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return fontName;
        });
    }
    void TearDown() override { FontCatalog::setShared(nullptr); }
    std::string fontName;
};

TEST_F(QVTextStylingFontTest, boldAndItalicAreOfferedOnlyWhereThePagesFontTakesThem)
{
    const struct {
        const char* font;
        bool bold;
        bool italic;
    } cases[] = {
        {"Georgia", true, true},
        {"\"Avenir-Light\"", false, true},
        {"ChalkboardSE-Regular", true, false},
        // A font this machine lacks is drawn in a fallback face that takes both.
        {"No Such Face", true, true},
    };
    for (const auto& c : cases) {
        fontName = c.font;
        EXPECT_EQ(styling.canPerformAction("boldExecCommand:"), std::optional<bool>(c.bold)) << c.font;
        EXPECT_EQ(styling.canPerformAction("italicExecCommand:"), std::optional<bool>(c.italic)) << c.font;
    }
    EXPECT_FALSE(styling.canPerformAction("underlineExecCommand").has_value()) << "not a question of the face";

    // The keyboard's bold does what the edit menu would offer.
    std::vector<std::shared_ptr<KeyCommand>> keys = QVTextStyling::keyCommands([this] { return &styling; });
    auto press = [&](const char* input) {
        for (const std::shared_ptr<KeyCommand>& key : keys)
            if (key->matches(input, KeyModifierCommand))
                return key->perform();
        return false;
    };
    fontName = "Avenir-Light";
    press("b");
    EXPECT_TRUE(page.scriptsMatching("execCommand\\('Bold'\\)").empty()) << "a light face takes no bold";
    fontName = "Georgia";
    press("b");
    EXPECT_EQ(page.scriptsMatching("execCommand\\('Bold'\\)").size(), 1u);
    press("u");
    EXPECT_EQ(page.scriptsMatching("execCommand\\('Underline'\\)").size(), 1u);
}

TEST_F(QVTextStylingTest, theTextStylePopoverShowsTheBodysMarginsInInchesAndSetsThemInCentimetres)
{
    page.answerMatching("getBody\\(\\)\\.style\\.margin", [this](const std::string& script) {
        loop.post([this] { page.releaseAll(); });
        if (script.find("marginLeft") != std::string::npos)
            return std::string("2.54cm");
        if (script.find("marginTop") != std::string::npos)
            return std::string("1.27cm");
        return std::string();
    });
    std::vector<double> set;
    QVTextStyling presenting(connection, defaults,
                             {.present = [](std::shared_ptr<ViewController>) {},
                              .paperMarginChanged = [&](long side, double centimetres) {
                                  set.push_back(static_cast<double>(side));
                                  set.push_back(centimetres);
                              }});
    presenting.showTextStylePicker();
    ASSERT_TRUE(presenting.textStylePicker());
    EXPECT_DOUBLE_EQ(presenting.textStylePicker()->selectedPageMarginLeft(), 1.0);
    EXPECT_DOUBLE_EQ(presenting.textStylePicker()->selectedPageMarginTop(), 0.5);
    EXPECT_DOUBLE_EQ(presenting.textStylePicker()->selectedPageMarginRight(), 0.0) << "a body without one has none";
    // A step of the popover's left margin to 1.5 inches sets 3.81 cm.
    presenting.textStyleCallbacks().textStylePickerViewControllerPaperMarginChanged(0, 1.5);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0], 0);
    EXPECT_NEAR(set[1], 3.81, 1e-9);
}

} // namespace
} // namespace folio
