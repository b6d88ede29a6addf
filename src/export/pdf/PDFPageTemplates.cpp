#include "export/pdf/PDFPageTemplates.h"

#include "export/PageMargins.h"
#include "platform/foundation/UserDefaults.h"

#include <charconv>
#include <initializer_list>

namespace folio {

namespace {

std::string joined(std::initializer_list<std::string_view> parts)
{
    std::string page;
    for (std::string_view part : parts) {
        if (!page.empty())
            page += ' ';
        page += part;
    }
    return page;
}

// The editing component's checklist boxes, 16 x 16: an empty rounded square
// and a filled one with a tick.
constexpr std::string_view kUncheckedBox =
    "url(\"data:image/svg+xml;charset=UTF-8,%3Csvg%20width%3D%2216%22%20height%3D%2216%22%20"
    "xmlns%3D%22http%3A%2F%2Fwww.w3.org%2F2000%2Fsvg%22%3E%3Crect%20x%3D%220.5%22%20y%3D%220.5%22%20"
    "width%3D%2215%22%20height%3D%2215%22%20rx%3D%222%22%20fill%3D%22none%22%20stroke%3D%22%234C4C4C%22%2F%3E"
    "%3C%2Fsvg%3E\")";
constexpr std::string_view kCheckedBox =
    "url(\"data:image/svg+xml;charset=UTF-8,%3Csvg%20width%3D%2216%22%20height%3D%2216%22%20"
    "xmlns%3D%22http%3A%2F%2Fwww.w3.org%2F2000%2Fsvg%22%3E%3Crect%20width%3D%2216%22%20height%3D%2216%22%20"
    "rx%3D%222%22%20fill%3D%22%234099FF%22%2F%3E%3Cpath%20d%3D%22M4%208.5l2.5%202.5L12%205.5%22%20"
    "fill%3D%22none%22%20stroke%3D%22%23FFF%22%20stroke-width%3D%222%22%2F%3E%3C%2Fsvg%3E\")";

constexpr std::string_view kRichTextHead =
    "<html><head> <meta charset='UTF-8'> <style type='text/css'>";

constexpr std::string_view kPrintBodyRules = "body { position: relative; margin: 0 auto; }";

// The printer scales every page down to fit the widest line, so one line that
// cannot wrap (a run of tabs) would shrink the whole document: tabs may wrap
// like blanks, and what still sticks out is cut off at the margin.
constexpr std::string_view kNoShrinkToFitRules =
    "#content { overflow-x: clip; } #content span[style*='white-space:pre'] { white-space: pre-wrap !important; }";

// The printer lays a page out 1.25 times as wide as the paper is in points,
// so a CSS pixel prints at 0.8 pt rather than 0.75 pt; the document's own
// sizes (12 pt text, a 1 inch margin) print true at this zoom.
constexpr std::string_view kTrueSizeRule = "#content { zoom: 0.9375; }";

std::string markdownContent(const MarkdownPageStyle& style, std::string_view html)
{
    using T = PDFPageTemplates;
    return "<div id='content' style='font-family: " + style.fontFamily + ";font-size: " + T::fixed(style.fontSize, 6)
        + "px;margin-top: " + T::fixed(style.marginTop, 2) + "cm;margin-bottom: " + T::fixed(style.marginBottom, 2)
        + "cm; margin-left:" + T::fixed(style.marginLeft, 2) + "cm;  margin-right: " + T::fixed(style.marginRight, 2)
        + "cm;word-wrap: break-word;overflow-wrap: break-word; text-align:" + style.alignment
        + ";line-height:" + T::fixed(style.lineHeight, 2) + ";text-indent:" + T::fixed(style.firstLineIndent, 2)
        + "'>" + std::string(html) + "</div></body>";
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

MarkdownPageStyle MarkdownPageStyle::fromUserDefaults(const UserDefaults& defaults, bool tabletClassDevice)
{
    MarkdownPageStyle style;
    if (tabletClassDevice) {
        EdgeInsets margins = PageMargins::read(PageMargins::kMarkdownPrefix, defaults);
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
    style.alignment = alignmentWord(defaults.integerForKey("markdownDefaultAlignment").value_or(0));
    style.lineHeight = lineHeightForSpacing(defaults.doubleForKey("markdownDefaultLineSpacing").value_or(0));
    style.firstLineIndent = defaults.doubleForKey("markdownDefaultFirstLineIndent").value_or(0);
    style.fontFamily = defaults.stringForKey("markdownDefaultFont").value_or("");
    // Without a size setting the text would be drawn 0 pixels high, that is
    // not at all: the browser's default size stands in.
    style.fontSize = defaults.doubleForKey("markdownDefaultFontSize").value_or(0);
    if (!(style.fontSize > 0))
        style.fontSize = kDefaultFontSize;
    return style;
}

std::string PDFPageTemplates::pageBreakRule()
{
    return ".marquent-pagebreak { border-color: #000; height: 3px; border-style: dotted none; "
           "page-break-after:always; border-width: 1px }";
}

std::string PDFPageTemplates::qvTextRules()
{
    return "body { font-family: -apple-system, BlinkMacSystemFont, 'Segoe UI', Roboto, Oxygen, Ubuntu, Cantarell, "
           "'Open Sans', 'Helvetica Neue', sans-serif; line-height: 1.4; margin: 1rem; }\n"
           "p { margin-inline-start: 0px; margin-inline-end: 0px; margin-block-start: 0px; margin-block-end: 0px; "
           "margin-bottom: 0px; margin-top: 0px; }\n"
           "table { border-collapse: collapse; }\n"
           "table th, table td { border: 1px solid #ccc; padding: 0.4rem; }\n"
           "figure { display: table; margin: 1rem auto; }\n"
           "figure figcaption { color: #999; display: block; margin-top: 0.25rem; text-align: center; }\n"
           "hr { border-color: #ccc; border-style: solid; border-width: 1px 0 0 0; }\n"
           "code { background-color: #e8e8e8; border-radius: 3px; padding: 0.1rem 0.2rem; }\n"
           ".mce-content-body:not([dir=rtl]) blockquote { border-left: 2px solid #ccc; margin-left: 1.5rem; "
           "padding-left: 1rem; }\n"
           ".mce-content-body[dir=rtl] blockquote { border-right: 2px solid #ccc; margin-right: 1.5rem; "
           "padding-right: 1rem; }\n"
           ".tox-checklist > li:not(.tox-checklist--hidden) { list-style: none; margin: 0.25em 0; "
           "position: relative; }\n"
           ".tox-checklist > li:not(.tox-checklist--hidden)::before { content: "
        + std::string(kUncheckedBox)
        + "; cursor: pointer; height: 1em; margin-left: -1.5em; margin-top: 0.125em; position: absolute; "
          "width: 1em; }\n"
          ".tox-checklist li:not(.tox-checklist--hidden).tox-checklist--checked::before { content: "
        + std::string(kCheckedBox)
        + "; }\n"
          ".container { position: fixed; top: 0; bottom: 0; right: 0; left: 0; display: flex; flex: 1; "
          "flex-direction: column; }\n"
          ".tox.tox-tinymce { flex: 1; }\n";
}

std::string PDFPageTemplates::qvOutlineRules()
{
    std::string rules =
        "[contenteditable] { outline: 0px solid rgba(230, 23,23, 1) !important; }\n"
        ".tree-branch .branch-editor { display: none; }\n"
        "#tree, #tree-level-1 { padding: 20px 0; list-style: none; margin: 0; }\n"
        ".tree-branch { margin-bottom: 0; position: relative; }\n"
        ".tree-branch > .contents .branch-wrapper { display: flex; align-items: start; justify-content: "
        "space-between; background: #fff; border: 1px solid rgba(240, 240,240, 1); box-shadow: 0 0px 0px 0 "
        "rgba(0, 0, 0, 0.05); border-radius: 3px; min-height: 20px; max-width: 95%; width: 100%; position: "
        "relative; padding: 8px 8px; height: auto; gap: 12px; line-height: 1.5; overflow: hidden; word-wrap: "
        "break-word; outline: none !important; }\n"
        ".tree-branch > .contents .branch-wrapper .left-sidebar { display: flex; gap: 12px; align-items: start; "
        "max-width: 100%; width: 100%; outline: none !important; }\n"
        ".tree-branch > .contents .branch-wrapper .left-sidebar { cursor: pointer; }\n"
        ".right-sidebar { opacity: 0; transition: 0.3s; }\n"
        ".branch-wrapper:hover .right-sidebar { opacity: 1; }\n"
        ".tree-branch > .contents { clear: both; line-height: 1.5; position: relative; margin: -1px 0 0; }\n"
        ".contents .branch-drag-handler { cursor: move; color: #bbbbbb; top: 0px; left: 10px; font: 12pt Arial, "
        "sans-serif; margin-top: -2px; }\n"
        ".branch-drag-handler .icon { color: #504e4e; margin-right: 5px; font: 26px Verdana,Arial, sans-serif; }\n"
        ".sortable-placeholder { border: 1px dashed rgb(63, 63, 63); height: 35px; max-width: 100%; width: 100%; "
        "margin-top: 10px; }\n"
        ".tree-branch.ui-sortable-helper .contents { margin-top: 0; }\n"
        ".tree-branch.ui-sortable-helper .children-bus .contents { margin-top: 2px; }\n"
        ".tree-branch .children-bus:empty { display: none; }\n";
    for (int level = 1; level <= 10; ++level) {
        std::string indent = std::to_string(30 * (level - 1));
        std::string name = ".branch-level-" + std::to_string(level);
        rules += name + " { margin-left: " + indent + "px; }\n";
        rules += name + " .children-bus { margin-left: " + (level == 1 ? "" : "-") + indent + "px; }\n";
    }
    rules += ".branch-title { font: 12pt Arial, sans-serif; border: 0px solid #cccccc; width: 98%; height: 100%; "
             "user-select: all; outline: none !important; z-index: 100; }\n"
             ".branch-path { display: block; position: absolute; width: 12px; height: 98px; bottom: 50%; left: "
             "-12px; border: 1px solid rgba(230, 230,230, 1); border-top: 0; border-right: 0; padding: 4px 0 0; "
             "padding-top: 3px; border-bottom-left-radius: 6px; z-index: -1; }\n"
             "ul { padding-inline-start: 20px !important; }\n"
             "body { background-color: transparent; -webkit-tap-highlight-color: rgba(0, 0, 0, 0) !important; }\n";
    return rules;
}

std::string PDFPageTemplates::richTextPage(std::string_view fontRules, double leftMargin, double rightMargin,
                                           std::string_view html)
{
    std::string content = "<div id='content' style='margin: 0; margin-left:" + fixed(leftMargin, 2)
        + "cm;  margin-right: " + fixed(rightMargin, 2)
        + "cm;word-wrap: break-word;overflow-wrap: break-word;'>" + std::string(html) + "</div></body>";
    return joined({kRichTextHead, fontRules, kPrintBodyRules, "p { margin: 0;}", "img { padding: 20px;}",
                   pageBreakRule(), kNoShrinkToFitRules, kTrueSizeRule, "</style>", "</head>", "<body>", content, "</html>"});
}

std::string PDFPageTemplates::markdownPage(std::string_view fontRules, const MarkdownPageStyle& style,
                                           std::string_view html)
{
    return joined({kRichTextHead, fontRules, kPrintBodyRules, "img { padding: 20px;}", pageBreakRule(), "</style>",
                   "</head>", "<body>", markdownContent(style, html), "</html>"});
}

std::string PDFPageTemplates::markdownPreviewPage(const MarkdownPageStyle& style, std::string_view text)
{
    return joined({kRichTextHead, kPrintBodyRules, "img { padding: 20px;}", pageBreakRule(), "</style>", "</head>",
                   "<body>", markdownContent(style, text), "</html>"});
}

std::string PDFPageTemplates::qvTextPage(std::string_view fontRules, std::string_view html)
{
    return joined({"<!DOCTYPE html>", "<head>", "<meta charset='UTF-8'>", "<style>", fontRules, pageBreakRule(),
                   qvTextRules(), "</style>", "</head>", "<body>", html, "</body>", "</html>"});
}

std::string PDFPageTemplates::qvOutlinePage(std::string_view fontRules, std::string_view html)
{
    std::string textRules = qvTextRules();
    // The outline page's own body font replaces the editing component's.
    const std::string_view textBody = "body { font-family: -apple-system";
    std::size_t end = textRules.find('\n');
    if (textRules.compare(0, textBody.size(), textBody) == 0 && end != std::string::npos)
        textRules.replace(0, end,
                          "body { font-family: Arial, Helvetica, sans-serif; line-height: 1.5; margin: 1rem; }");
    return joined({"<!DOCTYPE html>", "<head>", "<meta charset='UTF-8'>", "<style>", fontRules, pageBreakRule(),
                   textRules, qvOutlineRules(), "</style>", "</head>", "<body>", html, "</body>", "</html>"});
}

} // namespace folio
