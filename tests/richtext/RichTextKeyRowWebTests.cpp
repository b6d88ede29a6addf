#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "platform/ui/Label.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/RichTextMarginRuler.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "richtext/RichTextPageControl.h"
#include "richtext/RichTextStyling.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace folio {
namespace {

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

    std::string before = page->stringByEvaluatingJavaScript("document.getElementById('content').style.marginLeft");
    float lower = ruler.lowerValue();
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
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return page->stringByEvaluatingJavaScript("document.getElementById('content').style.marginLeft") != before; },
        kEngineWaitSeconds));
    EXPECT_TRUE(document->hasUnsavedChanges());
}

} // namespace
} // namespace folio
