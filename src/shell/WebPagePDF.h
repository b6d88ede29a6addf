#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <string>

namespace folio {

class WebView;

// A web page printed into a small PDF: its first two pages, square pages of
// 612 points without margins, always at the same place in the temporary
// folder (each conversion replaces the last).
class WebPagePDF {
public:
    static constexpr double kPageSide = 612;
    static constexpr std::size_t kPageCount = 2;
    static constexpr const char* kFileName = "page-print.pdf";

    // The path of the file, or the reason there is none.
    using Completion = std::function<void(Result<std::string>)>;

    WebPagePDF() = delete;

    static std::string path();
    // Prints the page and answers later, on the main thread; the file is
    // replaced only when both pages were drawn, and the intermediate print
    // is removed either way.
    static void convertToPDF(WebView& webView, Completion completion);
};

} // namespace folio
