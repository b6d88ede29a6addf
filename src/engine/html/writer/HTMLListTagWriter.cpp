#include "engine/html/writer/HTMLListTagWriter.h"

#include "engine/html/HTMLListMarker.h"
#include "engine/html/writer/HTMLMarkup.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

namespace folio {

namespace {

constexpr double kTwipsPerCentimetre = 1440 / 2.54;

struct ListKind {
    std::string_view keyword;
    std::string_view element;
};

// By list type number; the numbers are those stored in documents.
constexpr std::array<ListKind, 19> kListKinds{{
    {"disc", "ul"},                 // inherit
    {"none", "ul"},                 // none
    {"circle", "ul"},               // circle
    {"decimal", "ol"},              // decimal
    {"decimal-leading-zero", "ol"}, // decimal-leading-zero
    {"disc", "ul"},                 // disc
    {"square", "ul"},               // square
    {"upper-alpha", "ol"},          // upper-alpha
    {"upper-latin", "ol"},          // upper-latin
    {"lower-alpha", "ol"},          // lower-alpha
    {"lower-latin", "ol"},          // lower-latin
    {"plus", "ul"},                 // plus
    {"upper-roman", "ol"},          // upper-roman
    {"lower-roman", "ol"},          // lower-roman
    {"diamond", "ul"},              // diamond
    {"check", "ul"},                // check
    {"hyphen", "ul"},               // hyphen
    {"underscore", "ul"},           // underscore
    {"image", "ul"},                // image
}};

const ListKind& kindOf(const AttributeValue* list)
{
    const auto* style = list ? list->as<TECSSListStyle>() : nullptr;
    auto type = style ? static_cast<std::size_t>(style->type()) : 0;
    // Types no reader makes are written as plain bullets rather than dropped.
    return type < kListKinds.size() ? kListKinds[type] : kListKinds[0];
}

// Markers that are signs rather than counter styles, as CSS strings: each
// sign with a no-break blank after it, as the browser's own bullets stand
// apart from the text.
std::string_view printedMarker(std::string_view keyword)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kSigns{{
        {"hyphen", "'\\2043\\a0'"},
        {"diamond", "'\\25c6\\a0'"},
        {"check", "'\\2713\\a0'"},
        {"plus", "'+\\a0'"},
        {"underscore", "'_\\a0'"},
    }};
    for (const auto& [name, sign] : kSigns)
        if (name == keyword)
            return sign;
    return keyword;
}

} // namespace

std::string_view HTMLListTagWriter::keywordForList(const AttributeValue* list)
{
    return kindOf(list).keyword;
}

std::string_view HTMLListTagWriter::elementForList(const AttributeValue* list)
{
    return kindOf(list).element;
}

std::string HTMLListTagWriter::closingTag(const AttributeValue* list)
{
    return "</" + std::string(elementForList(list)) + ">";
}

double HTMLListTagWriter::hangingWidth(double firstLineHeadIndent, double textScale)
{
    // Into the head indent's units, which the page's list padding counts in.
    const double hang = -firstLineHeadIndent * kTwipsPerCentimetre * 80.0 / 1096.0;
    const double scale = textScale != 0 ? textScale : 1.0;
    return std::isfinite(hang) && hang > 0 ? hang / scale : 0;
}

double HTMLListTagWriter::printPixels(double indent)
{
    constexpr double kTwipsPerUnit = 1096.0 / 80.0;
    constexpr double kTwipsPerPixel = 15.0;
    return indent * kTwipsPerUnit / kTwipsPerPixel;
}

void HTMLListTagWriter::printLineMultiple(TEParagraphStyle& style)
{
    constexpr double kSingleLineHeight = 1.15;
    const double multiple = style.lineHeightMultiple();
    if (multiple > 0 && multiple != 1 && std::isfinite(multiple)) {
        style.setLineHeightMultiple(0);
        style.setParagraphLineSpacing(std::round(multiple * kSingleLineHeight * 100) / 100);
    }
}

bool HTMLListTagWriter::startsBackAtTheEdge(const TEParagraphStyle& style)
{
    // The stored units: centimetres for the first line, 80 to every 1096
    // twips for the head indent. Within a point counts as at the edge.
    const double head = style.headIndent() * 1096.0 / 80.0;
    const double firstLine = style.firstLineHeadIndent() * kTwipsPerCentimetre;
    // Word processors hang the marker so only at the indent a list's first
    // level has, half an inch: at any other the marker stays in the text
    // column and the item's lines at its indent.
    constexpr double kFirstLevelIndent = 720;
    return std::abs(head - kFirstLevelIndent) <= 20 && std::isfinite(firstLine) && std::abs(head + firstLine) <= 20;
}

std::optional<HTMLPrintedItemStart> HTMLListTagWriter::printedItemStart(const AttributeValue* list,
                                                                       const TEParagraphStyle& style,
                                                                       const std::optional<std::vector<TextTab>>& stops)
{
    const auto* listStyle = list ? list->as<TECSSListStyle>() : nullptr;
    if (!listStyle || listStyle->markerText() || listStyle->imageName() || elementForList(list) != "ul" || !stops)
        return std::nullopt;
    const double head = style.headIndent() * 1096.0 / 80.0;
    const double firstLine = style.firstLineHeadIndent() * kTwipsPerCentimetre;
    if (!(head > 20) || !std::isfinite(firstLine) || std::abs(head + firstLine) > 20 || startsBackAtTheEdge(style))
        return std::nullopt;
    std::optional<double> firstStop;
    for (const TextTab& stop : *stops) {
        const double at = stop.location * 20;
        if (at >= 20 && at < head - 20 && (!firstStop || at < *firstStop))
            firstStop = at;
    }
    std::optional<std::u16string> sign = listStyle->prefixWithCounter(1);
    if (!firstStop || !sign)
        return std::nullopt;
    std::erase(*sign, u'\t');
    if (sign->empty())
        return std::nullopt;
    constexpr double kTwipsPerPixel = 15.0;
    return HTMLPrintedItemStart{*sign, (*firstStop - head) / kTwipsPerPixel, *firstStop / kTwipsPerPixel};
}

std::optional<std::u16string> HTMLListTagWriter::printedLabel(const AttributeValue* list, std::int64_t number)
{
    const auto* listStyle = list ? list->as<TECSSListStyle>() : nullptr;
    if (!listStyle || listStyle->markerText() || listStyle->imageName() || number < 1)
        return std::nullopt;
    // Letters count on as the browser counts them: "z.", "aa.", "ab.".
    auto letters = [number](char16_t first) {
        std::u16string text;
        for (std::int64_t value = number; value > 0; value = (value - 1) / 26)
            text.insert(text.begin(), static_cast<char16_t>(first + (value - 1) % 26));
        return text + u".";
    };
    const std::string digits = std::to_string(number);
    switch (listStyle->type()) {
    case TECSSListStyleType::Decimal:
        return toUtf16(digits + ".");
    case TECSSListStyleType::DecimalLeadingZero:
        return toUtf16((number < 10 ? "0" : "") + digits + ".");
    case TECSSListStyleType::UpperAlpha:
    case TECSSListStyleType::UpperLatin:
        return letters(u'A');
    case TECSSListStyleType::LowerAlpha:
    case TECSSListStyleType::LowerLatin:
        return letters(u'a');
    case TECSSListStyleType::UpperRoman:
        return TECSSListStyle::romanNumeral(number) + u".";
    case TECSSListStyleType::LowerRoman:
        return lowercaseString(TECSSListStyle::romanNumeral(number)) + u".";
    // Word processors set a bullet at the item's first-line indent, where
    // the browser would draw its disc just before the text.
    case TECSSListStyleType::Disc:
        return u"\u2022";
    case TECSSListStyleType::Circle:
        return u"\u25E6";
    case TECSSListStyleType::Square:
        return u"\u25AA";
    default:
        return std::nullopt;
    }
}

std::string HTMLListTagWriter::openingTag(const AttributeValue* list, TEParagraphStyle* paragraphStyle,
                                          const HTMLWriterContext& context, double enclosingIndent,
                                          HTMLListContinuation continuation)
{
    double headIndent = paragraphStyle ? paragraphStyle->headIndent() : 0;
    double scale = context.textScale != 0 ? context.textScale : 1.0;
    double padding = (headIndent + 20) / scale;
    const bool nestedInPrint = context.settings.forPrint && enclosingIndent > 0;
    if (context.settings.forPrint) {
        headIndent = printPixels(headIndent);
        enclosingIndent = printPixels(enclosingIndent);
    }
    // A nested list of a word processor's file stands at the indent the file
    // gives its items, which counts from the page's edge, not from the list
    // around it; the page would otherwise add the two.
    const bool indentsFromFile =
        paragraphStyle && paragraphStyle->firstLineHeadIndent() != paragraphStyle->headIndent();
    if (nestedInPrint || (enclosingIndent > 0 && indentsFromFile))
        padding = std::max(0.0, headIndent - enclosingIndent) / scale;
    // An item of a word processor's file starts its text at the file's
    // indent, on the page and in print, where the file's program draws it;
    // the room Folio's own lists keep beside their markers would set it
    // further in.
    else if (indentsFromFile)
        padding = std::max(0.0, headIndent) / scale;
    // Mac text editors start an item's first line back at the page's edge,
    // the marker there and the text a tab on; word processors print such a
    // list with its text in the text column and the marker hanging left of
    // it, in the margin. A word processor's marker words ("一.") stand at
    // the edge, where its file puts them, and the text at the file's indent.
    const auto* listStyle = list ? list->as<TECSSListStyle>() : nullptr;
    const bool hasMarkerWords = listStyle && listStyle->markerText();
    const bool hangsIntoMargin = context.settings.forPrint && !nestedInPrint && paragraphStyle && !hasMarkerWords
        && startsBackAtTheEdge(*paragraphStyle);
    if (hangsIntoMargin)
        padding = 0;
    std::string paragraphCSS;
    if (paragraphStyle) {
        paragraphStyle->setHeadIndent(0);
        paragraphStyle->setFirstLineHeadIndent(0);
        // Each item carries its own spacing; the list adds none, so that a
        // reader gives every item what it had and no item more.
        TEParagraphStyle listStyle = *paragraphStyle;
        listStyle.setParagraphSpacing(0);
        listStyle.setParagraphSpacingBefore(0);
        // The items' lines are the list's: spaced on paper as a paragraph's.
        if (context.settings.forPrint)
            printLineMultiple(listStyle);
        paragraphCSS = listStyle.cssStyleRepresentation().value_or(std::string());
        paragraphCSS += "margin-top:0px;margin-bottom:0px;";
    }
    // The list narrows as the paragraph's indent grows, so that deep lists
    // still fit the page.
    double width = headIndent / -54.0 * padding * 4.0 / 100.0 + 90.0;
    const auto* style = list ? list->as<TECSSListStyle>() : nullptr;
    // Markers with words of their own are written into the items.
    std::string_view keyword = style && style->markerText() ? std::string_view("none") : keywordForList(list);
    // The page hands its own names of these markers back to the save; paper
    // takes the name of no counter style it knows for numbers, and prints
    // the marker's own sign instead.
    if (context.settings.forPrint)
        keyword = printedMarker(keyword);
    std::string css = "list-style:" + std::string(keyword) + ";" + paragraphCSS;
    // A printed list takes the width its indent leaves; a narrowing of its
    // own would, level by level, leave a deep list no room at all.
    if (context.settings.forPrint)
        css += ";margin-top:0;margin-bottom:0;";
    else
        css += ";width:" + formatFixed(width, 6) + "%;";
    // An indent the file gives is written even where it is the margin
    // itself (a list at "\li0" hangs its markers left of the text column):
    // the page's own list indent would otherwise take its place. A book's
    // reader may cut off what stands left of its text, and keeps its own.
    const bool paperTakesFileIndent =
        context.settings.forPrint && !context.settings.forEPub && (nestedInPrint || indentsFromFile);
    if (padding > 0 || hangsIntoMargin || paperTakesFileIndent)
        css += "padding-left:" + formatFixed(padding, 0) + "px;";

    std::string element(elementForList(list));
    // A numbered list that goes on from an earlier one (Word's "7.", "8.")
    // says where its numbers start.
    std::int64_t start = style && element == "ol" && style->startingItemNumber() > 1
        ? style->startingItemNumber()
        : 0;
    // A list numbered in words of its own may be a "ul": its words count on
    // all the same.
    if (continuation.start > 1 && (element == "ol" || (style && style->markerText())))
        start = continuation.start;
    // Marker words ride on the list for the page to hand back.
    HTMLAttributeMap markerAttributes;
    if (style)
        HTMLListMarker::addAttributes(*style, markerAttributes);
    // The lists of a document mostly look alike: a tag is made once for each
    // element, style, start and marker words.
    std::string key = element;
    key += '\0';
    key += std::to_string(start);
    key += '\0';
    key += std::to_string(continuation.identity);
    key += '\0';
    key += css;
    for (const auto& [name, value] : markerAttributes) {
        key += '\0';
        key += name;
        key += '=';
        key += toUtf8(value);
    }
    return context.styleCache.listTag(std::move(key), [&] {
        HTMLAttributeMap attributes = markerAttributes;
        std::string className = context.styleClasses.classForElement(element, css);
        if (context.fragment)
            attributes["style"] = toUtf16(css);
        else
            attributes["class"] = toUtf16(className);
        if (start > 0)
            attributes["start"] = toUtf16(std::to_string(start));
        if (continuation.identity > 0)
            attributes["data-list"] = toUtf16(std::to_string(continuation.identity));
        std::string tag = "<" + element;
        context.appendAttributes(tag, element, attributes);
        tag += ">";
        return tag;
    });
}

} // namespace folio
