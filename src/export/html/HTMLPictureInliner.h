#pragma once

#include <functional>
#include <optional>
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
    // Every src="data:..." holding a picture is stored through the sink and
    // its src becomes what the sink answers: a QV page carries its pictures
    // as data URLs, which a package of files must hold as files. A PNG, JPEG
    // or GIF is stored as it is, any other picture as PNG; what does not
    // decode as a picture stays as it is. A page without one, as most are,
    // is handed back as it came, not copied.
    static std::string filingDataPictures(std::string html, HTMLPictureSink& pictures);

private:
    // Each src value after `marker` (which begins with src=") becomes what
    // `replacement` answers for it, or stays as it is when it answers none.
    static std::string replacingSources(
        std::string_view html, std::string_view marker,
        const std::function<std::optional<std::string>(std::string_view source)>& replacement);
};

} // namespace folio
