#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/services/SpeechSynthesizer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/BarButtonItemGroup.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextInsertMenus.h"
#include "qvtext/QVTextInsertions.h"
#include "platform/foundation/Unicode.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextLinkBar.h"
#include "qvtext/QVTextLocationInsertion.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextTools.h"
#include "qvtext/QVTextWritingTools.h"
#include "support/VirtualClock.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/pickers/CommandPickers.h"
#include "tools/pickers/FontSizePickerController.h"
#include "tools/pickers/OtherPickerController.h"
#include "tools/pickers/ToolsPickerController.h"
#include "tools/speech/ReadAloudController.h"
#include "tools/statistics/StatisticsController.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/EditorPopovers.h"
#include "webeditor/EditorToolCommands.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Kind = EditorInspectors::Kind;

class QVTextToolsTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        ProgressHUD::dismiss();
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        window->setRootViewController(navigation);
        window->makeKeyAndVisible();
        view.answer("tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')", "'Georgia'");
        view.answer("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')", "rgb(1, 2, 3)");
        tools = QVTextTools::make(page, styling, defaults, pasteboard, host());
    }
    void TearDown() override
    {
        FontCatalog::setShared(nullptr);
        ProgressHUD::dismiss();
    }

    QVTextTools::Host host()
    {
        QVTextTools::Host h;
        h.document = [this] { return &document; };
        h.editor = [this] { return editor.get(); };
        h.viewControllerToPresent = [this] { return navigation; };
        h.documentIsDirty = [this] { ++dirty; };
        h.isKeyboardVisible = [this] { return keyboard; };
        h.viewWidth = [] { return 768.0; };
        h.pageHeaderHTML = [] { return std::optional<std::string>("<div id=\"pageHeader\">Head</div>"); };
        h.makeSynthesizer = [this] {
            return std::make_unique<SpeechSynthesizer>(SpeechAudioOutput::makeWavFile(scratch.file("read.wav")));
        };
        h.menu = &menu;
        // Every command other parts of the editor would answer is recorded.
        for (const char* name : {"showFindOnPage", "hideFindOnPage", "cancelSpeak", "typewriterMode", "fullScreenDocumentMode",
                                 "toogleZoomTextMode", "toggleNightMode", "toggleDarkNightMode", "toggleWordCounterVisible",
                                 "toggleAutoCheckSpelling", "toggleSmartQuotes", "togglePageNumbers", "showWebResearchBrowser",
                                 "showInAppWebBrowser", "takeSnapshot", "checkifWasSpeakingMode", "toggleTypeWriterSounds",
                                 "selectLine", "gotoPageinDoc", "insertTable", "insertPageBreak", "insertDate", "attachImage",
                                 "takePhoto", "insertHorizontalLine", "insertNewFootnote", "endEditing",
                                 "showMenu", "addFakeTextSelectionView", "selectToEndOfDoc"}) {
            std::string command = name;
            h.commands[command] = [this, command] { ran.push_back(command); };
        }
        h.questions["canScanText"] = [this] { return scanner; };
        h.questions["presentLiveTextScanner"] = [this] {
            ran.push_back("scanner shown");
            return scanner;
        };
        return h;
    }

    std::vector<std::string> ranDuring(const std::function<void()>& action)
    {
        ran.clear();
        action();
        return ran;
    }
    std::vector<std::string> sliceNames(Kind kind)
    {
        std::vector<std::string> names;
        for (const auto& slice : tools->inspectors().inspector(kind)->mainPane()->slices())
            names.push_back(slice->identifier());
        return names;
    }
    std::vector<std::u16string> titles(const Menu& menu)
    {
        std::vector<std::u16string> out;
        for (const auto& element : menu.children())
            out.push_back(element->title());
        return out;
    }
    Action& row(const Menu& menu, std::u16string_view title)
    {
        for (const auto& element : menu.children()) {
            if (element->title() == title)
                return static_cast<Action&>(*element);
        }
        throw std::runtime_error("no such row");
    }
    template <typename Panel>
    std::shared_ptr<Panel> presentedPanel()
    {
        auto shown = std::dynamic_pointer_cast<NavigationController>(editor->presentedViewController());
        if (!shown || shown->viewControllers().empty())
            return nullptr;
        return std::dynamic_pointer_cast<Panel>(shown->viewControllers().front());
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    Pasteboard pasteboard{center};
    MenuController menu{center};
    FakeWebView view;
    PageConnection page{&view};
    TextDocument document;
    std::shared_ptr<Window> window = std::make_shared<Window>(Rect{{0, 0}, {1024, 768}});
    std::shared_ptr<ViewController> editor = std::make_shared<ViewController>();
    std::shared_ptr<NavigationController> navigation = NavigationController::withRootViewController(editor);
    int dirty = 0;
    bool keyboard = true;
    bool scanner = false;
    std::vector<std::string> ran;
    QVTextStyling styling{page, defaults, QVTextStyling::Host{.documentIsDirty = [this] { ++dirty; }}};
    std::shared_ptr<QVTextTools> tools;
};

TEST_F(QVTextToolsTest, everyToolsMenuRowRunsTheCommandOfItsMeaning)
{
    // (Each picker row first gives a reading in progress its menu back:
    // QVTextReadAloudTest shows it.)
    auto row = [this](long n) { return ranDuring([&] { tools->toolsOptionSelected(n); }); };
    using Commands = std::vector<std::string>;
    EXPECT_EQ(row(0), (Commands{"takeSnapshot"}));
    EXPECT_EQ(ProgressHUD::shared().status(), u"Creating Snapshot...");
    EXPECT_EQ(row(2), (Commands{"showFindOnPage"}));
    EXPECT_EQ(row(4), (Commands{"typewriterMode"}));
    EXPECT_EQ(row(5), (Commands{"fullScreenDocumentMode"}));
    EXPECT_EQ(row(6), (Commands{"toogleZoomTextMode"}));
    EXPECT_EQ(row(7), (Commands{"toggleNightMode"}));
    EXPECT_EQ(row(8), (Commands{"toggleWordCounterVisible"}));
    EXPECT_EQ(row(9), (Commands{"toggleAutoCheckSpelling"}));
    EXPECT_EQ(row(10), (Commands{"toggleSmartQuotes"}));
    // The page-numbers row switches page numbers, not the in-app browser's
    // set-up; the web research row opens the research browser, not a copy
    // of the page's HTML.
    EXPECT_EQ(row(11), (Commands{"togglePageNumbers"}));
    EXPECT_EQ(row(12), (Commands{"showWebResearchBrowser"}));
    EXPECT_TRUE(pasteboard.string().value_or(u"").empty());
    EXPECT_EQ(row(13), Commands{});
    EXPECT_EQ(row(-1), Commands{});

    // Reading aloud takes the text from the caret on and leaves the page where it was.
    view.clearScripts();
    ranDuring([&] { tools->toolsOptionSelected(3); });
    EXPECT_EQ(view.scriptsMatching("folioPageScrollOffset").size(), 1u);
    EXPECT_EQ(view.scriptsMatching("folioPageScrollTo\\(").size(), 1u);
    EXPECT_TRUE(tools->speech().isSpeaking());
    ranDuring([&] { tools->toolsOptionSelected(3); });
    EXPECT_FALSE(tools->speech().isSpeaking()) << "the same row cancels the reading";

    // The statistics row is the editor's own: its panel opens.
    ranDuring([&] { tools->toolsOptionSelected(1); });
    EXPECT_NE(presentedPanel<StatisticsController>(), nullptr);

    // The picker's rows are titled as their commands.
    ToolsPickerController picker(defaults);
    picker.loadViewIfNeeded();
    EXPECT_EQ(picker.options()[11], u"Enable Page Numbers");
    EXPECT_EQ(picker.options()[12], u"Web Research");
}

TEST_F(QVTextToolsTest, eachPickersDelegateCallReachesThePage)
{
    view.clearScripts();
    tools->magicCursorOptionSelected(1);
    EXPECT_EQ(view.scriptsMatching("execCommand\\('selectAll'\\)").size(), 1u);
    EXPECT_EQ(view.scriptsMatching("document.execCommand").size(), 0u);
    // What the line spacing, indent, list, alignment and insertions do to
    // the page and the saved file:
    // QVTextFormattingWebTest.theToolsPickersAndInsertionsReachThePageAndTheSavedFile.
    tools->sizeSelected("+10");
    EXPECT_FALSE(view.scriptsMatching("FontSize").empty());

    // A character from the insert menu goes in at the text's size in points.
    dirty = 0;
    tools->specialCharsOptionSelected(u"<\u00E9", false);
    std::vector<std::string> inserted = view.scriptsMatching("insertHTML");
    ASSERT_FALSE(inserted.empty());
    EXPECT_NE(inserted.back().find("font-size: 12pt"), std::string::npos) << inserted.back();
    EXPECT_NE(inserted.back().find("font-family:Georgia"), std::string::npos) << inserted.back();
    EXPECT_EQ(dirty, 1);
    // Its commands run the editor's own.
    EXPECT_EQ(ranDuring([&] { tools->specialCharsOptionSelected(u"InsertPageBreak", false); }),
              std::vector<std::string>{"insertPageBreak"});
    EXPECT_EQ(ranDuring([&] { tools->imageOptionSelected(4); }), std::vector<std::string>{"insertNewFootnote"});
    EXPECT_EQ(ranDuring([&] { tools->imageOptionSelected(0); }), std::vector<std::string>{"attachImage"});

    // Copy-out takes TinyMCE's own content.
    view.answer("tinymce.activeEditor.getContent({ format: 'text' })", "plain words");
    tools->commands().toolsOptionSelected(13);
    ASSERT_TRUE(loop.runUntil([&] { return pasteboard.string().has_value(); }, 1));
    EXPECT_EQ(pasteboard.string(), u"plain words");

    // Plain text goes in at its size in points.
    tools->insertions().insertTextInDocument(u"a<b\nc");
    EXPECT_NE(view.scriptsMatching("insertHTML").back().find("font-size: 12pt"), std::string::npos);
}

TEST_F(QVTextToolsTest, pickersArePresentedWithTheToolsAsTheirDelegate)
{
    tools->showToolsMenu(tools->barItems().toolsBarButtonItem());
    auto picker = std::dynamic_pointer_cast<ToolsPickerController>(navigation->presentedViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(tools->popovers().isAnyInspectorOrMenuVisible());
    ran.clear();
    picker->loadViewIfNeeded();
    picker->didSelectRowAtIndexPath(*picker->tableView(), IndexPath{0, 8});
    EXPECT_NE(std::find(ran.begin(), ran.end(), "toggleWordCounterVisible"), ran.end());
    // The menu closes first, so that what the row opens can show.
    EXPECT_EQ(navigation->presentedViewController(), nullptr);
    EXPECT_FALSE(tools->popovers().isAnyInspectorOrMenuVisible());

    tools->commands().showMiscToolsExtraKeysRowMenu();
    auto cursor = std::dynamic_pointer_cast<MagicCursorPickerController>(navigation->presentedViewController());
    ASSERT_NE(cursor, nullptr);
    view.clearScripts();
    cursor->loadViewIfNeeded();
    cursor->didSelectRowAtIndexPath(*cursor->tableView(), IndexPath{0, 8});
    EXPECT_EQ(view.scriptsMatching("tinymce.activeEditor.execCommand\\('unselect'\\)").size(), 1u);
}

TEST_F(QVTextToolsTest, insertMenusListTheirRowsAndNeedTheKeyboardForSome)
{
    std::shared_ptr<Menu> menu = tools->insertMenus().showInsertItemMenu();
    EXPECT_EQ(titles(*menu), (std::vector<std::u16string>{u"Insert Image", u"Take Photo", u"Video", u"Table", u"Web Link",
                                                          u"Symbols", u"Page Break", u"Horizontal Line", u"Date & Time",
                                                          u"Date & Time Short", u"Current Location", u"Header & Footer"}));
    scanner = true;
    keyboard = false;
    menu = tools->insertMenus().showInsertItemMenu();
    ASSERT_EQ(menu->children().size(), 13u);
    EXPECT_EQ(menu->children()[3]->title(), u"Scan Text");
    std::vector<std::u16string> disabled;
    for (const auto& element : menu->children()) {
        if (static_cast<Action&>(*element).isDisabled())
            disabled.push_back(element->title());
    }
    EXPECT_EQ(disabled, (std::vector<std::u16string>{u"Insert Image", u"Take Photo", u"Scan Text", u"Symbols", u"Header & Footer"}));

    // The rows run their commands.
    keyboard = true;
    menu = tools->insertMenus().showInsertItemMenu();
    EXPECT_EQ(ranDuring([&] { row(*menu, u"Table").perform(); }), std::vector<std::string>{"insertTable"});
    EXPECT_EQ(ranDuring([&] { row(*menu, u"Take Photo").perform(); }), std::vector<std::string>{"takePhoto"});
    // This system finds no location: the lookup ends in its overlay.
    row(*menu, u"Current Location").perform();
    loop.runOnce();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Location Services disabled.");
    view.clearScripts();
    row(*menu, u"Video").perform();
    EXPECT_EQ(view.scriptsMatching("mceMedia").size(), 1u);
    row(*menu, u"Web Link").perform();
    EXPECT_TRUE(tools->linkBar().isVisible());
    tools->linkBar().hide();
    row(*menu, u"Symbols").perform();
    ASSERT_NE(tools->popovers().picker(EditorPopovers::Picker::SpecialChars), nullptr);
    EXPECT_EQ(tools->popovers().picker(EditorPopovers::Picker::SpecialChars), navigation->presentedViewController());

    std::shared_ptr<Menu> images = tools->insertMenus().showInsertImageMenu();
    EXPECT_EQ(titles(*images), (std::vector<std::u16string>{u"Insert Image", u"Take Photo", u"Scan Text"}));
    scanner = false;
    EXPECT_EQ(tools->insertMenus().showInsertImageMenu()->children().size(), 2u);

    // The insert bar item carries the menu.
    tools->barItems().regenerateInsertMenu();
    ASSERT_NE(tools->barItems().insertItemBarButtonItem()->menu(), nullptr);
    EXPECT_EQ(titles(*tools->barItems().insertItemBarButtonItem()->menu()), titles(*tools->insertMenus().showInsertItemMenu()));
}

TEST_F(QVTextToolsTest, inspectorPanesStackTheirSlicesActingOnTheQVPage)
{
    EditorInspectors& inspectors = tools->inspectors();
    view.clearScripts();
    inspectors.showTextStyleInspector({tools->barItems().textStyleBarButtonItem(), {}});
    // TinyMCE's own dialogs close before the inspector opens.
    EXPECT_EQ(view.scriptsMatching("windowManager.close").size(), 1u);
    EXPECT_EQ(sliceNames(Kind::TextFormat), (std::vector<std::string>{"DKFontAttributesInspectorSlice", "DKParagraphStyleInspectorSlice",
                                                                      "DKFontInspectorSlice", "DKStyleInspectorSlice"}));
    auto attributes = std::dynamic_pointer_cast<ButtonRowSlice>(inspectors.inspector(Kind::TextFormat)->mainPane()->slices()[0]);
    ASSERT_NE(attributes, nullptr);
    attributes->buttons()[0]->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_FALSE(view.scriptsMatching("tinymce.activeEditor.execCommand\\('Bold'").empty());
    inspectors.showTextStyleInspector({tools->barItems().textStyleBarButtonItem(), {}});

    inspectors.showTextToolsInspectorMenu({nullptr, Rect{{10, 0}, {30, 30}}});
    std::vector<std::string> toolsSlices = sliceNames(Kind::TextTools);
    ASSERT_EQ(toolsSlices.size(), 17u);
    for (const auto& slice : inspectors.inspector(Kind::TextTools)->mainPane()->slices())
        EXPECT_FALSE(slice->identifier().empty());
    inspectors.showTextToolsInspectorMenu({nullptr, Rect{{10, 0}, {30, 30}}});

    // The header and footer come into the page once, when the inspector opens.
    view.clearScripts();
    inspectors.showHeaderInspector({tools->barItems().insertItemBarButtonItem(), {}});
    std::vector<std::string> header = view.scriptsMatching("getElementById\\('pageHeader'\\);if \\(!elem\\)");
    ASSERT_EQ(header.size(), 1u);
    EXPECT_NE(header[0].find("Head"), std::string::npos);
    EXPECT_EQ(sliceNames(Kind::HeaderFooter).size(), 4u);
}

TEST_F(QVTextToolsTest, writingToolEntriesOpenTheirPanelsWithThePagesText)
{
    view.answer(QVTextWritingTools::kSelectedTextScript, "");
    view.answer(QVTextWritingTools::wholeTextScript(), "One two three. Four five.");
    tools->run("showStatistics");
    auto statistics = presentedPanel<StatisticsController>();
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(statistics->documentText(), u"One two three. Four five.");
    EXPECT_EQ(statistics->title(), u"Statistics");
    editor->dismissViewControllerAnimated(false);

    // A selection is what the statistics count.
    view.answer(QVTextWritingTools::kSelectedTextScript, "Four five.");
    tools->run("showStatistics");
    ASSERT_NE(presentedPanel<StatisticsController>(), nullptr);
    EXPECT_EQ(presentedPanel<StatisticsController>()->documentText(), u"Four five.");
    editor->dismissViewControllerAnimated(false);

    // The name generator is the tools' option 15, which the application's tools menu sends.
    tools->commands().toolsOptionSelected(15);
    auto names = presentedPanel<NameGeneratorController>();
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(names->title(), u"Name Generator");
    editor->dismissViewControllerAnimated(false);

    // The scanner opens from the insert menu; what it reads goes into the
    // page once, when it closes.
    scanner = true;
    EXPECT_EQ(ranDuring([&] { row(*tools->insertMenus().showInsertItemMenu(), u"Scan Text").perform(); }),
              (std::vector<std::string>{"endEditing", "scanner shown"}));
    QVTextWritingTools& writing = tools->writingTools();
    EXPECT_TRUE(writing.isScanning());
    writing.visionKitDataScannerDidRecognizeText(u"Scanned ");
    writing.visionKitDataScannerDidRecognizeText(u"<text>");
    view.clearScripts();
    writing.visionKitDataScannerDismissedViewController();
    std::vector<std::string> inserted = view.scriptsMatching("insertHTML");
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_NE(inserted[0].find("Scanned &lt;text&gt;"), std::string::npos);
    view.clearScripts();
    writing.visionKitDataScannerDismissedViewController();
    EXPECT_TRUE(view.scriptsMatching("insertHTML").empty());

    // A system without the scanner says so.
    scanner = false;
    tools->run("insertTextFromLiveTextScanner");
    auto alert = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Not Supported");
}

TEST_F(QVTextToolsTest, theStyleBarsButtonsRunTheirCommandsAndCarryTheirMenus)
{
    QVTextKeyBars& bars = tools->keyBars();
    view.clearScripts();
    bars.styleButtons().front()->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_FALSE(view.scriptsMatching("tinymce.activeEditor.execCommand\\('Bold'").empty());
    ASSERT_NE(bars.styleAlign()->menu(), nullptr);
    EXPECT_EQ(bars.styleAlign()->menu()->children().size(), 6u);
    ASSERT_NE(bars.insertImage()->menu(), nullptr);
    EXPECT_EQ(titles(*bars.insertImage()->menu()).front(), u"Insert Image");
    // The editing-commands menu lists "Increase Indent" first and "Check Spelling" last.
    ASSERT_NE(bars.showMiscToolsMenu()->menu(), nullptr);
    EXPECT_EQ(titles(*bars.showMiscToolsMenu()->menu()).front(), u"Increase Indent");
    EXPECT_EQ(titles(*bars.showMiscToolsMenu()->menu()).back(), u"Check Spelling");
    // The keyboard's style inspector opens from its button.
    bars.styleButtons()[6]->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_TRUE(tools->inspectors().isVisible(EditorInspectors::Kind::TextFormatFromKeyboard));
    tools->popovers().dismissAllPopover();
    // So does the font button, where fonts and user styles are chosen.
    ASSERT_NE(bars.styleButton("showFontNameTextStyle"), nullptr);
    bars.styleButton("showFontNameTextStyle")->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    EXPECT_TRUE(tools->inspectors().isVisible(EditorInspectors::Kind::TextFormatFromKeyboard));
    tools->popovers().dismissAllPopover();
    EXPECT_EQ(bars.styleButton("noSuchCommand"), nullptr);
    // The styles menu opens from its button, the tools as its delegate.
    bars.styleButtons()[7]->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    std::shared_ptr<ViewController> shown = navigation->presentedViewController() ? navigation->presentedViewController()
                                                                                  : editor->presentedViewController();
    std::shared_ptr<OtherPickerController> styles = std::dynamic_pointer_cast<OtherPickerController>(shown);
    if (auto wrapped = std::dynamic_pointer_cast<NavigationController>(shown))
        styles = std::dynamic_pointer_cast<OtherPickerController>(wrapped->viewControllers().front());
    ASSERT_NE(styles, nullptr);
    view.clearScripts();
    styles->didSelectRowAtIndexPath(*styles->tableView(), IndexPath{0, 5});
    loop.runOnce();
    EXPECT_EQ(view.scriptsMatching("execCommand\\('insertUnorderedList'\\)").size(), 1u);
    tools->popovers().dismissAllPopover();
    editor->dismissViewControllerAnimated(false);
    // The size menu sends its row's text, which reaches the page as a size.
    bars.styleButtons()[4]->sendActionsForControlEvent(ControlEvent::TouchUpInside);
    auto sizes = std::dynamic_pointer_cast<FontSizePickerController>(navigation->presentedViewController());
    ASSERT_NE(sizes, nullptr);
    view.clearScripts();
    sizes->didSelectRowAtIndexPath(*sizes->tableView(), IndexPath{0, 9});
    EXPECT_FALSE(view.scriptsMatching("24").empty());
}

TEST_F(QVTextToolsTest, aLinkGoesInAtTheKeptSelectionWithItsAddressAsItsText)
{
    QVTextLinkBar& bar = tools->linkBar();
    view.clearScripts();
    bar.showInsertLinkToolbar({});
    EXPECT_EQ(view.scriptsMatching("selectionBookmark = tinymce.activeEditor.selection.getBookmark\\(\\);").size(), 1u);
    EXPECT_FALSE(bar.unlinkButton()->isEnabled());
    bar.insertLink()->setText(u"example.org/a?b=\"c\"&d<");
    dirty = 0;
    bar.insertLinkInText();
    EXPECT_FALSE(bar.isVisible());
    EXPECT_EQ(view.scriptsMatching("moveToBookmark\\(selectionBookmark\\)").size(), 1u);
    std::vector<std::string> inserted = view.scriptsMatching("insertHTML");
    ASSERT_EQ(inserted.size(), 1u);
    // Its address on the real page and in the file:
    // QVTextFormattingWebTest.theToolsPickersAndInsertionsReachThePageAndTheSavedFile.
    EXPECT_NE(inserted[0].find("font-size: 12pt"), std::string::npos);
    EXPECT_EQ(dirty, 1);

    EXPECT_EQ(QVTextLinkBar::linkAddress(u"https://secure.example"), "https://secure.example");
    EXPECT_EQ(QVTextLinkBar::linkAddress(u"http://plain.example"), "http://plain.example");
    EXPECT_EQ(QVTextLinkBar::linkAddress(u"ftp.example"), "http://ftp.example");

    // Nothing typed, nothing inserted; a link under the caret can be taken off.
    view.clearScripts();
    bar.showInsertLinkToolbar(u"http://old.example");
    EXPECT_TRUE(bar.unlinkButton()->isEnabled());
    EXPECT_EQ(bar.insertLink()->text(), u"http://old.example");
    bar.unLinkText();
    bar.showInsertLinkToolbar({});
    bar.insertLinkInText();
    EXPECT_TRUE(view.scriptsMatching("insertHTML").empty());
    // Return in the field inserts as the button does.
    bar.showInsertLinkToolbar({});
    bar.insertLink()->setText(u"folio.example");
    bar.insertLink()->pressReturn();
    ASSERT_EQ(view.scriptsMatching("insertHTML").size(), 1u);
    EXPECT_NE(view.scriptsMatching("insertHTML")[0].find("http://folio.example"), std::string::npos);
}

TEST_F(QVTextToolsTest, anEditorOnTheQVPageMayHaveItsOwnBarAndInsertRows)
{
    QVTextTools::Dialect dialect;
    dialect.groupPrefix = "QVOutline";
    dialect.layout = [](const BarLayout::Input&) { return BarLayout::Result{true, true, false, "CU", "IS"}; };
    dialect.offersInsertCommand = [](const char* command) { return std::string_view(command) != "insertTable"; };
    dialect.assistantSourceType = 2;
    auto outline = QVTextTools::make(page, styling, defaults, pasteboard, host(), dialect);
    NavigationItem navigation;
    outline->updateMainToolBarButtonsToSize(navigation, {800, 600});
    ASSERT_EQ(navigation.leadingItemGroups().size(), 2u);
    EXPECT_EQ(navigation.leadingItemGroups()[1]->customizationIdentifier(), "QVOutline_Undo_GroupCustomization");
    ASSERT_EQ(navigation.trailingItemGroups().size(), 2u);
    std::vector<std::u16string> rows = titles(*outline->insertMenus().showInsertItemMenu());
    EXPECT_EQ(std::find(rows.begin(), rows.end(), u"Table"), rows.end());
    EXPECT_EQ(rows.size(), 11u);
}

struct FakeGeocoder : ReverseGeocoder {
    int status = 3;
    int stopped = 0;
    int getAuthStatus() override { return status; }
    void reverseGeocode() override {}
    void stopActivity() override { ++stopped; }
    double latitude() const override { return 48.5; }
    double longitude() const override { return 2.25; }
    std::u16string address() const override { return u"1 <Rue>"; }
    std::u16string city() const override { return u"Paris"; }
    std::u16string zipcode() const override { return u"75001"; }
    std::u16string country() const override { return u"France"; }
};

TEST(QVTextLocationTest, theFoundPlaceGoesInAsTextAndARefusedLookupEndsSilently)
{
    std::vector<std::u16string> inserted;
    FakeGeocoder* geocoder = nullptr;
    int status = 3;
    auto location = QVTextLocationInsertion::make([&](const std::u16string& text) { inserted.push_back(text); }, [&] {
        auto made = std::make_unique<FakeGeocoder>();
        made->status = status;
        geocoder = made.get();
        return std::unique_ptr<ReverseGeocoder>(std::move(made));
    });
    location->insertCurrentLocation();
    ASSERT_TRUE(location->isLookingUp());
    EXPECT_EQ(ProgressHUD::shared().status(), u"Getting current location...");
    location->gotUserPlacemarks();
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0], u"Latitude: 48.500000 - Longitude: 2.250000 \n1 <Rue>\n75001  Paris\n\n\nFrance");
    EXPECT_FALSE(location->isLookingUp());

    status = 2;
    location->insertCurrentLocation();
    EXPECT_FALSE(location->isLookingUp());
    EXPECT_EQ(inserted.size(), 1u);
    status = 0;
    location->insertCurrentLocation();
    location->gotUserLocationError();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Failed to find user's location.");
    EXPECT_EQ(inserted.size(), 1u);
    ProgressHUD::dismiss();
}

TEST(QVTextSpeechText, markersAndQuotesGoAndLineEndsEndSentences)
{
    EXPECT_EQ(QVTextWritingTools::cleanedTextForSpeech(u"A \uFEFF[\U0001F4AC] \"b\"\nc\uFEFF"), u"A    b .c ");
    std::vector<std::u16string> parts = ReadAloudController::utterancePieces(u"One. Two.");
    EXPECT_EQ(parts, (std::vector<std::u16string>{u"One", u" Two", u""}));
    EXPECT_EQ(ReadAloudController::utterancePieces(u"no stop").size(), 1u);
}

// Scanned lines going in among the words of a line: each line a word group
// of its own, parted by one blank from the lines and words around it, and
// closing up to punctuation that follows.
TEST(QVTextInsertionsWords, scannedLinesBecomeWordsPartedFromTheWordsAroundTheCaret)
{
    struct Case {
        std::u16string text;
        std::optional<char16_t> before;
        std::optional<char16_t> after;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"Fish and chips\n\n", u'd', u' ', u" Fish and chips"},
        {u"Fish and chips\n\nSalt and vinegar\n\n", u'd', u'b', u" Fish and chips Salt and vinegar "},
        {u"  Fish \t chips ", std::nullopt, std::nullopt, u"Fish chips"},
        {u"Fish\n\n", u' ', u'.', u"Fish"},
        {u"Fish\n\n", u'\u00a0', u'x', u"Fish "},
        {u"\n\n \n", u'a', u'b', u""},
    };
    for (const Case& each : cases)
        EXPECT_EQ(QVTextInsertions::textAmongWords(each.text, each.before, each.after), each.expected) << toUtf8(each.text);
}

} // namespace
} // namespace folio
