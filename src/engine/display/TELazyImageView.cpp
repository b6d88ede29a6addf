#include "engine/display/TELazyImageView.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageCodec.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

namespace folio {

namespace {

std::mutex& cacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, Image::Pointer>& imageCache()
{
    static std::map<std::string, Image::Pointer> cache;
    return cache;
}

} // namespace

TELazyImageView::~TELazyImageView() { m_delegate = nullptr; }

Image::Pointer TELazyImageView::cachedImageForURL(const std::string& url)
{
    std::lock_guard lock(cacheMutex());
    auto found = imageCache().find(url);
    return found == imageCache().end() ? nullptr : found->second;
}

void TELazyImageView::clearImageCache()
{
    std::lock_guard lock(cacheMutex());
    imageCache().clear();
}

void TELazyImageView::showImage(Image::Pointer image)
{
    setImage(std::move(image));
    // A window that already shows the view shows the new picture.
    setNeedsDisplay();
}

void TELazyImageView::didMoveToSuperview()
{
    if (image() || m_url.empty() || m_loading || !superview())
        return;
    if (Image::Pointer cached = cachedImageForURL(m_url)) {
        showImage(cached);
        m_fullWidth = cached->size().width;
        m_fullHeight = cached->size().height;
        if (m_delegate)
            m_delegate->lazyImageViewDidChangeImageSize(*this, cached->size());
        return;
    }
    loadImageAtURL(m_url);
}

void TELazyImageView::setURLRequest(URLRequest request)
{
    m_url = request.url;
    m_urlRequest = std::move(request);
}

void TELazyImageView::loadImageAtURL(const std::string&) {}

void TELazyImageView::cancelLoading()
{
    m_loading = false;
    m_receivedData.clear();
}

void TELazyImageView::didReceiveResponse(const std::string& mimeType, std::int64_t expectedLength, bool isHTTP)
{
    m_receivedData.clear();
    if (isHTTP && mimeType.rfind("image", 0) != 0) {
        cancelLoading();
        return;
    }
    m_loading = true;
    m_fullWidth = m_fullHeight = -1;
    m_expectedSize = expectedLength;
}

void TELazyImageView::didReceiveData(const std::vector<std::uint8_t>& data)
{
    if (!m_loading)
        return;
    m_receivedData.insert(m_receivedData.end(), data.begin(), data.end());
    if (m_shouldShowProgressiveDownload)
        createAndShowProgressiveImage();
}

void TELazyImageView::createAndShowProgressiveImage()
{
    if (m_fullWidth <= 0 || m_fullHeight <= 0) {
        std::optional<Size> declared = ImageCodec::declaredPixelSize(m_receivedData);
        if (!declared)
            return;
        m_fullWidth = declared->width;
        m_fullHeight = declared->height;
    }
    if (m_fullWidth <= 0 || m_fullHeight <= 0)
        return;
    Result<DecodedBitmap> received = ImageCodec::decodeReceivedRows(m_receivedData);
    if (!received || received->height <= 0)
        return;
    int width = static_cast<int>(std::ceil(m_fullWidth));
    int height = static_cast<int>(std::ceil(m_fullHeight));
    // The rows so far at the top of a transparent picture of the full size,
    // so that the view keeps its size while the rest arrives.
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4, 0);
    int columns = std::min(width, received->width);
    for (int row = 0; row < std::min(height, received->height); ++row)
        std::copy_n(received->pixels.begin() + std::ptrdiff_t(row) * received->width * 4, columns * 4,
                    pixels.begin() + std::ptrdiff_t(row) * width * 4);
    Result<Image::Pointer> partial = Image::imageWithPixels(width, height, std::move(pixels));
    if (!partial)
        return;
    std::weak_ptr<TELazyImageView> weakSelf = std::static_pointer_cast<TELazyImageView>(weak_from_this().lock());
    RunLoop::main().post([weakSelf, image = *partial] {
        // A preview that comes after the whole picture, or after the
        // download was given up, would replace what the view should show.
        if (auto self = weakSelf.lock(); self && self->m_loading)
            self->showImage(image);
    });
}

void TELazyImageView::didFinishLoading()
{
    if (!m_loading)
        return;
    // The picture becomes the view's on the main thread, which owns the
    // view; a transfer reporting from its own thread waits for it.
    if (!m_receivedData.empty())
        dispatchSyncMain([this] { completeDownloadWithData(m_receivedData); });
    finish();
    NotificationCenter::defaultCenter().postNotification(TELazyImageViewDidFinishDownloadNotification, this);
}

void TELazyImageView::didFailWithError(const Error& error)
{
    finish();
    NotificationCenter::defaultCenter().postNotification(TELazyImageViewDidFinishDownloadNotification, this,
                                                         UserInfo{{"Error", error}});
}

void TELazyImageView::finish()
{
    m_loading = false;
    m_receivedData.clear();
}

void TELazyImageView::completeDownloadWithData(const std::vector<std::uint8_t>& data)
{
    Result<Image::Pointer> decoded = Image::imageWithData(data);
    Image::Pointer picture = decoded.ok() ? *decoded : nullptr;
    showImage(picture);
    Size size = picture ? picture->size() : Size{};
    m_fullWidth = size.width;
    m_fullHeight = size.height;
    if (m_delegate)
        m_delegate->lazyImageViewDidChangeImageSize(*this, size);
    if (m_url.empty())
        return;
    if (picture) {
        std::lock_guard lock(cacheMutex());
        imageCache()[m_url] = picture;
    } else {
        TELog(TELogLevelWarning, "Warning, TELazyImageView did not get an image for " + m_url);
    }
}

} // namespace folio
