#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/gtk/GtkDropBridge.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/PicturePicker.h"
#include "platform/web/WebServices.h"
#include "platform/web/WebView.h"
#include "platform/ui/UserResizableView.h"
#include "richtext/RichTextImageEditor.h"
#include "richtext/RichTextMarginRuler.h"
#include "richtext/TextViewController.h"
#include "tools/ruler/RulerRangeSlider.h"
#include "webeditor/PageScript.h"
#include "support/DocumentTestSupport.h"
#include "platform/gtk/GtkRealKeys.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

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

// The engine's page, counting every script and editing command sent to it.
class CountedWebView final : public WebView {
public:
    explicit CountedWebView(std::unique_ptr<WebView> page) : m_page(std::move(page)) {}

    void setDelegate(WebViewDelegate* delegate) override { m_page->setDelegate(delegate); }
    WebViewDelegate* delegate() const override { return m_page->delegate(); }
    void loadHTMLString(const std::string& html, const std::string& baseURL) override { m_page->loadHTMLString(html, baseURL); }
    bool isLoading() const override { return m_page->isLoading(); }
    void loadURL(const std::string& url) override { m_page->loadURL(url); }
    std::string title() const override { return m_page->title(); }
    std::string currentURL() const override { return m_page->currentURL(); }
    void evaluateJavaScript(const std::string& script, ScriptCompletion completion) override
    {
        if (beforeScript)
            beforeScript(*m_page);
        sent.push_back(script);
        m_page->evaluateJavaScript(script, std::move(completion));
    }
    std::string stringByEvaluatingJavaScript(const std::string& script) override
    {
        sent.push_back(script);
        return m_page->stringByEvaluatingJavaScript(script);
    }
    void executeEditingCommand(const std::string& command, const std::string& argument) override
    {
        sent.push_back("editing command " + command);
        m_page->executeEditingCommand(command, argument);
    }
    void setSpellCheckingEnabled(bool enabled) override { m_page->setSpellCheckingEnabled(enabled); }
    bool isSpellCheckingEnabled() const override { return m_page->isSpellCheckingEnabled(); }
    Rect frame() const override { return m_page->frame(); }
    void setFrame(const Rect& frame) override { m_page->setFrame(frame); }
    void takeSnapshot(SnapshotRegion region, SnapshotCompletion completion) override
    {
        m_page->takeSnapshot(region, std::move(completion));
    }
    void printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                    PrintCompletion completion, double magnification = 1) override
    {
        m_page->printToPDF(path, pageSize, margins, std::move(completion), magnification);
    }
    void* nativeWidget() const override { return m_page->nativeWidget(); }

    std::vector<std::string> sent;
    // Looks at the page before a script reaches it.
    std::function<void(WebView&)> beforeScript;

private:
    std::unique_ptr<WebView> m_page;
};

class RichTextPageWebTest : public ::testing::Test {
protected:
    static constexpr double kEngineWaitSeconds = 60;

    void SetUp() override
    {
        // Selections here are the page's own: no page beside it may take them.
        test::usePrivateDisplay();
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

// The page is built in the file's margins: the first script to reach the
// loaded page, before its ready step, finds them already laid out, and the
// ready step leaves them as they are.
TEST_F(RichTextPageWebTest, thePageIsLaidOutInTheFilesMarginsFromItsFirstLayout)
{
    const std::string path = folder.path("Margins.rtf");
    writeFile(path, "{\\rtf1\\ansi\\margl2268\\margr1134{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Some text.}");
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    const std::string marginsScript =
        "(function(){var s=getComputedStyle(document.getElementById('content'));return s.marginLeft+' '+s.marginRight;})()";
    std::string marginsWhenLoaded;
    CountedWebView* page = nullptr;
    auto editor = std::make_shared<TextViewController>(*document, [&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        Result<std::unique_ptr<WebView>> made = WebServices::shared().makeWebView(frame);
        if (!made)
            return made.error();
        auto counted = std::make_unique<CountedWebView>(std::move(*made));
        counted->beforeScript = [&](WebView& loaded) {
            if (marginsWhenLoaded.empty() && !loaded.isLoading())
                marginsWhenLoaded = loaded.stringByEvaluatingJavaScript(marginsScript);
        };
        page = counted.get();
        return std::unique_ptr<WebView>(std::move(counted));
    });
    EditorMakers::registerMaker(EditorKind::RichText, [editor](TextDocument&) { return editor; });
    ASSERT_EQ(document->makeViewController(), editor);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    ASSERT_NE(page, nullptr);
    page->beforeScript = nullptr;

    const std::string marginsWhenReady = page->stringByEvaluatingJavaScript(marginsScript);
    EXPECT_NE(marginsWhenReady, "0px 0px");
    EXPECT_EQ(marginsWhenLoaded, marginsWhenReady);
    // Four and two centimetres, scaled alike.
    double left = 0, right = 0;
    ASSERT_EQ(std::sscanf(marginsWhenReady.c_str(), "%lfpx %lfpx", &left, &right), 2) << marginsWhenReady;
    EXPECT_NEAR(left, 2 * right, 0.1);
    document->closeWithCompletionHandler({});
}

// The save asks the page for everything it writes in one script: the page's
// own helpers answer, and nothing else is sent meanwhile.
TEST_F(RichTextPageWebTest, savingTheDocumentRunsOnePageScript)
{
    const std::string path = folder.path("Saved once.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 First words.}");
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    CountedWebView* page = nullptr;
    auto editor = std::make_shared<TextViewController>(*document, [&page](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        Result<std::unique_ptr<WebView>> made = WebServices::shared().makeWebView(frame);
        if (!made)
            return made.error();
        auto counted = std::make_unique<CountedWebView>(std::move(*made));
        page = counted.get();
        return std::unique_ptr<WebView>(std::move(counted));
    });
    EditorMakers::registerMaker(EditorKind::RichText, [editor](TextDocument&) { return editor; });
    ASSERT_EQ(document->makeViewController(), editor);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    ASSERT_NE(page, nullptr);
    page->stringByEvaluatingJavaScript("document.getElementById('paragraph').innerHTML = '<p>Typed <b>anew</b></p>'");
    page->sent.clear();

    bool saved = false;
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    editor->saveCurrentDocument([&] { saved = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved; }, kEngineWaitSeconds));

    std::string sent;
    for (const std::string& script : page->sent)
        sent += script.substr(0, 80) + "\n";
    ASSERT_EQ(page->sent.size(), 1u) << sent;
    EXPECT_EQ(page->sent[0].rfind("folioEditorContent(", 0), 0u) << page->sent[0];
    std::string rtf = readFile(path);
    EXPECT_NE(rtf.find("Typed "), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\b anew"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("First words"), std::string::npos) << rtf;
    document->closeWithCompletionHandler({});
}

// A new blank document takes the default spacing the user chose; the page's
// own set-up script sets it, in pixels where the number is bare.
TEST_F(RichTextPageWebTest, aNewBlankPageTakesTheDefaultSpacingFromItsSetUp)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    const std::vector<std::pair<const char*, double>> spacing{{"defaultLineSpacing", 1.5},
                                                              {"defaultFirstLineIndent", 1.25},
                                                              {"defaultParagraphSpacingBefore", 6},
                                                              {"defaultParagraphSpacing", 4}};
    defaults.setString("defaultFont", "Helvetica");
    defaults.setDouble("defaultFontSize", 12);
    for (const auto& [key, value] : spacing)
        defaults.setDouble(key, value);
    auto open = [&](const std::string& name, bool blank) {
        const std::string path = folder.path(name);
        writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}\\f0\\fs24 Words.}");
        auto document = std::make_shared<TextDocument>(path);
        EXPECT_TRUE(document->readFromURL(path));
        document->setIsNewBlankDocument(blank);
        defaults.setBool("isNewBlankDocument", blank);
        return document;
    };
    auto style = [](WebView& page, const std::string& id, const std::string& property) {
        return page.stringByEvaluatingJavaScript("document.getElementById('" + id + "').style." + property);
    };

    std::shared_ptr<TextDocument> blank = open("Blank.rtf", true);
    blank->makeDocumentViewController();
    auto* editor = dynamic_cast<TextViewController*>(blank->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    WebView& page = *editor->webView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return style(page, "paragraph", "marginBottom") != ""; }, kEngineWaitSeconds));
    EXPECT_EQ(style(page, "content", "lineHeight"), "1.5");
    EXPECT_EQ(style(page, "paragraph", "lineHeight"), "1.5");
    EXPECT_EQ(style(page, "content", "textIndent"), "1.25cm");
    EXPECT_EQ(style(page, "paragraph", "marginTop"), "6px");
    EXPECT_EQ(style(page, "paragraph", "paddingTop"), "6px");
    EXPECT_EQ(style(page, "paragraph", "marginBottom"), "4px");
    double height = editor->webView()->frame().size.height;
    EXPECT_EQ(style(page, "content", "height"), ScriptValue(height - 22).source() + "px");
    EXPECT_EQ(page.stringByEvaluatingJavaScript("document.body.style.height"), ScriptValue(height).source() + "px");
    blank->closeWithCompletionHandler({});

    // A document that is not new keeps its own spacing.
    std::shared_ptr<TextDocument> kept = open("Kept.rtf", false);
    kept->makeDocumentViewController();
    editor = dynamic_cast<TextViewController*>(kept->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->loadViewIfNeeded();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return editor->isPageReady(); }, kEngineWaitSeconds));
    WebView& keptPage = *editor->webView();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return style(keptPage, "paragraph", "lineHeight") == "normal"; },
                                         kEngineWaitSeconds));
    EXPECT_EQ(style(keptPage, "content", "lineHeight"), "");
    EXPECT_EQ(style(keptPage, "content", "textIndent"), "");
    EXPECT_EQ(style(keptPage, "paragraph", "marginBottom"), "");
    kept->closeWithCompletionHandler({});

    for (const char* key : {"defaultFont", "defaultFontSize", "defaultLineSpacing", "defaultFirstLineIndent",
                            "defaultParagraphSpacingBefore", "defaultParagraphSpacing", "isNewBlankDocument"})
        defaults.removeObjectForKey(key);
}

} // namespace
} // namespace folio
