#include "platform/foundation/Deflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace folio {

namespace {

// zlib counts in uInt; feed large buffers in slices it can take.
constexpr std::size_t kSlice = 1u << 30;
constexpr int kWindowBits = 15;

int windowBits(Deflate::Framing framing)
{
    // zlib reads a negative window size as "no wrapper".
    return framing == Deflate::Framing::Raw ? -kWindowBits : kWindowBits;
}

Error deflateError(int code, const std::string& message)
{
    return Error{Deflate::kErrorDomain, code, message};
}

} // namespace

Result<Data> Deflate::compress(std::span<const std::uint8_t> bytes, int level, Framing framing)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits(framing), 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return deflateError(Failed, "Cannot start compression");
    std::vector<std::uint8_t> output;
    std::uint8_t buffer[64 * 1024];
    std::size_t offset = 0;
    int result = Z_OK;
    do {
        std::size_t slice = std::min(kSlice, bytes.size() - offset);
        stream.next_in = const_cast<Bytef*>(bytes.data() + offset);
        stream.avail_in = static_cast<uInt>(slice);
        offset += slice;
        int flush = offset == bytes.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = buffer;
            stream.avail_out = sizeof buffer;
            result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) {
                deflateEnd(&stream);
                return deflateError(Failed, "Compression failed");
            }
            output.insert(output.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    } while (result != Z_STREAM_END);
    deflateEnd(&stream);
    return Data(std::move(output));
}

namespace {

// Inflates into a vector of bytes or a string.
template <typename Output>
Result<Output> inflated(std::span<const std::uint8_t> bytes, std::size_t maximumSize, Deflate::Framing framing)
{
    z_stream stream{};
    if (inflateInit2(&stream, windowBits(framing)) != Z_OK)
        return deflateError(Deflate::Failed, "Cannot start decompression");
    Output output;
    // Text packs to a quarter or a fifth of its size: room for more than
    // that from the start spares the copies and fresh pages of growing a
    // page of megabytes from nothing (pages never written are never
    // touched).
    constexpr std::size_t kExpectedRatio = 8;
    output.reserve(std::min(maximumSize, bytes.size() < SIZE_MAX / kExpectedRatio ? bytes.size() * kExpectedRatio : SIZE_MAX));
    // zlib writes straight into the output, made longer a step at a time
    // just ahead of it: copying through a buffer cost as much as inflating.
    // One byte past the limit tells an output that would exceed it.
    constexpr std::size_t kGrowthStep = 256 * 1024;
    const std::size_t room = maximumSize == SIZE_MAX ? SIZE_MAX : maximumSize + 1;
    std::size_t produced = 0;
    std::size_t offset = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (stream.avail_in == 0 && offset < bytes.size()) {
            std::size_t slice = std::min(kSlice, bytes.size() - offset);
            stream.next_in = const_cast<Bytef*>(bytes.data() + offset);
            stream.avail_in = static_cast<uInt>(slice);
            offset += slice;
        }
        if (produced == output.size())
            output.resize(produced + std::min(kGrowthStep, room - produced));
        const std::size_t free = std::min<std::size_t>(output.size() - produced, UINT_MAX);
        stream.next_out = reinterpret_cast<Bytef*>(output.data()) + produced;
        stream.avail_out = static_cast<uInt>(free);
        result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_MEM_ERROR || result == Z_STREAM_ERROR) {
            inflateEnd(&stream);
            return deflateError(Deflate::CorruptInput, "The compressed data are damaged");
        }
        produced += free - stream.avail_out;
        if (produced > maximumSize) {
            inflateEnd(&stream);
            return deflateError(Deflate::TooLarge, "The decompressed data would exceed " + std::to_string(maximumSize) + " bytes");
        }
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && offset == bytes.size()) {
            inflateEnd(&stream);
            return deflateError(Deflate::Truncated, "The compressed data end too early");
        }
    }
    output.resize(produced);
    inflateEnd(&stream);
    return output;
}

} // namespace

Result<Data> Deflate::decompress(std::span<const std::uint8_t> bytes, std::size_t maximumSize, Framing framing)
{
    Result<std::vector<std::uint8_t>> bytesOut = inflated<std::vector<std::uint8_t>>(bytes, maximumSize, framing);
    if (!bytesOut)
        return bytesOut.error();
    return Data(std::move(*bytesOut));
}

Result<std::string> Deflate::decompressText(std::span<const std::uint8_t> bytes, std::size_t maximumSize,
                                            Framing framing)
{
    return inflated<std::string>(bytes, maximumSize, framing);
}

} // namespace folio
