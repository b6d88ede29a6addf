#include "export/pdf/PageHeaderFooterSettings.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "export/ExportPreferences.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace folio {

namespace {

// Inches in the stored settings; the page element's distance attribute has
// always been read on a scale of 30, and pages written so rely on it.
constexpr float kPointsPerInch = 72.0f;
constexpr double kPageElementDistanceScale = 30;
constexpr const char* kPageElementFallbackFont = "Helvetica";
constexpr double kPageElementFallbackFontSize = 10;

constexpr const char* kDefaultHeaderElement =
    "<div id='pageHeader' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;font-size:12;"
    "text-align:right; color:black;' data-topMargin='0.5' data-enabled='NO'>Header Author: Mara Quillet [date] - "
    "Page [pagenumber] of [totalpages]</div>";
constexpr const char* kDefaultFooterElement =
    "<div id='pageFooter' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;font-size:12;"
    "text-align:right; color:black;' data-bottomMargin='0.5' data-enabled='NO'>Footer Author: Mara Quillet [title] - "
    "Page [pagenumber] of [totalpages]</div>";

const char* elementId(PageHeaderFooterSettings::Kind kind)
{
    return kind == PageHeaderFooterSettings::Kind::Header ? "pageHeader" : "pageFooter";
}

const char* distanceAttribute(PageHeaderFooterSettings::Kind kind)
{
    return kind == PageHeaderFooterSettings::Kind::Header ? "data-topMargin" : "data-bottomMargin";
}

// Browsers answer a family name holding blanks in quotes ("\"Times New
// Roman\""); the font is looked up without them.
std::string withoutQuotes(std::string family)
{
    if (family.size() >= 2 && (family.front() == '"' || family.front() == '\'') && family.back() == family.front())
        return family.substr(1, family.size() - 2);
    return family;
}

} // namespace

const char* PageHeaderFooterSettings::userDefaultsKey(Kind kind)
{
    return kind == Kind::Header ? kHeaderKey : kFooterKey;
}

std::optional<PageHeaderFooterSettings::Fields> PageHeaderFooterSettings::fieldsOfSettings(std::string_view settings)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (pieces.size() + 1 < kFieldCount) {
        std::size_t separator = settings.find(kFieldSeparator, start);
        if (separator == std::string_view::npos)
            return std::nullopt;
        pieces.emplace_back(settings.substr(start, separator - start));
        start = separator + kFieldSeparator.size();
    }
    pieces.emplace_back(settings.substr(start));
    return Fields{pieces[0], pieces[1], pieces[2], pieces[3], pieces[4], pieces[5], pieces[6]};
}

std::string PageHeaderFooterSettings::settingsString(const Fields& fields)
{
    std::string separator(kFieldSeparator);
    return fields.fontFamily + separator + fields.fontSize + separator + fields.alignment + separator + fields.color
        + separator + fields.distanceInInches + separator + fields.enabled + separator + fields.text;
}

TextAlignment PageHeaderFooterSettings::alignmentFromWord(std::string_view word)
{
    if (word == "center")
        return TextAlignment::Center;
    if (word == "left")
        return TextAlignment::Left;
    if (word == "justify")
        return TextAlignment::Justified;
    return TextAlignment::Right;
}

namespace {

// What a header or footer can sensibly be: the values come from documents,
// and a 1e308-point font or a text of thousands of page placeholders would
// make every page's drawing take minutes.
void keepWithinBounds(PageHeaderFooter& record)
{
    if (std::isnan(record.fontSize) || record.fontSize < 0)
        record.fontSize = 0;
    record.fontSize = std::min(record.fontSize, PageHeaderFooterSettings::kMaximumFontSize);
    if (std::isnan(record.distanceFromEdge) || record.distanceFromEdge < 0)
        record.distanceFromEdge = 0;
    record.distanceFromEdge = std::min(record.distanceFromEdge, PageHeaderFooterSettings::kMaximumDistance);
    std::size_t limit = PageHeaderFooterSettings::kMaximumTextLength;
    if (record.textTemplate.size() > limit) {
        // Never half a surrogate pair at the cut.
        if (record.textTemplate[limit] >= 0xDC00 && record.textTemplate[limit] <= 0xDFFF)
            --limit;
        record.textTemplate.resize(limit);
    }
}

} // namespace

PageHeaderFooter PageHeaderFooterSettings::fromSettings(const std::optional<std::string>& settings,
                                                        const ConversionPlaceholders& placeholders)
{
    PageHeaderFooter result;
    if (!settings)
        return result;
    // A string too short to be a setting is treated as no setting, rather
    // than read past its end.
    std::optional<Fields> fields = fieldsOfSettings(*settings);
    if (!fields || !boolValue(std::string_view(fields->enabled)))
        return result;
    result.enabled = true;
    result.fontName = fields->fontFamily;
    result.color = fields->color;
    result.fontSize = static_cast<double>(floatValue(std::string_view(fields->fontSize)));
    result.alignment = alignmentFromWord(fields->alignment);
    float distance = floatValue(std::string_view(fields->distanceInInches)) * kPointsPerInch;
    result.distanceFromEdge = static_cast<double>(distance);
    result.textTemplate = replacingConversionPlaceholders(toUtf16(fields->text), placeholders);
    keepWithinBounds(result);
    return result;
}

PageHeaderFooter PageHeaderFooterSettings::fromPreferences(Kind kind, const ExportPreferences& preferences,
                                                            const ConversionPlaceholders& placeholders)
{
    return fromSettings(kind == Kind::Header ? preferences.headerSettings : preferences.footerSettings, placeholders);
}

PageHeaderFooter PageHeaderFooterSettings::fromPageElement(const PageElementValues& values,
                                                           const ConversionPlaceholders& placeholders)
{
    PageHeaderFooter result;
    if (!boolValue(std::string_view(values.enabled)))
        return result;
    result.enabled = true;
    result.fontName = values.fontFamily.empty() ? kPageElementFallbackFont : withoutQuotes(values.fontFamily);
    result.color = values.color;
    result.fontSize = static_cast<double>(floatValue(std::string_view(values.fontSize)));
    result.alignment = alignmentFromWord(values.textAlign);
    result.distanceFromEdge = doubleValue(std::string_view(values.distance)) * kPageElementDistanceScale;
    if (values.textContent)
        result.textTemplate = replacingConversionPlaceholders(*values.textContent, placeholders);
    keepWithinBounds(result);
    if (result.fontSize == 0)
        result.fontSize = kPageElementFallbackFontSize;
    return result;
}

std::string PageHeaderFooterSettings::pageElementScript(Kind kind, PageElementProperty property)
{
    std::string element = std::string("document.getElementById('") + elementId(kind) + "')";
    switch (property) {
    case PageElementProperty::Enabled:
        return element + ".getAttribute('data-enabled')";
    case PageElementProperty::FontFamily:
        return element + ".style.fontFamily";
    case PageElementProperty::Color:
        return element + ".style.color";
    case PageElementProperty::FontSize:
        return element + ".style.fontSize";
    case PageElementProperty::TextAlign:
        return element + ".style.textAlign";
    case PageElementProperty::Distance:
        return element + ".getAttribute('" + distanceAttribute(kind) + "')";
    case PageElementProperty::TextContent:
        return element + ".textContent";
    }
    return element;
}

std::string PageHeaderFooterSettings::pageElement(Kind kind, const std::optional<std::string>& settings)
{
    std::optional<Fields> fields = settings ? fieldsOfSettings(*settings) : std::nullopt;
    if (!fields)
        return kind == Kind::Header ? kDefaultHeaderElement : kDefaultFooterElement;
    // The fields are the user's text: escaped, they can neither close the
    // element nor its attributes. The placeholders hold nothing to escape.
    auto escaped = [](const std::string& field) { return HTMLTextEscaper::escape(std::string_view(field)); };
    return std::string("<div id='") + elementId(kind)
        + "' style='visibility:hidden;height:1.0;overflow: hidden; font-family:" + escaped(fields->fontFamily)
        + ";font-size:" + escaped(fields->fontSize) + ";text-align:" + escaped(fields->alignment)
        + "; color:" + escaped(fields->color) + ";' " + distanceAttribute(kind) + "='"
        + escaped(fields->distanceInInches) + "' data-enabled='" + escaped(fields->enabled) + "'>"
        + escaped(fields->text) + "</div>";
}

std::string PageHeaderFooterSettings::getCurrentPageHeaderControl(const ExportPreferences& preferences)
{
    return pageElement(Kind::Header, preferences.headerSettings);
}

std::string PageHeaderFooterSettings::getCurrentPageFooterControl(const ExportPreferences& preferences)
{
    return pageElement(Kind::Footer, preferences.footerSettings);
}

std::u16string PageHeaderFooterSettings::replacingConversionPlaceholders(std::u16string_view textTemplate,
                                                                         const ConversionPlaceholders& placeholders)
{
    std::u16string text = stringByReplacingOccurrencesOfString(textTemplate, u"[title]", placeholders.title);
    text = stringByReplacingOccurrencesOfString(text, u"[date]", placeholders.date);
    return stringByReplacingOccurrencesOfString(text, u"[datelong]", placeholders.dateLong);
}

std::u16string PageHeaderFooterSettings::textForPage(std::u16string_view textTemplate, unsigned long pageNumber,
                                                     unsigned long totalPages)
{
    std::u16string text = stringByReplacingOccurrencesOfString(textTemplate, u"[totalpages]",
                                                               toUtf16(formatInCLocale("%lu", totalPages)));
    return stringByReplacingOccurrencesOfString(text, u"[pagenumber]", toUtf16(formatInCLocale("%lu", pageNumber)));
}

PageHeaderFooterSettings::ConversionPlaceholders
PageHeaderFooterSettings::placeholdersForConversion(std::u16string title, std::chrono::system_clock::time_point now)
{
    return ConversionPlaceholders{std::move(title),
                                  localizedStringFromDate(now, DateFormatterStyle::Short, DateFormatterStyle::Short),
                                  localizedStringFromDate(now, DateFormatterStyle::Long, DateFormatterStyle::Short)};
}

} // namespace folio
