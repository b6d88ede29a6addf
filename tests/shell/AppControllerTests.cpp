#include "support/DocumentTestSupport.h"

#include "shell/AppController.h"
#include "documents/EditorMakers.h"
#include "testing/FakeEditorController.h"
#include "shell/TemporaryFolderCleaner.h"
#include "documents/TextDocument.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/graphics/Image.h"
#include "platform/web/FakeWebView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace folio {
namespace {

using namespace std::chrono_literals;
using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

class TemporaryFolderCleanerTest : public testing::Test {
protected:
    // Every item's date is set relative to one fixed "now".
    void make(const std::string& relative, std::chrono::hours age, bool folder = false)
    {
        std::filesystem::path path = m_folder.root() / relative;
        if (folder)
            std::filesystem::create_directories(path);
        else
            writeFile(path.string(), "x");
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>((m_now - age).time_since_epoch()).count();
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(m_folder.root() / relative); }

    std::vector<std::string> clean()
    {
        return TemporaryFolderCleaner(m_folder.root().string(), [this] { return m_now; }).deleteOlderItems();
    }

    ScratchFolder m_folder{"temporary-cleaner"};
    std::chrono::system_clock::time_point m_now = std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
};

TEST_F(TemporaryFolderCleanerTest, deletesOnlyOldItemsOutsideTheExclusions)
{
    make("DocumentPreviews", 100h, true);
    make("old", 100h, true);
    make("fresh", 1h, true);
    make("recent.pdf", 47h);
    make("stale.pdf", 49h);
    make("kept.rtf", 49h);
    make("KEPT.RTF", 49h);
    make("DocumentPreviews/old.png", 49h);
    make("DocumentPreviews/new.png", 1h);
    make("old/fresh-inside.png", 1h);
    make("fresh/old-inside.png", 49h);
    make("DocumentPreviews", 100h, true);
    make("old", 100h, true);

    std::vector<std::string> deleted = clean();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ(deleted, (std::vector<std::string>{"DocumentPreviews/old.png", "fresh/old-inside.png", "stale.pdf"}));
    EXPECT_TRUE(exists("recent.pdf"));
    EXPECT_TRUE(exists("kept.rtf"));
    EXPECT_TRUE(exists("KEPT.RTF"));
    EXPECT_TRUE(exists("DocumentPreviews/new.png"));
    EXPECT_TRUE(exists("old/fresh-inside.png")) << "an old folder keeps a fresh file";
}

TEST_F(TemporaryFolderCleanerTest, oldFoldersGoOnceEmpty)
{
    make("a/b", 100h, true);
    make("a/b/old.txt", 72h);
    make("a/b", 100h, true);
    make("a", 100h, true);
    std::vector<std::string> deleted = clean();
    EXPECT_EQ(deleted, (std::vector<std::string>{"a/b/old.txt", "a/b", "a"}));
    EXPECT_FALSE(exists("a"));
}

class AppControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        EditorMakers::registerMaker(EditorKind::QVText,
                                    [](TextDocument& document) { return std::make_shared<FakeEditorController>(&document); });
    }
    void TearDown() override { EditorMakers::unregisterAll(); }

    Status openDocument(AppController& controller, const std::string& path)
    {
        auto result = std::make_shared<std::optional<Status>>();
        controller.openDocumentAtURL(path, [result](Status status) { *result = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, 30));
        return result->value_or(Status(Error{"test", 1, "timed out"}));
    }

    ScratchFolder m_folder{"app-controller"};
};

TEST_F(AppControllerTest, isTheSharedControllerAndMakesTextDocuments)
{
    AppController controller;
    EXPECT_EQ(AppController::controller(), &controller);
    EXPECT_NE(std::dynamic_pointer_cast<TextDocument>(controller.makeDocumentForURL("/x/any.thing")), nullptr);
    EXPECT_EQ(controller.feedbackMenuTitle(), "Help");
}

TEST_F(AppControllerTest, createsEachKindOfNewDocument)
{
    AppController controller;
    EXPECT_TRUE(controller.createNewDocument(DocumentKind::Markdown, m_folder.path("a.md")));
    EXPECT_TRUE(controller.createNewDocument(DocumentKind::TeX, m_folder.path("a.tex")));
    EXPECT_TRUE(controller.createNewDocument(DocumentKind::QVText, m_folder.path("a.qvtext")));
    EXPECT_TRUE(controller.createNewDocument(DocumentKind::QVOutline, m_folder.path("a.qvoutline")));
    Status rtf = controller.createNewDocument(DocumentKind::RTF, m_folder.path("a.rtf"));
    EXPECT_TRUE(rtf) << (rtf ? "" : rtf.error().message);
    EXPECT_EQ(readFile(m_folder.path("a.md")), "");
    EXPECT_EQ(readFile(m_folder.path("a.rtf")).substr(0, 5), "{\\rtf");
    std::string outline = readFile(m_folder.path("a.qvoutline"));
    Result<Data> page = Deflate::decompress(std::span(reinterpret_cast<const std::uint8_t*>(outline.data()), outline.size()));
    ASSERT_TRUE(page);
    EXPECT_NE(page->toString().find("id='noteDate'"), std::string::npos);

    writeFile(m_folder.path("exists.md"), "mine");
    EXPECT_FALSE(controller.createNewDocument(DocumentKind::Markdown, m_folder.path("exists.md")));
    EXPECT_EQ(readFile(m_folder.path("exists.md")), "mine");
    EXPECT_FALSE(controller.createNewDocument(DocumentKind::QVText, m_folder.path("wrong.md")));
    EXPECT_FALSE(controller.createNewDocument(DocumentKind::Markdown, m_folder.path("missing/a.md")));
}

TEST_F(AppControllerTest, savingTheOpenDocumentShowsTheIndicatorAndOverlay)
{
    AppController controller;
    // With no document open there is nothing to save, and the one waiting
    // hears so at once instead of never; no overlay is left up.
    bool completedWithoutDocument = false;
    controller.updateHTMLContentCurrentDocument([&] { completedWithoutDocument = true; });
    EXPECT_TRUE(completedWithoutDocument);
    EXPECT_FALSE(ProgressHUD::isVisible());

    ASSERT_TRUE(controller.createNewDocument(DocumentKind::QVText, m_folder.path("open.qvtext")));
    ASSERT_TRUE(openDocument(controller, m_folder.path("open.qvtext")));
    auto document = controller.currentDocument();
    ASSERT_NE(document, nullptr);
    auto* editor = dynamic_cast<FakeEditorController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(controller.pickerAnimationViewForTarget(*document), editor->view());
    EditorContent content;
    content.bodyHTML = "<p>saved</p>";
    editor->setContent(content);

    bool done = false;
    controller.updateHTMLContentCurrentDocument([&] { done = true; });
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_FALSE(controller.closeDocumentBarButtonItem()->isEnabled());
    EXPECT_TRUE(controller.savingIndicator()->isAnimating());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return done; }, 30));
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_TRUE(controller.toolsBarButtonItem()->isEnabled());
    EXPECT_FALSE(controller.savingIndicator()->isAnimating());

    auto closed = std::make_shared<std::optional<Status>>();
    controller.closeDocument([closed](Status status) { *closed = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed->has_value(); }, 30));
    EXPECT_EQ(editor->didCloseCount(), 1);
    EXPECT_EQ(controller.document(), nullptr);
}

// A share row works from the file: the open document's unsaved changes are
// saved first and the row runs on the file only then; when that save fails
// the row does not run at all.
TEST_F(AppControllerTest, aShareRowRunsOnTheOpenFileOnlyOnceItsChangesAreSaved)
{
    AppController controller;
    const std::string path = m_folder.path("shared.qvtext");
    ASSERT_TRUE(controller.createNewDocument(DocumentKind::QVText, path));
    ASSERT_TRUE(openDocument(controller, path));
    std::shared_ptr<TextDocument> document = controller.currentDocument();
    auto* editor = dynamic_cast<FakeEditorController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->finishLoadingPage();
    auto pageOnDisk = [](const std::string& file) {
        std::string bytes = readFile(file);
        Result<Data> page = Deflate::decompress(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        return page ? std::string(page->stringView()) : std::string("(unreadable)");
    };
    std::vector<std::string> filesSeen;
    auto task = [&](const std::string& file) {
        filesSeen.push_back(pageOnDisk(file));
        return Status::success();
    };

    // Another file, or no changes: the row runs at once, nothing is saved.
    const std::string other = m_folder.path("other.qvtext");
    ASSERT_TRUE(controller.createNewDocument(DocumentKind::QVText, other));
    controller.runOnSavedFile(other, task);
    EXPECT_EQ(filesSeen.size(), 1u);
    controller.runOnSavedFile(path, task);
    EXPECT_EQ(filesSeen.size(), 2u);
    EXPECT_EQ(editor->contentRequestCount(), 0);

    EditorContent typed;
    typed.bodyHTML = "<p>typed just now</p>";
    editor->setContent(typed);
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    filesSeen.clear();
    controller.runOnSavedFile(path, task);
    EXPECT_TRUE(filesSeen.empty()) << "the row ran before the save";
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !filesSeen.empty(); }, 30));
    EXPECT_NE(filesSeen.front().find("typed just now"), std::string::npos) << filesSeen.front();
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_FALSE(ProgressHUD::isVisible());

    // The page stops answering: the save fails and the row never runs on
    // the file as it last was.
    const std::string before = readFile(path);
    editor->setContent(Error{"test", 1, "the page did not answer"});
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    filesSeen.clear();
    controller.runOnSavedFile(path, task);
    // The save has answered once its progress is taken down: the row would
    // have run then.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return document->lastError().has_value() && !ProgressHUD::isVisible(); }, 30));
    EXPECT_TRUE(filesSeen.empty()) << "the row ran on the file as it last was";
    EXPECT_EQ(readFile(path), before);
    EXPECT_TRUE(document->hasUnsavedChanges());
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST_F(AppControllerTest, exportsCopyOutAndPreviewsOfTheOpenDocumentTakeItsEditorsContent)
{
    auto writeQV = [&](const std::string& name, std::string_view html) {
        Result<Data> page = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(page.ok());
        writeFile(m_folder.path(name), page->stringView());
        return m_folder.path(name);
    };
    std::string openPath = writeQV("open.qvtext", "<p>saved open</p>");
    std::string otherPath = writeQV("other.qvtext", "<p>saved other</p>");
    AppController controller;
    std::vector<FakeWebView*> pages;
    controller.exports().setPNGWebViewFactory([&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        auto page = std::make_unique<FakeWebView>(frame);
        pages.push_back(page.get());
        return std::unique_ptr<WebView>(std::move(page));
    });
    ASSERT_TRUE(openDocument(controller, openPath));
    auto document = controller.currentDocument();
    ASSERT_NE(document, nullptr);
    auto* editor = dynamic_cast<FakeEditorController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    EditorContent content;
    content.bodyHTML = "<p>unsaved edit</p>";
    content.bodyStyle = "color: red";
    editor->setContent(content);

    // The open file's exports take the editor's content; another file's never do.
    EXPECT_EQ(controller.openContentForFile(openPath), content);
    EXPECT_NE(controller.exports().HTMLStringForFileItem(openPath).valueOr("").find("<p>unsaved edit</p>"), std::string::npos);
    EXPECT_EQ(controller.exports().TXTDataForFileItem(openPath).valueOr(""), "unsaved edit");
    int asked = editor->contentRequestCount();
    EXPECT_EQ(controller.openContentForFile(otherPath), std::nullopt);
    EXPECT_NE(controller.exports().HTMLStringForFileItem(otherPath).valueOr("").find("<p>saved other</p>"), std::string::npos);
    EXPECT_EQ(editor->contentRequestCount(), asked) << "another file's export does not ask the editor";

    // Copy-out copies the same content.
    ASSERT_TRUE(controller.copyHTMLToPasteboard());
    EXPECT_EQ(Pasteboard::general().string(), std::optional<std::u16string>(u"<p>unsaved edit</p>"));
    if (auto alert = editor->presentedViewController())
        alert->dismissViewControllerAnimated(false);

    // The preview pictures the content, laid out off-screen.
    bool previewed = false;
    controller.writePreviewsForDocument(*document, [&] { previewed = true; });
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NE(pages[0]->loadedHTML().find("unsaved edit"), std::string::npos);
    EXPECT_EQ(pages[0]->loadedHTML().find("saved open"), std::string::npos);
    EXPECT_TRUE(editor->forPreviewGeneration());
    pages[0]->setSnapshotResult(*Image::imageWithPixels(2, 2, std::vector<std::uint8_t>(16, 0xFF)));
    pages[0]->finishLoad();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return previewed; }, 30));
    EXPECT_EQ(pages[0]->snapshotRequestCount(), 1u);

    // An editor that cannot answer leaves the saved file to export.
    editor->setContent(Error{EditorController::kErrorDomain, EditorController::NoAnswer, "gone"});
    EXPECT_EQ(controller.openContentForFile(openPath), std::nullopt);
    EXPECT_NE(controller.exports().HTMLStringForFileItem(openPath).valueOr("").find("<p>saved open</p>"), std::string::npos);
    EXPECT_FALSE(controller.copyPlainTextToPasteboard());
}

TEST_F(AppControllerTest, openingADamagedFileFailsWithItsReason)
{
    AppController controller;
    writeFile(m_folder.path("bad.qvtext"), "not deflate");
    Status status = openDocument(controller, m_folder.path("bad.qvtext"));
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().code, TextDocument::CorruptQVFile);
    EXPECT_EQ(controller.document(), nullptr);
    EXPECT_EQ(readFile(m_folder.path("bad.qvtext")), "not deflate");
}

} // namespace
} // namespace folio
