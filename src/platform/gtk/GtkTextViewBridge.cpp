#include "platform/gtk/GtkTextViewBridge.h"

#include "platform/gtk/GtkTextOutlines.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/TextView.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

namespace folio {

namespace {

namespace Key = TextAttributeName;

constexpr const char* kBridgeKey = "folio-text-view-bridge";

// GTK counts characters (code points); the model counts UTF-16 units.
std::size_t charactersInUnits(std::u16string_view text)
{
    std::size_t count = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (!(isLowSurrogate(text[index]) && index > 0 && isHighSurrogate(text[index - 1])))
            ++count;
    }
    return count;
}

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

std::string rgbaString(const Color& color)
{
    return formatInCLocale("rgba(%d,%d,%d,%.3f)", static_cast<int>(std::lround(std::clamp(color.red(), 0.0, 1.0) * 255)),
                           static_cast<int>(std::lround(std::clamp(color.green(), 0.0, 1.0) * 255)),
                           static_cast<int>(std::lround(std::clamp(color.blue(), 0.0, 1.0) * 255)),
                           std::clamp(color.alpha(), 0.0, 1.0));
}

class Bridge {
public:
    Bridge(TextView& view, GtkWidget* textView)
        : m_view(std::static_pointer_cast<TextView>(view.weak_from_this().lock())), m_textView(textView),
          m_buffer(GTK_TEXT_BUFFER(g_object_ref(gtk_text_view_get_buffer(GTK_TEXT_VIEW(textView))))),
          m_outlines(GTK_TEXT_VIEW(textView))
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
        applyTags(*storage, Range{0, storage->length()});
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
            GtkTextIter start;
            GtkTextIter end;
            gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(startCharacter));
            gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(startCharacter + oldCharacters));
            gtk_text_buffer_delete(m_buffer, &start, &end);
            std::string inserted = toUtf8(shownText(storage, after));
            gtk_text_buffer_insert(m_buffer, &start, inserted.c_str(), static_cast<gint>(inserted.size()));
            keepCaretVisible();
        } else {
            showCapitalsAnew(storage, after);
        }
        applyTags(storage, after);
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

    // Capitals put on or taken off change the letters shown, not the text.
    void showCapitalsAnew(TextStorage& storage, Range range)
    {
        const std::string shown = toUtf8(shownText(storage, range));
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(m_offsets.characters(range.location)));
        gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(m_offsets.characters(range.end())));
        gchar* current = gtk_text_buffer_get_text(m_buffer, &start, &end, TRUE);
        const bool same = shown == current;
        g_free(current);
        if (same)
            return;
        gtk_text_buffer_delete(m_buffer, &start, &end);
        gtk_text_buffer_insert(m_buffer, &start, shown.c_str(), static_cast<gint>(shown.size()));
    }

    void applyTags(TextStorage& storage, Range range)
    {
        const std::u16string& text = storage.string();
        std::size_t character = m_offsets.characters(range.location);
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(m_buffer, &start, static_cast<gint>(character));
        gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(m_offsets.characters(range.end())));
        gtk_text_buffer_remove_all_tags(m_buffer, &start, &end);
        // GTK keeps a line's tag changes in one list that every further
        // change walks: a line of a hundred thousand looks (a 200 KB line of
        // list marks) took minutes to show. Past a thousand on one line
        // the rest of that line is shown plain.
        constexpr std::size_t kMostLooksOnALine = 1000;
        std::size_t looksOnTheLine = 0;
        for (std::size_t index = range.location; index < range.end();) {
            Range run;
            AttributeDictionaryPtr attributes = storage.attributesAtIndex(index, &run);
            std::size_t runEnd = std::min(range.end(), std::max(run.end(), index + 1));
            std::u16string_view runText = std::u16string_view(text).substr(index, runEnd - index);
            std::size_t characters = charactersInUnits(runText);
            if (runText.find_first_of(u"\n\r\u2028\u2029") != std::u16string_view::npos)
                looksOnTheLine = 0;
            if (++looksOnTheLine > kMostLooksOnALine) {
                character += characters;
                index = runEnd;
                continue;
            }
            if (GtkTextTag* tag = attributes ? tagFor(*attributes) : nullptr) {
                GtkTextIter from;
                GtkTextIter to;
                gtk_text_buffer_get_iter_at_offset(m_buffer, &from, static_cast<gint>(character));
                gtk_text_buffer_get_iter_at_offset(m_buffer, &to, static_cast<gint>(character + characters));
                gtk_text_buffer_apply_tag(m_buffer, tag, &from, &to);
                if (g_object_get_data(G_OBJECT(tag), "folio-stroke-color"))
                    gtk_text_buffer_apply_tag(m_buffer, m_outlines.marker(), &from, &to);
            }
            character += characters;
            index = runEnd;
        }
    }

    // One tag per distinct look, shared by every run that has it.
    GtkTextTag* tagFor(const AttributeDictionary& attributes)
    {
        std::string key;
        std::vector<std::pair<const char*, std::string>> strings;
        std::vector<std::pair<const char*, int>> numbers;
        if (const auto* font = attributes.valueForKeyAs<FontAttributeValue>(Key::Font)) {
            const Font& value = font->font();
            PangoFontDescription* description = pango_font_description_new();
            pango_font_description_set_family(description, value.face().familyName.c_str());
            pango_font_description_set_size(description, static_cast<gint>(std::lround(value.pointSize() * PANGO_SCALE)));
            pango_font_description_set_weight(description, value.face().isBold() ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
            pango_font_description_set_style(description, value.face().isItalic() ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
            char* text = pango_font_description_to_string(description);
            strings.emplace_back("font", text);
            g_free(text);
            pango_font_description_free(description);
        }
        const auto* foreground = attributes.valueForKeyAs<ColorValue>(Key::ForegroundColor);
        if (!foreground)
            foreground = attributes.valueForKeyAs<ColorValue>(Key::CoreTextForegroundColor);
        // Outlined letters are drawn over transparent ones, in their colour.
        std::string outline;
        if (const auto* stroke = attributes.valueForKeyAs<DoubleValue>(Key::StrokeWidth); stroke && stroke->value() > 0) {
            Color color = foreground ? foreground->color() : Color::colorWithRed(0, 0, 0);
            outline = rgbaString(color);
            strings.emplace_back("foreground", rgbaString(color.colorWithAlphaComponent(0)));
        } else if (foreground) {
            strings.emplace_back("foreground", rgbaString(foreground->color()));
        }
        if (const auto* color = attributes.valueForKeyAs<ColorValue>(Key::BackgroundColor))
            strings.emplace_back("background", rgbaString(color->color()));
        if (const auto* underline = attributes.valueForKeyAs<IntegerValue>(Key::UnderlineStyle); underline && underline->value() != 0)
            numbers.emplace_back("underline", PANGO_UNDERLINE_SINGLE);
        if (const auto* strike = attributes.valueForKeyAs<IntegerValue>(Key::StrikethroughStyle); strike && strike->value() != 0)
            numbers.emplace_back("strikethrough", TRUE);
        // Pango draws small capitals from the font's own, or makes them.
        if (isOn(attributes, Key::SmallCapitals))
            numbers.emplace_back("variant", PANGO_VARIANT_SMALL_CAPS);
        if (const auto* paragraph = attributes.valueForKeyAs<ParagraphStyleValue>(Key::ParagraphStyle)) {
            const PlatformParagraphStyle& style = paragraph->style();
            GtkJustification justification = GTK_JUSTIFY_LEFT;
            if (style.alignment() == TextAlignment::Center)
                justification = GTK_JUSTIFY_CENTER;
            else if (style.alignment() == TextAlignment::Right)
                justification = GTK_JUSTIFY_RIGHT;
            else if (style.alignment() == TextAlignment::Justified)
                justification = GTK_JUSTIFY_FILL;
            numbers.emplace_back("justification", justification);
            numbers.emplace_back("indent", static_cast<int>(std::lround(style.firstLineHeadIndent())));
            numbers.emplace_back("pixels-inside-wrap", static_cast<int>(std::lround(style.minimumLineSpacing())));
            numbers.emplace_back("pixels-below-lines", static_cast<int>(std::lround(style.minimumLineSpacing())));
        }
        if (strings.empty() && numbers.empty())
            return nullptr;
        for (const auto& [name, value] : strings)
            key += std::string(name) + "=" + value + ";";
        for (const auto& [name, value] : numbers)
            key += std::string(name) + "=" + std::to_string(value) + ";";
        if (!outline.empty())
            key += "outline=" + outline + ";";
        auto found = m_tags.find(key);
        if (found != m_tags.end())
            return found->second;
        GtkTextTag* tag = gtk_text_buffer_create_tag(m_buffer, nullptr, nullptr);
        for (const auto& [name, value] : strings)
            g_object_set(tag, name, value.c_str(), nullptr);
        for (const auto& [name, value] : numbers)
            g_object_set(tag, name, value, nullptr);
        if (!outline.empty())
            GtkTextOutlines::setStrokeColor(tag, outline);
        m_tags.emplace(key, tag);
        return tag;
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
    std::map<std::string, GtkTextTag*> m_tags;
    GtkTextOutlines m_outlines;
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
