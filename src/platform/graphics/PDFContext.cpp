#include "platform/graphics/PDFContext.h"

#include "platform/foundation/Data.h"
#include "platform/graphics/DrawingServices.h"

namespace folio {

Result<std::unique_ptr<PDFContext>> PDFContext::create() { return DrawingServices::shared().pdfContext(); }

Status PDFContext::closeToFile(const std::string& path)
{
    Result<std::vector<std::uint8_t>> bytes = close();
    if (!bytes)
        return bytes.error();
    return Data(std::move(*bytes)).writeToFile(path);
}

} // namespace folio
