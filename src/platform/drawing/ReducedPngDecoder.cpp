#include "platform/drawing/ReducedPngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

namespace folio {

namespace {

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset;
};

struct PngFailure {
    std::string message;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->offset < count)
        png_error(png, "the file ends inside the picture");
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
}

[[noreturn]] void failRead(png_structp png, png_const_charp message)
{
    static_cast<PngFailure*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Sums of one output row: alpha and the colours weighted by alpha, so that
// transparent pixels lend no colour to their neighbours.
struct RowSums {
    explicit RowSums(std::size_t width) : sums(width * 4, 0) {}
    void clear() { std::fill(sums.begin(), sums.end(), 0); }
    std::vector<std::uint64_t> sums;
};

} // namespace

Result<DecodedBitmap> ReducedPngDecoder::decode(const std::vector<std::uint8_t>& data, int factor)
{
    PngFailure failure;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, failRead, ignoreWarning);
    if (!png)
        return Error{"Image", 1, "No memory to read the PNG image."};
    png_infop info = png_create_info_struct(png);
    PngSource source{data.data(), data.size(), 0};
    // Owned by plain objects declared before setjmp, so a failure leaks nothing.
    DecodedBitmap bitmap;
    std::vector<std::uint8_t> row;
    RowSums sums(0);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return Error{"Image", 1, "Unreadable PNG image: " + failure.message};
    }
    png_set_read_fn(png, &source, readFromMemory);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Error{"Image", 1, "The interlaced PNG image is too large."};
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        png_error(png, "unexpected pixel format");

    const std::size_t step = std::size_t(factor);
    bitmap.width = int((width + step - 1) / step);
    bitmap.height = int((height + step - 1) / step);
    bitmap.resolution = double(bitmap.width) / width;
    bitmap.pixels.resize(std::size_t(bitmap.width) * bitmap.height * 4);
    row.resize(png_get_rowbytes(png, info));
    sums = RowSums(std::size_t(bitmap.width));

    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (png_uint_32 x = 0; x < width; ++x) {
            const std::uint8_t* pixel = &row[std::size_t(x) * 4];
            std::uint64_t* sum = &sums.sums[(x / step) * 4];
            const std::uint64_t alpha = pixel[3];
            sum[0] += pixel[0] * alpha;
            sum[1] += pixel[1] * alpha;
            sum[2] += pixel[2] * alpha;
            sum[3] += alpha;
        }
        const bool lastOfBlock = (y + 1) % step == 0 || y + 1 == height;
        if (!lastOfBlock)
            continue;
        const std::uint64_t rows = y % step + 1;
        std::uint8_t* out = &bitmap.pixels[std::size_t(y / step) * bitmap.width * 4];
        for (int column = 0; column < bitmap.width; ++column) {
            const std::uint64_t columns = std::min<std::uint64_t>(step, width - std::uint64_t(column) * step);
            const std::uint64_t* sum = &sums.sums[std::size_t(column) * 4];
            const std::uint64_t count = rows * columns;
            std::uint8_t* pixel = out + std::size_t(column) * 4;
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = sum[3] ? std::uint8_t((sum[channel] + sum[3] / 2) / sum[3]) : 0;
            pixel[3] = std::uint8_t((sum[3] + count / 2) / count);
        }
        sums.clear();
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return bitmap;
}

} // namespace folio
