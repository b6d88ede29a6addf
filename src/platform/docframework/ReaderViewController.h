#pragma once

#include "platform/foundation/Error.h"
#include "platform/ui/ViewController.h"

#include <memory>

namespace folio {

class BarButtonItem;
class ImageView;
class ReaderDocument;
class ReaderViewController;
class View;

class ReaderViewControllerDelegate {
public:
    virtual ~ReaderViewControllerDelegate() = default;
    // The user closed the reader; the delegate dismisses it. `pageView`
    // shows the page the reader was on.
    virtual void dismissReaderViewController(ReaderViewController& reader, View* pageView) = 0;
};

// The in-app PDF reader: one page at a time, with page navigation and zoom
// in its bar. It tells its delegate when the user closes it, and dismisses
// itself when it has none.
class ReaderViewController : public ViewController {
public:
    static constexpr double kMinimumZoom = 0.25;
    static constexpr double kMaximumZoom = 4;
    static constexpr double kZoomStep = 1.25;

    explicit ReaderViewController(std::shared_ptr<ReaderDocument> document);
    ~ReaderViewController() override;

    // Not owned.
    void setDelegate(ReaderViewControllerDelegate* delegate) { m_delegate = delegate; }
    const std::shared_ptr<ReaderDocument>& document() const { return m_document; }

    // Zero-based; out-of-range pages are refused.
    std::size_t currentPage() const { return m_currentPage; }
    Status showPage(std::size_t index);
    Status nextPage();
    Status previousPage();
    double zoomScale() const { return m_zoom; }
    // Kept between the minimum and maximum.
    Status setZoomScale(double zoom);
    Status zoomIn() { return setZoomScale(m_zoom * kZoomStep); }
    Status zoomOut() { return setZoomScale(m_zoom / kZoomStep); }

    // The picture of the current page; null before the view is loaded.
    const std::shared_ptr<ImageView>& pageView() const { return m_pageView; }
    // The user's close.
    void dismiss();

protected:
    void loadView() override;

private:
    Status drawPage();
    void updateTitleAndItems();

    std::shared_ptr<ReaderDocument> m_document;
    ReaderViewControllerDelegate* m_delegate = nullptr;
    std::size_t m_currentPage = 0;
    double m_zoom = 1;
    std::shared_ptr<ImageView> m_pageView;
    std::shared_ptr<BarButtonItem> m_previousItem;
    std::shared_ptr<BarButtonItem> m_nextItem;
    std::shared_ptr<BarButtonItem> m_zoomInItem;
    std::shared_ptr<BarButtonItem> m_zoomOutItem;
    std::shared_ptr<BarButtonItem> m_doneItem;
};

} // namespace folio
