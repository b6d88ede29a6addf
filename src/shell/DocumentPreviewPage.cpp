#include "shell/DocumentPreviewPage.h"

#include "delivery/ExportPreferencesReader.h"
#include "engine/attachments/InlinePictureSink.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFPageTemplates.h"
#include "export/pdf/PDFSourceHTML.h"
#include "formats/html/CSSFontRules.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"

namespace folio {

namespace {

// The document's paper colour under the whole page, as its editor shows it.
std::string onPaper(std::string page, const std::optional<std::string>& paperColor)
{
    if (!paperColor || !PDFSourceHTML::isPaperColor(*paperColor) || *paperColor == "FFFFFF")
        return page;
    const std::string rule = "<style>html, body { background-color: #" + *paperColor + " !important; }</style>";
    std::size_t head = page.find("<head>");
    if (head == std::string::npos)
        return rule + page;
    page.insert(head + 6, rule);
    return page;
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
    return onPaper(pageOnWhite(source), source, openEditor);
}

Result<std::string> DocumentPreviewPage::pageOnWhite(const ExportSource& source)
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
    std::string content = PDFSourceHTML::prepare(*html, std::nullopt, {}).html;
    return source.kind() == DocumentKind::QVOutline ? PDFPageTemplates::qvOutlinePage(rules, content)
                                                    : PDFPageTemplates::qvTextPage(rules, content);
}

} // namespace folio
