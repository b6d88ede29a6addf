#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace folio {

struct DecodedBitmap;
class GraphicsContext;
class PDFContext;

// What only the picture and drawing libraries provide: PNG (libpng), JPEG
// (libjpeg) and GIF (gdk-pixbuf) coding, and drawing on bitmaps and PDF pages
// (cairo, pango). The program opens them with the module "folio-drawing.so"
// the first time a picture is read or written or something is drawn, so that
// commands that do neither start without loading them; tests and benchmarks
// link them (platform/drawing) and get EngineDrawingServices in process.
// ImageCodec, GraphicsContext, PDFContext and Image are the ways in; their
// errors are the ones these give.
class DrawingServices {
public:
    virtual ~DrawingServices() = default;

    virtual Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>& data) = 0;
    // The rows from the top of a PNG or JPEG picture that the first bytes of
    // its file hold (see ImageCodec::decodeReceivedRows).
    virtual Result<DecodedBitmap> decodeReceivedRows(const std::vector<std::uint8_t>& data) = 0;
    virtual Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) = 0;
    virtual Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                         double quality) = 0;

    virtual Result<std::unique_ptr<GraphicsContext>> imageContext(Size size, double scale) = 0;
    // Null when there is nothing to draw with.
    virtual std::unique_ptr<GraphicsContext> contextDrawingInto(cairo_t* context) = 0;
    virtual Result<std::unique_ptr<PDFContext>> pdfContext() = 0;
    virtual Result<Image::Pointer> imageWithCairoSurface(cairo_surface_t* surface, double scale) = 0;
    // Null when there is nothing to draw with.
    virtual cairo_surface_t* createCairoSurface(const Image& image) = 0;
    virtual void drawImageInRect(cairo_t* context, const Image& image, const Rect& rect) = 0;
    // The fonts fontconfig knows have changed (a font file was added): text
    // drawn from now on sees them.
    virtual void fontConfigurationChanged() = 0;

    // The process's services, from any thread; when they cannot be loaded,
    // every request fails saying why.
    static DrawingServices& shared();
};

} // namespace folio
