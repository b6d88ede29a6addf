#include "export/pdf/PDFExporter.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/UserDefaults.h"

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

EdgeInsets PDFExporter::margins(const UserDefaults& defaults, bool markdownSettings)
{
    const char* prefix = markdownSettings ? "markdownPageMargin" : "marquentPageMargin";
    auto read = [&](const char* side) {
        return static_cast<double>(defaults.floatForKey(std::string(prefix) + side).value_or(0));
    };
    return {read("Top"), read("Left"), read("Bottom"), read("Right")};
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
    Result<std::string> html = source.HTML(ExportSource::Purpose::Print, request.openEditor, fromBrowser);
    if (!html)
        return html.error();
    UserDefaults& defaults = m_environment.defaults ? *m_environment.defaults : UserDefaults::standardUserDefaults();
    bool markdownMargins = !fromBrowser && source.kind() == DocumentKind::Markdown;
    // Read after the source: reading RTF stores the document's own margins.
    EdgeInsets pageMargins = margins(defaults, markdownMargins);
    auto task = std::make_shared<PDFExportTask>(std::move(completion));
    NDHTMLtoPDFEnvironment environment = m_environment;
    environment.defaults = &defaults;
    environment.readableFolders = {AppFolders::pictureFolderForDocument(source.fileName())};
    std::shared_ptr<NDHTMLtoPDF> converter =
        NDHTMLtoPDF::createPDFWithHTML(*html, source.displayedName(), request.outputPath, task.get(), {612, 810},
                                       pageMargins, request.PDFAction, source.fileType(), std::move(environment));
    if (request.pageProgress)
        converter->setPageProgressHandler(std::move(request.pageProgress));
    task->setConverter(std::move(converter));
    return std::shared_ptr<ExportTask>(std::move(task));
}

} // namespace folio
