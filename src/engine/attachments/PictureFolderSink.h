#pragma once

#include "engine/attachments/HTMLPictureSink.h"

#include <string>

namespace folio {

// Pictures written as files into one folder (made on the first picture),
// each under a new name, so that no picture already there is replaced; the
// src is the file's name after a fixed prefix: the folder's own path for
// the editing page, a path relative to the HTML for an exported file or a
// book.
class PictureFolderSink final : public HTMLPictureSink {
public:
    // Whether the bytes a shown JPEG was made from are kept beside it (as
    // "<name>.data"), so that saving the document again loses nothing.
    enum class Originals { Keep, Drop };

    PictureFolderSink(std::string folder, std::string sourcePrefix, Originals originals);
    // The editing page's: the document's picture folder, named by path.
    static PictureFolderSink forDocument(std::string_view documentName);

    std::optional<std::string> storePicture(const HTMLPicture& picture) override;

    const std::string& folder() const { return m_folder; }
    // Whether a picture has been written (the folder then exists).
    bool hasStoredPictures() const { return m_stored > 0; }

private:
    std::string m_folder;
    std::string m_sourcePrefix;
    Originals m_originals;
    std::size_t m_stored = 0;
};

} // namespace folio
