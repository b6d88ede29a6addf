#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Where the editing pages find their scripts: the helper library in
// resources/pages, the third-party components (TinyMCE, jQuery, jQuery UI,
// rangy) in resources/web, all installed beside the program. Pages refer to
// them by file URL, so nothing is ever loaded from the network.
class PageResources {
public:
    // "resources/pages/helpers.js" as a file URL, when installed.
    static std::optional<std::string> helperLibraryURL();
    // A page script or style of our own in resources/pages.
    static std::optional<std::string> pageFileURL(std::string_view fileName);
    // A component file by its path inside resources/web, such as
    // "tinymce/tinymce.min.js".
    static std::optional<std::string> componentURL(std::string_view path);
    // The folder of the components, as a directory file URL: the base of
    // pages whose components load their own parts by relative URL.
    static std::optional<std::string> componentFolderURL();
};

} // namespace folio
