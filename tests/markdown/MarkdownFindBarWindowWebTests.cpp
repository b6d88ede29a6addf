#include "markdown/MDTextViewController.h"
#include "markdown/MEFindReplaceBar.h"
#include "markdown/MEKeyboardToolbar.h"
#include "markdown/METoolbarButton.h"
#include "markdown/MEMarkdownTextView.h"
#include "markdown/MarkdownEditorRegistration.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "shell/AppController.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>

namespace folio {
namespace {

bool near(unsigned pixel, unsigned colour)
{
    for (int shift : {16, 8, 0}) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) > 6)
            return false;
    }
    return true;
}

class MarkdownFindBarWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Pictured from the screen: a display of its own keeps other tests' windows off it.
        test::usePrivateDisplay();
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(*created);
        registerMarkdownEditor([](MDTextViewController&) {});
    }
    void TearDown() override
    {
        if (app.document()) {
            bool closed = false;
            app.closeDocument([&](Status) { closed = true; });
            RunLoop::main().runUntil([&] { return closed; }, 60);
        }
        EditorMakers::unregisterAll();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }
    MDTextViewController& openEditor(const std::string& path)
    {
        std::optional<Status> opened;
        app.openFileItem(std::make_shared<ODSFileItem>(path, nullptr), [&](Status status) { opened = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 60));
        auto editor = std::dynamic_pointer_cast<MDTextViewController>(app.currentDocument()->currentTextViewController());
        EXPECT_TRUE(editor);
        return *editor;
    }
    GtkWidget* toplevel() { return presenter->widgetForWindow(*app.documentWindow()); }
    // Waits until the find bar's field takes the typing.
    bool findFieldHasTheKeyboard()
    {
        return RunLoop::main().runUntil(
            [&] {
                GtkPresenter::processPendingEvents();
                GtkWidget* focused = gtk_window_get_focus(GTK_WINDOW(toplevel()));
                return focused && GTK_IS_ENTRY(focused);
            },
            10);
    }
    // The buttons of the window showing `label`.
    std::size_t buttonsLabelled(const char* label)
    {
        std::size_t count = 0;
        for (GtkWidget* button : test::descendants(toplevel(), GTK_TYPE_BUTTON)) {
            const char* shown = gtk_button_get_label(GTK_BUTTON(button));
            count += shown && std::string(shown) == label;
        }
        return count;
    }
    std::size_t findEntries()
    {
        std::size_t count = 0;
        for (GtkWidget* entry : test::descendants(toplevel(), GTK_TYPE_ENTRY)) {
            const char* placeholder = gtk_entry_get_placeholder_text(GTK_ENTRY(entry));
            count += placeholder && std::string(placeholder) == "Find";
        }
        return count;
    }

    GtkWidget* shownTextView()
    {
        auto views = test::descendants(toplevel(), GTK_TYPE_TEXT_VIEW);
        return views.size() == 1 ? views.front() : nullptr;
    }
    // Every key of the bar the text view has now is on screen, as wide as
    // its title needs, and apart from its neighbours; empty when so, else
    // what is wrong.
    std::string keyBarFault(MEMarkdownTextView& textView)
    {
        auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(textView.inputAccessoryView());
        if (!bar)
            return "no key bar";
        std::vector<std::pair<int, int>> spans;
        for (const auto& key : bar->buttons()) {
            GtkWidget* widget = presenter->widgetForView(*key);
            if (!widget || !gtk_widget_get_mapped(widget))
                return "a key is not shown: " + toUtf8(key->currentTitle());
            int x = 0;
            int y = 0;
            gtk_widget_translate_coordinates(widget, toplevel(), 0, 0, &x, &y);
            int minimum = 0;
            int natural = 0;
            gtk_widget_get_preferred_width(widget, &minimum, &natural);
            const int width = gtk_widget_get_allocated_width(widget);
            if (width < minimum)
                return "a key is clipped: " + toUtf8(key->currentTitle());
            spans.emplace_back(x, x + width);
        }
        std::sort(spans.begin(), spans.end());
        for (std::size_t index = 1; index < spans.size(); ++index) {
            if (spans[index].first < spans[index - 1].second + 2) {
                std::ostringstream out;
                out << "keys touch at x " << spans[index].first;
                return out.str();
            }
        }
        return spans.empty() ? "the bar has no keys" : "";
    }

    test::ScratchFolder folder;
    std::unique_ptr<GtkPresenter> presenter;
    AppController app;
};

TEST_F(MarkdownFindBarWindowTest, FoundMatchesAreHighlightedInTheWindowAndTheKeyBarComesBack)
{
    const std::string path = folder.file("notes.md");
    std::ofstream(path, std::ios::binary) << "The cat sat down.\nA cat again.\n";
    MDTextViewController& editor = openEditor(path);
    MEMarkdownTextView& textView = editor.markdownTextView();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(buttonsLabelled("*"), 1u) << "the key bar shows along the text";
    EXPECT_EQ(findEntries(), 0u);

    textView.showSearchTextMode();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(findEntries(), 1u) << "the find bar took the key bar's place";
    EXPECT_EQ(buttonsLabelled("*"), 0u);
    // The text view finds the matches in sight from the size the window gave it.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            auto shown = test::descendants(toplevel(), GTK_TYPE_TEXT_VIEW);
            return shown.size() == 1 && gtk_widget_get_allocated_height(shown.front()) > 1 &&
                   textView.frame().height() == gtk_widget_get_allocated_height(shown.front());
        },
        10));
    auto bar = textView.searchAccessoryView();
    EXPECT_TRUE(bar->findOnPage()->isFirstResponder()) << "the find field takes the typing";
    for (char16_t letter : std::u16string(u"cat"))
        bar->findOnPage()->insertText(std::u16string(1, letter));
    ASSERT_EQ(textView.numberOfMatches(), 2u);
    GtkPresenter::processPendingEvents();

    auto views = test::descendants(toplevel(), GTK_TYPE_TEXT_VIEW);
    ASSERT_EQ(views.size(), 1u);
    GtkTextView* shown = GTK_TEXT_VIEW(views.front());
    GdkPixbuf* shot = nullptr;
    // Counts the pixels of `colour` over the characters [from, to) of the buffer.
    auto pixelsOf = [&](int from, int to, unsigned colour) {
        GtkTextIter start;
        GtkTextIter end;
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(shown);
        gtk_text_buffer_get_iter_at_offset(buffer, &start, from);
        gtk_text_buffer_get_iter_at_offset(buffer, &end, to);
        GdkRectangle first;
        GdkRectangle last;
        gtk_text_view_get_iter_location(shown, &start, &first);
        gtk_text_view_get_iter_location(shown, &end, &last);
        int x = 0;
        int y = 0;
        gtk_text_view_buffer_to_window_coords(shown, GTK_TEXT_WINDOW_WIDGET, first.x, first.y, &x, &y);
        int left = 0;
        int top = 0;
        gtk_widget_translate_coordinates(GTK_WIDGET(shown), toplevel(), x, y, &left, &top);
        int count = 0;
        for (int dx = 0; dx < last.x - first.x; ++dx) {
            for (int dy = 0; dy < first.height; ++dy)
                count += near(test::pixelAt(shot, left + dx, top + dy), colour);
        }
        return count;
    };
    const unsigned orange = 0xFF7A00;
    const unsigned yellow = 0xF8D568;
    // The window draws on its next frame; wait for it, within bounds.
    RunLoop::main().runUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = test::screenshotOfWindow(toplevel(), test::screenshotPath("markdown-find-highlights"));
            return shot && pixelsOf(4, 7, orange) > 30;
        },
        10);
    ASSERT_TRUE(shot);
    EXPECT_GT(pixelsOf(4, 7, orange), 30) << "the current match is orange behind its text";
    EXPECT_GT(pixelsOf(20, 23, yellow), 30) << "the other match is yellow";
    EXPECT_EQ(pixelsOf(8, 11, yellow) + pixelsOf(8, 11, orange), 0) << "text that does not match stays plain";
    g_object_unref(shot);

    // Closing the bar brings the same keys back; the highlights stay.
    bar->doneButton()->tap();
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(findEntries(), 0u);
    EXPECT_EQ(buttonsLabelled("*"), 1u);
    EXPECT_TRUE(textView.isSearching());
}

TEST_F(MarkdownFindBarWindowTest, AClickIntoTheTextEndsTheSearchAndBringsTheWholeKeyBarBack)
{
    const std::string path = folder.file("cats.md");
    std::ofstream(path, std::ios::binary) << "cat one, cat two, cat three\n";
    MDTextViewController& editor = openEditor(path);
    MEMarkdownTextView& textView = editor.markdownTextView();
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::focusWindow(toplevel()));
    const std::size_t keys = std::dynamic_pointer_cast<MEKeyboardToolbar>(textView.inputAccessoryView())->buttons().size();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return keyBarFault(textView).empty(); }, 10))
        << keyBarFault(textView);

    textView.showSearchTextMode();
    GtkPresenter::processPendingEvents();
    ASSERT_EQ(findEntries(), 1u);
    ASSERT_TRUE(findFieldHasTheKeyboard());
    ASSERT_TRUE(test::typeText("cat"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return textView.numberOfMatches() == 3; }, 10));
    EXPECT_EQ(buttonsLabelled("1/3"), 1u) << "the segment shows which match is current";

    // A click into the text takes the keyboard back from the find bar.
    GtkWidget* text = shownTextView();
    ASSERT_TRUE(text);
    ASSERT_TRUE(test::clickWidget(text));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return findEntries() == 0; }, 10))
        << "the find bar is still shown";
    EXPECT_FALSE(textView.isSearching());
    EXPECT_TRUE(textView.highlightsByRange().empty()) << "no match stays highlighted";
    auto bar = std::dynamic_pointer_cast<MEKeyboardToolbar>(textView.inputAccessoryView());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->buttons().size(), keys);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return keyBarFault(textView).empty(); }, 10))
        << keyBarFault(textView);
    // The bar's grey shows in the gap before its last key, at the far end.
    GtkWidget* lastKey = presenter->widgetForView(*bar->buttons().back());
    int keyX = 0;
    int keyY = 0;
    ASSERT_TRUE(gtk_widget_translate_coordinates(lastKey, toplevel(), -4, gtk_widget_get_allocated_height(lastKey) / 2, &keyX, &keyY));
    GdkPixbuf* shot = nullptr;
    const int edge = keyX;
    RunLoop::main().runUntil(
        [&] {
            if (shot)
                g_object_unref(shot);
            shot = test::screenshotOfWindow(toplevel(), test::screenshotPath("markdown-key-bar-after-find"));
            return shot && near(test::pixelAt(shot, edge, keyY), 0xD6D9DF);
        },
        10);
    ASSERT_TRUE(shot);
    EXPECT_TRUE(near(test::pixelAt(shot, edge, keyY), 0xD6D9DF)) << std::hex << test::pixelAt(shot, edge, keyY);
    g_object_unref(shot);

    // And the typing that follows goes into the text.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            return gtk_window_get_focus(GTK_WINDOW(toplevel())) == shownTextView();
        },
        10));
    ASSERT_TRUE(test::typeText("Q"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return textView.text().find(u'Q') != std::u16string::npos; }, 10));
}

// Ending a search by clicking into the text leaves the text where it stood,
// with the caret where the click put it; the bar opened again with Ctrl+F
// starts afresh, and Escape closes it.
TEST_F(MarkdownFindBarWindowTest, TheSearchEndsWhereTheTextStoodAndTheBarOpensAfreshAndClosesWithEscape)
{
    const std::string path = folder.file("harbours.md");
    {
        std::ofstream file(path, std::ios::binary);
        for (int line = 1; line <= 200; ++line)
            file << "Line " << line << (line % 40 == 20 ? " by the harbour" : " of the long text") << "\n";
    }
    MDTextViewController& editor = openEditor(path);
    MEMarkdownTextView& textView = editor.markdownTextView();
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::focusWindow(toplevel()));
    ASSERT_TRUE(test::clickWidget(shownTextView()));
    ASSERT_TRUE(test::pressKeys("ctrl+f"));
    ASSERT_TRUE(findFieldHasTheKeyboard());
    ASSERT_TRUE(test::typeText("harbour"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return textView.numberOfMatches() == 5; }, 10));
    // The third match, in the middle of the text, scrolled into view.
    textView.searchAccessoryView()->nextprevResultsFindOnPage(MEFindReplaceBar::NextMatchTag);
    textView.searchAccessoryView()->nextprevResultsFindOnPage(MEFindReplaceBar::NextMatchTag);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return buttonsLabelled("3/5") == 1; }, 10));
    GtkWidget* text = shownTextView();
    ASSERT_TRUE(text);
    GtkAdjustment* vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(text));
    double scrolled = 0;
    gint64 unchangedSince = g_get_monotonic_time();
    // Settled once the smooth scroll to the match has stood still for longer
    // than a frame of its animation takes on a loaded machine: two polls in a
    // row can see the same value mid-way.
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        const double now = gtk_adjustment_get_value(vertical);
        if (now != scrolled) {
            scrolled = now;
            unchangedSince = g_get_monotonic_time();
        }
        return now > 500 && g_get_monotonic_time() - unchangedSince > 300 * 1000;
    }, 20)) << "the match in the middle of the text is scrolled to";

    ASSERT_TRUE(test::clickWidget(text));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return findEntries() == 0; }, 10));
    text = shownTextView();
    ASSERT_TRUE(text);
    vertical = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(text));
    RunLoop::main().runUntil([&] {
        GtkPresenter::processPendingEvents();
        return std::abs(gtk_adjustment_get_value(vertical) - scrolled) < 40;
    }, 5);
    EXPECT_NEAR(gtk_adjustment_get_value(vertical), scrolled, 40) << "the text stays where it stood";
    // The caret, where the click put it, is in sight.
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text));
    GtkTextIter caret;
    gtk_text_buffer_get_iter_at_mark(buffer, &caret, gtk_text_buffer_get_insert(buffer));
    EXPECT_GT(gtk_text_iter_get_line(&caret), 40) << "the click lands in the middle of the text";
    GdkRectangle at;
    GdkRectangle visible;
    gtk_text_view_get_iter_location(GTK_TEXT_VIEW(text), &caret, &at);
    gtk_text_view_get_visible_rect(GTK_TEXT_VIEW(text), &visible);
    EXPECT_TRUE(at.y >= visible.y && at.y + at.height <= visible.y + visible.height)
        << "caret at " << at.y << ", the view shows " << visible.y << " to " << visible.y + visible.height;

    // Opened again, the bar shows no trace of the last search.
    ASSERT_TRUE(test::pressKeys("ctrl+f"));
    ASSERT_TRUE(findFieldHasTheKeyboard());
    EXPECT_EQ(textView.searchAccessoryView()->matchCountLabel()->text(), u"0");
    EXPECT_EQ(buttonsLabelled("3/5"), 0u) << "the segment still tells the last search";
    EXPECT_EQ(buttonsLabelled("0/0"), 1u);
    // Escape closes it, and the typing goes to the text again.
    ASSERT_TRUE(test::pressKeys("Escape"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return findEntries() == 0; }, 10))
        << "Escape leaves the find bar open";
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { GtkPresenter::processPendingEvents(); return gtk_window_get_focus(GTK_WINDOW(toplevel())) == shownTextView(); }, 10));
}

TEST_F(MarkdownFindBarWindowTest, TheKeyBarIsWholeAgainAfterTheFindBarIsDone)
{
    const std::string path = folder.file("keys.md");
    std::ofstream(path, std::ios::binary) << "Some words.\n";
    MDTextViewController& editor = openEditor(path);
    MEMarkdownTextView& textView = editor.markdownTextView();
    GtkPresenter::processPendingEvents();
    ASSERT_TRUE(test::focusWindow(toplevel()));
    textView.showSearchTextMode();
    ASSERT_TRUE(findFieldHasTheKeyboard());
    ASSERT_TRUE(test::typeText("words"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return textView.numberOfMatches() == 1; }, 10));
    GtkWidget* done = nullptr;
    // The find bar's Done button, once it is laid out on screen.
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            GtkPresenter::processPendingEvents();
            for (GtkWidget* button : test::descendants(toplevel(), GTK_TYPE_BUTTON)) {
                const char* shown = gtk_button_get_label(GTK_BUTTON(button));
                if (shown && std::string(shown) == "Done" && gtk_widget_get_mapped(button) &&
                    gtk_widget_get_allocated_width(button) > 1) {
                    int x = 0;
                    int y = 0;
                    gtk_widget_translate_coordinates(button, toplevel(), 0, 0, &x, &y);
                    done = x >= 0 && y >= 0 ? button : nullptr;
                }
            }
            return done != nullptr;
        },
        10));
    ASSERT_TRUE(test::clickWidget(done));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return findEntries() == 0; }, 10));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return keyBarFault(textView).empty(); }, 10))
        << keyBarFault(textView);

    // The keys typed after Done reach the text, and the finished search
    // leaves no match highlighted.
    ASSERT_TRUE(test::typeText("Q"));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { GtkPresenter::processPendingEvents(); return textView.text().find(u'Q') != std::u16string::npos; }, 10))
        << "the text is " << toUtf8(textView.text());
    EXPECT_TRUE(textView.highlightsByRange().empty());
}

TEST_F(MarkdownFindBarWindowTest, TheWindowKeepsItsHeightWhileTheFindBarComesAndGoes)
{
    const std::string path = folder.file("height.md");
    std::ofstream(path, std::ios::binary) << "Some words.\n";
    MDTextViewController& editor = openEditor(path);
    MEMarkdownTextView& textView = editor.markdownTextView();
    auto settledHeight = [&] {
        for (int pass = 0; pass < 20; ++pass)
            GtkPresenter::processPendingEvents();
        return gtk_widget_get_allocated_height(toplevel());
    };
    const int before = settledHeight();
    ASSERT_GT(before, 1);
    for (int round = 0; round < 3; ++round) {
        textView.showSearchTextMode();
        settledHeight();
        textView.hideSearchTextMode();
        settledHeight();
    }
    EXPECT_EQ(settledHeight(), before);
}

} // namespace
} // namespace folio
