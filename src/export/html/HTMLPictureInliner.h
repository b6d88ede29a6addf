#pragma once

#include <string>
#include <string_view>

namespace folio {

// Exported HTML carries its pictures inside it, as data URLs, the way other
// programs' single-file exports do: the files the page names lie in the
// program's own picture folder, which no other machine has and which an
// export of a closed document removes once it is done.
class HTMLPictureInliner {
public:
    HTMLPictureInliner() = delete;

    // Every src="..." naming a picture file directly inside `pictureFolder`
    // becomes the picture's data URL; other sources stay as they are.
    static std::string inliningPictures(std::string_view html, const std::string& pictureFolder);
};

} // namespace folio
