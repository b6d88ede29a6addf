#include "engine/attachments/TEImageTextAttachment.h"

#include "engine/css/CSSString.h"
#include "engine/html/HTMLString.h"
#include "engine/attachments/TEAttachmentSource.h"
#include "engine/attachments/PictureFolderSink.h"
#include "engine/model/TEShapePlace.h"
#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/ImageCodec.h"

#include <cmath>
#include <deque>
#include <map>
#include <mutex>

namespace folio {

namespace {

constexpr double kJpegQuality = 0.5;
// Pictures that came from RTF keep their sizes in twentieths of a point.
constexpr double kTwipsPerPoint = 20;

// Decoded pictures of files, keyed by the file URL's absolute string, so that
// laying out and drawing a page does not decode the same file again. Bounded,
// since nothing else tells it when memory runs short.
class SharedImageCache {
public:
    static SharedImageCache& shared()
    {
        static SharedImageCache cache;
        return cache;
    }

    Image::Pointer imageForKey(const std::string& key)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_images.find(key);
        return found == m_images.end() ? nullptr : found->second;
    }

    void setImageForKey(const std::string& key, Image::Pointer image)
    {
        std::lock_guard lock(m_mutex);
        if (m_images.emplace(key, std::move(image)).second)
            m_order.push_back(key);
        while (m_order.size() > kCapacity) {
            m_images.erase(m_order.front());
            m_order.pop_front();
        }
    }

private:
    static constexpr std::size_t kCapacity = 64;
    std::mutex m_mutex;
    std::map<std::string, Image::Pointer> m_images;
    std::deque<std::string> m_order;
};

const std::u16string* attribute(const TETextAttachmentElement& element, const std::string& name)
{
    auto found = element.attributes.find(name);
    return found == element.attributes.end() ? nullptr : &found->second;
}

// A "px" length of the style, or 0 when the style gives none.
double pixelLength(const CSSStyleDictionary& styles, std::string_view name)
{
    auto value = styles.stringForKey(name);
    if (!value || !hasSuffix(std::u16string_view(*value), std::u16string_view(u"px")))
        return 0;
    return pixelSizeOfCSSMeasureRelativeToCurrentTextSize(*value, 0, 1);
}

std::string lastPathComponent(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}


} // namespace

std::shared_ptr<TEImageTextAttachment> TEImageTextAttachment::attachmentWithElement(
    const TETextAttachmentElement& element, const TETextAttachmentOptions& options)
{
    auto attachment = std::make_shared<TEImageTextAttachment>();
    attachment->initWithElement(element, options);
    attachment->decodeImageFromElement(element, options);
    return attachment;
}

std::shared_ptr<TEImageTextAttachment> TEImageTextAttachment::attachmentWithImage(Image::Pointer image)
{
    auto attachment = std::make_shared<TEImageTextAttachment>();
    attachment->setImage(std::move(image));
    return attachment;
}

Image::Pointer TEImageTextAttachment::image() const
{
    if (m_image)
        return m_image;
    const std::optional<URL>& url = contentURL();
    if (!url || !url->isFileURL())
        return nullptr;
    std::string key = url->absoluteString();
    if (Image::Pointer cached = SharedImageCache::shared().imageForKey(key))
        return cached;
    auto loaded = Image::imageWithContentsOfFile(url->fileSystemPath());
    if (!loaded)
        return nullptr;
    SharedImageCache::shared().setImageForKey(key, *loaded);
    return *loaded;
}

void TEImageTextAttachment::setImage(Image::Pointer image)
{
    if (image == m_image)
        return;
    m_image = std::move(image);
    if (m_image)
        updateSizesFromImage(*m_image);
}

void TEImageTextAttachment::updateSizesFromImage(const Image& image)
{
    Size imageSize = image.size();
    Size original = originalSize();
    if (original.width == 0 && original.height == 0)
        original = imageSize;
    else if (original.width == 0 && imageSize.height != 0)
        original.width = imageSize.width * (original.height / imageSize.height);
    else if (original.height == 0 && imageSize.width != 0)
        original.height = imageSize.height * (original.width / imageSize.width);
    setOriginalSize(original);

    Size display = displaySize();
    if (display.width == 0 && display.height == 0) {
        setDisplaySizeWithMaxDisplaySize(original, maxImageSize());
    } else if (display.width == 0 && original.height != 0) {
        display.width = original.width * (display.height / original.height);
        setDisplaySizeWithMaxDisplaySize(display, maxImageSize());
    } else if (display.height == 0 && original.width != 0) {
        display.height = original.height * (display.width / original.width);
        setDisplaySizeWithMaxDisplaySize(display, maxImageSize());
    }
}

void TEImageTextAttachment::decodeImageFromElement(const TETextAttachmentElement& element,
                                                   const TETextAttachmentOptions& options)
{
    const std::u16string* style = attribute(element, "style");
    CSSStyleDictionary styles = style ? dictionaryOfCSSStyles(*style) : CSSStyleDictionary();

    std::optional<URL> url;
    const std::u16string* source = attribute(element, "src");
    if (source && hasPrefix(std::u16string_view(*source), std::u16string_view(u"data:"))) {
        if (auto bytes = TEAttachmentSource::bytesOfDataURL(*source)) {
            if (auto decoded = Image::imageWithData(*bytes)) {
                Image::Pointer image = *decoded;
                double cssWidth = pixelLength(styles, "width"), cssHeight = pixelLength(styles, "height");
                Size imageSize = image->size();
                // A picture drawn smaller than its pixels is a high-resolution
                // picture; keep it sharp by giving it the matching scale.
                if (cssWidth > 0 && cssHeight > 0 && cssWidth < imageSize.width && cssHeight < imageSize.height) {
                    double scale = std::round(imageSize.width / cssWidth);
                    if (scale >= 2 && scale <= 5) {
                        auto scaled = Image::imageWithPixels(image->pixelWidth(), image->pixelHeight(),
                                                             image->rgbaPixels(), scale, image->orientation());
                        if (scaled)
                            image = *scaled;
                    }
                }
                setImage(image);
            } else {
                TELog(TELogLevelWarning, "A picture in a data URL could not be decoded: " + decoded.error().message);
            }
        }
    } else if (source && !source->empty()) {
        auto path = TEAttachmentSource::resolvePictureFile(*source, options.pictureFolder);
        if (path)
            url = URL::fileURLWithPath(*path);
        else
            TELog(TELogLevelWarning, "Picture source refused: " + path.error().message);
    }

    const std::u16string* info = attribute(element, "info");
    if (info)
        setFileInfo(*info);

    if (auto floatValue = styles.stringForKey("float")) {
        std::u16string side = lowercaseString(std::u16string_view(*floatValue));
        if (side == u"left")
            setWrapAlignment(TEWrapAlignment::Left);
        else if (side == u"right")
            setWrapAlignment(TEWrapAlignment::Right);
        else if (side == u"none")
            setWrapAlignment(TEWrapAlignment::None);
    }
    double cssWidth = doubleValue(styles.stringForKey("width").value_or(u""));
    double cssHeight = doubleValue(styles.stringForKey("height").value_or(u""));

    Size original = originalSize();
    Size originalDisplay = originalDisplaySize();
    if (auto* value = attribute(element, "originalwidth"))
        original.width = doubleValue(*value);
    if (auto* value = attribute(element, "originalheight"))
        original.height = doubleValue(*value);
    if (auto* value = attribute(element, "originaldisplaywidth"))
        originalDisplay.width = doubleValue(*value);
    const std::u16string* originalDisplayHeight = attribute(element, "originaldisplayheight");
    if (originalDisplayHeight)
        originalDisplay.height = doubleValue(*originalDisplayHeight);
    setOriginalDisplaySize(originalDisplay);

    if (!info || info->empty()) {
        // Through the display-size rule, so that an img without a size of its
        // own is shown at its picture's size rather than at none.
        setDisplaySizeWithMaxDisplaySize(element.size, maxImageSize());
        setOriginalSize(displaySize());
    } else if (!originalDisplayHeight) {
        Size twips{element.size.width * kTwipsPerPoint, element.size.height * kTwipsPerPoint};
        setDisplaySize(twips);
        setOriginalSize(twips);
    } else {
        setOriginalSize(original);
        if (cssWidth == 0)
            cssWidth = element.size.width;
        if (cssHeight == 0)
            cssHeight = element.size.height;
        // The writer puts the original display size (in points, narrowed to
        // the page) into the style; when the style still says that, the
        // picture was not resized in the editor and keeps its exact size.
        double writtenWidth = originalDisplay.width / kTwipsPerPoint;
        double writtenHeight = originalDisplay.height / kTwipsPerPoint;
        if (writtenWidth > kMaximumHTMLWidth && writtenHeight > 0) {
            writtenHeight = kMaximumHTMLWidth / (writtenWidth / writtenHeight);
            writtenWidth = kMaximumHTMLWidth;
        }
        bool resized = std::round(writtenWidth) != std::round(cssWidth)
            || (cssHeight > 0 && std::round(writtenHeight) != std::round(cssHeight));
        if (resized)
            setDisplaySize(Size{cssWidth * kTwipsPerPoint, cssHeight * kTwipsPerPoint});
        else
            setDisplaySize(originalDisplay);
    }

    setFileType(url && hasSuffix(std::string_view(url->lastPathComponent()), std::string_view(".jpg")) ? "jpegblip"
                                                                                                      : "pngblip");
    setContentURL(std::move(url));
}

void TEImageTextAttachment::drawInRect(const Rect& rect, cairo_t* context) const
{
    if (Image::Pointer picture = image())
        picture->drawInRect(context, rect);
}

std::optional<std::string> TEImageTextAttachment::dataURLRepresentation() const
{
    Image::Pointer picture = image();
    if (!picture)
        return std::nullopt;
    auto png = picture->pngData();
    if (!png)
        return std::nullopt;
    return "data:image/png;base64," + TEBase64Coding::stringByEncodingData(Data(std::move(*png)));
}

std::optional<std::string> TEImageTextAttachment::dataURLRepresentation(std::string_view documentName) const
{
    if (m_useTmpDir) {
        // An ePub chapter names its pictures in the book's "data" folder.
        std::string folder = AppFolders::pictureFolderForDocument(documentName, true);
        PictureFolderSink sink(folder, folder + "/", PictureFolderSink::Originals::Drop);
        return storeContents(sink);
    }
    PictureFolderSink sink = PictureFolderSink::forDocument(documentName);
    return storeContents(sink);
}

std::optional<std::string> TEImageTextAttachment::storeContents(HTMLPictureSink& sink) const
{
    const Data* bytes = contentsData();
    if (!bytes)
        return std::nullopt;
    bool jpeg = fileType() == "jpegblip";
    // A PNG is shown as it came: decoding and encoding it again would give the
    // same picture, slowly, and cost the memory of all its pixels.
    if (!jpeg && ImageCodec::hasPngHeader(bytes->span())) {
        HTMLPicture stored;
        stored.extension = "png";
        stored.bytes = bytes->span();
        return sink.storePicture(stored);
    }
    auto decoded = Image::imageWithData(bytes->vector());
    if (!decoded) {
        TELog(TELogLevelWarning, "Picture contents are not a picture: " + decoded.error().message);
        return std::nullopt;
    }
    Image::Pointer picture = *decoded;
    auto encoded = jpeg ? picture->jpegData(kJpegQuality) : picture->pngData();
    if (!encoded) {
        TELog(TELogLevelError, "Unable to encode picture: " + encoded.error().message);
        return std::nullopt;
    }
    HTMLPicture stored;
    stored.extension = jpeg ? "jpg" : "png";
    stored.bytes = *encoded;
    // The page shows the smaller JPEG; the original bytes are what the
    // document saves again, so the picture loses nothing on a round trip.
    if (jpeg)
        stored.originalBytes = bytes->span();
    return sink.storePicture(stored);
}

std::optional<std::string> TEImageTextAttachment::htmlSource(HTMLPictureSink* sink, std::string_view documentName) const
{
    if (contentsData())
        return sink ? storeContents(*sink) : dataURLRepresentation(documentName);
    const std::optional<URL>& url = contentURL();
    if (!url)
        return dataURLRepresentation();
    if (!url->isFileURL())
        return std::nullopt;
    // Pictures shipped with the program are named relative to its resources,
    // which is the base the pages are loaded with.
    std::string path = url->fileSystemPath();
    std::string resources = Resources::resourcesFolder() + "/";
    if (hasPrefix(std::string_view(path), std::string_view(resources)))
        return path.substr(resources.size());
    return url->absoluteString();
}

std::u16string TEImageTextAttachment::stringByEncodingAsHTMLWithFileName(std::string_view documentName,
                                                                         bool useTmpDir) const
{
    m_useTmpDir = useTmpDir;
    std::optional<std::string> source = htmlSource(nullptr, documentName);
    if (source && m_useTmpDir)
        source = "data/" + lastPathComponent(*source);
    return imgElement(source);
}

std::u16string TEImageTextAttachment::stringByEncodingAsHTML(HTMLPictureSink& pictures) const
{
    return imgElement(htmlSource(&pictures, {}));
}

std::u16string TEImageTextAttachment::shapeOffsetStyle() const
{
    // A word processor's shape stands at its offset from the column's edge
    // and the top of its paragraph; the text goes on beside it.
    const std::u16string* words = attributeForKey(TEShapePlace::kAttributeKey);
    const std::optional<TEShapePlace::Offset> offset = words ? TEShapePlace::offsetInColumn(*words) : std::nullopt;
    if (!offset)
        return {};
    // The page's and print's own rule sets the margins from these: margins
    // of a picture's own would be read back as its paragraph's indent.
    constexpr double kPixelsPerPoint = 4.0 / 3.0;
    std::string style;
    if (offset->left > 0)
        style += formatInCLocale("--shape-left:%.0fpx;", offset->left * kPixelsPerPoint);
    if (offset->top > 0)
        style += formatInCLocale("--shape-top:%.0fpx;", offset->top * kPixelsPerPoint);
    if (attributeForKey(TEShapePlace::kGroupGoesOnKey))
        style += formatInCLocale("--shape-right:%.0fpx;", -(offset->left * kPixelsPerPoint + m_displaySize.width));
    return toUtf16(style);
}

std::u16string TEImageTextAttachment::imgElement(const std::optional<std::string>& source) const
{

    std::u16string html = u"<img";
    if (!fileInfo().empty())
        html += u" info='" + stringByAddingHTMLEntities(fileInfo()) + u"'";
    Size original = originalSize(), originalDisplay = originalDisplaySize();
    if (original.width > 0)
        html += toUtf16(formatInCLocale(" originalwidth='%f'", original.width));
    if (original.height > 0)
        html += toUtf16(formatInCLocale(" originalheight='%f'", original.height));
    if (originalDisplay.width > 0)
        html += toUtf16(formatInCLocale(" originaldisplaywidth='%f'", originalDisplay.width));
    if (originalDisplay.height > 0)
        html += toUtf16(formatInCLocale(" originaldisplayheight='%f'", originalDisplay.height));

    if (m_displaySize.width > kMaximumHTMLWidth) {
        double aspect = m_displaySize.width / m_displaySize.height;
        m_displaySize = Size{kMaximumHTMLWidth, kMaximumHTMLWidth / aspect};
    }
    std::u16string style = styleForVerticalAlignmentAndSize(m_displaySize);
    if (wrapAlignment() == TEWrapAlignment::Left)
        style += u"float:left;" + shapeOffsetStyle();
    else if (wrapAlignment() == TEWrapAlignment::Right)
        style += u"float:right;";
    if (!style.empty())
        html += u" style=\"" + style + u"\"";

    // NOTE: a picture without a usable source is written without src, which
    // reads back as a picture without image, rather than as src="" that
    // a browser would resolve to the page itself.
    if (source)
        html += u" src=\"" + stringByAddingHTMLEntities(toUtf16(*source)) + u"\"";
    // The attributes written above from the attachment's own fields are not
    // repeated from the element's attributes.
    html += htmlForOtherAttributes({"src", "style", "width", "height", "info", "originalwidth", "originalheight",
                                    "originaldisplaywidth", "originaldisplayheight"});
    html += u" />";
    return html;
}

} // namespace folio
