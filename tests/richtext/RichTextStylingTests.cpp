#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/ViewController.h"
#include "platform/web/FakeWebView.h"
#include "platform/ui/Action.h"
#include "webeditor/FontFaceRules.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextStyling.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "richtext/TextViewController.h"
#include "documents/TextDocument.h"
#include "support/DocumentTestSupport.h"
#include "support/DecimalCommaLocale.h"
#include "support/VirtualClock.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "webeditor/ReadyPoller.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>


namespace folio {
namespace {

// A page that answers every held script on the next turn of the loop, the
// way a real page answers while the editor waits.
class StylingTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        EditorFlags::shared().reset();
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        KeyboardService::shared().setHardwareKeyboardConnected(false);
        ProgressHUD::dismiss();
    }
    void TearDown() override
    {
        FontCatalog::setShared(nullptr);
        EditorFlags::shared().reset();
        KeyboardService::shared().setHardwareKeyboardConnected(true);
    }

    RichTextStyling::Host host()
    {
        RichTextStyling::Host h;
        h.hasDocument = [this] { return hasDocument; };
        h.isClosingDocument = [this] { return closing; };
        h.isEditing = [this] { return editing; };
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.setPaperColor = [this](const std::string& name) { paperColors.push_back(name); };
        h.viewBackgroundColor = [this] { return viewBackground; };
        h.rulerValues = [] { return std::pair<double, double>{2.54, 19.05}; };
        h.documentTopMargin = [] { return std::optional<std::string>("1.27"); };
        h.documentBottomMargin = [] { return std::optional<std::string>("2.54"); };
        h.present = [this](std::shared_ptr<ViewController> controller) { presented.push_back(controller); };
        return h;
    }

    // Keeps answering reads while the test waits on them.
    void answerReads()
    {
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
    }

    std::vector<std::string> sent() const
    {
        std::vector<std::string> scripts;
        for (const FakeWebView::ScriptCall& call : view.scripts())
            scripts.push_back(call.script);
        return scripts;
    }
    std::vector<std::string> sentMatching(const std::string& pattern) const { return view.scriptsMatching(pattern); }
    std::string shownSize() { return toUtf8(styling.toolbar().styleFontSize->titleForState(ControlState::Normal)); }

    bool hasDocument = true;
    bool closing = false;
    bool editing = true;
    int dirtyCount = 0;
    std::vector<std::string> paperColors;
    std::optional<Color> viewBackground = Color::colorWithWhite(1);
    std::vector<std::shared_ptr<ViewController>> presented;

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    FakeWebView view;
    PageConnection page{&view};
    RichTextStyling styling{page, defaults, host()};
    StyleToolbar& bar = styling.toolbar();
};

// --- font state monitor ------------------------------------------------------

TEST_F(StylingTest, pollAsksNothingWithoutDocumentWhileClosingUnderProgressOrWithoutFocus)
{
    hasDocument = false;
    styling.monitor().textStyleMonitor();
    hasDocument = true;
    closing = true;
    styling.monitor().textStyleMonitor();
    closing = false;
    ProgressHUD::show();
    styling.monitor().textStyleMonitor();
    ProgressHUD::dismiss();
    editing = false;
    styling.monitor().textStyleMonitor();
    EXPECT_TRUE(view.scripts().empty());

    KeyboardService::shared().setHardwareKeyboardConnected(true);
    styling.monitor().textStyleMonitor();
    EXPECT_FALSE(view.scripts().empty()) << "a hardware keyboard is enough to poll";
}

TEST_F(StylingTest, pollSetsEachControlFromItsOwnAnswerInOrder)
{
    view.answer("document.queryCommandState('underline')", "1");
    view.answer("document.queryCommandState('bold')", "0");
    view.answer("document.queryCommandState('italic')", "1");
    view.answer("document.queryCommandState('strikeThrough')", "1");
    view.answer("document.queryCommandState('superscript')", "0");
    view.answer("document.queryCommandState('subscript')", "1");
    view.answer("document.queryCommandState('justifyleft')", "0");
    view.answer("document.queryCommandState('justifyright')", "0");
    view.answer("document.queryCommandState('justifycenter')", "1");
    view.answer("document.queryCommandState('justifyfull')", "0");
    view.answer(FontStateMonitor::kCollapsedSelectionScript, "0");
    view.answer("document.queryCommandEnabled('undo')", "1");
    view.answer("document.queryCommandEnabled('redo')", "0");
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Georgia");
    view.answer("getFontFamilies();", "Georgia, serif");
    view.answer("getCurrentFontSize();", "20");
    styling.barItems().redoBarButtonItem()->setEnabled(true);

    styling.monitor().textStyleMonitor();
    std::vector<std::string> asked = sent();
    ASSERT_EQ(asked.size(), 15u);
    EXPECT_EQ(asked[0], "document.queryCommandState('underline')");
    EXPECT_EQ(asked[5], "document.queryCommandState('subscript')");
    EXPECT_EQ(asked[6], "document.queryCommandValue('fontName').replace(/'/g,'')") << "the font is asked between the styles and alignment";
    EXPECT_EQ(asked[7], "document.queryCommandState('justifyleft')");
    EXPECT_EQ(asked[12], "document.queryCommandEnabled('undo')");
    EXPECT_EQ(asked[14], "getCurrentFontSize();");
    EXPECT_FALSE(bar.styleUnderline->isHighlighted()) << "nothing changes before the answers arrive";

    view.releaseAll();
    EXPECT_TRUE(bar.styleUnderline->isHighlighted());
    EXPECT_FALSE(bar.styleBold->isHighlighted());
    EXPECT_TRUE(bar.styleItalic->isHighlighted());
    EXPECT_TRUE(bar.styleStrike->isHighlighted());
    EXPECT_FALSE(bar.styleSuperscript->isHighlighted());
    EXPECT_TRUE(bar.styleSubscrit->isHighlighted());
    EXPECT_TRUE(bar.styleAlignLeft->isHidden());
    EXPECT_FALSE(bar.styleAlignCenter->isHidden());
    EXPECT_TRUE(bar.magicCursorButton->isHighlighted()) << "text is selected";
    EXPECT_TRUE(styling.barItems().undoBarButtonItem()->isEnabled());
    EXPECT_FALSE(styling.barItems().redoBarButtonItem()->isEnabled());
    EXPECT_EQ(toUtf8(bar.styleFontName->titleForState(ControlState::Normal)), "Georgia");
    EXPECT_TRUE(bar.styleBold->isEnabled());
    EXPECT_EQ(shownSize(), "14");
    EXPECT_EQ(bar.currentFontSizeTextValue, "14");
}

TEST_F(StylingTest, alignmentIndicatorsShowLeftWhenNoneIsActiveAndPhonesNeverTouchThem)
{
    for (auto& button : {bar.styleAlignLeft, bar.styleAlignRight, bar.styleAlignCenter, bar.styleAlignFull})
        button->setHidden(true);
    styling.monitor().textStyleMonitor();
    EXPECT_FALSE(bar.styleAlignLeft->isHidden()) << "shown from the earlier answers, before these arrive";
    view.releaseAll();
    EXPECT_FALSE(bar.styleAlignLeft->isHidden()) << "the page said no to every alignment: the key left the bar";
    view.clearScripts();

    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Phone);
    bar.styleAlignLeft->setHidden(true);
    styling.monitor().textStyleMonitor();
    view.releaseAll();
    EXPECT_TRUE(sentMatching("justify").empty());
    EXPECT_TRUE(bar.styleAlignLeft->isHidden());
    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
}

// The page zooms its element as a whole: the sizes it reports are the
// text's own, whatever the zoom and whether text is selected.
TEST_F(StylingTest, shownSizeFollowsTheLimitsAndIgnoresTheZoom)
{
    struct Case {
        const char* answer;
        long long zoom;
        const char* caret;
        const char* legacy;
        const char* shown;
    };
    const Case cases[] = {
        {"0", 100, "1", "0", "6"},    {"-3", 100, "1", "0", "6"},   {"620", 100, "1", "0", "6"},
        {"nonsense", 100, "1", "0", "6"}, {"470", 100, "1", "0", "454"}, {"36", 200, "1", "0", "30"},
        {"36", 200, "0", "0", "30"},  {"300", 60, "1", "3", "294"},   {"300", 60, "1", "0", "294"},
        {"18", 0, "1", "0", "12"},   {"18", 150, "1", "0", "12"},
    };
    for (const Case& c : cases) {
        view.clearRules();
        EditorFlags::shared().currentDocumentTextZoomPercent = c.zoom;
        view.answer("getCurrentFontSize();", c.answer);
        view.answer(FontStateMonitor::kCollapsedSelectionScript, c.caret);
        view.answer("document.queryCommandValue('fontsize')", c.legacy);
        styling.monitor().textStyleMonitor();
        answerReads();
        view.releaseAll();
        EXPECT_EQ(shownSize(), c.shown) << c.answer << " at " << c.zoom << "%";
        loop.cancelAll();
    }
}

TEST_F(StylingTest, faceNameRulesDecideBoldAndItalic)
{
    auto font = [](const char* name) { return *Font::fontWithName(name, 12); };
    EXPECT_FALSE(FontFaceRules::canBeBold(font("Avenir-Light")));
    EXPECT_FALSE(FontFaceRules::canBeBold(font("Georgia-Italic")));
    EXPECT_TRUE(FontFaceRules::canBeItalic(font("Georgia-Italic"))) << "italic is left to the family test";
    EXPECT_TRUE(FontFaceRules::canBeBold(font("Georgia")));
    EXPECT_FALSE(FontFaceRules::canBeItalic(font("ChalkboardSE-Regular"))) << "the family has no italic face";
    EXPECT_TRUE(FontFaceRules::canBeItalicAndBold("Georgia"));
    EXPECT_TRUE(FontFaceRules::namesWeightFace("Avenir-Black, sans-serif"));
    EXPECT_FALSE(FontFaceRules::namesWeightFace("Georgia-Italic"));
    EXPECT_FALSE(FontFaceRules::namesWeightFace(""));

    // A page with no caret yet names no font: bold and italic stay offered.
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "");
    styling.monitor().updateCurrentFont();
    view.releaseAll();
    EXPECT_TRUE(bar.styleBold->isEnabled());
    EXPECT_TRUE(bar.styleItalic->isEnabled());

    view.clearRules();
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "\"No Such Face\", serif");
    styling.monitor().updateCurrentFont();
    view.releaseAll();
    EXPECT_EQ(toUtf8(bar.styleFontName->titleForState(ControlState::Normal)), "Helvetica");
    EXPECT_FALSE(bar.styleBold->isEnabled());
    EXPECT_FALSE(bar.styleItalic->isEnabled());
    EXPECT_TRUE(sentMatching("getFontFamilies").empty()) << "no face rules for an unknown font";

    view.clearRules();
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Georgia");
    view.answer("getFontFamilies();", "Avenir-Medium");
    styling.monitor().updateCurrentFont();
    view.releaseAll();
    EXPECT_FALSE(bar.styleBold->isEnabled()) << "the page draws a weight face";
    EXPECT_FALSE(bar.styleItalic->isEnabled());

    view.clearRules();
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Georgia");
    view.answer("getFontFamilies();", "");
    styling.monitor().updateCurrentFont();
    view.releaseAll();
    EXPECT_TRUE(bar.styleBold->isEnabled()) << "an empty answer changes nothing";
    EXPECT_TRUE(bar.styleItalic->isEnabled());
}

TEST_F(StylingTest, fontWithTraitsTakesWhatIsGivenAndTheRestFromTheBase)
{
    Font base = *Font::fontWithName("Georgia-Bold", 14);
    std::optional<Font> italic = FontFaceRules::fontWithTraits(base, std::nullopt, true, std::nullopt, std::nullopt);
    ASSERT_TRUE(italic);
    EXPECT_EQ(italic->postScriptName(), "Georgia-BoldItalic") << "bold kept from the base";
    EXPECT_DOUBLE_EQ(italic->pointSize(), 14);
    std::optional<Font> plain = FontFaceRules::fontWithTraits(base, false, false, std::string("Helvetica"), 20.0);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->postScriptName(), "Helvetica");
    EXPECT_DOUBLE_EQ(plain->pointSize(), 20);
    EXPECT_FALSE(FontFaceRules::fontWithTraits(base, std::nullopt, true, std::string("ChalkboardSE-Regular"), std::nullopt))
        << "a face the family does not have";
}

TEST_F(StylingTest, timerPollsEveryIntervalUntilStopped)
{
    styling.monitor().start();
    size_t afterFirst = sentMatching("getCurrentFontSize").size();
    EXPECT_EQ(afterFirst, 1u) << "one poll at once";
    loop.advanceVirtualClock(FontStateMonitor::kIntervalSeconds);
    loop.runOnce();
    EXPECT_EQ(sentMatching("getCurrentFontSize").size(), 2u);
    styling.monitor().stop();
    loop.advanceVirtualClock(10);
    loop.runOnce();
    EXPECT_EQ(sentMatching("getCurrentFontSize").size(), 2u);
}

// --- character styles, size, alignment, direction -----------------------------

TEST_F(StylingTest, steppingKeepsTheShownSizeWithinItsLimits)
{
    auto& characters = styling.characters();
    bar.styleFontSize->setTitle(u"466");
    characters.changeFontSizeByPoints(1, true);
    EXPECT_EQ(shownSize(), "466");
    EXPECT_FALSE(bar.styleFontSizeIncrease->isEnabled());
    EXPECT_EQ(view.lastScript().value_or(""),
              "document.execCommand('styleWithCSS', false, false);changeFont(472);document.execCommand('styleWithCSS', false, true);");

    bar.styleFontSize->setTitle(u"15");
    characters.changeFontSizeByPoints(-10, true);
    EXPECT_EQ(shownSize(), "10");
    EXPECT_FALSE(bar.styleFontSizeDecrease->isEnabled());

    characters.changeFontSizeByPoints(5, true);
    EXPECT_TRUE(bar.styleFontSizeIncrease->isEnabled());
    EXPECT_TRUE(bar.styleFontSizeDecrease->isEnabled());

    bar.styleFontSizeDecrease->setEnabled(false);
    characters.changeFontSizeByPoints(3, false);
    EXPECT_EQ(shownSize(), "3") << "absolute sizes have no limits";
    EXPECT_FALSE(bar.styleFontSizeDecrease->isEnabled()) << "and leave the buttons alone";
    EXPECT_NE(view.lastScript().value_or("").find("changeFont(9);"), std::string::npos);

    styling.sizeSelected("2147483647");
    EXPECT_NE(view.lastScript().value_or("").find("changeFont(2147483653);"), std::string::npos) << "no overflow into a negative size";
    bar.styleFontSize->setTitle(u"2147483647");
    characters.changeFontSizeByPoints(10, true);
    EXPECT_EQ(shownSize(), "466");

    styling.sizeSelected("18");
    EXPECT_EQ(shownSize(), "18");
    styling.sizeSelected("+1");
    EXPECT_EQ(shownSize(), "19");
    bar.styleFontSize->setTitle(u"600");
    EXPECT_EQ(characters.getBiggestRealFontSizeInPointsFromSelection(), 18);
}

TEST_F(StylingTest, pendingColourIsAppliedByTheNextSizeChangeOnlyAndForgottenBySpacing)
{
    styling.paragraphs().userSelectedTextColor("red");
    bar.styleFontSize->setTitle(u"12");
    view.clearScripts();
    styling.characters().changeFontSizeByPoints(14, false);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0], "document.execCommand('foreColor', false, 'red');");
    EXPECT_NE(sent()[1].find("changeFont(20)"), std::string::npos);

    view.clearScripts();
    styling.characters().changeFontSizeByPoints(16, false);
    EXPECT_TRUE(sentMatching("foreColor").empty()) << "applied once, then forgotten";

    styling.paragraphs().userSelectedTextColor("red");
    styling.paragraphs().setCurrenLineSpacing(1.5);
    view.clearScripts();
    styling.characters().changeFontSizeByPoints(16, false);
    EXPECT_TRUE(sentMatching("foreColor").empty()) << "a spacing change forgets it";

    styling.paragraphs().setCurrentTextSelectionBackgroundColor(Color::colorWithRed(1, 1, 0));
    view.clearScripts();
    styling.characters().changeFontSizeByPoints(16, false);
    EXPECT_TRUE(sentMatching("foreColor").empty()) << "a highlight is no text colour";
}

TEST_F(StylingTest, alignmentValuesSendTheirScriptsAndDirection)
{
    auto& characters = styling.characters();
    const std::pair<long, const char*> cases[] = {
        {0, "whiteSpacePreWrapOff ();document.execCommand('justifyfull');"},
        {1, "document.execCommand('justifycenter')"},
        {2, "document.execCommand('justifyright')"},
        {3, "document.execCommand('justifyleft')"},
    };
    for (auto [value, script] : cases) {
        view.clearScripts();
        characters.alignTextTask(value);
        EXPECT_EQ(sent(), (std::vector<std::string>{"makeObjectsEditable('true');", script, "makeObjectsEditable('false');"}));
    }
    view.clearScripts();
    characters.alignTextTask(4);
    EXPECT_TRUE(characters.isRTLLanguage());
    EXPECT_NE(sent()[1].find("getElementById('content').style.direction='rtl'"), std::string::npos) << "the whole document";
    EXPECT_EQ(sent()[2], "modifyLanguageDirection('rtl')");
    characters.alignTextTask(5);
    EXPECT_FALSE(characters.isRTLLanguage());
    view.clearScripts();
    characters.alignTextTask(9);
    EXPECT_EQ(sent().size(), 2u) << "an unknown value only frames nothing";

    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Phone);
    view.clearScripts();
    characters.alignTextTask(1);
    EXPECT_EQ(sent()[1], "restoreCaretSelection ();");
    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
}

TEST_F(StylingTest, keyboardLanguageDecidesDirection)
{
    auto& characters = styling.characters();
    characters.setTextDirection("ar");
    EXPECT_TRUE(characters.isRTLLanguage());
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(sent()[2], "modifyLanguageDirection('rtl');");
    EXPECT_FALSE(characters.shouldForceDirtyDocument());

    view.clearScripts();
    characters.setTextDirection("en-US");
    EXPECT_FALSE(characters.isRTLLanguage());
    EXPECT_TRUE(sent().empty()) << "an English keyboard leaves the page right to left";

    characters.setTextDirection("he-IL");
    EXPECT_TRUE(characters.isRTLLanguage());
    view.clearScripts();
    characters.setTextDirection("zh-Hans");
    EXPECT_FALSE(characters.isRTLLanguage());
    EXPECT_TRUE(characters.shouldForceDirtyDocument());
    EXPECT_TRUE(sent().empty());

    KeyboardService::shared().setInputLanguage("fa");
    EXPECT_TRUE(characters.isRTLLanguage()) << "a change of keyboard is followed";
    KeyboardService::shared().setInputLanguage("en-US");
    EXPECT_FALSE(characters.isRTLLanguage());
}

TEST_F(StylingTest, togglesGoThroughEditingCommandsAndBoldFacesStartFromTheFamily)
{
    answerReads();
    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "\"Georgia-Bold\"");
    styling.characters().boldExecCommand();
    EXPECT_EQ(sentMatching("execCommand\\('fontName'").size(), 1u);
    EXPECT_EQ(sentMatching("execCommand\\('fontName'").front(), "document.execCommand('fontName', false, 'Georgia')");
    styling.characters().italicExecCommand();
    EXPECT_EQ(sentMatching("execCommand\\('fontName'").size(), 1u) << "a bold face is no italic one";
    styling.characters().underlineExecCommand();
    styling.characters().strikeExecCommand();
    std::vector<std::string> commands;
    for (const auto& command : view.editingCommands())
        commands.push_back(command.command);
    EXPECT_EQ(commands, (std::vector<std::string>{"ToggleBold", "ToggleItalic", "ToggleUnderline", "Strikethrough"}));

    int before = dirtyCount;
    styling.characters().styleTextTask(nullptr);
    EXPECT_EQ(dirtyCount, before + 1) << "an unknown sender still marks the document";
}

// --- default style store and presets ---------------------------------------------

TEST_F(StylingTest, presetAppliesItsStyleAndSpacingInTheCLocale)
{
    test::DecimalCommaLocale comma;
    auto& store = styling.presets().store();
    ASSERT_TRUE(store.setDefaultTextStyles());
    defaults.setFloat("defaultParagraphSpacing2", 1.2f);
    styling.presets().setUserStyle(2);

    std::vector<std::string> scripts = sent();
    ASSERT_EQ(scripts.size(), 6u);
    EXPECT_EQ(scripts[0], "modifyParagraphSpacing(1.20);scrollToView();") << "never \"1,20\"";
    EXPECT_EQ(scripts[1], "modifyFirstLineIndent(0.00);scrollToView();") << "no line spacing stored: none sent";
    EXPECT_EQ(scripts[2], StylePresetCommander::kCaretPlaceholderScript);
    EXPECT_NE(scripts[3].find("changeFont(18)"), std::string::npos);
    EXPECT_EQ(scripts[4], "document.execCommand('fontName', false, 'Verdana');document.execCommand('foreColor', false, 'darkred');");
    EXPECT_EQ(scripts[5], "document.execCommand('backColor', false, 'White');");
    EXPECT_EQ(shownSize(), "12");
}

TEST_F(StylingTest, presetBackColourLineSpacingMarkerAndUndefinedAlert)
{
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultFontSize1", 14);
    defaults.setString("defaultFontColor1", "navy");
    defaults.setString("defaultBackColor1", "yellow");
    defaults.setFloat("defaultLineSpacing1", 500);
    // The font, colours and spacing the words then have, on the page and in
    // the file: RichTextEditorWebTest.aUserStyleReachesTheSelectedWordsAndTheSavedFile.
    styling.presets().setUserStyle(1);
    EXPECT_FALSE(sentMatching("modifyLineSpacing").empty());

    view.clearScripts();
    int dirty = dirtyCount;
    styling.presets().setUserStyle(3);
    EXPECT_TRUE(view.scripts().empty());
    EXPECT_EQ(dirtyCount, dirty);
    ASSERT_EQ(presented.size(), 1u);
    auto alert = std::dynamic_pointer_cast<AlertController>(presented.front());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), u"Style Undefined");
    EXPECT_TRUE(alert->tapActionWithTitle(u"Dismiss"));

    styling.presets().setUserStyle(7);
    EXPECT_NE(view.lastScript().value_or("").find("'white'"), std::string::npos) << "any other number: the plain style";
}

TEST_F(StylingTest, removeStyleClearsThroughThePageKeepingNotes)
{
    answerReads();
    view.answer("document.queryCommandState('insertUnorderedList')", "1");
    view.answer("document.queryCommandState('bold')", "1");
    styling.presets().removeStyle();
    std::vector<std::string> scripts;
    // The engine's own commands first find a selection that was lost again.
    for (const std::string& script : sent()) {
        if (script.find("queryCommandState") == std::string::npos && script != "folioRestoreLostSelection();")
            scripts.push_back(script);
    }
    EXPECT_EQ(sentMatching("^folioRestoreLostSelection\\(\\);$").size(), view.editingCommands().size());
    ASSERT_GE(scripts.size(), 10u);
    EXPECT_EQ(scripts[0], StylePresetCommander::kCaretPlaceholderScript);
    EXPECT_EQ(scripts[1], "document.execCommand('insertUnorderedList')");
    EXPECT_EQ(scripts[2], "document.queryCommandValue('fontName').replace(/'/g,'')") << "bold is switched off with its face fix";
    EXPECT_EQ(scripts[3], "removeFormatKeepingNotes();");
    EXPECT_NE(scripts[4].find("changeFont(18)"), std::string::npos);
    EXPECT_EQ(scripts[5], "document.execCommand('fontName', false, 'Helvetica')");
    EXPECT_EQ(scripts[6], "document.execCommand('foreColor', false, 'Black');");
    EXPECT_EQ(scripts[7], "document.execCommand('backColor', false, 'transparent')");
    EXPECT_EQ(scripts[8], "modifyLineSpacing(1.00);scrollToView();");
    EXPECT_EQ(scripts[9], "modifyParagraphSpacing(0.00);scrollToView();");
    EXPECT_EQ(view.editingCommands().size(), 1u);
    EXPECT_TRUE(sentMatching("hasFootnotes").empty()) << "documents with footnotes are cleared too";
}

TEST_F(StylingTest, storeAsDefaultKeepsCentimetresAndFallsBackToHelvetica)
{
    answerReads();
    view.answer("document.queryCommandValue('foreColor')", "rgb(0, 0, 128)");
    view.answer("document.queryCommandValue('backColor')", "rgba(0, 0, 0, 0)");
    view.answer("getCurrentLineSpacing();", "1.5");
    view.answer("getCurrentParagraphSpacing();", "6");
    view.answer("getCurrentParagraphSpacingBefore();", "3");
    view.answer("getCurrentFirstLineIndent();", "0.5");
    bar.styleFontName->setTitle(u"Georgia");
    bar.styleFontSize->setTitle(u"14");
    styling.presets().setAsDefaultStyle();
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Georgia");
    EXPECT_FLOAT_EQ(defaults.floatForKey("defaultFontSize").value_or(0), 14);
    EXPECT_EQ(defaults.stringForKey("defaultFontColor"), "rgb(0, 0, 128)");
    EXPECT_FLOAT_EQ(defaults.floatForKey("defaultLineSpacing").value_or(0), 1.5);
    EXPECT_NEAR(defaults.doubleForKey("defaultPageMarginLeft").value_or(0), 2.54, 1e-5);
    EXPECT_NEAR(defaults.doubleForKey("defaultPageMarginRight").value_or(0), 19.05, 1e-5);
    EXPECT_NEAR(defaults.doubleForKey("defaultPageMarginTop").value_or(0), 1.27, 1e-5) << "centimetres, not inches";
    EXPECT_NEAR(defaults.doubleForKey("defaultPageMarginBottom").value_or(0), 2.54, 1e-5);

    bar.styleFontName->setTitle(u"Avenir Display Name");
    styling.presets().setAsDefaultStyle();
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Helvetica");

    view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Courier");
    view.answer("getCurrentFontSize();", "24");
    styling.presets().setAsDefaultStyle(2);
    EXPECT_EQ(defaults.stringForKey("defaultFont2"), "Courier");
    EXPECT_FLOAT_EQ(defaults.floatForKey("defaultFontSize2").value_or(0), 18);
    EXPECT_EQ(defaults.stringForKey("defaultBackColor2"), "rgba(0, 0, 0, 0)");
    EXPECT_FALSE(defaults.objectForKey("defaultPageMarginLeft2"));

    page.disconnect();
    bar.styleFontName->setTitle(u"Georgia");
    styling.presets().setAsDefaultStyle();
    styling.presets().setAsDefaultStyle(2);
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Helvetica") << "a page that does not answer stores nothing";
    EXPECT_EQ(defaults.stringForKey("defaultFontColor2"), "rgb(0, 0, 128)");
}

TEST_F(StylingTest, builtInStylesWriteTheirColumns)
{
    auto& store = styling.presets().store();
    ASSERT_TRUE(store.setDefaultTextStyles());
    EXPECT_EQ(defaults.stringForKey("defaultFont3"), "Georgia");
    EXPECT_EQ(defaults.stringForKey("defaultFontColor1"), "darkblue");
    EXPECT_EQ(defaults.stringForKey("defaultBackColor2"), "White");
    EXPECT_FALSE(defaults.objectForKey("defaultLineSpacing1")) << "other preset keys are not written";
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Helvetica");
    EXPECT_FLOAT_EQ(defaults.floatForKey("defaultPageMarginRight").value_or(0), 20.32f);
    ASSERT_TRUE(store.setVelderDefaultSettings("rgb(1, 2, 3)", "rgb(4, 5, 6)"));
    EXPECT_EQ(defaults.stringForKey("defaultFont"), "Cochin");
    EXPECT_FLOAT_EQ(defaults.floatForKey("defaultFirstLineIndent").value_or(0), 0.63f);
    EXPECT_EQ(defaults.stringForKey("defaultPaperColor"), "rgb(4, 5, 6)");
}

TEST_F(StylingTest, defaultStyleSwitchesStylesOffAndSetsPaper)
{
    answerReads();
    view.answer("document.queryCommandState('italic')", "1");
    styling.presets().setDefaultStyle();
    EXPECT_EQ(paperColors, std::vector<std::string>{"White"}) << "the built-in style when none is stored";
    EXPECT_EQ(sent().front(), StylePresetCommander::kCaretPlaceholderScript);
    ASSERT_EQ(view.editingCommands().size(), 1u);
    EXPECT_EQ(view.editingCommands().front().command, "ToggleItalic");
    EXPECT_EQ(sentMatching("modifyLineSpacing").front(), "modifyLineSpacing(1.00);scrollToView();");
    EXPECT_TRUE(sentMatching("modifyFirstLineIndent").empty()) << "no indent to set";
}

// --- picker callbacks, colours, spacing ------------------------------------------

TEST_F(StylingTest, pickerCallbacksAndSpacingScripts)
{
    auto& paragraphs = styling.paragraphs();
    // What the font, spacing and indents do to the paragraph and the saved
    // RTF: RichTextEditorWebTest.theParagraphPanelsSpacingAndIndentsReachTheCaretsParagraphAndTheSavedFile.
    paragraphs.userSelectedFont(FontChoice{"Georgia-Bold", 12});
    EXPECT_EQ(toUtf8(bar.styleFontName->titleForState(ControlState::Normal)), "Georgia-Bold");
    paragraphs.paragraphSpacingBeforeChanged(4);
    EXPECT_FLOAT_EQ(defaults.floatForKey("marquentParagraphSpacingBefore").value_or(0), 4);

    EXPECT_DOUBLE_EQ(ParagraphStyleCommander::convertLineSpacing(500, 12), 1.0);
    EXPECT_DOUBLE_EQ(ParagraphStyleCommander::convertLineSpacing(3.5, 12), 3.5);
    EXPECT_DOUBLE_EQ(ParagraphStyleCommander::convertLineSpacing(18, 12), 1.5);
    EXPECT_DOUBLE_EQ(ParagraphStyleCommander::convertLineSpacing(18, 0), 1.0) << "no division by a zero size";

    EXPECT_NEAR(paragraphs.currentDocumentPageTopMargin(), 0.5, 1e-6) << "the document's centimetres as single-precision numbers";
    EXPECT_NEAR(paragraphs.currentDocumentPageRightMargin(), 7.5, 1e-9);
}

TEST_F(StylingTest, highlightNearThePageColourIsNoHighlight)
{
    answerReads();
    view.answer("document.queryCommandValue('backColor')", "rgb(240, 240, 240)");
    EXPECT_FALSE(styling.paragraphs().currentTextSelectionBackgroundColor());
    view.answer("document.queryCommandValue('backColor')", "rgb(255, 255, 0)");
    EXPECT_TRUE(styling.paragraphs().currentTextSelectionBackgroundColor());
    view.answer("document.queryCommandValue('backColor')", "not a colour");
    EXPECT_FALSE(styling.paragraphs().currentTextSelectionBackgroundColor());
    EXPECT_TRUE(ParagraphStyleCommander::colorIsEqualToColor(Color::colorWithRed(0.5, 0.5, 0.5), Color::colorWithWhite(0.6), 0.2));
    EXPECT_FALSE(ParagraphStyleCommander::colorIsEqualToColor(Color::colorWithRed(0.5, 0.5, 0.5), Color::colorWithWhite(0.8), 0.2));
}

// --- bar items, edit menu, popovers ------------------------------------------

BarLayout::Result layout(bool phone, double w, double h, double screenW, double screenH, DeviceOrientation orientation)
{
    BarLayout::Input input;
    input.isPhone = phone;
    input.viewSize = Size{w, h};
    input.screenBounds = makeRect(0, 0, screenW, screenH);
    input.orientation = orientation;
    return BarLayout::layoutFor(input);
}

TEST(BarLayoutTest, everyCaseOfTheLayoutTable)
{
    using R = BarLayout::Result;
    const auto P = DeviceOrientation::Portrait;
    const auto LL = DeviceOrientation::LandscapeLeft;
    EXPECT_EQ(layout(true, 390, 800, 390, 844, P), (R{true, true, false, "CUR", "YWITS"}));
    EXPECT_EQ(layout(true, 844, 390, 844, 390, LL), (R{true, true, false, "CUR", "YWITS"}));
    // Tablet portrait, 1024 x 1366 screen.
    EXPECT_EQ(layout(false, 1024, 1300, 1024, 1366, P), (R{true, false, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 744, 1100, 744, 1133, P), (R{true, true, false, "CWUR", "YITS"})) << "w >= s but narrow";
    EXPECT_EQ(layout(false, 700, 1300, 1024, 1366, P), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 600, 1150, 834, 1194, P), (R{true, true, false, "CW", "URYITS"}));
    EXPECT_EQ(layout(false, 800, 1050, 820, 1180, P), (R{true, false, false, "CWU", "RYITS"}));
    EXPECT_EQ(layout(false, 500, 1050, 820, 1180, P), (R{true, true, false, "CWU", "RYITS"}));
    EXPECT_EQ(layout(false, 512, 1300, 1024, 1366, P), (R{true, true, false, "CW", "URYITS"})) << "exactly half is narrow";
    // Tablet landscape, 1366 x 1024 screen.
    EXPECT_EQ(layout(false, 1366, 1000, 1366, 1024, LL), (R{true, false, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 700, 1000, 1366, 1024, LL), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 780, 1000, 1366, 1024, LL), (R{true, false, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 500, 1000, 1366, 1024, LL), (R{true, true, false, "CWUR", "YITS"}));
    EXPECT_EQ(layout(false, 400, 1000, 1366, 1024, LL), (R{true, true, false, "CWU", "RYITS"}));

    BarLayout::Input old;
    old.systemMajorVersion = 15;
    old.regularWidth = true;
    EXPECT_EQ(BarLayout::layoutFor(old), (R{false, false, false, "C__UR", "STIY"}));
    old.regularWidth = false;
    EXPECT_EQ(BarLayout::layoutFor(old), (R{false, true, true, "C__UR", "SIY"}));
}

TEST_F(StylingTest, barItemsTakeTheirGroupsAndIdentifiers)
{
    NavigationItem navigation;
    styling.barItems().apply(navigation, BarLayout::Result{true, false, false, "CWUR", "YITS"});
    const auto& leading = navigation.leadingItemGroups();
    ASSERT_EQ(leading.size(), 3u) << "no writing assistant item here";
    EXPECT_EQ(leading[1]->customizationIdentifier(), "Text_Undo_GroupCustomization");
    EXPECT_EQ(leading[1]->kind(), BarButtonItemGroupKind::Movable);
    const auto& trailing = navigation.trailingItemGroups();
    ASSERT_EQ(trailing.size(), 4u);
    EXPECT_EQ(trailing[0]->customizationIdentifier(), "Text_TextStyle_GroupCustomization");
    EXPECT_EQ(trailing[3]->customizationIdentifier(), "Text_Share_GroupCustomization");
    EXPECT_EQ(trailing[0]->kind(), BarButtonItemGroupKind::Optional);
    EXPECT_EQ(styling.barItems().undoBarButtonItem()->symbolName(), "arrow.uturn.backward");
    EXPECT_EQ(styling.barItems().undoBarButtonItem(), styling.barItems().undoBarButtonItem()) << "made once and kept";

    styling.barItems().apply(navigation, BarLayout::Result{false, true, true, "C__UR", "SIY"});
    ASSERT_EQ(navigation.leftBarButtonItems().size(), 5u);
    EXPECT_EQ(navigation.leftBarButtonItems()[1], navigation.leftBarButtonItems()[2]) << "the same space twice";
}

TEST(EditMenuValidatorTest, decidesInItsOrder)
{
    FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    bool speaking = true, annotation = false, cropping = false, editingImage = false;
    std::optional<std::string> face = "Avenir-Light";
    EditMenuValidator validator(EditMenuValidator::State{
        [&] { return speaking; },
        [&]() -> std::optional<Font> { return face ? Font::fontWithName(*face, 12) : std::nullopt; },
        [] { return false; }, [&] { return annotation; }, [&] { return cropping; }, [&] { return editingImage; },
        [](const std::string&) { return true; }});
    EXPECT_FALSE(validator.canPerformAction("copy:"));
    EXPECT_FALSE(validator.canPerformAction("paste:"));
    EXPECT_TRUE(validator.canPerformAction("pauseSpeak:"));
    speaking = false;
    EXPECT_FALSE(validator.canPerformAction("boldExecCommand:"));
    EXPECT_TRUE(validator.canPerformAction("italicExecCommand:")) << "Avenir has an oblique";
    face.reset();
    EXPECT_FALSE(validator.canPerformAction("italicExecCommand:")) << "no font, no bold or italic";
    EXPECT_FALSE(validator.canPerformAction("speakSelectedText:"));
    annotation = true;
    EXPECT_TRUE(validator.canPerformAction("pasteRichText:"));
    EXPECT_FALSE(validator.canPerformAction("copy:"));
    annotation = false;
    cropping = true;
    EXPECT_TRUE(validator.canPerformAction("executeCropImage:"));
    EXPECT_FALSE(validator.canPerformAction("cropImage:"));
    cropping = false;
    EXPECT_FALSE(validator.canPerformAction("deleteImage:"));
    editingImage = true;
    EXPECT_TRUE(validator.canPerformAction("deleteImage:"));
    EXPECT_FALSE(validator.canPerformAction("copy:"));
    editingImage = false;
    EXPECT_TRUE(validator.canPerformAction("copy:"));
    FontCatalog::setShared(nullptr);
}

TEST(EditorPopoversTest, dismissAllClosesInOrderAndTheCompletionAlwaysRuns)
{
    test::VirtualClockScope clock;
    std::vector<std::string> log;
    bool findVisible = true;
    EditorPopovers popovers(EditorPopovers::Host{[&] { return findVisible; }, [&] { log.push_back("find"); findVisible = false; },
                                                     [] { return false; }, [] { return nullptr; }});
    auto inspector = [&](const char* name, bool visible) {
        return EditorPopovers::InspectorHandle{[visible] { return visible; },
                                                 [&log, name](bool animated) { log.push_back(std::string(name) + (animated ? " animated" : "")); }};
    };
    popovers.setInspector(EditorPopovers::Inspector::HeaderFooter, inspector("header", true));
    popovers.setInspector(EditorPopovers::Inspector::TextFormat, inspector("format", true));
    popovers.setInspector(EditorPopovers::Inspector::InsertItem, inspector("insert", false));
    auto presenter = std::make_shared<ViewController>();
    auto picker = std::make_shared<ViewController>();
    ASSERT_TRUE(presenter->presentViewController(picker, false));
    popovers.setPicker(EditorPopovers::Picker::Cursor, picker);
    popovers.setAnyInspectorOrMenuVisible(true);
    EXPECT_TRUE(popovers.anyMenuVisible());
    popovers.dismissAllPopover();
    EXPECT_EQ(log, (std::vector<std::string>{"find", "format", "header"})) << "find bar, then inspectors in their order";
    EXPECT_FALSE(popovers.isAnyInspectorOrMenuVisible());
    EXPECT_FALSE(presenter->presentedViewController()) << "the pickers go last";

    ASSERT_TRUE(presenter->presentViewController(picker, false));
    bool completed = false;
    popovers.dismissAllPopoverWithCompletion([&](bool finished) { completed = finished; });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(presenter->presentedViewController()) << "the completion form leaves the pickers";

    bool called = false;
    EditorPopovers empty(EditorPopovers::Host{});
    empty.dismissAllPopoverWithCompletion([&](bool finished) { called = finished; });
    EXPECT_TRUE(called) << "even when nothing was open";

    empty.menuIsVisible(true);
    EXPECT_FALSE(empty.isAnyInspectorOrMenuVisible()) << "on a later turn";
    RunLoop::main().runOnce();
    EXPECT_TRUE(empty.isAnyInspectorOrMenuVisible());
}

TEST_F(StylingTest, textStylePanelOpensWithTheCaretsStyleAndReportsWhenClosed)
{
    answerReads();
    view.answer("document.queryCommandValue('foreColor')", "rgb(139, 0, 0)");
    view.answer("getCurrentLineSpacing();", "1.5");
    view.answer("getCurrentFirstLineIndent();", "0.5");
    bar.styleFontName->setTitle(u"Georgia");
    bar.styleFontSize->setTitle(u"14");
    auto presenter = std::make_shared<ViewController>();
    presented.clear();
    styling.showTextStyleMenu(*styling.barItems().textStyleBarButtonItem());
    ASSERT_EQ(presented.size(), 1u);
    auto navigation = std::dynamic_pointer_cast<NavigationController>(presented.front());
    ASSERT_TRUE(navigation);
    auto panel = std::dynamic_pointer_cast<TSTextStylePickerViewController>(navigation->topViewController());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->selectedFont(), (FontChoice{"Georgia", 14}));
    EXPECT_EQ(panel->selectedTextColour(), "darkred");
    EXPECT_EQ(panel->selectedBackgroundColour(), "white");
    EXPECT_DOUBLE_EQ(panel->selectedLineSpacing(), 1.5);
    EXPECT_NEAR(panel->selectedPageMarginTop(), 0.5, 1e-6) << "inches for the panel";
    EXPECT_TRUE(styling.popovers().isAnyInspectorOrMenuVisible());

    ASSERT_TRUE(presenter->presentViewController(navigation, false));
    EXPECT_TRUE(navigation->popoverPresentationController()->touchOutside(nullptr));
    EXPECT_FALSE(styling.popovers().isAnyInspectorOrMenuVisible()) << "closed by the user";
}

TEST_F(StylingTest, alignKeyMenuListsItsRowsAndPicksTheirValues)
{
    std::shared_ptr<Menu> menu = styling.showAlignKeyMenuActions();
    std::vector<std::u16string> titles;
    for (const auto& action : menu->allActions())
        titles.push_back(action->title());
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"Left To Right", u"Right To Left", u"Justify", u"Center", u"Right", u"Left"}));
    EXPECT_TRUE(menu->performActionWithTitle(u"Right To Left"));
    EXPECT_TRUE(styling.characters().isRTLLanguage());
}

TEST(TextViewControllerStylingTest, editorShowsItsBarItemsPollsWhileOpenAndAsksThePageForEditMenuFonts)
{
    test::VirtualClockScope clock;
    FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
    Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
    testing_support::ScratchFolder folder{"text-view-styling"};
    auto document = std::make_shared<TextDocument>(folder.path("Letter.rtf"));
    FakeWebView* page = nullptr;
    auto editor = std::make_shared<TextViewController>(*document, FakeWebView::factoryKeeping(page));
    editor->loadViewIfNeeded();
    ASSERT_NE(page, nullptr);
    std::vector<std::shared_ptr<BarButtonItem>> leading = editor->navigationItem()->effectiveLeadingItems();
    EXPECT_NE(std::find(leading.begin(), leading.end(), editor->styling().barItems().undoBarButtonItem()), leading.end());

    // Until the ruler is loaded, the document's right field is the right edge.
    document->setDocLeftMargin("2.00");
    document->setDocRightMargin("19.05");
    EXPECT_NEAR(editor->styling().paragraphs().currentDocumentPageLeftMargin(), 2.0 / 2.54, 1e-6);
    EXPECT_NEAR(editor->styling().paragraphs().currentDocumentPageRightMargin(), 7.5, 1e-6);
    EXPECT_TRUE(page->scriptsMatching("getCurrentFontSize").empty()) << "nothing to ask a page that is not ready";
    RunLoop::main().runOnce();
    page->finishLoad();
    page->sendPageMessage(ReadyPoller::kDOMLoadedSignal);
    RunLoop::main().advanceVirtualClock(0.01);
    ASSERT_TRUE(editor->isPageReady());
    RunLoop::main().advanceVirtualClock(FontStateMonitor::kIntervalSeconds);
    RunLoop::main().runOnce();
    EXPECT_EQ(page->scriptsMatching("getCurrentFontSize").size(), 1u);

    page->answer("document.queryCommandValue('fontName').replace(/'/g,'')", "Avenir-Light");
    RunLoop::main().post([page] { page->releaseAll(); });
    EXPECT_FALSE(editor->canPerformAction("boldExecCommand:", nullptr));

    editor->styling().paragraphs().userSelectedBackgroundColor("yellow");
    EXPECT_EQ(page->lastScript().value_or(""), "document.body.style.backgroundColor ='yellow'");
    EXPECT_EQ(document->paperColor(), "FFFF00") << "the document keeps the page colour it saves";
    // The picker's getters, the ruler and the saved content agree: the right
    // value is the right edge of the text column, never a margin width.
    ASSERT_TRUE(editor->margins().holdsDocumentMargins());
    EXPECT_TRUE(editor->styling().paperMarginChanged(0, 3.0 / 2.54));
    EXPECT_TRUE(editor->styling().paperMarginChanged(1, 20.0 / 2.54));
    EXPECT_NEAR(editor->styling().paragraphs().currentDocumentPageLeftMargin(), 3.0 / 2.54, 1e-6);
    EXPECT_NEAR(editor->styling().paragraphs().currentDocumentPageRightMargin(), 20.0 / 2.54, 1e-6) << "the right edge of the text";
    EXPECT_EQ(document->docRightMargin(), "20.00");
    EXPECT_NEAR(editor->margins().slider().upperValue(), 20.0, 1e-5);
    EXPECT_EQ(editor->margins().marginsToSave(*document).right, "20.00");
    // A drag of the ruler is what the picker reads next.
    editor->margins().slider().setUpperValue(18.5f);
    EXPECT_NEAR(editor->styling().paragraphs().currentDocumentPageRightMargin(), 18.5 / 2.54, 1e-6);

    editor->documentDidClose();
    RunLoop::main().advanceVirtualClock(10 * FontStateMonitor::kIntervalSeconds);
    RunLoop::main().runOnce();
    EXPECT_EQ(page->scriptsMatching("getCurrentFontSize").size(), 1u) << "no polls once the document closed";
    // The changes above came due for an autosave on the way: it is let end
    // here, for a save cut off halfway would wait for the next test's loop.
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !document->isSaving(); }, 10));
    FontCatalog::setShared(nullptr);
}

} // namespace
} // namespace folio
