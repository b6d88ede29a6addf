#include "documents/EditorController.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKInspectorDelegate.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "tools/inspectors/DocumentContentsZoomInspectorSliceMD.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/DocumentViewZooming.h"
#include "webeditor/EditorFlags.h"

#include "platform/ui/Label.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class ZoomedEditor : public EditorController, public DocumentViewZooming {
public:
    explicit ZoomedEditor(TextDocument& document) : m_document(&document) {}
    Result<EditorContent> content(EditorContent::Parts) override { return Error{"Test", 1, "none"}; }
    void documentWillSave() override {}
    void documentDidClose() override {}
    void setForPreviewGeneration(bool) override {}
    std::shared_ptr<View> textView() override { return nullptr; }
    void documentViewZoomModified(double percent) override { received.push_back(percent); }
    double documentViewZoomPercent() const override { return shownPercent; }

    std::vector<double> received;
    double shownPercent = 100;

protected:
    TextDocument* editedDocument() const override { return m_document; }

private:
    TextDocument* m_document;
};

// Gives the slice under test, and counts the inspector's change brackets.
class ZoomDelegate : public DKInspectorDelegate {
public:
    std::vector<std::shared_ptr<DKInspectorSlice>> makeAvailableSlicesForStackedSlicesPane(DKInspector&,
                                                                                          DKStackedSlicesPane&) override
    {
        return {slice};
    }
    std::vector<DKDocument*> inspectableObjects(DKInspector&) override { return objects; }

    std::shared_ptr<DKInspectorSlice> slice;
    std::vector<DKDocument*> objects;
};

class ZoomSliceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EditorFlags::shared().reset();
        EditorMakers::registerMaker(EditorKind::RichText, [this](TextDocument& document) {
            editor = std::make_shared<ZoomedEditor>(document);
            return editor;
        });
        document.makeViewController();
        delegate->objects = {&document};
        inspector->setDelegate(delegate);
        inspector->setDidChangeObserver([this] { ++changes; });
    }
    void TearDown() override
    {
        EditorMakers::unregisterAll();
        EditorFlags::shared().reset();
    }
    template <typename Slice>
    std::shared_ptr<Slice> attach()
    {
        auto slice = std::make_shared<Slice>();
        delegate->slice = slice;
        inspector->mainPane()->reloadSlices();
        return slice;
    }

    TextDocument document;
    std::shared_ptr<ZoomedEditor> editor;
    std::shared_ptr<ZoomDelegate> delegate = std::make_shared<ZoomDelegate>();
    std::shared_ptr<DKInspector> inspector = DKInspector::make();
    int changes = 0;
};

TEST_F(ZoomSliceTest, webSliceStepsByTenWithinFiftyAndThreeHundredFiftyAndTellsTheEditor)
{
    auto slice = attach<DocumentContentsZoomInspectorSlice>();
    EXPECT_EQ(slice->title(), u"View");
    // Shown afresh: the shared zoom, never set, reads 100 %.
    EXPECT_EQ(EditorFlags::shared().currentDocumentTextZoomPercent, 100);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"100%");
    EXPECT_EQ(slice->zoomWellLabelText(), u"Zoom: 100%");

    slice->zoomIncreaseStepperButton()->tap();
    EXPECT_EQ(editor->received, (std::vector<double>{110}));
    EXPECT_EQ(EditorFlags::shared().currentDocumentTextZoomPercent, 110);
    EXPECT_EQ(changes, 1);
    // The end of the change shows the new zoom.
    EXPECT_EQ(slice->zoomTextWell()->text(), u"110%");
    EXPECT_EQ(slice->zoomWellLabel()->text(), u"Zoom: 110%");

    struct Case {
        long long from;
        bool larger;
        double sent;
    };
    for (Case c : {Case{350, true, 350}, Case{50, false, 50}, Case{55, false, 50}, Case{340, true, 350}, Case{120, false, 110}}) {
        SCOPED_TRACE(c.from);
        EditorFlags::shared().currentDocumentTextZoomPercent = c.from;
        editor->received.clear();
        (c.larger ? slice->zoomIncreaseStepperButton() : slice->zoomDecreaseStepperButton())->tap();
        EXPECT_EQ(editor->received, (std::vector<double>{c.sent}));
        EXPECT_EQ(EditorFlags::shared().currentDocumentTextZoomPercent, static_cast<long long>(c.sent));
    }

    // An edit update keeps the shared zoom; a fresh showing starts from the
    // zoom the editor shows its text at, and the next step goes on from it.
    EditorFlags::shared().currentDocumentTextZoomPercent = 120;
    slice->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonObjectsEdited);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"120%");
    editor->shownPercent = 130;
    slice->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"130%");
    editor->received.clear();
    slice->zoomIncreaseStepperButton()->tap();
    EXPECT_EQ(editor->received, (std::vector<double>{140}));
}

TEST_F(ZoomSliceTest, webSliceSendsATypedPercentAndResetsAWellWithoutDigits)
{
    auto slice = attach<DocumentContentsZoomInspectorSlice>();
    EditorFlags::shared().currentDocumentTextZoomPercent = 130;
    slice->zoomTextWell()->setText(u"Zoom 175 %");
    slice->zoomChanged();
    EXPECT_EQ(editor->received, (std::vector<double>{175}));
    // The typed value goes to the editor; the shared zoom is the editor's to set.
    EXPECT_EQ(EditorFlags::shared().currentDocumentTextZoomPercent, 130);

    slice->zoomTextWell()->setText(u"big");
    slice->zoomChanged();
    EXPECT_EQ(editor->received.size(), 1u);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"100%");
    EXPECT_EQ(EditorFlags::shared().currentDocumentTextZoomPercent, 100);
}

TEST_F(ZoomSliceTest, markdownSliceStepsTheDocumentScaleByATenthWithinItsLimits)
{
    auto slice = attach<DocumentContentsZoomInspectorSliceMD>();
    EXPECT_EQ(slice->zoomTextWell()->text(), u"100%");
    struct Case {
        double from;
        bool larger;
        double to;
        const char16_t* shown;
    };
    for (Case c : {Case{1.0, false, 0.9, u"90%"}, Case{1.0, true, 1.1, u"110%"}, Case{0.3, false, 0.25, u"25%"},
                   Case{3.0, true, 3.0, u"300%"}}) {
        SCOPED_TRACE(c.from);
        document.setScale(c.from);
        (c.larger ? slice->zoomIncreaseStepperButton() : slice->zoomDecreaseStepperButton())->tap();
        EXPECT_DOUBLE_EQ(document.scale(), c.to);
        EXPECT_EQ(slice->zoomTextWell()->text(), c.shown);
    }
    document.setScale(1.5);
    slice->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonObjectsEdited);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"150%");
    // What shows is a label with the value, which nobody can type into.
    EXPECT_EQ(slice->zoomWellLabel()->text(), u"Zoom: 150%");
    EXPECT_FALSE(slice->zoomTextWell()->superview()) << "the well is not editable";

    slice->zoomTextWell()->setText(u"500%");
    slice->zoomChanged();
    EXPECT_DOUBLE_EQ(document.scale(), 3.0);
    slice->zoomTextWell()->setText(u"");
    slice->zoomChanged();
    EXPECT_DOUBLE_EQ(document.scale(), 3.0);
}

TEST_F(ZoomSliceTest, markdownSliceWithoutADocumentStepsFromOneAndChangesNothing)
{
    delegate->objects = {};
    auto slice = attach<DocumentContentsZoomInspectorSliceMD>();
    document.setScale(2.0);
    slice->zoomIncreaseStepperButton()->tap();
    EXPECT_DOUBLE_EQ(document.scale(), 2.0);
    EXPECT_EQ(slice->zoomTextWell()->text(), u"100%");
    EXPECT_EQ(changes, 1);
}

} // namespace
} // namespace folio
