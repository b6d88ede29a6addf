// The page the PDF export hands the web engine, written to a file, so that
// bench/compare.sh can give another HTML-to-PDF program the very page Folio
// prints: the document's HTML in the print template, with its style and
// fonts. No web view is made; the page is all that is wanted.
#include "app/MarkdownConverterRegistration.h"
#include "delivery/ExportPreferencesReader.h"
#include "export/ExportSource.h"
#include "export/pdf/PDFExporter.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebView.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: print_page DOCUMENT PAGE.html\n";
        return 2;
    }
    folio::registerMarkdownConverter();
    folio::NDHTMLtoPDFEnvironment environment;
    environment.webViewFactory = [](const folio::Rect&) -> folio::Result<std::unique_ptr<folio::WebView>> {
        return folio::Error{"print_page", 1, "the page alone is wanted"};
    };
    folio::PDFExporter exporter(environment);
    folio::ExportSource source(argv[1], std::nullopt,
                               folio::ExportPreferencesReader::read(folio::UserDefaults::standardUserDefaults()));
    folio::ExportRequest request;
    request.outputPath = (std::filesystem::temp_directory_path() / "print_page-unused.pdf").string();
    auto task = exporter.start(source, std::move(request), [](folio::Result<std::string>) {});
    if (!task) {
        std::cerr << "print_page: " << task.error().message << "\n";
        return 1;
    }
    std::shared_ptr<folio::NDHTMLtoPDF> converter = folio::PDFExporter::converter(**task);
    if (!converter) {
        std::cerr << "print_page: no page was made\n";
        return 1;
    }
    if (auto written = folio::FileManager::writeAtomically(argv[2], converter->HTML()); !written) {
        std::cerr << "print_page: " << written.error().message << "\n";
        return 1;
    }
    return 0;
}
