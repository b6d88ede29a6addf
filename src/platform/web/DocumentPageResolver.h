#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <string_view>
#include <vector>

namespace folio {

// Decides what a document page may read. Document pages (exports, previews)
// are loaded with a "folio-page:" base URL whose path is the file-system path
// the page's relative links resolve against, so a picture "x/a.png" becomes
// "folio-page:///DocumentData/x/a.png". Such a request gets the file only
// when it lies inside one of the page's readable folders (the document's own
// picture folder, the application's resources); everything else, and every
// "file:" URL, is out of reach of a page whose origin is not a file.
class DocumentPageResolver {
public:
    static constexpr const char* kScheme = "folio-page";
    static constexpr const char* kErrorDomain = "DocumentPage";
    enum ErrorCode { InvalidURL = 1, OutsideFolders = 2, NotFound = 3 };

    struct PageFile {
        std::string path;
    };

    explicit DocumentPageResolver(std::vector<std::string> folders);

    const std::vector<std::string>& folders() const { return m_folders; }

    // The document page's base URL for a base URL its caller gave: a file URL
    // keeps its path under the page scheme; anything else (also empty) gives
    // the scheme's root, where nothing relative resolves to a readable file.
    static std::string pageBaseURL(std::string_view baseURL);

    // `url` is a whole request URL ("folio-page:///folder/a.png"); query and
    // fragment are ignored, escapes decoded.
    Result<PageFile> resolve(std::string_view url) const;

private:
    std::vector<std::string> m_folders;
};

} // namespace folio
