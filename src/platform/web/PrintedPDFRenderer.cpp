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

// A cairo tag attribute's string value: quotes and backslashes escaped.
std::string quotedTagValue(const char* text)
{
    std::string quoted = "'";
    for (const char* c = text; c && *c; ++c) {
        if (*c == '\'' || *c == '\\')
            quoted += '\\';
        quoted += *c;
    }
    return quoted + "'";
}

// Which output page (counted from 1) shows the print's page `printedPage`
// (counted from 1); none where the output leaves it out.
using OutputPageOf = std::function<std::optional<std::size_t>(int printedPage)>;

// The printed page's links over the same areas of the drawn one, shrunk by
// `scale` as the page is: an address stays an address, and a place in the
// print points to the same place on the output page that shows it.
void carryLinks(cairo_t* cairo, PopplerDocument* document, PopplerPage* page, double scale,
                const OutputPageOf& outputPageOf)
{
    double height = 0;
    poppler_page_get_size(page, nullptr, &height);
    GList* links = poppler_page_get_link_mapping(page);
    for (GList* item = links; item; item = item->next) {
        const auto* mapping = static_cast<const PopplerLinkMapping*>(item->data);
        const PopplerAction* action = mapping->action;
        if (!action)
            continue;
        // Poppler's areas count up from the page's foot; cairo's down from its top.
        const double x = std::min(mapping->area.x1, mapping->area.x2) * scale;
        const double y = (height - std::max(mapping->area.y1, mapping->area.y2)) * scale;
        const double w = std::abs(mapping->area.x2 - mapping->area.x1) * scale;
        const double h = std::abs(mapping->area.y2 - mapping->area.y1) * scale;
        std::string attributes = "rect=[" + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w)
            + " " + std::to_string(h) + "] ";
        if (action->type == POPPLER_ACTION_URI && action->uri.uri) {
            attributes += "uri=" + quotedTagValue(action->uri.uri);
        } else if (action->type == POPPLER_ACTION_GOTO_DEST && action->goto_dest.dest && outputPageOf) {
            PopplerDest* dest = action->goto_dest.dest;
            PopplerDest* found = dest->type == POPPLER_DEST_NAMED && dest->named_dest
                ? poppler_document_find_dest(document, dest->named_dest)
                : nullptr;
            const PopplerDest* place = found ? found : dest;
            const std::optional<std::size_t> target =
                place->type == POPPLER_DEST_NAMED ? std::nullopt : outputPageOf(place->page_num);
            if (!target) {
                if (found)
                    poppler_dest_free(found);
                continue;
            }
            attributes += "page=" + std::to_string(*target);
            if (place->change_top)
                attributes += " pos=[" + std::to_string(place->change_left ? place->left * scale : 0) + " "
                    + std::to_string((height - place->top) * scale) + "]";
            if (found)
                poppler_dest_free(found);
        } else {
            continue;
        }
        cairo_tag_begin(cairo, CAIRO_TAG_LINK, attributes.c_str());
        cairo_tag_end(cairo, CAIRO_TAG_LINK);
    }
    poppler_page_free_link_mapping(links);
}

// How a printed page is drawn: shrunk by `scale` where it was printed that
// much larger.
struct PrintedPageDrawing {
    PopplerDocument* document = nullptr;
    PopplerPage* page = nullptr;
    double scale = 1;
    OutputPageOf outputPageOf;
};

// Draws a printed page (none for a blank one) as a new page of the output,
// then whatever goes over it.
Status drawPage(PDFContext& output, const PrintedPageDrawing& printed, const Size& size, std::size_t number,
                const std::function<void(GraphicsContext&)>& drawOver)
{
    GraphicsContext* context = output.beginPage(size);
    if (!context)
        return rendererError(PrintedPDFRenderer::WriteFailed, "Cannot start page " + std::to_string(number));
    cairo_t* cairo = context->cairoContext();
    if (printed.page) {
        cairo_save(cairo);
        if (printed.scale != 1)
            cairo_scale(cairo, printed.scale, printed.scale);
        poppler_page_render_for_printing(printed.page, cairo);
        cairo_restore(cairo);
        carryLinks(cairo, printed.document, printed.page, printed.scale, printed.outputPageOf);
    }
    drawOver(*context);
    if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS)
        return rendererError(PrintedPDFRenderer::WriteFailed,
                             std::string("Cannot draw page: ") + cairo_status_to_string(cairo_status(cairo)));
    output.endPage();
    return Status::success();
}

// How the pages of a print are drawn: `scale` times their printed size, or
// on `paper` where it is given.
struct PrintedPagesScale {
    double scale = 1;
    std::optional<Size> paper;
};

// Draws the printed pages of `pages` (all of them when none are named) into
// a new PDF that replaces the output file once every page is drawn.
Status renderPages(const std::string& printedPDFPath, const std::string& outputPath, std::optional<Range> pages,
                   const PrintedPDFRenderer::PageCallback& pageCallback, const PrintedPagesScale& scaled = {})
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
        size = scaled.paper.value_or(Size{size.width * scaled.scale, size.height * scaled.scale});
        PrintedPageDrawing drawing{document->get(), page.get(), scaled.scale, [range](int printedPage) {
                                       const auto index = static_cast<std::size_t>(printedPage - 1);
                                       return printedPage >= 1 && index >= range.location && index < range.end()
                                           ? std::optional<std::size_t>(index - range.location + 1)
                                           : std::nullopt;
                                   }};
        Status drawn = drawPage(**output, drawing, size, index + 1, [&](GraphicsContext& context) {
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

Status PrintedPDFRenderer::renderReducedToFile(const std::string& printedPDFPath, const std::string& outputPath,
                                               const Size& paper, double magnification)
{
    if (!(magnification > 0))
        return rendererError(WriteFailed, "Cannot shrink a print magnified " + std::to_string(magnification) + " times");
    return renderPages(printedPDFPath, outputPath, std::nullopt, {}, {1 / magnification, paper});
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
        PrintedPageDrawing drawing{documents[where.part].get(), page.get(), 1, [&placed, &where](int printedPage) {
                                       // A part's pages stand together, in order.
                                       for (std::size_t at = 0; at < placed.size(); ++at) {
                                           if (placed[at].part == where.part && placed[at].printed == printedPage - 1)
                                               return std::optional<std::size_t>(at + 1);
                                       }
                                       return std::optional<std::size_t>();
                                   }};
        Status drawn = drawPage(**output, drawing, size, index + 1, [&](GraphicsContext& context) {
            if (pageCallback)
                pageCallback(context, size, index, placed.size(), where.part);
        });
        if (!drawn)
            return drawn;
    }
    return (*output)->closeToFile(outputPath);
}

} // namespace folio
