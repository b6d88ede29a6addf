#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "tools/inspectors/ControlSlices.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "platform/ui/Label.h"
#include "tools/names/NameGeneratorController.h"
#include "tools/textstyle/TSBgColourSelectTableViewController.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/EditorPopovers.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace folio {
namespace {

// The QV text editor's panels as the application shows them, worked with
// the real pointer: what a panel's control does reaches the page and the
// saved file, and the panel is on screen when the editor says it is.
class QVTextPanelsWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextPanelsWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-panels-window") {}

    void openPage(const std::string& html)
    {
        path = folder.path("Panels.qvtext");
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        open(path, {1000, 700}, Root::Navigation);
    }

    bool settle(const std::function<bool()>& done)
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    }

    void caretAtEnd()
    {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody(),true);"
            "e.selection.collapse(false);})()");
    }

    std::string body() { return run("tinymce.activeEditor.getBody().innerHTML"); }

    // Clicks a button of the style bar above the page with the real pointer.
    void clickStyleButton(const std::string& command)
    {
        std::shared_ptr<Button> button = editor->tools().keyBars().styleButton(command);
        ASSERT_NE(button, nullptr) << command;
        GtkWidget* shown = nullptr;
        ASSERT_TRUE(settle([&] {
            shown = GtkViewBuilder::widgetForView(toplevel, *button);
            return shown && gtk_widget_get_mapped(shown) && gtk_widget_get_allocated_width(shown) > 1;
        })) << command << " is not on screen";
        ASSERT_TRUE(test::clickWidget(shown));
    }

    // The popover that shows an inspector, once it is on screen.
    GtkWidget* inspectorOnScreen(EditorInspectors::Kind kind)
    {
        EditorInspectors& inspectors = editor->tools().inspectors();
        GtkWidget* popover = nullptr;
        settle([&] {
            const std::shared_ptr<NavigationController>& navigation = inspectors.inspector(kind)->navigationController();
            popover = presenter->widgetForController(*navigation);
            return popover && gtk_widget_get_mapped(popover);
        });
        return popover;
    }

    // A panel taller than the window scrolls: the widget is brought into
    // the part of it on screen, as a person scrolls to it before a click.
    void reveal(GtkWidget* widget)
    {
        for (GtkWidget* above = gtk_widget_get_parent(widget); above; above = gtk_widget_get_parent(above)) {
            if (!GTK_IS_SCROLLED_WINDOW(above))
                continue;
            GtkWidget* content = gtk_bin_get_child(GTK_BIN(above));
            if (content && GTK_IS_VIEWPORT(content) && gtk_bin_get_child(GTK_BIN(content)))
                content = gtk_bin_get_child(GTK_BIN(content));
            int x = 0;
            int y = 0;
            if (!content || !gtk_widget_translate_coordinates(widget, content, 0, 0, &x, &y))
                continue;
            GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(above));
            double page = gtk_adjustment_get_page_size(vertical);
            gtk_adjustment_set_value(vertical, y + gtk_widget_get_allocated_height(widget) / 2.0 - page / 2);
        }
        for (int turn = 0; turn < 5; ++turn)
            GtkPresenter::processPendingEvents();
    }

    // Clicks the widget that `find` answers, once it is on screen. A panel
    // is built afresh when a value it shows changes (a selection reaching
    // it as it opens, say): a widget that went with the old build before
    // the click is looked up again, and held meanwhile.
    bool clickRevealed(const std::function<GtkWidget*()>& find)
    {
        for (int look = 0; look < 3; ++look) {
            GtkWidget* widget = nullptr;
            if (!settle([&] {
                    widget = find();
                    return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1;
                }))
                return false;
            g_object_ref(widget);
            reveal(widget);
            const bool clicked = gtk_widget_get_mapped(widget) && test::clickWidget(widget);
            g_object_unref(widget);
            if (clicked)
                return true;
        }
        return false;
    }

    // Clicks the button inside `root` that reads `title`.
    // The first button reading `title`, or with `last` the last one.
    void clickButtonReading(GtkWidget* root, const std::string& title, bool last = false)
    {
        ASSERT_TRUE(clickRevealed([&]() -> GtkWidget* {
            GtkWidget* found = nullptr;
            for (GtkWidget* button : test::descendants(root, GTK_TYPE_BUTTON)) {
                for (const std::string& text : test::labelTexts(button)) {
                    if (text == title && (!found || last))
                        found = button;
                }
            }
            return found;
        })) << "no button " << title << " on screen";
    }

    std::string savedPage()
    {
        TextDocument reread(path);
        if (!reread.readFromURL(path))
            return {};
        return toUtf8(reread.text());
    }

    std::string path;
};

// The text tools panel (the style bar's gear) puts in a footnote, a comment
// and the list of footnotes at the caret, and all three are saved.
TEST_F(QVTextPanelsWindowTest, theTextToolsPanelPutsInFootnotesCommentsAndTheirListWhichAreSaved)
{
    openPage("<p>Noted words</p>");
    if (HasFatalFailure())
        return;
    auto count = [&](const std::string& selector) {
        return run("tinymce.activeEditor.getBody().querySelectorAll('" + selector + "').length");
    };
    const std::pair<const char*, const char*> rows[] = {
        {"[1] Footnote", "object.footnote"},
        {"\U0001F4AC Comment", "object.annotation"},
        {"[-] Footnote List", "#divfootnotetable"},
    };
    for (const auto& row : rows) {
        const auto& title = row.first;
        const auto& selector = row.second;
        caretAtEnd();
        clickStyleButton("showTextToolsInspectorMenu");
        if (HasFatalFailure())
            return;
        GtkWidget* panel = inspectorOnScreen(EditorInspectors::Kind::TextTools);
        ASSERT_NE(panel, nullptr) << "the text tools panel is not on screen";
        clickButtonReading(panel, title);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(settle([&] { return count(selector) == "1"; })) << title << ": " << body();
        // Whatever the row opened (the note's own editor) goes before the next.
        editor->tools().popovers().dismissAllPopover();
        settle([&] { return !editor->tools().inspectors().isVisible(EditorInspectors::Kind::TextTools); });
    }
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelector('object.footnote').textContent"), "[1]");
    EXPECT_NE(run("tinymce.activeEditor.getBody().querySelector('#divfootnotetable').textContent"), "");

    ASSERT_TRUE(save());
    std::string saved = savedPage();
    EXPECT_NE(saved.find("class=\"footnote\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("class=\"annotation\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("divfootnotetable"), std::string::npos) << saved;
}

// The style bar's Aa opens its panel and closes it again, also after a
// text colour was chosen in it: the panel is on screen exactly when the
// editor counts it open, and the colour reaches the text.
TEST_F(QVTextPanelsWindowTest, aaOpensAndClosesItsPanelAlsoAfterATextColourWasChosen)
{
    openPage("<p>Colour me</p>");
    if (HasFatalFailure())
        return;
    EditorInspectors& inspectors = editor->tools().inspectors();
    const auto kind = EditorInspectors::Kind::TextFormatFromKeyboard;
    auto onScreen = [&] {
        GtkWidget* popover = presenter->widgetForController(*inspectors.inspector(kind)->navigationController());
        return popover && gtk_widget_get_mapped(popover);
    };
    run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
        "var t=e.getBody().firstChild.firstChild;r.setStart(t,0);r.setEnd(t,6);e.selection.setRng(r);})()");
    clickStyleButton("showTextStyleInspectorFromKeyboard");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return onScreen() && inspectors.isVisible(kind); })) << "Aa opened no panel";

    std::shared_ptr<ChoiceSlice> colour;
    for (const auto& slice : inspectors.inspector(kind)->mainPane()->slices()) {
        auto choice = std::dynamic_pointer_cast<ChoiceSlice>(slice);
        if (choice && toUtf8(choice->title()) == "Text Color")
            colour = choice;
    }
    ASSERT_NE(colour, nullptr) << "no text colour in the Aa panel";
    // The colours read as the names the list offers, not as CSS.
    EXPECT_EQ(toUtf8(colour->choiceButton()->titleForState(ControlState::Normal)), "black");
    ASSERT_TRUE(clickRevealed([&]() -> GtkWidget* {
        GtkWidget* popover = presenter->widgetForController(*inspectors.inspector(kind)->navigationController());
        return popover ? GtkViewBuilder::widgetForView(popover, *colour->choiceButton()) : nullptr;
    })) << "the text colour's button is not on screen";
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(settle([&] {
        menu = presenter->menuPopover();
        return menu && gtk_widget_get_mapped(menu);
    })) << "the colour list did not open";
    clickButtonReading(menu, "red");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(settle([&] { return body().find("color: red") != std::string::npos; })) << body();
    // Right after the choice the editor and the screen agree.
    EXPECT_TRUE(settle([&] { return onScreen() == inspectors.isVisible(kind); }))
        << "on screen " << onScreen() << ", counted open " << inspectors.isVisible(kind);

    // Aa now toggles as before: each press flips the panel, on screen too.
    for (int press = 0; press < 2; ++press) {
        bool wasOpen = inspectors.isVisible(kind);
        clickStyleButton("showTextStyleInspectorFromKeyboard");
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(settle([&] { return inspectors.isVisible(kind) != wasOpen && onScreen() != wasOpen; }))
            << "press " << press << ": was open " << wasOpen << ", on screen " << onScreen();
    }
}

// The tools item's menu opens the name generator, whose sheet shows five
// invented names on screen.
TEST_F(QVTextPanelsWindowTest, theToolsMenuOpensTheNameGeneratorWithItsNamesOnScreen)
{
    openPage("<p>A story</p>");
    if (HasFatalFailure())
        return;
    GtkWidget* tools = presenter->widgetForBarButtonItem(*editor->tools().barItems().toolsBarButtonItem());
    ASSERT_NE(tools, nullptr);
    ASSERT_TRUE(settle([&] { return gtk_widget_get_mapped(tools) && gtk_widget_get_allocated_width(tools) > 1; }));
    ASSERT_TRUE(test::clickWidget(tools));
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(settle([&] {
        menu = presenter->menuPopover();
        return menu && gtk_widget_get_mapped(menu);
    })) << "the tools item opened no menu";
    clickButtonReading(menu, "Name Generator");
    if (HasFatalFailure())
        return;
    std::shared_ptr<NameGeneratorController> names;
    ASSERT_TRUE(settle([&] {
        std::shared_ptr<ViewController> top = editor->presentedViewController();
        auto navigation = std::dynamic_pointer_cast<NavigationController>(top);
        names = std::dynamic_pointer_cast<NameGeneratorController>(navigation ? navigation->topViewController() : top);
        return names != nullptr;
    })) << "no name generator";
    EXPECT_EQ(toUtf8(names->title()), "Name Generator");
    GtkWidget* list = nullptr;
    ASSERT_TRUE(settle([&] {
        std::shared_ptr<ViewController> sheet = editor->presentedViewController();
        GtkWidget* root = sheet ? presenter->widgetForController(*sheet) : nullptr;
        list = root ? GtkViewBuilder::widgetForView(root, *names->nameListView()) : nullptr;
        return list && gtk_widget_get_mapped(list);
    })) << "the names are not on screen";
    ASSERT_TRUE(clickRevealed([&]() -> GtkWidget* {
        std::shared_ptr<ViewController> sheet = editor->presentedViewController();
        GtkWidget* root = sheet ? presenter->widgetForController(*sheet) : nullptr;
        return root ? GtkViewBuilder::widgetForView(root, *names->generateNames()) : nullptr;
    })) << "Generate is not on screen";
    std::string shown;
    settle([&] {
        shown = toUtf8(names->nameListView()->text());
        return !shown.empty();
    });
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n') + (shown.empty() || shown.back() == '\n' ? 0 : 1), 5) << shown;
    names->dismissPanel();
}

// The colour pane's paper colour opens the list of paper colours in the
// panel: each row is drawn in its colour, the paper's colour is ticked, and
// a row chosen paints the page's paper, which is saved.
TEST_F(QVTextPanelsWindowTest, thePaperColourListShowsItsColoursTicksThePapersAndPaintsThePaper)
{
    openPage("<p>On white paper</p>");
    if (HasFatalFailure())
        return;
    EditorInspectors& inspectors = editor->tools().inspectors();
    inspectors.showTextStyleInspector({editor->tools().barItems().textStyleBarButtonItem(), {}});
    GtkWidget* panel = inspectorOnScreen(EditorInspectors::Kind::TextFormat);
    ASSERT_NE(panel, nullptr) << "the style panel is not on screen";
    clickButtonReading(panel, "Color");
    if (HasFatalFailure())
        return;
    // The paper's row comes after the text's colour and its background, which
    // shows the same white paper behind it.
    clickButtonReading(panel, "white", true);
    if (HasFatalFailure())
        return;

    const std::shared_ptr<NavigationController>& navigation =
        inspectors.inspector(EditorInspectors::Kind::TextFormat)->navigationController();
    std::shared_ptr<TSBgColourSelectTableViewController> list;
    ASSERT_TRUE(settle([&] {
        list = std::dynamic_pointer_cast<TSBgColourSelectTableViewController>(navigation->topViewController());
        return list != nullptr;
    })) << "no paper colour list in the panel";
    GtkWidget* rows = nullptr;
    ASSERT_TRUE(settle([&] {
        rows = presenter->listBoxForTableView(*list->tableView());
        GtkListBoxRow* first = rows ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(rows), 0) : nullptr;
        return first && gtk_widget_get_mapped(GTK_WIDGET(first));
    })) << "the list is not on screen";
    const std::vector<std::string>& names = list->availableColours();
    ASSERT_EQ(names.size(), 127u);
    auto rowOf = [&](const std::string& name) {
        std::size_t index = std::find(names.begin(), names.end(), name) - names.begin();
        return gtk_list_box_get_row_at_index(GTK_LIST_BOX(rows), static_cast<int>(index));
    };
    auto ticked = [&](const std::string& name) {
        std::vector<std::string> texts = test::labelTexts(GTK_WIDGET(rowOf(name)));
        return std::find(texts.begin(), texts.end(), "\u2714") != texts.end();
    };
    EXPECT_TRUE(ticked("white"));
    EXPECT_FALSE(ticked("red"));

    // The red row, pictured, is red at its swatch.
    GtkListBoxRow* red = rowOf("red");
    ASSERT_TRUE(test::movePointerOver(GTK_WIDGET(red)));
    unsigned swatch = 0;
    settle([&] {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-paper-list"));
        if (!shot)
            return false;
        int x = 0;
        int y = 0;
        GtkWidget* rowWidget = GTK_WIDGET(red);
        if (!gtk_widget_translate_coordinates(rowWidget, toplevel, 60, gtk_widget_get_allocated_height(rowWidget) / 2, &x, &y)) {
            g_object_unref(shot);
            return false;
        }
        swatch = test::pixelAt(shot, x, y);
        g_object_unref(shot);
        return ((swatch >> 16) & 0xFF) > 200 && ((swatch >> 8) & 0xFF) < 60 && (swatch & 0xFF) < 60;
    });
    EXPECT_GT((swatch >> 16) & 0xFF, 200u) << std::hex << swatch;
    EXPECT_LT((swatch >> 8) & 0xFF, 60u) << std::hex << swatch;

    // Lavender chosen: the paper turns lavender, and the tick follows.
    GtkListBoxRow* lavender = rowOf("lavender");
    reveal(GTK_WIDGET(lavender));
    ASSERT_TRUE(test::movePointerOver(GTK_WIDGET(lavender)));
    ASSERT_TRUE(test::clickWidget(GTK_WIDGET(lavender)));
    EXPECT_TRUE(settle([&] {
        return run("tinymce.activeEditor.getBody().style.backgroundColor") == "lavender";
    })) << run("tinymce.activeEditor.getBody().style.backgroundColor");
    EXPECT_TRUE(settle([&] { return ticked("lavender") && !ticked("white"); }));

    inspectors.showTextStyleInspector({editor->tools().barItems().textStyleBarButtonItem(), {}});
    ASSERT_TRUE(save());
    std::string saved = savedPage();
    EXPECT_TRUE(saved.find("lavender") != std::string::npos || saved.find("230, 230, 250") != std::string::npos
                || saved.find("e6e6fa") != std::string::npos)
        << saved;
}

// The text tools panel's left and right margins move the page's text in
// from both sides, read back what was chosen, and are what the document
// keeps when it is saved.
TEST_F(QVTextPanelsWindowTest, theToolsPanelsMarginsMoveTheTextAndAreKeptBySaving)
{
    openPage("<p>Margins move these words in from both sides of the page.</p>");
    if (HasFatalFailure())
        return;
    auto edges = [&] {
        return componentsSeparatedByString(
            run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
                "var r=tinymce.activeEditor.getBody().firstChild.getBoundingClientRect();"
                "return Math.round(f.left+r.left)+','+Math.round(f.left+r.right);})()"),
            ",");
    };
    std::vector<std::string> before = edges();
    ASSERT_EQ(before.size(), 2u);
    clickStyleButton("showTextToolsInspectorMenu");
    if (HasFatalFailure())
        return;
    GtkWidget* panel = inspectorOnScreen(EditorInspectors::Kind::TextTools);
    ASSERT_NE(panel, nullptr) << "the text tools panel is not on screen";
    std::shared_ptr<DKInspector> inspector = editor->tools().inspectors().inspector(EditorInspectors::Kind::TextTools);
    auto slice = [&](const std::string& kind) -> std::shared_ptr<StepperSlice> {
        for (const auto& shown : inspector->mainPane()->slices()) {
            if (shown->identifier().rfind(kind, 0) == 0)
                return std::dynamic_pointer_cast<StepperSlice>(shown);
        }
        return nullptr;
    };
    auto press = [&](const std::string& kind, int times) {
        std::shared_ptr<StepperSlice> stepper = slice(kind);
        ASSERT_NE(stepper, nullptr) << "no slice " << kind;
        for (int time = 0; time < times; ++time) {
            std::u16string was = stepper->valueLabel()->text();
            // The panel is built afresh when a value it shows changes, the
            // last press's too: the + is looked up again, and held while
            // the pointer goes to it, until it is reached before that.
            bool reached = false;
            for (int look = 0; look < 3 && !reached; ++look) {
                GtkWidget* plus = nullptr;
                ASSERT_TRUE(settle([&] {
                    GtkWidget* shown = inspectorOnScreen(EditorInspectors::Kind::TextTools);
                    plus = shown ? GtkViewBuilder::widgetForView(shown, *stepper->increaseButton()) : nullptr;
                    return plus && gtk_widget_get_mapped(plus);
                })) << kind << "'s + is not on screen";
                g_object_ref(plus);
                // Each press is a click of its own, the pointer coming in
                // from elsewhere, not the second half of a double click.
                reveal(plus);
                reached = test::movePointerOver(plus) && gtk_widget_get_mapped(plus);
                g_object_unref(plus);
            }
            ASSERT_TRUE(reached) << "the pointer did not reach " << kind << "'s +";
            ASSERT_TRUE(test::runXdotool({"click", "1"}));
            ASSERT_TRUE(settle([&] { return stepper->valueLabel()->text() != was; })) << kind << " did not step";
        }
    };
    auto reads = [&](const std::string& kind, const std::string& value) {
        std::shared_ptr<StepperSlice> stepper = slice(kind);
        return stepper && settle([&] {
                   GtkWidget* shown = inspectorOnScreen(EditorInspectors::Kind::TextTools);
                   GtkWidget* label = shown ? GtkViewBuilder::widgetForView(shown, *stepper->valueLabel()) : nullptr;
                   std::vector<std::string> texts = label ? test::labelTexts(label) : std::vector<std::string>{};
                   return std::find(texts.begin(), texts.end(), value) != texts.end();
               });
    };
    EXPECT_TRUE(reads("DKPageRightMarginSlice", "0.00 cm")) << "the right margin reads the ruler's handle";
    press("DKPageLeftMarginSlice", 4);
    if (HasFatalFailure())
        return;
    press("DKPageRightMarginSlice", 4);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(reads("DKPageLeftMarginSlice", "1.00 cm"));
    EXPECT_TRUE(settle([&] {
        std::vector<std::string> now = edges();
        return now.size() == 2 && floatValue(now[0]) > floatValue(before[0]) + 5
               && floatValue(now[1]) < floatValue(before[1]) - 5;
    })) << "the text stayed where it was: " << before[0] << "," << before[1];

    ASSERT_TRUE(save());
    EXPECT_EQ(document->docLeftMargin().value_or(""), "1.00");
    // The document keeps where the text's right edge stands on the sheet.
    EXPECT_NEAR(floatValue(document->docRightMargin().value_or("0")), 21.59 - 1.0, 0.1);
}

// A panel shown for the first time reads the zoom the text is shown at, and
// its larger button goes on from there: with the text zoomed in by the zoom
// key, the tools panel does not read 100 % and make the text smaller with
// its "+".
TEST_F(QVTextPanelsWindowTest, aPanelShownLaterReadsTheZoomTheTextIsShownAtAndStepsOnFromIt)
{
    openPage("<p>Zoom these words</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    ASSERT_TRUE(test::pressKeys("ctrl+equal"));
    ASSERT_TRUE(settle([&] { return editor->documentViewZoomPercent() > 100; })) << "the zoom key zoomed nothing";
    const double zoomed = editor->documentViewZoomPercent();

    clickStyleButton("showTextToolsInspectorMenu");
    if (HasFatalFailure())
        return;
    ASSERT_NE(inspectorOnScreen(EditorInspectors::Kind::TextTools), nullptr) << "the text tools panel is not on screen";
    std::shared_ptr<DocumentContentsZoomInspectorSlice> zoom;
    for (const auto& slice :
         editor->tools().inspectors().inspector(EditorInspectors::Kind::TextTools)->mainPane()->slices()) {
        if (auto found = std::dynamic_pointer_cast<DocumentContentsZoomInspectorSlice>(slice))
            zoom = found;
    }
    ASSERT_NE(zoom, nullptr) << "no zoom in the panel";
    const std::u16string expected = toUtf16(std::to_string(static_cast<long>(zoomed)) + "%");
    EXPECT_TRUE(settle([&] { return zoom->zoomTextWell()->text() == expected; }))
        << "the tools panel reads " << toUtf8(zoom->zoomTextWell()->text()) << " at " << zoomed << " %";

    GtkWidget* larger = nullptr;
    ASSERT_TRUE(settle([&] {
        GtkWidget* shown = inspectorOnScreen(EditorInspectors::Kind::TextTools);
        larger = shown ? GtkViewBuilder::widgetForView(shown, *zoom->zoomIncreaseStepperButton()) : nullptr;
        return larger && gtk_widget_get_mapped(larger);
    })) << "the zoom's larger button is not on screen";
    reveal(larger);
    ASSERT_TRUE(test::movePointerOver(larger));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    EXPECT_TRUE(settle([&] { return editor->documentViewZoomPercent() == zoomed + 10; }))
        << "the larger button took the text from " << zoomed << " to " << editor->documentViewZoomPercent() << " %";
}

} // namespace
} // namespace folio
