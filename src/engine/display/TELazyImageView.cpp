#include "engine/display/TELazyImageView.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

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

void TELazyImageView::didMoveToSuperview()
{
    if (image() || m_url.empty() || m_loading || !superview())
        return;
    if (Image::Pointer cached = cachedImageForURL(m_url)) {
        setImage(cached);
        m_fullWidth = cached->size().width;
        m_fullHeight = cached->size().height;
        if (m_delegate)
            m_delegate->lazyImageViewDidChangeImageSize(*this, cached->size());
        return;
    }
    loadImageAtURL(m_url);
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
    // FIXME: no partial image is shown while the data arrives; the image
    // appears when the download completes, progressive or not.
}

void TELazyImageView::didFinishLoading()
{
    if (!m_loading)
        return;
    if (!m_receivedData.empty())
        completeDownloadWithData(m_receivedData);
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
    setImage(picture);
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
