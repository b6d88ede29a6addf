#include "platform/docframework/ReaderViewController.h"

#include "platform/docframework/ReaderDocument.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/ScrollView.h"

#include <algorithm>
#include <filesystem>

namespace folio {

namespace {

Error pageError(const std::string& message)
{
    return Error{ReaderDocument::kErrorDomain, ReaderDocument::NoSuchPage, message};
}

} // namespace

ReaderViewController::ReaderViewController(std::shared_ptr<ReaderDocument> document) : m_document(std::move(document))
{
    auto weakAction = [this](Status (ReaderViewController::*action)()) {
        return [this, action](BarButtonItem&) { (this->*action)(); };
    };
    m_previousItem = BarButtonItem::withSymbol("chevron.backward", weakAction(&ReaderViewController::previousPage));
    m_previousItem->setTitle(u"Previous Page");
    m_nextItem = BarButtonItem::withSymbol("chevron.forward", weakAction(&ReaderViewController::nextPage));
    m_nextItem->setTitle(u"Next Page");
    m_zoomOutItem = BarButtonItem::withSymbol("minus", weakAction(&ReaderViewController::zoomOut));
    m_zoomOutItem->setTitle(u"Zoom Out");
    m_zoomInItem = BarButtonItem::withSymbol("plus", weakAction(&ReaderViewController::zoomIn));
    m_zoomInItem->setTitle(u"Zoom In");
    m_doneItem = BarButtonItem::withTitle(u"Done", [this](BarButtonItem&) { dismiss(); });
    navigationItem()->setLeftBarButtonItems({m_doneItem, m_previousItem, m_nextItem});
    navigationItem()->setRightBarButtonItems({m_zoomInItem, m_zoomOutItem});
    updateTitleAndItems();
}

ReaderViewController::~ReaderViewController() = default;

void ReaderViewController::loadView()
{
    auto scroller = std::make_shared<ScrollView>(Rect{{0, 0}, {800, 900}});
    m_pageView = std::make_shared<ImageView>();
    scroller->addSubview(m_pageView);
    setView(scroller);
    drawPage();
}

Status ReaderViewController::drawPage()
{
    if (!m_pageView || !m_document)
        return Status::success();
    Result<Image::Pointer> image = m_document->imageOfPage(m_currentPage, m_zoom);
    if (!image)
        return image.error();
    m_pageView->setImage(*image);
    Size size = (*image)->pixelSize();
    m_pageView->setFrame(Rect{{0, 0}, size});
    if (auto* scroller = dynamic_cast<ScrollView*>(viewIfLoaded().get()))
        scroller->setContentSize(size);
    Presenter::current().viewContentDidChange(*this);
    return Status::success();
}

void ReaderViewController::updateTitleAndItems()
{
    std::size_t count = m_document ? m_document->pageCount() : 0;
    std::string name = m_document ? std::filesystem::path(m_document->fileURL()).filename().string() : std::string();
    setTitle(toUtf16(name + " — page " + std::to_string(count ? m_currentPage + 1 : 0) + " of " + std::to_string(count)));
    m_previousItem->setEnabled(m_currentPage > 0);
    m_nextItem->setEnabled(m_currentPage + 1 < count);
    m_zoomOutItem->setEnabled(m_zoom > kMinimumZoom);
    m_zoomInItem->setEnabled(m_zoom < kMaximumZoom);
}

Status ReaderViewController::showPage(std::size_t index)
{
    if (!m_document || index >= m_document->pageCount())
        return pageError("There is no page " + std::to_string(index + 1));
    m_currentPage = index;
    updateTitleAndItems();
    return drawPage();
}

Status ReaderViewController::nextPage()
{
    return showPage(m_currentPage + 1);
}

Status ReaderViewController::previousPage()
{
    if (m_currentPage == 0)
        return pageError("There is no page before the first");
    return showPage(m_currentPage - 1);
}

Status ReaderViewController::setZoomScale(double zoom)
{
    m_zoom = std::clamp(zoom, kMinimumZoom, kMaximumZoom);
    updateTitleAndItems();
    return drawPage();
}

void ReaderViewController::dismiss()
{
    if (m_delegate) {
        m_delegate->dismissReaderViewController(*this, m_pageView.get());
        return;
    }
    // The navigation controller that wraps the reader is what was presented.
    if (parentViewController())
        parentViewController()->dismissViewControllerAnimated(true);
    else
        dismissViewControllerAnimated(true);
}

} // namespace folio
