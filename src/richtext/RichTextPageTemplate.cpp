#include "richtext/RichTextPageTemplate.h"

#include "engine/css/ColorHTML.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"

#include <cctype>
#include <map>
#include <vector>

namespace folio {

namespace {

constexpr const char* kPageTemplate = "richtext-page.html";
constexpr const char* kDecorationTemplate = "richtext-page-decoration.html";
constexpr const char* kScriptElement = "script-element.html";
constexpr const char* kStyleSheetElement = "style-sheet-element.html";

// What a page shows in its header and footer until the user sets them.
constexpr const char* kDefaultHeaderSetting =
    "Helvetica::12::right::black::0.5::NO::Header Author: Mara Quillet [date] - Page [pagenumber] of [totalpages]";
constexpr const char* kDefaultFooterSetting =
    "Helvetica::12::right::black::0.5::NO::Footer Author: Mara Quillet [title] - Page [pagenumber] of [totalpages]";

Result<std::string> filledPageResource(const char* name, const std::map<std::string, std::string>& values)
{
    const Result<ResourceTemplate>& resource = ResourceTemplate::shared(name, "pages");
    if (!resource)
        return resource.error();
    return resource->filled(values);
}

Result<std::string> scriptElements(const std::vector<std::string>& urls)
{
    std::string elements;
    for (const std::string& url : urls) {
        Result<std::string> element = filledPageResource(kScriptElement, {{"src", HTMLTextEscaper::escape(url)}});
        if (!element)
            return element;
        elements += *element;
    }
    return elements;
}

Result<std::string> decorationElement(const std::optional<std::string>& setting, const char* id,
                                      const char* marginAttribute, const char* fallback)
{
    std::vector<std::string> fields = componentsSeparatedByString(setting.value_or(fallback), "::");
    if (fields.size() < 7)
        fields = componentsSeparatedByString(fallback, "::");
    // The text may itself hold "::"; it is everything after the sixth field.
    std::string text = fields[6];
    for (size_t i = 7; i < fields.size(); ++i)
        text += "::" + fields[i];
    auto e = [](const std::string& field) { return HTMLTextEscaper::escape(field); };
    return filledPageResource(kDecorationTemplate, {{"id", id},
                                                    {"fontFamily", e(fields[0])},
                                                    {"fontSize", e(fields[1])},
                                                    {"alignment", e(fields[2])},
                                                    {"color", e(fields[3])},
                                                    {"marginAttribute", marginAttribute},
                                                    {"margin", e(fields[4])},
                                                    {"enabled", e(fields[5])},
                                                    {"text", e(text)}});
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
std::string templateStyleValue(const std::string& value)
{
    return HTMLTextEscaper::escape(value);
}

} // namespace

RichTextPageTemplate::Settings RichTextPageTemplate::Settings::fromDefaults(const UserDefaults& defaults,
                                                                           BlankDocument blank)
{
    Settings settings;
    settings.isNewBlankDocument = blank == BlankDocument::Yes;
    settings.defaultFont = defaults.stringForKey("defaultFont");
    settings.defaultFontSize = defaults.doubleForKey("defaultFontSize").value_or(0);
    settings.defaultFontColor = defaults.stringForKey("defaultFontColor");
    settings.defaultPaperColor = defaults.stringForKey("defaultPaperColor");
    settings.nightMode = defaults.boolForKey("nightMode").value_or(false);
    settings.headerSetting = defaults.stringForKey("currentDocumentHeaderControl");
    settings.footerSetting = defaults.stringForKey("currentDocumentFooterControl");
    settings.autoHyphenation = defaults.doubleForKey(DKRTFPageSettings::kAutoHyphenationKey).value_or(0) != 0;
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

Result<std::string> RichTextPageTemplate::build(const Page& page)
{
    std::string styleSheets;
    if (!page.styleSheetURL.empty()) {
        Result<std::string> link = filledPageResource(kStyleSheetElement, {{"href", HTMLTextEscaper::escape(page.styleSheetURL)}});
        if (!link)
            return link.error();
        styleSheets = std::move(*link);
    }
    Result<std::string> componentScripts = scriptElements(page.componentScriptURLs);
    if (!componentScripts)
        return componentScripts;
    Result<std::string> pageScripts = scriptElements(page.pageScriptURLs);
    if (!pageScripts)
        return pageScripts;
    const Result<ResourceTemplate>& pageTemplate = ResourceTemplate::shared(kPageTemplate, "pages");
    if (!pageTemplate)
        return pageTemplate.error();
    const std::string helpers = HTMLTextEscaper::escape(page.helperScriptURL);
    const std::string paperColor = templateStyleValue(page.paperColor);
    const std::string fontFamily = templateStyleValue(page.style.fontFamily);
    const std::string fontSize = std::to_string(page.style.fontSize + kFontSizeOffset);
    const std::string fontColor = templateStyleValue(page.style.fontColor);
    const std::string contentStyle = page.contentStyle.empty() ? std::string() : ";" + templateStyleValue(page.contentStyle);
    // The document goes into the page where it lies: it is megabytes long.
    return pageTemplate->filledInPlace({{"fontRules", page.fontRules},
                                        {"styleSheets", styleSheets},
                                        {"componentScripts", *componentScripts},
                                        {"pageScripts", *pageScripts},
                                        {"helpers", helpers},
                                        {"paperColor", paperColor},
                                        {"header", page.header},
                                        {"footer", page.footer},
                                        {"fontFamily", fontFamily},
                                        {"fontSize", fontSize},
                                        {"fontColor", fontColor},
                                        {"hyphens", page.hyphenated ? ";-webkit-hyphens:auto;hyphens:auto" : ""},
                                        {"contentStyle", contentStyle},
                                        {"wrapperAttributes", page.wrapperAttributes},
                                        {"html", page.html}});
}

Result<std::string> RichTextPageTemplate::headerElement(const std::optional<std::string>& setting)
{
    return decorationElement(setting, "pageHeader", "data-topMargin", kDefaultHeaderSetting);
}

Result<std::string> RichTextPageTemplate::footerElement(const std::optional<std::string>& setting)
{
    return decorationElement(setting, "pageFooter", "data-bottomMargin", kDefaultFooterSetting);
}

} // namespace folio
