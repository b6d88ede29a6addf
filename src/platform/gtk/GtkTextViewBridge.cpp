#include "platform/gtk/GtkTextViewBridge.h"

#include "platform/gtk/GtkTextLooks.h"
#include "platform/gtk/GtkTextOutlines.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/TextView.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>

namespace folio {

namespace {

namespace Key = TextAttributeName;

constexpr const char* kBridgeKey = "folio-text-view-bridge";

bool isSecondHalfOfPair(std::u16string_view text, std::size_t index)
{
    return index > 0 && index < text.size() && isLowSurrogate(text[index]) && isHighSurrogate(text[index - 1]);
}

// Where the text's surrogate pairs are, so that a UTF-16 offset and a GTK
// character offset convert into each other without counting through the
// text before them: a document of a million characters usually has no pair
// at all, and an edit only moves the pairs after it.
class CharacterOffsets {
public:
    void rebuild(std::u16string_view text)
    {
        m_secondHalves.clear();
        for (std::size_t index = 1; index < text.size(); ++index) {
            if (isSecondHalfOfPair(text, index))
                m_secondHalves.push_back(index);
        }
    }

    // The text changed from old range `before` to `after` (same location).
    void update(std::u16string_view text, Range before, Range after)
    {
        // Whether the unit just after a range is the second half of a pair
        // depends on the range's last unit, so it is looked at again.
        auto first = std::lower_bound(m_secondHalves.begin(), m_secondHalves.end(), before.location);
        auto last = std::upper_bound(first, m_secondHalves.end(), before.end());
        const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(after.length) - static_cast<std::ptrdiff_t>(before.length);
        for (auto shifted = last; shifted != m_secondHalves.end(); ++shifted)
            *shifted = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*shifted) + delta);
        std::vector<std::size_t> found;
        for (std::size_t index = after.location; index <= after.end() && index < text.size(); ++index) {
            if (isSecondHalfOfPair(text, index))
                found.push_back(index);
        }
        auto at = m_secondHalves.erase(first, last);
        m_secondHalves.insert(at, found.begin(), found.end());
    }

    // The GTK offset of the character at (or whose pair holds) a UTF-16 offset.
    std::size_t characters(std::size_t units) const
    {
        return units - static_cast<std::size_t>(std::lower_bound(m_secondHalves.begin(), m_secondHalves.end(), units) - m_secondHalves.begin());
    }

    // The UTF-16 offset of a GTK character offset, at most `length`.
    std::size_t units(std::size_t characters, std::size_t length) const
    {
        // Pair j starts at character (second half - 1 - j); every pair that
        // starts before the character adds one unit.
        std::size_t low = 0;
        std::size_t high = m_secondHalves.size();
        while (low < high) {
            std::size_t middle = (low + high) / 2;
            if (m_secondHalves[middle] - 1 - middle < characters)
                low = middle + 1;
            else
                high = middle;
        }
        return std::min(length, characters + low);
    }

private:
    std::vector<std::size_t> m_secondHalves;
};

bool isOn(const AttributeDictionary& attributes, std::string_view key)
{
    const auto* flag = attributes.valueForKeyAs<BoolValue>(key);
    return flag && flag->value();
}

// The letters as the view shows them: runs in capitals are upper-cased letter
// by letter, each capital taking its letter's place, so that offsets in the
// view stay those of the text.
std::u16string shownText(const TextStorage& storage, Range range)
{
    std::u16string text = storage.string().substr(range.location, range.length);
    for (std::size_t index = range.location; index < range.end();) {
        Range run;
        AttributeDictionaryPtr attributes = storage.attributesAtIndex(index, &run);
        const std::size_t runEnd = std::min(range.end(), std::max(run.end(), index + 1));
        if (attributes && isOn(*attributes, Key::Capitals)) {
            const auto length = static_cast<int32_t>(runEnd - range.location);
            for (int32_t at = static_cast<int32_t>(index - range.location); at < length;) {
                const int32_t start = at;
                UChar32 letter = 0;
                U16_NEXT(text.data(), at, length, letter);
                const UChar32 capital = u_toupper(letter);
                if (capital != letter && U16_LENGTH(capital) == at - start) {
                    int32_t put = start;
                    U16_APPEND_UNSAFE(text.data(), put, capital);
                }
            }
        }
        index = runEnd;
    }
    return text;
}

// The part of a UTF-8 text that an edit changed: the characters kept in
// front of it, how many old ones it removed and the text put in their place
// (a view into the new text). What the old and the new text have in common
// at their ends is kept, on character boundaries.
struct Utf8Change {
    std::size_t keptCharacters = 0;
    std::size_t removedCharacters = 0;
    std::string_view inserted;
};

Utf8Change utf8Change(std::string_view before, std::string_view after)
{
    auto isContinuation = [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; };
    auto characters = [&](std::string_view text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [&](char byte) { return !isContinuation(byte); }));
    };
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t front = 0;
    while (front < shorter && before[front] == after[front])
        ++front;
    while (front > 0 && front < after.size() && isContinuation(after[front]))
        --front;
    while (front > 0 && front < before.size() && isContinuation(before[front]))
        --front;
    std::size_t back = 0;
    while (back < shorter - front && before[before.size() - 1 - back] == after[after.size() - 1 - back])
        ++back;
    while (back > 0 && isContinuation(after[after.size() - back]))
        --back;
    Utf8Change change;
    change.keptCharacters = characters(before.substr(0, front));
    change.removedCharacters = characters(before.substr(front, before.size() - front - back));
    change.inserted = after.substr(front, after.size() - front - back);
    return change;
}

class Bridge {
public:
    Bridge(TextView& view, GtkWidget* textView)
        : m_view(std::static_pointer_cast<TextView>(view.weak_from_this().lock())), m_textView(textView),
          m_buffer(GTK_TEXT_BUFFER(g_object_ref(gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView))))),
          m_outlines(GTK_TEXT_VIEW(textView)), m_looks(m_buffer, m_outlines.marker())
    {
        m_observer = view.textStorage()->addObserver(
            [this](TextStorage& storage, const TextStorageEdit& edit) { storageDidProcessEditing(storage, edit); });
        m_storage = view.textStorage();
        m_selectionObserver = view.addSelectionObserver([this](TextView& model) { modelSelectionDidChange(model); });
        g_signal_connect(m_buffer, "insert-text", G_CALLBACK(&Bridge::onInsertText), this);
        g_signal_connect(m_buffer, "delete-range", G_CALLBACK(&Bridge::onDeleteRange), this);
        g_signal_connect(m_buffer, "mark-set", G_CALLBACK(&Bridge::onMarkSet), this);
        g_signal_connect_swapped(textView, "paste-clipboard", G_CALLBACK(&Bridge::onPaste), this);
        g_signal_connect_swapped(m_buffer, "paste-done", G_CALLBACK(&Bridge::onPaste), this);
        m_insets = view.textContainerInset();
        if (GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(textView))) {
            m_verticalAdjustment = GTK_ADJUSTMENT(g_object_ref(adjustment));
            g_signal_connect(m_verticalAdjustment, "changed", G_CALLBACK(&Bridge::onAdjustmentChanged), this);
        }
        // The wheel (over the text or the scroll bar), a drag of the scroll
        // bar and a click in the text each end keeping the caret in view.
        g_signal_connect(textView, "button-press-event", G_CALLBACK(&Bridge::onUserMoved), this);
        g_signal_connect(textView, "button-press-event", G_CALLBACK(&Bridge::onPressed), this);
        g_signal_connect(textView, "scroll-event", G_CALLBACK(&Bridge::onUserMoved), this);
        if (GtkWidget* parent = gtk_widget_get_parent(textView); parent && GTK_IS_SCROLLED_WINDOW(parent)) {
            m_scroller = parent;
            g_object_add_weak_pointer(G_OBJECT(m_scroller), reinterpret_cast<gpointer*>(&m_scroller));
            g_signal_connect(m_scroller, "scroll-event", G_CALLBACK(&Bridge::onUserMoved), this);
            if (GtkWidget* bar = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(m_scroller)))
                g_signal_connect(bar, "button-press-event", G_CALLBACK(&Bridge::onUserMoved), this);
        }
        copyAll();
    }

    bool shows(const View& model) const
    {
        auto view = m_view.lock();
        return view && view.get() == &model;
    }

    // The margins around the text follow the model's inset; GTK lays the
    // text out again within them.
    void applyInsets()
    {
        auto view = m_view.lock();
        if (!view)
            return;
        m_insets = view->textContainerInset();
        GtkTextViewBridge::applyInsets(GTK_TEXT_VIEW(m_textView), m_insets);
    }

    ~Bridge()
    {
        if (m_scrollSource)
            g_source_remove(m_scrollSource);
        if (m_verticalAdjustment) {
            g_signal_handlers_disconnect_by_data(m_verticalAdjustment, this);
            g_object_unref(m_verticalAdjustment);
        }
        g_signal_handlers_disconnect_by_data(m_textView, this);
        if (m_scroller) {
            g_signal_handlers_disconnect_by_data(m_scroller, this);
            if (GtkWidget* bar = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(m_scroller)))
                g_signal_handlers_disconnect_by_data(bar, this);
            g_object_remove_weak_pointer(G_OBJECT(m_scroller), reinterpret_cast<gpointer*>(&m_scroller));
        }
        g_signal_handlers_disconnect_by_data(m_buffer, this);
        if (auto storage = m_storage.lock())
            storage->removeObserver(m_observer);
        if (auto view = m_view.lock())
            view->removeSelectionObserver(m_selectionObserver);
        g_object_unref(m_buffer);
    }

private:
    // --- Model to screen ---
    void copyAll()
    {
        auto storage = m_storage.lock();
        if (!storage)
            return;
        m_updating = true;
        m_offsets.rebuild(storage->string());
        gtk_text_buffer_set_text(m_buffer, toUtf8(shownText(*storage, Range{0, storage->length()})).c_str(), -1);
        m_looks.show(*storage, Range{0, storage->length()}, 0, GtkTextLooks::Present::NoLooks);
        m_updating = false;
        if (auto view = m_view.lock())
            modelSelectionDidChange(*view);
    }

    void storageDidProcessEditing(TextStorage& storage, const TextStorageEdit& edit)
    {
        const std::u16string& text = storage.string();
        Range after = edit.editedRange;
        std::ptrdiff_t oldLength = static_cast<std::ptrdiff_t>(after.length) - edit.changeInLength;
        if (after.isNotFound() || after.end() > text.size() || oldLength < 0)
            return copyAll();
        Range before{after.location, static_cast<std::size_t>(oldLength)};
        m_updating = true;
        if (edit.editedMask & TextStorageEditedCharacters) {
            // The buffer still holds the old text, whose characters the
            // offsets still count; outside the edit they are the model's.
            std::size_t startCharacter = m_offsets.characters(before.location);
            std::size_t oldCharacters = m_offsets.characters(before.end()) - startCharacter;
            m_offsets.update(text, before, after);
            if (static_cast<gint>(startCharacter + oldCharacters) > gtk_text_buffer_get_char_count(m_buffer)) {
                m_updating = false;
                return copyAll();
            }
            replaceChangedPart(startCharacter, oldCharacters, toUtf8(shownText(storage, after)));
            keepCaretVisible();
        } else {
            // Capitals put on or taken off change the letters shown, not the text.
            const std::size_t startCharacter = m_offsets.characters(after.location);
            replaceChangedPart(startCharacter, m_offsets.characters(after.end()) - startCharacter, toUtf8(shownText(storage, after)));
        }
        m_looks.show(storage, after, m_offsets.characters(after.location), GtkTextLooks::Present::EarlierLooks);
        m_updating = false;
    }

    // --- Keeping the caret in view ---
    // After an edit while the user works in the view, the caret's line and
    // the inset below it stay inside the visible part. The new lines' sizes
    // are only known once GTK has laid them out, so the scroll happens when
    // the main loop is idle and again whenever the scrollable height changes
    // (GTK lays out the rest of a long text bit by bit), until the user
    // scrolls or clicks.
    void keepCaretVisible()
    {
        if (!gtk_widget_is_focus(m_textView))
            return;
        m_keepCaretVisible = true;
        if (!m_scrollSource)
            m_scrollSource = g_idle_add(&Bridge::onScrollIdle, this);
    }

    void scrollCaretIntoView()
    {
        if (!m_verticalAdjustment)
            return;
        GtkTextIter insert;
        gtk_text_buffer_get_iter_at_mark(m_buffer, &insert, gtk_text_buffer_get_insert(m_buffer));
        GdkRectangle caret;
        GdkRectangle visible;
        gtk_text_view_get_iter_location(GTK_TEXT_VIEW(m_textView), &insert, &caret);
        gtk_text_view_get_visible_rect(GTK_TEXT_VIEW(m_textView), &visible);
        if (visible.height <= 0)
            return;
        double value = gtk_adjustment_get_value(m_verticalAdjustment);
        double below = caret.y + caret.height + m_insets.bottom - (visible.y + visible.height);
        double above = visible.y - (caret.y - m_insets.top);
        if (below > 0)
            value += below;
        else if (above > 0)
            value -= above;
        else
            return;
        gtk_adjustment_set_value(m_verticalAdjustment, value);
    }

    static gboolean onScrollIdle(gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        self->m_scrollSource = 0;
        if (self->m_keepCaretVisible)
            self->scrollCaretIntoView();
        return G_SOURCE_REMOVE;
    }

    static void onAdjustmentChanged(GtkAdjustment*, gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        if (self->m_keepCaretVisible)
            self->scrollCaretIntoView();
    }

    static gboolean onUserMoved(GtkWidget*, GdkEvent*, gpointer data)
    {
        static_cast<Bridge*>(data)->m_keepCaretVisible = false;
        return FALSE;
    }

    // A click into the text is the user taking the text view up again: the
    // model hears it as the view becoming first responder (a find bar that
    // had the keyboard closes then). It runs after the click, since what it
    // sets off may rebuild the window the click is still being delivered to.
    static gboolean onPressed(GtkWidget*, GdkEvent* event, gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        if (event->type != GDK_BUTTON_PRESS || event->button.button != GDK_BUTTON_PRIMARY)
            return FALSE;
        auto view = self->m_view.lock();
        if (!view || view->isFirstResponder())
            return FALSE;
        RunLoop::main().post([weak = self->m_view] {
            auto shown = weak.lock();
            if (!shown || shown->isFirstResponder() || !shown->becomeFirstResponder())
                return;
            // Becoming first responder may have rebuilt the window around
            // the text; the keyboard goes to the text as it shows now.
            Presenter::current().viewDidRequestKeyboardFocus(*shown);
        });
        return FALSE;
    }

    // The buffer's characters [from, from + count) become `shown`, only the
    // part that differs being replaced: an edit's range reaches over the
    // line at its end and whatever the restyle changed, yet a typed letter
    // should reach GTK as that letter alone, or GTK lays out and draws again
    // every line the range touches, and everything below a line break that
    // goes out and in again.
    void replaceChangedPart(std::size_t from, std::size_t count, const std::string& shown)
    {
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(from));
        gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(from + count));
        gchar* current = gtk_text_buffer_get_slice(m_buffer, &start, &end, TRUE);
        const Utf8Change change = utf8Change(current, shown);
        g_free(current);
        if (change.removedCharacters > 0) {
            gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(from + change.keptCharacters));
            gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(from + change.keptCharacters + change.removedCharacters));
            gtk_text_buffer_delete(m_buffer, &start, &end);
        }
        if (!change.inserted.empty()) {
            gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(from + change.keptCharacters));
            gtk_text_buffer_insert(m_buffer, &start, change.inserted.data(), static_cast<gint>(change.inserted.size()));
        }
    }

    void modelSelectionDidChange(TextView& view)
    {
        if (m_updating)
            return;
        std::u16string_view text = view.text();
        Range selected = view.selectedRange();
        std::size_t start = m_offsets.characters(std::min(selected.location, text.size()));
        std::size_t end = m_offsets.characters(std::min(selected.end(), text.size()));
        GtkTextIter from;
        GtkTextIter to;
        gtk_text_buffer_get_iter_at_mark(m_buffer, &to, gtk_text_buffer_get_insert(m_buffer));
        gtk_text_buffer_get_iter_at_mark(m_buffer, &from, gtk_text_buffer_get_selection_bound(m_buffer));
        // A typed letter has already moved GTK's caret along with it; setting
        // the same place again would have GTK work out the caret's place anew.
        if (static_cast<std::size_t>(gtk_text_iter_get_offset(&from)) == start && static_cast<std::size_t>(gtk_text_iter_get_offset(&to)) == end)
            return;
        gtk_text_buffer_get_iter_at_offset(m_buffer, &from, static_cast<gint>(start));
        gtk_text_buffer_get_iter_at_offset(m_buffer, &to, static_cast<gint>(end));
        m_updating = true;
        gtk_text_buffer_select_range(m_buffer, &to, &from);
        m_updating = false;
    }

    // --- Screen to model ---
    Range unitRange(const GtkTextIter* start, const GtkTextIter* end) const
    {
        auto view = m_view.lock();
        std::size_t length = view ? view->text().size() : 0;
        std::size_t from = m_offsets.units(static_cast<std::size_t>(gtk_text_iter_get_offset(start)), length);
        std::size_t to = m_offsets.units(static_cast<std::size_t>(gtk_text_iter_get_offset(end)), length);
        return Range{std::min(from, to), std::max(from, to) - std::min(from, to)};
    }

    static void onInsertText(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length, gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        if (self->m_updating)
            return;
        // The model decides; its storage edit comes back to the buffer.
        g_signal_stop_emission_by_name(buffer, "insert-text");
        auto view = self->m_view.lock();
        if (!view)
            return;
        Range at = self->unitRange(location, location);
        std::u16string typed = toUtf16(std::string_view(text, static_cast<std::size_t>(length)));
        // Typing over a selection arrives as a deletion first, so the text
        // goes in at an empty selection.
        if (view->selectedRange() != Range{at.location, 0})
            view->setSelectedRange(Range{at.location, 0});
        view->insertText(typed);
    }

    static void onDeleteRange(GtkTextBuffer* buffer, GtkTextIter* start, GtkTextIter* end, gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        if (self->m_updating)
            return;
        g_signal_stop_emission_by_name(buffer, "delete-range");
        auto view = self->m_view.lock();
        if (!view)
            return;
        Range range = self->unitRange(start, end);
        if (range.length == 0)
            return;
        view->deleteRange(range);
    }

    // A paste is an undo step of its own, apart from the typing around it.
    static void onPaste(gpointer data)
    {
        if (auto view = static_cast<Bridge*>(data)->m_view.lock())
            view->breakUndoCoalescing();
    }

    static void onMarkSet(GtkTextBuffer* buffer, GtkTextIter*, GtkTextMark* mark, gpointer data)
    {
        auto* self = static_cast<Bridge*>(data);
        if (self->m_updating || (mark != gtk_text_buffer_get_insert(buffer) && mark != gtk_text_buffer_get_selection_bound(buffer)))
            return;
        auto view = self->m_view.lock();
        if (!view)
            return;
        GtkTextIter insert;
        GtkTextIter bound;
        gtk_text_buffer_get_iter_at_mark(buffer, &insert, gtk_text_buffer_get_insert(buffer));
        gtk_text_buffer_get_iter_at_mark(buffer, &bound, gtk_text_buffer_get_selection_bound(buffer));
        Range range = self->unitRange(&insert, &bound);
        if (range != view->selectedRange()) {
            self->m_updating = true;
            view->setSelectedRange(range);
            self->m_updating = false;
        }
    }

    std::weak_ptr<TextView> m_view;
    std::weak_ptr<TextStorage> m_storage;
    GtkWidget* m_textView;
    GtkTextBuffer* m_buffer;
    TextStorage::ObserverToken m_observer = 0;
    std::uint64_t m_selectionObserver = 0;
    GtkTextOutlines m_outlines;
    GtkTextLooks m_looks;
    CharacterOffsets m_offsets;
    EdgeInsets m_insets;
    GtkAdjustment* m_verticalAdjustment = nullptr;
    GtkWidget* m_scroller = nullptr;
    guint m_scrollSource = 0;
    bool m_keepCaretVisible = false;
    bool m_updating = false;
};

} // namespace

GtkWidget* GtkTextViewBridge::build(TextView& view)
{
    GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
    GtkWidget* textView = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(textView), GTK_WRAP_WORD_CHAR);
    gtk_text_view_set_editable(GTK_TEXT_VIEW(textView), view.isEditable());
    applyInsets(GTK_TEXT_VIEW(textView), view.textContainerInset());
    gtk_container_add(GTK_CONTAINER(scroller), textView);
    gtk_widget_set_hexpand(scroller, TRUE);
    gtk_widget_set_vexpand(scroller, TRUE);
    gtk_widget_set_size_request(scroller, static_cast<gint>(std::lround(std::max(0.0, view.frame().width()))),
                                static_cast<gint>(std::lround(std::max(0.0, view.frame().height()))));
    g_object_set_data_full(G_OBJECT(textView), kBridgeKey, new Bridge(view, textView),
                           [](gpointer bridge) { delete static_cast<Bridge*>(bridge); });
    return scroller;
}

void GtkTextViewBridge::applyInsets(GtkTextView* textView, const EdgeInsets& insets)
{
    auto points = [](double value) { return static_cast<gint>(std::lround(value)); };
    if (gtk_text_view_get_top_margin(textView) != points(insets.top))
        gtk_text_view_set_top_margin(textView, points(insets.top));
    if (gtk_text_view_get_bottom_margin(textView) != points(insets.bottom))
        gtk_text_view_set_bottom_margin(textView, points(insets.bottom));
    if (gtk_text_view_get_left_margin(textView) != points(insets.left))
        gtk_text_view_set_left_margin(textView, points(insets.left));
    if (gtk_text_view_get_right_margin(textView) != points(insets.right))
        gtk_text_view_set_right_margin(textView, points(insets.right));
}

void GtkTextViewBridge::refreshInsets(GtkWidget* root, const View& model)
{
    if (!root)
        return;
    if (GTK_IS_TEXT_VIEW(root)) {
        auto* bridge = static_cast<Bridge*>(g_object_get_data(G_OBJECT(root), kBridgeKey));
        if (bridge && bridge->shows(model))
            bridge->applyInsets();
    }
    if (GTK_IS_CONTAINER(root)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(root));
        for (GList* child = children; child; child = child->next)
            refreshInsets(GTK_WIDGET(child->data), model);
        g_list_free(children);
    }
}

GtkTextView* GtkTextViewBridge::textViewOf(GtkWidget* widget)
{
    if (GTK_IS_TEXT_VIEW(widget))
        return GTK_TEXT_VIEW(widget);
    if (GTK_IS_SCROLLED_WINDOW(widget)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget));
        if (child && GTK_IS_TEXT_VIEW(child) && g_object_get_data(G_OBJECT(child), kBridgeKey))
            return GTK_TEXT_VIEW(child);
    }
    return nullptr;
}

} // namespace folio
