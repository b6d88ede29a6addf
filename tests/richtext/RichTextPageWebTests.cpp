#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkDropBridge.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/PicturePicker.h"
#include "platform/web/WebView.h"
#include "platform/ui/UserResizableView.h"
#include "richtext/RichTextImageEditor.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/TextViewController.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// Answers every request with one file, as if the user had chosen it.
class ChosenFile : public PicturePicker {
public:
    explicit ChosenFile(std::string path) : m_path(std::move(path)) {}
    void pickPicture(const std::u16string&, Completion completion) override
    {
        ++requests;
        RunLoop::main().post([completion, path = m_path] { completion(path); });
    }
    int requests = 0;

private:
    std::string m_path;
};

// A JPEG stored on its side with an EXIF orientation, under a PNG's name.
std::string sidewaysJpegBytes()
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < 40 * 20; ++i)
        pixels.insert(pixels.end(), {30, 90, 200, 255});
    std::vector<std::uint8_t> jpeg = *(*Image::imageWithPixels(40, 20, std::move(pixels)))->jpegData(0.9);
    std::vector<std::uint8_t> segment{0xFF, 0xE1, 0, 34,  'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                                      1,    0,    0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return std::string(jpeg.begin(), jpeg.end());
}

class RichTextPageWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        EditorMakers::registerMaker(EditorKind::RichText,
                                    [](TextDocument& document) { return std::make_shared<TextViewController>(document); });
    }
    void TearDown() override
    {
        PicturePicker::setShared(nullptr);
        EditorMakers::unregisterAll();
    }

    ScratchFolder folder{"rich-text-page"};

    // The document in its editor with the page ready, the caret after its
    // text, and the picture the picker chooses inserted there.
    void openAndInsertChosenPicture(const std::string& path, std::shared_ptr<TextDocument>& document,
                                    TextViewController*& editor)
    {
        document = std::make_shared<TextDocument>(path);
        ASSERT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        editor->loadViewIfNeeded();
        TextViewController* opened = editor;
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened->isPageReady(); }, kEngineWaitSeconds));
        WebView& page = *editor->webView();
        page.stringByEvaluatingJavaScript(
            "(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
            "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);"
            "document.getElementById('content').focus();})()");
        editor->imageOptionSelected(0);
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] { return page.stringByEvaluatingJavaScript("document.querySelectorAll('#content img').length") == "1"; },
            kEngineWaitSeconds));
    }
};

TEST_F(RichTextPageWebTest, aChosenPictureReachesTheSavedFile)
{
    // A name with a question mark: the picture folder is named after it.
    const std::string path = folder.path("Why? pictures.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Before the picture.}");
    const std::string chosen = folder.path("holiday.png");
    writeFile(chosen, sidewaysJpegBytes());
    auto picker = std::make_shared<ChosenFile>(chosen);
    PicturePicker::setShared(picker);

    std::shared_ptr<TextDocument> document;
    TextViewController* editor = nullptr;
    openAndInsertChosenPicture(path, document, editor);
    if (HasFatalFailure())
        return;
    WebView& page = *editor->webView();
    EXPECT_EQ(picker->requests, 1);
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelector('#content img').id"), "marquent_555");
    // Upright: the stored bitmap was 40 wide and 20 high.
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelector('#content img').getAttribute('width')"), "20.000000px");
    EXPECT_NE(page.stringByEvaluatingJavaScript("document.querySelector('#content img').getAttribute('src')").find("Why%3F"),
              std::string::npos);

    auto saved = std::make_shared<std::optional<bool>>();
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [saved](bool success) { *saved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved->has_value(); }, kEngineWaitSeconds));
    ASSERT_TRUE(saved->value_or(false));
    std::string rtf = readFile(path);
    EXPECT_NE(rtf.find("\\pict"), std::string::npos) << rtf;
    // The stored PNG is upright: its header says 20 wide (0x14) and 40 high (0x28).
    EXPECT_NE(rtf.find("49484452" "00000014" "00000028"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\picw240\\pich480"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("Before the picture."), std::string::npos) << rtf;
    document->closeWithCompletionHandler({});
}

TEST_F(RichTextPageWebTest, aJpegFileDroppedOnThePageIsInsertedAndOtherFilesAreNot)
{
    const std::string path = folder.path("Dropped.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Drop here.}");
    const std::string jpeg = folder.path("holiday.png");
    writeFile(jpeg, sidewaysJpegBytes());
    const std::string text = folder.path("list.jpg");
    writeFile(text, "milk, bread");

    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor->webView();
    page.stringByEvaluatingJavaScript(
        "(function(){var p=document.getElementById('paragraph');var r=document.createRange();"
        "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);"
        "document.getElementById('content').focus();})()");

    // The page, not the bars around it, takes drops.
    ASSERT_NE(editor->barContainer(), nullptr);
    DropInteractionDelegate* target = editor->barContainer()->contentView()->dropDelegate();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(editor->barContainer()->dropDelegate(), nullptr);

    EXPECT_FALSE(GtkDropBridge::deliver(*target, GtkDropBridge::sessionForFiles({text})));
    EXPECT_TRUE(GtkDropBridge::deliver(*target, GtkDropBridge::sessionForFiles({text, jpeg})));
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return page.stringByEvaluatingJavaScript("document.querySelectorAll('#content img').length") == "1"; },
        kEngineWaitSeconds));
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelector('#content img').id"), "marquent_555");
    EXPECT_TRUE(document->hasUnsavedChanges());
    document->closeWithCompletionHandler({});
}

TEST_F(RichTextPageWebTest, aTappedPictureIsFramedForEditingAndBorderReplacesIt)
{
    const std::string path = folder.path("Framed.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 A picture:}");
    const std::string chosen = folder.path("holiday.png");
    writeFile(chosen, sidewaysJpegBytes());
    PicturePicker::setShared(std::make_shared<ChosenFile>(chosen));
    std::shared_ptr<TextDocument> document;
    TextViewController* editor = nullptr;
    openAndInsertChosenPicture(path, document, editor);
    if (HasFatalFailure())
        return;
    WebView& page = *editor->webView();
    std::string before = page.stringByEvaluatingJavaScript("document.querySelector('#content img').getAttribute('src')");

    // The page reports the tap; the edit starts a moment later.
    page.stringByEvaluatingJavaScript("document.querySelector('#content img').click()");
    RichTextImageEditor& images = editor->imageEditor();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return images.isEditingImage(); }, kEngineWaitSeconds));
    // The frame is the picture's size as the page lays it out, with room for its handles.
    double width = std::stod(page.stringByEvaluatingJavaScript("document.getElementById('marquent_555').width"));
    double height = std::stod(page.stringByEvaluatingJavaScript("document.getElementById('marquent_555').height"));
    EXPECT_EQ(images.currentlyEditingView()->contentView()->frame().size, (Size{width, height}));
    EXPECT_EQ(images.currentlyEditingView()->frame().size,
              (Size{width + 2 * UserResizableView::kInset, height + 2 * UserResizableView::kInset}));
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.getElementById('marquent_555').style.visibility"), "hidden")
        << "the frame shows the picture while it is edited";
    EXPECT_NE(images.currentlyEditingView()->superview(), nullptr) << "the frame floats over the page";
    EXPECT_TRUE(editor->canPerformAction("borderImage:", nullptr));

    EXPECT_TRUE(editor->performAction("borderImage:", nullptr));
    EXPECT_FALSE(images.isEditingImage());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return page.stringByEvaluatingJavaScript("document.querySelector('#content img').getAttribute('src')") != before; },
        kEngineWaitSeconds));
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelectorAll('#content img').length"), "1") << "replaced, not added";
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.querySelector('#content img').id"), "marquent_444");
    document->closeWithCompletionHandler({});
}

TEST_F(RichTextPageWebTest, aCustomFontReachesThePageThroughTheFontScheme)
{
    // A font the user installed: its file in the custom fonts folder, listed in the database.
    const std::string fonts = AppFolders::customFontsFolder();
    std::filesystem::create_directories(fonts + "/CustomFonts");
    const std::string file = fonts + "/CustomFonts/Quill Mono.ttf";
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", file,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string database = fonts + "/customFontsDB";
    writeFile(database, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>"
                        "<string>Quill Mono.ttf</string></array></plist>");

    const std::string path = folder.path("Typed in my font.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil DejaVuSansMono;}\\f0\\fs24 Mono words.}");
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(editor->pageHTML()->find("src:url('myFont://Quill%20Mono.ttf')"), std::string::npos) << "the page's font rule";
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor->webView();
    page.stringByEvaluatingJavaScript("document.fonts.load(\"16px 'DejaVuSansMono'\").then(function(faces){"
                                      "window.folioFontFaces = faces.length;}, function(){window.folioFontFaces = -1;})");
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return page.stringByEvaluatingJavaScript("String(window.folioFontFaces)") != "undefined"; }, kEngineWaitSeconds));
    EXPECT_EQ(page.stringByEvaluatingJavaScript(
                  "Array.from(document.fonts).filter(function(f){return f.family.indexOf('DejaVuSansMono') >= 0;})"
                  ".map(function(f){return f.status;}).join()"),
              "loaded")
        << "the page loaded the font file through myFont://";
    document->closeWithCompletionHandler({});
    std::filesystem::remove(database);
    std::filesystem::remove(file);
}

TEST_F(RichTextPageWebTest, aDocumentOpensAgainWhereItWasLastRead)
{
    const std::string path = folder.path("Long read.rtf");
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 ";
    for (int line = 1; line <= 300; ++line)
        rtf += "Line " + std::to_string(line) + "\\par ";
    writeFile(path, rtf + "}");
    UserDefaults::standardUserDefaults().removeObjectForKey(TextViewController::lastPositionKey(path));

    auto open = [&](std::shared_ptr<TextDocument>& document) -> TextViewController* {
        document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path));
        document->makeDocumentViewController();
        auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
        if (!editor)
            return nullptr;
        editor->loadViewIfNeeded();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
        return editor;
    };
    std::shared_ptr<TextDocument> first;
    TextViewController* editor = open(first);
    ASSERT_NE(editor, nullptr);
    editor->webView()->stringByEvaluatingJavaScript("document.getElementById('content').style.height='300px';"
                                                    "document.getElementById('content').scrollTop = 1500;");
    ASSERT_EQ(editor->webView()->stringByEvaluatingJavaScript("document.getElementById('content').scrollTop"), "1500");
    bool closed = false;
    first->closeWithCompletionHandler([&](bool) { closed = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed; }, kEngineWaitSeconds));
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey(TextViewController::lastPositionKey(path)), 1500);

    std::shared_ptr<TextDocument> second;
    editor = open(second);
    ASSERT_NE(editor, nullptr);
    editor->webView()->stringByEvaluatingJavaScript("document.getElementById('content').style.height='300px';");
    EXPECT_TRUE(RunLoop::main().runUntil(
        [&] { return editor->webView()->stringByEvaluatingJavaScript("document.getElementById('content').scrollTop") == "1500"; },
        kEngineWaitSeconds))
        << editor->webView()->stringByEvaluatingJavaScript("document.getElementById('content').scrollTop");
    second->closeWithCompletionHandler({});
}

TEST_F(RichTextPageWebTest, theRulerIndentsThePageAndItsMarginsAreSaved)
{
    const std::string path = folder.path("Ruled.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Some text.}");
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    auto* editor = dynamic_cast<TextViewController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor->webView();

    // As a user's drag ends: the ruler announces the new margins.
    editor->margins().slider().setLowerAndUpperValue(2.54f, 19.05f, false);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return !page.stringByEvaluatingJavaScript("document.getElementById('content').style.marginLeft").empty(); },
        kEngineWaitSeconds));
    std::string left = page.stringByEvaluatingJavaScript("document.getElementById('content').style.marginLeft");
    EXPECT_EQ(left, page.stringByEvaluatingJavaScript("document.getElementById('content').style.marginRight"));
    EXPECT_NE(left, "0cm");
    EXPECT_TRUE(document->hasUnsavedChanges());

    auto saved = std::make_shared<std::optional<bool>>();
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [saved](bool success) { *saved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved->has_value(); }, kEngineWaitSeconds));
    ASSERT_TRUE(saved->value_or(false));
    EXPECT_EQ(document->docLeftMargin(), "2.54");
    EXPECT_EQ(document->docRightMargin(), "19.05");
    document->closeWithCompletionHandler({});
}

} // namespace
} // namespace folio
