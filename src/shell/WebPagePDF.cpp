#include "shell/WebPagePDF.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/UUID.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebView.h"

#include <filesystem>

namespace folio {

std::string WebPagePDF::path()
{
    return AppFolders::temporaryFolder() + "/" + kFileName;
}

void WebPagePDF::convertToPDF(WebView& webView, Completion completion)
{
    std::string output = path();
    // The engine prints every page; only the first two are kept.
    std::string printed = AppFolders::temporaryFolder() + "/page-print-" + makeUUIDString() + ".pdf";
    webView.printToPDF(printed, Size{kPageSide, kPageSide}, EdgeInsets{},
                       [printed, output, completion = std::move(completion)](Status status) {
                           if (status)
                               status = WebServices::shared().renderPrintedPDFPages(printed, output,
                                                                                    Range{0, kPageCount});
                           std::error_code ignored;
                           std::filesystem::remove(printed, ignored);
                           if (!completion)
                               return;
                           if (status)
                               completion(output);
                           else
                               completion(status.error());
                       });
}

} // namespace folio
