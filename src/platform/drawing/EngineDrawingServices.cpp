#include "platform/drawing/EngineDrawingServices.h"

#include "platform/drawing/ReducedPngDecoder.h"
#include "platform/graphics/ImageCodec.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <png.h>
// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <limits>
#include <memory>

namespace folio {

namespace {

const char* const kDrawingDomain = "Image";

// Refuses pictures too large to read in a few seconds, even decoded smaller;
// a corrupt header can claim any size.
constexpr std::uint64_t kMaxPicturePixels = 1ull << 28;

// The smallest whole factor that brings the picture within the pixels a
// decoded bitmap may have.
int reductionFactor(std::uint64_t width, std::uint64_t height)
{
    int factor = 1;
    while (((width + factor - 1) / factor) * ((height + factor - 1) / factor) > DecodedBitmap::kMaxPixels)
        ++factor;
    return factor;
}

Error decodeError(const std::string& message) { return Error{kDrawingDomain, 1, message}; }
Error encodeError(const std::string& message) { return Error{kDrawingDomain, 2, message}; }

// libjpeg reports fatal errors through a callback that must not return.
struct JpegErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated = false;
};

void jpegErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// libjpeg decodes a truncated file by filling the rest with grey and only warns;
// that would be a partial picture passed off as the whole, so it is noted here
// and refused. Other warnings (stray bytes between markers) are harmless.
void jpegNoteWarning(j_common_ptr info, int level)
{
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        errors->truncated = true;
}

// What libpng's progressive reader has made of the bytes received so far:
// it hands over each row as soon as the bytes for it are there.
struct ReceivedPng {
    DecodedBitmap bitmap;
    int rows = 0;
    int passes = 1;
    bool headerRead = false;
    bool tooLarge = false;
};

void receivedPngHeader(png_structp png, png_infop info)
{
    auto* received = static_cast<ReceivedPng*>(png_get_progressive_ptr(png));
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (std::uint64_t(width) * height > DecodedBitmap::kMaxPixels) {
        received->tooLarge = true;
        png_error(png, "The PNG image is too large to show while it arrives.");
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    received->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    received->bitmap.width = int(width);
    received->bitmap.height = int(height);
    received->bitmap.pixels.resize(std::size_t(width) * height * 4);
    received->headerRead = true;
}

void receivedPngRow(png_structp png, png_bytep row, png_uint_32 number, int)
{
    auto* received = static_cast<ReceivedPng*>(png_get_progressive_ptr(png));
    if (!row || number >= png_uint_32(received->bitmap.height))
        return;
    png_progressive_combine_row(png, received->bitmap.pixels.data() + std::size_t(number) * received->bitmap.width * 4,
                                row);
    // An interlaced picture's rows are whole only after the last pass.
    if (received->passes == 1)
        received->rows = std::max(received->rows, int(number) + 1);
}

void receivedPngEnd(png_structp png, png_infop)
{
    auto* received = static_cast<ReceivedPng*>(png_get_progressive_ptr(png));
    received->rows = received->bitmap.height;
}

void stopReadingPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignorePngWarning(png_structp, png_const_charp) {}

} // namespace

EngineDrawingServices& EngineDrawingServices::instance()
{
    static EngineDrawingServices services;
    return services;
}

Result<DecodedBitmap> EngineDrawingServices::decodeGif(const std::vector<std::uint8_t>& data)
{
    // GIF is read, never written: gdk-pixbuf's loader gives the first frame.
    // It decodes the whole picture before it could make it smaller, so a
    // picture beyond the decoded size is refused; its logical screen size
    // (bytes 6 to 9, little-endian) is the size of the frame it makes.
    if (data.size() >= 10) {
        const std::uint64_t width = data[6] | data[7] << 8, height = data[8] | data[9] << 8;
        if (width * height > DecodedBitmap::kMaxPixels)
            return decodeError("The GIF image is too large.");
    }
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("gif", nullptr);
    if (!loader)
        return decodeError("No GIF decoder is installed.");
    GError* error = nullptr;
    const bool written = gdk_pixbuf_loader_write(loader, data.data(), data.size(), &error) &&
                         gdk_pixbuf_loader_close(loader, &error);
    GdkPixbuf* pixbuf = written ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (!pixbuf) {
        std::string message = error ? error->message : "no picture";
        if (error)
            g_error_free(error);
        g_object_unref(loader);
        return decodeError("Unreadable GIF image: " + message);
    }
    DecodedBitmap bitmap;
    bitmap.width = gdk_pixbuf_get_width(pixbuf);
    bitmap.height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    bitmap.pixels.reserve(static_cast<std::size_t>(bitmap.width) * bitmap.height * 4);
    for (int row = 0; row < bitmap.height; ++row) {
        const guchar* pixel = pixels + static_cast<std::ptrdiff_t>(row) * stride;
        for (int column = 0; column < bitmap.width; ++column, pixel += channels) {
            bitmap.pixels.insert(bitmap.pixels.end(), {pixel[0], pixel[1], pixel[2]});
            bitmap.pixels.push_back(channels == 4 ? pixel[3] : 0xFF);
        }
    }
    if (error)
        g_error_free(error);
    g_object_unref(loader);
    return bitmap;
}

Result<DecodedBitmap> EngineDrawingServices::decodePng(const std::vector<std::uint8_t>& data)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size()))
        return decodeError(std::string("Unreadable PNG image: ") + image.message);
    if (std::uint64_t(image.width) * image.height > kMaxPicturePixels) {
        png_image_free(&image);
        return decodeError("The PNG image is too large.");
    }
    if (int factor = reductionFactor(image.width, image.height); factor > 1) {
        png_image_free(&image);
        return ReducedPngDecoder::decode(data, factor);
    }
    image.format = PNG_FORMAT_RGBA;
    DecodedBitmap bitmap;
    bitmap.width = int(image.width);
    bitmap.height = int(image.height);
    bitmap.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bitmap.pixels.data(), 0, nullptr)) {
        std::string message = image.message;
        png_image_free(&image);
        return decodeError("Unreadable PNG image: " + message);
    }
    return bitmap;
}

Result<DecodedBitmap> EngineDrawingServices::decodeJpeg(const std::vector<std::uint8_t>& data)
{
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegNoteWarning;
    // Everything the longjmp could skip is declared before setjmp and owned by
    // plain objects, so nothing leaks when libjpeg gives up.
    DecodedBitmap bitmap;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return decodeError(std::string("Unreadable JPEG image: ") + errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);

    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1)
            continue;
        if (auto orientation = ImageCodec::orientationFromExif(marker->data, marker->data_length)) {
            bitmap.orientation = *orientation;
            break;
        }
    }
    if (std::uint64_t(info.image_width) * info.image_height > kMaxPicturePixels) {
        jpeg_destroy_decompress(&info);
        return decodeError("The JPEG image is too large.");
    }
    info.out_color_space = JCS_EXT_RGBA;
    // libjpeg decodes a half, a quarter or an eighth of the size directly,
    // and faster than the whole.
    jpeg_calc_output_dimensions(&info);
    for (unsigned denominator = 2;
         denominator <= 8 && std::uint64_t(info.output_width) * info.output_height > DecodedBitmap::kMaxPixels;
         denominator *= 2) {
        info.scale_num = 1;
        info.scale_denom = denominator;
        jpeg_calc_output_dimensions(&info);
    }
    jpeg_start_decompress(&info);
    bitmap.width = int(info.output_width);
    bitmap.height = int(info.output_height);
    bitmap.resolution = double(info.output_width) / info.image_width;
    bitmap.pixels.resize(std::size_t(bitmap.width) * bitmap.height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = bitmap.pixels.data() + std::size_t(info.output_scanline) * bitmap.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (errors.truncated)
        return decodeError("The JPEG image is truncated.");
    return bitmap;
}

Result<DecodedBitmap> EngineDrawingServices::decodeReceivedRows(const std::vector<std::uint8_t>& data)
{
    if (data.size() >= 4 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G')
        return decodeReceivedPngRows(data);
    return decodeReceivedJpegRows(data);
}

Result<DecodedBitmap> EngineDrawingServices::decodeReceivedPngRows(const std::vector<std::uint8_t>& data)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopReadingPng, ignorePngWarning);
    if (!png)
        return decodeError("No PNG decoder could be made.");
    png_infop info = png_create_info_struct(png);
    // Kept on the heap, where the jump out of libpng cannot leave it stale.
    auto received = std::make_unique<ReceivedPng>();
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (received->tooLarge)
            return decodeError("The PNG image is too large to show while it arrives.");
        return decodeError("The PNG image is damaged.");
    }
    png_set_progressive_read_fn(png, received.get(), receivedPngHeader, receivedPngRow, receivedPngEnd);
    png_process_data(png, info, const_cast<png_bytep>(data.data()), data.size());
    png_destroy_read_struct(&png, &info, nullptr);
    if (!received->headerRead)
        return decodeError("The PNG image's header has not arrived yet.");
    DecodedBitmap bitmap = std::move(received->bitmap);
    bitmap.height = received->rows;
    bitmap.pixels.resize(std::size_t(bitmap.width) * bitmap.height * 4);
    return bitmap;
}

Result<DecodedBitmap> EngineDrawingServices::decodeReceivedJpegRows(const std::vector<std::uint8_t>& data)
{
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegNoteWarning;
    DecodedBitmap bitmap;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return decodeError(std::string("The JPEG image's header has not arrived yet: ") + errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (errors.truncated || std::uint64_t(info.image_width) * info.image_height > DecodedBitmap::kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return decodeError("The JPEG image cannot be shown while it arrives.");
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    bitmap.width = int(info.output_width);
    bitmap.pixels.resize(std::size_t(bitmap.width) * info.output_height * 4);
    // libjpeg fills what is missing with grey and warns; the rows decoded
    // before the warning are the picture's own.
    int rows = 0;
    while (!errors.truncated && info.output_scanline < info.output_height) {
        JSAMPROW row = bitmap.pixels.data() + std::size_t(info.output_scanline) * bitmap.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
        if (!errors.truncated)
            rows = int(info.output_scanline);
    }
    // A progressive picture is read whole before its first row: truncated, it shows none.
    if (jpeg_has_multiple_scans(&info) && errors.truncated)
        rows = 0;
    jpeg_destroy_decompress(&info);
    bitmap.height = rows;
    bitmap.pixels.resize(std::size_t(bitmap.width) * bitmap.height * 4);
    return bitmap;
}

Result<std::vector<std::uint8_t>> EngineDrawingServices::encodePng(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != std::size_t(width) * height * 4)
        return encodeError("Cannot encode an empty or inconsistent bitmap as PNG.");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, rgba.data(), 0, nullptr))
        return encodeError(std::string("PNG encoding failed: ") + image.message);
    std::vector<std::uint8_t> data(size);
    if (!png_image_write_to_memory(&image, data.data(), &size, 0, rgba.data(), 0, nullptr))
        return encodeError(std::string("PNG encoding failed: ") + image.message);
    data.resize(size);
    return data;
}

Result<std::vector<std::uint8_t>> EngineDrawingServices::encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                         double quality)
{
    if (width <= 0 || height <= 0 || rgba.size() != std::size_t(width) * height * 4)
        return encodeError("Cannot encode an empty or inconsistent bitmap as JPEG.");
    if (!std::isfinite(quality))
        return encodeError("The JPEG quality is not a number.");
    int libjpegQuality = int(std::lround(std::clamp(quality, 0.0, 1.0) * 100));

    jpeg_compress_struct info;
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegNoteWarning;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return encodeError(std::string("JPEG encoding failed: ") + errors.message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    // JPEG has no alpha; the fourth byte of each pixel is skipped.
    info.input_components = 4;
    info.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, libjpegQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(rgba.data() + std::size_t(info.next_scanline) * width * 4);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> data(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return data;
}

} // namespace folio
