#include "richtext/RichTextPageTemplate.h"

#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"

#include <cctype>
#include <vector>

namespace folio {

namespace {

constexpr const char* kDefaultHeader =
    "<div id='pageHeader' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;font-size:12;"
    "text-align:right; color:black;' data-topMargin='0.5' data-enabled='NO'>Header Author: Mara Quillet [date] - Page "
    "[pagenumber] of [totalpages]</div>";
constexpr const char* kDefaultFooter =
    "<div id='pageFooter' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;font-size:12;"
    "text-align:right; color:black;' data-bottomMargin='0.5' data-enabled='NO'>Footer Author: Mara Quillet [title] - "
    "Page [pagenumber] of [totalpages]</div>";

std::string decorationElement(const std::optional<std::string>& setting, const char* id, const char* marginAttribute,
                              const char* fallback)
{
    if (!setting)
        return fallback;
    std::vector<std::string> fields = componentsSeparatedByString(*setting, "::");
    if (fields.size() < 7)
        return fallback;
    // The text may itself hold "::"; it is everything after the sixth field.
    std::string text = fields[6];
    for (size_t i = 7; i < fields.size(); ++i)
        text += "::" + fields[i];
    auto e = [](const std::string& field) { return HTMLTextEscaper::escape(field); };
    return std::string("<div id='") + id + "' style='visibility:hidden;height:1.0;overflow: hidden; font-family:"
        + e(fields[0]) + ";font-size:" + e(fields[1]) + ";text-align:" + e(fields[2]) + "; color:" + e(fields[3])
        + ";' " + marginAttribute + "='" + e(fields[4]) + "' data-enabled='" + e(fields[5]) + "'>" + e(text) + "</div>";
}

bool isSixHexDigits(const std::string& text)
{
    if (text.size() != 6)
        return false;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Colour and family values go inside a style attribute quoted with "'".
std::string styleValue(const std::string& value)
{
    return HTMLTextEscaper::escape(value);
}

} // namespace

RichTextPageTemplate::Settings RichTextPageTemplate::Settings::fromDefaults(const UserDefaults& defaults)
{
    Settings settings;
    settings.isNewBlankDocument = defaults.boolForKey("isNewBlankDocument").value_or(false);
    settings.defaultFont = defaults.stringForKey("defaultFont");
    settings.defaultFontSize = defaults.doubleForKey("defaultFontSize").value_or(0);
    settings.defaultFontColor = defaults.stringForKey("defaultFontColor");
    settings.defaultPaperColor = defaults.stringForKey("defaultPaperColor");
    settings.nightMode = defaults.boolForKey("nightMode").value_or(false);
    settings.headerSetting = defaults.stringForKey("currentDocumentHeaderControl");
    settings.footerSetting = defaults.stringForKey("currentDocumentFooterControl");
    return settings;
}

RichTextPageTemplate::Style RichTextPageTemplate::styleFor(const Settings& settings)
{
    Style style;
    if (settings.defaultFont && settings.isNewBlankDocument) {
        style.fontFamily = *settings.defaultFont;
        style.fontSize = static_cast<int>(settings.defaultFontSize);
        style.fontColor = settings.defaultFontColor.value_or(style.fontColor);
        style.paperColor = settings.defaultPaperColor.value_or("White");
    }
    return style;
}

std::string RichTextPageTemplate::paperColorFor(const Settings& settings, const Style& style,
                                                const std::optional<std::string>& documentPaperColor)
{
    if (settings.nightMode)
        return kNightPaperColor;
    if (documentPaperColor && isSixHexDigits(*documentPaperColor)) {
        if (std::optional<Color> color = colorWithHexString(*documentPaperColor)) {
            if (std::optional<std::string> name = closestColorName(*color))
                return *name;
        }
    }
    return style.paperColor;
}

std::string RichTextPageTemplate::build(const Page& page)
{
    const std::string size = std::to_string(page.style.fontSize + kFontSizeOffset);
    const std::string family = styleValue(page.style.fontFamily);
    const std::string color = styleValue(page.style.fontColor);
    std::string html;
    html.reserve(page.html.size() + page.fontRules.size() + 2048);
    html += "<html><head>    <meta name='viewport'  content='user-scalable=no,initial-scale=1,  maximum-scale=1, "
            "minimum-scale=1' />    <meta charset='UTF-8'>    <style type='text/css'>";
    html += page.fontRules;
    html += "* {outline: 0px solid transparent;}    p { margin: 0;}    img { padding: 20px;}    "
            ".marquent-pagebreak {border-color: #000;height: 3px;border-style: dotted none;page-break-after:always;"
            "border-width: 1px}    </style>";
    if (!page.styleSheetURL.empty())
        html += "<link rel='stylesheet' type='text/css' href='" + HTMLTextEscaper::escape(page.styleSheetURL) + "'>";
    html += "    ";
    for (const std::string& component : page.componentScriptURLs)
        html += "<script type='text/javascript' src='" + HTMLTextEscaper::escape(component) + "'></script>";
    html += "<script type='text/javascript' src='";
    html += HTMLTextEscaper::escape(page.helperScriptURL);
    html += "'></script></head><body onLoad = 'initXEditor()' style='background-color:";
    html += styleValue(page.paperColor);
    html += ";height:0px;border:0px solid rgba(1, 255, 255, 0.0);caret-color: #007AFF;'>";
    html += page.header;
    html += page.footer;
    html += "<div id='content' contenteditable=true style='height:0px; border:1px solid rgba(255, 0, 0, 0.0); "
            "font-family: " + family + ";font-size: " + size + "px; color: " + color
        + "; overflow-y: scroll; -webkit-overflow-scrolling: touch;margin-bottom:12'>";
    html += "<div id='paragraph'  style='font-family: " + family + ";font-size: " + size + "px; color: " + color
        + ";word-wrap: break-word;overflow-wrap: break-word;'>";
    html += page.html;
    html += "</div></div></body></html>";
    return html;
}

std::string RichTextPageTemplate::headerElement(const std::optional<std::string>& setting)
{
    return decorationElement(setting, "pageHeader", "data-topMargin", kDefaultHeader);
}

std::string RichTextPageTemplate::footerElement(const std::optional<std::string>& setting)
{
    return decorationElement(setting, "pageFooter", "data-bottomMargin", kDefaultFooter);
}

} // namespace folio
