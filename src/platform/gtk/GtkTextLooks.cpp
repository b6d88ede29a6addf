#include "platform/gtk/GtkTextLooks.h"

#include "platform/gtk/GtkTextOutlines.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/text/TextStorage.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace folio {

namespace {

namespace Key = TextAttributeName;

// Set on the tags made here, so that tags made elsewhere are told apart.
constexpr const char* kLookKey = "folio-look";

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

bool hasSmallCapitals(const AttributeDictionary& attributes)
{
    const auto* flag = attributes.valueForKeyAs<BoolValue>(Key::SmallCapitals);
    return flag && flag->value();
}

std::string rgbaString(const Color& color)
{
    return formatInCLocale("rgba(%d,%d,%d,%.3f)", static_cast<int>(std::lround(std::clamp(color.red(), 0.0, 1.0) * 255)),
                           static_cast<int>(std::lround(std::clamp(color.green(), 0.0, 1.0) * 255)),
                           static_cast<int>(std::lround(std::clamp(color.blue(), 0.0, 1.0) * 255)),
                           std::clamp(color.alpha(), 0.0, 1.0));
}

} // namespace

GtkTextLooks::GtkTextLooks(GtkTextBuffer* buffer, GtkTextTag* outlineMarker) : m_buffer(buffer), m_outlineMarker(outlineMarker) {}

void GtkTextLooks::show(const TextStorage& storage, Range range, std::size_t firstCharacter, Present present)
{
    for (const Span& span : wantedSpans(storage, range, firstCharacter)) {
        if (present == Present::NoLooks) {
            if (span.look)
                giveLook(span, {});
            continue;
        }
        for (const auto& [part, ours] : differingParts(span))
            giveLook(part, ours);
    }
}

std::vector<GtkTextLooks::Span> GtkTextLooks::wantedSpans(const TextStorage& storage, Range range, std::size_t firstCharacter)
{
    const std::u16string& text = storage.string();
    std::vector<Span> spans;
    std::size_t character = firstCharacter;
    // GTK keeps a line's tag changes in one list that every further change
    // walks: a line of a hundred thousand looks (a 200 KB line of list
    // marks) took minutes to show. Past a thousand on one line the rest of
    // that line is shown plain.
    constexpr std::size_t kMostLooksOnALine = 1000;
    std::size_t looksOnTheLine = 0;
    for (std::size_t index = range.location; index < range.end();) {
        Range run;
        AttributeDictionaryPtr attributes = storage.attributesAtIndex(index, &run);
        const std::size_t runEnd = std::min(range.end(), std::max(run.end(), index + 1));
        const std::u16string_view runText = std::u16string_view(text).substr(index, runEnd - index);
        const std::size_t characters = charactersInUnits(runText);
        if (runText.find_first_of(u"\n\r\u2028\u2029") != std::u16string_view::npos)
            looksOnTheLine = 0;
        GtkTextTag* look = nullptr;
        if (++looksOnTheLine <= kMostLooksOnALine && attributes)
            look = lookOf(attributes);
        if (!spans.empty() && spans.back().look == look)
            spans.back().to += characters;
        else
            spans.push_back(Span{character, character + characters, look});
        character += characters;
        index = runEnd;
    }
    return spans;
}

std::vector<std::pair<GtkTextLooks::Span, std::vector<GtkTextTag*>>> GtkTextLooks::differingParts(const Span& span) const
{
    std::vector<std::pair<Span, std::vector<GtkTextTag*>>> parts;
    const bool outlined = isOutlined(span.look);
    GtkTextIter at;
    GtkTextIter end;
    gtk_text_buffer_get_iter_at_offset(m_buffer, &at, static_cast<gint>(span.from));
    gtk_text_buffer_get_iter_at_offset(m_buffer, &end, static_cast<gint>(span.to));
    // Between two toggles of any tag the characters have the same tags.
    while (gtk_text_iter_compare(&at, &end) < 0) {
        GtkTextIter next = at;
        if (!gtk_text_iter_forward_to_tag_toggle(&next, nullptr) || gtk_text_iter_compare(&next, &end) > 0)
            next = end;
        std::vector<GtkTextTag*> ours;
        GSList* tags = gtk_text_iter_get_tags(&at);
        for (GSList* item = tags; item; item = item->next) {
            if (auto* tag = static_cast<GtkTextTag*>(item->data); isOurs(tag))
                ours.push_back(tag);
        }
        g_slist_free(tags);
        const bool hasLook = !span.look || std::find(ours.begin(), ours.end(), span.look) != ours.end();
        const bool hasMarker = std::find(ours.begin(), ours.end(), m_outlineMarker) != ours.end();
        const std::size_t wanted = (span.look ? 1 : 0) + (outlined ? 1 : 0);
        if (!hasLook || hasMarker != outlined || ours.size() != wanted) {
            Span part{static_cast<std::size_t>(gtk_text_iter_get_offset(&at)), static_cast<std::size_t>(gtk_text_iter_get_offset(&next)), span.look};
            parts.emplace_back(part, std::move(ours));
        }
        at = next;
    }
    return parts;
}

void GtkTextLooks::giveLook(const Span& span, const std::vector<GtkTextTag*>& present)
{
    GtkTextIter from;
    GtkTextIter to;
    gtk_text_buffer_get_iter_at_offset(m_buffer, &from, static_cast<gint>(span.from));
    gtk_text_buffer_get_iter_at_offset(m_buffer, &to, static_cast<gint>(span.to));
    const bool outlined = isOutlined(span.look);
    auto has = [&](GtkTextTag* tag) { return std::find(present.begin(), present.end(), tag) != present.end(); };
    for (GtkTextTag* tag : present) {
        if (tag != span.look && !(tag == m_outlineMarker && outlined))
            gtk_text_buffer_remove_tag(m_buffer, tag, &from, &to);
    }
    if (span.look && !has(span.look))
        gtk_text_buffer_apply_tag(m_buffer, span.look, &from, &to);
    if (outlined && !has(m_outlineMarker))
        gtk_text_buffer_apply_tag(m_buffer, m_outlineMarker, &from, &to);
}

GtkTextTag* GtkTextLooks::lookOf(const AttributeDictionaryPtr& attributes)
{
    // Zooming makes a new set of looks at every scale; old ones are let go.
    constexpr std::size_t kMostRemembered = 1024;
    if (auto found = m_looksOfDictionaries.find(attributes); found != m_looksOfDictionaries.end())
        return found->second;
    if (m_looksOfDictionaries.size() >= kMostRemembered)
        m_looksOfDictionaries.clear();
    GtkTextTag* look = tagFor(*attributes);
    m_looksOfDictionaries.emplace(attributes, look);
    return look;
}

bool GtkTextLooks::isOurs(GtkTextTag* tag) const
{
    return tag == m_outlineMarker || g_object_get_data(G_OBJECT(tag), kLookKey);
}

bool GtkTextLooks::isOutlined(GtkTextTag* look) const
{
    return look && g_object_get_data(G_OBJECT(look), "folio-stroke-color");
}

GtkTextTag* GtkTextLooks::tagFor(const AttributeDictionary& attributes)
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
    if (hasSmallCapitals(attributes))
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
    g_object_set_data(G_OBJECT(tag), kLookKey, tag);
    m_tags.emplace(key, tag);
    return tag;
}

} // namespace folio
