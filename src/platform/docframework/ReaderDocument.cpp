#include "platform/docframework/ReaderDocument.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/web/WebServices.h"

#include <cmath>

namespace folio {

Result<std::shared_ptr<ReaderDocument>> ReaderDocument::withDocumentFilePath(const std::string& path)
{
    return WebServices::shared().openReaderDocument(path);
}

ReaderDocument::ReaderDocument(std::string fileURL, std::size_t pageCount)
    : m_fileURL(std::move(fileURL))
    , m_pageCount(pageCount)
{
}

Error ReaderDocument::noSuchPage(std::size_t index) const
{
    return Error{kErrorDomain, NoSuchPage, m_fileURL + " has no page " + std::to_string(index + 1)};
}

Result<Image::Pointer> ReaderDocument::imageOfPage(std::size_t index, double scale) const
{
    Result<Size> size = pageSize(index);
    if (!size)
        return size.error();
    if (!(scale > 0) || !std::isfinite(scale))
        return Error{kErrorDomain, DrawingFailed, "Cannot draw a page at scale " + std::to_string(scale)};
    Size pixels{std::max(1.0, std::ceil(size->width * scale)), std::max(1.0, std::ceil(size->height * scale))};
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(pixels);
    if (!context)
        return context.error();
    // Pages are drawn on white paper, as they would be printed.
    (*context)->setFillColor(Color::colorWithWhite(1));
    (*context)->fillRect(makeRect(0, 0, pixels.width, pixels.height));
    (*context)->scaleCTM(scale, scale);
    if (Status drawn = drawPage(index, (*context)->cairoContext(), Purpose::Screen); !drawn)
        return drawn.error();
    return (*context)->makeImage();
}

} // namespace folio
