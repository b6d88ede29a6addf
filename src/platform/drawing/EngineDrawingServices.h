#pragma once

#include "platform/graphics/DrawingServices.h"
#include "platform/graphics/ImageCodec.h"

namespace folio {

// The picture and drawing libraries, in process.
class EngineDrawingServices final : public DrawingServices {
public:
    static EngineDrawingServices& instance();

    Result<DecodedBitmap> decodePng(const std::vector<std::uint8_t>& data) override;
    Result<DecodedBitmap> decodeJpeg(const std::vector<std::uint8_t>& data) override;
    Result<DecodedBitmap> decodeGif(const std::vector<std::uint8_t>& data) override;
    Result<DecodedBitmap> decodeReceivedRows(const std::vector<std::uint8_t>& data) override;
    Result<std::vector<std::uint8_t>> encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) override;
    Result<std::vector<std::uint8_t>> encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                 double quality) override;

    Result<std::unique_ptr<GraphicsContext>> imageContext(Size size, double scale) override;
    std::unique_ptr<GraphicsContext> contextDrawingInto(cairo_t* context) override;
    Result<std::unique_ptr<PDFContext>> pdfContext() override;
    Result<Image::Pointer> imageWithCairoSurface(cairo_surface_t* surface, double scale) override;
    cairo_surface_t* createCairoSurface(const Image& image) override;
    void drawImageInRect(cairo_t* context, const Image& image, const Rect& rect) override;
    void fontConfigurationChanged() override;

private:
    Result<DecodedBitmap> decodeReceivedPngRows(const std::vector<std::uint8_t>& data);
    Result<DecodedBitmap> decodeReceivedJpegRows(const std::vector<std::uint8_t>& data);
};

} // namespace folio
