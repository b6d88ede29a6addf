#include "platform/web/PrintedPDFRenderer.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/PDFContext.h"

#include <cairo.h>
#include <poppler.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

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

// Draws a printed page (none for a blank one) as a new page of the output,
// then whatever goes over it.
Status drawPage(PDFContext& output, PopplerPage* page, const Size& size, std::size_t number,
                const std::function<void(GraphicsContext&)>& drawOver)
{
    GraphicsContext* context = output.beginPage(size);
    if (!context)
        return rendererError(PrintedPDFRenderer::WriteFailed, "Cannot start page " + std::to_string(number));
    cairo_t* cairo = context->cairoContext();
    if (page) {
        cairo_save(cairo);
        poppler_page_render_for_printing(page, cairo);
        cairo_restore(cairo);
    }
    drawOver(*context);
    if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS)
        return rendererError(PrintedPDFRenderer::WriteFailed,
                             std::string("Cannot draw page: ") + cairo_status_to_string(cairo_status(cairo)));
    output.endPage();
    return Status::success();
}

// Draws the printed pages of `pages` (all of them when none are named) into
// a new PDF that replaces the output file once every page is drawn.
Status renderPages(const std::string& printedPDFPath, const std::string& outputPath, std::optional<Range> pages,
                   const PrintedPDFRenderer::PageCallback& pageCallback)
{
    auto document = openDocument(printedPDFPath);
    if (!document)
        return document.error();
    int printedCount = poppler_document_get_n_pages(document->get());
    if (printedCount <= 0)
        return rendererError(PrintedPDFRenderer::NoPages, printedPDFPath + " has no pages");
    Range range = pages.value_or(Range{0, static_cast<std::size_t>(printedCount)});
    if (range.length == 0 || range.location >= static_cast<std::size_t>(printedCount) || range.end() < range.location)
        return rendererError(PrintedPDFRenderer::NoPages, "No page asked for is among the "
                                                              + std::to_string(printedCount) + " of " + printedPDFPath);

    Result<std::unique_ptr<PDFContext>> output = PDFContext::create();
    if (!output)
        return output.error();
    Size lastSize;
    std::unique_ptr<PopplerPage, ObjectDeleter> last(poppler_document_get_page(document->get(), printedCount - 1));
    if (last)
        poppler_page_get_size(last.get(), &lastSize.width, &lastSize.height);
    for (std::size_t index = range.location; index < range.end(); ++index) {
        std::unique_ptr<PopplerPage, ObjectDeleter> page;
        if (index < static_cast<std::size_t>(printedCount)) {
            page.reset(poppler_document_get_page(document->get(), static_cast<int>(index)));
            if (!page)
                return rendererError(PrintedPDFRenderer::UnreadablePDF, "Cannot read page " + std::to_string(index + 1)
                                                                            + " of " + printedPDFPath);
        }
        Size size = lastSize;
        if (page)
            poppler_page_get_size(page.get(), &size.width, &size.height);
        Status drawn = drawPage(**output, page.get(), size, index + 1, [&](GraphicsContext& context) {
            if (pageCallback)
                pageCallback(context, size, index - range.location, range.length);
        });
        if (!drawn)
            return drawn;
    }
    return (*output)->closeToFile(outputPath);
}

} // namespace

Result<std::size_t> PrintedPDFRenderer::pageCount(const std::string& path)
{
    auto document = openDocument(path);
    if (!document)
        return document.error();
    return static_cast<std::size_t>(poppler_document_get_n_pages(document->get()));
}

Result<std::vector<std::size_t>> PrintedPDFRenderer::markPages(const std::string& printedPDFPath, int pixelWidth,
                                                               int pixelHeight)
{
    auto document = openDocument(printedPDFPath);
    if (!document)
        return document.error();
    std::vector<std::size_t> pages;
    const int count = poppler_document_get_n_pages(document->get());
    for (int index = 0; index < count; ++index) {
        std::unique_ptr<PopplerPage, ObjectDeleter> page(poppler_document_get_page(document->get(), index));
        if (!page)
            return rendererError(UnreadablePDF, "Cannot read page " + std::to_string(index + 1) + " of "
                                                    + printedPDFPath);
        GList* images = poppler_page_get_image_mapping(page.get());
        for (GList* item = images; item; item = item->next) {
            const auto* mapping = static_cast<const PopplerImageMapping*>(item->data);
            cairo_surface_t* image = poppler_page_get_image(page.get(), mapping->image_id);
            if (!image)
                continue;
            bool mark = cairo_image_surface_get_width(image) == pixelWidth
                && cairo_image_surface_get_height(image) == pixelHeight
                && cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
            if (mark) {
                // Premultiplied: a wholly transparent pixel is all zeros.
                cairo_surface_flush(image);
                const unsigned char* data = cairo_image_surface_get_data(image);
                const int stride = cairo_image_surface_get_stride(image);
                for (int row = 0; mark && data && row < pixelHeight; ++row) {
                    for (int byte = 0; mark && byte < pixelWidth * 4; ++byte)
                        mark = data[row * stride + byte] == 0;
                }
                mark = mark && data;
            }
            cairo_surface_destroy(image);
            if (mark)
                pages.push_back(static_cast<std::size_t>(index));
        }
        poppler_page_free_image_mapping(images);
    }
    return pages;
}

Status PrintedPDFRenderer::renderToFile(const std::string& printedPDFPath, const std::string& outputPath,
                                        const PageCallback& pageCallback)
{
    return renderPages(printedPDFPath, outputPath, std::nullopt, pageCallback);
}

Status PrintedPDFRenderer::renderPageRangeToFile(const std::string& printedPDFPath, const std::string& outputPath,
                                                 Range pages)
{
    return renderPages(printedPDFPath, outputPath, pages, {});
}

Status PrintedPDFRenderer::renderPartsToFile(const std::vector<PrintedPart>& parts, const std::string& outputPath,
                                             const PartPageCallback& pageCallback)
{
    // Every page's place is known before the first is drawn: each carries
    // the total count.
    struct PlacedPage {
        std::size_t part = 0;
        // In its part's print; none for a blank page.
        std::optional<int> printed;
    };
    std::vector<std::unique_ptr<PopplerDocument, ObjectDeleter>> documents;
    std::vector<PlacedPage> placed;
    for (std::size_t part = 0; part < parts.size(); ++part) {
        auto document = openDocument(parts[part].path);
        if (!document)
            return document.error();
        int count = poppler_document_get_n_pages(document->get());
        if (count <= 0)
            return rendererError(NoPages, parts[part].path + " has no pages");
        const bool nextIsOdd = placed.size() % 2 == 0;
        const FirstPage wanted = parts[part].firstPage;
        if (!placed.empty() && ((wanted == FirstPage::Odd && !nextIsOdd) || (wanted == FirstPage::Even && nextIsOdd)))
            placed.push_back({placed.back().part, std::nullopt});
        for (int page = 0; page < count; ++page)
            placed.push_back({part, page});
        documents.push_back(std::move(*document));
    }
    if (placed.empty())
        return rendererError(NoPages, "No printed pages to join");

    Result<std::unique_ptr<PDFContext>> output = PDFContext::create();
    if (!output)
        return output.error();
    Size previous;
    for (std::size_t index = 0; index < placed.size(); ++index) {
        const PlacedPage& where = placed[index];
        std::unique_ptr<PopplerPage, ObjectDeleter> page;
        if (where.printed) {
            page.reset(poppler_document_get_page(documents[where.part].get(), *where.printed));
            if (!page)
                return rendererError(UnreadablePDF, "Cannot read page " + std::to_string(*where.printed + 1) + " of "
                                                        + parts[where.part].path);
        }
        Size size = previous;
        if (page)
            poppler_page_get_size(page.get(), &size.width, &size.height);
        previous = size;
        Status drawn = drawPage(**output, page.get(), size, index + 1, [&](GraphicsContext& context) {
            if (pageCallback)
                pageCallback(context, size, index, placed.size(), where.part);
        });
        if (!drawn)
            return drawn;
    }
    return (*output)->closeToFile(outputPath);
}

} // namespace folio
