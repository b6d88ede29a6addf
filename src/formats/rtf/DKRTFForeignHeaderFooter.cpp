#include "formats/rtf/DKRTFForeignHeaderFooter.h"

#include "engine/css/ColorHTML.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFGroupText.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/AttributedString.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace folio {

namespace {

using rtfgrouptext::afterGroup;
using rtfgrouptext::isLetter;

constexpr std::u16string_view kPageNumber = u"[pagenumber]";
constexpr std::u16string_view kPageCount = u"[totalpages]";
constexpr double kTwipsPerInch = 1440;
constexpr double kDefaultDistanceTwips = 720;
// A header further from the edge than the tallest paper is no header's place.
constexpr double kLargestDistanceTwips = 31680;
// Helvetica at 12 points, black, as Folio's own headers start out.
constexpr std::string_view kFontFamily = "Helvetica";
constexpr double kForeignDefaultFontSize = 12;
constexpr std::string_view kColor = "black";



// The first word of a field instruction ("PAGE", "NUMPAGES"), upper case.
std::u16string instructionWord(std::u16string_view field)
{
    std::size_t at = field.find(u"\\fldinst");
    if (at == std::u16string_view::npos)
        return {};
    at += 8;
    std::u16string word;
    while (at < field.size()) {
        char16_t unit = field[at];
        if (unit == u'\\') {
            // Control words inside the instruction's own groups say nothing
            // of the field.
            ++at;
            while (at < field.size() && isLetter(field[at]))
                ++at;
            while (at < field.size() && (field[at] == u'-' || (field[at] >= u'0' && field[at] <= u'9')))
                ++at;
            continue;
        }
        ++at;
        if (isLetter(unit)) {
            word.push_back(unit >= u'a' ? static_cast<char16_t>(unit - 32) : unit);
        } else if (!word.empty()) {
            break;
        }
    }
    return word;
}

// The field result's group ("{\fldrslt ...}") of a field, for fields that
// are neither page number nor count.
std::u16string_view fieldResult(std::u16string_view field)
{
    std::size_t at = field.find(u"{\\fldrslt");
    if (at == std::u16string_view::npos)
        return {};
    return field.substr(at, afterGroup(field, at) - at);
}

std::string alignmentWord(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Center:
        return "center";
    case TextAlignment::Right:
        return "right";
    case TextAlignment::Justified:
        return "justify";
    default:
        return "left";
    }
}

std::vector<std::u16string_view> settingsFields(std::u16string_view settings)
{
    std::vector<std::u16string_view> fields;
    std::size_t start = 0;
    while (fields.size() + 1 < 7) {
        std::size_t separator = settings.find(u"::", start);
        if (separator == std::u16string_view::npos)
            return {};
        fields.push_back(settings.substr(start, separator - start));
        start = separator + 2;
    }
    fields.push_back(settings.substr(start));
    return fields;
}

} // namespace

std::u16string DKRTFForeignHeaderFooter::withPagePlaceholders(std::u16string_view group)
{
    std::u16string result;
    result.reserve(group.size());
    for (std::size_t at = 0; at < group.size();) {
        if (group.substr(at).starts_with(u"\\chpgn") && (at + 6 >= group.size() || !isLetter(group[at + 6]))) {
            result += kPageNumber;
            at += 6;
            if (at < group.size() && group[at] == u' ')
                ++at;
            continue;
        }
        if (group.substr(at).starts_with(u"{\\field")) {
            std::size_t end = afterGroup(group, at);
            std::u16string_view field = group.substr(at, end - at);
            std::u16string word = instructionWord(field);
            if (word == u"PAGE")
                result += kPageNumber;
            else if (word == u"NUMPAGES" || word == u"SECTIONPAGES")
                result += kPageCount;
            else
                result += fieldResult(field);
            at = end;
            continue;
        }
        if (group[at] == u'\\' && at + 1 < group.size()) {
            // An escaped brace or backslash is text, not structure.
            result.append(group.substr(at, 2));
            at += 2;
            continue;
        }
        result.push_back(group[at++]);
    }
    return result;
}

std::optional<std::string> DKRTFForeignHeaderFooter::settingsForText(const AttributedString& text, int distanceTwips)
{
    // Paragraphs and blanks collapse into one line, as a header shows.
    std::u16string words;
    for (char16_t unit : text.string()) {
        bool blank = unit == u' ' || unit == u'\n' || unit == u'\r' || unit == u'\t' || unit == u'\u2028'
            || unit == u'\u2029' || unit == u'\uFEFF';
        if (blank) {
            if (!words.empty() && words.back() != u' ')
                words.push_back(u' ');
        } else if (unit >= 0x20) {
            words.push_back(unit);
        }
    }
    while (!words.empty() && words.back() == u' ')
        words.pop_back();
    if (words.empty())
        return std::nullopt;

    double fontSize = kForeignDefaultFontSize;
    std::string family(kFontFamily);
    std::string color(kColor);
    TextAlignment alignment = TextAlignment::Left;
    if (AttributeDictionaryPtr attributes = text.attributesAtIndex(0)) {
        if (const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName)) {
            fontSize = font->font().pointSize() > 0 ? font->font().pointSize() : kForeignDefaultFontSize;
            // A colon would end the settings' field early.
            if (!font->font().familyName().empty() && font->font().familyName().find(':') == std::string::npos)
                family = font->font().familyName();
        }
        if (const auto* value = attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName))
            color = "#" + htmlHexString(value->color());
        if (const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName))
            alignment = style->style().alignment();
    }
    // The settings' fields are separated by "::"; the text is the last field,
    // where a "::" of its own is kept whole.
    std::string settings = family;
    settings += "::" + formatShortest(fontSize) + "::" + alignmentWord(alignment) + "::" + color;
    settings += "::" + formatShortest(std::round(distanceTwips / kTwipsPerInch * 100) / 100) + "::YES::";
    settings += toUtf8(words);
    return settings;
}

std::optional<DKRTFForeignHeaderFooter::Look> DKRTFForeignHeaderFooter::lookOfSettings(std::u16string_view settings)
{
    std::vector<std::u16string_view> fields = settingsFields(settings);
    if (fields.empty() || !boolValue(fields[5]) || fields[6].empty())
        return std::nullopt;
    // The editing page hands the family back as a style sheet does: a list,
    // a name with blanks in quotes ("\"Times New Roman\", serif").
    std::u16string_view family = fields[0].substr(0, fields[0].find(u','));
    while (!family.empty() && (family.front() == u' ' || family.front() == u'"' || family.front() == u'\''))
        family.remove_prefix(1);
    while (!family.empty() && (family.back() == u' ' || family.back() == u'"' || family.back() == u'\''))
        family.remove_suffix(1);
    Look look;
    look.family = family.empty() ? std::string(kFontFamily) : toUtf8(family);
    if (std::optional<Color> color = colorWithHTMLName(fields[3]); color && htmlHexString(*color) != "000000")
        look.color = color;
    return look;
}

bool DKRTFForeignHeaderFooter::writeGroup(DKRTFDataBuffer& buffer, Kind kind, std::u16string_view settings,
                                          std::optional<int> fontNumber, int colorNumber)
{
    std::vector<std::u16string_view> fields = settingsFields(settings);
    if (fields.empty() || !boolValue(fields[5]) || fields[6].empty())
        return false;
    buffer.appendCString(kind == Kind::Header ? "{\\header" : "{\\footer");
    buffer.appendCString(kWrittenGroupOpening);
    std::u16string_view alignment = fields[2];
    buffer.appendCString(alignment == u"center" ? "\\qc" : alignment == u"right" ? "\\qr"
                             : alignment == u"justify"                        ? "\\qj"
                                                                              : "\\ql");
    if (fontNumber) {
        buffer.appendCString("\\f");
        buffer.appendInteger(*fontNumber);
    }
    if (colorNumber > 0) {
        buffer.appendCString("\\cf");
        buffer.appendInteger(colorNumber);
    }
    const double size = floatValue(fields[1]);
    if (size > 0 && size <= 144) {
        buffer.appendCString("\\fs");
        buffer.appendRoundedNumber(size * 2);
    }
    buffer.appendByte(' ');
    std::u16string_view text = fields[6];
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with(kPageNumber)) {
            buffer.appendCString("\\chpgn ");
            at += kPageNumber.size();
        } else if (text.substr(at).starts_with(kPageCount)) {
            buffer.appendCString("{\\field{\\*\\fldinst NUMPAGES }{\\fldrslt 1}}");
            at += kPageCount.size();
        } else {
            buffer.appendEscapedCharacter(text[at++]);
        }
    }
    buffer.appendCString("\\par}\n");
    writeDistance(buffer, kind, settings);
    return true;
}

void DKRTFForeignHeaderFooter::writeDistance(DKRTFDataBuffer& buffer, Kind kind, std::u16string_view settings)
{
    std::vector<std::u16string_view> fields = settingsFields(settings);
    if (fields.empty())
        return;
    // Where it stands from the paper's edge, when that is not RTF's own
    // half inch: a header LibreOffice set lower prints there again.
    const double distance = std::round(floatValue(fields[4]) * kTwipsPerInch);
    if (distance > 0 && distance < kLargestDistanceTwips && distance != kDefaultDistanceTwips) {
        buffer.appendCString(kind == Kind::Header ? "\\headery" : "\\footery");
        buffer.appendRoundedNumber(distance);
        buffer.appendByte('\n');
    }
}

bool DKRTFForeignHeaderFooter::showTheSame(std::u16string_view settings, std::u16string_view other)
{
    std::vector<std::u16string_view> one = settingsFields(settings);
    std::vector<std::u16string_view> two = settingsFields(other);
    if (one.empty() || two.empty())
        return one.empty() && two.empty();
    // The editing page hands the settings back in a style sheet's terms
    // ("11px", a quoted family, "rgb(...)"): the values are compared.
    auto family = [](std::u16string_view field) {
        std::u16string_view name = field.substr(0, field.find(u','));
        while (!name.empty() && (name.front() == u' ' || name.front() == u'"' || name.front() == u'\''))
            name.remove_prefix(1);
        while (!name.empty() && (name.back() == u' ' || name.back() == u'"' || name.back() == u'\''))
            name.remove_suffix(1);
        return std::u16string(name);
    };
    auto color = [](std::u16string_view field) {
        std::optional<Color> value = colorWithHTMLName(field);
        return value ? htmlHexString(*value) : toUtf8(field);
    };
    return family(one[0]) == family(two[0]) && std::abs(floatValue(one[1]) - floatValue(two[1])) < 0.01
        && one[2] == two[2] && color(one[3]) == color(two[3]) && boolValue(one[5]) == boolValue(two[5])
        && one[6] == two[6];
}

} // namespace folio
