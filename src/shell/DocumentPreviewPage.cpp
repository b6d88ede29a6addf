#include "shell/DocumentPreviewPage.h"

#include "delivery/ExportPreferencesReader.h"
#include "engine/attachments/InlinePictureSink.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFPageTemplates.h"
#include "export/pdf/PDFSourceHTML.h"
#include "formats/html/CSSFontRules.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace folio {

namespace {

// The document's paper colour under the whole page, as its editor shows it.
std::string underPage(std::string page, const std::string& cssColour)
{
    const std::string rule = "<style>html, body { background-color: " + cssColour + " !important; }</style>";
    std::size_t head = page.find("<head>");
    if (head == std::string::npos)
        return rule + page;
    page.insert(head + 6, rule);
    return page;
}

std::string onPaper(std::string page, const std::optional<std::string>& paperColor)
{
    if (!paperColor || !PDFSourceHTML::isPaperColor(*paperColor) || *paperColor == "FFFFFF")
        return page;
    return underPage(std::move(page), "#" + *paperColor);
}

// A QV document keeps its paper in its body-style block, which the editor
// and the PDF spread under the whole page; the colour is a CSS value, taken
// only when it is one plainly (a name, a #value or rgb()).
std::optional<std::string> qvPaperColour(std::string_view html)
{
    std::optional<std::string> style = PDFSourceHTML::bodyStyle(html);
    if (!style)
        return std::nullopt;
    std::size_t at = style->find("background-color:");
    if (at == std::string::npos)
        return std::nullopt;
    std::string value = style->substr(at + 17, style->find(';', at) == std::string::npos
                                                   ? std::string::npos
                                                   : style->find(';', at) - at - 17);
    std::erase_if(value, [](unsigned char c) { return std::isspace(c) != 0; });
    bool plain = !value.empty() && std::all_of(value.begin(), value.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '#' || c == '(' || c == ')' || c == ',' || c == '.' || c == '%';
    });
    return plain ? std::optional<std::string>(value) : std::nullopt;
}

Result<std::string> onPaper(Result<std::string> page, const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    if (!page)
        return page;
    return onPaper(std::move(*page), source.pageValues(openEditor).paperColor);
}

} // namespace

Result<std::string> DocumentPreviewPage::html(const ExportSource& source)
{
    ExportSource::OpenEditor openEditor = source.openContent() ? ExportSource::OpenEditor::Use : ExportSource::OpenEditor::Ignore;
    std::optional<std::string> ownPaper;
    Result<std::string> page = pageOnWhite(source, ownPaper);
    if (page && ownPaper)
        return underPage(std::move(*page), *ownPaper);
    return onPaper(std::move(page), source, openEditor);
}

Result<std::string> DocumentPreviewPage::pageOnWhite(const ExportSource& source, std::optional<std::string>& ownPaper)
{
    std::string rules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::NameOnly);
    const EditorContent* open = source.openContent();
    // The rich-text editor's content is read back as a save reads it; the
    // print HTML of the other kinds already takes the open content.
    if (open && source.kind() == DocumentKind::RTF && !source.exportsAsPlainText())
        return PDFPageTemplates::richTextPage(rules, 0.5, 0.5, open->richTextHTML());
    ExportSource::OpenEditor openEditor = open ? ExportSource::OpenEditor::Use : ExportSource::OpenEditor::Ignore;
    // A file's pictures go into the page as data: the preview is made
    // without writing anything into the program's folders.
    InlinePictureSink pictures;
    Result<std::string> html = source.HTML(ExportSource::Purpose::Print, openEditor, false, &pictures);
    if (!html)
        return html;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    if (source.exportsAsPlainText() || source.kind() == DocumentKind::RTF)
        return PDFPageTemplates::richTextPage(rules, 0.5, 0.5, *html);
    if (source.kind() == DocumentKind::Markdown)
        return PDFPageTemplates::markdownPage(
            rules, MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults), Device::current().isPad()), *html);
    ownPaper = qvPaperColour(*html);
    std::string content = PDFSourceHTML::prepare(*html, std::nullopt, {}).html;
    return source.kind() == DocumentKind::QVOutline ? PDFPageTemplates::qvOutlinePage(rules, content)
                                                    : PDFPageTemplates::qvTextPage(rules, content);
}

} // namespace folio
