#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Device.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/UserResizableView.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "qvtext/QVMarginRuler.h"
#include "qvtext/QVPictureCommands.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVViewModes.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/crop/ImageCropInterface.h"
#include "tools/ruler/RulerRangeSlider.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace folio {
namespace {

using testing_support::ScratchFolder;

// Another program's clipboard: HTML and plain text.
struct OfferedClipboard {
    std::string html;
    std::string text;

    static void provide(GtkClipboard*, GtkSelectionData* selection, guint info, gpointer self)
    {
        auto* offered = static_cast<OfferedClipboard*>(self);
        const std::string& value = info == 0 ? offered->html : offered->text;
        gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
                               reinterpret_cast<const guchar*>(value.data()), static_cast<gint>(value.size()));
    }
    static void cleared(GtkClipboard*, gpointer) {}
};

int windowDarkness(unsigned rgb)
{
    return 765 - int((rgb >> 16) & 0xFF) - int((rgb >> 8) & 0xFF) - int(rgb & 0xFF);
}

// The QV text editor in a real window, typed into with key events as a
// person types: what reaches the file is what the person typed.
class QVTextWindowTest : public test::EditorWindowTest<QVTextViewController> {
protected:
    QVTextWindowTest() : EditorWindowTest(EditorKind::QVText, "qvtext-window") {}
};

// Full screen and typewriter mode take the window's bar away, so the way
// out is drawn over the page: its exit button, or Escape.
TEST_F(QVTextWindowTest, theModesHideTheWindowsBarAndTheExitButtonOverThePageOrEscapeLeadsOut)
{
    std::string path = folder.path("Modes.qvtext");
    Result<Data> stored = DocumentSeeds::compressedPage("<p>Words to read.</p>");
    ASSERT_TRUE(stored);
    testing_support::writeFile(path, std::string(stored->stringView()));
    open(path, {800, 600}, Root::Navigation);
    if (HasFatalFailure())
        return;
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    GtkWidget* header = presenter->headerBarForWindow(*window);
    ASSERT_NE(header, nullptr);
    ASSERT_TRUE(gtk_widget_get_visible(header));
    ASSERT_TRUE(test::focusWindow(toplevel));
    auto settle = [](const std::function<bool()>& done) {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                return done();
            },
            kEngineWaitSeconds);
    };
    auto page = [&] {
        auto views = test::descendants(toplevel, g_type_from_name("WebKitWebView"));
        return views.empty() ? nullptr : views.front();
    };
    QVViewModes& modes = editor->viewModes();

    modes.fullScreenDocumentMode();
    GtkWidget* exit = nullptr;
    ASSERT_TRUE(settle([&] {
        exit = presenter->widgetForView(*modes.exitFullScreenMode());
        int right = 0, top = 0, pageRight = 0, pageTop = 0;
        return exit && gtk_widget_get_mapped(exit) && gtk_widget_get_allocated_width(exit) > 1
            && !gtk_widget_get_visible(header) && page()
            && gtk_widget_translate_coordinates(exit, toplevel, gtk_widget_get_allocated_width(exit), 0, &right, &top)
            && gtk_widget_translate_coordinates(page(), toplevel, gtk_widget_get_allocated_width(page()), 0, &pageRight, &pageTop)
            && right <= pageRight;
    })) << "no exit button over the page, or the window's bar stays";
    // Over the page's top right corner, and drawn.
    int x = 0, y = 0, pageX = 0, pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(exit, toplevel, 0, 0, &x, &y));
    ASSERT_TRUE(gtk_widget_translate_coordinates(page(), toplevel, 0, 0, &pageX, &pageY));
    EXPECT_GT(x, pageX + gtk_widget_get_allocated_width(page()) / 2);
    EXPECT_LT(y, pageY + 100);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-full-screen"));
    ASSERT_NE(shot, nullptr);
    bool inked = false;
    for (int dx = 0; dx < gtk_widget_get_allocated_width(exit) && !inked; ++dx) {
        for (int dy = 0; dy < gtk_widget_get_allocated_height(exit) && !inked; ++dy)
            inked = test::pixelAt(shot, x + dx, y + dy) != test::pixelAt(shot, x - 4, y + gtk_widget_get_allocated_height(exit) / 2);
    }
    g_object_unref(shot);
    EXPECT_TRUE(inked) << "the button is drawn, not only placed";
    ASSERT_TRUE(test::clickWidget(exit));
    ASSERT_TRUE(settle([&] { return !modes.isFullScreenDocumentMode(); })) << "the button did not lead out";
    EXPECT_TRUE(settle([&] { return gtk_widget_get_visible(header) && !presenter->widgetForView(*modes.exitFullScreenMode()); }));

    modes.typewriterMode();
    ASSERT_TRUE(settle([&] {
        return !gtk_widget_get_visible(header) && page()
            && gtk_widget_get_allocated_height(page()) == int(QVViewModes::kTypewriterBandHeight);
    })) << "the page is no band, or the window's bar stays";
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::runXdotool({"key", "Escape"}));
    ASSERT_TRUE(settle([&] { return !modes.isTypewriterMode(); })) << "Escape did not lead out";
    EXPECT_TRUE(settle([&] {
        return gtk_widget_get_visible(header) && page() && gtk_widget_get_allocated_height(page()) > 200;
    })) << "the page did not get its room back";
}

TEST_F(QVTextWindowTest, typedTextIsSavedAndThereWhenTheDocumentOpensAgain)
{
    std::string path = folder.path("Typed.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Start</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    // The caret at the end of the text, as a click after the last word puts it.
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody(),true);"
        "e.selection.collapse(false);})()");
    type(" typed here");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("tinymce.activeEditor.getBody().textContent").find("here") != std::string::npos; },
        kEngineWaitSeconds))
        << "the keys did not reach TinyMCE";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds))
        << "typing did not change the document";

    // The window as it shows: dark letters where the paragraph is, light
    // paper below it.
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &left, &top);
    std::string box = run("(function(){var e=tinymce.activeEditor;var p=e.getBody().firstChild.getBoundingClientRect();"
                          "var f=e.getContentAreaContainer().querySelector('iframe').getBoundingClientRect();"
                          "return Math.round(f.left+p.left)+','+Math.round(f.top+p.top)+','+Math.round(p.width)+','+"
                          "Math.round(p.height);})()");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(sscanf(box.c_str(), "%d,%d,%d,%d", &x, &y, &width, &height), 4) << box;
    // The web process paints on its own time: the picture is taken again
    // until the typed line shows, or the wait runs out.
    GdkPixbuf* shot = nullptr;
    int darkest = 0;
    RunLoop::main().runUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-editor"));
            darkest = 0;
            for (int dx = 0; shot && dx < std::min(width, 200); ++dx) {
                for (int dy = 0; dy < height; ++dy)
                    darkest = std::max(darkest, windowDarkness(test::pixelAt(shot, left + x + dx, top + y + dy)));
            }
            return darkest > 400;
        },
        kEngineWaitSeconds);
    ASSERT_TRUE(shot);
    EXPECT_GT(darkest, 400) << "the typed line is drawn";
    EXPECT_LT(windowDarkness(test::pixelAt(shot, left + x + 20, top + y + height + 120)), 60) << "the paper is light";
    g_object_unref(shot);

    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("tinymce.activeEditor.getBody().textContent"), "Start typed here");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().querySelectorAll('[id=bodyStyle]').length"), "0");
}

// Bold from the keyboard, as a person presses it, formats the selected word
// once (the editor's command, not a second toggle by the page) and is still
// there when the document opens again.
TEST_F(QVTextWindowTest, boldFromTheKeyboardIsSavedAndThereWhenTheDocumentOpensAgain)
{
    std::string path = folder.path("Bold.qvtext");
    testing_support::writeFile(path,
                               std::string(DocumentSeeds::compressedPage("<p>Plain words here</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();var r=e.dom.createRng();"
        "var t=e.getBody().firstChild.firstChild;r.setStart(t,6);r.setEnd(t,11);e.selection.setRng(r);})()");
    ASSERT_TRUE(test::focusWindow(presenter->widgetForWindow(*window)));
    ASSERT_TRUE(test::pressKeys("ctrl+b"));
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return run("tinymce.activeEditor.getContent()").find("<strong>words</strong>") != std::string::npos; },
        kEngineWaitSeconds))
        << run("tinymce.activeEditor.getContent()");
    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("tinymce.activeEditor.getContent()"), "<p>Plain <strong>words</strong> here</p>");
}

TEST_F(QVTextWindowTest, ctrlVPastesAnotherProgramsHTMLSafelyAndCtrlFOpensFindAndReplace)
{
    std::string path = folder.path("Paste.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Start</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody(),true);"
        "e.selection.collapse(false);})()");
    OfferedClipboard offered{"<i>pasted words</i><script>document.title='pwned'</script>"
                             "<img src=x onerror=\"document.title='pwned'\"><a href=\"javascript:alert(1)\">link</a>",
                             "pasted words link"};
    GtkTargetEntry targets[] = {{const_cast<gchar*>("text/html"), 0, 0}, {const_cast<gchar*>("text/plain"), 0, 1}};
    ASSERT_TRUE(gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets, 2,
                                            OfferedClipboard::provide, OfferedClipboard::cleared, &offered));
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    auto body = [&] { return run("tinymce.activeEditor.getBody().innerHTML"); };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return body().find("pasted words") != std::string::npos; },
                                         kEngineWaitSeconds))
        << "the paste did not reach the page";
    std::string page = body();
    EXPECT_NE(page.find("<i>pasted words</i>"), std::string::npos) << page;
    EXPECT_EQ(page.find("pasted words", page.find("pasted words") + 1), std::string::npos) << "pasted once: " << page;
    for (const char* hostile : {"script", "onerror", "javascript:"})
        EXPECT_EQ(page.find(hostile), std::string::npos) << hostile << " in " << page;
    EXPECT_NE(run("document.title"), "pwned");
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return document->hasUnsavedChanges(); }, kEngineWaitSeconds));
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));

    press(GDK_KEY_f, GDK_CONTROL_MASK);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return run("document.querySelectorAll('.tox-dialog').length") == "1"; },
                                         kEngineWaitSeconds))
        << "Ctrl+F opened no search";
    EXPECT_EQ(run("document.querySelector('.tox-dialog__title').textContent"), "Find and Replace");
}

// Words pasted after 24 point words take their size, asked of the page at
// the paste, and keep the blanks the clipboard held around them: both are
// there when the document opens again.
TEST_F(QVTextWindowTest, pastedWordsTakeTheSizeOfTheWordsBeforeThemAndKeepTheirBlanks)
{
    std::string path = folder.path("PasteSize.qvtext");
    testing_support::writeFile(
        path, std::string(DocumentSeeds::compressedPage("<p><span style=\"font-size: 24pt;\">Alpha Bravo</span></p>")
                              ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    // The caret after the paragraph's last child, as a click past its end puts it.
    run("(function(){var e=tinymce.activeEditor;e.focus();var p=e.getBody().firstChild;var r=e.dom.createRng();"
        "r.setStart(p,p.childNodes.length);r.collapse(true);e.selection.setRng(r);})()");
    OfferedClipboard offered{" <b>Kilo</b> Lima ", " Kilo Lima "};
    GtkTargetEntry targets[] = {{const_cast<gchar*>("text/html"), 0, 0}, {const_cast<gchar*>("text/plain"), 0, 1}};
    ASSERT_TRUE(gtk_clipboard_set_with_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), targets, 2,
                                            OfferedClipboard::provide, OfferedClipboard::cleared, &offered));
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    auto text = [&] { return run("tinymce.activeEditor.getBody().textContent.replace(/\\u00a0/g,' ')"); };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return text().find("Lima") != std::string::npos; }, kEngineWaitSeconds))
        << "the paste did not reach the page";
    type("Mike");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return text().find("Mike") != std::string::npos; }, kEngineWaitSeconds))
        << "the keys did not reach the page";
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(text(), "Alpha Bravo Kilo Lima Mike") << run("tinymce.activeEditor.getContent()");
    EXPECT_EQ(run("getComputedStyle(tinymce.activeEditor.getBody().querySelector('b, strong')).fontSize"), "32px")
        << run("tinymce.activeEditor.getContent()");
}

// Plain text alone on the desktop clipboard, pasted after a word: the
// blanks at its ends keep it apart from the words around it, also when the
// document opens again.
TEST_F(QVTextWindowTest, plainTextPastedAfterAWordKeepsTheBlanksAtItsEnds)
{
    std::string path = folder.path("PastePlain.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Alpha Bravo</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.select(e.getBody(),true);"
        "e.selection.collapse(false);})()");
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), " Kilo Lima ", -1);
    GtkPresenter::processPendingEvents();
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    auto text = [&] { return run("tinymce.activeEditor.getBody().textContent.replace(/\\u00a0/g,' ')"); };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return text().find("Lima") != std::string::npos; }, kEngineWaitSeconds))
        << "the paste did not reach the page";
    type("Mike");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return text().find("Mike") != std::string::npos; }, kEngineWaitSeconds))
        << "the keys did not reach the page";
    gtk_clipboard_clear(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    ASSERT_TRUE(save());
    closeDocument();

    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(text(), "Alpha Bravo Kilo Lima Mike") << run("tinymce.activeEditor.getContent()");
}

// The margins ruler runs above the page in the window, across its width.
TEST_F(QVTextWindowTest, theMarginsRulerRunsAboveThePage)
{
    std::string path = folder.path("Ruler.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Ruled words</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    GtkWidget* ruler = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            ruler = GtkViewBuilder::widgetForView(toplevel, *editor->margins().sliderView());
            return ruler && gtk_widget_get_allocated_width(ruler) > 1;
        },
        kEngineWaitSeconds))
        << "no ruler in the window";
    auto pages = test::descendants(toplevel, g_type_from_name("WebKitWebView"));
    ASSERT_FALSE(pages.empty());
    int x = 0;
    int rulerY = 0;
    int pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(ruler, toplevel, 0, 0, &x, &rulerY));
    ASSERT_TRUE(gtk_widget_translate_coordinates(pages.front(), toplevel, 0, 0, &x, &pageY));
    EXPECT_LT(rulerY, pageY) << "the ruler is above the page";
    EXPECT_GT(gtk_widget_get_allocated_width(ruler), gtk_widget_get_allocated_width(pages.front()) / 2);
}

// A link at the caret shows its address in the banner line above the page.
TEST_F(QVTextWindowTest, theCaretInALinkShowsItsAddressAboveThePage)
{
    std::string path = folder.path("Linked.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(
                                                     "<p>See <a href=\"https://example.org/page\">the page</a> now</p>")
                                                     ->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    const std::shared_ptr<Label>& banner = editor->margins().topAlertBar();
    run("(function(){var e=tinymce.activeEditor;e.focus();var a=e.getBody().querySelector('a');"
        "var r=e.getDoc().createRange();r.setStart(a.firstChild,2);r.collapse(true);e.selection.setRng(r);"
        "e.nodeChanged();})()");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return banner->text() == u"Link: https://example.org/page"; },
                                         kEngineWaitSeconds))
        << toUtf8(banner->text());
    GtkWidget* label = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            label = GtkViewBuilder::widgetForView(toplevel, *banner);
            return label && gtk_widget_get_mapped(label) && gtk_widget_get_allocated_width(label) > 1;
        },
        kEngineWaitSeconds))
        << "no banner in the window";
    int left = 0;
    int top = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(label, toplevel, 0, 0, &left, &top));
    int width = gtk_widget_get_allocated_width(label);
    int height = gtk_widget_get_allocated_height(label);
    // The address is drawn: dark text on the banner's light ground.
    GdkPixbuf* shot = nullptr;
    int darkest = 0;
    RunLoop::main().runUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            GtkPresenter::processPendingEvents();
            shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-link-banner"));
            darkest = 0;
            for (int dx = 0; shot && dx < width; dx += 1) {
                for (int dy = 0; dy < height; ++dy)
                    darkest = std::max(darkest, windowDarkness(test::pixelAt(shot, left + dx, top + dy)));
            }
            return darkest > 300;
        },
        kEngineWaitSeconds);
    ASSERT_TRUE(shot);
    EXPECT_GT(darkest, 300) << "the link's address is drawn above the page";
    EXPECT_LT(windowDarkness(test::pixelAt(shot, left + 2, top + 1)), 120) << "on a light line";
    g_object_unref(shot);
}

// TinyMCE's frame scrolls under a framed picture: once the page has
// settled, the frame stands over the picture again.
// What another program drops into the text goes in where it was dropped,
// made safe as a paste is: its words arrive, its handlers do not.
TEST_F(QVTextWindowTest, aDropFromAnotherProgramArrivesWithoutItsHandlers)
{
    std::string path = folder.path("Dropped.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>Target line</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    run("(function(){var e=tinymce.activeEditor,w=e.getWin(),d=new w.DataTransfer();"
        "d.setData('text/html','<b onclick=\\'window.dropRan=1\\'>Dropped words</b>');d.setData('text/plain','Dropped words');"
        "var p=e.getBody().firstChild,r=p.getBoundingClientRect();"
        "p.dispatchEvent(new w.DragEvent('drop',{dataTransfer:d,bubbles:true,cancelable:true,"
        "clientX:r.right-2,clientY:r.top+r.height/2}));})()");
    ASSERT_TRUE(waitFor([&] { return run("tinymce.activeEditor.getBody().textContent").find("Dropped words") != std::string::npos; }))
        << run("tinymce.activeEditor.getBody().innerHTML");
    EXPECT_EQ(run("tinymce.activeEditor.getBody().textContent").rfind("Target line", 0), 0u) << "the drop went in at the end";
    EXPECT_EQ(run("tinymce.activeEditor.getBody().innerHTML").find("onclick"), std::string::npos);
}

// The page's container scrolls a long text (TinyMCE's frame grows to it):
// the place the reader left is where the document opens again, and reading
// aloud from the caret, which selects to the end, brings the reader back.
TEST_F(QVTextWindowTest, theReadersPlaceIsKeptByReadingAloudAndWhenTheDocumentOpensAgain)
{
    std::string path = folder.path("Long.qvtext");
    std::string lines;
    for (int line = 1; line <= 300; ++line)
        lines += "<p>Line " + std::to_string(line) + " of a long text</p>";
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(lines)->stringView()));
    open(path, {1000, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    // Whichever scrolls the text: the page's container once TinyMCE's frame
    // has grown to the text, the frame until then.
    const std::string scrolled =
        "(function(){var c=document.getElementById('contentDiv');"
        "return c.scrollHeight>c.clientHeight?c:tinymce.activeEditor.getDoc().scrollingElement;})().scrollTop";
    ASSERT_TRUE(waitFor([&] { return std::stoll("0" + run("tinymce.activeEditor.getBody().scrollHeight")) > 3000; }))
        << "the text is not long";
    // The reader drags the scroll bar down the page.
    run(scrolled + " = 1800;");
    ASSERT_EQ(run(scrolled), "1800");

    // The caret near the top: reading aloud selects from it to the end.
    run("(function(){var e=tinymce.activeEditor;e.focus();e.selection.setCursorLocation(e.getBody().children[3],0);})()");
    run(scrolled + " = 1800;");
    editor->tools().run("readAloudFromCursorToEnd");
    editor->tools().run("cancelSpeak");
    EXPECT_TRUE(waitFor([&] { return std::abs(std::stoll("0" + run(scrolled)) - 1800) <= 2; }))
        << "reading aloud left the page at " << run(scrolled);

    run(scrolled + " = 2400;");
    closeDocument();
    open(path, {1000, 700}, Root::Navigation);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return std::abs(std::stoll("0" + run(scrolled)) - 2400) <= 2; }))
        << "the document opened at " << run(scrolled);
}

TEST_F(QVTextWindowTest, aPicturesFrameFollowsItsPictureWhenTheUserScrollsThePage)
{
    std::string path = folder.path("Scrolled.qvtext");
    std::string lines;
    for (int line = 1; line <= 60; ++line)
        lines += "<p>Line " + std::to_string(line) + "</p>";
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage(lines)->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    ASSERT_TRUE(test::focusWindow(toplevel));
    run("tinymce.activeEditor.selection.select(tinymce.activeEditor.getBody(), true);"
        "tinymce.activeEditor.selection.collapse(false);");
    std::vector<std::uint8_t> pixels(160 * 120 * 4, 200);
    QVPictureCommands& pictures = editor->pictures();
    ASSERT_TRUE(pictures.insertImage(Image::imageWithPixels(160, 120, std::move(pixels)).value()));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    GtkPresenter::processPendingEvents();
    std::shared_ptr<View> pageView = editor->pageView();
    // Where TinyMCE's frame draws the picture, in the page view.
    auto onPage = [&] {
        std::vector<std::string> parts = componentsSeparatedByString(
            run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
                "var e=tinymce.activeEditor.dom.get('imageSelected_555');if(!e)return '';var r=e.getBoundingClientRect();"
                "var s=tinymce.activeEditor.getWin().getComputedStyle(e);function v(n){return parseFloat(s[n])||0;}"
                "var l=v('paddingLeft')+v('borderLeftWidth'),t=v('paddingTop')+v('borderTopWidth');"
                "return [f.left+r.left+l,f.top+r.top+t,r.width-l-v('paddingRight')-v('borderRightWidth'),"
                "r.height-t-v('paddingBottom')-v('borderBottomWidth')].join(',');})()"),
            ",");
        return parts.size() == 4 ? makeRect(floatValue(parts[0]), floatValue(parts[1]), floatValue(parts[2]), floatValue(parts[3]))
                                 : Rect{};
    };
    auto framed = [&] {
        const std::shared_ptr<UserResizableView>& frame = pictures.currentlyImageResizableView();
        return frame ? frame->convertRectToView(frame->contentView()->frame(), pageView.get()) : Rect{};
    };
    auto over = [&] {
        Rect page = onPage();
        Rect shown = framed();
        return !page.isEmpty() && std::abs(shown.minX() - page.minX()) < 0.5 && std::abs(shown.minY() - page.minY()) < 0.5;
    };
    ASSERT_TRUE(over()) << "the frame does not start over the picture";
    Rect before = framed();

    // The page scrolls back up, as the scroll bar or the keys scroll it.
    // NOTE: the wheel is not used here: the picture's menu, shown as a
    // popover, keeps the pointer while it is up.
    run("tinymce.activeEditor.getWin().scrollBy(0, -150);");
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return onPage().minY() > before.minY() + 10 && over();
        },
        kEngineWaitSeconds))
        << "the frame stayed at " << framed().minY() << " while the picture went to " << onPage().minY();
    EXPECT_GT(framed().minY(), before.minY() + 10) << "the frame went down with the page";
}

TEST_F(QVTextWindowTest, aPicturesFrameLiesOverItAndACropCornerDraggedWithThePointerCutsWhatTheUserChose)
{
    std::string path = folder.path("Cropped.qvtext");
    testing_support::writeFile(path, std::string(DocumentSeeds::compressedPage("<p>A picture:</p>")->stringView()));
    open(path);
    if (HasFatalFailure())
        return;
    // 400 x 200: red on the left half, blue on the right.
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 400; ++x)
            pixels.insert(pixels.end(), {std::uint8_t(x < 200 ? 255 : 0), 0, std::uint8_t(x < 200 ? 0 : 255), 255});
    }
    QVPictureCommands& pictures = editor->pictures();
    ASSERT_TRUE(pictures.insertImage(Image::imageWithPixels(400, 200, std::move(pixels)).value()));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return pictures.currentlyImageResizableView() != nullptr; }, kEngineWaitSeconds));
    GtkPresenter::processPendingEvents();
    const std::shared_ptr<UserResizableView> frame = pictures.currentlyImageResizableView();
    std::shared_ptr<View> pageView = editor->pageView();
    ASSERT_EQ(frame->superview(), pageView) << "the frame stands on the page";
    // Where TinyMCE's frame draws the picture, in the page view.
    std::vector<std::string> parts = componentsSeparatedByString(
        run("(function(){var f=tinymce.activeEditor.getContainer().querySelector('iframe').getBoundingClientRect();"
            "var e=tinymce.activeEditor.dom.get('imageSelected_555');var r=e.getBoundingClientRect();"
            "var s=tinymce.activeEditor.getWin().getComputedStyle(e);function v(n){return parseFloat(s[n])||0;}"
            "var l=v('paddingLeft')+v('borderLeftWidth'),t=v('paddingTop')+v('borderTopWidth');"
            "return [f.left+r.left+l,f.top+r.top+t,r.width-l-v('paddingRight')-v('borderRightWidth'),"
            "r.height-t-v('paddingBottom')-v('borderBottomWidth')].join(',');})()"),
        ",");
    ASSERT_EQ(parts.size(), 4u);
    Rect shown = frame->convertRectToView(frame->contentView()->frame(), pageView.get());
    EXPECT_NEAR(shown.minX(), floatValue(parts[0]), 0.5);
    EXPECT_NEAR(shown.minY(), floatValue(parts[1]), 0.5);
    EXPECT_NEAR(shown.width(), floatValue(parts[2]), 0.5);
    EXPECT_NEAR(shown.height(), floatValue(parts[3]), 0.5);

    ASSERT_TRUE(pictures.cropImage());
    std::shared_ptr<ImageCropInterface> cropper = pictures.cropper();
    ASSERT_NE(cropper, nullptr);
    Rect crop = cropper->convertRectToView(cropper->cropRect(), pageView.get());
    int x = 0, y = 0, originX = 0, originY = 0;
    gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &x, &y);
    gdk_window_get_origin(gtk_widget_get_window(toplevel), &originX, &originY);
    auto screen = [&](double px, double py) {
        return std::vector<std::string>{std::to_string(int(std::lround(originX + x + px))),
                                        std::to_string(int(std::lround(originY + y + py)))};
    };
    // The crop's shadow is drawn over the blue half above the rectangle.
    unsigned above = 0x0000FF;
    for (int turn = 0; turn < 20 && above == 0x0000FF; ++turn) {
        GtkPresenter::processPendingEvents();
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-crop"));
        ASSERT_NE(shot, nullptr);
        above = test::pixelAt(shot, int(x + crop.maxX() - 20), int(y + crop.minY() - 6));
        g_object_unref(shot);
    }
    EXPECT_NE(above, 0x0000FFu) << "the crop's shadow over the page";

    // The top left corner is dragged inwards with the real pointer.
    Point target{crop.minX() + 30, crop.minY() + 20};
    auto start = screen(crop.minX() - 3, crop.minY() - 3);
    auto middle = screen(crop.minX() + 5, crop.minY() + 4);
    auto end = screen(target.x, target.y);
    ASSERT_TRUE(test::pointerComesInFromAfar(toplevel, pageWidget, {crop.minX() - 3, crop.minY() - 3}));
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", start[0], start[1], "mousedown", "1"}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", middle[0], middle[1]}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::runXdotool({"mousemove", "--sync", end[0], end[1]}));
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::runXdotool({"mouseup", "1"}));
    // With the machine busy the drag's events reach the window a moment late.
    Rect chosen;
    RunLoop::main().runUntil(
        [&] {
            chosen = cropper->convertRectToView(cropper->cropRect(), pageView.get());
            return std::abs(chosen.minX() - target.x) <= 1 && std::abs(chosen.minY() - target.y) <= 1;
        },
        kEngineWaitSeconds);
    EXPECT_NEAR(chosen.minX(), target.x, 1);
    EXPECT_NEAR(chosen.minY(), target.y, 1);
    EXPECT_NEAR(chosen.maxX(), crop.maxX(), 0.01) << "the opposite corner stays";
    Rect inImage = cropper->cropRectForFrame(cropper->cropRect());
    double screenScale = Device::current().screenScale();

    // The darkest pixel across the two lower corners of the crop as it was
    // chosen first, once the window shows `done` of it.
    const Point corners[] = {{crop.minX(), crop.maxY()}, {crop.maxX(), crop.maxY()}};
    auto darkestAtCorners = [&](const std::function<bool(int)>& done) {
        int darkest = 0;
        RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("qvtext-crop-corners"));
                if (!shot)
                    return false;
                darkest = 0;
                for (const Point& corner : corners) {
                    for (int d = -7; d <= 7; ++d)
                        darkest = std::max(darkest, windowDarkness(test::pixelAt(shot, int(x + corner.x + d), int(y + corner.y + d))));
                }
                g_object_unref(shot);
                return done(darkest);
            },
            kEngineWaitSeconds);
        return darkest;
    };
    EXPECT_GT(darkestAtCorners([](int darkest) { return darkest > 300; }), 300) << "the crop's corner marks are drawn";

    ASSERT_TRUE(pictures.executeCropImage());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("(function(){var e=tinymce.activeEditor.dom.get('imageSelected_555');return e&&e.complete&&"
                         "e.naturalWidth>0&&e.naturalWidth<" + std::to_string(int(400 * screenScale)) + "?1:0;})()") == "1"; },
        kEngineWaitSeconds));
    EXPECT_NEAR(floatValue(run("tinymce.activeEditor.dom.get('imageSelected_555').naturalWidth")), inImage.width() * screenScale, 2);
    EXPECT_NEAR(floatValue(run("tinymce.activeEditor.dom.get('imageSelected_555').naturalHeight")), inImage.height() * screenScale, 2);

    // The crop's corner marks went with it: where the two lower ones stood,
    // below and beside the smaller picture, the paper shows again.
    EXPECT_EQ(pictures.cropper(), nullptr);
    int darkest = darkestAtCorners([](int darkest) { return darkest < 60; });
    EXPECT_LT(darkest, 60) << "a crop handle is left on the page";
}

} // namespace
} // namespace folio
