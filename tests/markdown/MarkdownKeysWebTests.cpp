#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/docframework/DKMenuController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

// The Markdown editor in a real window, driven by real key presses: undo and
// redo come from the window's keys, as the text view has none of its own.
class MarkdownKeysWebTest : public ::testing::Test {
protected:
    static constexpr double kWaitSeconds = 30;

    void SetUp() override
    {
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(*created);
        EditorMakers::registerMarkdownMaker(
            [this](TextDocument& document) { return MDTextViewController::make(document, &defaults); });
        std::ofstream(folder.file("Keys.md"), std::ios::binary) << "# Keys\n\nAmber";
        document = std::make_shared<TextDocument>(folder.file("Keys.md"));
        bool opened = false;
        document->openWithCompletionHandler([&](bool success) { opened = success; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened; }, kWaitSeconds));
        ASSERT_TRUE(document->makeDocumentViewController());
        editor = std::dynamic_pointer_cast<MDTextViewController>(document->documentViewController());
        ASSERT_TRUE(editor);
        window = std::make_shared<Window>(Rect{{0, 0}, {700, 500}});
        window->setRootViewController(document->viewControllerToPresent());
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        GtkWidget* toplevel = presenter->widgetForWindow(*window);
        auto views = test::descendants(toplevel, GTK_TYPE_TEXT_VIEW);
        ASSERT_EQ(views.size(), 1u);
        gtk_widget_grab_focus(views.front());
        // The caret at the end, where typing goes.
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(views.front()));
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(buffer, &end);
        gtk_text_buffer_place_cursor(buffer, &end);
        ASSERT_TRUE(test::focusWindow(toplevel));
    }
    void TearDown() override
    {
        if (window)
            window->close();
        if (document)
            document->closeWithCompletionHandler([](bool) {});
        EditorMakers::unregisterAll();
        presenter.reset();
    }

    bool documentTextBecomes(const std::u16string& wanted)
    {
        return RunLoop::main().runUntil([&] { return document->text() == wanted; }, kWaitSeconds);
    }

    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<TextDocument> document;
    std::shared_ptr<MDTextViewController> editor;
    std::shared_ptr<Window> window;
};

TEST_F(MarkdownKeysWebTest, controlZUndoesTheLastTypingAsOneStepAndControlShiftZRedoesIt)
{
    ASSERT_TRUE(test::typeText(" two words"));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two words")) << toUtf8(document->text());

    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber")) << toUtf8(document->text());
    EXPECT_EQ(editor->markdownTextView().text(), u"# Keys\n\nAmber");
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two words")) << toUtf8(document->text());

    // A caret moved with the arrow keys ends the run: only what was typed
    // after it goes.
    ASSERT_TRUE(test::pressKeys("Left"));
    ASSERT_TRUE(test::typeText("!"));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two word!s")) << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two words")) << toUtf8(document->text());
    // Backspaces in a row come back together.
    ASSERT_TRUE(test::pressKeys("End"));
    for (int press = 0; press < 3; ++press)
        ASSERT_TRUE(test::pressKeys("BackSpace"));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two wo")) << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two words")) << toUtf8(document->text());
    // Typing over a selection comes back as the selection in one step.
    ASSERT_TRUE(test::pressKeys("shift+Left"));
    ASSERT_TRUE(test::pressKeys("shift+Left"));
    ASSERT_TRUE(test::typeText("XY"));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two worXY")) << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber two words")) << toUtf8(document->text());
    // The keys typed no letters of their own.
    EXPECT_EQ(editor->markdownTextView().text().find(u'z'), std::u16string::npos);

    // What is saved is what the window shows.
    bool saved = false;
    editor->saveCurrentDocument([&] { saved = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved; }, kWaitSeconds));
    std::ifstream file(folder.file("Keys.md"), std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "# Keys\n\nAmber two words");
}

// A pair key of the key bar wraps the selected word, and one Ctrl+Z takes
// the whole pair off again; Ctrl+Shift+Z puts it back.
TEST_F(MarkdownKeysWebTest, aPairKeysWrapIsOneUndoStep)
{
    for (int press = 0; press < 5; ++press)
        ASSERT_TRUE(test::pressKeys("shift+Left"));
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    GtkWidget* parentheses = nullptr;
    for (GtkWidget* button : test::descendants(toplevel, GTK_TYPE_BUTTON)) {
        GtkWidget* label = gtk_bin_get_child(GTK_BIN(button));
        if (label && GTK_IS_LABEL(label) && std::string(gtk_label_get_text(GTK_LABEL(label))) == "(..)")
            parentheses = button;
    }
    ASSERT_NE(parentheses, nullptr) << "no parentheses key on the key bar";
    ASSERT_TRUE(test::clickWidget(parentheses));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\n(Amber)")) << toUtf8(document->text());
    EXPECT_EQ(editor->markdownTextView().selectedRange().location, 9u) << "the word stays selected inside the pair";
    EXPECT_EQ(editor->markdownTextView().selectedRange().length, 5u);

    ASSERT_TRUE(test::focusWindow(toplevel));
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber")) << "one step takes both marks: " << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\n(Amber)")) << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber")) << toUtf8(document->text());
    ASSERT_TRUE(test::pressKeys("ctrl+z"));
    EXPECT_EQ(editor->markdownTextView().text(), u"# Keys\n\nAmber") << "nothing older to undo";
}

// A choice from a key's menu ends the menu, and the keys typed next go on in
// the text, inside the markup just inserted.
TEST_F(MarkdownKeysWebTest, typingRightAfterAMenuChoiceReachesTheText)
{
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    GtkWidget* style = nullptr;
    for (GtkWidget* button : test::descendants(toplevel, GTK_TYPE_BUTTON)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(button));
        if (label && std::string(label) == "BIU")
            style = button;
    }
    ASSERT_NE(style, nullptr) << "no style key on the key bar";
    ASSERT_TRUE(test::clickWidget(style));
    std::shared_ptr<DKMenuController> menu;
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            menu = std::dynamic_pointer_cast<DKMenuController>(editor->presentedViewController());
            return menu && presenter->widgetForController(*menu);
        },
        kWaitSeconds));
    GtkWidget* sheet = presenter->widgetForController(*menu);
    GtkWidget* bold = nullptr;
    bool titled = false;
    for (GtkWidget* label : test::descendants(sheet, GTK_TYPE_LABEL)) {
        const std::string text = gtk_label_get_text(GTK_LABEL(label));
        titled = titled || text == "Style";
        if (text == "Bold")
            bold = label;
    }
    EXPECT_TRUE(titled) << "the menu shows its title";
    ASSERT_NE(bold, nullptr);
    ASSERT_TRUE(test::clickWidget(bold));
    ASSERT_TRUE(documentTextBecomes(u"# Keys\n\nAmber****")) << toUtf8(document->text());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return !editor->presentedViewController();
        },
        kWaitSeconds))
        << "the menu stays open after the choice";

    ASSERT_TRUE(test::typeText("x"));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber**x**")) << toUtf8(document->text());
}

// The symbols key opens the list of sets; a set shows its grid in the same
// popover, and a symbol clicked there goes into the text.
TEST_F(MarkdownKeysWebTest, aSymbolPickedFromTheGridIsInserted)
{
    GtkWidget* toplevel = presenter->widgetForWindow(*window);
    GtkWidget* symbols = nullptr;
    for (GtkWidget* button : test::descendants(toplevel, GTK_TYPE_BUTTON)) {
        const char* label = gtk_button_get_label(GTK_BUTTON(button));
        if (label && std::string(label) == "\u272A")
            symbols = button;
    }
    ASSERT_NE(symbols, nullptr) << "no symbols key on the key bar";
    ASSERT_TRUE(test::clickWidget(symbols));
    std::shared_ptr<NavigationController> picker;
    // The label showing `text` in the picker's popover, once it is on screen.
    auto shownLabel = [&](const std::string& text) -> GtkWidget* {
        GtkPresenter::processPendingEvents();
        picker = std::dynamic_pointer_cast<NavigationController>(editor->presentedViewController());
        GtkWidget* sheet = picker ? presenter->widgetForController(*picker) : nullptr;
        if (!sheet)
            return nullptr;
        for (GtkWidget* label : test::descendants(sheet, GTK_TYPE_LABEL)) {
            if (text == gtk_label_get_text(GTK_LABEL(label)) && gtk_widget_get_mapped(label) &&
                gtk_widget_get_allocated_width(label) > 1)
                return label;
        }
        return nullptr;
    };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shownLabel("Arrows") != nullptr; }, kWaitSeconds));
    ASSERT_TRUE(test::clickWidget(shownLabel("Arrows")));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return shownLabel("\u2192") != nullptr; }, kWaitSeconds))
        << "the grid shows no arrows";
    // The grid is inside the popover the user sees, not cut off by it.
    GtkWidget* arrow = shownLabel("\u2192");
    GtkWidget* popover = gtk_widget_get_ancestor(arrow, GTK_TYPE_POPOVER);
    ASSERT_NE(popover, nullptr);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(arrow, popover, 0, 0, &x, &y));
    EXPECT_LE(x + gtk_widget_get_allocated_width(arrow), gtk_widget_get_allocated_width(popover));
    EXPECT_LE(y + gtk_widget_get_allocated_height(arrow), gtk_widget_get_allocated_height(popover));
    ASSERT_TRUE(test::clickWidget(arrow));
    EXPECT_TRUE(documentTextBecomes(u"# Keys\n\nAmber\u2192")) << toUtf8(document->text());
}

} // namespace
} // namespace folio
