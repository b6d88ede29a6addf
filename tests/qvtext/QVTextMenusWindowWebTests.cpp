#include "documents/DocumentSeeds.h"
#include "foundation/markup/TEBase64Coding.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableViewController.h"
#include "platform/ui/UserResizableView.h"
#include "platform/ui/Window.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/statistics/StatisticsController.h"
#include "webeditor/EditorBarItems.h"
#include "webeditor/EditorInspectors.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace folio {
namespace {

// The QV text editor as the application shows it, in its document's
// navigation controller, worked with the real pointer and keys: its menus'
// rows change the page, and what they put in is in the saved file.
class QVTextMenusWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextMenusWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-menus-window") {}

    void openPage(const std::string& html, Size size = {1000, 700})
    {
        path = folder.path("Menus.qvtext");
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        open(path, size, Root::Navigation);
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

    // The widget of a view once it is on screen.
    GtkWidget* shownWidget(View& view)
    {
        GtkWidget* found = nullptr;
        settle([&] {
            found = GtkViewBuilder::widgetForView(toplevel, view);
            return found && gtk_widget_get_mapped(found) && gtk_widget_get_allocated_width(found) > 1;
        });
        return found;
    }

    // Clicks a bar item of the window's header bar with the real pointer.
    void clickBarItem(const std::shared_ptr<BarButtonItem>& item)
    {
        GtkWidget* button = presenter->widgetForBarButtonItem(*item);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(settle([&] { return gtk_widget_get_mapped(button) && gtk_widget_get_allocated_width(button) > 1; }));
        ASSERT_TRUE(test::clickWidget(button));
    }

    // Clicks the row of the menu on screen (a bar's menu or the edit menu
    // over the page) that reads `title`.
    void clickMenuRow(const std::string& title)
    {
        GtkWidget* row = nullptr;
        ASSERT_TRUE(settle([&] {
            row = nullptr;
            for (GtkWidget* menu : {presenter->menuPopover(), presenter->editMenu()}) {
                if (!menu || !gtk_widget_get_mapped(menu))
                    continue;
                for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
                    for (const std::string& text : test::labelTexts(button)) {
                        if (text == title)
                            row = button;
                    }
                }
            }
            return row && gtk_widget_get_mapped(row) && gtk_widget_get_allocated_width(row) > 1;
        })) << "no row " << title << " in the menu on screen";
        ASSERT_TRUE(test::clickWidget(row));
    }

    // Clicks row `index` of the list a presented picker shows.
    void clickPickerRow(TableViewController& picker, int index)
    {
        GtkWidget* list = nullptr;
        GtkListBoxRow* row = nullptr;
        ASSERT_TRUE(settle([&] {
            list = presenter->listBoxForTableView(*picker.tableView());
            row = list ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index) : nullptr;
            return row && gtk_widget_get_mapped(GTK_WIDGET(row)) && gtk_widget_get_allocated_height(GTK_WIDGET(row)) > 1;
        })) << "the picker's list is not on screen";
        ASSERT_TRUE(test::movePointerOver(GTK_WIDGET(row)));
        ASSERT_TRUE(test::clickWidget(GTK_WIDGET(row)));
    }

    // What the top of the document's presentations is once it is `T`.
    template <class T>
    std::shared_ptr<T> presented()
    {
        std::shared_ptr<T> found;
        settle([&] {
            std::shared_ptr<ViewController> top = document->viewControllerToPresent();
            while (top && top->presentedViewController())
                top = top->presentedViewController();
            found = std::dynamic_pointer_cast<T>(top);
            if (!found) {
                if (auto navigation = std::dynamic_pointer_cast<NavigationController>(top))
                    found = std::dynamic_pointer_cast<T>(navigation->topViewController());
            }
            return found != nullptr;
        });
        return found;
    }

    // The page as the file on disk holds it.
    std::string savedPage()
    {
        TextDocument reread(path);
        if (!reread.readFromURL(path))
            return {};
        return toUtf8(reread.text());
    }

    std::string path;
};

// The + menu's Table and Date & Time go in at the caret, and both are in
// the saved file.
TEST_F(QVTextMenusWindowTest, thePlusMenusTableAndDateGoInAtTheCaretAndAreSaved)
{
    openPage("<p>Before the table</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    clickBarItem(editor->tools().barItems().insertItemBarButtonItem());
    clickMenuRow("Table");
    ASSERT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().querySelectorAll('table td').length") == "9"; }))
        << body();

    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.setCursorLocation(e.getBody().firstChild.firstChild,6);})()");
    clickBarItem(editor->tools().barItems().insertItemBarButtonItem());
    clickMenuRow("Date & Time");
    std::time_t now = std::time(nullptr);
    std::string year = std::to_string(std::localtime(&now)->tm_year + 1900);
    ASSERT_TRUE(settle([&] {
        return run("tinymce.activeEditor.getBody().firstChild.textContent").find(year) != std::string::npos;
    })) << body();
    EXPECT_EQ(run("tinymce.activeEditor.getBody().firstChild.textContent").rfind("Before", 0), 0u)
        << "the date went in at the caret";

    ASSERT_TRUE(save());
    std::string saved = savedPage();
    EXPECT_EQ(saved.find("<table") == std::string::npos, false) << saved;
    std::size_t cells = 0;
    for (std::size_t at = saved.find("<td"); at != std::string::npos; at = saved.find("<td", at + 1))
        ++cells;
    EXPECT_EQ(cells, 9u) << saved;
    EXPECT_NE(saved.find(year), std::string::npos) << saved;
}

// The + menu's Header & Footer panel switches the header and the footer on
// and takes their words as typed: both show in the page, beside the text,
// and are there again, shown, when the saved file is opened anew.
TEST_F(QVTextMenusWindowTest, aHeaderAndFooterSwitchedOnAndTypedInThePanelShowAndComeBackAfterReopening)
{
    openPage("<p>The body text</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    clickBarItem(editor->tools().barItems().insertItemBarButtonItem());
    clickMenuRow("Header & Footer");
    if (HasFatalFailure())
        return;
    EditorInspectors& inspectors = editor->tools().inspectors();
    GtkWidget* panel = nullptr;
    ASSERT_TRUE(settle([&] {
        panel = presenter->widgetForController(*inspectors.inspector(EditorInspectors::Kind::HeaderFooter)->navigationController());
        return panel && gtk_widget_get_mapped(panel);
    })) << "the Header & Footer panel is not on screen";
    auto mappedIn = [&](GType type, const std::string& title) -> GtkWidget* {
        for (GtkWidget* widget : test::descendants(panel, type)) {
            if (!gtk_widget_get_mapped(widget) || gtk_widget_get_allocated_width(widget) <= 1)
                continue;
            std::vector<std::string> texts = test::labelTexts(widget);
            if (title.empty() || std::find(texts.begin(), texts.end(), title) != texts.end())
                return widget;
        }
        return nullptr;
    };
    auto clickButton = [&](const std::string& title) {
        GtkWidget* button = nullptr;
        return settle([&] { return (button = mappedIn(GTK_TYPE_BUTTON, title)) != nullptr; }) && test::clickWidget(button);
    };
    const std::pair<const char*, const char*> parts[] = {{"pageHeader", "Running head words"},
                                                         {"pageFooter", "Running foot words"}};
    for (const auto& part : parts) {
        const char* id = part.first;
        const std::string words = part.second;
        if (std::string(id) == "pageFooter")
            ASSERT_TRUE(clickButton("Footer")) << "no Footer segment";
        ASSERT_TRUE(clickButton("Show")) << id << ": no Show button in the panel";
        GtkWidget* field = nullptr;
        ASSERT_TRUE(settle([&] { return (field = mappedIn(GTK_TYPE_ENTRY, "")) != nullptr; })) << id << ": no field for the words";
        ASSERT_TRUE(test::clickWidget(field));
        ASSERT_TRUE(test::pressKeys("ctrl+a"));
        ASSERT_TRUE(test::typeText(words));
        std::string element = std::string("tinymce.activeEditor.getDoc().getElementById('") + id + "')";
        EXPECT_TRUE(settle([&] { return run(element + ".textContent") == words; })) << id << ": " << body();
    }
    EXPECT_EQ(run("tinymce.activeEditor.getBody().firstElementChild.id"), "pageHeader") << "the header stands before the text";

    closeDocument();
    std::string saved = savedPage();
    open(path, {1000, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    for (const auto& [id, words] : parts) {
        std::string element = std::string("tinymce.activeEditor.getDoc().getElementById('") + id + "')";
        EXPECT_EQ(run(element + ".textContent"), words) << saved;
        EXPECT_EQ(run(element + ".getAttribute('data-enabled')"), "YES") << saved;
        EXPECT_NE(run("tinymce.activeEditor.getWin().getComputedStyle(" + element + ").display"), "none")
            << id << " is switched on but not shown in the page";
        EXPECT_GT(std::stod("0" + run("String(" + element + ".getBoundingClientRect().height)")), 4.0) << id;
    }
}

// Select Paragraph from the key row's menu shows the edit menu pointing at
// the paragraph it selected, wherever the page stands below the bars.
TEST_F(QVTextMenusWindowTest, theEditMenuAfterSelectParagraphPointsAtTheSelectedParagraph)
{
    openPage("<p>First paragraph</p><p>Second paragraph</p><p>Third paragraph with some more words</p>"
             "<p>Fourth paragraph</p>");
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();"
        "e.selection.setCursorLocation(e.getBody().childNodes[2].firstChild,8);})()");
    GtkWidget* key = shownWidget(*editor->tools().keyBars().showMiscToolsMenu());
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(test::clickWidget(key));
    clickMenuRow("Select Paragraph");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] {
        return run("tinymce.activeEditor.selection.getContent({format:'text'})").find("Third paragraph") != std::string::npos;
    })) << "the paragraph is not selected";
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(settle([&] {
        menu = presenter->editMenu();
        return menu && gtk_widget_get_mapped(menu);
    })) << "no edit menu after the selection";
    GdkRectangle pointing{};
    ASSERT_TRUE(gtk_popover_get_pointing_to(GTK_POPOVER(menu), &pointing));
    int menuX = 0;
    int menuY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(gtk_popover_get_relative_to(GTK_POPOVER(menu)), toplevel, pointing.x,
                                                 pointing.y, &menuX, &menuY));
    // The selection's rectangle in the window: the page answers it inside
    // its frame, which stands where the page's widget is.
    std::string box = run("(function(){var e=tinymce.activeEditor;var r=e.selection.getRng().getBoundingClientRect();"
                          "var f=e.getContentAreaContainer().querySelector('iframe').getBoundingClientRect();"
                          "return [r.left+f.left,r.top+f.top,r.right+f.left,r.bottom+f.top].map(Math.round).join(',');})()");
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(box.c_str(), "%d,%d,%d,%d", &left, &top, &right, &bottom), 4) << box;
    int pageX = 0;
    int pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &pageX, &pageY));
    EXPECT_GE(menuY, pageY + top) << "the menu points above the selection (" << box << ")";
    EXPECT_LE(menuY, pageY + bottom + 10) << "the menu points below the selection (" << box << ")";
    EXPECT_GE(menuX, pageX + left - 2) << box;
    EXPECT_LE(menuX, pageX + right + 2) << box;
    // What it offers works on the selection: Copy takes the paragraph.
    Pasteboard::general().setString(u"before");
    clickMenuRow("Copy");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(settle([&] { return Pasteboard::general().string().value_or(u"").find(u"Third paragraph") == 0; }))
        << toUtf8(Pasteboard::general().string().value_or(u""));
}

// The word counter on the banner and the Statistics sheet count the same
// words of the same text: neither counts the hidden header and footer the
// page carries, nor the marks of the page's own bookkeeping.
TEST_F(QVTextMenusWindowTest, theWordCounterAndStatisticsCountTheSameWordsOfTheText)
{
    const std::string hidden = " style=\"visibility:hidden;display: none;height:1.0;overflow: hidden; font-family:Helvetica;"
                               "font-size:12;text-align:right; color:black;\"";
    openPage("<p>One two three four five.</p><p>Six seven eight nine ten.</p>"
             "<div id=\"pageHeader\" contenteditable=false" + hidden + " data-topMargin=\"0.5\" data-enabled=\"NO\">"
             "Header Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]</div>"
             "<div id=\"pageFooter\" contenteditable=false" + hidden + " data-bottomMargin=\"0.5\" data-enabled=\"NO\">"
             " Footer Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]</div>"
             "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></div>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    clickBarItem(editor->tools().barItems().toolsBarButtonItem());
    clickMenuRow("Enable Word Counter");
    if (HasFatalFailure())
        return;
    std::shared_ptr<Label> banner = editor->margins().topAlertBar();
    ASSERT_TRUE(settle([&] { return toUtf8(banner->text()).find("Words") != std::string::npos; })) << toUtf8(banner->text());
    EXPECT_EQ(toUtf8(banner->text()).substr(toUtf8(banner->text()).find("Words")), "Words 10");

    clickBarItem(editor->tools().barItems().toolsBarButtonItem());
    clickMenuRow("Show Statistics");
    if (HasFatalFailure())
        return;
    std::shared_ptr<StatisticsController> statistics = presented<StatisticsController>();
    ASSERT_NE(statistics, nullptr);
    ASSERT_TRUE(settle([&] { return statistics->words() && toUtf8(statistics->words()->text()).find("Words") != std::string::npos; }));
    EXPECT_EQ(toUtf8(statistics->words()->text()), "Words: 10");
    editor->tools().run("toggleWordCounterVisible");
}

// The Find & Replace dialog's Close, clicked with its tooltip showing,
// takes the tooltip away with the dialog.
TEST_F(QVTextMenusWindowTest, closingFindAndReplaceByItsCloseLeavesNoCloseTooltip)
{
    openPage("<p>One apple</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    clickBarItem(editor->tools().barItems().toolsBarButtonItem());
    clickMenuRow("Find & Replace");
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }));
    std::vector<std::string> at = componentsSeparatedByString(
        run("(function(){var b=document.querySelector('.tox-dialog__header button[title]');if(!b)return '';"
            "var r=b.getBoundingClientRect();return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()"),
        ",");
    ASSERT_EQ(at.size(), 2u) << "no Close button in the dialog's header";
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, Point{floatValue(at[0]), floatValue(at[1])}));
    // The page names its tooltip to the view, which then has one to show.
    auto hasTooltip = [&] { return gtk_widget_get_has_tooltip(pageWidget) != FALSE; };
    ASSERT_TRUE(settle(hasTooltip)) << "the pointer over Close shows no tooltip";
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('.tox-dialog').length") == "0"; }))
        << "the click did not close the dialog";
    // Gone, and not named again by the page's late answer to the pointer's arrival.
    EXPECT_TRUE(settle([&] { return !hasTooltip(); })) << "the Close tooltip stays after the dialog went";
    for (int turn = 0; turn < 10; ++turn)
        GtkPresenter::processPendingEvents();
    EXPECT_FALSE(hasTooltip()) << "the Close tooltip came back after the dialog went";
}

// The image options' footnote (the row the QV editors' insertion options
// give it) goes in after the word at the caret, is numbered and drawn in
// the window, and is saved.
TEST_F(QVTextMenusWindowTest, aNewFootnoteGoesInNumberedIsDrawnAndIsSaved)
{
    openPage("<p>Noted words</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    editor->tools().imageOptionSelected(4);
    ASSERT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().querySelectorAll('object.footnote').length") == "1"; }))
        << body();
    EXPECT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().querySelector('object.footnote').textContent") == "[1]"; }))
        << body();
    // The mark is drawn after the words: dark pixels where the page lays it out.
    std::vector<std::string> at = componentsSeparatedByString(
        run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
            "var r=tinymce.activeEditor.getBody().querySelector('object.footnote').getBoundingClientRect();"
            "return [Math.round(f.left+r.left),Math.round(f.top+r.top),Math.round(r.width),Math.round(r.height)].join(',');})()"),
        ",");
    ASSERT_EQ(at.size(), 4u);
    int darkest = 0;
    settle([&] {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-footnote"));
        darkest = 0;
        for (int dx = 0; shot && dx < std::stoi(at[2]); ++dx) {
            for (int dy = 0; dy < std::stoi(at[3]); ++dy) {
                Point point = test::pagePointInWindow(toplevel, pageWidget, {double(std::stoi(at[0]) + dx), double(std::stoi(at[1]) + dy)});
                unsigned rgb = test::pixelAt(shot, int(point.x), int(point.y));
                darkest = std::max(darkest, 765 - int((rgb >> 16) & 0xFF) - int((rgb >> 8) & 0xFF) - int(rgb & 0xFF));
            }
        }
        if (shot)
            g_object_unref(shot);
        return darkest > 300;
    });
    EXPECT_GT(darkest, 300) << "the footnote's mark is not drawn";
    ASSERT_TRUE(save());
    std::string saved = savedPage();
    EXPECT_NE(saved.find("class=\"footnote\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("id=\"footnote_"), std::string::npos) << saved;
}

// The tools row's Find & Replace opens the page's search, which replaces
// what the person typed in it.
TEST_F(QVTextMenusWindowTest, findAndReplaceFromTheToolsRowReplacesWhatThePersonTyped)
{
    openPage("<p>One apple and another apple</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    clickBarItem(editor->tools().barItems().toolsBarButtonItem());
    clickMenuRow("Find & Replace");
    ASSERT_TRUE(settle([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; }))
        << "the tools row opened no search";
    EXPECT_EQ(run("document.querySelector('.tox-dialog__title').textContent"), "Find and Replace");

    gtk_widget_grab_focus(pageWidget);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(settle([&] { return run("document.activeElement && document.activeElement.tagName") == "INPUT"; }))
        << run("document.activeElement && document.activeElement.outerHTML");
    ASSERT_TRUE(test::typeText("apple"));
    ASSERT_TRUE(test::pressKeys("Tab"));
    ASSERT_TRUE(test::typeText("pear"));
    // Return finds; only then does the dialog offer its replacing.
    ASSERT_TRUE(test::pressKeys("Return"));
    ASSERT_TRUE(settle([&] {
        return run("(function(){var b=[].slice.call(document.querySelectorAll('.tox-dialog button')).filter(function(b){"
                   "return b.textContent.trim()==='Replace all';})[0];return b&&!b.disabled?1:0;})()") == "1";
    })) << "the search found nothing to replace";
    // "Replace all", clicked where the dialog shows it.
    std::vector<std::string> at = componentsSeparatedByString(
        run("(function(){var b=[].slice.call(document.querySelectorAll('.tox-dialog button')).filter(function(b){"
            "return b.textContent.trim()==='Replace all';})[0];if(!b)return '';var r=b.getBoundingClientRect();"
            "return Math.round(r.left+r.width/2)+','+Math.round(r.top+r.height/2);})()"),
        ",");
    ASSERT_EQ(at.size(), 2u) << "no Replace all button";
    Point button{floatValue(at[0]), floatValue(at[1])};
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, button));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    EXPECT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().textContent") == "One pear and another pear"; }))
        << run("tinymce.activeEditor.getBody().textContent") << " find field: "
        << run("(function(){var i=document.querySelectorAll('.tox-dialog input');return [].map.call(i,function(e){return e.value;}).join('|');})()");
}

// The page counter of a long document counts its pages, and its down
// button, clicked, shows the second page and says so.
TEST_F(QVTextMenusWindowTest, thePageCountersDownButtonMovesToPageTwoAndTheCounterSaysSo)
{
    std::string text;
    for (int line = 0; line < 200; ++line)
        text += "<p>Line " + std::to_string(line) + " of a text several pages long.</p>";
    // The device is the real screen, and a window narrower than it (as a
    // desktop shows documents) still shows the numbers.
    GdkScreen* screen = gdk_screen_get_default();
    EXPECT_EQ(Device::current().screenBounds().width(), gdk_screen_get_width(screen));
    openPage(text, {double(gdk_screen_get_width(screen)) * 0.7, 900});
    if (HasFatalFailure())
        return;
    QVPageNavigator& pages = editor->pages();
    long long height = std::stoll(run("tinymce.activeEditor.getBody().scrollHeight"));
    std::string total = std::to_string(height / pages.counter().pageHeight());
    ASSERT_GE(std::stoi(total), 3);
    auto total_ = [&] { return toUtf8(pages.pageTotal()->text()); };
    auto number = [&] { return toUtf8(pages.pageNumber()->text()); };
    EXPECT_TRUE(settle([&] { return total_() == total && number() == "1"; }))
        << number() << " / " << total_() << " multitasking " << editor->isInMultitaskingMode() << " shown "
        << pages.isPanelShown() << " state " << run("folioPageScrollState()");
    GtkWidget* panel = shownWidget(*pages.pageUpDownView());
    ASSERT_TRUE(panel) << "no page counter on screen";
    // The counter reads "1 / total" from the top down, each part centred
    // under the up button: the dark pixels of each band between the buttons
    // are centred on the button's middle.
    GtkWidget* up = shownWidget(*pages.pageUpControl());
    ASSERT_NE(up, nullptr);
    int upX = 0, upY = 0, panelX = 0, panelY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(up, toplevel, 0, 0, &upX, &upY));
    ASSERT_TRUE(gtk_widget_translate_coordinates(panel, toplevel, 0, 0, &panelX, &panelY));
    const double middle = upX + gtk_widget_get_allocated_width(up) / 2.0;
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-page-counter"));
    ASSERT_NE(shot, nullptr);
    const char* parts[] = {"the current page", "the slash", "the page count"};
    for (int band = 0; band < 3; ++band) {
        int left = 1 << 30, right = -1;
        for (int y = panelY + 30 + band * 20; y < panelY + 50 + band * 20; ++y) {
            for (int x = panelX; x < panelX + gtk_widget_get_allocated_width(panel); ++x) {
                unsigned rgb = test::pixelAt(shot, x, y);
                if (765 - int((rgb >> 16) & 0xFF) - int((rgb >> 8) & 0xFF) - int(rgb & 0xFF) > 300) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_GE(right, left) << parts[band] << " is not drawn";
        EXPECT_NEAR((left + right) / 2.0, middle, 3) << parts[band] << " is not centred under the buttons";
    }
    g_object_unref(shot);

    GtkWidget* down = shownWidget(*pages.pageDownControl());
    ASSERT_NE(down, nullptr);
    ASSERT_TRUE(test::clickWidget(down));
    EXPECT_TRUE(settle([&] { return number() == "2"; })) << number();
    std::string offset = std::to_string(pages.counter().pageHeight());
    EXPECT_TRUE(settle([&] { return run("folioPageScrollState().split('_')[0]") == offset; }))
        << run("folioPageScrollState()");
    // The text moved: the first line is no longer at the top of the page.
    EXPECT_EQ(run("(function(){var p=tinymce.activeEditor.getBody().firstChild.getBoundingClientRect();"
                  "var f=tinymce.activeEditor.getContainer().getBoundingClientRect();return f.top+p.bottom<0?1:0;})()"),
              "1");
    EXPECT_EQ(total_(), total);
}

// "User Style 2" with no style stored under it says so.
TEST_F(QVTextMenusWindowTest, anUndefinedUserStyleShowsTheStyleUndefinedAlert)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::optional<std::string> stored = defaults.stringForKey("defaultFont2");
    defaults.removeObjectForKey("defaultFont2");
    openPage("<p>Styled words</p>");
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody().firstChild,true);})()");
    std::shared_ptr<Button> other = editor->tools().keyBars().styleButton("showOtherCommandsMenu");
    ASSERT_NE(other, nullptr);
    GtkWidget* button = shownWidget(*other);
    ASSERT_NE(button, nullptr) << "the style bar is not on screen";
    ASSERT_TRUE(test::clickWidget(button));
    std::shared_ptr<TableViewController> styles = presented<TableViewController>();
    ASSERT_NE(styles, nullptr) << "no styles list";
    clickPickerRow(*styles, 2);
    std::shared_ptr<AlertController> alert = presented<AlertController>();
    ASSERT_NE(alert, nullptr) << "no alert";
    EXPECT_EQ(alert->title(), u"Style Undefined");
    GtkWidget* shown = nullptr;
    EXPECT_TRUE(settle([&] {
        shown = presenter->widgetForController(*alert);
        return shown && gtk_widget_get_mapped(shown);
    })) << "the alert is not on screen";
    if (shown) {
        auto texts = test::labelTexts(shown);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Style Undefined"), texts.end());
    }
    alert->dismissViewControllerAnimated(false);
    if (stored)
        defaults.setString("defaultFont2", *stored);
}

// A custom key's symbol goes in at the size of the text around it.
TEST_F(QVTextMenusWindowTest, aCustomKeysSymbolGoesInAtTheTextsSize)
{
    // The first row of keys is the bar chosen last time.
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::optional<long long> chosen = defaults.integerForKey(QVTextKeyBars::kSelectedBarKey);
    defaults.setInteger(QVTextKeyBars::kSelectedBarKey, static_cast<long long>(QVTextKeyBars::Bar::KeysRow1));
    struct Restore {
        UserDefaults& defaults;
        std::optional<long long> chosen;
        ~Restore()
        {
            if (chosen)
                defaults.setInteger(QVTextKeyBars::kSelectedBarKey, *chosen);
            else
                defaults.removeObjectForKey(QVTextKeyBars::kSelectedBarKey);
        }
    } restore{defaults, chosen};
    openPage("<p><span style=\"font-size: 24pt;\">Large words</span></p>");
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var t=e.getBody().firstChild.firstChild.firstChild;"
        "e.selection.setCursorLocation(t,5);})()");
    QVTextKeyBars& bars = editor->tools().keyBars();
    ASSERT_FALSE(bars.customButtons().empty());
    const std::shared_ptr<Button>& key = bars.customButtons().front();
    std::string typed = toUtf8(key->currentTitle());
    ASSERT_FALSE(typed.empty());
    GtkWidget* keyWidget = shownWidget(*key);
    GtkWidget* rowWidget = GtkViewBuilder::widgetForView(toplevel, *bars.keysToolbar1());
    GtkWidget* styleWidget = GtkViewBuilder::widgetForView(toplevel, *bars.styleToolbar());
    ASSERT_NE(keyWidget, nullptr) << "row widget " << (rowWidget != nullptr) << " style widget " << (styleWidget != nullptr)
                                   << " the key row is not on screen: accessory "
                                   << (bars.inputAccessoryView() != nullptr) << " row hidden "
                                   << bars.keysToolbar1()->isHidden() << " key superview "
                                   << (key->superview() != nullptr);
    ASSERT_TRUE(test::clickWidget(keyWidget));
    ASSERT_TRUE(settle([&] {
        return run("tinymce.activeEditor.getBody().textContent").find(typed) != std::string::npos;
    })) << body();
    // The inserted span is drawn at the text's size: 24 points are 32 pixels.
    std::string sizes = run(
        "(function(){var w=tinymce.activeEditor.getWin();var spans=tinymce.activeEditor.getBody().querySelectorAll('span span');"
        "var s=spans[spans.length-1];return w.getComputedStyle(s).fontSize+' '+w.getComputedStyle(s.parentNode).fontSize;})()");
    EXPECT_EQ(sizes, "32px 32px") << body();
}

// A picture's frame and menu go when the person clicks into the text.
TEST_F(QVTextMenusWindowTest, aClickIntoTheTextTakesThePicturesFrameAndMenuAway)
{
    openPage("<p>Words before the picture and after it.</p><p>More words below.</p>");
    if (HasFatalFailure())
        return;
    caretAtEnd();
    std::vector<std::uint8_t> pixels(120 * 90 * 4, 90);
    QVPictureCommands& pictures = editor->pictures();
    ASSERT_TRUE(pictures.insertImage(Image::imageWithPixels(120, 90, std::move(pixels)).value()));
    ASSERT_TRUE(settle([&] { return pictures.currentlyImageResizableView() != nullptr; }));
    std::shared_ptr<UserResizableView> frame = pictures.currentlyImageResizableView();
    ASSERT_TRUE(frame->superview()) << "the frame is not over the page";

    // Into the first line's words, far from the picture.
    std::vector<std::string> at = componentsSeparatedByString(
        run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
            "var p=tinymce.activeEditor.getBody().firstChild.getBoundingClientRect();"
            "return Math.round(f.left+p.left+20)+','+Math.round(f.top+p.top+p.height/2);})()"),
        ",");
    ASSERT_EQ(at.size(), 2u);
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {floatValue(at[0]), floatValue(at[1])}));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    EXPECT_TRUE(settle([&] { return pictures.currentlyImageResizableView() == nullptr; })) << "the frame stayed";
    EXPECT_EQ(frame->superview(), nullptr) << "the frame is still over the page";
    EXPECT_FALSE(MenuController::shared().isMenuVisible()) << "the picture's menu stayed";
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('#imageSelected_555').length"), "0");
}

// A picture another program wrote, sized by its attributes alone, keeps
// what it shows through a crop chosen from its menu with the real pointer:
// the saved picture is still red on the left and blue on the right.
TEST_F(QVTextMenusWindowTest, aPictureSizedByItsAttributesKeepsItsColoursThroughACrop)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x)
            pixels.insert(pixels.end(), {std::uint8_t(x < 100 ? 255 : 0), 0, std::uint8_t(x < 100 ? 0 : 255), 255});
    }
    Result<std::vector<std::uint8_t>> png = Image::imageWithPixels(200, 100, std::move(pixels)).value()->pngData();
    ASSERT_TRUE(png);
    openPage("<p>A picture:</p><p><img src=\"data:image/png;base64," + base64Encode(*png, false)
             + "\" width=\"200\" height=\"100\"></p><p>Words below.</p>");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().querySelector('img').complete?1:0") == "1"; }));
    std::vector<std::string> at = componentsSeparatedByString(
        run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
            "var p=tinymce.activeEditor.getBody().querySelector('img').getBoundingClientRect();"
            "return Math.round(f.left+p.left+p.width/2)+','+Math.round(f.top+p.top+p.height/2);})()"),
        ",");
    ASSERT_EQ(at.size(), 2u);
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {floatValue(at[0]), floatValue(at[1])}));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    QVPictureCommands& pictures = editor->pictures();
    ASSERT_TRUE(settle([&] { return pictures.currentlyImageResizableView() != nullptr; })) << "no frame on the picture";
    clickMenuRow("Crop");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return pictures.cropper() != nullptr; })) << "the crop did not start";
    clickMenuRow("Crop");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("tinymce.activeEditor.getBody().querySelector('img').src").rfind("data:image/jpeg", 0) == 0; }))
        << body();

    ASSERT_TRUE(save());
    std::string saved = savedPage();
    std::size_t start = saved.find("base64,");
    ASSERT_NE(start, std::string::npos) << saved;
    start += 7;
    std::size_t end = saved.find('"', start);
    Result<Image::Pointer> picture = Image::imageWithData(base64Decode(std::string_view(saved).substr(start, end - start)));
    ASSERT_TRUE(picture);
    const Image& image = **picture;
    ASSERT_GT(image.pixelWidth(), 20);
    auto colourAt = [&](int x) {
        const std::uint8_t* p = &image.rgbaPixels()[(static_cast<std::size_t>(image.pixelHeight() / 2) * image.pixelWidth() + x) * 4];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    std::array<int, 3> left = colourAt(5);
    std::array<int, 3> right = colourAt(image.pixelWidth() - 6);
    EXPECT_TRUE(left[0] > 200 && left[2] < 60) << "left " << left[0] << "," << left[1] << "," << left[2];
    EXPECT_TRUE(right[2] > 200 && right[0] < 60) << "right " << right[0] << "," << right[1] << "," << right[2];
}

} // namespace
} // namespace folio
