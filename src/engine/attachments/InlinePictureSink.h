#pragma once

#include "engine/attachments/HTMLPictureSink.h"

namespace folio {

// Pictures carried inside the HTML as data URLs: for HTML that travels as
// one piece (mail, the pasteboard, standard output) or is laid out by a page
// that must read no file of the program's.
class InlinePictureSink final : public HTMLPictureSink {
public:
    // What the pictures are carried for. HTML that is kept (a file, the
    // pasteboard) holds each picture as it came. A page that is only laid
    // out and drawn (a PDF, a PNG) gets a picture of more pixels than a
    // decoded bitmap may have as it is decoded here, at fewer pixels: the
    // web engine would otherwise hold all of them, gigabytes for a picture
    // of a few hundred kilobytes.
    enum class Use { Keep, Draw };

    explicit InlinePictureSink(Use use = Use::Keep) : m_use(use) {}

    std::optional<std::string> storePicture(const HTMLPicture& picture) override;

private:
    Use m_use;
};

} // namespace folio
