#include "markdown/MDTextViewBarItems.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/METoolbarButton.h"
#include "markdown/MEKeySets.h"
#include "markdown/MEKeyboardToolbar.h"
#include "markdown/MarkdownEditorRegistration.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/docframework/DKWebViewController.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkViewBuilder.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"
#include "shell/AppController.h"
#include "tools/inspectors/ControlSlices.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <fstream>
#include <sstream>

namespace folio {
namespace {

// How dark a pixel is: 0 white ... 765 black.
int darkness(unsigned pixel) { return 765 - int((pixel >> 16) & 0xFF) - int((pixel >> 8) & 0xFF) - int(pixel & 0xFF); }

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The program's converter, which the application installs at start.
class TestMarkdownConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
    std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown(markdown).plainText(); }
};

// A Markdown document opened as the application opens it, in a real window.
class MarkdownEditorWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Pictured from the screen: a display of its own keeps other tests' windows off it.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(*created);
        registerMarkdownEditor([this](MDTextViewController&) { previewShown = app.previews().previewOpenMarkdownDocument(); });
    }
    void TearDown() override
    {
        if (app.document()) {
            bool closed = false;
            app.closeDocument([&](Status) { closed = true; });
            RunLoop::main().runUntil([&] { return closed; }, 60);
        }
        EditorMakers::unregisterAll();
        restoreSettings();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    MDTextViewController& openEditor(const std::string& path)
    {
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 60));
        EXPECT_TRUE(opened && *opened);
        auto editor = std::dynamic_pointer_cast<MDTextViewController>(app.currentDocument()->currentTextViewController());
        EXPECT_TRUE(editor);
        return *editor;
    }
    GtkWidget* editorWidget()
    {
        GtkWidget* toplevel = presenter->widgetForWindow(*app.documentWindow());
        auto views = test::descendants(toplevel, GTK_TYPE_TEXT_VIEW);
        return views.size() == 1 ? views.front() : nullptr;
    }
    void typeKey(GtkWidget* view, guint keyval) { test::pressKey(view, keyval); }
    std::string fileText(const std::string& path)
    {
        std::stringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    // The settings a test changes are put back as they were.
    void keepSetting(const std::string& key)
    {
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        keptSettings.emplace_back(key, defaults.objectForKey(key));
    }
    void restoreSettings()
    {
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        for (const auto& [key, value] : keptSettings) {
            if (value)
                defaults.setObject(key, *value);
            else
                defaults.removeObjectForKey(key);
        }
        keptSettings.clear();
    }
    // The right edge of the dark ink drawn on the text's first line, in the window.
    int inkRightEdgeOfFirstLine(GtkWidget* view, const std::string& shotName)
    {
        return inkEdgesOfFirstLine(view, shotName).second;
    }
    // The left and right edges of that ink, from the view's left edge.
    std::pair<int, int> inkEdgesOfFirstLine(GtkWidget* view, const std::string& shotName)
    {
        GtkWidget* toplevel = gtk_widget_get_toplevel(view);
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(shotName));
        if (!shot)
            return {-1, -1};
        GtkTextIter start;
        gtk_text_buffer_get_start_iter(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), &start);
        GdkRectangle line;
        gtk_text_view_get_iter_location(GTK_TEXT_VIEW(view), &start, &line);
        int left = 0;
        int top = 0;
        gtk_widget_translate_coordinates(view, toplevel, 0, 0, &left, &top);
        int edge = -1;
        const int width = std::min(gtk_widget_get_allocated_width(view), gdk_pixbuf_get_width(shot) - left);
        for (int y = line.y; y < line.y + line.height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (darkness(test::pixelAt(shot, left + x, top + y)) > 400)
                    edge = std::max(edge, x);
            }
        }
        // The band of the line may reach only the tallest letters' tops in
        // the picture: the left edge is looked for half a line around it.
        int leftEdge = -1;
        const int height = gdk_pixbuf_get_height(shot) - top;
        for (int y = std::max(0, line.y - line.height / 2); y < std::min(height, line.y + line.height * 3 / 2); ++y) {
            for (int x = 0; x < width && (leftEdge < 0 || x < leftEdge); ++x) {
                if (darkness(test::pixelAt(shot, left + x, top + y)) > 400)
                    leftEdge = x;
            }
        }
        g_object_unref(shot);
        return {leftEdge, edge};
    }

    test::ScratchFolder folder;
    std::vector<std::pair<std::string, std::optional<PropertyList>>> keptSettings;
    std::unique_ptr<GtkPresenter> presenter;
    AppController app;
    Status previewShown = Error{"test", 1, "no preview asked for"};
};

TEST_F(MarkdownEditorWindowTest, TypedTextIsSavedAndThereWhenTheDocumentOpensAgain)
{
    const std::string path = folder.file("notes.md");
    std::ofstream(path, std::ios::binary) << "# Notes\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    gtk_widget_grab_focus(view);
    editor.markdownTextView().setSelectedRange({8, 0});
    GtkPresenter::processPendingEvents();
    for (guint key : {GDK_KEY_asterisk, GDK_KEY_space, GDK_KEY_H, GDK_KEY_i, GDK_KEY_Return, GDK_KEY_o, GDK_KEY_k,
                      GDK_KEY_space, GDK_KEY_Tab})
        typeKey(view, key);
    EXPECT_EQ(editor.text(), u"# Notes\n* Hi\n* ok  ") << "typed through the window: the list continues, the tab after a blank is a space";
    EXPECT_TRUE(app.currentDocument()->hasUnsavedChanges());
    GtkTextIter bufferStart;
    GtkTextIter bufferEnd;
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    gtk_text_buffer_get_bounds(buffer, &bufferStart, &bufferEnd);
    gchar* shown = gtk_text_buffer_get_text(buffer, &bufferStart, &bufferEnd, FALSE);
    EXPECT_STREQ(shown, "# Notes\n* Hi\n* ok  ") << "the window shows what the editor holds";
    g_free(shown);
    // Exports of the open document take what was typed, before any save.
    MarkdownConverter::setShared(std::make_shared<TestMarkdownConverter>());
    Result<std::string> exported = app.exports().TXTDataForFileItem(path);
    ASSERT_TRUE(exported) << exported.error().message;
    EXPECT_NE(exported->find("ok"), std::string::npos) << *exported;
    Result<std::string> html = app.exports().HTMLStringForFileItem(path);
    ASSERT_TRUE(html) << html.error().message;
    EXPECT_NE(html->find("<li>ok"), std::string::npos) << *html;
    MarkdownConverter::setShared(nullptr);

    // The editor as it shows: dark text on the heading's line, plain paper
    // below the last line.
    GtkWidget* toplevel = presenter->widgetForWindow(*app.documentWindow());
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-editor"));
    ASSERT_TRUE(shot);
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(view, toplevel, 0, 0, &left, &top);
    GdkRectangle heading;
    GtkTextIter start;
    gtk_text_buffer_get_start_iter(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), &start);
    gtk_text_view_get_iter_location(GTK_TEXT_VIEW(view), &start, &heading);
    int darkest = 0;
    for (int x = 0; x < 120; ++x) {
        for (int y = 0; y < heading.height; ++y)
            darkest = std::max(darkest, darkness(test::pixelAt(shot, left + heading.x + x, top + heading.y + y)));
    }
    EXPECT_GT(darkest, 400) << "the heading is drawn";
    const unsigned paper = test::pixelAt(shot, left + gtk_widget_get_allocated_width(view) - 20,
                                         top + gtk_widget_get_allocated_height(view) - 20);
    EXPECT_LT(darkness(paper), 60) << "the paper below the text is light";
    g_object_unref(shot);

    bool saved = false;
    editor.saveCurrentDocument([&] { saved = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved; }, 60));
    EXPECT_EQ(fileText(path), "# Notes\n* Hi\n* ok  ");

    bool closed = false;
    app.closeDocument([&](Status status) {
        EXPECT_TRUE(status);
        closed = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed; }, 60));
    MDTextViewController& reopened = openEditor(path);
    EXPECT_EQ(reopened.text(), u"# Notes\n* Hi\n* ok  ");
    EXPECT_FALSE(app.currentDocument()->hasUnsavedChanges());
}

// A text file from another system keeps its byte-order mark and CR LF line
// ends through an edit, and the line the user adds ends with CR LF too.
TEST_F(MarkdownEditorWindowTest, AnEditedFileKeepsItsByteOrderMarkAndLineEnds)
{
    const std::string path = folder.file("windows.txt");
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFOne\r\nTwo\r\n";
    MDTextViewController& editor = openEditor(path);
    EXPECT_EQ(editor.text(), u"One\nTwo\n") << "the editor shows lines, not their ends";
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    gtk_widget_grab_focus(view);
    editor.markdownTextView().setSelectedRange({3, 0});
    GtkPresenter::processPendingEvents();
    for (guint key : {GDK_KEY_Return, GDK_KEY_N, GDK_KEY_e, GDK_KEY_w})
        typeKey(view, key);
    ASSERT_EQ(editor.text(), u"One\nNew\nTwo\n") << "typed through the window";

    bool saved = false;
    editor.saveCurrentDocument([&] { saved = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved; }, 60));
    EXPECT_EQ(fileText(path), "\xEF\xBB\xBFOne\r\nNew\r\nTwo\r\n");
}

TEST_F(MarkdownEditorWindowTest, ScrolledTextReachesTheTopOfTheViewAndKeepsItsSideMargins)
{
    const std::string path = folder.file("long.md");
    {
        std::ofstream file(path, std::ios::binary);
        for (int line = 1; line <= 200; ++line)
            file << "Line " << line << " of a text long enough to scroll well past the top of the window, with lines"
                 << " wide enough to wrap at the right edge of the text, wherever that edge lies.\n";
    }
    openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkAdjustment* vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
    ASSERT_TRUE(vertical);
    // Scrolled to the middle, where lines lie above and below what shows.
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    GtkTextIter middle;
    gtk_text_buffer_get_iter_at_line(buffer, &middle, 100);
    GtkTextMark* mark = gtk_text_buffer_create_mark(buffer, nullptr, &middle, TRUE);
    // Asked again until it holds: GTK drops a scroll asked for before the
    // view has its size or has laid out the lines up to the mark.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(view), mark, 0, TRUE, 0, 0.5);
            GtkPresenter::processPendingEvents();
            return gtk_adjustment_get_value(vertical) > 200;
        },
        30));
    GtkPresenter::processPendingEvents();

    GtkWidget* toplevel = presenter->widgetForWindow(*app.documentWindow());
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-scrolled"));
    ASSERT_TRUE(shot);
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(view, toplevel, 0, 0, &left, &top);
    const int width = gtk_widget_get_allocated_width(view);
    const int height = gtk_widget_get_allocated_height(view);
    auto darkestIn = [&](int x0, int x1, int y0, int y1) {
        int darkest = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x)
                darkest = std::max(darkest, darkness(test::pixelAt(shot, left + x, top + y)));
        }
        return darkest;
    };
    // Text runs right up to the top edge of the view: no band hides it.
    EXPECT_GT(darkestIn(22, 300, 0, 24), 400) << "text under the top edge";
    EXPECT_GT(darkestIn(22, 300, height / 2 - 12, height / 2 + 12), 400) << "text in the middle";
    // A margin on each side that no text enters. The scroll just made may
    // still show GTK's light scroll indicator along the right edge: only a
    // glyph's dark strokes count.
    EXPECT_LT(darkestIn(2, 18, 0, height), 200) << "the left margin is empty";
    EXPECT_LT(darkestIn(width - 18, width - 2, 0, height), 200) << "the right margin is empty";
    g_object_unref(shot);
}

// The counter the user keeps shown opens with the document, over the text,
// and follows the typing.
TEST_F(MarkdownEditorWindowTest, TheWordCounterShowsTheCountsAndFollowsTheTyping)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    std::optional<bool> before = defaults.boolForKey(MEMarkdownTextView::kWordCounterVisibleKey);
    defaults.setBool(MEMarkdownTextView::kWordCounterVisibleKey, true);
    const std::string path = folder.file("counted.md");
    std::ofstream(path, std::ios::binary) << "Two words\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    auto counterText = [&] {
        for (const std::string& text : test::labelTexts(toplevel)) {
            if (text.rfind("Chars ", 0) == 0)
                return text;
        }
        return std::string();
    };
    auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return endsWith(counterText(), " Words 2"); }, 30)) << counterText();
    std::string opened = counterText();
    GtkWidget* label = nullptr;
    for (GtkWidget* candidate : test::descendants(toplevel, GTK_TYPE_LABEL)) {
        if (std::string(gtk_label_get_text(GTK_LABEL(candidate))).rfind("Chars ", 0) == 0)
            label = candidate;
    }
    ASSERT_TRUE(label);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(label); }, 20));
    // Centred over the text, though placed before the view had its width.
    int labelCentre = 0;
    int viewCentre = 0;
    int ignored = 0;
    gtk_widget_translate_coordinates(label, toplevel, gtk_widget_get_allocated_width(label) / 2, 0, &labelCentre,
                                     &ignored);
    gtk_widget_translate_coordinates(view, toplevel, gtk_widget_get_allocated_width(view) / 2, 0, &viewCentre,
                                     &ignored);
    EXPECT_NEAR(labelCentre, viewCentre, 20);

    // Typed with real keys at the end of the text.
    ASSERT_TRUE(test::focusWindow(toplevel));
    gtk_widget_grab_focus(view);
    editor.markdownTextView().setSelectedRange({9, 0});
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::typeText(" more"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return endsWith(counterText(), " Words 3"); }, 30)) << counterText();
    EXPECT_NE(counterText().substr(0, counterText().find(" Words")), opened.substr(0, opened.find(" Words")));
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-word-counter"));
    ASSERT_TRUE(shot);
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(label, toplevel, 0, gtk_widget_get_allocated_height(label) / 2, &x, &y);
    // The counter's text is drawn there, dark on its white ground.
    int darkest = 0;
    for (int step = 0; step < gtk_widget_get_allocated_width(label); ++step)
        darkest = std::max(darkest, darkness(test::pixelAt(shot, x + step, y)));
    EXPECT_GT(darkest, 300);
    g_object_unref(shot);
    if (before)
        defaults.setBool(MEMarkdownTextView::kWordCounterVisibleKey, *before);
    else
        defaults.removeObjectForKey(MEMarkdownTextView::kWordCounterVisibleKey);
}

// The text-style item opens the layout inspector; its larger size, clicked
// with the pointer, makes the text in the window larger at once.
TEST_F(MarkdownEditorWindowTest, TheLayoutInspectorMakesTheShownTextLarger)
{
    for (const char* key : {"markdownDefaultFontSize", "markdownDefaultFont"})
        keepSetting(key);
    UserDefaults::standardUserDefaults().setFloat("markdownDefaultFontSize", 16);
    const std::string path = folder.file("sized.md");
    std::ofstream(path, std::ios::binary) << "Harbour lights at dusk\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    ASSERT_TRUE(test::focusWindow(toplevel));
    int before = -1;
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return (before = inkRightEdgeOfFirstLine(view, "markdown-size-before")) > 0; }, 20));

    GtkWidget* styleItem = presenter->widgetForBarButtonItem(*editor.barItems().textStyleBarButtonItem());
    ASSERT_TRUE(styleItem);
    ASSERT_TRUE(gtk_widget_get_sensitive(styleItem)) << "the text-style item can be used";
    ASSERT_TRUE(test::clickWidget(styleItem));
    const std::shared_ptr<DKInspector>& inspector = editor.layoutInspector();
    GtkWidget* pane = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        pane = inspector->isVisible() ? presenter->widgetForController(*inspector->navigationController()) : nullptr;
        return pane && gtk_widget_get_mapped(pane);
    }, 20));
    std::shared_ptr<StepperSlice> size;
    for (const auto& slice : inspector->mainPane()->slices()) {
        if (slice->identifier() == "DKFontInspectorSliceMD.size")
            size = std::dynamic_pointer_cast<StepperSlice>(slice);
    }
    ASSERT_TRUE(size);
    for (int press = 1; press <= 4; ++press) {
        GtkWidget* larger = GtkViewBuilder::widgetForView(pane, *size->increaseButton());
        ASSERT_TRUE(larger);
        ASSERT_TRUE(test::clickWidget(larger));
        const std::u16string expected = toUtf16(std::to_string(16 + press) + " pt");
        ASSERT_TRUE(RunLoop::main().runUntil([&] {
            GtkPresenter::processPendingEvents();
            return size->valueLabel()->text() == expected;
        }, 10)) << "press " << press << ": " << toUtf8(size->valueLabel()->text());
    }
    EXPECT_TRUE(contains(test::labelTexts(pane), "20 pt")) << "the slice shows the new size";
    ASSERT_TRUE(test::clickWidget(styleItem));
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        return !inspector->isVisible();
    }, 20)) << "a second press closes the inspector";

    // The same words reach further right in a larger monospaced face.
    view = editorWidget();
    ASSERT_TRUE(view);
    int after = -1;
    EXPECT_TRUE(RunLoop::main().runUntil([&] {
        after = inkRightEdgeOfFirstLine(view, "markdown-size-after");
        return after > before * 1.15;
    }, 20)) << "ink ends at " << before << " before and " << after << " after";
    EXPECT_EQ(editor.text(), u"Harbour lights at dusk\n") << "only the look changed";
    EXPECT_FALSE(app.currentDocument()->hasUnsavedChanges());
}

// The margin rows tell the margin the text has, and a changed margin moves
// the text in the open window at once.
TEST_F(MarkdownEditorWindowTest, TheLayoutInspectorsSideMarginsShowAndMoveTheShownText)
{
    for (const char* key : {"markdownPageMarginLeft", "markdownPageMarginRight"}) {
        keepSetting(key);
        UserDefaults::standardUserDefaults().removeObjectForKey(key);
    }
    const std::string path = folder.file("margins.md");
    // No line after it: the caret stands at the end of the line, right of the text.
    std::ofstream(path, std::ios::binary) << "Harbour lights at dusk";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(view)));
    int before = -1;
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return (before = inkEdgesOfFirstLine(view, "markdown-margin-before").first) > 0; }, 20));
    EXPECT_NEAR(before, 22, 4) << "the editor's border";

    GtkWidget* styleItem = presenter->widgetForBarButtonItem(*editor.barItems().textStyleBarButtonItem());
    ASSERT_TRUE(styleItem);
    ASSERT_TRUE(test::clickWidget(styleItem));
    const std::shared_ptr<DKInspector>& inspector = editor.layoutInspector();
    GtkWidget* pane = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        pane = inspector->isVisible() ? presenter->widgetForController(*inspector->navigationController()) : nullptr;
        return pane && gtk_widget_get_mapped(pane);
    }, 20));
    std::shared_ptr<StepperSlice> left;
    for (const auto& slice : inspector->mainPane()->slices()) {
        if (slice->identifier() == "DKPageLeftMarginSliceMD")
            left = std::dynamic_pointer_cast<StepperSlice>(slice);
    }
    ASSERT_TRUE(left);
    EXPECT_TRUE(contains(test::labelTexts(pane), "0.78 cm")) << "the row tells the margin in use";
    // Four steps of a quarter centimetre: 1 cm, 28 points more.
    for (int press = 1; press <= 4; ++press) {
        GtkWidget* wider = GtkViewBuilder::widgetForView(pane, *left->increaseButton());
        ASSERT_TRUE(wider);
        ASSERT_TRUE(test::clickWidget(wider));
        ASSERT_TRUE(RunLoop::main().runUntil([&] {
            GtkPresenter::processPendingEvents();
            return UserDefaults::standardUserDefaults().floatForKey("markdownPageMarginLeft").value_or(0) > 0.7f + 0.25f * press;
        }, 10)) << "press " << press;
    }
    EXPECT_TRUE(contains(test::labelTexts(pane), "1.78 cm")) << "the row shows the new margin";
    view = editorWidget();
    ASSERT_TRUE(view);
    int after = -1;
    EXPECT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        after = inkEdgesOfFirstLine(view, "markdown-margin-after").first;
        return after > before + 24;
    }, 20)) << "the text starts at " << before << " before and " << after << " after";
    EXPECT_NEAR(after - before, 28, 4);
    EXPECT_EQ(editor.text(), u"Harbour lights at dusk") << "only the look changed";
}

// The overlay's message stands on a plate of its own, not on the text.
TEST_F(MarkdownEditorWindowTest, TheOverlaysMessageStandsOnItsOwnPlate)
{
    const std::string path = folder.file("crowded.md");
    {
        std::ofstream file(path, std::ios::binary);
        for (int line = 1; line <= 60; ++line)
            file << "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM\n";
    }
    openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    ProgressHUD::showErrorWithStatus(u"Location Services disabled.");
    GtkWidget* plate = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        for (GtkWidget* label : test::descendants(toplevel, GTK_TYPE_LABEL)) {
            if (std::string(gtk_label_get_text(GTK_LABEL(label))) == "Location Services disabled.")
                plate = gtk_widget_get_ancestor(label, GTK_TYPE_FRAME);
        }
        return plate && gtk_widget_get_allocated_width(plate) > 1;
    }, 10));
    int x = 0;
    int y = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(plate, toplevel, 0, 0, &x, &y));
    const int width = gtk_widget_get_allocated_width(plate);
    const int height = gtk_widget_get_allocated_height(plate);
    // Across the plate's padding, left of the mark and the words: one
    // colour, dark under the light words, wherever letters lie behind.
    int light = 0;
    RunLoop::main().runUntil([&] {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-overlay-plate"));
        if (!shot)
            return false;
        light = 0;
        for (int dy = height / 4; dy < height * 3 / 4; ++dy) {
            for (int dx = 4; dx < 12; ++dx)
                light += darkness(test::pixelAt(shot, x + dx, y + dy)) < 300;
        }
        g_object_unref(shot);
        return light == 0;
    }, 10);
    EXPECT_EQ(light, 0) << "the text shows through the overlay";
    ProgressHUD::dismiss();
}

// An insertion menu stands as tall as its rows, under a title in the text's
// own colour that does not take the keyboard.
TEST_F(MarkdownEditorWindowTest, AnInsertionMenuIsAsTallAsItsRowsUnderAPlainTitle)
{
    const std::string path = folder.file("menu.md");
    std::ofstream(path, std::ios::binary) << "Harbour lights\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(view)));
    auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(editor.markdownTextView().inputAccessoryView());
    ASSERT_TRUE(bar);
    std::u16string title;
    for (const MEKeySpec& key : markdownKeySet(true)) {
        if (key.menu == MEKeyMenu::ExtraMarkups)
            title = key.title;
    }
    std::shared_ptr<METoolbarButton> menuKey;
    for (const auto& key : bar->buttons()) {
        if (key->title() == title)
            menuKey = key;
    }
    ASSERT_TRUE(menuKey);
    GtkWidget* keyWidget = presenter->widgetForView(*menuKey);
    ASSERT_TRUE(keyWidget);
    ASSERT_TRUE(test::clickWidget(keyWidget));
    GtkWidget* heading = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        heading = nullptr;
        std::shared_ptr<ViewController> menu = editor.presentedViewController();
        GtkWidget* shown = menu ? presenter->widgetForController(*menu) : nullptr;
        for (GtkWidget* label : shown ? test::descendants(shown, GTK_TYPE_LABEL) : std::vector<GtkWidget*>{}) {
            if (std::string(gtk_label_get_text(GTK_LABEL(label))) == "Extra Markups" && gtk_widget_get_mapped(label))
                heading = label;
        }
        return heading && gtk_widget_get_allocated_height(heading) > 1;
    }, 10)) << "the menu's title is not shown";
    GtkWidget* list = gtk_widget_get_ancestor(heading, GTK_TYPE_LIST_BOX);
    GtkWidget* popover = gtk_widget_get_ancestor(heading, GTK_TYPE_POPOVER);
    ASSERT_TRUE(list && popover);
    for (int pass = 0; pass < 10; ++pass)
        GtkPresenter::processPendingEvents();
    // The rows fill the popover: no band of nothing as tall again below them.
    GList* children = gtk_container_get_children(GTK_CONTAINER(list));
    GtkWidget* lastRow = GTK_WIDGET(g_list_last(children)->data);
    g_list_free(children);
    int rowsEnd = 0;
    int unused = 0;
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(popover));
    ASSERT_TRUE(gtk_widget_translate_coordinates(lastRow, content, 0, gtk_widget_get_allocated_height(lastRow), &unused, &rowsEnd));
    const int shown = gtk_widget_get_allocated_height(content);
    EXPECT_GE(rowsEnd, shown * 9 / 10) << "rows end " << rowsEnd << " down a popover " << shown << " high";
    // The title in the text's own colour, and without the keyboard's outline.
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    int darkest = 0;
    RunLoop::main().runUntil([&] {
        int x = 0;
        int y = 0;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-insertion-menu"));
        if (!shot || !gtk_widget_translate_coordinates(heading, toplevel, 0, 0, &x, &y))
            return false;
        darkest = 0;
        for (int dy = 0; dy < gtk_widget_get_allocated_height(heading); ++dy) {
            for (int dx = 0; dx < gtk_widget_get_allocated_width(heading); ++dx)
                darkest = std::max(darkest, darkness(test::pixelAt(shot, x + dx, y + dy)));
        }
        g_object_unref(shot);
        return darkest > 600;
    }, 10);
    EXPECT_GT(darkest, 600) << "the title is greyed";
    GtkWidget* focused = gtk_window_get_focus(GTK_WINDOW(gtk_widget_get_toplevel(popover)));
    EXPECT_FALSE(focused && (focused == heading || gtk_widget_is_ancestor(heading, focused)))
        << "the title has the keyboard";
}

// The word counter chosen from the Tools menu shows over the text, and the
// keys typed next reach the text and the count.
TEST_F(MarkdownEditorWindowTest, TheWordCounterFromToolsCountsWhatIsTypedNext)
{
    keepSetting(MEMarkdownTextView::kWordCounterVisibleKey);
    UserDefaults::standardUserDefaults().setBool(MEMarkdownTextView::kWordCounterVisibleKey, false);
    const std::string path = folder.file("tools.md");
    std::ofstream(path, std::ios::binary) << "Two words";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::clickWidget(view));
    editor.markdownTextView().setSelectedRange({9, 0});
    auto counterText = [&] {
        for (const std::string& text : test::labelTexts(gtk_widget_get_toplevel(editorWidget())))
            if (text.rfind("Chars ", 0) == 0)
                return text;
        return std::string();
    };
    EXPECT_EQ(counterText(), "");

    GtkWidget* tools = presenter->widgetForBarButtonItem(*editor.barItems().toolsBarButtonItem());
    ASSERT_TRUE(tools);
    ASSERT_TRUE(test::clickWidget(tools));
    GtkWidget* entry = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        if (GtkWidget* menu = presenter->menuPopover()) {
            for (GtkWidget* label : test::descendants(menu, GTK_TYPE_LABEL))
                if (std::string(gtk_label_get_text(GTK_LABEL(label))) == "Word Counter")
                    entry = label;
        }
        return entry && gtk_widget_get_mapped(entry);
    }, 20));
    ASSERT_TRUE(test::clickWidget(entry));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return counterText() == "Chars 9 Words 2"; }, 30)) << counterText();

    ASSERT_TRUE(test::typeText(" more"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return counterText() == "Chars 14 Words 3"; }, 30)) << counterText();
    EXPECT_EQ(editor.text(), u"Two words more");
}

// The TeX keys end well before the window's edge; the bar's colour runs on
// to the edge all the same.
TEST_F(MarkdownEditorWindowTest, TheKeyBarsColourReachesTheWindowsEdge)
{
    const std::string path = folder.file("paper.tex");
    std::ofstream(path, std::ios::binary) << "\\section{One}\n";
    openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(view); }, 20));
    GtkWidget* lastKey = nullptr;
    int lastKeyRight = 0;
    for (GtkWidget* button : test::descendants(toplevel, GTK_TYPE_BUTTON)) {
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(button, toplevel, gtk_widget_get_allocated_width(button), 0, &x, &y);
        int viewTop = 0;
        int viewX = 0;
        gtk_widget_translate_coordinates(view, toplevel, 0, gtk_widget_get_allocated_height(view), &viewX, &viewTop);
        if (y >= viewTop && x > lastKeyRight) {
            lastKey = button;
            lastKeyRight = x;
        }
    }
    ASSERT_TRUE(lastKey) << "no keys below the text";
    const int width = gtk_widget_get_allocated_width(toplevel);
    ASSERT_LT(lastKeyRight, width - 60) << "the TeX keys fill the window; the test needs room after them";
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(lastKey, toplevel, 0, gtk_widget_get_allocated_height(lastKey) / 2, &x, &y);
    GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-tex-key-bar"));
    ASSERT_TRUE(shot);
    const unsigned beside = test::pixelAt(shot, lastKeyRight + 10, y);
    const unsigned atEdge = test::pixelAt(shot, width - 20, y);
    g_object_unref(shot);
    EXPECT_GT(darkness(beside), 60) << "the bar's grey beside its last key";
    EXPECT_EQ(atEdge, beside) << "the bar's colour stops before the window's edge";
}

// Every key of the Markdown row can be brought into the window: the row
// scrolls sideways to its last key rather than running past the window's edge.
TEST_F(MarkdownEditorWindowTest, EveryKeyOfTheRowCanBeScrolledIntoTheWindow)
{
    const std::string path = folder.file("keys.md");
    std::ofstream(path, std::ios::binary) << "# Keys\n\nA line.\n";
    openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* toplevel = gtk_widget_get_toplevel(view);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(view); }, 20));
    auto keysBelowTheText = [&] {
        int textBottom = 0;
        int textX = 0;
        gtk_widget_translate_coordinates(view, toplevel, 0, gtk_widget_get_allocated_height(view), &textX, &textBottom);
        std::vector<GtkWidget*> keys;
        for (GtkWidget* button : test::descendants(toplevel, GTK_TYPE_BUTTON)) {
            int x = 0;
            int y = 0;
            gtk_widget_translate_coordinates(button, toplevel, 0, 0, &x, &y);
            if (y >= textBottom && gtk_widget_get_mapped(button))
                keys.push_back(button);
        }
        return keys;
    };
    auto rightEdge = [&](GtkWidget* key) {
        int x = 0;
        int y = 0;
        gtk_widget_translate_coordinates(key, toplevel, gtk_widget_get_allocated_width(key), 0, &x, &y);
        return x;
    };
    std::vector<GtkWidget*> keys = keysBelowTheText();
    ASSERT_GT(keys.size(), 20u) << "no key row below the text";
    GtkWidget* last = *std::max_element(keys.begin(), keys.end(), [&](GtkWidget* a, GtkWidget* b) { return rightEdge(a) < rightEdge(b); });
    // Where the row can be seen: inside the outermost scroller that holds it.
    GtkWidget* seen = nullptr;
    for (GtkWidget* up = gtk_widget_get_parent(last); up; up = gtk_widget_get_parent(up)) {
        if (GTK_IS_SCROLLED_WINDOW(up))
            seen = up;
    }
    ASSERT_TRUE(seen) << "the row is in no scroller";
    const int width = rightEdge(seen);
    ASSERT_GT(rightEdge(last), width) << "the keys fit the window; the test needs a row wider than it";

    // The mouse wheel turned over the row moves it along: the last key
    // comes into the window whole.
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(toplevel));
    for (int turn = 0; turn < 10; ++turn) {
        GdkEvent* wheel = gdk_event_new(GDK_SCROLL);
        wheel->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(keys.front())));
        wheel->scroll.direction = GDK_SCROLL_DOWN;
        wheel->scroll.time = GDK_CURRENT_TIME;
        gdk_event_set_device(wheel, gdk_seat_get_pointer(seat));
        gtk_main_do_event(wheel);
        gdk_event_free(wheel);
    }
    RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        return rightEdge(last) <= width;
    }, 5);
    EXPECT_LE(rightEdge(last), width) << "the last key stays past the window's edge";
}

TEST_F(MarkdownEditorWindowTest, ThePreviewShowsTheConvertedText)
{
    const std::string path = folder.file("preview.md");
    std::ofstream(path, std::ios::binary) << "# Harbour\n\nThe *tide* turns.\n";
    MDTextViewController& editor = openEditor(path);
    ASSERT_TRUE(editor.barItems().previewMDDocumentBarButtonItem()->tap());
    ASSERT_TRUE(previewShown) << previewShown.error().message;
    std::shared_ptr<DKWebViewController> preview = app.previews().previewWebViewController();
    ASSERT_TRUE(preview && preview->webView());
    WebView& page = *preview->webView();
    std::string heading;
    RunLoop::main().runUntil([&] {
        heading = page.isLoading() ? "" : page.stringByEvaluatingJavaScript("document.querySelector('h1') ? document.querySelector('h1').textContent : ''");
        return heading == "Harbour";
    }, 60);
    EXPECT_EQ(heading, "Harbour");
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelector('em') ? document.querySelector('em').textContent : ''"), "tide");

    // The page as it shows: the heading's box holds dark text on light paper.
    GtkWidget* toplevel = presenter->widgetForController(*preview->parentViewController());
    ASSERT_TRUE(toplevel);
    RunLoop::main().runUntil([&] { return gtk_widget_get_mapped(toplevel); }, 20);
    std::string box = page.stringByEvaluatingJavaScript(
        "(function(){var r=document.querySelector('h1').getBoundingClientRect();"
        "return [Math.round(r.left),Math.round(r.top),Math.round(r.width),Math.round(r.height)].join(',');})()");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(box.c_str(), "%d,%d,%d,%d", &x, &y, &width, &height), 4) << box;
    std::vector<GtkWidget*> webWidgets = test::descendants(toplevel, g_type_from_name("WebKitWebView"));
    ASSERT_EQ(webWidgets.size(), 1u);
    int left = 0;
    int top = 0;
    gtk_widget_translate_coordinates(webWidgets.front(), toplevel, 0, 0, &left, &top);
    int darkest = 0;
    int lightest = 765;
    bool drawn = RunLoop::main().runUntil([&] {
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath("markdown-preview"));
        if (!shot)
            return false;
        darkest = 0;
        lightest = 765;
        for (int dx = 0; dx < std::min(width, 200); ++dx) {
            for (int dy = 0; dy < height; ++dy) {
                int value = darkness(test::pixelAt(shot, left + x + dx, top + y + dy));
                darkest = std::max(darkest, value);
                lightest = std::min(lightest, value);
            }
        }
        g_object_unref(shot);
        return darkest > 300 && lightest < 60;
    }, 20);
    EXPECT_TRUE(drawn) << "darkest " << darkest << ", lightest " << lightest;
}

// Opening the share menu ends the editing of the text, as the bar's other
// menus do; closing the menu does not take it up again.
TEST_F(MarkdownEditorWindowTest, TheShareMenuEndsTheEditingOfTheText)
{
    const std::string path = folder.file("editing.md");
    std::ofstream(path, std::ios::binary) << "# Editing\n\nA line being edited.\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* view = editorWidget();
    ASSERT_TRUE(view);
    GtkWidget* share = presenter->widgetForBarButtonItem(*editor.barItems().shareDocumentBarButtonItem());
    ASSERT_TRUE(share);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(view)));
    ASSERT_TRUE(test::clickWidget(view));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return gtk_widget_has_focus(view) && editor.textView()->isFirstResponder(); }, 20))
        << "the text is not being edited";

    ASSERT_TRUE(test::clickWidget(share));
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        menu = presenter->menuPopover();
        return menu && gtk_widget_get_mapped(menu);
    }, 20)) << "no menu at the share item";
    EXPECT_FALSE(editor.textView()->isFirstResponder()) << "the text is still being edited under the menu";
    ASSERT_TRUE(GTK_IS_POPOVER(menu));
    gtk_popover_popdown(GTK_POPOVER(menu));
    RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        return !gtk_widget_get_mapped(menu);
    }, 20);
    GtkPresenter::processPendingEvents();
    EXPECT_FALSE(editor.textView()->isFirstResponder()) << "closing the menu took the text up again";
}

// The share menu, opened with the pointer, offers the open file's PDF
// actions after printing and previewing, and ends with a row, not with a
// separator standing for a group with nothing in it.
TEST_F(MarkdownEditorWindowTest, TheShareMenuOffersTheFilesPDFActionsAndEndsWithARow)
{
    const std::string path = folder.file("share.md");
    std::ofstream(path, std::ios::binary) << "# Shared\n\nA line to share.\n";
    MDTextViewController& editor = openEditor(path);
    GtkWidget* share = presenter->widgetForBarButtonItem(*editor.barItems().shareDocumentBarButtonItem());
    ASSERT_TRUE(share);
    ASSERT_TRUE(test::focusWindow(gtk_widget_get_toplevel(share)));
    ASSERT_TRUE(test::clickWidget(share));
    GtkWidget* menu = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        menu = presenter->menuPopover();
        return menu && gtk_widget_get_mapped(menu) && gtk_widget_get_allocated_height(menu) > 1;
    }, 20)) << "no menu at the share item";
    std::vector<std::string> rows;
    for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON)) {
        std::vector<std::string> labels = test::labelTexts(button);
        if (!labels.empty())
            rows.push_back(labels.front());
    }
    EXPECT_TRUE(contains(rows, "Print…"));
    EXPECT_TRUE(contains(rows, "Convert to PDF")) << "the menu has no actions for the open file";

    // What the menu shows last, from the top down.
    GtkWidget* lowest = nullptr;
    int lowestTop = -1;
    auto lowerThanSoFar = [&](GtkWidget* widget) {
        int x = 0, y = 0;
        if (gtk_widget_get_mapped(widget) && gtk_widget_translate_coordinates(widget, menu, 0, 0, &x, &y) &&
            y > lowestTop) {
            lowest = widget;
            lowestTop = y;
        }
    };
    for (GtkWidget* separator : test::descendants(menu, GTK_TYPE_SEPARATOR))
        lowerThanSoFar(separator);
    for (GtkWidget* button : test::descendants(menu, GTK_TYPE_BUTTON))
        lowerThanSoFar(button);
    ASSERT_TRUE(lowest);
    EXPECT_FALSE(GTK_IS_SEPARATOR(lowest)) << "the menu ends with an empty separator row";
}

} // namespace
} // namespace folio
