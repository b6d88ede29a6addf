#include "markdown/MarkdownTestSupport.h"

#include "markdown/SHTextView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/ScalingTextStorage.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/gtk/GtkKeyEvents.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/GtkTextViewBridge.h"
#include "platform/gtk/GtkWidgetTree.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "support/WindowTestDisplay.h"

#include <gtk/gtk.h>

#include <set>
#include <string>
#include <vector>

namespace folio {
namespace {

class EditorHost : public ViewController {
public:
    explicit EditorHost(std::shared_ptr<SHTextView> textView) : m_textView(std::move(textView)) {}

protected:
    void loadView() override { setView(m_textView); }

private:
    std::shared_ptr<SHTextView> m_textView;
};

// The Markdown text stack in a real window: the highlighting storage under a
// scaling storage, shown by the GTK presenter.
class MarkdownWindowTest : public test::MarkdownStorageTest {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        // The installed fonts, so GTK draws the faces the tags name.
        storage = std::make_shared<MEMarkdownSyntaxStorage>(&defaults, FontCatalog::shared());
        textView = std::make_shared<SHTextView>(makeRect(0, 0, 600, 400), ScalingTextStorage::make(storage), &defaults);
        window = std::make_shared<Window>(makeRect(0, 0, 600, 400));
        window->setRootViewController(std::make_shared<EditorHost>(textView));
        window->makeKeyAndVisible();
        GtkPresenter::processPendingEvents();
        auto views = test::descendants(presenter->widgetForWindow(*window), GTK_TYPE_TEXT_VIEW);
        ASSERT_EQ(views.size(), 1u);
        gtkView = views.front();
        gtk_widget_grab_focus(gtkView);
        GtkPresenter::processPendingEvents();
    }
    void TearDown() override
    {
        if (window)
            window->close();
        presenter.reset();
        GtkPresenter::processPendingEvents();
    }

    void typeKey(guint keyval) { test::pressKey(gtkView, keyval); }

    std::string bufferText()
    {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView));
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
        std::string result(text);
        g_free(text);
        return result;
    }

    // The font size and weight the tags give the character at offset.
    std::pair<double, int> fontAtOffset(int offset)
    {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView));
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(buffer, &at, offset);
        std::pair<double, int> found{0, 0};
        GSList* tags = gtk_text_iter_get_tags(&at);
        for (GSList* tag = tags; tag; tag = tag->next) {
            PangoFontDescription* description = nullptr;
            gboolean sizeSet = FALSE;
            g_object_get(tag->data, "font-desc", &description, "size-set", &sizeSet, nullptr);
            if (description && sizeSet) {
                found = {pango_font_description_get_size(description) / double(PANGO_SCALE),
                         pango_font_description_get_weight(description)};
            }
            if (description)
                pango_font_description_free(description);
        }
        g_slist_free(tags);
        return found;
    }

    // The colour the tags give the character at offset, as 0xRRGGBB, or
    // black when none sets one.
    unsigned tagColourAtOffset(int offset)
    {
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView)), &at, offset);
        unsigned colour = 0;
        GSList* tags = gtk_text_iter_get_tags(&at);
        for (GSList* tag = tags; tag; tag = tag->next) {
            GdkRGBA* rgba = nullptr;
            gboolean set = FALSE;
            g_object_get(tag->data, "foreground-rgba", &rgba, "foreground-set", &set, nullptr);
            if (rgba && set)
                colour = (unsigned(rgba->red * 255 + 0.5) << 16) | (unsigned(rgba->green * 255 + 0.5) << 8) | unsigned(rgba->blue * 255 + 0.5);
            if (rgba)
                gdk_rgba_free(rgba);
        }
        g_slist_free(tags);
        return colour;
    }
    // What the display shows within the character's box at offset: how many
    // rows hold ink, and the darkest pixel, as 0xRRGGBB.
    struct Ink {
        int rows = 0;
        unsigned darkest = 0xFFFFFF;
    };
    Ink inkAtOffset(int offset, const char* name)
    {
        GtkTextIter at;
        gtk_text_buffer_get_iter_at_offset(gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView)), &at, offset);
        GdkRectangle box;
        gtk_text_view_get_iter_location(GTK_TEXT_VIEW(gtkView), &at, &box);
        int x = 0;
        int y = 0;
        gtk_text_view_buffer_to_window_coords(GTK_TEXT_VIEW(gtkView), GTK_TEXT_WINDOW_WIDGET, box.x, box.y, &x, &y);
        GtkWidget* toplevel = presenter->widgetForWindow(*window);
        Ink ink;
        if (!gtk_widget_translate_coordinates(gtkView, toplevel, x, y, &x, &y))
            return ink;
        GdkPixbuf* shot = test::screenshotOfWindow(toplevel, test::screenshotPath(name));
        if (!shot)
            return ink;
        auto lightness = [](unsigned pixel) { return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF); };
        for (int row = y; row < y + box.height && row < gdk_pixbuf_get_height(shot); ++row) {
            bool inked = false;
            // Inside the box's edges, where a caret beside the character stands.
            for (int column = x + 1; column < x + box.width - 1 && column < gdk_pixbuf_get_width(shot); ++column) {
                unsigned pixel = test::pixelAt(shot, column, row);
                inked = inked || lightness(pixel) < 3 * 0xA0;
                if (lightness(pixel) < lightness(ink.darkest))
                    ink.darkest = pixel;
            }
            ink.rows += inked;
        }
        g_object_unref(shot);
        return ink;
    }

    // The font and colour the tags give each character of a buffer, so
    // that two buffers' tags can be compared.
    static std::vector<std::string> looksOf(GtkTextBuffer* buffer)
    {
        std::vector<std::string> looks;
        GtkTextIter at;
        for (gtk_text_buffer_get_start_iter(buffer, &at); !gtk_text_iter_is_end(&at); gtk_text_iter_forward_char(&at)) {
            std::string look;
            GSList* tags = gtk_text_iter_get_tags(&at);
            for (GSList* tag = tags; tag; tag = tag->next) {
                gchar* font = nullptr;
                GdkRGBA* rgba = nullptr;
                g_object_get(tag->data, "font", &font, "foreground-rgba", &rgba, nullptr);
                gchar* colour = rgba ? gdk_rgba_to_string(rgba) : nullptr;
                look += std::string("[") + (font ? font : "") + " " + (colour ? colour : "") + "]";
                g_free(font);
                g_free(colour);
                if (rgba)
                    gdk_rgba_free(rgba);
            }
            g_slist_free(tags);
            looks.push_back(look);
        }
        return looks;
    }

    std::unique_ptr<GtkPresenter> presenter;
    std::shared_ptr<MEMarkdownSyntaxStorage> storage;
    std::shared_ptr<SHTextView> textView;
    std::shared_ptr<Window> window;
    GtkWidget* gtkView = nullptr;
};

TEST_F(MarkdownWindowTest, typedKeysReachTheStorageAndTheHeadingIsHighlighted)
{
    for (guint key : {GDK_KEY_numbersign, GDK_KEY_space, GDK_KEY_T, GDK_KEY_o, GDK_KEY_p, GDK_KEY_Return, GDK_KEY_x, GDK_KEY_T})
        typeKey(key);
    EXPECT_EQ(storage->string(), u"# Top\nxT");
    EXPECT_EQ(bufferText(), "# Top\nxT");
    EXPECT_EQ(textView->selectedRange(), (Range{8, 0}));
    auto [headingSize, headingWeight] = fontAtOffset(3);
    EXPECT_EQ(headingSize, 20);
    EXPECT_EQ(headingWeight, PANGO_WEIGHT_BOLD);
    EXPECT_EQ(fontAtOffset(6).first, 16);
    // The window draws the heading's T in the heading's colour and taller
    // than the body's T, which is in the body's.
    auto near = [](unsigned pixel, unsigned wanted) {
        for (int shift : {0, 8, 16}) {
            if (std::abs(int((pixel >> shift) & 0xFF) - int((wanted >> shift) & 0xFF)) > 0x18)
                return false;
        }
        return true;
    };
    const unsigned headingColour = tagColourAtOffset(2);
    const unsigned bodyColour = tagColourAtOffset(7);
    EXPECT_FALSE(near(headingColour, bodyColour)) << std::hex << headingColour << " and " << bodyColour;
    Ink heading;
    Ink body;
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] {
            heading = inkAtOffset(2, "markdown-heading");
            body = inkAtOffset(7, "markdown-heading");
            return body.rows > 0 && heading.rows > body.rows && near(heading.darkest, headingColour)
                && near(body.darkest, bodyColour);
        },
        10))
        << std::hex << "the heading's T is " << heading.darkest << " (its colour " << headingColour << "), the body's "
        << body.darkest << " (" << bodyColour << ")" << std::dec << "; " << heading.rows << " and " << body.rows << " rows high";

    typeKey(GDK_KEY_BackSpace);
    typeKey(GDK_KEY_BackSpace);
    typeKey(GDK_KEY_BackSpace);
    EXPECT_EQ(storage->string(), u"# Top");
    EXPECT_TRUE(textView->undoManager().canUndo());

    // A change from code shows on screen with its highlighting.
    textView->replaceRange(Range{0, 1}, u"##");
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(bufferText(), "## Top");
    EXPECT_EQ(fontAtOffset(4).first, 18);
}

TEST_F(MarkdownWindowTest, typingAtTheEndKeepsTheCaretLineAndTheInsetBelowItInView)
{
    for (int line = 0; line < 60; ++line) {
        typeKey(GDK_KEY_a);
        typeKey(GDK_KEY_Return);
    }
    GtkPresenter::processPendingEvents();
    ASSERT_EQ(storage->length(), 120u);
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView));
    GtkTextIter insert;
    gtk_text_buffer_get_iter_at_mark(buffer, &insert, gtk_text_buffer_get_insert(buffer));
    EXPECT_EQ(gtk_text_iter_get_offset(&insert), 120);
    GdkRectangle caret;
    GdkRectangle visible;
    gtk_text_view_get_iter_location(GTK_TEXT_VIEW(gtkView), &insert, &caret);
    gtk_text_view_get_visible_rect(GTK_TEXT_VIEW(gtkView), &visible);
    // Sixty lines are far more than the window shows, so it has scrolled.
    EXPECT_GT(visible.y, 0);
    EXPECT_GE(caret.y, visible.y);
    EXPECT_LE(caret.y + caret.height + textView->textContainerInset().bottom, visible.y + visible.height);

    // Once the user scrolls away, a later change of the scrollable height
    // (GTK laying out more of the text) leaves the view where the user put it.
    GdkEvent* wheel = gdk_event_new(GDK_SCROLL);
    wheel->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(gtkView)));
    wheel->scroll.direction = GDK_SCROLL_UP;
    gdk_event_set_device(wheel, gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(gtkView))));
    gtk_widget_event(gtkView, wheel);
    gdk_event_free(wheel);
    GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(gtkView));
    gtk_adjustment_set_value(adjustment, 0);
    gtk_adjustment_set_upper(adjustment, gtk_adjustment_get_upper(adjustment) + 100);
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(gtk_adjustment_get_value(adjustment), 0);
}

TEST_F(MarkdownWindowTest, charactersOutsideTheBasicPlaneKeepScreenAndModelInStep)
{
    textView->replaceRange(Range{0, 0}, u"a\U0001F600b\n\U0001F431c");
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(bufferText(), "a\xF0\x9F\x98\x80" "b\n\xF0\x9F\x90\xB1" "c");
    // Typed after the second pair: the model is told the UTF-16 place.
    typeKey(GDK_KEY_x);
    EXPECT_EQ(storage->string(), u"a\U0001F600b\n\U0001F431cx");
    textView->setSelectedRange(Range{3, 0});
    GtkPresenter::processPendingEvents();
    typeKey(GDK_KEY_y);
    EXPECT_EQ(storage->string(), u"a\U0001F600yb\n\U0001F431cx");
    // Edits from code before and between pairs land at the same place on screen.
    textView->replaceRange(Range{0, 1}, u"\U0001F600");
    textView->replaceRange(Range{7, 2}, u"");
    GtkPresenter::processPendingEvents();
    EXPECT_EQ(bufferText(), toUtf8(storage->string()));
    typeKey(GDK_KEY_BackSpace);
    EXPECT_EQ(bufferText(), toUtf8(storage->string()));
    EXPECT_EQ(storage->string(), u"\U0001F600\U0001F600ybcx");
}

// What reaches the GTK buffer from the model while a test watches it.
struct BufferEdits {
    std::vector<std::string> inserted;
    std::vector<int> deletedCharacters;
    int tagChanges = 0;

    explicit BufferEdits(GtkTextBuffer* buffer) : m_buffer(buffer)
    {
        g_signal_connect(buffer, "insert-text", G_CALLBACK(+[](GtkTextBuffer*, GtkTextIter*, gchar* text, gint length, gpointer self) {
            static_cast<BufferEdits*>(self)->inserted.emplace_back(text, static_cast<std::size_t>(length));
        }), this);
        g_signal_connect(buffer, "delete-range", G_CALLBACK(+[](GtkTextBuffer*, GtkTextIter* start, GtkTextIter* end, gpointer self) {
            static_cast<BufferEdits*>(self)->deletedCharacters.push_back(gtk_text_iter_get_offset(end) - gtk_text_iter_get_offset(start));
        }), this);
        for (const char* name : {"apply-tag", "remove-tag"}) {
            g_signal_connect(buffer, name, G_CALLBACK(+[](GtkTextBuffer*, GtkTextTag*, GtkTextIter*, GtkTextIter*, gpointer self) {
                ++static_cast<BufferEdits*>(self)->tagChanges;
            }), this);
        }
    }
    ~BufferEdits() { g_signal_handlers_disconnect_by_data(m_buffer, this); }
    void clear()
    {
        inserted.clear();
        deletedCharacters.clear();
        tagChanges = 0;
    }

private:
    GtkTextBuffer* m_buffer;
};

TEST_F(MarkdownWindowTest, aKeyReachesTheBufferAsThatCharacterAloneAndTheLooksMatchAFreshlyHighlightedText)
{
    textView->replaceRange(Range{0, 0}, u"# Title\n\nSome *body* text here,\nand a line with `code`.\n\nLast line of all.\n");
    GtkPresenter::processPendingEvents();
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(gtkView));
    BufferEdits edits(buffer);
    struct Key {
        std::size_t at;
        guint keyval;
        const char* inserted;
    };
    // Plain letters, then keys that change the highlighting around them: a
    // heading mark, an emphasis closed, a fence opened over the rest of the
    // text, a line break, and deletions of each kind.
    const Key keys[] = {
        {64, GDK_KEY_x, "x"},
        {57, GDK_KEY_numbersign, "#"},
        {58, GDK_KEY_space, " "},
        {25, GDK_KEY_asterisk, "*"},
        {21, GDK_KEY_asterisk, "*"},
        {9, GDK_KEY_grave, "`"},
        {10, GDK_KEY_grave, "`"},
        {11, GDK_KEY_grave, "`"},
        {12, GDK_KEY_Return, "\n"},
        {20, GDK_KEY_y, "y"},
        {5, GDK_KEY_BackSpace, nullptr},
        {2, GDK_KEY_Delete, nullptr},
    };
    for (const Key& key : keys) {
        textView->setSelectedRange(Range{key.at, 0});
        GtkPresenter::processPendingEvents();
        edits.clear();
        typeKey(key.keyval);
        const std::string what = "key " + std::to_string(key.keyval) + " at " + std::to_string(key.at);
        if (key.inserted) {
            EXPECT_EQ(edits.inserted, std::vector<std::string>{key.inserted}) << what;
            EXPECT_TRUE(edits.deletedCharacters.empty()) << what;
        } else {
            EXPECT_TRUE(edits.inserted.empty()) << what;
            EXPECT_EQ(edits.deletedCharacters, std::vector<int>{1}) << what;
        }
        // A letter within a run of body text inherits its look: no tag moves.
        if (key.keyval == GDK_KEY_x)
            EXPECT_EQ(edits.tagChanges, 0);
        ASSERT_EQ(bufferText(), toUtf8(storage->string())) << what;
    }
    // Characters whose UTF-8 forms begin alike go in whole, beside each other.
    for (const std::u16string& pair : {std::u16string(u"\u00E9\u00E8"), std::u16string(u"\U0001F600\U0001F431")}) {
        const std::u16string second = pair.substr(pair.size() / 2);
        const std::size_t end = storage->length();
        textView->replaceRange(Range{end, 0}, second);
        edits.clear();
        textView->replaceRange(Range{end, 0}, pair.substr(0, pair.size() / 2));
        EXPECT_EQ(edits.inserted, std::vector<std::string>{toUtf8(pair.substr(0, pair.size() / 2))});
        EXPECT_TRUE(edits.deletedCharacters.empty());
        ASSERT_EQ(bufferText(), toUtf8(storage->string()));
    }

    auto freshStorage = std::make_shared<MEMarkdownSyntaxStorage>(&defaults, FontCatalog::shared());
    auto freshView = std::make_shared<SHTextView>(makeRect(0, 0, 600, 400), ScalingTextStorage::make(freshStorage), &defaults);
    freshView->setText(storage->string());
    GtkWidget* fresh = g_object_ref_sink(GtkTextViewBridge::build(*freshView));
    GtkTextBuffer* freshBuffer = gtk_text_view_get_buffer(GtkTextViewBridge::textViewOf(fresh));
    const auto looks = looksOf(buffer);
    const auto freshLooks = looksOf(freshBuffer);
    ASSERT_EQ(looks.size(), freshLooks.size());
    for (std::size_t index = 0; index < looks.size(); ++index)
        EXPECT_EQ(looks[index], freshLooks[index]) << "character " << index << " of " << bufferText();
    // The heading, the body, the emphasis and the code each look their own.
    EXPECT_GE(std::set<std::string>(looks.begin(), looks.end()).size(), 4u);
    gtk_widget_destroy(fresh);
    g_object_unref(fresh);
}

} // namespace
} // namespace folio
