#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Where attachment content may come from. HTML reaching the reader can be
// pasted or crafted, so sources are checked here before anything is read:
// pictures come only from data URLs or from files inside the document's own
// folder, and media frames never get a script URL.
class TEAttachmentSource {
public:
    static constexpr const char* kErrorDomain = "TEAttachmentSource";
    enum ErrorCode { Empty = 1, NotAFile = 2, OutsideFolder = 3, Unreadable = 4 };

    TEAttachmentSource() = delete;

    // The bytes of a "data:" URL, white space and line ends ignored: Base64
    // when the header ends with ";base64", else percent-encoded. A URL that
    // does not read that way is tried once more as the Base64 text after
    // "base64,". Nothing when no bytes come out.
    static std::optional<std::vector<std::uint8_t>> bytesOfDataURL(std::u16string_view source);

    // The file an img src names. A relative src lies in the document data
    // folder; an absolute path or "file:" URL is taken as it is. Refused: ".."
    // anywhere in the path, any other scheme, and any file (symbolic links
    // followed) outside `confiningFolder`, or outside the document data folder
    // when none is given.
    static Result<std::string> resolvePictureFile(std::u16string_view source,
                                                  const std::optional<std::string>& confiningFolder);

    // A video, iframe or object source relative to `base`. Only web and file
    // URLs (and relative ones without a base) are kept: a "javascript:" frame
    // would run in the editing page.
    static std::optional<URL> mediaURL(std::u16string_view source, const std::optional<URL>& base);
};

} // namespace folio
