#include "engine/html/HTMLListMarker.h"

#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/Unicode.h"

namespace folio {

namespace {

constexpr auto kLastType = TECSSListStyleType::Underscore;
constexpr auto kLastNumbering = TEListNumbering::ArabicAbjad;
// Words around a number are a few characters; more is no marker.
constexpr std::size_t kLongestWords = 32;

std::optional<unsigned> numberAt(std::u16string_view text, std::size_t& at)
{
    if (at >= text.size() || text[at] < u'0' || text[at] > u'9')
        return std::nullopt;
    long long value = 0;
    const std::size_t end = scanDecimalInteger(text, at, &value, 0, 1000);
    if (end == at)
        return std::nullopt;
    at = end;
    return static_cast<unsigned>(value);
}

} // namespace

void HTMLListMarker::addAttributes(const TECSSListStyle& style, HTMLAttributeMap& attributes)
{
    if (const std::optional<int> size = style.markerHalfPoints())
        attributes["data-marker-size"] = toUtf16(std::to_string(*size));
    const std::optional<TECSSListStyle::MarkerText>& words = style.markerText();
    if (!words)
        return;
    attributes["data-marker"] = toUtf16(std::to_string(static_cast<unsigned>(style.type())) + " " +
                                        std::to_string(static_cast<unsigned>(words->numbering)));
    if (!words->before.empty())
        attributes["data-marker-before"] = words->before;
    if (!words->after.empty())
        attributes["data-marker-after"] = words->after;
    if (words->numberFormat >= 0)
        attributes["data-marker-format"] = toUtf16(std::to_string(words->numberFormat));
    // Each outer level's number as its level, the length of the words
    // after it, ":" and those words: "01:." for level 0's number and ".".
    std::u16string outer;
    for (const TECSSListStyle::MarkerText::OuterNumber& number : words->outer)
        outer += toUtf16(std::to_string(number.level) + std::to_string(number.after.size()) + ":") + number.after;
    if (!outer.empty())
        attributes["data-marker-outer"] = outer;
    if (words->bullet)
        attributes["data-marker-bullet"] = words->font;
    if (words->follow == TEListLabelFollow::Space)
        attributes["data-marker-follow"] = u"space";
    else if (words->follow == TEListLabelFollow::Nothing)
        attributes["data-marker-follow"] = u"none";
    if (words->alignment == TEListMarkerAlignment::Right)
        attributes["data-marker-align"] = u"right";
    else if (words->alignment == TEListMarkerAlignment::Center)
        attributes["data-marker-align"] = u"center";
}

void HTMLListMarker::applyAttributes(TECSSListStyle& style,
                                     const std::function<const std::u16string*(std::string_view)>& attributeForKey)
{
    if (const std::u16string* size = attributeForKey("data-marker-size")) {
        std::size_t end = 0;
        if (const std::optional<unsigned> halfPoints = numberAt(*size, end);
            halfPoints && end == size->size() && TECSSListStyle::isUsableMarkerHalfPoints(*halfPoints))
            style.setMarkerHalfPoints(static_cast<int>(*halfPoints));
    }
    const std::u16string* marker = attributeForKey("data-marker");
    if (!marker)
        return;
    std::size_t at = 0;
    const std::optional<unsigned> type = numberAt(*marker, at);
    if (!type || at >= marker->size() || (*marker)[at++] != u' ')
        return;
    const std::optional<unsigned> numbering = numberAt(*marker, at);
    if (!numbering || at != marker->size() || *type > static_cast<unsigned>(kLastType) ||
        *numbering > static_cast<unsigned>(kLastNumbering))
        return;
    TECSSListStyle::MarkerText words;
    words.numbering = static_cast<TEListNumbering>(*numbering);
    if (const std::u16string* before = attributeForKey("data-marker-before"))
        words.before = *before;
    if (const std::u16string* after = attributeForKey("data-marker-after"))
        words.after = *after;
    if (words.before.size() > kLongestWords || words.after.size() > kLongestWords)
        return;
    if (const std::u16string* format = attributeForKey("data-marker-format")) {
        std::size_t end = 0;
        if (const std::optional<unsigned> number = numberAt(*format, end); number && end == format->size() && *number <= 255)
            words.numberFormat = static_cast<int>(*number);
    }
    if (const std::u16string* alignment = attributeForKey("data-marker-align"))
        words.alignment = *alignment == u"right" ? TEListMarkerAlignment::Right
            : *alignment == u"center"             ? TEListMarkerAlignment::Center
                                                  : TEListMarkerAlignment::Left;
    if (const std::u16string* follow = attributeForKey("data-marker-follow"))
        words.follow = *follow == u"space" ? TEListLabelFollow::Space
            : *follow == u"none"           ? TEListLabelFollow::Nothing
                                           : TEListLabelFollow::Tab;
    if (const std::u16string* outer = attributeForKey("data-marker-outer")) {
        for (std::size_t at = 0; at < outer->size();) {
            const char16_t level = (*outer)[at++];
            const std::optional<unsigned> length = numberAt(*outer, at);
            if (level < u'0' || level > u'8' || !length || *length > kLongestWords || at >= outer->size()
                || (*outer)[at++] != u':' || outer->size() - at < *length)
                return;
            words.outer.push_back({level - u'0', outer->substr(at, *length)});
            at += *length;
        }
    }
    if (const std::u16string* font = attributeForKey("data-marker-bullet")) {
        words.bullet = true;
        words.font = *font;
    }
    style.setType(static_cast<TECSSListStyleType>(*type));
    style.setMarkerText(std::move(words));
}

} // namespace folio
