#include "platform/web/PrintedPDFRenderer.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PDFContext.h"

#include <cairo.h>
#include <poppler.h>

#include <filesystem>
#include <memory>

namespace folio {

namespace {

Error rendererError(PrintedPDFRenderer::ErrorCode code, std::string message)
{
    return Error{PrintedPDFRenderer::kErrorDomain, code, std::move(message)};
}

struct ObjectDeleter {
    void operator()(void* object) const { g_object_unref(object); }
};

Result<std::unique_ptr<PopplerDocument, ObjectDeleter>> openDocument(const std::string& path)
{
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(std::filesystem::absolute(path).c_str(), nullptr, &error);
    if (!uri) {
        std::string message = error ? error->message : "invalid path";
        if (error)
            g_error_free(error);
        return rendererError(PrintedPDFRenderer::UnreadablePDF, "Cannot read " + path + ": " + message);
    }
    PopplerDocument* document = poppler_document_new_from_file(uri, nullptr, &error);
    g_free(uri);
    if (!document) {
        std::string message = error ? error->message : "not a PDF";
        if (error)
            g_error_free(error);
        return rendererError(PrintedPDFRenderer::UnreadablePDF, "Cannot read " + path + ": " + message);
    }
    return std::unique_ptr<PopplerDocument, ObjectDeleter>(document);
}

} // namespace

Result<std::size_t> PrintedPDFRenderer::pageCount(const std::string& path)
{
    auto document = openDocument(path);
    if (!document)
        return document.error();
    return static_cast<std::size_t>(poppler_document_get_n_pages(document->get()));
}

Status PrintedPDFRenderer::renderToFile(const std::string& printedPDFPath, const std::string& outputPath,
                                        const PageCallback& pageCallback)
{
    auto document = openDocument(printedPDFPath);
    if (!document)
        return document.error();
    int count = poppler_document_get_n_pages(document->get());
    if (count <= 0)
        return rendererError(NoPages, printedPDFPath + " has no pages");

    Result<std::unique_ptr<PDFContext>> output = PDFContext::create();
    if (!output)
        return output.error();
    for (int index = 0; index < count; ++index) {
        std::unique_ptr<PopplerPage, ObjectDeleter> page(poppler_document_get_page(document->get(), index));
        if (!page)
            return rendererError(UnreadablePDF, "Cannot read page " + std::to_string(index + 1) + " of "
                                                    + printedPDFPath);
        Size size;
        poppler_page_get_size(page.get(), &size.width, &size.height);
        GraphicsContext* context = (*output)->beginPage(size);
        if (!context)
            return rendererError(WriteFailed, "Cannot start page " + std::to_string(index + 1));
        cairo_t* cairo = context->cairoContext();
        cairo_save(cairo);
        poppler_page_render_for_printing(page.get(), cairo);
        cairo_restore(cairo);
        if (pageCallback)
            pageCallback(cairo, size, static_cast<std::size_t>(index), static_cast<std::size_t>(count));
        if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS)
            return rendererError(WriteFailed, std::string("Cannot draw page: ") + cairo_status_to_string(cairo_status(cairo)));
        (*output)->endPage();
    }
    return (*output)->closeToFile(outputPath);
}

} // namespace folio
