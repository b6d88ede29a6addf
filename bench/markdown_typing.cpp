// Typing in the Markdown editor of an opened document, shown in a real GTK
// window (run under Xvfb): each key goes the way a person's does, as a GDK
// key event into the GtkTextView, through the bridge to the text view, its
// storages (the highlighting one and the zooming one above it), the view's
// layout, the editor controller (which marks the document changed; the
// document takes the text only when it reads it) and back into the GTK buffer, and the window then handles what the key left
// pending. The same without a window, and the text view alone, show where
// the time goes.
// A key should cost the same in a short note and in a long book: under 5 ms
// at 1 MB and at 10 MB.
#include "BenchInputs.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MDTextViewController.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkTextViewBridge.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace folio;

// The shared inputs. The 10 MB document is the 1 MB one ten times over. A "plain" tier is the same
// text in plain ASCII without backticks: no character there ends a fenced
// code block's body, which is the hard case for restyling only near an edit.
std::u16string loadDocument(std::string tier)
{
    const bool plain = tier.ends_with("-plain");
    if (plain)
        tier.resize(tier.size() - 6);
    auto data = Data::dataWithContentsOfFile(bench::inputPath("doc-" + (tier == "10m" ? std::string("1m") : tier) + ".md"));
    if (!data)
        return {};
    std::u16string text = toUtf16(data->stringView());
    if (plain) {
        for (char16_t& unit : text)
            unit = unit == u'`' ? u'\'' : unit > 0x7F ? u'e' : unit;
    }
    if (tier == "10m") {
        std::u16string repeated;
        repeated.reserve(text.size() * 10);
        for (int copy = 0; copy < 10; ++copy)
            repeated += text;
        text = std::move(repeated);
    }
    return text;
}

UserDefaults& benchDefaults()
{
    static UserDefaults defaults((std::filesystem::temp_directory_path() / "folio-bench-markdown-typing.plist").string());
    return defaults;
}

// The Markdown document opened from a file as the program opens it, with
// its editor controller, which marks the document changed after every key.
struct OpenDocument {
    std::shared_ptr<TextDocument> document;
    std::shared_ptr<MDTextViewController> editor;
    std::string path;
    std::string error;

    explicit OpenDocument(const std::string& tier)
    {
        std::u16string text = loadDocument(tier);
        if (text.empty()) {
            error = "benchmark input missing";
            return;
        }
        path = (std::filesystem::temp_directory_path() / ("folio-bench-typing-" + tier + ".md")).string();
        std::ofstream(path, std::ios::binary) << toUtf8(text);
        EditorMakers::registerMarkdownMaker(
            [](TextDocument& document) { return MDTextViewController::make(document, &benchDefaults()); });
        document = std::make_shared<TextDocument>(path);
        bool opened = false;
        document->openWithCompletionHandler([&](bool success) { opened = success; });
        if (!RunLoop::main().runUntil([&] { return opened; }, 120)) {
            error = "the document did not open";
            return;
        }
        document->makeDocumentViewController();
        editor = std::dynamic_pointer_cast<MDTextViewController>(document->documentViewController());
        if (!editor) {
            error = "no Markdown editor";
            return;
        }
        // Somewhere inside a line near the middle, not at its break.
        Range line = lineRangeForRange(text, Range{text.size() / 2, 0});
        editor->markdownTextView().setSelectedRange(Range{line.location + line.length / 2, 0});
    }

    ~OpenDocument()
    {
        EditorMakers::unregisterAll();
        if (!path.empty())
            std::filesystem::remove(path);
    }
};

struct EditorWindow {
    std::unique_ptr<GtkPresenter> presenter;
    std::unique_ptr<OpenDocument> open;
    std::shared_ptr<Window> window;
    GtkWidget* gtkView = nullptr;
    std::string error;

    explicit EditorWindow(const std::string& tier)
    {
        auto created = GtkPresenter::create();
        if (!created) {
            error = created.error().message;
            return;
        }
        presenter = std::move(created.value());
        open = std::make_unique<OpenDocument>(tier);
        if (!open->error.empty()) {
            error = open->error;
            return;
        }
        window = std::make_shared<Window>(makeRect(0, 0, 900, 700));
        window->setRootViewController(open->editor);
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        gtkView = findTextView(presenter->widgetForWindow(*window));
        if (!gtkView) {
            error = "no GTK text view in the window";
            return;
        }
        gtk_widget_grab_focus(gtkView);
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView));
        gtk_text_view_scroll_to_mark(GTK_TEXT_VIEW(gtkView), gtk_text_buffer_get_insert(buffer), 0, TRUE, 0, 0.5);
        GtkPresenter::processPendingEvents();
        // GTK lays out the rest of an opened text in the background; that
        // belongs to the opening, so it ends before the keys are timed. The
        // first key pays once for what the window sets up at the first edit;
        // a letter and its backspace leave the text as it was.
        for (int round = 0; round < 1000 && gtk_events_pending(); ++round)
            GtkPresenter::processPendingEvents();
        pressKey(GDK_KEY_x);
        pressKey(GDK_KEY_BackSpace);
    }

    ~EditorWindow()
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    MEMarkdownTextView& textView() { return open->editor->markdownTextView(); }

    static GtkWidget* findTextView(GtkWidget* widget)
    {
        if (GTK_IS_TEXT_VIEW(widget))
            return widget;
        if (!GTK_IS_CONTAINER(widget))
            return nullptr;
        GtkWidget* found = nullptr;
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child && !found; child = child->next)
            found = findTextView(GTK_WIDGET(child->data));
        g_list_free(children);
        return found;
    }

    void pressKey(guint keyval)
    {
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(gtkView)));
        event->key.keyval = keyval;
        event->key.time = GDK_CURRENT_TIME;
        GdkKeymapKey* keys = nullptr;
        gint count = 0;
        if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gtk_widget_get_display(gtkView)), keyval, &keys, &count) && count > 0)
            event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        g_free(keys);
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gtk_widget_get_display(gtkView))));
        gtk_widget_event(gtkView, event);
        event->type = GDK_KEY_RELEASE;
        gtk_widget_event(gtkView, event);
        gdk_event_free(event);
        GtkPresenter::processPendingEvents();
    }
};

// One key per iteration: a letter, then a backspace that takes it away again,
// so the document keeps its size.
void BM_KeyInEditorWindow(benchmark::State& state, const std::string& tier)
{
    EditorWindow editor(tier);
    if (!editor.error.empty()) {
        state.SkipWithError(editor.error.c_str());
        return;
    }
    const std::size_t length = editor.textView().text().size();
    bool typed = false;
    for (auto _ : state) {
        editor.pressKey(typed ? GDK_KEY_BackSpace : GDK_KEY_x);
        typed = !typed;
    }
    if (editor.textView().text().size() != length + (typed ? 1 : 0))
        state.SkipWithError("the keys did not reach the text");
    state.counters["chars"] = static_cast<double>(length);
}

// The model alone, without a window: the text view's own path from a key to
// the restyled storage and the updated layout.
void BM_KeyInTextView(benchmark::State& state, const std::string& tier)
{
    std::u16string text = loadDocument(tier);
    if (text.empty()) {
        state.SkipWithError("benchmark input missing");
        return;
    }
    auto textView = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 900, 700), false, &benchDefaults());
    textView->setText(text);
    Range line = lineRangeForRange(text, Range{text.size() / 2, 0});
    textView->setSelectedRange(Range{line.location + line.length / 2, 0});
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            textView->deleteBackward();
        else
            textView->insertText(u"x");
        typed = !typed;
        benchmark::DoNotOptimize(textView->caretRectForPosition(textView->selectedRange().location));
    }
    state.counters["chars"] = static_cast<double>(text.size());
}

// The whole editor without a window.
void BM_KeyInEditorController(benchmark::State& state, const std::string& tier)
{
    OpenDocument open(tier);
    if (!open.error.empty()) {
        state.SkipWithError(open.error.c_str());
        return;
    }
    MEMarkdownTextView& textView = open.editor->markdownTextView();
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            textView.deleteBackward();
        else
            textView.insertText(u"x");
        typed = !typed;
    }
    state.counters["chars"] = static_cast<double>(textView.text().size());
}

BENCHMARK_CAPTURE(BM_KeyInTextView, 10k, std::string("10k"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInTextView, 1m, std::string("1m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInTextView, 10m, std::string("10m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInTextView, 1m-plain, std::string("1m-plain"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInTextView, 10m-plain, std::string("10m-plain"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorController, 10k, std::string("10k"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorController, 1m, std::string("1m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorController, 10m, std::string("10m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorWindow, 10k, std::string("10k"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorWindow, 1m, std::string("1m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyInEditorWindow, 10m, std::string("10m"))->Unit(benchmark::kMillisecond);
// A fixed count of keys, for counting their instructions under callgrind
// (between benchmark::State::StartKeepRunning and FinishKeepRunning).
BENCHMARK_CAPTURE(BM_KeyInEditorWindow, 1m-40keys, std::string("1m"))->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
