#include "richtext/viewer/RTFTextViewController.h"

#include "documents/TextDocument.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorSlice.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/ScalingTextStorage.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/ProgressHUD.h"
#include "richtext/TextViewController.h"
#include "richtext/viewer/RTFTextView.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/EditorFlags.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace folio {

std::shared_ptr<RTFTextViewController> RTFTextViewController::make(TextDocument& document)
{
    return std::shared_ptr<RTFTextViewController>(new RTFTextViewController(document));
}

RTFTextViewController::RTFTextViewController(TextDocument& document) : m_document(&document) {}

RTFTextViewController::~RTFTextViewController()
{
    if (m_textView)
        m_textView->setDelegate({});
}

std::shared_ptr<RTFTextView> RTFTextViewController::rtfTextView()
{
    loadViewIfNeeded();
    return m_textView;
}

std::shared_ptr<View> RTFTextViewController::textView()
{
    return rtfTextView();
}

bool RTFTextViewController::acceptsEdits() const
{
    return m_document && !m_receivedDocumentDidClose && !m_document->refusesSaves() && m_document->hasRTFtext();
}

void RTFTextViewController::loadView()
{
    auto storage = std::make_shared<TextStorage>();
    if (m_document) {
        if (std::optional<MutableAttributedString> text = m_document->RTFtext())
            storage->setAttributedString(*text);
    }
    m_scalingTextStorage = ScalingTextStorage::make(std::move(storage), 1.0);
    m_textView = std::make_shared<RTFTextView>(Rect{}, m_scalingTextStorage);
    m_textView->setEditable(acceptsEdits());
    m_textView->setTextContainerInset(EdgeInsets{8, 12, 8, 12});
    m_textView->setDelegate(std::dynamic_pointer_cast<RTFTextViewController>(shared_from_this()));
    setView(m_textView);
}

void RTFTextViewController::viewDidLoad()
{
    EditorController::viewDidLoad();
    if (!m_forPreviewGeneration) {
        std::weak_ptr<Responder> weak = weak_from_this();
        m_undoItem = BarButtonItem::withSymbol("arrow.uturn.backward", [weak](BarButtonItem&) {
            if (auto self = std::dynamic_pointer_cast<RTFTextViewController>(weak.lock())) {
                self->m_textView->undoManager().undo();
                self->updateUndoItem();
            }
        });
        m_undoItem->setTitle(u"Undo");
        m_zoomItem = BarButtonItem::withTitle(u"Zoom", [weak](BarButtonItem&) {
            if (auto self = std::dynamic_pointer_cast<RTFTextViewController>(weak.lock()))
                (void)self->showZoomInspector();
        });
        updateUndoItem();
        std::shared_ptr<NavigationItem> item = navigationItem();
        std::vector<std::shared_ptr<BarButtonItem>> right = item->rightBarButtonItems();
        right.push_back(m_zoomItem);
        right.push_back(m_undoItem);
        item->setRightBarButtonItems(std::move(right));
    }
    scrollTextSelectionToVisible(false);
    ProgressHUD::dismiss();
}

void RTFTextViewController::viewDidAppear(bool animated)
{
    EditorController::viewDidAppear(animated);
    if (m_toldReadOnly || m_forPreviewGeneration || !m_document || !m_document->isRTFDocument())
        return;
    m_toldReadOnly = true;
    if (Status shown = presentViewController(TextViewController::readOnlyDocumentAlert(*m_document), true); !shown)
        TELog(TELogLevelWarning, "The read-only notice could not be shown: " + shown.error().message);
}

void RTFTextViewController::updateUndoItem()
{
    if (m_undoItem)
        m_undoItem->setEnabled(m_textView && m_textView->undoManager().canUndo());
}

void RTFTextViewController::attachImage(BarButtonItem&)
{
    if (PicturePicker* picker = PicturePicker::shared())
        picker->pickPicture(u"Attach Image", [](std::optional<std::string>) {});
}

Status RTFTextViewController::showZoomInspector()
{
    loadViewIfNeeded();
    if (!m_inspector)
        m_inspector = DKInspector::make(kInspectorHeight);
    m_inspector->setDelegate(m_textView);
    if (m_inspector->isVisible()) {
        m_inspector->dismissAnimated(true);
        return Status::success();
    }
    Status shown = m_inspector->inspectFromBarButtonItem(*this, m_zoomItem);
    if (shown) {
        // The slice shows the zoom the editors share, which a fresh showing
        // sets back to 100 %; this view's own zoom is what it must show.
        EditorFlags::shared().currentDocumentTextZoomPercent = std::lround(m_scale * 100);
        m_inspector->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonObjectsEdited);
    }
    return shown;
}

void RTFTextViewController::setScale(double scale)
{
    m_scale = scale;
    if (isViewLoaded() && m_scalingTextStorage)
        m_scalingTextStorage->setScale(scale);
}

void RTFTextViewController::documentViewZoomModified(double percent)
{
    // A typed zoom is kept within the steps' limits like a stepped one.
    const double scale = DocumentContentsZoomInspectorSlice::clampedPercent(percent) / 100;
    // Through the document, which keeps the zoom and hands it back here.
    if (m_document && !m_receivedDocumentDidClose && m_document->currentTextViewController().get() == this)
        m_document->setScale(scale);
    else
        setScale(scale);
}

Result<EditorContent> RTFTextViewController::content(EditorContent::Parts parts)
{
    AttributedString text;
    if (isViewLoaded())
        text = m_scalingTextStorage->underlyingTextStorage()->attributedString();
    else if (std::optional<MutableAttributedString> kept = m_document ? m_document->RTFtext() : std::nullopt)
        text = *kept;
    std::string name = m_document ? AppFolders::pictureDocumentName(m_document->fileURL()) : std::string();
    Result<std::string> html = RichTextConverter::engineConverter()->htmlFragmentFromAttributedString(text, name);
    if (!html)
        return html.error();
    EditorContent content;
    content.bodyHTML = std::move(*html);
    if (parts == EditorContent::Parts::WithPlainText)
        content.plainText = text.string();
    return content;
}

void RTFTextViewController::documentDidClose()
{
    m_receivedDocumentDidClose = true;
    if (m_textView)
        m_textView->setEditable(false);
    if (m_inspector && m_inspector->isVisible())
        m_inspector->dismissAnimated(false);
    // The document's items go with it.
    std::shared_ptr<NavigationItem> item = navigationItem();
    std::vector<std::shared_ptr<BarButtonItem>> right = item->rightBarButtonItems();
    std::erase_if(right, [this](const auto& barItem) { return barItem == m_undoItem || barItem == m_zoomItem; });
    item->setRightBarButtonItems(std::move(right));
}

void RTFTextViewController::textViewDidChange(TextView&)
{
    if (m_document && !m_receivedDocumentDidClose) {
        // The underlying storage: the document never sees the zoom.
        m_document->setRTFtext(m_scalingTextStorage->underlyingTextStorage()->attributedString());
        m_document->updateChangeCount(DKDocument::ChangeKind::Done);
    }
    updateUndoItem();
    scrollTextSelectionToVisible(true);
}

void RTFTextViewController::textViewDidChangeSelection(TextView&)
{
    scrollTextSelectionToVisible(true);
}

std::optional<double> RTFTextViewController::verticalOffsetShowingSelection(const Rect& selection, const Rect& visible,
                                                                            double contentOffsetY)
{
    double top = selection.minY();
    const double height = selection.height();
    const double viewTop = visible.minY();
    const double viewHeight = visible.height();
    const double viewBottom = viewTop + viewHeight;
    double margin = 0;
    if (viewTop + kScrollMargin <= top) {
        margin = std::min(viewHeight - height, kScrollMargin);
    } else {
        margin = std::min(contentOffsetY, kScrollMargin);
        top -= margin;
    }
    const double bottom = top + height + margin;
    const bool topInside = top >= viewTop && top <= viewBottom;
    const bool bottomInside = bottom >= viewTop && bottom <= viewBottom;
    if ((topInside && bottomInside) || (top <= viewTop && bottom >= viewBottom))
        return std::nullopt;
    if (std::fabs(bottom - viewBottom) <= std::fabs(top - viewTop))
        return bottom - viewHeight;
    return top;
}

void RTFTextViewController::scrollTextSelectionToVisible(bool)
{
    // NOTE: the offset is set at once, animated or not: on the desktop the
    // window's text view scrolls itself, and the model's offset only serves
    // its geometry.
    if (!m_textView || !m_textView->superview())
        return;
    Range selected = m_textView->selectedRange();
    if (selected.isNotFound())
        return;
    m_textView->ensureLayout();
    Rect bounds = m_textView->caretRectForPosition(selected.location);
    if (selected.length > 0) {
        std::vector<Rect> rects = m_textView->selectionRectsForRange(selected);
        if (!rects.empty()) {
            double minX = rects.front().minX(), minY = rects.front().minY();
            double maxX = rects.front().maxX(), maxY = rects.front().maxY();
            for (const Rect& rect : rects) {
                minX = std::min(minX, rect.minX());
                minY = std::min(minY, rect.minY());
                maxX = std::max(maxX, rect.maxX());
                maxY = std::max(maxY, rect.maxY());
            }
            bounds = makeRect(minX, minY, maxX - minX, maxY - minY);
        }
    }
    Point offset = m_textView->contentOffset();
    if (std::optional<double> y = verticalOffsetShowingSelection(bounds, m_textView->bounds(), offset.y))
        m_textView->setContentOffset(Point{offset.x, *y});
}

} // namespace folio
