#include "platform/graphics/ImageCodec.h"

#include "platform/graphics/DrawingServices.h"

#include <algorithm>
#include <cstring>

namespace folio {

namespace {

const char* const kCodecDomain = "Image";

Error decodeError(const std::string& message) { return Error{kCodecDomain, 1, message}; }

bool startsWith(const std::vector<std::uint8_t>& data, std::initializer_list<std::uint8_t> signature)
{
    return data.size() >= signature.size() && std::equal(signature.begin(), signature.end(), data.begin());
}

std::uint16_t readUint16(const std::uint8_t* at, bool bigEndian)
{
    return bigEndian ? std::uint16_t(at[0] << 8 | at[1]) : std::uint16_t(at[1] << 8 | at[0]);
}

std::uint32_t readUint32(const std::uint8_t* at, bool bigEndian)
{
    return bigEndian ? std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 | at[3]
                     : std::uint32_t(at[3]) << 24 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[1]) << 8 | at[0];
}

} // namespace

Result<DecodedBitmap> ImageCodec::decode(const std::vector<std::uint8_t>& data)
{
    if (startsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return decodePng(data);
    if (startsWith(data, {0xFF, 0xD8, 0xFF}))
        return decodeJpeg(data);
    if (startsWith(data, {'G', 'I', 'F', '8'}))
        return decodeGif(data);
    return decodeError("The data is neither a PNG, a JPEG nor a GIF image.");
}

Result<DecodedBitmap> ImageCodec::decodeReceivedRows(const std::vector<std::uint8_t>& data)
{
    if (!startsWith(data, {0x89, 'P', 'N', 'G'}) && !startsWith(data, {0xFF, 0xD8, 0xFF}))
        return decodeError("The data does not begin as a PNG or JPEG image.");
    return DrawingServices::shared().decodeReceivedRows(data);
}

Result<DecodedBitmap> ImageCodec::decodeGif(const std::vector<std::uint8_t>& data)
{
    return DrawingServices::shared().decodeGif(data);
}

Result<DecodedBitmap> ImageCodec::decodePng(const std::vector<std::uint8_t>& data)
{
    return DrawingServices::shared().decodePng(data);
}

Result<DecodedBitmap> ImageCodec::decodeJpeg(const std::vector<std::uint8_t>& data)
{
    return DrawingServices::shared().decodeJpeg(data);
}

Result<std::vector<std::uint8_t>> ImageCodec::encodePng(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    return DrawingServices::shared().encodePng(width, height, rgba);
}

Result<std::vector<std::uint8_t>> ImageCodec::encodeJpeg(int width, int height, const std::vector<std::uint8_t>& rgba,
                                                        double quality)
{
    return DrawingServices::shared().encodeJpeg(width, height, rgba, quality);
}

bool ImageCodec::hasPngHeader(std::span<const std::uint8_t> data)
{
    static const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    static const std::uint8_t kHeaderChunk[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (data.size() < 8 + 8 + 13 || std::memcmp(data.data(), kSignature, 8) != 0
        || std::memcmp(data.data() + 8, kHeaderChunk, 8) != 0)
        return false;
    return readUint32(data.data() + 16, true) != 0 && readUint32(data.data() + 20, true) != 0;
}

std::optional<Size> ImageCodec::declaredPixelSize(std::span<const std::uint8_t> data)
{
    if (hasPngHeader(data))
        return Size{double(readUint32(data.data() + 16, true)), double(readUint32(data.data() + 20, true))};
    if (data.size() >= 10 && std::memcmp(data.data(), "GIF8", 4) == 0)
        return Size{double(readUint16(data.data() + 6, false)), double(readUint16(data.data() + 8, false))};
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    // A JPEG's size is in its start-of-frame segment; the segments before it
    // are skipped by their lengths.
    std::size_t at = 2;
    while (at + 4 <= data.size()) {
        if (data[at] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const std::size_t length = readUint16(data.data() + at + 2, true);
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 9 > data.size())
                return std::nullopt;
            return Size{double(readUint16(data.data() + at + 7, true)), double(readUint16(data.data() + at + 5, true))};
        }
        if (length < 2)
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<ImageOrientation> ImageCodec::orientationFromExif(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (!data || size < sizeof kExifHeader + 8 || std::memcmp(data, kExifHeader, sizeof kExifHeader) != 0)
        return std::nullopt;
    const std::uint8_t* tiff = data + sizeof kExifHeader;
    std::size_t tiffSize = size - sizeof kExifHeader;
    bool bigEndian;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else
        return std::nullopt;
    if (readUint16(tiff + 2, bigEndian) != 42)
        return std::nullopt;
    std::uint32_t directory = readUint32(tiff + 4, bigEndian);
    if (directory > tiffSize || tiffSize - directory < 2)
        return std::nullopt;
    std::uint16_t entries = readUint16(tiff + directory, bigEndian);
    constexpr std::uint16_t kOrientationTag = 0x0112;
    constexpr std::uint16_t kShortType = 3;
    for (std::uint16_t i = 0; i < entries; ++i) {
        std::size_t entry = std::size_t(directory) + 2 + std::size_t(i) * 12;
        if (entry + 12 > tiffSize)
            return std::nullopt;
        if (readUint16(tiff + entry, bigEndian) != kOrientationTag)
            continue;
        if (readUint16(tiff + entry + 2, bigEndian) != kShortType)
            return std::nullopt;
        // EXIF numbers orientations 1 to 8 by where row 0 and column 0 lie.
        switch (readUint16(tiff + entry + 8, bigEndian)) {
        case 1: return ImageOrientation::Up;
        case 2: return ImageOrientation::UpMirrored;
        case 3: return ImageOrientation::Down;
        case 4: return ImageOrientation::DownMirrored;
        case 5: return ImageOrientation::LeftMirrored;
        case 6: return ImageOrientation::Right;
        case 7: return ImageOrientation::RightMirrored;
        case 8: return ImageOrientation::Left;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace folio
