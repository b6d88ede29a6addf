#pragma once

#include <string>
#include <string_view>

namespace folio {

class HTMLPictureSink;

// The open editor's page names its pictures in the program's own picture
// folder, which no other machine has: exported HTML carries them inside it,
// as data URLs, or beside it, the ways other programs' exports do.
class HTMLPictureInliner {
public:
    HTMLPictureInliner() = delete;

    // Every src="..." naming a picture file directly inside `pictureFolder`
    // becomes the picture's data URL; other sources stay as they are.
    static std::string inliningPictures(std::string_view html, const std::string& pictureFolder);
    // The same through any sink: each such picture is stored there and its
    // src becomes what the sink answers.
    static std::string relocatingPictures(std::string_view html, const std::string& pictureFolder,
                                          HTMLPictureSink& pictures);
};

} // namespace folio
