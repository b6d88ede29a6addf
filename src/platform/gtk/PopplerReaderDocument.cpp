#include "platform/gtk/PopplerReaderDocument.h"

#include <cairo.h>
#include <poppler.h>

#include <algorithm>

namespace folio {

namespace {

struct PageDeleter {
    void operator()(PopplerPage* page) const { g_object_unref(page); }
};

} // namespace

Result<std::shared_ptr<ReaderDocument>> PopplerReaderDocument::open(const std::string& path)
{
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
    PopplerDocument* document = uri ? poppler_document_new_from_file(uri, nullptr, &error) : nullptr;
    g_free(uri);
    if (!document) {
        std::string reason = error ? error->message : "not a PDF file";
        if (error)
            g_error_free(error);
        return Error{kErrorDomain, UnreadablePDF, "Cannot read " + path + ": " + reason};
    }
    return std::shared_ptr<ReaderDocument>(new PopplerReaderDocument(path, document));
}

PopplerReaderDocument::PopplerReaderDocument(std::string fileURL, PopplerDocument* document)
    : ReaderDocument(std::move(fileURL), static_cast<std::size_t>(std::max(0, poppler_document_get_n_pages(document))))
    , m_document(document)
{
}

PopplerReaderDocument::~PopplerReaderDocument()
{
    g_object_unref(m_document);
}

Result<Size> PopplerReaderDocument::pageSize(std::size_t index) const
{
    std::unique_ptr<PopplerPage, PageDeleter> page(index < pageCount() ? poppler_document_get_page(m_document, int(index))
                                                                        : nullptr);
    if (!page)
        return noSuchPage(index);
    double width = 0;
    double height = 0;
    poppler_page_get_size(page.get(), &width, &height);
    return Size{width, height};
}

Status PopplerReaderDocument::drawPage(std::size_t index, cairo_t* context, Purpose purpose) const
{
    std::unique_ptr<PopplerPage, PageDeleter> page(index < pageCount() ? poppler_document_get_page(m_document, int(index))
                                                                        : nullptr);
    if (!page)
        return noSuchPage(index);
    if (purpose == Purpose::Printing)
        poppler_page_render_for_printing(page.get(), context);
    else
        poppler_page_render(page.get(), context);
    return Status::success();
}

} // namespace folio
