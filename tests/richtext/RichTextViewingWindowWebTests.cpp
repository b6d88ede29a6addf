#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Action.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/RichTextViewingTools.h"
#include "richtext/RichTextWritingTools.h"
#include "richtext/TextViewController.h"
#include "richtext/TypewriterMode.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "tools/scanner/LiveTextScannerSession.h"
#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScanner.h"
#include "tools/scanner/VisionDataScannerViewController.h"
#include "support/PrintedPagePicture.h"
#include "support/RequiredTool.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

// Stands for the user picking a picture file in the chooser.
class ViewingChosenPicture final : public PicturePicker {
public:
    explicit ViewingChosenPicture(std::string path) : m_path(std::move(path)) {}
    void pickPicture(const std::u16string&, Completion completion) override
    {
        RunLoop::main().post([completion, path = m_path] { completion(path); });
    }

private:
    std::string m_path;
};

// The rich-text editor's reading aids in a real window, used with the real
// pointer and keyboard as a person uses them.
class RichTextViewingWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextViewingWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-viewing-window") {}

    void SetUp() override
    {
        EditorWindowTest::SetUp();
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        for (const char* key : {"darknightMode", "nightMode", "wordCounterVisible", "typewriterSounds"})
            defaults.setBool(key, false);
    }
    void TearDown() override
    {
        EditorWindowTest::TearDown();
        PicturePicker::setShared(nullptr);
    }

    void openDocument(const std::string& rtf, Root root = Root::Editor)
    {
        std::string path = folder.path("Viewing.rtf");
        writeFile(path, rtf);
        open(path, {800, 600}, root);
    }

    std::string pageText() { return run("document.getElementById('content').innerText.replace(/\\u00a0/g, ' ')"); }
    // Waits for GTK to have handled what the real pointer or keys sent.
    bool settle(const std::function<bool()>& condition)
    {
        return waitFor([&] {
            GtkPresenter::processPendingEvents();
            return condition();
        });
    }
    void putCaretAfter(const std::string& text)
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var i=n.data.indexOf('" + text + "');if(i>=0){var r=document.createRange();"
            "r.setStart(n,i+" + std::to_string(text.size()) + ");r.collapse(true);"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);c.focus();return;}}})()");
    }

};

TEST_F(RichTextViewingWindowTest, aClickedScannedLineGoesInEscapedAtTheCaretSavedBeforeTheScannerOpened)
{
    openDocument("{\\rtf1\\ansi First line here.\\par Second line.\\par}");
    if (HasFatalFailure())
        return;
    std::string picture = folder.path("scan.png");
    test::writePrintedPagePicture(picture, {"Fish <and> chips", "are tasty"});
    PicturePicker::setShared(std::make_shared<ViewingChosenPicture>(picture));
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    if (!host->isScannerAvalaible())
        return folio::test::missingToolForTest("text recognition for English is not installed");

    // Twice, as a person scans one line after another: the scanner's
    // screen is made once and shown again.
    struct Scan {
        const char* caretAfter;
        int line;
        const char* expected;
    };
    for (const Scan& scan : {Scan{"First", 0, "FirstFish <and> chips\n\n line here."},
                             Scan{"Second", 1, "Secondare tasty\n\n line."}}) {
        SCOPED_TRACE(scan.expected);
        putCaretAfter(scan.caretAfter);
        editor->viewing().writingTools->insertTextFromLiveTextScanner();
        std::shared_ptr<ScannedTextListController> screen = host->visionDataScannerVCSwift();
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(settle([&] { return screen->lines().size() == 2 && !host->scanner()->isRecognizing(); }))
            << "the picture was not recognised";
        GtkWidget* list = presenter->listBoxForTableView(*screen->tableView());
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(list)));

        // The recognised line, clicked where it shows; the title row above
        // the lines takes no clicks.
        std::vector<GtkListBoxRow*> rows;
        for (int index = 0; GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list), index); ++index) {
            if (gtk_list_box_row_get_activatable(row))
                rows.push_back(row);
        }
        ASSERT_EQ(rows.size(), 2u);
        // As a person's mouse does, the pointer comes over the line before
        // it clicks; the list shows the line under it lit. A screen just
        // shown on a busy machine may miss the pointer's first arrival, and
        // the person then moves the mouse over the line again.
        GtkWidget* clicked = GTK_WIDGET(rows[scan.line]);
        auto lit = [&] { return (gtk_widget_get_state_flags(clicked) & GTK_STATE_FLAG_PRELIGHT) != 0; };
        for (int arrival = 0; arrival < 3 && !lit(); ++arrival) {
            ASSERT_TRUE(test::movePointerOver(clicked));
            settle(lit);
        }
        ASSERT_TRUE(lit()) << "the line under the pointer was not lit";
        ASSERT_TRUE(test::clickWidget(clicked));
        std::u16string line = screen->lines()[scan.line] + u"\n\n";
        ASSERT_TRUE(settle([&] { return editor->viewing().writingTools->scanner().scannedLiveTextBuffer() == line; }))
            << "the click did not reach the scanner's list";

        std::shared_ptr<BarButtonItem> done = screen->navigationItem()->rightBarButtonItems().front();
        GtkWidget* doneButton = presenter->widgetForBarButtonItem(*done);
        ASSERT_NE(doneButton, nullptr);
        ASSERT_TRUE(test::clickWidget(doneButton));
        ASSERT_TRUE(settle([&] { return pageText().find(scan.expected) != std::string::npos; })) << pageText();
    }
    EXPECT_EQ(pageText(), "FirstFish <and> chips\n\n line here.\nSecondare tasty\n\n line.") << "nothing else went in";
    EXPECT_EQ(run("document.querySelectorAll('#content and').length"), "0");
    EXPECT_TRUE(document->hasUnsavedChanges());
}


// Where the page's room begins in the window: below the bars above it.
int roomTopIn(GtkWidget* toplevel, GtkWidget* widget)
{
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &x, &y);
    return y;
}

TEST_F(RichTextViewingWindowTest, typewriterModeDrawsItsBandDividersAndExitButtonAndTakesTypingAtOnce)
{
    openDocument("{\\rtf1\\ansi First line here.\\par Second line.\\par}");
    if (HasFatalFailure())
        return;
    ASSERT_NE(pageWidget, nullptr);
    int roomTop = roomTopIn(toplevel, pageWidget);

    // The person was writing in the page: it has the focus and a caret.
    putCaretAfter("Second line.");
    gtk_widget_grab_focus(pageWidget);
    // Chosen from a menu of the window's bar, which closes as the mode begins.
    auto menu = Menu::make(u"", {Action::make(u"Typewriter Mode", "", [this](Action&) {
                                     editor->viewing().typewriter->typewriterMode();
                                 })});
    std::shared_ptr<BarButtonItem> anchor = editor->navigationItem()->effectiveTrailingItems().front();
    presenter->menuRequested(*menu, anchor.get());
    ASSERT_NE(presenter->menuPopover(), nullptr);
    auto entries = test::descendants(presenter->menuPopover(), GTK_TYPE_BUTTON);
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_TRUE(settle([&] { return gtk_widget_get_mapped(entries.front()) && gtk_widget_get_allocated_width(entries.front()) > 1; }));
    ASSERT_TRUE(test::clickWidget(entries.front()));
    ASSERT_TRUE(settle([&] { return pageWidget && gtk_widget_get_allocated_height(pageWidget) == 130; }))
        << "the page is no band";
    // The window is wider than high.
    const TypewriterMode::Layout& layout = TypewriterMode::layoutFor(true);
    // The bars above the page went: the band lies at its place in the room they left.
    int top = roomTopIn(toplevel, pageWidget) - static_cast<int>(layout.webViewY);
    EXPECT_LT(top, roomTop);

    // Typed at once, without a click into the page.
    ASSERT_TRUE(test::typeText("abc"));
    EXPECT_TRUE(settle([&] { return pageText().find("abc") != std::string::npos; })) << pageText();

    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rich-text-typewriter"));
    ASSERT_NE(shot, nullptr);
    int middle = gdk_pixbuf_get_width(shot) / 2;
    unsigned paper = test::pixelAt(shot, middle, top + static_cast<int>(layout.webViewY + layout.webViewHeight) - 5);
    unsigned topLine = test::pixelAt(shot, middle, top + static_cast<int>(layout.topDividerY));
    unsigned bottomLine = test::pixelAt(shot, middle, top + static_cast<int>(layout.bottomDividerY));
    unsigned between = test::pixelAt(shot, middle, top + static_cast<int>(layout.bottomDividerY) + 20);
    EXPECT_EQ(paper, 0xffffffu) << "the page's band is white";
    EXPECT_EQ(topLine, 0x999999u) << std::hex << topLine;
    EXPECT_EQ(bottomLine, 0x999999u) << std::hex << bottomLine;
    EXPECT_NE(between, 0xffffffu) << "below the band the page is gone";
    g_object_unref(shot);

    // The exit button floats over the page's top right corner and leaves the mode.
    GtkWidget* exit = presenter->widgetForView(*editor->viewing().modes->exitFullScreenMode());
    ASSERT_NE(exit, nullptr);
    ASSERT_TRUE(test::clickWidget(exit));
    ASSERT_TRUE(settle([&] { return !editor->viewing().typewriter->isTypewriterMode(); }));
    EXPECT_TRUE(settle([&] { return pageWidget && gtk_widget_get_allocated_height(pageWidget) > 300; }));
    EXPECT_EQ(presenter->widgetForView(*editor->viewing().typewriter->topDivider()), nullptr);
    EXPECT_EQ(roomTopIn(toplevel, pageWidget), roomTop) << "the ruler and banner are back";
    ASSERT_TRUE(test::typeText("z"));
    EXPECT_TRUE(settle([&] { return pageText().find("z") != std::string::npos; })) << pageText();
}

TEST_F(RichTextViewingWindowTest, fullScreenShowsItsExitButtonOverThePageAndTheButtonLeavesIt)
{
    openDocument("{\\rtf1\\ansi First line here.\\par Second line.\\par}");
    if (HasFatalFailure())
        return;
    int roomTop = roomTopIn(toplevel, pageWidget);
    RichTextViewModes& modes = *editor->viewing().modes;
    modes.fullScreenDocumentMode();
    ASSERT_TRUE(modes.isFullScreenDocumentMode());
    GtkWidget* exit = nullptr;
    ASSERT_TRUE(settle([&] {
        exit = presenter->widgetForView(*modes.exitFullScreenMode());
        return exit && gtk_widget_get_mapped(exit) && gtk_widget_get_allocated_width(exit) > 1 && pageWidget &&
               roomTopIn(toplevel, pageWidget) < roomTop;
    })) << "no exit button, or the bars above the page stay";
    EXPECT_EQ(run("document.getElementById('content').contentEditable"), "false");

    // The button stands over the page's top right corner, drawn.
    int x = 0;
    int y = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(exit, toplevel, 0, 0, &x, &y));
    int pageX = 0;
    int pageY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &pageX, &pageY));
    EXPECT_GT(x, pageX + gtk_widget_get_allocated_width(pageWidget) / 2);
    EXPECT_LT(y, pageY + 100);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("rich-text-full-screen"));
    ASSERT_NE(shot, nullptr);
    int width = gtk_widget_get_allocated_width(exit);
    int height = gtk_widget_get_allocated_height(exit);
    bool inked = false;
    for (int dx = 0; dx < width && !inked; ++dx) {
        for (int dy = 0; dy < height && !inked; ++dy)
            inked = test::pixelAt(shot, x + dx, y + dy) != test::pixelAt(shot, x - 4, y + height / 2);
    }
    EXPECT_TRUE(inked) << "the button is drawn, not only placed";
    g_object_unref(shot);

    ASSERT_TRUE(test::clickWidget(exit));
    ASSERT_TRUE(settle([&] { return !modes.isFullScreenDocumentMode(); }));
    EXPECT_TRUE(settle([&] { return roomTopIn(toplevel, pageWidget) == roomTop; })) << "the ruler and banner are back";
    EXPECT_EQ(presenter->widgetForView(*modes.exitFullScreenMode()), nullptr);
    EXPECT_EQ(run("document.getElementById('content').contentEditable"), "true");
    ASSERT_TRUE(test::typeText("q"));
    EXPECT_TRUE(settle([&] { return pageText().find("q") != std::string::npos; })) << "the page has the keyboard again";
}

// The application shows its editors in a navigation controller, whose bar is
// the window's title bar: full screen and typewriter mode hide it, and the
// page stays.
TEST_F(RichTextViewingWindowTest, theModesHideTheWindowsBarAndThePageStaysDrawn)
{
    openDocument("{\\rtf1\\ansi\\fs48 Big dark words stand here.\\par}", Root::Navigation);
    if (HasFatalFailure())
        return;
    GtkWidget* header = presenter->headerBarForWindow(*window);
    ASSERT_TRUE(gtk_widget_get_visible(header));
    auto inkedPage = [&](const char* name) {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        if (!shot || !pageWidget)
            return false;
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(pageWidget, toplevel, 0, 0, &x, &y);
        int dark = 0;
        for (int dy = 0; dy < 60; ++dy) {
            for (int dx = 0; dx < 300; ++dx)
                dark += test::pixelAt(shot, x + dx, y + dy) < 0x404040u;
        }
        g_object_unref(shot);
        return dark > 50;
    };

    editor->viewing().modes->fullScreenDocumentMode();
    ASSERT_TRUE(settle([&] { return !gtk_widget_get_visible(header); })) << "the window's bar stays";
    EXPECT_TRUE(settle([&] { return inkedPage("rich-text-full-screen-without-bar"); })) << "the page went blank";
    editor->viewing().modes->closeFullScreenDocumentMode();
    ASSERT_TRUE(settle([&] { return gtk_widget_get_visible(header); }));

    editor->viewing().typewriter->typewriterMode();
    ASSERT_TRUE(settle([&] { return !gtk_widget_get_visible(header); }));
    EXPECT_TRUE(settle([&] { return inkedPage("rich-text-typewriter-without-bar"); })) << "the band went blank";
    ASSERT_TRUE(test::typeText("x"));
    EXPECT_TRUE(settle([&] { return pageText().find("x") != std::string::npos; })) << pageText();
    editor->viewing().typewriter->exitTypeWriterMode();
    ASSERT_TRUE(settle([&] { return gtk_widget_get_visible(header); }));
    EXPECT_TRUE(settle([&] { return inkedPage("rich-text-after-modes"); }));
}

} // namespace
} // namespace folio
