#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"
#include "richtext/RichTextStyling.h"
#include "richtext/SelectionTransformer.h"
#include "richtext/StyleMenuCommander.h"
#include "support/VirtualClock.h"
#include "webeditor/EditorFlags.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

constexpr const char* kBackColor = "document.queryCommandValue('backColor')";
constexpr const char* kFEFF = "\xEF\xBB\xBF";

TEST(SelectionTransforms, caseExamples)
{
    EXPECT_EQ(SelectionTransformer::transformedCase(u"hELLO wORLD", "capitalize"), u"Hello World");
    EXPECT_EQ(SelectionTransformer::transformedCase(u"Stra\u00DFe <b>", "uppercase"), u"STRASSE <B>");
    EXPECT_EQ(SelectionTransformer::transformedCase(u"\u00C9T\u00C9", "lowercase"), u"\u00E9t\u00E9");
    EXPECT_EQ(SelectionTransformer::transformedCase(u"Keep Me", "sideways"), u"Keep Me");
}

TEST(SelectionTransforms, sortFollowsTheReadersOrderNotTheCodeOrder)
{
    EXPECT_EQ(SelectionTransformer::sortedLines(u"pear\nApple\nbanana"), u"Apple\nbanana\npear");
    // Byte order would put the accented line last and capitals first.
    EXPECT_EQ(SelectionTransformer::sortedLines(u"zebra\n\u00E9cole\nEagle\nduck"), u"duck\nEagle\n\u00E9cole\nzebra");
    // Empty lines take part.
    EXPECT_EQ(SelectionTransformer::sortedLines(u"b\n\na"), u"\na\nb");
}

class SelectionTransformTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        EditorFlags::shared().reset();
        ProgressHUD::dismiss();
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "\"Times New Roman\"");
        view.answer("document.queryCommandValue('foreColor')", "rgb(1, 2, 3)");
        styling.toolbar().styleFontSize->setTitle(u"12");
    }
    void TearDown() override
    {
        FontCatalog::setShared(nullptr);
        EditorFlags::shared().reset();
    }
    std::vector<std::string> inserts() const { return view.scriptsMatching("insertHTML|backColor', false"); }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    FakeWebView view;
    PageConnection page{&view};
    int dirty = 0;
    RichTextStyling styling{page, defaults, RichTextStyling::Host{.documentIsDirty = [this] { ++dirty; }}};
    SelectionTransformer transformer{page, styling.toolbar(), styling.characters(), [this] { ++dirty; }};
};

TEST_F(SelectionTransformTest, rewrittenSelectionKeepsMarkupCharactersAsTextInTheCaretsStyle)
{
    view.answer(SelectionTransformer::kSelectedTextScript, "a<b & c\\d 'q\"\nsecond");
    styling.toolbar().styleBold->setHighlighted(true);
    styling.toolbar().styleUnderline->setHighlighted(true);
    transformer.selectionToCase("uppercase");
    ASSERT_EQ(inserts().size(), 1u);
    std::string expectedSpan = "<span style=\"font-family:Times New Roman;font-size: 18px; font-weight:bold; "
                               "text-decoration:underline;  color: rgb(1, 2, 3);\">A&lt;B &amp; C\\D &#39;Q&quot;<br>SECOND</span>";
    EXPECT_EQ(inserts()[0], "document.execCommand('insertHTML','false'," + ScriptLiteral::quote(expectedSpan) + ");");
    // The literal itself keeps the backslash and quotes escaped.
    EXPECT_NE(inserts()[0].find("C\\\\D"), std::string::npos);
    EXPECT_EQ(dirty, 1);
}

TEST_F(SelectionTransformTest, rightToLeftKeyboardsGiveARightToLeftSpanAndNoSelectionGivesAnEmptyOne)
{
    styling.characters().setTextDirection("ar");
    view.answer(SelectionTransformer::kSelectedTextScript, "");
    transformer.selectionSortList();
    ASSERT_EQ(inserts().size(), 1u);
    std::string span = "<span style=\"direction:rtl;font-family:Times New Roman;font-size: 18px;  color: rgb(1, 2, 3);\"></span>";
    EXPECT_EQ(inserts()[0], "document.execCommand('insertHTML','false'," + ScriptLiteral::quote(span) + ");");
}

TEST_F(SelectionTransformTest, highlightToggleTurnsYellowOnAndOffAndLeavesAPlaceholderAtABareCaret)
{
    view.answer(kBackColor, "rgb(255, 0, 0)");
    view.answer(SelectionTransformer::kSelectedTextScript, "");
    transformer.highlightYellowTextSelection();
    EXPECT_EQ(inserts(), (std::vector<std::string>{"document.execCommand('backColor', false, 'yellow')"}));

    view.clearScripts();
    view.answer(kBackColor, "rgb(255, 255, 0)");
    transformer.highlightYellowTextSelection();
    ASSERT_EQ(inserts().size(), 2u);
    EXPECT_EQ(inserts()[0], "document.execCommand('backColor', false, 'transparent');");
    std::string span = std::string("<span style=\"font-family:Times New Roman;font-size: 18px;  color: rgb(1, 2, 3);\">") +
                       kFEFF + "</span>";
    EXPECT_EQ(inserts()[1], "document.execCommand('insertHTML','false'," + ScriptLiteral::quote(span) + ");");

    view.clearScripts();
    view.answer(SelectionTransformer::kSelectedTextScript, "yellow words");
    transformer.highlightYellowTextSelection();
    EXPECT_EQ(inserts(), (std::vector<std::string>{"document.execCommand('backColor', false, 'transparent');"}));
    EXPECT_EQ(dirty, 3);
}

class StyleMenuTest : public SelectionTransformTest {
protected:
    std::shared_ptr<NavigationController> phoneMenu;
    int overlays = 0;
    StyleMenuCommander menu{page, styling.presets(),
                            StyleMenuCommander::Host{.documentIsDirty = [this] { ++dirty; },
                                                     .showProgressHUDifNeeded = [this] { ++overlays; },
                                                     .otherPickerNavigationController = [this] { return phoneMenu; },
                                                     .forgetOtherPickerNavigationController = [this] { phoneMenu.reset(); }}};
};

TEST_F(StyleMenuTest, entriesRunTheirScriptsAndEveryNumberEndsTheOverlayAndMarksTheDocument)
{
    struct Case {
        long entry;
        const char* script;
    };
    for (Case c : {Case{4, "makeRichTextList('insertOrderedList');"},
                   Case{5, "makeRichTextList('insertUnorderedList');"},
                   Case{10, "document.execCommand('bold');document.execCommand('fontSize',false,7)"},
                   Case{16, "document.execCommand('fontSize',false,1)"},
                   Case{17, "makeObjectsEditable ('true');document.execCommand('justifyCenter');document.execCommand('italic');"
                            "document.execCommand('fontSize',false,5);makeObjectsEditable ('false');"}}) {
        SCOPED_TRACE(c.entry);
        view.clearScripts();
        menu.otherStyleTextTask(c.entry);
        ASSERT_FALSE(view.scripts().empty());
        EXPECT_EQ(view.scripts().back().script, c.script);
        // The paragraph styles clear the old style first; the lists do not.
        EXPECT_EQ(!view.scriptsMatching("removeFormatKeepingNotes").empty(), c.entry >= 10);
    }
    view.clearScripts();
    ProgressHUD::show();
    int before = dirty;
    menu.otherStyleTextTask(42);
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_EQ(dirty, before + 1);
    EXPECT_TRUE(view.scriptsMatching("execCommand").empty());
}

TEST_F(StyleMenuTest, highlightEntriesToggleTheirOwnColourAndTheEntryPointsReachThem)
{
    view.answer(SelectionTransformer::kSelectedTextScript, "");
    view.answer(kBackColor, "rgb(152, 251, 152)");
    menu.highlightSelectionGreen();
    EXPECT_EQ(inserts(), (std::vector<std::string>{"document.execCommand('backColor', false, 'transparent');"
                                                   "document.execCommand('insertHTML','false','<span>" +
                                                   std::string(kFEFF) + "</span>');"}));
    view.clearScripts();
    view.answer(kBackColor, "rgb(255, 255, 0)");
    menu.highlightSelectionRed();
    EXPECT_EQ(inserts(), (std::vector<std::string>{"document.execCommand('backColor', false, 'red')"}));
    view.clearScripts();
    menu.highlightSelectionYellow();
    EXPECT_EQ(inserts().size(), 1u);
    EXPECT_EQ(inserts()[0].rfind("document.execCommand('backColor', false, 'transparent');", 0), 0u);
    view.clearScripts();
    view.answer(SelectionTransformer::kSelectedTextScript, "words");
    menu.removeHighlightSelection();
    EXPECT_EQ(inserts(), (std::vector<std::string>{"document.execCommand('backColor', false, 'transparent');"}));
    // Never a preset or a list.
    EXPECT_TRUE(view.scriptsMatching("insertOrderedList|insertUnorderedList|removeFormat").empty());
}

TEST_F(StyleMenuTest, aChoiceRestoresTheCaretAndRunsOnTheNextTurnAfterThePhoneMenuCloses)
{
    menu.optionSelected(5);
    EXPECT_EQ(view.scripts().front().script, "restoreCaretSelection();");
    EXPECT_EQ(overlays, 1);
    EXPECT_TRUE(view.scriptsMatching("insertUnorderedList").empty());
    loop.advanceVirtualClock(0.01);
    EXPECT_EQ(view.scriptsMatching("insertUnorderedList").size(), 1u);

    auto presenter = std::make_shared<ViewController>();
    phoneMenu = NavigationController::withRootViewController(std::make_shared<ViewController>());
    menu.optionSelected(4);
    EXPECT_EQ(phoneMenu, nullptr);
    loop.advanceVirtualClock(0.01);
    EXPECT_EQ(view.scriptsMatching("insertOrderedList").size(), 1u);
    EXPECT_EQ(overlays, 2);
}

} // namespace
} // namespace folio
