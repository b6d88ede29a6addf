#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/AttributeValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace folio {

class Font;
class TETextAttachment;

// How text flows around an attachment; the numbers are stored in documents.
enum class TEWrapAlignment : std::int32_t { None = 0, Left = 1, Right = 2 };

// Where an attachment sits on its line; the numbers are stored in documents.
enum class TEVerticalAlignment : std::uint32_t { Baseline = 0, Top = 1, Center = 2, Bottom = 3 };

// What the HTML reader knows about an img, video, iframe or object element
// when it asks for an attachment: its tag, its attributes as written (entities
// decoded) and the size its width and height attributes or CSS gave it.
struct TETextAttachmentElement {
    std::string tagName;
    StringMapValue::Map attributes;
    Size size;
};

// The reader options that attachments look at.
struct TETextAttachmentOptions {
    // "TEMaxImageSize": the largest display size; zero means no limit.
    Size maxImageSize;
    // "NSBaseURLDocumentOption": what relative video, iframe and object sources refer to.
    std::optional<URL> baseURL;
    // The document's picture folder. When set, picture files are accepted
    // only inside it; otherwise anywhere inside the document data folder.
    std::optional<std::string> pictureFolder;
};

// Picture bytes (pictures) or the note text (footnotes and comments).
using TETextAttachmentContents = std::variant<std::monostate, Data, std::u16string>;

using TETextAttachmentPtr = std::shared_ptr<TETextAttachment>;

// The object that stands in attributed text, on U+FFFC, for whatever is not
// text: pictures, video, embedded frames, footnotes and comments.
//
// NOTE: attachments compare by identity, not by value, so that two equal
// pictures side by side stay two objects in the text. That also makes it safe
// for a writer to record on a shared attachment what it did while writing
// (the display size it clamped to), which is why a few members are mutable.
class TETextAttachment : public AttributeValue {
public:
    using Factory = std::function<TETextAttachmentPtr(const TETextAttachmentElement&, const TETextAttachmentOptions&)>;

    TETextAttachment() = default;
    ~TETextAttachment() override = default;

    // A picture a file names beside itself (TextEdit's "Pasted
    // Graphic.tiff") whose bytes are not here: the page keeps the name on
    // its picture for the save.
    static constexpr const char* kPictureNameKey = "data-picture-name";
    // Its size as the file gave it ("960x480"): the page shows no box of it.
    static constexpr const char* kPictureSizeKey = "data-picture-size";
    // The name of such a picture: a content URL relative to the file, or
    // the name the page kept; empty for any other attachment.
    std::string referencedPictureName() const;
    Size referencedPictureSize() const;
    // The page's picture for it: one without source that keeps both.
    std::u16string pictureReferenceHTML() const;

    // The tag registry. img, video, iframe and object are registered from
    // the start; registering a tag again replaces its class.
    static void registerClassForTagName(std::string className, Factory factory, const std::string& tagName);
    // The class name registered for the tag, or nothing.
    static std::optional<std::string> registeredClassForTagName(const std::string& tagName);
    // An attachment of the class registered for the element's tag; null for unknown tags.
    static TETextAttachmentPtr textAttachmentWithElement(const TETextAttachmentElement& element,
                                                         const TETextAttachmentOptions& options);

    // Sizes. The wanted size may leave one side (or both) at 0 to take it
    // from the original size keeping the aspect ratio; the result is fitted
    // into the maximum when it exceeds it.
    void setDisplaySizeWithMaxDisplaySize(Size size, Size maxDisplaySize);
    virtual void setDisplaySize(Size size) { m_displaySize = size; }
    Size displaySize() const { return m_displaySize; }
    void setOriginalSize(Size size);
    Size originalSize() const { return m_originalSize; }
    void setOriginalDisplaySize(Size size) { m_originalDisplaySize = size; }
    Size originalDisplaySize() const { return m_originalDisplaySize; }
    void setMaxImageSize(Size size) { m_maxImageSize = size; }
    Size maxImageSize() const { return m_maxImageSize; }

    void setWrapAlignment(TEWrapAlignment wrap) { m_wrapAlignment = wrap; }
    TEWrapAlignment wrapAlignment() const { return m_wrapAlignment; }
    void setVerticalAlignment(TEVerticalAlignment alignment) { m_verticalAlignment = alignment; }
    TEVerticalAlignment verticalAlignment() const { return m_verticalAlignment; }

    void setContentURL(std::optional<URL> url) { m_contentURL = std::move(url); }
    const std::optional<URL>& contentURL() const { return m_contentURL; }
    void setContents(TETextAttachmentContents contents) { m_contents = std::move(contents); }
    const TETextAttachmentContents& contents() const { return m_contents; }
    // The contents as picture bytes or as note text; null when they are of the other kind or absent.
    const Data* contentsData() const { return std::get_if<Data>(&m_contents); }
    const std::u16string* contentsString() const { return std::get_if<std::u16string>(&m_contents); }

    void setAttributes(StringMapValue::Map attributes) { m_attributes = std::move(attributes); }
    const StringMapValue::Map& attributes() const { return m_attributes; }
    // Null when the attribute is absent.
    const std::u16string* attributeForKey(const std::string& key) const;

    void setFileInfo(std::u16string info) { m_fileInfo = std::move(info); }
    const std::u16string& fileInfo() const { return m_fileInfo; }
    // "pngblip" or "jpegblip".
    void setFileType(std::string type) { m_fileType = std::move(type); }
    const std::string& fileType() const { return m_fileType; }

    void setHyperLinkURL(std::optional<URL> url) { m_hyperLinkURL = std::move(url); }
    const std::optional<URL>& hyperLinkURL() const { return m_hyperLinkURL; }
    void setHyperLinkGUID(std::string guid) { m_hyperLinkGUID = std::move(guid); }
    const std::string& hyperLinkGUID() const { return m_hyperLinkGUID; }

    // Layout: the surrounding font's metrics decide where a vertically aligned
    // attachment sits relative to the baseline.
    void adjustVerticalAlignmentForFont(const Font& font);
    void setFontMetrics(double leading, double ascent, double descent);
    double fontLeading() const { return m_fontLeading; }
    double fontAscent() const { return m_fontAscent; }
    double fontDescent() const { return m_fontDescent; }
    virtual double ascentForLayout() const;
    virtual double descentForLayout() const;

    bool isEqual(const AttributeValue& other) const override { return this == &other; }
    std::size_t hash() const override;
    std::string_view typeName() const override { return "attachment"; }

protected:
    // The common part of reading an element: original size from the element,
    // the maximum from the options, the display size, the element's attributes.
    void initWithElement(const TETextAttachmentElement& element, const TETextAttachmentOptions& options);

    // Shared by the element writers: the vertical alignment and the given
    // size as a CSS declaration list (empty when there is nothing to say).
    std::u16string styleForVerticalAlignmentAndSize(Size size) const;
    // Every attribute except the excluded names, as ` name="value"`, with
    // the value entity-escaped so that no attribute text can end the tag.
    std::u16string htmlForOtherAttributes(std::initializer_list<std::string_view> excluded) const;
    // The element of a video or an iframe: the two are written alike.
    std::u16string htmlForMediaElement(std::u16string_view elementName) const;

    // The display size as it was set last; mutable for the reason in the class note.
    mutable Size m_displaySize;

private:
    Size m_originalDisplaySize;
    Size m_originalSize;
    Size m_maxImageSize;
    TEWrapAlignment m_wrapAlignment = TEWrapAlignment::None;
    std::optional<URL> m_contentURL;
    TETextAttachmentContents m_contents;
    StringMapValue::Map m_attributes;
    TEVerticalAlignment m_verticalAlignment = TEVerticalAlignment::Baseline;
    std::u16string m_fileInfo;
    std::string m_fileType;
    std::optional<URL> m_hyperLinkURL;
    std::string m_hyperLinkGUID;
    double m_fontLeading = 0;
    double m_fontAscent = 0;
    double m_fontDescent = 0;
};

// Attribute names are written as they came, but only with characters an HTML
// attribute name may hold: anything else is percent-encoded, so a crafted
// name cannot close the tag or start another attribute.
std::u16string htmlAttributeName(std::string_view name);
// The same name added to UTF-8 markup.
void appendHTMLAttributeName(std::string& html, std::string_view name);

} // namespace folio
