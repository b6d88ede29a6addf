#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Decides what a "myFont://NAME" request of a page gets: a font file found by
// its relative name in one of a fixed list of folders (the application's own
// fonts, the user's custom fonts), or a refusal. Pages are documents from
// anywhere, so a name that climbs out of those folders, or names anything
// but a font file, is refused.
class FontSchemeResolver {
public:
    // The scheme as pages write it; URL parsing lower-cases it.
    static constexpr const char* kScheme = "myfont";
    static constexpr const char* kErrorDomain = "FontScheme";
    enum ErrorCode { InvalidName = 1, NotAFont = 2, NotFound = 3 };

    struct FontFile {
        std::string path;
        std::string contentType;
    };

    // Folders are searched in order; the first that holds the name wins.
    explicit FontSchemeResolver(std::vector<std::string> folders);

    // The application's font resources, then the custom-fonts folder's
    // "CustomFonts" subfolder (where imported fonts are kept), then the
    // custom-fonts folder itself.
    static std::vector<std::string> defaultFolders();

    const std::vector<std::string>& folders() const { return m_folders; }

    // `url` is the whole request URL ("myfont://Cochin.ttf"); query and
    // fragment are ignored, escapes decoded.
    Result<FontFile> resolve(std::string_view url) const;

    // "font/ttf" and friends by file extension (any case); empty when the
    // extension is not a font's.
    static std::string contentTypeForFileName(std::string_view name);

private:
    std::vector<std::string> m_folders;
};

} // namespace folio
