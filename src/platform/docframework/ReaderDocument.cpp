#include "platform/docframework/ReaderDocument.h"

#include "platform/graphics/GraphicsContext.h"

#include <cairo.h>
#include <poppler.h>

#include <cmath>

namespace folio {

namespace {

Error readerError(ReaderDocument::ErrorCode code, std::string message)
{
    return Error{ReaderDocument::kErrorDomain, code, std::move(message)};
}

struct PageDeleter {
    void operator()(PopplerPage* page) const { g_object_unref(page); }
};

} // namespace

Result<std::shared_ptr<ReaderDocument>> ReaderDocument::withDocumentFilePath(const std::string& path)
{
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
    PopplerDocument* document = uri ? poppler_document_new_from_file(uri, nullptr, &error) : nullptr;
    g_free(uri);
    if (!document) {
        std::string reason = error ? error->message : "not a PDF file";
        if (error)
            g_error_free(error);
        return readerError(UnreadablePDF, "Cannot read " + path + ": " + reason);
    }
    return std::shared_ptr<ReaderDocument>(new ReaderDocument(path, document));
}

ReaderDocument::ReaderDocument(std::string fileURL, PopplerDocument* document)
    : m_fileURL(std::move(fileURL))
    , m_document(document)
    , m_pageCount(static_cast<std::size_t>(std::max(0, poppler_document_get_n_pages(document))))
{
}

ReaderDocument::~ReaderDocument()
{
    g_object_unref(m_document);
}

Result<Size> ReaderDocument::pageSize(std::size_t index) const
{
    if (index >= m_pageCount)
        return readerError(NoSuchPage, m_fileURL + " has no page " + std::to_string(index + 1));
    std::unique_ptr<PopplerPage, PageDeleter> page(poppler_document_get_page(m_document, int(index)));
    if (!page)
        return readerError(NoSuchPage, m_fileURL + " has no page " + std::to_string(index + 1));
    double width = 0;
    double height = 0;
    poppler_page_get_size(page.get(), &width, &height);
    return Size{width, height};
}

Result<Image::Pointer> ReaderDocument::imageOfPage(std::size_t index, double scale) const
{
    Result<Size> size = pageSize(index);
    if (!size)
        return size.error();
    if (!(scale > 0) || !std::isfinite(scale))
        return readerError(DrawingFailed, "Cannot draw a page at scale " + std::to_string(scale));
    Size pixels{std::max(1.0, std::ceil(size->width * scale)), std::max(1.0, std::ceil(size->height * scale))};
    Result<std::unique_ptr<GraphicsContext>> context = GraphicsContext::imageContext(pixels);
    if (!context)
        return context.error();
    cairo_t* cairo = (*context)->cairoContext();
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_paint(cairo);
    cairo_scale(cairo, scale, scale);
    if (Status drawn = drawPage(index, cairo, Purpose::Screen); !drawn)
        return drawn.error();
    return (*context)->makeImage();
}

Status ReaderDocument::drawPage(std::size_t index, cairo_t* context, Purpose purpose) const
{
    std::unique_ptr<PopplerPage, PageDeleter> page(index < m_pageCount ? poppler_document_get_page(m_document, int(index))
                                                                        : nullptr);
    if (!page)
        return readerError(NoSuchPage, m_fileURL + " has no page " + std::to_string(index + 1));
    if (purpose == Purpose::Printing)
        poppler_page_render_for_printing(page.get(), context);
    else
        poppler_page_render(page.get(), context);
    return Status::success();
}

} // namespace folio
