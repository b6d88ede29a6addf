#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// Every folder the application uses hangs off one root: $FOLIO_HOME when it is
// set (tests, portable installs), else the user's XDG folders. Each folder is
// created on first use. Paths are UTF-8 without a trailing slash.
class AppFolders {
public:
    static std::string documentsFolder();
    static std::string documentDataFolder();
    // NOTE: named, not made: pages and exports only look for fonts there,
    // and the browser makes it when it lists it for the user to fill.
    static std::string customFontsFolder();
    static std::string cachesFolder();
    static std::string temporaryFolder();
    static std::string configFolder();
    // Where the user keeps pictures: "Pictures" under $FOLIO_HOME, else the
    // desktop's pictures folder. Not created here; whoever saves there does.
    static std::string userPicturesFolder();

    // The folder holding a document's pictures: the document's file name
    // without its extension, cleaned, inside the document data folder (or the
    // temporary folder when the pictures are for an export). Created when
    // missing; the path is answered even when creation fails, so that the
    // caller's write reports the problem.
    static std::string pictureFolderForDocument(std::string_view documentName, bool useTemporaryFolder = false);
    // The same folder (never the temporary one) when it exists, made by
    // nobody here: for conversions, which read a document's pictures but
    // leave the program's folders as they found them.
    static std::optional<std::string> existingPictureFolderForDocument(std::string_view documentName);
    // The name an open document's pictures are filed under: its cleaned file
    // name and a digest of its canonical path, so that documents of the same
    // name in different folders never share pictures. It has no extension
    // for pictureFolderForDocument to strip.
    static std::string pictureDocumentName(std::string_view documentPath);

    // Keeps letters, digits and " ?()$&@-" after trimming white space and line ends.
    static std::string sanitizeFileName(std::string_view name);
};

} // namespace folio
