#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "platform/ui/Label.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextMarginRuler.h"
#include "tools/pickers/FontSizePickerController.h"
#include "tools/pickers/OtherPickerController.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "tools/textstyle/TSTextStylePickerViewController.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextStyling.h"
#include "richtext/RichTextViewingTools.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/TextViewController.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/NotesCommander.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

constexpr unsigned kBarColor = 0xD6D9DF;

bool nearColor(unsigned pixel, unsigned wanted)
{
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((wanted >> shift) & 0xFF)) > 6)
            return false;
    }
    return true;
}

// The rich-text editor's key row in a real window: along the bottom of the
// page, its keys clicked with the real pointer.
class RichTextKeyRowWebTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextKeyRowWebTest() : EditorWindowTest(EditorKind::RichText, "rich-text-key-row") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        if (IsSkipped())
            return;
        std::string path = folder.path("Row.rtf");
        writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs32 Quiet harbour\\par}");
        open(path, {900, 640}, Root::Navigation);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(waitFor([&] { return rowWidget() != nullptr; }));
        page = editor->webView();
        ASSERT_TRUE(page);
        run("(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
            "r.selectNodeContents(c);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    }

    KeyBar& keyBar() { return editor->editingTools().keyBar(); }
    GtkWidget* rowWidget()
    {
        const std::shared_ptr<View>& row = keyBar().systemAKRow();
        GtkWidget* widget = row ? GtkViewBuilder::widgetForView(toplevel, *row) : nullptr;
        return widget && gtk_widget_get_mapped(widget) ? widget : nullptr;
    }
    GtkWidget* widgetFor(const View& view)
    {
        GtkPresenter::processPendingEvents();
        GtkWidget* widget = GtkViewBuilder::widgetForView(toplevel, view);
        // Shown, and laid out where a click can find it.
        return widget && gtk_widget_get_mapped(widget) && gtk_widget_get_allocated_width(widget) > 1 ? widget : nullptr;
    }
    std::string pageText() { return page->stringByEvaluatingJavaScript("document.getElementById('content').innerText"); }
    bool pageTextHas(const std::string& wanted)
    {
        return RunLoop::main().runUntil([&] { return pageText().find(wanted) != std::string::npos; }, kEngineWaitSeconds);
    }

    // The style bar brought on top, as its switch does.
    void showStyleBar()
    {
        keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::Style));
        keyBar().removeFormBar();
        ASSERT_TRUE(waitFor([&] { return widgetFor(*editor->styling().toolbar().styleBold) != nullptr; }));
    }
    GtkWidget* menuEntry(const std::string& title)
    {
        GtkWidget* menu = presenter->menuPopover();
        if (!menu || !gtk_widget_get_mapped(menu))
            return nullptr;
        for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
            for (const std::string& label : test::labelTexts(button)) {
                if (label == title)
                    return button;
            }
        }
        return nullptr;
    }
    void selectAll()
    {
        run("(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
            "r.selectNodeContents(c);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    }
    // The first line's first drawn box, in page pixels: its left edge and
    // its middle; -1 when the page draws none.
    std::pair<int, int> firstLineBox()
    {
        std::string box = run("(function(){var r=document.createRange();"
                              "r.selectNodeContents(document.getElementById('paragraph'));"
                              "var b=[].filter.call(r.getClientRects(),function(q){return q.width>1&&q.height>1;})[0];"
                              "return b?Math.round(b.left)+' '+Math.round(b.top+b.height/2):'-1 -1';})()");
        int left = -1;
        int middle = -1;
        std::sscanf(box.c_str(), "%d %d", &left, &middle);
        return {left, middle};
    }
    // Where the window shows the first line's ink begin, in page pixels,
    // along the middle of the line the page has laid out.
    int firstLineInkLeft(const char* name, int middle)
    {
        GtkWidget* pageWidget = static_cast<GtkWidget*>(page->nativeWidget());
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        EXPECT_TRUE(shot);
        if (!shot)
            return -1;
        int found = -1;
        for (int x = 0; middle >= 0 && x < gtk_widget_get_allocated_width(pageWidget) && found < 0; ++x) {
            for (int dy = -4; dy <= 4 && found < 0; ++dy) {
                Point at = test::pagePointInWindow(toplevel, pageWidget, {double(x), double(middle + dy)});
                unsigned pixel = test::pixelAt(shot, int(at.x), int(at.y));
                if (((pixel >> 16) & 0xFF) < 0x60 && ((pixel >> 8) & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60)
                    found = x;
            }
        }
        g_object_unref(shot);
        return found;
    }
    // Waits until the window shows the first line where the page lays it
    // out: the window draws a frame or more after the page changes, and a
    // picture taken before that shows the old page. The ink's left edge.
    int settledFirstLineInkLeft(const char* name)
    {
        int ink = -1;
        std::pair<int, int> box;
        bool drawn = waitFor([&] {
            box = firstLineBox();
            ink = firstLineInkLeft(name, box.second);
            return box.first >= 0 && std::abs(ink - box.first) <= 3 && firstLineBox() == box;
        });
        EXPECT_TRUE(drawn) << "drawn at " << ink << ", laid out at " << box.first;
        return drawn ? ink : -1;
    }

    // A row of a picker on screen, by its text.
    GtkWidget* pickerRow(const std::shared_ptr<ViewController>& picker, const std::string& title)
    {
        GtkPresenter::processPendingEvents();
        GtkWidget* shown = picker ? presenter->widgetForController(*picker) : nullptr;
        if (!shown || !gtk_widget_get_mapped(shown))
            return nullptr;
        for (GtkWidget* label : test::descendants(shown, GTK_TYPE_LABEL)) {
            if (title == gtk_label_get_text(GTK_LABEL(label)) && gtk_widget_get_mapped(label))
                return label;
        }
        return nullptr;
    }
    std::shared_ptr<ViewController> presented() { return document->viewControllerToPresent()->presentedViewController(); }

    WebView* page = nullptr;
};

TEST_F(RichTextKeyRowWebTest, keyRowRunsAlongTheBottomOfThePageInTheWindow)
{
    GtkWidget* row = rowWidget();
    ASSERT_TRUE(row);
    GtkWidget* pageWidget = static_cast<GtkWidget*>(page->nativeWidget());
    ASSERT_TRUE(gtk_widget_get_mapped(pageWidget));
    int rowX = 0;
    int rowY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(row, toplevel, 0, 0, &rowX, &rowY));
    int pageX = 0;
    int pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &pageX, &pageY));
    EXPECT_GE(rowY, pageY + gtk_widget_get_allocated_height(pageWidget)) << "the row lies below the page, not over it";
    EXPECT_GE(gtk_widget_get_allocated_height(row), int(KeyBar::kRowHeight));
    EXPECT_LE(rowY + int(KeyBar::kRowHeight), gtk_widget_get_allocated_height(toplevel));

    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rich-text-key-row"));
    ASSERT_TRUE(shot);
    // The gap before the first key shows the bar; the middle of the page does not.
    EXPECT_TRUE(nearColor(test::pixelAt(shot, rowX + 2, rowY + int(KeyBar::kRowHeight) / 2), kBarColor))
        << std::hex << test::pixelAt(shot, rowX + 2, rowY + int(KeyBar::kRowHeight) / 2);
    EXPECT_FALSE(nearColor(test::pixelAt(shot, pageX + gtk_widget_get_allocated_width(pageWidget) / 2,
                                         pageY + gtk_widget_get_allocated_height(pageWidget) / 2),
                           kBarColor));
    g_object_unref(shot);
}

TEST_F(RichTextKeyRowWebTest, aClickedCustomKeyTypesIntoThePageWhichKeepsTheKeyboard)
{
    keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::KeysRow1));
    keyBar().setNewCustomKey(1, u"<&\u00A7>");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(*keyBar().customButtons()[1]) != nullptr; }, kEngineWaitSeconds));

    ASSERT_TRUE(test::clickWidget(widgetFor(*keyBar().customButtons()[1])));
    EXPECT_TRUE(pageTextHas("Quiet harbour<&\u00A7>")) << pageText();
    EXPECT_TRUE(document->hasUnsavedChanges());

    // The click left the keyboard with the page: typing goes on after the key.
    ASSERT_TRUE(test::typeText("ok"));
    EXPECT_TRUE(pageTextHas("<&\u00A7>ok")) << pageText();
}

TEST_F(RichTextKeyRowWebTest, theBarSwitchBringsTheStyleBarWhoseBoldKeyBoldsTheSelection)
{
    keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::KeysRow2));
    keyBar().removeFormBar();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(*keyBar().keysToolbar2()) != nullptr; }, kEngineWaitSeconds));
    EXPECT_EQ(widgetFor(*keyBar().styleToolbar()), nullptr) << "only the bar on top is on screen";

    std::shared_ptr<Button> toStyle;
    for (const std::shared_ptr<Button>& button : keyBar().barSwitches()) {
        if (button->superview() == keyBar().keysToolbar2() && button->tag() == static_cast<long>(KeyBar::Bar::Style))
            toStyle = button;
    }
    ASSERT_TRUE(toStyle);
    ASSERT_TRUE(test::clickWidget(widgetFor(*toStyle)));
    const StyleToolbar& buttons = editor->styling().toolbar();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(*buttons.styleBold) != nullptr; }, kEngineWaitSeconds));
    EXPECT_EQ(widgetFor(*keyBar().keysToolbar2()), nullptr);

    page->stringByEvaluatingJavaScript(
        "(function(){var r=document.createRange();r.selectNodeContents(document.getElementById('content'));"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    ASSERT_TRUE(test::clickWidget(widgetFor(*buttons.styleBold)));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return page->stringByEvaluatingJavaScript("document.queryCommandState('bold')") == "1"; }, kEngineWaitSeconds));
    EXPECT_TRUE(document->hasUnsavedChanges());
}

TEST_F(RichTextKeyRowWebTest, holdingAKeyDownOpensItsEditorOnceAndTypesNothing)
{
    keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::KeysRow1));
    keyBar().removeFormBar();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(*keyBar().customButtons()[2]) != nullptr; }, kEngineWaitSeconds));
    auto presentedAlert = [&] {
        return std::dynamic_pointer_cast<AlertController>(document->viewControllerToPresent()->presentedViewController());
    };

    ASSERT_TRUE(test::pressPointerOn(widgetFor(*keyBar().customButtons()[2])));
    bool opened = RunLoop::main().runUntil([&] { return presentedAlert() != nullptr; }, kEngineWaitSeconds);
    ASSERT_TRUE(test::releasePointer());
    ASSERT_TRUE(opened);
    EXPECT_EQ(presentedAlert()->title(), u"Update custom button");
    ASSERT_EQ(presentedAlert()->textFields().size(), 1u);
    EXPECT_EQ(presentedAlert()->textFields().front()->text(), keyBar().customButtons()[2]->titleForState(ControlState::Normal));
    EXPECT_TRUE(keyBar().isDisplayingAlert());
    EXPECT_EQ(pageText(), "Quiet harbour") << "the release after the long press is no tap";
    presentedAlert()->tapActionWithTitle(u"Cancel");
    EXPECT_FALSE(keyBar().isDisplayingAlert());
}

TEST_F(RichTextKeyRowWebTest, thePageControlFloatsOverTheBottomOfThePage)
{
    RichTextPageControl& control = editor->pageControl();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(*control.pageUpDownView()) != nullptr; }, kEngineWaitSeconds));
    GtkWidget* shown = widgetFor(*control.pageUpDownView());
    GtkWidget* pageWidget = static_cast<GtkWidget*>(page->nativeWidget());
    int x = 0;
    int y = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(shown, pageWidget, 0, 0, &x, &y));
    EXPECT_GT(x, gtk_widget_get_allocated_width(pageWidget) / 2) << "at the right";
    EXPECT_GT(y, gtk_widget_get_allocated_height(pageWidget) / 2) << "at the bottom";
    EXPECT_LE(y + gtk_widget_get_allocated_height(shown), gtk_widget_get_allocated_height(pageWidget)) << "over the page";
    EXPECT_EQ(control.pageNumber()->text(), u"1");
    EXPECT_EQ(control.pageTotal()->text(), u"1");
    EXPECT_FALSE(control.pageDownButton()->isEnabled());
    EXPECT_FALSE(gtk_widget_get_sensitive(widgetFor(*control.pageDownButton())));
}

TEST_F(RichTextKeyRowWebTest, theRulerAboveThePageIsDraggedWithThePointerAndIndentsThePage)
{
    RulerRangeSlider& ruler = editor->margins().slider();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return widgetFor(ruler) != nullptr && widgetFor(*editor->margins().topAlertBar()); },
                                         kEngineWaitSeconds));
    GtkWidget* shown = widgetFor(ruler);
    int rulerY = 0;
    int pageY = 0;
    int x = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(shown, toplevel, 0, 0, &x, &rulerY));
    ASSERT_TRUE(gtk_widget_translate_coordinates(static_cast<GtkWidget*>(page->nativeWidget()), toplevel, 0, 0, &x, &pageY));
    EXPECT_LT(rulerY, pageY) << "the ruler is above the page";

    // The ruler holds the file's left margin (the usual inch and a quarter)
    // and the page the ruler's, at the screen's scale.
    const double scale = RichTextMarginRuler::screenFactor(TextDocument::getDeviceScreenSize(Device::current()),
                                                           Device::current().isLandscape(), std::nullopt);
    auto pageMargin = [&] { return std::atof(run("document.getElementById('content').style.marginLeft").c_str()); };
    auto pageFollowsRuler = [&] { return std::abs(pageMargin() - scale * ruler.lowerValue()) < 0.006; };
    EXPECT_NEAR(ruler.lowerValue(), 3.175, 0.01);
    ASSERT_TRUE(waitFor(pageFollowsRuler)) << pageMargin() << " for " << ruler.lowerValue();
    const double before = pageMargin();
    const float lower = ruler.lowerValue();
    int inkBefore = settledFirstLineInkLeft("ruler-before");
    ASSERT_GT(inkBefore, 0) << "the text is drawn";

    // The handle is pressed where the window draws it: the ruler laid out
    // at the width the window gives it, the handle at the ruler's value.
    auto handleSettled = [&] {
        GtkPresenter::processPendingEvents();
        ruler.layoutIfNeeded();
        Rect wanted = ruler.thumbRectForValueLower(ruler.lowerValue(), ruler.lowerHandleImageNormal());
        return int(ruler.bounds().width()) == gtk_widget_get_allocated_width(shown) &&
            std::abs(ruler.lowerCenter().x - wanted.midX()) < 0.5;
    };
    ASSERT_TRUE(waitFor(handleSettled)) << ruler.bounds().width() << " wide, shown " << gtk_widget_get_allocated_width(shown);
    GdkWindow* window = gtk_widget_get_window(toplevel);
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(window, &originX, &originY);
    int handleX = 0;
    int handleY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(shown, toplevel, int(ruler.lowerCenter().x), int(ruler.lowerCenter().y), &handleX,
                                                 &handleY));
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(originX + handleX), std::to_string(originY + handleY),
                                  "mousedown", "1"}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(originX + handleX + 60), std::to_string(originY + handleY)}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", std::to_string(originX + handleX + 120), std::to_string(originY + handleY)}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::releasePointer());

    EXPECT_TRUE(RunLoop::main().runUntil([&] { return ruler.lowerValue() > lower + 1; }, kEngineWaitSeconds)) << ruler.lowerValue();
    EXPECT_TRUE(waitFor(pageFollowsRuler)) << pageMargin() << " for " << ruler.lowerValue();
    EXPECT_TRUE(document->hasUnsavedChanges());

    // The drawn text moves by what the page's margin grew, at 96 pixels
    // to the inch, not only the style.
    double margin = pageMargin();
    ASSERT_GT(margin, before + 0.5);
    int expected = inkBefore + int((margin - before) / 2.54 * 96);
    int inkAfter = settledFirstLineInkLeft("ruler-after");
    EXPECT_LT(std::abs(inkAfter - expected), 12) << inkBefore << " -> " << inkAfter << ", wanted about " << expected;
}

TEST_F(RichTextKeyRowWebTest, theAlignmentKeysMenuSetsRightAlignmentThatTheFileKeeps)
{
    showStyleBar();
    if (HasFatalFailure())
        return;
    const StyleToolbar& buttons = editor->styling().toolbar();
    GtkWidget* alignKey = nullptr;
    for (const auto& button : {buttons.styleAlignLeft, buttons.styleAlignRight, buttons.styleAlignCenter, buttons.styleAlignFull}) {
        if (GtkWidget* shown = widgetFor(*button))
            alignKey = shown;
    }
    ASSERT_TRUE(alignKey) << "one alignment key is on the bar";
    ASSERT_TRUE(test::clickWidget(alignKey));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Right") != nullptr; })) << "the alignment menu opens";
    EXPECT_TRUE(menuEntry("Justify"));
    EXPECT_TRUE(menuEntry("Right To Left"));
    ASSERT_TRUE(test::clickWidget(menuEntry("Right")));
    ASSERT_TRUE(waitFor([&] { return run("document.queryCommandState('justifyRight')") == "1"; }));

    ASSERT_TRUE(save());
    std::string rtf = readFile(document->fileURL());
    EXPECT_NE(rtf.find("\\qr"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("Quiet harbour"), std::string::npos) << rtf;
}

TEST_F(RichTextKeyRowWebTest, theHintKeyTypesTheHintAsFormattedText)
{
    keyBar().toogleKeyboardToolbar(static_cast<long>(KeyBar::Bar::KeysRow1));
    keyBar().removeFormBar();
    const std::shared_ptr<Button>& hint = keyBar().customButtons()[10];
    ASSERT_TRUE(waitFor([&] { return widgetFor(*hint) != nullptr; }));
    ASSERT_TRUE(test::clickWidget(widgetFor(*hint)));
    ASSERT_TRUE(pageTextHas("These buttons are customizable!")) << pageText();
    EXPECT_EQ(pageText().find("<b>"), std::string::npos) << "no markup as text: " << pageText();
    EXPECT_EQ(pageText().find("<br>"), std::string::npos) << pageText();
    EXPECT_EQ(run("(function(){var b=document.querySelector('#content b');return b?b.textContent.indexOf('These buttons'):-1;})()"),
              "0")
        << run("document.getElementById('content').innerHTML");

    // A key the user filled with markup characters still types them as text.
    keyBar().setNewCustomKey(11, u"<b>x</b>");
    ASSERT_TRUE(waitFor([&] { return widgetFor(*keyBar().customButtons()[11]) != nullptr; }));
    ASSERT_TRUE(test::clickWidget(widgetFor(*keyBar().customButtons()[11])));
    EXPECT_TRUE(pageTextHas("<b>x</b>")) << pageText();
}

TEST_F(RichTextKeyRowWebTest, theKeyRowComesBackWhenTheFootnoteEditorIsClosed)
{
    showStyleBar();
    if (HasFatalFailure())
        return;
    NotesCommander& notes = editor->editingTools().notes();
    notes.insertNewFootnote();
    std::string id;
    ASSERT_TRUE(waitFor([&] {
        id = run("(function(){var f=document.querySelector('object.footnote');return f?f.id:'';})()");
        return !id.empty();
    }));
    notes.showFootnoteWithId(id, {60, 8});
    ASSERT_TRUE(notes.openEditor());
    ASSERT_TRUE(waitFor([&] { return presented() == notes.openEditor(); })) << (presented() ? "another" : "none");
    ASSERT_TRUE(waitFor([&] { return widgetFor(*editor->styling().toolbar().styleBold) == nullptr; }))
        << "the row's bars are away while the editor is open";
    // Closed as its Done button closes it.
    notes.openEditor()->doneButton();
    ASSERT_TRUE(waitFor([&] { return !notes.isHTMLObjectPopoverVisible(); }));
    EXPECT_TRUE(waitFor([&] { return widgetFor(*editor->styling().toolbar().styleBold) != nullptr; }))
        << "the style bar is back on the row";
    EXPECT_FALSE(keyBar().removedFormBar());
}

// With the text zoomed, the size shown is the text's own, and a step from
// it sets the size the user reads on the bar plus one.
TEST_F(RichTextKeyRowWebTest, theSizeLabelShowsTheTextsOwnSizeWhileZoomed)
{
    showStyleBar();
    if (HasFatalFailure())
        return;
    const StyleToolbar& buttons = editor->styling().toolbar();
    // What the label shows: its title goes to the button's label widget,
    // not to the button's label property, which keeps the title it was
    // built with.
    auto shownSize = [&] {
        GtkWidget* button = widgetFor(*buttons.styleFontSize);
        GtkWidget* label = button ? gtk_bin_get_child(GTK_BIN(button)) : nullptr;
        return std::string(label && GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "");
    };
    // The text's 16 points are drawn at 22 pixels and shown as 16, with the
    // caret after its last word.
    ASSERT_EQ(run("getCurrentFontSize()"), "22");
    ASSERT_TRUE(waitFor([&] { return shownSize() == "16"; })) << shownSize();
    editor->viewing().modes->documentViewZoomModified(150);
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').style.zoom") == "1.5"; }));
    // The monitor's next rounds read the zoomed page.
    for (int round = 0; round < 2; ++round) {
        bool asked = false;
        RunLoop::main().performSelectorAfterDelay(this, "round", {}, 1.8, [&asked] { asked = true; });
        ASSERT_TRUE(waitFor([&] { return asked; }));
    }
    EXPECT_EQ(shownSize(), "16");

    selectAll();
    // Under the test server a click can reach the button before it has seen
    // the pointer arrive, and is then not taken: the pointer comes in again
    // until the bar's size has moved.
    auto stepped = [&] { return buttons.styleFontSize->titleForState(ControlState::Normal) != u"16"; };
    for (int arrival = 0; arrival < 3 && !stepped(); ++arrival) {
        ASSERT_TRUE(test::movePointerOver(pageWidget));
        ASSERT_TRUE(test::clickWidget(widgetFor(*buttons.styleFontSizeIncrease)));
        RunLoop::main().runUntil(stepped, 2);
    }
    ASSERT_TRUE(waitFor([&] { return shownSize() == "17"; })) << shownSize();
    EXPECT_TRUE(waitFor([&] { return run("getCurrentFontSize()") == "23"; })) << run("getCurrentFontSize()");
    ASSERT_TRUE(save());
    std::string rtf = readFile(document->fileURL());
    EXPECT_NE(rtf.find("\\fs34 "), std::string::npos) << "17 points: " << rtf;
    editor->viewing().modes->documentViewZoomModified(100);
}

// The size number opens the font-size picker beside it, whose rows size the
// selection; the font name opens the text-style menu.
TEST_F(RichTextKeyRowWebTest, theSizeAndFontNameButtonsOpenTheirPickers)
{
    showStyleBar();
    if (HasFatalFailure())
        return;
    const StyleToolbar& buttons = editor->styling().toolbar();
    selectAll();
    ASSERT_TRUE(test::clickWidget(widgetFor(*buttons.styleFontSize)));
    ASSERT_TRUE(waitFor([&] { return std::dynamic_pointer_cast<FontSizePickerController>(presented()) != nullptr; }));
    ASSERT_TRUE(waitFor([&] { return pickerRow(presented(), "+10") != nullptr; })) << "the picker is on screen";
    ASSERT_TRUE(test::clickWidget(pickerRow(presented(), "+10")));
    ASSERT_TRUE(waitFor([&] { return presented() == nullptr; })) << "a choice closes the picker";
    // Ten more than the text's 16 points.
    EXPECT_TRUE(waitFor([&] { return run("getCurrentFontSize()") == "32"; })) << "ten more: " << run("getCurrentFontSize()");
    ASSERT_TRUE(save());
    std::string rtf = readFile(document->fileURL());
    EXPECT_NE(rtf.find("\\fs52 "), std::string::npos) << "26 points: " << rtf;

    ASSERT_TRUE(test::clickWidget(widgetFor(*buttons.styleFontName)));
    ASSERT_TRUE(waitFor([&] {
        auto navigation = std::dynamic_pointer_cast<NavigationController>(presented());
        return navigation && std::dynamic_pointer_cast<TSTextStylePickerViewController>(navigation->topViewController());
    }));
}

// The style bar's paragraph key opens the style menu, whose first user style
// gives the selection its font and size, kept in the file.
TEST_F(RichTextKeyRowWebTest, theStyleMenuAppliesUserStyleOne)
{
    UserDefaults& settings = document->settings();
    settings.setString("defaultFont1", "Courier");
    settings.setFloat("defaultFontSize1", 20);
    settings.setString("defaultFontColor1", "darkred");
    showStyleBar();
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return widgetFor(*keyBar().otherCommandsKey()) != nullptr; }));
    selectAll();
    ASSERT_TRUE(test::clickWidget(widgetFor(*keyBar().otherCommandsKey())));
    ASSERT_TRUE(waitFor([&] { return std::dynamic_pointer_cast<OtherPickerController>(presented()) != nullptr; }));
    ASSERT_TRUE(waitFor([&] { return pickerRow(presented(), "User Style 1") != nullptr; })) << "the style menu is on screen";
    EXPECT_TRUE(pickerRow(presented(), "Default Style"));
    ASSERT_TRUE(test::clickWidget(pickerRow(presented(), "User Style 1")));
    ASSERT_TRUE(waitFor([&] { return run("document.queryCommandValue('fontName')").find("Courier") != std::string::npos; }))
        << run("document.getElementById('content').innerHTML");

    ASSERT_TRUE(save());
    std::string rtf = readFile(document->fileURL());
    EXPECT_NE(rtf.find("Courier"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\fs40"), std::string::npos) << "20 points: " << rtf;
    EXPECT_NE(rtf.find("Quiet harbour"), std::string::npos) << rtf;
}

// The key row's cursor menu moves the caret as its rows say.
TEST_F(RichTextKeyRowWebTest, theCursorMenuMovesTheCaret)
{
    showStyleBar();
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(waitFor([&] { return widgetFor(*keyBar().miscToolsKey()) != nullptr; }));
    run("(function(){var c=document.getElementById('content');c.focus();var r=document.createRange();"
        "r.selectNodeContents(c);r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    auto caretAtEnd = [&] {
        return run("(function(){var s=getSelection();if(!s.rangeCount||!s.isCollapsed)return 'no';var r=document.createRange();"
                   "r.selectNodeContents(document.getElementById('content'));r.setStart(s.anchorNode,s.anchorOffset);"
                   "return r.toString().length===0?'end':'before';})()");
    };
    ASSERT_EQ(caretAtEnd(), "before");
    ASSERT_TRUE(test::clickWidget(widgetFor(*keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Go to End") != nullptr; })) << "the cursor menu opens";
    EXPECT_TRUE(menuEntry("Increase Indent"));
    EXPECT_TRUE(menuEntry("Check Spelling"));
    ASSERT_TRUE(test::clickWidget(menuEntry("Go to End")));
    EXPECT_TRUE(waitFor([&] { return caretAtEnd() == "end"; })) << caretAtEnd();

    // "Go to Page" takes the key row away while it asks; the answer brings it back.
    ASSERT_TRUE(waitFor([&] { return presenter->menuPopover() == nullptr || !gtk_widget_get_visible(presenter->menuPopover()); }));
    ASSERT_TRUE(test::clickWidget(widgetFor(*keyBar().miscToolsKey())));
    ASSERT_TRUE(waitFor([&] { return menuEntry("Go to Page") != nullptr; }));
    ASSERT_TRUE(test::clickWidget(menuEntry("Go to Page")));
    std::shared_ptr<AlertController> question;
    ASSERT_TRUE(waitFor([&] {
        question = std::dynamic_pointer_cast<AlertController>(editor->presentedViewController());
        return question != nullptr;
    }));
    EXPECT_EQ(question->title(), u"Jump to page");
    EXPECT_EQ(widgetFor(*editor->styling().toolbar().styleBold), nullptr) << "the row is away while the question is up";
    question->tapActionWithTitle(u"OK");
    EXPECT_TRUE(waitFor([&] { return widgetFor(*editor->styling().toolbar().styleBold) != nullptr; }))
        << "the style bar is back on the row";
}

} // namespace
} // namespace folio
