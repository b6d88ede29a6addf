#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TETextAttachmentDrawing.h"
#include "engine/attachments/TETextAttachmentHTMLPersistence.h"
#include "platform/graphics/Image.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class HTMLPictureSink;

// A picture in the text (img). Pictures read from RTF carry their file bytes
// as contents; pictures read from HTML carry a decoded image (data URLs) or a
// file URL inside the document's picture folder.
class TEImageTextAttachment final : public TETextAttachment,
                                    public TETextAttachmentDrawing,
                                    public TETextAttachmentHTMLPersistence {
public:
    // Widest picture the editing page shows, in CSS pixels.
    static constexpr double kMaximumHTMLWidth = 590;

    TEImageTextAttachment() = default;
    static std::shared_ptr<TEImageTextAttachment> attachmentWithElement(const TETextAttachmentElement& element,
                                                                        const TETextAttachmentOptions& options);
    static std::shared_ptr<TEImageTextAttachment> attachmentWithImage(Image::Pointer image);

    // The stored image; without one, the image of a file content URL (through
    // a shared cache). Null when there is none or the file is not a picture.
    Image::Pointer image() const;
    // Storing a different image updates the sizes from it.
    void setImage(Image::Pointer image);

    // Exports write their pictures into the temporary folder instead of the
    // document's picture folder.
    void setUseTmpDir(bool useTmpDir) { m_useTmpDir = useTmpDir; }
    bool useTmpDir() const { return m_useTmpDir; }

    void drawInRect(const Rect& rect, cairo_t* context) const override;

    // "data:image/png;base64," and the image's PNG data; nothing without an image.
    std::optional<std::string> dataURLRepresentation() const;
    // Writes the contents as a picture file into the picture folder of the
    // document named `documentName` and answers the file's path; nothing when
    // the contents are no picture or the file cannot be written.
    std::optional<std::string> dataURLRepresentation(std::string_view documentName) const;

    // The img element. Pictures wider than the page are recorded at the
    // width written, so later layout agrees with the page.
    std::u16string stringByEncodingAsHTMLWithFileName(std::string_view documentName, bool useTmpDir) const;
    // The img element with the picture stored through `pictures`, wherever
    // the one who wants the HTML keeps them.
    std::u16string stringByEncodingAsHTML(HTMLPictureSink& pictures) const;
    // Stores the contents (a picture read from a file) through the sink and
    // answers the src it gives; nothing when the contents are no picture.
    std::optional<std::string> storeContents(HTMLPictureSink& sink) const;
    // Pictures are only written with a file name.
    std::optional<std::u16string> stringByEncodingAsHTML(TEFootnoteCounter&) const override { return std::nullopt; }

private:
    void decodeImageFromElement(const TETextAttachmentElement& element, const TETextAttachmentOptions& options);
    void updateSizesFromImage(const Image& image);
    std::optional<std::string> htmlSource(HTMLPictureSink* sink, std::string_view documentName) const;
    std::u16string imgElement(const std::optional<std::string>& source) const;
    // The offsets ("--shape-left", "--shape-top") the page's margins set a
    // picture of a word processor's shape at; nothing for other pictures.
    std::u16string shapeOffsetStyle() const;

    Image::Pointer m_image;
    mutable bool m_useTmpDir = false;
};

} // namespace folio
