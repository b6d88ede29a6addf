#include "richtext/viewer/RTFTextView.h"
#include "richtext/viewer/RTFTextViewController.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKInspector.h"
#include "platform/docframework/DKStackedSlicesPane.h"
#include "platform/foundation/RunLoop.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/ScalingTextStorage.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PicturePicker.h"
#include "platform/ui/Window.h"
#include "platform/ui/TextField.h"
#include "support/DocumentTestSupport.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/EditorFlags.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;
using testing_support::writeFile;

constexpr const char* kTableRTF = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard The timetable:\\par"
                                  "\\trowd\\cellx2500\\cellx5000\\pard\\intbl Monday\\cell Piano\\cell\\row"
                                  "\\pard See you there.\\par}";
constexpr const char* kPlainRTF = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 \\pard Dear reader,\\par}";

double pointSizeAt(const TextStorage& storage, std::size_t index)
{
    AttributeDictionaryPtr attributes = storage.attributesAtIndex(index);
    const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(TextAttributeName::Font) : nullptr;
    return font ? font->font().pointSize() : 0;
}

class TestAppController : public DKDocumentAppController {
public:
    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override
    {
        return std::make_shared<TextDocument>(url);
    }
};

class RTFViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EditorFlags::shared().reset();
        EditorMakers::registerMaker(EditorKind::RTFViewer,
                                    [](TextDocument& document) { return RTFTextViewController::make(document); });
    }
    void TearDown() override
    {
        EditorMakers::unregisterAll();
        EditorFlags::shared().reset();
    }

    // A rich-text document read from `rtf`, with its editor made as the framework makes it.
    std::shared_ptr<TextDocument> open(const std::string& name, const char* rtf)
    {
        std::string path = folder.path(name);
        writeFile(path, rtf);
        auto document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        return document;
    }
    static RTFTextViewController* viewerOf(const TextDocument& document)
    {
        return dynamic_cast<RTFTextViewController*>(document.currentTextViewController().get());
    }

    ScratchFolder folder{"rtf-viewer"};
};

TEST(RTFTextViewScrolling, KeepsUpToSixtySixPointsAroundTheSelectionInView)
{
    using Controller = RTFTextViewController;
    const Rect view = makeRect(0, 30, 320, 500);
    // Ten points below the top with 30 scrolled: 30 points show above it.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 40, 5, 20), view, 30), std::optional<double>(10));
    // Inside the view, margin included: no scrolling.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 200, 5, 20), view, 30), std::nullopt);
    // Below the view: its bottom with a 66 point margin meets the view's bottom.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 900, 5, 20), view, 30), std::optional<double>(900 + 20 + 66 - 500));
    // Near the bottom edge: the margin below is what brings it up.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 500, 5, 20), view, 30), std::optional<double>(500 + 20 + 66 - 500));
    // Far above: its top, less the margin the offset allows, becomes the top.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 100, 5, 20), makeRect(0, 700, 320, 500), 700),
              std::optional<double>(100 - 66));
    // At the very top nothing is scrolled in: no offset to take a margin from.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 0, 5, 20), makeRect(0, 0, 320, 500), 0), std::nullopt);
    // A selection taller than the view that covers it whole does not move it.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 0, 5, 2000), view, 30), std::nullopt);
    // A view shorter than the margin takes what it can show below.
    EXPECT_EQ(Controller::verticalOffsetShowingSelection(makeRect(0, 400, 5, 20), makeRect(0, 0, 320, 50), 0),
              std::optional<double>(400 + 20 + 30 - 50));
}

TEST_F(RTFViewerTest, aTableDocumentOpensInTheViewerShowingItsWholeTextReadOnly)
{
    auto document = open("Timetable.rtf", kTableRTF);
    RTFTextViewController* viewer = viewerOf(*document);
    ASSERT_NE(viewer, nullptr) << "the framework chose the viewer";
    std::shared_ptr<RTFTextView> view = viewer->rtfTextView();
    const std::u16string& shown = view->text();
    for (const char16_t* words : {u"The timetable:", u"Monday", u"Piano", u"See you there."})
        EXPECT_NE(shown.find(words), std::u16string::npos) << toUtf8(words);
    EXPECT_FALSE(view->isEditable()) << "the document refuses saves, so typing would be lost";
    EXPECT_FALSE(view->insertText(u"lost"));
    EXPECT_EQ(document->RTFtext()->string(), shown);

    // Shown, it says once why it takes no typing.
    Window window(makeRect(0, 0, 800, 600));
    window.setRootViewController(document->viewControllerToPresent());
    window.makeKeyAndVisible();
    auto notice = std::dynamic_pointer_cast<AlertController>(viewer->presentedViewController());
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->title(), u"Read Only Document");
    EXPECT_TRUE(notice->tapActionWithTitle(u"OK"));
    EXPECT_FALSE(viewer->presentedViewController());
    window.close();
    window.makeKeyAndVisible();
    EXPECT_FALSE(viewer->presentedViewController()) << "told once";

    // A document the page holds opens in the editor; with no editor made, in nothing.
    auto plain = open("Letter.rtf", kPlainRTF);
    EXPECT_EQ(viewerOf(*plain), nullptr);
    EXPECT_FALSE(plain->currentTextViewController());
}

TEST_F(RTFViewerTest, zoomScalesOnlyWhatIsShownAndWaitsForTheView)
{
    TextDocument document;
    document.setRTFtext(open("Z.rtf", kTableRTF)->RTFtext());
    auto viewer = RTFTextViewController::make(document);
    viewer->setScale(2);
    EXPECT_EQ(viewer->scale(), 2);
    EXPECT_FALSE(viewer->scalingTextStorage()) << "before the view, the scale is only kept";
    viewer->loadViewIfNeeded();
    ASSERT_TRUE(viewer->scalingTextStorage());
    EXPECT_EQ(viewer->scalingTextStorage()->scale(), 1.0) << "the view starts unzoomed";
    const double size = pointSizeAt(*viewer->scalingTextStorage(), 0);
    ASSERT_GT(size, 0);

    viewer->setScale(1.5);
    EXPECT_DOUBLE_EQ(pointSizeAt(*viewer->scalingTextStorage(), 0), size * 1.5);
    EXPECT_DOUBLE_EQ(pointSizeAt(*viewer->scalingTextStorage()->underlyingTextStorage(), 0), size);
    // Taller text scrolls further: the caret's line grows with the zoom.
    std::shared_ptr<RTFTextView> view = viewer->rtfTextView();
    double tall = view->caretRectForPosition(0).height();
    viewer->setScale(1);
    EXPECT_LT(view->caretRectForPosition(0).height(), tall);
}

TEST_F(RTFViewerTest, theZoomSliceComesFirstAndZoomsThroughTheDocument)
{
    TestAppController app;
    std::optional<Status> opened;
    std::string path = folder.path("Zoomed.rtf");
    writeFile(path, kTableRTF);
    app.openDocumentAtURL(path, [&](Status status) { opened = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 30));
    ASSERT_TRUE(*opened) << opened->error().message;
    auto* document = dynamic_cast<TextDocument*>(app.document().get());
    ASSERT_NE(document, nullptr);
    RTFTextViewController* viewer = viewerOf(*document);
    ASSERT_NE(viewer, nullptr);
    std::shared_ptr<RTFTextView> view = viewer->rtfTextView();

    std::shared_ptr<DKInspector> inspector = DKInspector::make();
    EXPECT_EQ(view->inspectableObjects(*inspector), std::vector<DKDocument*>{document});
    inspector->setDelegate(view);
    inspector->mainPane()->reloadSlices();
    ASSERT_FALSE(inspector->mainPane()->slices().empty());
    auto slice = std::dynamic_pointer_cast<DocumentContentsZoomInspectorSlice>(inspector->mainPane()->slices().front());
    ASSERT_TRUE(slice);
    inspector->updateInterfaceFromInspectedObjects(DKInspectorSlice::UpdateReasonDefault);

    const double size = pointSizeAt(*viewer->scalingTextStorage(), 0);
    slice->zoomIncreaseStepperButton()->tap();
    slice->zoomIncreaseStepperButton()->tap();
    EXPECT_DOUBLE_EQ(document->scale(), 1.2);
    EXPECT_DOUBLE_EQ(viewer->scale(), 1.2);
    EXPECT_DOUBLE_EQ(pointSizeAt(*viewer->scalingTextStorage(), 0), size * 1.2);
    EXPECT_DOUBLE_EQ(pointSizeAt(*viewer->scalingTextStorage()->underlyingTextStorage(), 0), size)
        << "the document's text keeps its real size";
    // A typed zoom stays within what the steps reach.
    slice->zoomTextWell()->setText(u"5000%");
    slice->zoomChanged();
    EXPECT_DOUBLE_EQ(viewer->scale(), 3.5);
    slice->zoomTextWell()->setText(u"80 %");
    slice->zoomChanged();
    EXPECT_DOUBLE_EQ(viewer->scale(), 0.8);

    bool closed = false;
    app.closeDocument([&](Status) { closed = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed; }, 30));
    EXPECT_TRUE(view->inspectableObjects(*inspector).empty()) << "nothing is inspected once the document closed";
}

TEST_F(RTFViewerTest, editsGoBackToTheDocumentUnscaledAndMarkItChanged)
{
    // A document that accepts saves, with a text of its own.
    TextDocument document;
    Result<DKRTFReadResult> read = RichTextConverter::engineConverter()->readRTF(DKRTFReaderSource::utf8(kPlainRTF), "E.rtf");
    ASSERT_TRUE(read);
    document.setRTFtext(read->text);
    auto viewer = RTFTextViewController::make(document);
    auto parent = std::make_shared<View>(makeRect(0, 0, 320, 200));
    std::shared_ptr<RTFTextView> view = viewer->rtfTextView();
    view->setFrame(makeRect(0, 0, 320, 200));
    parent->addSubview(view);
    ASSERT_TRUE(view->isEditable());
    ASSERT_TRUE(viewer->undoBarButtonItem());
    EXPECT_FALSE(viewer->undoBarButtonItem()->isEnabled());
    auto items = viewer->navigationItem()->rightBarButtonItems();
    EXPECT_EQ(items, (std::vector<std::shared_ptr<BarButtonItem>>{viewer->zoomBarButtonItem(), viewer->undoBarButtonItem()}));

    viewer->setScale(2);
    const double size = pointSizeAt(*viewer->scalingTextStorage()->underlyingTextStorage(), 0);
    view->setSelectedRange({view->text().size(), 0});
    ASSERT_TRUE(view->insertText(u"\nYours"));
    ASSERT_TRUE(document.RTFtext());
    EXPECT_EQ(document.RTFtext()->string(), view->text());
    EXPECT_DOUBLE_EQ(pointSizeAt(*viewer->scalingTextStorage()->underlyingTextStorage(), view->text().size() - 1), size);
    EXPECT_TRUE(document.hasUnsavedChanges());
    EXPECT_TRUE(viewer->undoBarButtonItem()->isEnabled());
    Result<EditorContent> content = viewer->content();
    ASSERT_TRUE(content);
    EXPECT_NE(content->bodyHTML.find("Yours"), std::string::npos) << "a save carries the edit";

    // Many lines later the caret is scrolled into view, with the margin below it.
    std::u16string beforeLastLine;
    for (int line = 0; line < 40; ++line) {
        beforeLastLine = view->text();
        view->insertText(u"\nline");
    }
    Rect caret = view->caretRectForPosition(view->text().size());
    EXPECT_GT(view->contentOffset().y, 0);
    EXPECT_LE(caret.maxY(), view->contentOffset().y + view->bounds().height());

    EXPECT_TRUE(viewer->undoBarButtonItem()->tap());
    EXPECT_EQ(view->text(), beforeLastLine) << "undo takes the typing back";
    EXPECT_EQ(document.RTFtext()->string(), beforeLastLine);

    viewer->documentDidClose();
    EXPECT_FALSE(view->isEditable());
    EXPECT_TRUE(viewer->navigationItem()->rightBarButtonItems().empty()) << "the document's items went with it";
}

class OfferedPicture final : public PicturePicker {
public:
    void pickPicture(const std::u16string&, Completion completion) override
    {
        ++asked;
        completion(std::string("/pictures/cat.png"));
    }
    int asked = 0;
};

TEST_F(RTFViewerTest, attachingAnImageOffersThePickerAndLeavesTheTextAsItWas)
{
    auto document = open("Timetable.rtf", kTableRTF);
    RTFTextViewController* viewer = viewerOf(*document);
    ASSERT_NE(viewer, nullptr);
    std::u16string before = document->RTFtext()->string();
    auto picker = std::make_shared<OfferedPicture>();
    PicturePicker::setShared(picker);
    auto item = BarButtonItem::withTitle(u"Attach", {});
    viewer->attachImage(*item);
    PicturePicker::setShared(nullptr);
    EXPECT_EQ(picker->asked, 1);
    EXPECT_EQ(document->RTFtext()->string(), before);
    EXPECT_EQ(viewer->rtfTextView()->text(), before);
}

} // namespace
} // namespace folio
