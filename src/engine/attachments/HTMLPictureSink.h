#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace folio {

// One picture the HTML writer hands over: the bytes the page shows, in the
// format its extension names, and the bytes the picture came with when they
// differ (a JPEG shown smaller than the original it was made from).
struct HTMLPicture {
    std::string_view extension; // "png" or "jpg"
    std::span<const std::uint8_t> bytes;
    std::span<const std::uint8_t> originalBytes;
};

// Where the pictures of written HTML go, chosen by whoever wants the HTML:
// the editing page keeps them in the document's picture folder, an exported
// file beside itself or inside itself, a book in its own package. The writer
// puts the answered text into the img element's src as it stands.
class HTMLPictureSink {
public:
    virtual ~HTMLPictureSink() = default;

    // The src naming the stored picture; none when it could not be stored
    // (the writer then writes the picture without a source).
    virtual std::optional<std::string> storePicture(const HTMLPicture& picture) = 0;

    // The media type of a picture by the extension the writers give it;
    // empty for any other.
    static std::string_view mimeTypeForExtension(std::string_view extension);
};

} // namespace folio
