#pragma once

#include "engine/attachments/HTMLPictureSink.h"

namespace folio {

// Pictures carried inside the HTML as data URLs: for HTML that travels as
// one piece (mail, the pasteboard, standard output) or is laid out by a page
// that must read no file of the program's.
class InlinePictureSink final : public HTMLPictureSink {
public:
    std::optional<std::string> storePicture(const HTMLPicture& picture) override;
};

} // namespace folio
