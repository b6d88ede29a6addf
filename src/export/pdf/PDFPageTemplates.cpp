#include "export/pdf/PDFPageTemplates.h"

#include "export/PageMargins.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ResourceTemplate.h"
#include "export/ExportPreferences.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace folio {

namespace {

// The print pages and their style sheets, read once from resources/pages;
// one that is missing (a broken installation) reads as empty.
const ResourceTemplate& printResource(const std::string& name)
{
    static const ResourceTemplate kMissing(std::string{});
    const Result<ResourceTemplate>& read = ResourceTemplate::shared(name, "pages");
    if (read)
        return *read;
    TELog(TELogLevelError, read.error().message);
    return kMissing;
}

// A page of the installed resources; without them (a broken installation)
// the content is printed bare rather than not at all.
std::string printPage(const std::string& name, const std::map<std::string, std::string>& values)
{
    Result<std::string> page = printResource(name).filled(values);
    if (page)
        return *page;
    TELog(TELogLevelError, page.error().message);
    auto content = values.find("html");
    return content == values.end() ? std::string() : content->second;
}

} // namespace

std::string PDFPageTemplates::fixed(double value, int decimals)
{
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return "0";
    return std::string(buffer, end);
}

std::string MarkdownPageStyle::alignmentWord(long long setting)
{
    switch (setting) {
    case 1:
        return "center";
    case 2:
        return "right";
    case 3:
        return "justify";
    default:
        return "left";
    }
}

double MarkdownPageStyle::lineHeightForSpacing(double spacing)
{
    return spacing == 0 ? 1.61 : spacing * 1.15;
}

MarkdownPageStyle MarkdownPageStyle::fromPreferences(const ExportPreferences& preferences, bool tabletClassDevice)
{
    MarkdownPageStyle style;
    if (tabletClassDevice) {
        const EdgeInsets& margins = preferences.markdownMargins;
        style.marginTop = margins.top;
        style.marginBottom = margins.bottom;
        style.marginLeft = margins.left;
        style.marginRight = margins.right;
    } else {
        style.marginTop = 1;
        style.marginBottom = 1;
        style.marginLeft = 0.5;
        style.marginRight = 0.5;
    }
    style.alignment = alignmentWord(preferences.markdownAlignment);
    style.lineHeight = lineHeightForSpacing(preferences.markdownLineSpacing);
    style.firstLineIndent = preferences.markdownFirstLineIndent;
    style.fontFamily = preferences.markdownFont;
    // Without a size setting the text would be drawn 0 pixels high, that is
    // not at all: the browser's default size stands in.
    style.fontSize = preferences.markdownFontSize;
    if (!(style.fontSize > 0))
        style.fontSize = kDefaultFontSize;
    return style;
}

std::string PDFPageTemplates::pageBreakRule()
{
    return printResource("print-page-break.css").text();
}

std::string PDFPageTemplates::qvTextRules()
{
    return printResource("print-qvtext-body.css").text() + printResource("print-qvtext-content.css").text();
}

std::string PDFPageTemplates::qvOutlineRules()
{
    return printResource("print-qvoutline.css").text();
}

std::string PDFPageTemplates::tabStopScript(double defaultInterval, double textWidth)
{
    // The labels first: their tabs move the text the stops are measured on.
    // A document that gives no default stops has word processors' own, every
    // half inch, after its list labels.
    constexpr double kLabelStopInterval = 36;
    return printPage("print-column.js", {}) + "\n"
        + printPage("print-list-labels.js",
                    {{"defaultInterval", fixed(defaultInterval > 0 ? defaultInterval : kLabelStopInterval, 3)}})
        + "\n" + printPage("print-tabs.js", {{"defaultInterval", fixed(defaultInterval > 0 ? defaultInterval : 0, 3)},
                                       {"textWidth", fixed(textWidth > 0 ? textWidth : 0, 3)}});
}

std::string PDFPageTemplates::frameScript(const Size& pageSize, double textWidth, double leftMargin, double topMargin)
{
    return printPage("print-column.js", {}) + "\n"
        + printPage("print-frames.js", {{"pageWidth", fixed(pageSize.width, 3)},
                                        {"pageHeight", fixed(pageSize.height, 3)},
                                        {"textWidth", fixed(textWidth, 3)},
                                        {"leftMargin", fixed(leftMargin, 3)},
                                        {"topMargin", fixed(topMargin, 3)}});
}

std::string PDFPageTemplates::contextualSpaceScript() { return printPage("richtext-contextual-space.js", {}); }

std::string PDFPageTemplates::paragraphSpacingScript() { return printPage("print-paragraph-spacing.js", {}); }

std::string PDFPageTemplates::zoomScript(double zoom)
{
    return "document.documentElement.style.zoom = '" + fixed(zoom, 3) + "';";
}

std::string PDFPageTemplates::borderWidthScript() { return printPage("print-border-widths.js", {}); }

std::string PDFPageTemplates::blankRunScript() { return printPage("print-blank-runs.js", {}); }

std::string PDFPageTemplates::sectionBreaksScript()
{
    return printPage("print-sections.js", {}) + "\nfolioPrintSections.breaks();";
}

std::string PDFPageTemplates::showSectionsScript(std::size_t first, std::size_t last, double leftMargin,
                                                 double rightMargin, const std::vector<std::size_t>& newPages,
                                                 const std::vector<std::size_t>& nextColumns,
                                                 const std::vector<PDFColumns>& columns, const Size& textSize)
{
    auto list = [](const std::vector<std::size_t>& sections) {
        std::string listed;
        for (std::size_t section : sections)
            listed += (listed.empty() ? "" : ", ") + std::to_string(section);
        return "[" + listed + "]";
    };
    std::string laid;
    for (const PDFColumns& section : columns)
        laid += std::string(laid.empty() ? "" : ", ") + "[" + std::to_string(section.count) + ", "
            + fixed(section.gap, 2) + "]";
    return printPage("print-sections.js", {}) + "\nfolioPrintSections.show(" + std::to_string(first) + ", "
        + std::to_string(last) + ", " + fixed(leftMargin, 2) + ", " + fixed(rightMargin, 2) + ", " + list(newPages)
        + ", " + list(nextColumns) + ", [" + laid + "], " + fixed(textSize.width, 2) + ", "
        + fixed(textSize.height, 2) + ");";
}

std::string PDFPageTemplates::markSectionsScript(const std::vector<std::size_t>& sections)
{
    std::string listed;
    for (std::size_t section : sections)
        listed += (listed.empty() ? "" : ", ") + std::to_string(section);
    return printPage("print-sections.js", {}) + "\nfolioPrintSections.mark([" + listed + "], "
        + std::to_string(kSectionMarkWidth) + ", " + std::to_string(kSectionMarkHeight) + ");";
}

std::string PDFPageTemplates::sectionMarksReadyScript()
{
    return printPage("print-sections.js", {}) + "\nfolioPrintSections.marksReady();";
}

std::string PDFPageTemplates::unmarkSectionsScript()
{
    return printPage("print-sections.js", {}) + "\nfolioPrintSections.unmark();";
}

namespace {

// The engine hyphenates only words of a known language: text that names
// none is taken to be in the user's first language ("de_CH" as "de-CH"), as
// word processors take it for their default.
std::string hyphenationLanguage()
{
    const std::vector<std::string> languages = Localization::preferredLanguages();
    std::string language = languages.empty() ? "en" : languages.front();
    std::replace(language.begin(), language.end(), '_', '-');
    std::erase_if(language, [](char c) { return !(std::isalnum(static_cast<unsigned char>(c)) || c == '-'); });
    return language.empty() ? "en" : language;
}

} // namespace

std::string PDFPageTemplates::richTextPage(std::string_view fontRules, double leftMargin, double rightMargin,
                                           std::string_view html, Hyphenation hyphenation)
{
    return printPage("print-richtext.html",
                     {{"fontRules", std::string(fontRules)},
                      {"pageBreakRule", pageBreakRule()},
                      {"leftMargin", fixed(leftMargin, 2)},
                      {"rightMargin", fixed(rightMargin, 2)},
                      {"hyphens", hyphenation == Hyphenation::Automatic ? "-webkit-hyphens:auto;hyphens:auto;" : ""},
                      {"language", hyphenation == Hyphenation::Automatic ? "lang='" + hyphenationLanguage() + "'" : ""},
                      {"html", std::string(html)}});
}

std::string PDFPageTemplates::markdownPage(std::string_view fontRules, const MarkdownPageStyle& style,
                                           std::string_view html)
{
    return printPage("print-markdown.html", {{"fontRules", std::string(fontRules)},
                                             {"pageBreakRule", pageBreakRule()},
                                             {"fontFamily", style.fontFamily},
                                             {"fontSize", fixed(style.fontSize, 6)},
                                             {"marginTop", fixed(style.marginTop, 2)},
                                             {"marginBottom", fixed(style.marginBottom, 2)},
                                             {"marginLeft", fixed(style.marginLeft, 2)},
                                             {"marginRight", fixed(style.marginRight, 2)},
                                             {"alignment", style.alignment},
                                             {"lineHeight", fixed(style.lineHeight, 2)},
                                             {"firstLineIndent", fixed(style.firstLineIndent, 2)},
                                             {"html", std::string(html)}});
}

std::string PDFPageTemplates::markdownPreviewPage(const MarkdownPageStyle& style, std::string_view text)
{
    return markdownPage({}, style, text);
}

std::string PDFPageTemplates::qvTextPage(std::string_view fontRules, std::string_view html)
{
    return printPage("print-qv.html", {{"fontRules", std::string(fontRules)},
                                       {"pageBreakRule", pageBreakRule()},
                                       {"rules", qvTextRules()},
                                       {"html", std::string(html)}});
}

std::string PDFPageTemplates::qvOutlinePage(std::string_view fontRules, std::string_view html)
{
    // The outline page's own body font replaces the editing component's.
    std::string rules = printResource("print-qvoutline-body.css").text() + printResource("print-qvtext-content.css").text()
        + qvOutlineRules();
    return printPage("print-qv.html", {{"fontRules", std::string(fontRules)},
                                       {"pageBreakRule", pageBreakRule()},
                                       {"rules", rules},
                                       {"html", std::string(html)}});
}

std::string PDFPageTemplates::paperPage(std::string_view paperColor, std::string_view html)
{
    return printPage("print-paper.html", {{"paperColor", std::string(paperColor)}, {"html", std::string(html)}});
}

std::string PDFPageTemplates::bodyStyleBlock(std::string_view style, std::string_view html)
{
    return printPage("print-body-style.html", {{"style", std::string(style)}, {"html", std::string(html)}});
}

std::string PDFPageTemplates::plainTextBlock(std::string_view escapedText)
{
    return printPage("plain-text-block.html", {{"html", std::string(escapedText)}});
}

std::string PDFPageTemplates::qvTextContent(std::string_view fontRules, std::string_view html)
{
    return printPage("qvtext-content.html",
                     {{"fontRules", std::string(fontRules)}, {"rules", qvTextRules()}, {"html", std::string(html)}});
}

} // namespace folio
