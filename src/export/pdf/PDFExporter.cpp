#include "export/pdf/PDFExporter.h"

#include "export/ExportNaming.h"
#include "export/PageMargins.h"
#include "export/pdf/PDFDocumentHeads.h"
#include "documents/DocumentSizeLimits.h"
#include "documents/PageSizes.h"
#include "engine/attachments/InlinePictureSink.h"
#include "formats/rtf/DKRTFTitlePage.h"
#include "export/html/HTMLPictureInliner.h"
#include "platform/foundation/AppFolders.h"
#include "platform/ui/Device.h"

namespace folio {

namespace {

// Holds the converter and turns its delegate calls into the one completion.
class PDFExportTask final : public ExportTask, public NDHTMLtoPDFDelegate {
public:
    explicit PDFExportTask(Exporter::Completion completion)
        : m_completion(std::move(completion))
    {
    }
    ~PDFExportTask() override
    {
        if (m_converter)
            m_converter->setDelegate(nullptr);
    }

    void setConverter(std::shared_ptr<NDHTMLtoPDF> converter) { m_converter = std::move(converter); }
    const std::shared_ptr<NDHTMLtoPDF>& converter() const { return m_converter; }

    void HTMLtoPDFDidSucceed(NDHTMLtoPDF& converter) override { finish(converter.PDFpath()); }
    void HTMLtoPDFDidFail(NDHTMLtoPDF& converter) override
    {
        finish(converter.error() ? *converter.error()
                                 : Error{NDHTMLtoPDF::kErrorDomain, 0, "The PDF conversion failed"});
    }

private:
    void finish(Result<std::string> outcome)
    {
        Exporter::Completion completion = std::move(m_completion);
        m_completion = nullptr;
        if (completion)
            completion(std::move(outcome));
    }

    Exporter::Completion m_completion;
    std::shared_ptr<NDHTMLtoPDF> m_converter;
};

} // namespace

PDFExporter::PDFExporter(NDHTMLtoPDFEnvironment environment)
    : m_environment(std::move(environment))
{
}

PDFPageSetup PDFExporter::pageSetup(const ExportSource& source, const ExportRequest& request,
                                    bool tabletClassDevice)
{
    const ExportPreferences& preferences = source.preferences();
    PDFPageSetup setup;
    switch (source.kind()) {
    case DocumentKind::Markdown:
        setup.kind = PDFPageKind::Markdown;
        break;
    case DocumentKind::QVText:
        setup.kind = PDFPageKind::QVText;
        break;
    case DocumentKind::QVOutline:
        setup.kind = PDFPageKind::QVOutline;
        break;
    case DocumentKind::RTF:
    case DocumentKind::TeX:
        setup.kind = PDFPageKind::RichText;
        break;
    }
    ExportSource::PageValues values = source.pageValues(request.openEditor);
    // A file that names its paper prints on it (A4, landscape); others on the
    // page size the user chose.
    setup.pageSize = values.paperSize.value_or(preferences.pageSize.value_or(NDHTMLtoPDF::kUnsetPageSize));
    // A conversion of a listed Markdown file takes the Markdown margins; the
    // browser's requests print with the general ones.
    bool fromBrowser = request.openEditor == ExportSource::OpenEditor::Use;
    const EdgeInsets& markdown = preferences.markdownMargins;
    setup.margins = !fromBrowser && setup.kind == PDFPageKind::Markdown ? markdown : values.margins;
    if (ExportNaming::isLegacyAction(request.action)) {
        setup.sideLeft = 0.79;
        setup.sideRight = 0.74;
    } else if (setup.kind == PDFPageKind::Markdown) {
        setup.sideLeft = markdown.left;
        setup.sideRight = markdown.right;
    } else if (!setup.isQV()) {
        setup.sideLeft = values.margins.left;
        setup.sideRight = values.margins.right;
    }
    setup.paperColor = values.paperColor;
    if (setup.kind == PDFPageKind::Markdown) {
        setup.markdownStyle = MarkdownPageStyle::fromPreferences(preferences, tabletClassDevice);
        // Printed pages that carry the Markdown top and bottom margins on
        // every sheet: the content's own would add them again on the first.
        if (!fromBrowser) {
            setup.markdownStyle.marginTop = 0;
            setup.markdownStyle.marginBottom = 0;
        }
    }
    setup.headerSettings = values.headerSettings;
    setup.footerSettings = values.footerSettings;
    if (setup.kind == PDFPageKind::RichText) {
        setup.documentWidePage = values.documentWidePage;
        setup.firstSection = values.firstSection;
        setup.hyphenated = values.autoHyphenation;
        // Word processors set default stops every half inch where the file
        // names no other distance.
        setup.defaultTabInterval = values.defaultTabWidth > 0 ? values.defaultTabWidth / 20.0 : 36;
        const DKRTFTitlePage::Heads titleHeads = DKRTFTitlePage::read(values.otherHeaderFooterForms.value_or(""));
        setup.titlePage = titleHeads.firstSectionHasTitlePage;
        setup.titlePageHeaderSettings = titleHeads.header;
        setup.titlePageFooterSettings = titleHeads.footer;
        setup.laterTitlePageHeaderSettings = titleHeads.laterHeaders;
        setup.laterTitlePageFooterSettings = titleHeads.laterFooters;
        PDFDocumentHeads::addParagraphs(setup, values.otherHeaderFooterForms.value_or(""));
    }
    return setup;
}

std::shared_ptr<NDHTMLtoPDF> PDFExporter::converter(const ExportTask& task)
{
    auto* pdf = dynamic_cast<const PDFExportTask*>(&task);
    return pdf ? pdf->converter() : nullptr;
}

Result<std::shared_ptr<ExportTask>> PDFExporter::start(const ExportSource& source, ExportRequest request,
                                                       Completion completion)
{
    // A browser request may use the open editor's content and names the RTF
    // reader's document (its pictures); a conversion of a listed file reads
    // the file and takes the Markdown margins for Markdown documents.
    bool fromBrowser = request.openEditor == ExportSource::OpenEditor::Use;
    // A file's pictures travel in the page as data: the conversion writes
    // nothing but the PDF. The open editor's page names its own folder.
    InlinePictureSink inlinePictures(InlinePictureSink::Use::Draw);
    Result<std::string> html = source.HTML(ExportSource::Purpose::Print, request.openEditor, fromBrowser, &inlinePictures);
    if (!html)
        return html.error();
    // A page of tens of megabytes is not laid out before the print gives up
    // on it: the export says so at once instead.
    if (Status fits = DocumentSizeLimits::checkPrintPage(*html, source.displayedName()); !fits)
        return fits.error();
    std::optional<std::string> pictures = AppFolders::existingPictureFolderForDocument(source.pictureDocumentName());
    // The pictures the page names in the document's folder go the same way,
    // so that a huge one reaches the web engine at the size it is drawn.
    if (pictures)
        *html = HTMLPictureInliner::relocatingPictures(*html, *pictures, inlinePictures);
    // After the HTML: the page values come from the same read of the file.
    PDFPageSetup setup = pageSetup(source, request, Device::current().isPad());
    auto task = std::make_shared<PDFExportTask>(std::move(completion));
    NDHTMLtoPDFEnvironment environment = m_environment;
    environment.readableFolders.clear();
    if (pictures)
        environment.readableFolders.push_back(*pictures);
    std::shared_ptr<NDHTMLtoPDF> converter = NDHTMLtoPDF::createPDFWithHTML(
        *html, source.displayedName(), request.outputPath, task.get(), setup, request.action, std::move(environment));
    if (request.pageProgress)
        converter->setPageProgressHandler(std::move(request.pageProgress));
    task->setConverter(std::move(converter));
    return std::shared_ptr<ExportTask>(std::move(task));
}

} // namespace folio
