#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "richtext/KeyBar.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/RichTextTools.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/TypewriterMode.h"
#include "richtext/RichTextViewingTools.h"
#include "richtext/RichTextWritingTools.h"
#include "platform/foundation/UserDefaults.h"
#include "tools/inspectors/ControlSlices.h"
#include "webeditor/EditorInspectors.h"
#include "webeditor/FindCommander.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/ui/Label.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkScreenshot.h"
#include "webeditor/WebPageViewer.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "richtext/RichTextStyling.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/ruler/RulerRangeSlider.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// The rich-text editor's menus as a person uses them: words chosen on the
// page, the menu opened from its key with the real pointer, a row clicked,
// and what the page shows and the saved file holds read back.
class RichTextMenuCommandsWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextMenuCommandsWindowTest() : EditorWindowTest(EditorKind::RichText, "menu-commands-window") {}

    void openParagraphs(const std::vector<std::string>& paragraphs)
    {
        std::string body;
        for (const std::string& paragraph : paragraphs)
            body += "\\pard " + paragraph + "\\par\n";
        m_path = folder.path("menus.rtf");
        writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs28\n" + body + "}");
        open(m_path, {1000, 900}, Root::Navigation);
    }

    // Selects from the start of some words to the end of others and gives
    // the page the keyboard; the same words twice with `caretOnly` place the
    // caret at the end of them.
    void select(const std::string& from, const std::string& to, bool caretOnly = false)
    {
        run("(function(){function at(words,end){var w=document.createTreeWalker(document.getElementById('content'),"
            "NodeFilter.SHOW_TEXT);while(w.nextNode()){var t=w.currentNode;var i=t.data.indexOf(words);"
            "if(i>=0)return [t,end?i+words.length:i];}}var a=at('" + from + "'," + (caretOnly ? "true" : "false") +
            "),b=at('" + to + "',true);var r=document.createRange();r.setStart(a[0],a[1]);"
            "r.setEnd(b[0],b[1]);document.getElementById('content').focus();var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);})()");
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

    // A row or button of that title on screen, in the window or in any
    // menu, panel or list shown over it.
    GtkWidget* shownControl(const std::string& title)
    {
        std::vector<GtkWidget*> places{presenter->menuPopover()};
        for (auto shown = document->viewControllerToPresent()->presentedViewController(); shown;
             shown = shown->presentedViewController())
            places.push_back(presenter->widgetForController(*shown));
        GList* windows = gtk_window_list_toplevels();
        for (GList* window = windows; window; window = window->next)
            places.push_back(GTK_WIDGET(window->data));
        g_list_free(windows);
        for (GtkWidget* place : places) {
            for (GType type : {GTK_TYPE_LIST_BOX_ROW, GTK_TYPE_BUTTON}) {
                for (GtkWidget* control : place ? test::descendants(place, type) : std::vector<GtkWidget*>{}) {
                    std::vector<std::string> texts = test::labelTexts(control);
                    if (gtk_widget_get_mapped(control) && gtk_widget_get_allocated_width(control) > 1 &&
                        std::find(texts.begin(), texts.end(), title) != texts.end())
                        return control;
                }
            }
        }
        return nullptr;
    }

    void click(const std::string& title)
    {
        GtkWidget* control = nullptr;
        ASSERT_TRUE(settle([&] { return (control = shownControl(title)) != nullptr; })) << "no " << title << " on screen";
        ASSERT_TRUE(test::clickWidget(control)) << title;
    }

    void clickView(const View& view)
    {
        GtkWidget* widget = nullptr;
        ASSERT_TRUE(settle([&] {
            widget = GtkViewBuilder::widgetForView(toplevel, view);
            return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1;
        })) << "the key is not on screen";
        ASSERT_TRUE(test::clickWidget(widget));
    }

    // The style menu's row, from the ¶ key of the style key row.
    void chooseStyle(const std::string& row)
    {
        KeyBar& keys = editor->editingTools().keyBar();
        keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keys.removeFormBar();
        clickView(*keys.otherCommandsKey());
        click(row);
    }

    std::string pageText() { return run("document.getElementById('content').innerText.replace(/\\n+/g,'|')"); }

    std::string items()
    {
        return run("Array.prototype.map.call(document.querySelectorAll('#content li'),function(li){"
                   "return li.textContent.replace(/\\uFEFF/g,'').replace(/\\u00A0/g,' ');}).join('|')");
    }

    std::u16string savedText()
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(m_path)));
        EXPECT_TRUE(read.ok());
        return read.ok() ? read->text.string() : u"";
    }

    void clickBarItem(const std::shared_ptr<BarButtonItem>& item)
    {
        GtkWidget* button = presenter->widgetForBarButtonItem(*item);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(settle([&] { return gtk_widget_get_mapped(button); }));
        ASSERT_TRUE(test::clickWidget(button));
    }

    // How many pixels the window draws in red along the bottom of the
    // word's first place on the page, where a misspelling is underlined.
    int redUnder(const std::string& word)
    {
        std::string box = run("(function(w){var k=document.createTreeWalker(document.getElementById('content'),"
                              "NodeFilter.SHOW_TEXT);while(k.nextNode()){var t=k.currentNode,i=t.data.indexOf(w);"
                              "if(i<0)continue;var r=document.createRange();r.setStart(t,i);r.setEnd(t,i+w.length);"
                              "var b=r.getBoundingClientRect();return Math.round(b.left)+','+Math.round(b.top)+','+"
                              "Math.round(b.width)+','+Math.round(b.height);}return '';})('" + word + "')");
        int left = 0, top = 0, width = 0, height = 0;
        if (std::sscanf(box.c_str(), "%d,%d,%d,%d", &left, &top, &width, &height) != 4)
            return -1;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rich-text-spelling"));
        if (!shot)
            return -2;
        int x0 = 0, y0 = 0;
        gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &x0, &y0);
        int red = 0;
        for (int x = left; x < left + width; ++x) {
            for (int y = top + height / 2; y < top + height + 4; ++y) {
                unsigned pixel = test::pixelAt(shot, x0 + x, y0 + y);
                if (int((pixel >> 16) & 0xFF) > 150 && int((pixel >> 8) & 0xFF) < 110 && int(pixel & 0xFF) < 110)
                    ++red;
            }
        }
        g_object_unref(shot);
        return red;
    }

    // Sixty lines, each with a footnote: a page count to show.
    void openNotedLines()
    {
        std::string body;
        for (int i = 0; i < 60; ++i)
            body += "Line " + std::to_string(i) + " of the text{\\*\\footnote {\\chftn} A note}.\\par\n";
        m_path = folder.path("noted.rtf");
        writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs28 " + body + "}");
        open(m_path, {1000, 900}, Root::Navigation);
    }

    std::string m_path;
};

// The list entries keep the words chosen: the paragraphs the selection
// covers become the list's items, and nothing of them is lost on saving.
TEST_F(RichTextMenuCommandsWindowTest, theStyleMenusListsMakeTheSelectedParagraphsItsItems)
{
    struct Case {
        const char* row;
        const char* from;
        const char* to;
        const char* items;
    };
    for (Case c : {Case{"Bulleted List", "Pears", "Pears", "Pears are green."},
                   Case{"Numbered List", "Pears", "blue.", "Pears are green.|Plums are blue."}}) {
        SCOPED_TRACE(c.row);
        openParagraphs({"Apples are red.", "Pears are green.", "Plums are blue."});
        if (HasFatalFailure())
            return;
        select(c.from, c.to);
        chooseStyle(c.row);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(settle([&] { return items() == c.items; })) << items() << " in " << pageText();
        EXPECT_EQ(pageText().find("Apples are red.|Pears are green.|Plums are blue."), 0u) << pageText();
        ASSERT_TRUE(save());
        std::u16string saved = savedText();
        for (const char16_t* words : {u"Apples are red.", u"Pears are green.", u"Plums are blue."})
            EXPECT_NE(saved.find(words), std::u16string::npos) << toUtf8(words) << " is not in " << toUtf8(saved);
        closeDocument();
    }
}

// A file's side margins, from the file to the page and back: the page is
// indented by them as soon as it opens, and a handle dragged on the ruler
// changes its own margin only, the other one saved as the file gave it.
TEST_F(RichTextMenuCommandsWindowTest, theFilesMarginsIndentThePageAndADraggedHandleMovesOnlyItsOwn)
{
    struct Case {
        bool lower;
        double dx;
        const char* kept;
        const char* moved;
    };
    for (Case c : {Case{true, 40, "margr", "margl"}, Case{false, -40, "margl", "margr"}}) {
        SCOPED_TRACE(c.lower ? "left handle" : "right handle");
        m_path = folder.path("margins.rtf");
        writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\paperw12240\\paperh15840"
                          "\\margl4000\\margr567\\f0\\fs24 Harbour lights over the quiet water.\\par}");
        open(m_path, {1000, 900}, Root::Navigation);
        if (HasFatalFailure())
            return;
        // 4000 and 567 twips: 7.06 and 1.00 cm, in that ratio on the page
        // whatever the screen's scale.
        double left = 0;
        double right = 0;
        EXPECT_TRUE(settle([&] {
            left = std::atof(run("getComputedStyle(document.getElementById('content')).marginLeft").c_str());
            right = std::atof(run("getComputedStyle(document.getElementById('content')).marginRight").c_str());
            return right > 0 && std::fabs(left / right - 4000.0 / 567.0) < 0.1;
        })) << "the page is indented " << left << " and " << right << " px";

        // The text-tools panel, opened from its key, reads the same margins.
        KeyBar& keys = editor->editingTools().keyBar();
        keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keys.removeFormBar();
        clickView(*keys.panelKey(KeyBar::Panel::TextTools));
        if (HasFatalFailure())
            return;
        EditorInspectors& inspectors = editor->tools().inspectors();
        ASSERT_TRUE(settle([&] { return inspectors.isVisible(EditorInspectors::Kind::TextTools); }));
        std::string shownLeft;
        std::string shownRight;
        for (const auto& slice : inspectors.inspector(EditorInspectors::Kind::TextTools)->mainPane()->slices()) {
            auto stepper = std::dynamic_pointer_cast<StepperSlice>(slice);
            if (stepper && stepper->identifier() == "DKPageLeftMarginSlice")
                shownLeft = toUtf8(stepper->valueLabel()->text());
            if (stepper && stepper->identifier() == "DKPageRightMarginSlice")
                shownRight = toUtf8(stepper->valueLabel()->text());
        }
        EXPECT_EQ(shownLeft, "7.06 cm");
        EXPECT_EQ(shownRight, "1.00 cm");
        inspectors.inspector(EditorInspectors::Kind::TextTools)->dismissAnimated(false);

        RulerRangeSlider& ruler = editor->margins().slider();
        GtkWidget* widget = nullptr;
        ASSERT_TRUE(settle([&] {
            widget = GtkViewBuilder::widgetForView(toplevel, ruler);
            return widget && gtk_widget_get_mapped(widget) && ruler.lowerHandle();
        }));
        // Where the ruler stands on screen once the window has settled.
        int centreX = 0;
        int centreY = 0;
        ASSERT_TRUE(test::waitUntilStill(widget, centreX, centreY));
        Point handle = c.lower ? ruler.lowerCenter() : ruler.upperCenter();
        int fromX = centreX - gtk_widget_get_allocated_width(widget) / 2 + int(handle.x);
        int fromY = centreY;
        const float other = c.lower ? ruler.upperValue() : ruler.lowerValue();
        ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(fromX), std::to_string(fromY), "mousedown", "1"}));
        GtkPresenter::processPendingEvents();
        for (int step = 1; step <= 4; ++step) {
            ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(fromX + int(c.dx * step / 4)),
                                          std::to_string(fromY)}));
            GtkPresenter::processPendingEvents();
        }
        ASSERT_TRUE(test::releasePointer());
        // The ruler tells the editor once its handle has settled on a step.
        auto settled = [&] {
            char text[16];
            std::snprintf(text, sizeof text, "%.2f", c.lower ? ruler.lowerValue() : ruler.upperValue());
            return (c.lower ? document->docLeftMargin() : document->docRightMargin()) == std::optional<std::string>(text);
        };
        EXPECT_TRUE(settle(settled));
        EXPECT_EQ(c.lower ? ruler.upperValue() : ruler.lowerValue(), other) << "the other handle moved";

        ASSERT_TRUE(save());
        const std::string rtf = readFile(m_path);
        auto twips = [&](const std::string& word) {
            std::smatch found;
            return std::regex_search(rtf, found, std::regex("\\\\" + word + "(-?[0-9]+)")) ? std::stoi(found[1]) : -1;
        };
        EXPECT_NEAR(twips(c.kept), c.lower ? 567 : 4000, 3) << rtf.substr(0, 300);
        EXPECT_NE(twips(c.moved), c.lower ? 4000 : 567) << rtf.substr(0, 300);
        closeDocument();
    }
}

// With spell checking switched on from the tools menu, a misspelling typed
// is underlined as it is finished, and a word spelled right is not.
TEST_F(RichTextMenuCommandsWindowTest, checkSpellingUnderlinesAMisspellingAsItIsTyped)
{
    openParagraphs({"Quiet harbour lights.", "The water is calm."});
    if (HasFatalFailure())
        return;
    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Enable Check Spelling");
    if (HasFatalFailure())
        return;
    select("calm.", "calm.", true);
    type(" Tomorow the boat ");
    int red = 0;
    EXPECT_TRUE(settle([&] { return (red = redUnder("Tomorow")) > 3; })) << red << " red pixels under the misspelling";
    EXPECT_TRUE(settle([&] { return (red = redUnder("boat")) >= 0; }));
    EXPECT_EQ(red, 0) << "a word spelled right is underlined";
}

// Check Spelling in the key row's tools menu chooses the next misspelled word from
// the caret on, as desktop editors do, and the next time the one after it,
// coming round to the top at the end.
TEST_F(RichTextMenuCommandsWindowTest, checkSpellingChoosesTheNextMisspelledWord)
{
    openParagraphs({"Quiet bay lights.", "The watter is calm and the boatt is still."});
    if (HasFatalFailure())
        return;
    select("Quiet", "Quiet", true);
    const std::string chosen = "String(getSelection())";
    KeyBar& keys = editor->editingTools().keyBar();
    keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
    keys.removeFormBar();
    for (const char* expected : {"watter", "boatt", "watter"}) {
        clickView(*keys.miscToolsKey());
        click("Check Spelling");
        if (HasFatalFailure())
            return;
        std::string selected;
        EXPECT_TRUE(settle([&] { return (selected = run(chosen)) == expected; }))
            << "Check Spelling chose \"" << selected << "\", not " << expected;
    }
    // The word chosen is the page's, ready to be typed over.
    type("water");
    EXPECT_TRUE(settle([&] { return pageText().find("The water is calm and the boatt") != std::string::npos; }))
        << pageText();
}

// A date inserted right after a horizontal line takes the text's colour,
// not the line's grey.
TEST_F(RichTextMenuCommandsWindowTest, aDateAfterAHorizontalLineIsInTheTextsColour)
{
    m_path = folder.path("line.rtf");
    writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}{\\colortbl;\\red0\\green0\\blue160;}"
                      "\\f0\\fs28\\cf1 Dark blue words.\\par}");
    open(m_path, {1000, 900}, Root::Navigation);
    if (HasFatalFailure())
        return;
    select("words.", "words.", true);
    const std::string year = std::to_string(1900 + [] { std::time_t now = std::time(nullptr); return std::localtime(&now)->tm_year; }());
    for (const char* row : {"\u2014 Horizontal Line", "\U0001F556 Date & Time"}) {
        clickBarItem(editor->styling().barItems().insertItemBarButtonItem());
        click("Insert Markers/Symbols");
        click(row);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(settle([&] { return run("String(document.querySelectorAll('#content hr').length)") == "1"; }));
    }
    const std::string colours =
        "(function(y){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT),"
        "text='',date='';while(w.nextNode()){var c=getComputedStyle(w.currentNode.parentNode).color;"
        "if(w.currentNode.data.indexOf('words')>=0)text=c;if(w.currentNode.data.indexOf(y)>=0)date=c;}"
        "return text+'|'+date;})('" + year + "')";
    std::string shown;
    EXPECT_TRUE(settle([&] { return (shown = run(colours)).find("|rgb") != std::string::npos; })) << pageText();
    EXPECT_EQ(shown, "rgb(0, 0, 160)|rgb(0, 0, 160)") << "text colour | date colour";
}

// Full screen shows the page to read: the key row goes with the editing
// and comes back when the mode ends. Typewriter mode keeps the page control
// hidden, even when the page scrolls under it.
TEST_F(RichTextMenuCommandsWindowTest, fullScreenTakesTheKeyRowAwayAndTypewriterModeThePageControl)
{
    openNotedLines();
    if (HasFatalFailure())
        return;
    auto shown = [&](const std::shared_ptr<View>& view) {
        GtkWidget* widget = view ? GtkViewBuilder::widgetForView(toplevel, *view) : nullptr;
        return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1;
    };
    auto keyRow = [&] { return editor->editingTools().keyBar().systemAKRow(); };
    const std::shared_ptr<View>& pageControl = editor->pageControl().pageUpDownView();
    ASSERT_TRUE(settle([&] { return shown(keyRow()) && shown(pageControl); })) << "no key row or page control";

    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Full Screen View");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return editor->viewing().modes->isFullScreenDocumentMode(); }));
    EXPECT_TRUE(settle([&] { return !shown(keyRow()); })) << "the key row stays over the read-only page";
    clickView(*editor->viewing().modes->exitFullScreenMode());
    EXPECT_TRUE(settle([&] { return shown(keyRow()); })) << "the key row did not come back";

    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Typewriter Mode");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return editor->viewing().typewriter->isTypewriterMode(); }));
    EXPECT_TRUE(settle([&] { return !shown(pageControl); })) << "typewriter mode shows the page control";
    // A scroll of the page asks for the control again.
    run("document.getElementById('content').scrollTop=400;window.scrollTo(0,400);");
    ASSERT_TRUE(settle([&] { return !editor->isEditorScrollingView(); }));
    EXPECT_FALSE(shown(pageControl)) << "a scroll brought the page control back in typewriter mode";
    clickView(*editor->viewing().modes->exitFullScreenMode());
    EXPECT_TRUE(settle([&] { return shown(pageControl); })) << "the page control did not come back";
}

// In dark night the footnote marks and the page numbers stand out light on
// the dark page.
TEST_F(RichTextMenuCommandsWindowTest, darkNightDrawsFootnoteMarksAndPageNumbersLight)
{
    UserDefaults::standardUserDefaults().setBool("darknightMode", false);
    openNotedLines();
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return !editor->pageControl().pageUpDownView()->isHidden(); }));
    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Enable Dark Night Mode");
    if (HasFatalFailure())
        return;
    // The light pixels of a place that is mostly dark: ink to be read on
    // the dark page (none while the page is still light).
    auto light = [&](GdkPixbuf* shot, int left, int top, int width, int height) {
        int count = 0;
        int dark = 0;
        for (int x = left; x < left + width; ++x) {
            for (int y = top; y < top + height; ++y) {
                unsigned pixel = test::pixelAt(shot, x, y);
                int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                count += r > 0xB0 && g > 0xB0 && b > 0xB0;
                dark += r < 0x60 && g < 0x60 && b < 0x60;
            }
        }
        return 2 * dark > width * height ? count : 0;
    };
    int x0 = 0, y0 = 0;
    gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &x0, &y0);
    int mark = 0, number = 0, total = 0;
    std::string box;
    auto measure = [&] {
        // A mark wholly on screen, wherever the page is scrolled.
        box = run("(function(){var m=document.querySelectorAll('#content object.footnote');for(var i=0;i<m.length;++i){"
                  "var b=m[i].getBoundingClientRect();if(b.top>=0&&b.bottom<=innerHeight-40)return Math.round(b.left)+','+"
                  "Math.round(b.top)+','+Math.round(b.width)+','+Math.round(b.height);}return '';})()");
        int left = 0, top = 0, width = 0, height = 0;
        if (std::sscanf(box.c_str(), "%d,%d,%d,%d", &left, &top, &width, &height) != 4)
            return false;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rich-text-dark-night-marks"));
        if (!shot)
            return false;
        mark = light(shot, x0 + left, y0 + top, width, height);
        auto labelLight = [&](const std::shared_ptr<Label>& label) {
            GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, *label);
            int x = 0, y = 0;
            if (!widget || !gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y))
                return 0;
            return light(shot, x, y, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget));
        };
        number = labelLight(editor->pageControl().pageNumber());
        total = labelLight(editor->pageControl().pageTotal());
        g_object_unref(shot);
        return mark > 5 && number > 3 && total > 3;
    };
    EXPECT_TRUE(settle(measure)) << "light pixels: footnote mark " << mark << " at " << box << ", page number " << number
                                 << ", page count " << total;
    UserDefaults::standardUserDefaults().setBool("darknightMode", false);
}

// A new footnote or comment stands right after the words chosen, or right
// after the word the caret ends, never a word further on.
TEST_F(RichTextMenuCommandsWindowTest, aNewFootnoteOrCommentStandsAfterTheWordChosen)
{
    struct Case {
        const char* row;
        const char* from;
        const char* to;
        bool caretOnly;
        const char* note;
        const char* before;
    };
    for (Case c : {Case{"[1] Footnote", "Apple", "Apple", false, "footnote", "Apple"},
                   Case{"\U0001F4AC Comment", "sweet.", "sweet.", true, "annotation", "Apple pie is sweet."}}) {
        SCOPED_TRACE(c.row);
        openParagraphs({"Apple pie is sweet.", "Berry tart is sour."});
        if (HasFatalFailure())
            return;
        select(c.from, c.to, c.caretOnly);
        clickBarItem(editor->styling().barItems().insertItemBarButtonItem());
        click("Insert Markers/Symbols");
        click(c.row);
        if (HasFatalFailure())
            return;
        // The page's words before the new note.
        const std::string before = "(function(){var n=document.querySelector('#content object." + std::string(c.note) +
            "');if(!n)return '';var r=document.createRange();r.setStart(document.getElementById('content'),0);"
            "r.setEndBefore(n);return r.toString().replace(/[\\s\\u00A0\\uFEFF]+$/,'');})()";
        std::string words;
        EXPECT_TRUE(settle([&] { return !(words = run(before)).empty(); })) << "no new note in " << pageText();
        EXPECT_EQ(words.substr(words.size() - std::min(words.size(), std::strlen(c.before))), c.before)
            << "the note follows " << words;
        editor->dismissViewControllerAnimated(false);
        closeDocument();
    }
}

// Double Space and then Normal Space from the key row's tools menu: each
// spaces every paragraph of the document, the second undoing the first.
TEST_F(RichTextMenuCommandsWindowTest, normalSpaceRightAfterDoubleSpaceSpacesEveryParagraphAgain)
{
    openParagraphs({"Apple pie is sweet.", "Berry tart is sour.", "Cherry cake is red."});
    if (HasFatalFailure())
        return;
    select("Berry", "Berry", true);
    const std::string spacing = "Array.prototype.map.call(document.querySelectorAll('#paragraph > div'),function(d){"
                                "return d.style.lineHeight;}).join('|')";
    KeyBar& keys = editor->editingTools().keyBar();
    keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
    keys.removeFormBar();
    for (const auto& step : {std::pair{"Double Space", "2|2|2"}, std::pair{"Normal Space", "1|1|1"}}) {
        const char* row = step.first;
        const std::string each = step.second;
        SCOPED_TRACE(row);
        clickView(*keys.miscToolsKey());
        click(row);
        if (HasFatalFailure())
            return;
        std::string shown;
        EXPECT_TRUE(settle([&] { return (shown = run(spacing)) == each; })) << shown;
    }
}

// Take Photo in the insert panels answers as the top bar's does: the
// camera, or an alert saying why there is none, never nothing.
TEST_F(RichTextMenuCommandsWindowTest, takePhotoInTheInsertPanelsAnswers)
{
    for (KeyBar::Panel panel : {KeyBar::Panel::InsertItem, KeyBar::Panel::InsertImage}) {
        SCOPED_TRACE(static_cast<int>(panel));
        openParagraphs({"Apple pie is sweet."});
        if (HasFatalFailure())
            return;
        KeyBar& keys = editor->editingTools().keyBar();
        keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keys.removeFormBar();
        clickView(*keys.panelKey(panel));
        click("Take Photo");
        if (HasFatalFailure())
            return;
        auto alertShown = [&] {
            for (std::shared_ptr<ViewController> from : std::vector<std::shared_ptr<ViewController>>{document->viewControllerToPresent(), std::static_pointer_cast<ViewController>(editor->shared_from_this())}) {
                for (auto shown = from->presentedViewController(); shown; shown = shown->presentedViewController()) {
                    if (dynamic_cast<AlertController*>(shown.get()))
                        return true;
                }
            }
            return false;
        };
        EXPECT_TRUE(settle(alertShown)) << "Take Photo did nothing";
        closeDocument();
    }
}

// With the word counter on, a paste from the menus counts at once: the
// banner shows the pasted words before any key.
TEST_F(RichTextMenuCommandsWindowTest, theWordCounterCountsAPasteAtOnce)
{
    openParagraphs({"Apple pie"});
    if (HasFatalFailure())
        return;
    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Enable Word Counter");
    if (HasFatalFailure())
        return;
    select("pie", "pie", true);
    const std::shared_ptr<Label>& banner = editor->margins().topAlertBar();
    EXPECT_TRUE(settle([&] { return toUtf8(banner->text()).find("Words 2") != std::string::npos; })) << toUtf8(banner->text());
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " is sweet", -1);
    GtkPresenter::processPendingEvents();
    // From the key row's tools menu, so that no key refreshes the count.
    KeyBar& keys = editor->editingTools().keyBar();
    keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
    keys.removeFormBar();
    clickView(*keys.miscToolsKey());
    click("Paste As Plain Text");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(settle([&] { return pageText().find("is sweet") != std::string::npos; })) << pageText();
    EXPECT_TRUE(settle([&] { return toUtf8(banner->text()).find("Words 4") != std::string::npos; })) << toUtf8(banner->text());
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
}

// A plain click into a link puts the caret among its words to edit them;
// Ctrl with the click opens it in the program's own browser, as in the QV
// editors, not through the desktop. Web Research opens there too.
TEST_F(RichTextMenuCommandsWindowTest, aLinkIsEditedByAClickOpenedByCtrlClickAndResearchOpensInTheProgramsBrowser)
{
    m_path = folder.path("link.rtf");
    writeFile(m_path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs28 See the "
                      "{\\field{\\*\\fldinst HYPERLINK \"https://127.0.0.1:9/harbour\"}{\\fldrslt harbour}} today.\\par}");
    open(m_path, {1000, 900}, Root::Navigation);
    if (HasFatalFailure())
        return;
    auto browserShown = [&] { return editor->webPageViewer() && editor->webPageViewer()->navigationController(); };
    Point word = test::pointFromAnswer(run(test::wordStartScript("harbour", test::PageText::ContentElement)));
    ASSERT_GE(word.x, 0) << pageText();
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {word.x + 4, word.y}));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    const std::string caretInLink =
        "(function(){var s=getSelection();var n=s.anchorNode;n=n&&n.nodeType===3?n.parentNode:n;"
        "return String(s.isCollapsed&&!!n&&!!n.closest('#content a'));})()";
    EXPECT_TRUE(settle([&] { return run(caretInLink) == "true"; })) << "the click put no caret into the link";
    type("X");
    EXPECT_TRUE(settle([&] { return run("document.querySelector('#content a').textContent").find('X') != std::string::npos; }))
        << pageText();
    EXPECT_FALSE(browserShown()) << "a plain click opened the link";

    ASSERT_TRUE(test::runXdotool({"keydown", "ctrl", "click", "1", "keyup", "ctrl"}));
    ASSERT_TRUE(settle(browserShown)) << "Ctrl+click did not open the link in the program's browser";
    EXPECT_EQ(toUtf8(editor->webPageViewer()->webViewController()->addressField()->text()), "https://127.0.0.1:9/harbour");
    editor->webPageViewer()->webViewController()->close();
    ASSERT_TRUE(settle([&] { return !editor->webPageViewer()->navigationController()->presentingViewController(); }));

    UserDefaults::standardUserDefaults().setString(RichTextWritingTools::kWebClipLastUsedURLKey, "https://127.0.0.1:9/research");
    clickBarItem(editor->styling().barItems().toolsBarButtonItem());
    click("Web Research");
    UserDefaults::standardUserDefaults().removeObjectForKey(RichTextWritingTools::kWebClipLastUsedURLKey);
    EXPECT_TRUE(settle([&] {
        return browserShown() && editor->webPageViewer()->navigationController()->presentingViewController() &&
               toUtf8(editor->webPageViewer()->webViewController()->addressField()->text()) == "https://127.0.0.1:9/research";
    })) << "Web Research did not open the program's browser";
}

// Select Paragraph from the key row's tools menu shows the edit menu
// pointing at the paragraph it selected, the page standing below the bars
// and the ruler.
TEST_F(RichTextMenuCommandsWindowTest, theEditMenuAfterSelectParagraphPointsAtTheSelectedParagraph)
{
    openParagraphs({"First paragraph.", "Second paragraph.", "Third paragraph with some more words.",
                    "Fourth paragraph."});
    if (HasFatalFailure())
        return;
    select("Third", "Third", true);
    KeyBar& keys = editor->editingTools().keyBar();
    keys.toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
    keys.removeFormBar();
    clickView(*keys.miscToolsKey());
    click("Select Paragraph");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(settle([&] { return run("String(getSelection())").find("Third paragraph") != std::string::npos; }))
        << "the paragraph is not selected";
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
    std::string box = run("(function(){var r=getSelection().getRangeAt(0).getBoundingClientRect();"
                          "return [r.left,r.top,r.right,r.bottom].map(Math.round).join(',');})()");
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(box.c_str(), "%d,%d,%d,%d", &left, &top, &right, &bottom), 4) << box;
    int pageX = 0;
    int pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &pageX, &pageY));
    EXPECT_GE(menuY, pageY + top) << "the menu points above the selection (" << box << ")";
    EXPECT_LE(menuY, pageY + bottom + 10) << "the menu points below the selection (" << box << ")";
    EXPECT_GE(menuX, pageX + left - 2) << box;
    EXPECT_LE(menuX, pageX + right + 2) << box;
}

// Ctrl+F typed into the page opens the find bar with the caret in its
// field: the words typed next are searched for, not typed into the text.
TEST_F(RichTextMenuCommandsWindowTest, ctrlFOpensTheFindBarAndTheWordsTypedNextAreSearched)
{
    openParagraphs({"Amber harbour lights.", "The amber water."});
    if (HasFatalFailure())
        return;
    // The caret put into the text by a click, as a person does.
    Point word = test::pointFromAnswer(run(test::wordStartScript("water", test::PageText::ContentElement)));
    ASSERT_GE(word.x, 0) << pageText();
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {word.x + 4, word.y}));
    ASSERT_TRUE(test::runXdotool({"click", "1"}));
    ASSERT_TRUE(settle([&] { return run("String(getSelection().anchorNode !== null)") == "true"; }));
    ASSERT_TRUE(test::pressKeys("ctrl+f"));
    FindCommander& find = editor->editingTools().find();
    ASSERT_TRUE(settle([&] { return find.isFindOnPageVisible(); })) << "Ctrl+F opened no find bar";
    ASSERT_TRUE(settle([&] {
        GtkWidget* focused = gtk_window_get_focus(GTK_WINDOW(toplevel));
        return focused && GTK_IS_ENTRY(focused) && gtk_widget_get_ancestor(focused, GTK_TYPE_POPOVER);
    })) << "the find field does not take the typing";
    ASSERT_TRUE(test::typeText("amber"));
    EXPECT_TRUE(settle([&] { return toUtf8(find.bar().findOnPage->text()) == "amber"; }))
        << toUtf8(find.bar().findOnPage->text());
    EXPECT_TRUE(settle([&] { return find.nTotalResults() == 2; })) << find.nTotalResults() << " matches";
    EXPECT_EQ(pageText(), "Amber harbour lights.|The amber water.") << "the words went into the text";
}

} // namespace
} // namespace folio
