#include "export/pdf/PDFSourceHTML.h"

#include "export/pdf/PDFPageTemplates.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <vector>

namespace folio {

namespace {

void removeAll(std::string& text, std::string_view target)
{
    for (std::size_t at = text.find(target); at != std::string::npos; at = text.find(target, at))
        text.erase(at, target.size());
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<std::string> PDFSourceHTML::bodyStyle(std::string_view html)
{
    std::size_t start = html.find(kBodyStyleMarker);
    if (start == std::string_view::npos)
        return std::nullopt;
    start += kBodyStyleMarker.size();
    std::size_t end = html.find("\"></div>", start);
    std::string style(html.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    removeAll(style, "overflow-y: hidden; padding-left: 10px; padding-right: 10px;");
    removeAll(style, "visibility: hidden;");
    removeAll(style, "display: none;");
    return style;
}

std::optional<double> PDFSourceHTML::centimetresFromCSSLength(std::string_view length)
{
    length = trimmed(length);
    double value = 0;
    const char* begin = length.data();
    const char* end = length.data() + length.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [rest, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    std::string unit = asciiLowercaseString(std::string_view(rest, static_cast<std::size_t>(end - rest)));
    if (unit == "cm")
        return value;
    if (unit == "mm")
        return value / 10;
    if (unit == "in")
        return value * 2.54;
    if (unit == "pt")
        return value * 2.54 / 72;
    if (unit == "pc")
        return value * 2.54 / 6;
    if (unit == "px")
        return value * 2.54 / 96;
    if (unit.empty() && value == 0)
        return 0.0;
    return std::nullopt;
}

EdgeInsets PDFSourceHTML::marginsFromBodyStyle(std::string_view style)
{
    std::optional<std::vector<double>> values;
    std::size_t start = 0;
    while (start <= style.size()) {
        std::size_t end = style.find(';', start);
        std::string_view declaration =
            style.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::size_t colon = declaration.find(':');
        if (colon != std::string_view::npos && asciiLowercaseString(trimmed(declaration.substr(0, colon))) == "margin") {
            // A later declaration overrides an earlier one, as in CSS; one
            // that does not parse is ignored, also as in CSS.
            std::vector<double> parsed;
            bool valid = true;
            std::string_view rest = trimmed(declaration.substr(colon + 1));
            while (!rest.empty()) {
                std::size_t blank = rest.find_first_of(" \t\n\r");
                std::optional<double> length = centimetresFromCSSLength(rest.substr(0, blank));
                if (!length || parsed.size() == 4) {
                    valid = false;
                    break;
                }
                parsed.push_back(*length);
                rest = blank == std::string_view::npos ? std::string_view() : trimmed(rest.substr(blank));
            }
            if (valid && !parsed.empty())
                values = std::move(parsed);
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (!values)
        return {};
    const std::vector<double>& v = *values;
    switch (v.size()) {
    case 1:
        return {v[0], v[0], v[0], v[0]};
    case 2:
        return {v[0], v[1], v[0], v[1]};
    case 3:
        return {v[0], v[1], v[2], v[1]};
    default:
        return {v[0], v[3], v[2], v[1]};
    }
}

bool PDFSourceHTML::isPaperColor(std::string_view color)
{
    return (color.size() == 6 || color.size() == 3)
        && std::all_of(color.begin(), color.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

PDFSourceHTML::Prepared PDFSourceHTML::prepare(std::string_view html, const std::optional<std::string>& paperColor,
                                               const EdgeInsets& margins)
{
    if (std::optional<std::string> style = bodyStyle(html)) {
        Prepared prepared{std::string(html), marginsFromBodyStyle(*style)};
        prepared.html = stringByReplacingOccurrencesOfString(prepared.html, kEditorPageBreak, kPrintPageBreak);
        prepared.html = PDFPageTemplates::bodyStyleBlock(*style, prepared.html);
        return prepared;
    }
    if (paperColor && isPaperColor(*paperColor) && *paperColor != "FFFFFF")
        return {PDFPageTemplates::paperPage(*paperColor, html), margins};
    return {std::string(html), margins};
}

} // namespace folio
