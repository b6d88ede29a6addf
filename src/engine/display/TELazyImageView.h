#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/URLRequest.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class TELazyImageView;

// Posted when a download ends; on failure with {"Error": Error}.
inline constexpr const char* TELazyImageViewDidFinishDownloadNotification =
    "TELazyImageViewDidFinishDownloadNotification";

class TELazyImageViewDelegate {
public:
    virtual ~TELazyImageViewDelegate() = default;
    virtual void lazyImageViewDidChangeImageSize(TELazyImageView&, Size) {}
};

// An image view fed by a download, with a process-wide cache by URL. The
// view starts no transfer itself: whoever transfers the image reports the
// response, the data, the end or the failure through the callbacks below.
class TELazyImageView : public ImageView {
public:
    using ImageView::ImageView;
    ~TELazyImageView() override;

    const std::string& url() const { return m_url; }
    void setURL(std::string url) { m_url = std::move(url); }
    // What the transfer is to ask for; setting it sets the URL to its address.
    const std::optional<URLRequest>& urlRequest() const { return m_urlRequest; }
    void setURLRequest(URLRequest request);
    void setDelegate(TELazyImageViewDelegate* delegate) { m_delegate = delegate; }
    bool shouldShowProgressiveDownload() const { return m_shouldShowProgressiveDownload; }
    void setShouldShowProgressiveDownload(bool show) { m_shouldShowProgressiveDownload = show; }
    Size fullSize() const { return Size{m_fullWidth, m_fullHeight}; }
    bool isLoading() const { return m_loading; }

    // Shows the cached image of the URL at once when the view has none yet.
    void didMoveToSuperview() override;
    // Starts nothing; a transfer is its caller's to run.
    void loadImageAtURL(const std::string& url);
    void cancelLoading();

    // A response whose MIME type is not an image's cancels the loading.
    void didReceiveResponse(const std::string& mimeType, std::int64_t expectedLength, bool isHTTP = true);
    // With shouldShowProgressiveDownload, what has arrived is shown at once:
    // the rows decoded so far at the top of a picture of the full size.
    void didReceiveData(const std::vector<std::uint8_t>& data);
    void didFinishLoading();
    void didFailWithError(const Error& error);
    void completeDownloadWithData(const std::vector<std::uint8_t>& data);

    // The shared cache (tests empty it between cases).
    static Image::Pointer cachedImageForURL(const std::string& url);
    static void clearImageCache();

    void createAndShowProgressiveImage();

private:
    void showImage(Image::Pointer image);
    void finish();

    std::string m_url;
    std::optional<URLRequest> m_urlRequest;
    TELazyImageViewDelegate* m_delegate = nullptr;
    bool m_shouldShowProgressiveDownload = false;
    // Read by the previews handed to the main thread.
    std::atomic<bool> m_loading = false;
    std::vector<std::uint8_t> m_receivedData;
    std::int64_t m_expectedSize = -1;
    double m_fullWidth = -1;
    double m_fullHeight = -1;
};

} // namespace folio
