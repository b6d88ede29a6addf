#include "platform/drawing/CairoPDFContext.h"

#include <cairo-pdf.h>
#include <cairo.h>

namespace folio {

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// Cairo wants a size when the surface is made; each page sets its own.
constexpr double kLetterWidth = 612;
constexpr double kLetterHeight = 792;

} // namespace

Result<std::unique_ptr<PDFContext>> CairoPDFContext::create()
{
    std::unique_ptr<CairoPDFContext> context(new CairoPDFContext);
    context->m_surface =
        cairo_pdf_surface_create_for_stream(appendBytes, &context->m_bytes, kLetterWidth, kLetterHeight);
    if (cairo_surface_status(context->m_surface) != CAIRO_STATUS_SUCCESS)
        return Error{"PDFContext", 1, cairo_status_to_string(cairo_surface_status(context->m_surface))};
    return std::unique_ptr<PDFContext>(std::move(context));
}

CairoPDFContext::~CairoPDFContext()
{
    m_page.reset();
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

GraphicsContext* CairoPDFContext::beginPage(Size size)
{
    if (m_closed || !(size.width > 0) || !(size.height > 0))
        return nullptr;
    if (m_page)
        endPage();
    cairo_pdf_surface_set_size(m_surface, size.width, size.height);
    cairo_t* cairo = cairo_create(m_surface);
    m_page = std::make_unique<CairoGraphicsContext>(cairo);
    cairo_destroy(cairo);
    return m_page.get();
}

void CairoPDFContext::endPage()
{
    if (!m_page)
        return;
    cairo_show_page(m_page->cairoContext());
    m_page.reset();
    ++m_pageCount;
}

Result<std::vector<std::uint8_t>> CairoPDFContext::close()
{
    if (m_closed)
        return Error{"PDFContext", 2, "The PDF document is already closed."};
    endPage();
    m_closed = true;
    if (m_pageCount == 0)
        return Error{"PDFContext", 3, "The PDF document has no pages."};
    cairo_surface_finish(m_surface);
    cairo_status_t status = cairo_surface_status(m_surface);
    if (status != CAIRO_STATUS_SUCCESS)
        return Error{"PDFContext", 4, cairo_status_to_string(status)};
    return std::move(m_bytes);
}

} // namespace folio
