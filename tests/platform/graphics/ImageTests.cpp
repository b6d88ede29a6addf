#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"

#include <cairo.h>
#include <cstdio>
#include <jpeglib.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace folio {
namespace {

// A bitmap whose every pixel is different, so any misplaced pixel shows.
std::vector<std::uint8_t> gradientPixels(int width, int height, bool withAlpha)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(std::uint8_t(x * 255 / std::max(1, width - 1)));
            pixels.push_back(std::uint8_t(y * 255 / std::max(1, height - 1)));
            pixels.push_back(std::uint8_t((x + y) * 7 % 256));
            pixels.push_back(withAlpha ? std::uint8_t(255 - (x * 3 + y) % 200) : 255);
        }
    }
    return pixels;
}

Image::Pointer makeImage(int width, int height, ImageOrientation orientation = ImageOrientation::Up,
                         bool withAlpha = false)
{
    auto image = Image::imageWithPixels(width, height, gradientPixels(width, height, withAlpha), 1, orientation);
    EXPECT_TRUE(image);
    return *image;
}

// Inserts an EXIF APP1 segment holding only an orientation right after the JPEG's SOI marker.
std::vector<std::uint8_t> withExifOrientation(std::vector<std::uint8_t> jpeg, int exifOrientation, bool bigEndian)
{
    std::vector<std::uint8_t> tiff = bigEndian ? std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12,
                                                                        0, 3, 0, 0, 0, 1, 0, std::uint8_t(exifOrientation),
                                                                        0, 0, 0, 0, 0, 0}
                                               : std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01,
                                                                        3, 0, 1, 0, 0, 0, std::uint8_t(exifOrientation),
                                                                        0, 0, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> segment{'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    std::size_t length = segment.size() + 2;
    std::vector<std::uint8_t> header{0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)};
    header.insert(header.end(), segment.begin(), segment.end());
    jpeg.insert(jpeg.begin() + 2, header.begin(), header.end());
    return jpeg;
}

int firstLuminanceQuantizer(const std::vector<std::uint8_t>& jpeg)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    int value = info.quant_tbl_ptrs[0]->quantval[0];
    jpeg_destroy_decompress(&info);
    return value;
}

TEST(ImageTests, pngRoundTripKeepsEveryPixelAndAlpha)
{
    Image::Pointer image = makeImage(17, 9, ImageOrientation::Up, true);
    auto png = image->pngData();
    ASSERT_TRUE(png) << png.error().message;
    auto decoded = Image::imageWithData(*png);
    ASSERT_TRUE(decoded) << decoded.error().message;
    EXPECT_EQ((*decoded)->pixelWidth(), 17);
    EXPECT_EQ((*decoded)->pixelHeight(), 9);
    EXPECT_EQ((*decoded)->rgbaPixels(), image->rgbaPixels());
    EXPECT_FALSE((*decoded)->isOpaque());
}

TEST(ImageTests, jpegRoundTripStaysCloseToTheOriginal)
{
    Image::Pointer image = makeImage(32, 24);
    auto jpeg = image->jpegData(0.9);
    ASSERT_TRUE(jpeg) << jpeg.error().message;
    auto decoded = Image::imageWithData(*jpeg);
    ASSERT_TRUE(decoded) << decoded.error().message;
    ASSERT_EQ((*decoded)->pixelSize(), image->pixelSize());
    EXPECT_TRUE((*decoded)->isOpaque());
    long totalError = 0;
    for (std::size_t i = 0; i < image->rgbaPixels().size(); ++i)
        totalError += std::abs(int(image->rgbaPixels()[i]) - int((*decoded)->rgbaPixels()[i]));
    double meanError = double(totalError) / image->rgbaPixels().size();
    EXPECT_LT(meanError, 6.0);
}

// Red on the left half, blue on the right, the top left corner holding one
// opaque red pixel among three transparent ones (of another colour), so
// that an average can be told from a careless one.
std::vector<std::uint8_t> halvesPixels(int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &pixels[(std::size_t(y) * width + x) * 4];
            bool left = x < width / 2;
            pixel[0] = left ? 200 : 30;
            pixel[1] = 30;
            pixel[2] = left ? 30 : 200;
            pixel[3] = 255;
        }
    }
    for (int at : {1, width, width + 1}) {
        std::uint8_t* pixel = &pixels[std::size_t(at) * 4];
        pixel[0] = pixel[1] = pixel[2] = 255;
        pixel[3] = 0;
    }
    return pixels;
}

TEST(ImageTests, picturesBeyondTheDecodedSizeComeSmallerAndKeepTheirSize)
{
    // Just over the limit: decoded at half the size along each side.
    const int width = 4200, height = 4100;
    ASSERT_GT(std::uint64_t(width) * height, DecodedBitmap::kMaxPixels);
    auto png = ImageCodec::encodePng(width, height, halvesPixels(width, height));
    ASSERT_TRUE(png) << png.error().message;
    auto fromPng = Image::imageWithData(*png);
    ASSERT_TRUE(fromPng) << fromPng.error().message;
    const Image& reduced = **fromPng;
    EXPECT_EQ(reduced.pixelSize(), (Size{2100, 2050}));
    EXPECT_LE(std::uint64_t(reduced.pixelWidth()) * reduced.pixelHeight(), DecodedBitmap::kMaxPixels);
    EXPECT_EQ(reduced.size(), (Size{4200, 4100})) << "the picture keeps its size in points";
    EXPECT_EQ(reduced.pixelAt(500, 1000), (Rgba8{200, 30, 30, 255}));
    EXPECT_EQ(reduced.pixelAt(1049, 1000), (Rgba8{200, 30, 30, 255}));
    EXPECT_EQ(reduced.pixelAt(1050, 1000), (Rgba8{30, 30, 200, 255}));
    EXPECT_EQ(reduced.pixelAt(2099, 2049), (Rgba8{30, 30, 200, 255}));
    // Transparent pixels thin the corner out but lend it none of their colour.
    EXPECT_EQ(reduced.pixelAt(0, 0), (Rgba8{200, 30, 30, 64}));

    // A JPEG is decoded smaller by libjpeg itself.
    auto jpeg = ImageCodec::encodeJpeg(width, height, halvesPixels(width, height), 0.9);
    ASSERT_TRUE(jpeg) << jpeg.error().message;
    auto fromJpeg = Image::imageWithData(*jpeg);
    ASSERT_TRUE(fromJpeg) << fromJpeg.error().message;
    EXPECT_EQ((*fromJpeg)->pixelSize(), (Size{2100, 2050}));
    EXPECT_EQ((*fromJpeg)->size(), (Size{4200, 4100}));
    Rgba8 left = (*fromJpeg)->pixelAt(500, 1000), right = (*fromJpeg)->pixelAt(1600, 1000);
    EXPECT_NEAR(left.r, 200, 6);
    EXPECT_NEAR(left.b, 30, 6);
    EXPECT_NEAR(right.r, 30, 6);
    EXPECT_NEAR(right.b, 200, 6);
}

TEST(ImageTests, truncatedHugePngIsAnErrorNotAPartialPicture)
{
    const int width = 4200, height = 4100;
    auto png = ImageCodec::encodePng(width, height, halvesPixels(width, height));
    ASSERT_TRUE(png) << png.error().message;
    png->resize(png->size() / 2);
    auto decoded = Image::imageWithData(*png);
    ASSERT_FALSE(decoded);
    EXPECT_NE(decoded.error().message.find("PNG"), std::string::npos) << decoded.error().message;
}

TEST(ImageTests, theRowsReceivedSoFarDecodeAsTheWholeFileWouldDecodeThem)
{
    Image::Pointer picture = makeImage(40, 96);
    for (const std::vector<std::uint8_t>& file : {*picture->pngData(), *picture->jpegData(0.9)}) {
        Result<DecodedBitmap> whole = ImageCodec::decode(file);
        ASSERT_TRUE(whole);
        Result<DecodedBitmap> complete = ImageCodec::decodeReceivedRows(file);
        ASSERT_TRUE(complete);
        EXPECT_EQ(complete->height, 96);
        EXPECT_EQ(complete->pixels, whole->pixels);

        std::vector<std::uint8_t> first(file.begin(), file.begin() + std::ptrdiff_t(file.size() * 2 / 3));
        Result<DecodedBitmap> partial = ImageCodec::decodeReceivedRows(first);
        ASSERT_TRUE(partial) << partial.error().message;
        EXPECT_EQ(partial->width, 40);
        EXPECT_GT(partial->height, 0) << (file[0] == 0x89 ? "PNG" : "JPEG") << " of " << file.size() << " bytes";
        EXPECT_LT(partial->height, 96);
        ASSERT_EQ(partial->pixels.size(), std::size_t(40) * partial->height * 4);
        EXPECT_TRUE(std::equal(partial->pixels.begin(), partial->pixels.end(), whole->pixels.begin()));

        // Before the header is whole there is nothing to show.
        EXPECT_FALSE(ImageCodec::decodeReceivedRows(std::vector<std::uint8_t>(file.begin(), file.begin() + 12)));
    }
    EXPECT_FALSE(ImageCodec::decodeReceivedRows({'G', 'I', 'F', '8', '9', 'a'}));
}

TEST(ImageTests, declaredPixelSizeIsReadFromTheHeaderAlone)
{
    Image::Pointer image = makeImage(37, 21);
    auto png = image->pngData();
    ASSERT_TRUE(png);
    EXPECT_EQ(ImageCodec::declaredPixelSize(*png), (Size{37, 21}));
    EXPECT_TRUE(ImageCodec::hasPngHeader(*png));
    // The frame comes after an EXIF segment, whose length is skipped.
    auto jpeg = image->jpegData(0.8);
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(ImageCodec::declaredPixelSize(withExifOrientation(*jpeg, 6, true)), (Size{37, 21}));
    const std::vector<std::uint8_t> gif{'G', 'I', 'F', '8', '9', 'a', 0x10, 0x01, 0x02, 0x00, 0, 0, 0};
    EXPECT_EQ(ImageCodec::declaredPixelSize(gif), (Size{272, 2}));

    std::vector<std::uint8_t> cut(png->begin(), png->begin() + 20);
    EXPECT_EQ(ImageCodec::declaredPixelSize(cut), std::nullopt);
    EXPECT_FALSE(ImageCodec::hasPngHeader(cut));
    std::vector<std::uint8_t> jpegWithoutFrame(jpeg->begin(), jpeg->begin() + 2);
    jpegWithoutFrame.insert(jpegWithoutFrame.end(), {0xFF, 0xE0, 0x00, 0x01});
    EXPECT_EQ(ImageCodec::declaredPixelSize(jpegWithoutFrame), std::nullopt);
    EXPECT_EQ(ImageCodec::declaredPixelSize(std::vector<std::uint8_t>{'B', 'M', 0, 0}), std::nullopt);
}

TEST(ImageTests, jpegQualityIsLibjpegQualityInHundredths)
{
    Image::Pointer image = makeImage(16, 16);
    // At quality 50 libjpeg uses its standard tables unscaled (first entry 16);
    // at 100 every quantizer is 1.
    EXPECT_EQ(firstLuminanceQuantizer(*image->jpegData(0.5)), 16);
    EXPECT_EQ(firstLuminanceQuantizer(*image->jpegData(1.0)), 1);
    EXPECT_EQ(firstLuminanceQuantizer(*image->jpegData(0.25)), 32);
    EXPECT_FALSE(image->jpegData(std::nan("")));
}

TEST(ImageTests, readsExifOrientationFromJpeg)
{
    Image::Pointer image = makeImage(8, 4);
    std::vector<std::uint8_t> plain = *image->jpegData(0.9);
    struct Case {
        int exif;
        ImageOrientation expected;
    };
    for (bool bigEndian : {true, false}) {
        for (Case c : {Case{1, ImageOrientation::Up}, Case{3, ImageOrientation::Down}, Case{6, ImageOrientation::Right},
                       Case{8, ImageOrientation::Left}, Case{2, ImageOrientation::UpMirrored},
                       Case{5, ImageOrientation::LeftMirrored}, Case{7, ImageOrientation::RightMirrored}}) {
            auto decoded = Image::imageWithData(withExifOrientation(plain, c.exif, bigEndian));
            ASSERT_TRUE(decoded) << decoded.error().message;
            EXPECT_EQ((*decoded)->orientation(), c.expected) << "EXIF " << c.exif;
            EXPECT_EQ((*decoded)->pixelWidth(), 8);
        }
    }
    auto right = Image::imageWithData(withExifOrientation(plain, 6, true));
    EXPECT_EQ((*right)->size(), (Size{4, 8}));
}

TEST(ImageTests, ignoresMalformedExif)
{
    const std::uint8_t badOffset[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0};
    EXPECT_FALSE(ImageCodec::orientationFromExif(badOffset, sizeof badOffset));
    // The directory claims more entries than the block holds.
    const std::uint8_t truncated[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0x40, 0, 0x12, 0x01};
    EXPECT_FALSE(ImageCodec::orientationFromExif(truncated, sizeof truncated));
    const std::uint8_t notExif[] = {'J', 'F', 'I', 'F', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
    EXPECT_FALSE(ImageCodec::orientationFromExif(notExif, sizeof notExif));
    Image::Pointer image = makeImage(8, 4);
    auto outOfRange = Image::imageWithData(withExifOrientation(*image->jpegData(0.8), 9, false));
    ASSERT_TRUE(outOfRange);
    EXPECT_EQ((*outOfRange)->orientation(), ImageOrientation::Up);
}

TEST(ImageTests, refusesDataThatIsNotAnImage)
{
    Image::Pointer image = makeImage(20, 20);
    std::vector<std::uint8_t> png = *image->pngData();
    std::vector<std::uint8_t> jpeg = *image->jpegData(0.7);

    EXPECT_FALSE(Image::imageWithData({}));
    EXPECT_FALSE(Image::imageWithData({'G', 'I', 'F', '8', '9', 'a'}));
    EXPECT_FALSE(Image::imageWithData(std::vector<std::uint8_t>(png.begin(), png.begin() + png.size() / 2)));
    EXPECT_FALSE(Image::imageWithData(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20)));
    // Cut inside the scan data, where libjpeg itself would only warn.
    std::vector<std::uint8_t> largeJpeg = *makeImage(64, 64)->jpegData(0.9);
    auto truncatedJpeg = Image::imageWithData(std::vector<std::uint8_t>(largeJpeg.begin(), largeJpeg.end() - 200));
    ASSERT_FALSE(truncatedJpeg);
    EXPECT_NE(truncatedJpeg.error().message.find("truncated"), std::string::npos) << truncatedJpeg.error().message;
    std::vector<std::uint8_t> corruptPng = png;
    for (std::size_t i = 40; i < corruptPng.size(); i += 3)
        corruptPng[i] ^= 0x5A;
    auto refused = Image::imageWithData(corruptPng);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().domain, "Image");
    EXPECT_FALSE(refused.error().message.empty());
    EXPECT_FALSE(Image::imageWithContentsOfFile("/nonexistent/picture.png"));
    EXPECT_FALSE(Image::imageWithPixels(2, 2, std::vector<std::uint8_t>(15)));
    EXPECT_FALSE(Image::imageWithPixels(0, 2, {}));
}

TEST(ImageTests, turnsSidewaysBitmapsUpright)
{
    // A 3 x 2 bitmap shown turned right is 2 wide and 3 high; its first row
    // becomes the right-hand column, read top to bottom.
    Image::Pointer right = makeImage(3, 2, ImageOrientation::Right);
    EXPECT_EQ(right->size(), (Size{2, 3}));
    auto upright = right->uprightImage(2, 3);
    ASSERT_TRUE(upright) << upright.error().message;
    EXPECT_EQ((*upright)->orientation(), ImageOrientation::Up);
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ((*upright)->pixelAt(1 - y, x), right->pixelAt(x, y)) << x << "," << y;
    }

    Image::Pointer left = makeImage(3, 2, ImageOrientation::Left);
    auto leftUpright = left->uprightImage(2, 3);
    ASSERT_TRUE(leftUpright);
    for (int x = 0; x < 3; ++x) {
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ((*leftUpright)->pixelAt(y, 2 - x), left->pixelAt(x, y)) << x << "," << y;
    }

    Image::Pointer mirrored = makeImage(3, 2, ImageOrientation::UpMirrored);
    auto flipped = mirrored->uprightImage(3, 2);
    ASSERT_TRUE(flipped);
    EXPECT_EQ((*flipped)->pixelAt(0, 1), mirrored->pixelAt(2, 1));
}

TEST(ImageTests, turnsWhileScalingToo)
{
    // Two pixels side by side, red then blue: turned right, red is on top; turned left, at the bottom.
    std::vector<std::uint8_t> pixels{255, 0, 0, 255, 0, 0, 255, 255};
    for (auto [orientation, topIsRed] : {std::pair{ImageOrientation::Right, true}, std::pair{ImageOrientation::Left, false},
                                         std::pair{ImageOrientation::RightMirrored, false},
                                         std::pair{ImageOrientation::LeftMirrored, true}}) {
        auto image = Image::imageWithPixels(2, 1, pixels, 1, orientation);
        ASSERT_TRUE(image);
        auto upright = (*image)->uprightImage(10, 20);
        ASSERT_TRUE(upright) << upright.error().message;
        Rgba8 red{255, 0, 0, 255}, blue{0, 0, 255, 255};
        EXPECT_EQ((*upright)->pixelAt(5, 2), topIsRed ? red : blue) << int(orientation);
        EXPECT_EQ((*upright)->pixelAt(5, 17), topIsRed ? blue : red) << int(orientation);
    }
}

TEST(ImageTests, encodingWritesTheUprightPicture)
{
    Image::Pointer down = makeImage(4, 3, ImageOrientation::Down);
    auto decoded = Image::imageWithData(*down->pngData());
    ASSERT_TRUE(decoded);
    EXPECT_EQ((*decoded)->orientation(), ImageOrientation::Up);
    EXPECT_EQ((*decoded)->pixelAt(0, 0), down->pixelAt(3, 2));
    EXPECT_EQ((*decoded)->pixelAt(3, 2), down->pixelAt(0, 0));

    Image::Pointer sideways = makeImage(6, 2, ImageOrientation::Left);
    auto jpeg = Image::imageWithData(*sideways->jpegData(0.8));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ((*jpeg)->pixelSize(), (Size{2, 6}));
}

TEST(ImageTests, scalesTheBitmapAndKeepsOrientationAndScale)
{
    auto image = Image::imageWithPixels(4, 2, gradientPixels(4, 2, false), 2, ImageOrientation::Right);
    ASSERT_TRUE(image);
    EXPECT_EQ((*image)->size(), (Size{1, 2}));
    auto scaled = (*image)->scaledImage(8, 4);
    ASSERT_TRUE(scaled);
    EXPECT_EQ((*scaled)->pixelSize(), (Size{8, 4}));
    EXPECT_EQ((*scaled)->orientation(), ImageOrientation::Right);
    EXPECT_EQ((*scaled)->scale(), 2);
    // Corners stay where they were: scaling does not turn the bitmap.
    EXPECT_EQ((*scaled)->pixelAt(0, 0), (*image)->pixelAt(0, 0));
    EXPECT_EQ((*scaled)->pixelAt(7, 3), (*image)->pixelAt(3, 1));
    EXPECT_FALSE((*image)->scaledImage(0, 4));
}

TEST(ImageTests, drawsIntoACairoSurface)
{
    std::vector<std::uint8_t> red;
    for (int i = 0; i < 4; ++i)
        red.insert(red.end(), {255, 0, 0, 255});
    auto image = Image::imageWithPixels(2, 2, red);
    ASSERT_TRUE(image);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10);
    cairo_t* context = cairo_create(surface);
    (*image)->drawInRect(context, makeRect(2, 2, 4, 4));
    cairo_destroy(context);
    auto drawn = Image::imageWithCairoSurface(surface);
    cairo_surface_destroy(surface);
    ASSERT_TRUE(drawn);
    EXPECT_EQ((*drawn)->pixelAt(3, 3), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*drawn)->pixelAt(5, 5), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ((*drawn)->pixelAt(1, 1).a, 0);
    EXPECT_EQ((*drawn)->pixelAt(6, 6).a, 0);
}

// A picture drawn upright at another size keeps the scale it was made at.
TEST(ImageTests, uprightPicturesKeepTheirScale)
{
    std::vector<std::uint8_t> red(2 * 3 * 4);
    for (std::size_t i = 0; i < red.size(); i += 4)
        red[i] = 255, red[i + 3] = 255;
    auto image = Image::imageWithPixels(2, 3, red, 2, ImageOrientation::Left);
    ASSERT_TRUE(image);
    auto upright = (*image)->uprightImage(6, 4);
    ASSERT_TRUE(upright) << upright.error().message;
    EXPECT_EQ((*upright)->pixelSize(), (Size{6, 4}));
    EXPECT_EQ((*upright)->scale(), 2);
    EXPECT_EQ((*upright)->orientation(), ImageOrientation::Up);
    EXPECT_EQ((*upright)->pixelAt(3, 2), (Rgba8{255, 0, 0, 255}));
}

} // namespace
} // namespace folio
