#pragma once

#include "documents/EditorController.h"
#include "platform/ui/TextViewDelegate.h"
#include "webeditor/DocumentViewZooming.h"

#include <memory>
#include <optional>

namespace folio {

class BarButtonItem;
class DKInspector;
class RTFTextView;
class ScalingTextStorage;

// The native viewer of a rich-text document: the document's attributed text
// (RTFtext) in a text view of its own, zoomed by scaling the text storage.
// Each edit goes back into the document. The text takes edits only when the
// document has such a text and accepts saves: a document whose editing page
// cannot carry it back (a table) refuses every save, and typing there would
// only be lost.
class RTFTextViewController final : public EditorController, public TextViewDelegate, public DocumentViewZooming {
public:
    // How far above or below the selection the view keeps in sight.
    static constexpr double kScrollMargin = 66;
    // The zoom inspector holds one slice.
    static constexpr double kInspectorHeight = 60;

    static std::shared_ptr<RTFTextViewController> make(TextDocument& document);
    ~RTFTextViewController() override;

    TextDocument* document() const { return m_document; }
    std::shared_ptr<RTFTextView> rtfTextView();
    std::shared_ptr<View> textView() override;
    const std::shared_ptr<ScalingTextStorage>& scalingTextStorage() const { return m_scalingTextStorage; }

    double scale() const { return m_scale; }
    // Stored; a loaded view's storage is redrawn at that factor.
    void setScale(double scale) override;
    // From the zoom slice, in percent.
    void documentViewZoomModified(double percent) override;
    double documentViewZoomPercent() const override { return m_scale * 100; }

    bool forPreviewGeneration() const { return m_forPreviewGeneration; }
    void setForPreviewGeneration(bool forPreview) override { m_forPreviewGeneration = forPreview; }

    // Made when the view loads, unless the controller only draws a preview,
    // and added to the navigation item's right items; the document's
    // closing takes them off again.
    const std::shared_ptr<BarButtonItem>& undoBarButtonItem() const { return m_undoItem; }
    const std::shared_ptr<BarButtonItem>& zoomBarButtonItem() const { return m_zoomItem; }
    // The inspector with the zoom slice, shown from the zoom item.
    Status showZoomInspector();
    // Offers the picture picker; the viewer puts no pictures into the text,
    // so a picked one is left where it is.
    void attachImage(BarButtonItem& sender);
    const std::shared_ptr<DKInspector>& inspector() const { return m_inspector; }

    // The viewer keeps the document's text current itself.
    bool preparesSaves() const override { return false; }
    void documentWillSave() override {}
    // The text as HTML, as the document's save takes an editor's page.
    Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) override;
    void documentDidClose() override;

    void textViewDidChange(TextView& textView) override;
    void textViewDidChangeSelection(TextView& textView) override;

    // The vertical content offset that brings `selection` (with a margin of
    // up to kScrollMargin) into the visible part of the view, or none when
    // no scrolling is needed. `visible` is the view's bounds.
    static std::optional<double> verticalOffsetShowingSelection(const Rect& selection, const Rect& visible,
                                                                double contentOffsetY);
    // Scrolls the text view so that its selection shows; nothing happens
    // while the view is not on screen.
    void scrollTextSelectionToVisible(bool animated);

protected:
    TextDocument* editedDocument() const override { return m_receivedDocumentDidClose ? nullptr : m_document; }
    void loadView() override;
    void viewDidLoad() override;
    // A document the editing page cannot carry back says, once, why it takes no typing.
    void viewDidAppear(bool animated) override;

private:
    explicit RTFTextViewController(TextDocument& document);
    bool acceptsEdits() const;
    void updateUndoItem();

    TextDocument* m_document;
    std::shared_ptr<ScalingTextStorage> m_scalingTextStorage;
    std::shared_ptr<RTFTextView> m_textView;
    std::shared_ptr<BarButtonItem> m_undoItem;
    std::shared_ptr<BarButtonItem> m_zoomItem;
    std::shared_ptr<DKInspector> m_inspector;
    bool m_receivedDocumentDidClose = false;
    bool m_forPreviewGeneration = false;
    bool m_toldReadOnly = false;
    double m_scale = 1.0;
};

} // namespace folio
