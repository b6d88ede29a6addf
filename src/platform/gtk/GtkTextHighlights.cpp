#include "platform/gtk/GtkTextHighlights.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/TextHighlightView.h"
#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace folio {

namespace {

constexpr const char* kModelKey = "folio-highlight-model";
constexpr const char* kTagPrefix = "folio-highlight-";
constexpr const char* kEmphasizedKey = "folio-highlight-emphasized";
constexpr gint64 kScrollMicroseconds = 300000;

// GTK counts characters; the model counts UTF-16 units.
gint characterOffset(std::u16string_view text, std::size_t units)
{
    units = std::min(units, text.size());
    gint count = 0;
    for (std::size_t index = 0; index < units; ++index) {
        if (!(isLowSurrogate(text[index]) && index > 0 && isHighSurrogate(text[index - 1])))
            ++count;
    }
    return count;
}

std::string colourName(const Color& color)
{
    auto channel = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
    return formatInCLocale("%02x%02x%02x%02x", channel(color.red()), channel(color.green()), channel(color.blue()),
                           channel(color.alpha()));
}

GtkTextTag* tagForColour(GtkTextBuffer* buffer, const Color& color)
{
    GtkTextTagTable* table = gtk_text_buffer_get_tag_table(buffer);
    const std::string name = kTagPrefix + colourName(color);
    GtkTextTag* tag = gtk_text_tag_table_lookup(table, name.c_str());
    if (!tag) {
        GdkRGBA rgba{color.red(), color.green(), color.blue(), color.alpha()};
        tag = gtk_text_buffer_create_tag(buffer, name.c_str(), "background-rgba", &rgba, nullptr);
    }
    // Above the text's own looks, so a styled run does not hide the match.
    gtk_text_tag_set_priority(tag, gtk_text_tag_table_get_size(table) - 1);
    return tag;
}

void removeHighlightTags(GtkTextBuffer* buffer)
{
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    std::vector<GtkTextTag*> tags;
    gtk_text_tag_table_foreach(
        gtk_text_buffer_get_tag_table(buffer),
        [](GtkTextTag* tag, gpointer data) {
            gchar* name = nullptr;
            g_object_get(tag, "name", &name, nullptr);
            if (name && g_str_has_prefix(name, kTagPrefix))
                static_cast<std::vector<GtkTextTag*>*>(data)->push_back(tag);
            g_free(name);
        },
        &tags);
    for (GtkTextTag* tag : tags)
        gtk_text_buffer_remove_tag(buffer, tag, &start, &end);
}

struct ScrollAnimation {
    GtkAdjustment* adjustment;
    double from;
    double to;
    gint64 startTime;
};

// Moves the text so that `iter` shows in the middle, over a short eased glide.
void scrollToMiddle(GtkTextView* view, GtkTextIter* iter)
{
    GdkRectangle location;
    gtk_text_view_get_iter_location(view, iter, &location);
    GtkAdjustment* adjustment = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
    if (!adjustment)
        return;
    const double page = gtk_adjustment_get_page_size(adjustment);
    const double value = gtk_adjustment_get_value(adjustment);
    // Already within the middle band: nothing moves.
    const double band = 1.5 * location.height;
    if (location.y >= value + (page - band) / 2 && location.y + location.height <= value + (page + band) / 2)
        return;
    const double upper = gtk_adjustment_get_upper(adjustment) - page;
    const double target = std::clamp(location.y - (page - location.height) / 2, gtk_adjustment_get_lower(adjustment), std::max(0.0, upper));
    GdkFrameClock* clock = gtk_widget_get_frame_clock(GTK_WIDGET(view));
    if (!clock || !gtk_widget_get_mapped(GTK_WIDGET(view))) {
        gtk_adjustment_set_value(adjustment, target);
        return;
    }
    auto* animation = new ScrollAnimation{GTK_ADJUSTMENT(g_object_ref(adjustment)), value, target, gdk_frame_clock_get_frame_time(clock)};
    gtk_widget_add_tick_callback(
        GTK_WIDGET(view),
        [](GtkWidget*, GdkFrameClock* frameClock, gpointer data) -> gboolean {
            auto* step = static_cast<ScrollAnimation*>(data);
            const double progress =
                std::min(1.0, double(gdk_frame_clock_get_frame_time(frameClock) - step->startTime) / kScrollMicroseconds);
            const double eased = progress * progress * (3 - 2 * progress);
            gtk_adjustment_set_value(step->adjustment, step->from + (step->to - step->from) * eased);
            return progress < 1.0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        animation,
        [](gpointer data) {
            auto* step = static_cast<ScrollAnimation*>(data);
            g_object_unref(step->adjustment);
            delete step;
        });
}

void paint(GtkTextView* textView, const TextView& model)
{
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(textView);
    removeHighlightTags(buffer);
    const std::u16string& text = model.text();
    std::optional<Range> emphasized;
    for (const auto& subview : model.subviews()) {
        const auto* highlight = dynamic_cast<const TextHighlightView*>(subview.get());
        if (!highlight || highlight->isHidden() || !highlight->backgroundColor())
            continue;
        const Range range = highlight->range();
        if (range.location > text.size())
            continue;
        GtkTextIter start;
        GtkTextIter end;
        gtk_text_buffer_get_iter_at_offset(buffer, &start, characterOffset(text, range.location));
        gtk_text_buffer_get_iter_at_offset(buffer, &end, characterOffset(text, range.end()));
        gtk_text_buffer_apply_tag(buffer, tagForColour(buffer, *highlight->backgroundColor()), &start, &end);
        if (highlight->isEmphasized())
            emphasized = range;
    }
    // Scroll only when the emphasized match moved, so the user's own
    // scrolling is left alone.
    auto* previous = static_cast<Range*>(g_object_get_data(G_OBJECT(textView), kEmphasizedKey));
    if (emphasized && (!previous || *previous != *emphasized)) {
        GtkTextIter start;
        gtk_text_buffer_get_iter_at_offset(buffer, &start, characterOffset(text, emphasized->location));
        scrollToMiddle(textView, &start);
    }
    if (emphasized)
        g_object_set_data_full(G_OBJECT(textView), kEmphasizedKey, new Range(*emphasized), [](gpointer data) { delete static_cast<Range*>(data); });
    else
        g_object_set_data(G_OBJECT(textView), kEmphasizedKey, nullptr);
}

void collectTextViews(GtkWidget* widget, const View& model, std::vector<GtkTextView*>& found)
{
    if (GTK_IS_TEXT_VIEW(widget) && g_object_get_data(G_OBJECT(widget), kModelKey) == &model)
        found.push_back(GTK_TEXT_VIEW(widget));
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* child = children; child; child = child->next)
            collectTextViews(GTK_WIDGET(child->data), model, found);
        g_list_free(children);
    }
}

void followAllocation(GtkWidget*, GdkRectangle* allocation, gpointer data)
{
    auto view = static_cast<std::weak_ptr<TextView>*>(data)->lock();
    if (!view)
        return;
    Rect frame = view->frame();
    if (frame.width() == allocation->width && frame.height() == allocation->height)
        return;
    frame.size = Size{double(allocation->width), double(allocation->height)};
    view->setFrame(frame);
}

} // namespace

void GtkTextHighlights::attach(GtkTextView* textView, TextView& model)
{
    g_object_set_data(G_OBJECT(textView), kModelKey, &model);
    // The model finds the matches in sight from its own size, which is the
    // size the window gives the text.
    std::weak_ptr<TextView> weak = std::static_pointer_cast<TextView>(model.weak_from_this().lock());
    auto* keep = new std::weak_ptr<TextView>(weak);
    g_signal_connect_data(
        textView, "size-allocate", G_CALLBACK(&followAllocation), keep, [](gpointer data, GClosure*) { delete static_cast<std::weak_ptr<TextView>*>(data); }, GConnectFlags(0));
    paint(textView, model);
}

void GtkTextHighlights::refresh(GtkWidget* root, const View& model)
{
    const auto* textModel = dynamic_cast<const TextView*>(&model);
    if (!textModel || !root)
        return;
    std::vector<GtkTextView*> views;
    collectTextViews(root, model, views);
    for (GtkTextView* view : views)
        paint(view, *textModel);
}

void GtkTextHighlights::followShownSizes(GtkWidget* root)
{
    if (!root)
        return;
    if (GTK_IS_TEXT_VIEW(root) && g_object_get_data(G_OBJECT(root), kModelKey))
        // Allocated again, it reports its size to the model as it does on every allocation.
        gtk_widget_queue_resize(root);
    if (GTK_IS_CONTAINER(root)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(root));
        for (GList* child = children; child; child = child->next)
            followShownSizes(GTK_WIDGET(child->data));
        g_list_free(children);
    }
}

} // namespace folio
