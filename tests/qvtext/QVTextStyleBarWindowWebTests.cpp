#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVTextKeyBars.h"
#include "qvtext/QVTextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

int darkness(unsigned rgb)
{
    return 765 - int((rgb >> 16) & 0xFF) - int((rgb >> 8) & 0xFF) - int(rgb & 0xFF);
}

// The QV text editor in a real window, typed into with real keys: the
// style bar and the banner line follow what is typed and selected.
class QVTextStyleBarWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextStyleBarWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-style-bar-window") {}

    void TearDown() override
    {
        EditorWindowTest::TearDown();
        UserDefaults::standardUserDefaults().removeObjectForKey("wordCounterVisible");
    }

    void openPage(const std::string& html, double width = 900)
    {
        std::string path = folder.path("Bar.qvtext");
        testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(html)->stringView()));
        open(path, {width, 600});
    }

    // The caret at the end of the text, in a focused page.
    void caretAtEnd()
    {
        run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody(),true);"
            "e.selection.collapse(false);})()");
    }

    GtkWidget* widgetFor(View& view)
    {
        GtkWidget* found = nullptr;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                found = GtkViewBuilder::widgetForView(toplevel, view);
                return found && gtk_widget_get_mapped(found) && gtk_widget_get_allocated_width(found) > 1;
            },
            kEngineWaitSeconds);
        return found;
    }

    // The darkest pixel of the widget's area in a picture of the window,
    // once the window has drawn it darker than `atLeast` (GTK paints on its
    // frame clock, after the change); what it is after the wait otherwise.
    int darkestOnceDrawn(GtkWidget* widget, const std::string& name, int atLeast)
    {
        int darkest = -1;
        RunLoop::main().runUntil(
            [&] {
                darkest = darkestIn(widget, name);
                return darkest > atLeast;
            },
            kEngineWaitSeconds);
        return darkest;
    }

    // The darkest pixel of the widget's area in a picture of the window.
    int darkestIn(GtkWidget* widget, const std::string& name)
    {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        if (!shot)
            return -1;
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y);
        int darkest = 0;
        for (int dx = 0; dx < gtk_widget_get_allocated_width(widget); ++dx) {
            for (int dy = 0; dy < gtk_widget_get_allocated_height(widget); ++dy)
                darkest = std::max(darkest, darkness(test::pixelAt(shot, x + dx, y + dy)));
        }
        g_object_unref(shot);
        return darkest;
    }

};

// With the word counter on, the banner line above the page shows the counts
// and follows what the user types.
TEST_F(QVTextStyleBarWindowTest, theWordCounterAboveThePageCountsWhatIsTyped)
{
    UserDefaults::standardUserDefaults().setBool("wordCounterVisible", true);
    openPage("<p>One two three</p>");
    if (HasFatalFailure())
        return;
    const std::shared_ptr<Label>& banner = editor->margins().topAlertBar();
    GtkWidget* label = widgetFor(*banner);
    ASSERT_NE(label, nullptr) << "no banner line in the window";
    ASSERT_TRUE(GTK_IS_LABEL(label));
    auto shown = [&] { return std::string(gtk_label_get_text(GTK_LABEL(label))); };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return shown() == "Chars 13 Words 3"; },
                                         kEngineWaitSeconds))
        << shown();
    EXPECT_GT(darkestOnceDrawn(label, "qvtext-word-counter", 300), 300) << "the counts are drawn";

    caretAtEnd();
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::typeText(" four five"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return shown() == "Chars 23 Words 5"; },
                                         kEngineWaitSeconds))
        << shown() << " for " << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(banner->text(), u"Chars 23 Words 5");
    EXPECT_DOUBLE_EQ(gtk_widget_get_opacity(label), 1.0) << "the line stays when the margins read-out is over";
    EXPECT_GT(darkestOnceDrawn(label, "qvtext-word-counter-typed", 300), 300);
}

// Without the word counter the banner line reads the margins out when the
// page is ready, then fades; the ruler's margins are applied to the page.
TEST_F(QVTextStyleBarWindowTest, theBannerReadsTheMarginsOutThenFades)
{
    UserDefaults::standardUserDefaults().setBool("wordCounterVisible", false);
    // A window as wide as a tablet's landscape screen, where the read-out shows.
    openPage("<p>Margins</p>", 1100);
    if (HasFatalFailure())
        return;
    GtkWidget* label = widgetFor(*editor->margins().topAlertBar());
    ASSERT_TRUE(label && GTK_IS_LABEL(label));
    std::string shown = gtk_label_get_text(GTK_LABEL(label));
    EXPECT_EQ(shown.rfind("Margin Left", 0), 0u) << "no read-out: " << shown;
    // The ruler's margins reached the text column as the read-out showed.
    EXPECT_EQ(run("document.getElementById('content').style.marginLeft"), "0cm");
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_widget_get_opacity(label) == 0.0;
        },
        kEngineWaitSeconds))
        << "the read-out stays";
    EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(label))), "");
}

// The style bar's font button names the font at the caret, and bold from the
// keyboard shows pressed in on the bar.
TEST_F(QVTextStyleBarWindowTest, theStyleBarShowsTheFontAndTheBoldAtTheCaret)
{
    openPage("<p><span style=\"font-family: 'DejaVu Serif';\">Serif words here</span></p>");
    if (HasFatalFailure())
        return;
    QVTextKeyBars& bars = editor->tools().keyBars();
    std::shared_ptr<Button> fontName = bars.styleButton("showFontNameTextStyle");
    std::shared_ptr<Button> bold = bars.styleButton("boldExecCommand");
    ASSERT_TRUE(fontName && bold);
    GtkWidget* fontWidget = widgetFor(*fontName);
    GtkWidget* boldWidget = widgetFor(*bold);
    ASSERT_TRUE(fontWidget && boldWidget) << "the style bar is not in the window";
    auto title = [](GtkWidget* button) {
        GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
        return label && GTK_IS_LABEL(label) ? std::string(gtk_label_get_text(GTK_LABEL(label))) : std::string();
    };

    // The word "words" selected, as a person would with the keyboard.
    run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
        "var t=e.getBody().firstChild.firstChild.firstChild;r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);})()");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return title(fontWidget) == "DejaVu Serif"; },
                                         kEngineWaitSeconds))
        << "the font button shows " << title(fontWidget);
    EXPECT_FALSE(gtk_widget_get_state_flags(boldWidget) & GTK_STATE_FLAG_CHECKED);
    GdkPixbuf* before = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-style-bar-plain"));
    ASSERT_TRUE(before);

    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return (gtk_widget_get_state_flags(boldWidget) & GTK_STATE_FLAG_CHECKED) != 0;
        },
        kEngineWaitSeconds))
        << "B is not shown pressed in over bold text: " << run("tinymce.activeEditor.getContent()");
    EXPECT_TRUE(bold->isHighlighted());
    // Pictured, the pressed-in button is drawn otherwise than before, once
    // the window has painted the change.
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(boldWidget, toplevel, 0, 0, &x, &y);
    int changed = 0;
    RunLoop::main().runUntil(
        [&] {
            GdkPixbuf* after = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-style-bar-bold"));
            if (!after)
                return false;
            changed = 0;
            for (int dx = 2; dx < gtk_widget_get_allocated_width(boldWidget) - 2; ++dx) {
                for (int dy = 2; dy < gtk_widget_get_allocated_height(boldWidget) - 2; ++dy)
                    changed += test::pixelAt(before, x + dx, y + dy) != test::pixelAt(after, x + dx, y + dy);
            }
            g_object_unref(after);
            return changed > 20;
        },
        kEngineWaitSeconds);
    EXPECT_GT(changed, 20) << "the B button looks the same pressed in";
    g_object_unref(before);

    // A centred paragraph shows on the alignment button.
    GtkWidget* alignWidget = widgetFor(*bars.styleAlign());
    ASSERT_NE(alignWidget, nullptr);
    auto icon = [&] {
        GtkWidget* image = gtk_button_get_image(GTK_BUTTON(alignWidget));
        const gchar* name = nullptr;
        if (image && GTK_IS_IMAGE(image) && gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_ICON_NAME)
            gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
        return std::string(name ? name : "");
    };
    EXPECT_EQ(icon(), "format-justify-left-symbolic");
    run("tinymce.activeEditor.execCommand('JustifyCenter')");
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return icon() == "format-justify-center-symbolic";
        },
        kEngineWaitSeconds))
        << icon();
}

} // namespace
} // namespace folio
