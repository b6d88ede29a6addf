#include "app/ProgramModule.h"
#include "platform/graphics/DrawingServices.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/graphics/PDFContext.h"

#include <iostream>

namespace folio {

namespace {

// The picture and drawing libraries are built into the module
// "folio-drawing.so" beside the program (from src/platform/drawing and
// src/app/drawing), so that commands that read, write and draw no picture
// start without loading them.
constexpr const char* kDrawingModuleFileName = "folio-drawing.so";
constexpr const char* kDrawingModuleEntryPoint = "folioDrawingServices";
// The domain and code of a picture that cannot be read or written.
constexpr const char* kImageErrorDomain = "Image";
constexpr int kDecodeFailed = 1;
constexpr int kEncodeFailed = 2;
constexpr const char* kGraphicsContextErrorDomain = "GraphicsContext";
constexpr const char* kPDFContextErrorDomain = "PDFContext";
constexpr int kCannotDraw = 5;

// Every request fails, saying why the module could not be opened.
class UnavailableDrawingServices final : public DrawingServices {
public:
    explicit UnavailableDrawingServices(std::string reason) : m_reason(std::move(reason)) {}

    Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>&) override { return decodeError(); }
    Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>&) override { return decodeError(); }
    Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>&) override { return decodeError(); }
    Result<DecodedBitmap> decodeReceivedRows(const std::vector<std::uint8_t>&) override { return decodeError(); }
    Result<std::vector<std::uint8_t>> encodePng(int, int, const std::vector<std::uint8_t>&) override
    {
        return encodeError();
    }
    Result<std::vector<std::uint8_t>> encodeJpeg(int, int, const std::vector<std::uint8_t>&, double) override
    {
        return encodeError();
    }

    Result<std::unique_ptr<GraphicsContext>> imageContext(Size, double) override
    {
        return Error{kGraphicsContextErrorDomain, kCannotDraw, m_reason};
    }
    std::unique_ptr<GraphicsContext> contextDrawingInto(cairo_t*) override { return nullptr; }
    Result<std::unique_ptr<PDFContext>> pdfContext() override
    {
        return Error{kPDFContextErrorDomain, kCannotDraw, m_reason};
    }
    Result<Image::Pointer> imageWithCairoSurface(cairo_surface_t*, double) override { return decodeError(); }
    cairo_surface_t* createCairoSurface(const Image&) override { return nullptr; }
    // Nothing is drawn: the person who ran the command has been told why.
    void drawImageInRect(cairo_t*, const Image&, const Rect&) override {}
    void fontConfigurationChanged() override {}

private:
    Error decodeError() const { return Error{kImageErrorDomain, kDecodeFailed, m_reason}; }
    Error encodeError() const { return Error{kImageErrorDomain, kEncodeFailed, m_reason}; }

    std::string m_reason;
};

DrawingServices& loadDrawingServices()
{
    Result<void*> entry = entryPointOfProgramModule(kDrawingModuleFileName, kDrawingModuleEntryPoint);
    DrawingServices* services = entry ? reinterpret_cast<DrawingServices* (*)()>(*entry)() : nullptr;
    if (services)
        return *services;
    const std::string reason = "pictures cannot be read or written: "
        + (entry ? std::string(kDrawingModuleFileName) + " answered nothing" : entry.error().message);
    // A conversion goes on without the document's pictures, as it does past
    // a picture it cannot read; the person who ran it is told why, once.
    std::cerr << "folio: " << reason << "\n";
    return *new UnavailableDrawingServices(reason);
}

} // namespace

DrawingServices& DrawingServices::shared()
{
    // Opened once, also when several threads ask first.
    static DrawingServices& services = loadDrawingServices();
    return services;
}

} // namespace folio
