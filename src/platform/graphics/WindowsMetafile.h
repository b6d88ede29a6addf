#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <vector>

namespace folio {

// Windows metafiles, as Word embeds its drawings in RTF, drawn by libwmf's
// converter (Debian's libwmf-bin) into a picture this system can show.
class WindowsMetafile {
public:
    static constexpr const char* kErrorDomain = "WindowsMetafile";
    enum ErrorCode { NoConverter = 1, ConversionFailed = 2 };

    WindowsMetafile() = delete;

    // The metafile's records (with or without a placeable header) drawn as a
    // PNG that fits `size` pixels keeping its proportions. The converter runs
    // in a process of its own, so a damaged metafile costs only its picture.
    static Result<std::vector<std::uint8_t>> pngData(const std::vector<std::uint8_t>& metafile, Size size);
};

} // namespace folio
