#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Window.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/resource.h>
#include <unistd.h>

namespace folio {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TestDocument : public DKDocument {
public:
    using DKDocument::DKDocument;

    Status readFromURL(const std::string& url) override
    {
        if (beforeRead)
            beforeRead();
        ++reads;
        readOnMainThread = isMainThread();
        if (events)
            events->push_back("read");
        Result<Data> data = Data::dataWithContentsOfFile(url);
        if (!data)
            return data.error();
        text = data->toString();
        return Status::success();
    }

    Result<Data> contentsForType(const std::string& type) override
    {
        contentsOnMainThread = isMainThread();
        requestedType = type;
        if (events)
            events->push_back("save");
        ++contentsCount;
        if (failContents)
            return Error{"Test", 7, "the page did not answer"};
        if (duringContents)
            duringContents();
        return Data::fromString(text);
    }

    std::shared_ptr<ViewController> makeViewController() override { return madeEditor("rich"); }
    std::shared_ptr<ViewController> makeMDViewController() override { return madeEditor("markdown"); }
    std::shared_ptr<ViewController> makeQVTextViewController() override { return madeEditor("qvtext"); }
    std::shared_ptr<ViewController> makeQVOutlineViewController() override { return madeEditor("qvoutline"); }
    std::shared_ptr<ViewController> documentViewController() const override { return editor; }

    std::shared_ptr<ViewController> madeEditor(std::string kind)
    {
        if (events)
            events->push_back("make editor");
        if (noEditor)
            return nullptr;
        madeKind = std::move(kind);
        editor = std::make_shared<ViewController>();
        return editor;
    }

    std::string text;
    std::string requestedType;
    std::string madeKind;
    std::shared_ptr<ViewController> editor;
    std::function<void()> duringContents;
    std::atomic<int> contentsCount{0};
    bool failContents = false;
    bool noEditor = false;
    // Written on the file-access queue, read once the waits are over.
    std::vector<std::string>* events = nullptr;
    std::atomic<bool> readOnMainThread{true};
    std::function<void()> beforeRead;
    std::atomic<int> reads{0};
    std::atomic<bool> contentsOnMainThread{true};
};

class DKDocumentTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("dkdocument-" + std::to_string(getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override
    {
        RunLoop::main().cancelAll();
        RunLoop::main().useRealClock();
        std::filesystem::remove_all(m_folder);
    }

    std::string path(const std::string& name) const { return (m_folder / name).string(); }

    bool save(TestDocument& document, const std::string& url,
              DKDocument::SaveOperation operation = DKDocument::SaveOperation::ForOverwriting)
    {
        std::optional<bool> result;
        document.saveToURL(url, operation, [&](bool success) { result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result.has_value(); }, 20));
        return result.value_or(false);
    }

    std::filesystem::path m_folder;
};

TEST(TypeIdentifiersTest, typeFollowsExtensionWithoutCase)
{
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("/a/notes.TXT"), TypeIdentifiers::kPlainText);
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("paper.TeX"), TypeIdentifiers::kTeX);
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("x.Markdown"), TypeIdentifiers::kMarkdown);
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("x.QVOutline"), TypeIdentifiers::kQVOutline);
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("letter.doc"), TypeIdentifiers::kData);
    EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath("dir.rtf/file"), TypeIdentifiers::kData);
    EXPECT_EQ(TypeIdentifiers::lowercasedPathExtension("/a/.rtf"), "");
    EXPECT_EQ(TypeIdentifiers::lowercasedPathExtension("a.b.RTF"), "rtf");
}

TEST_F(DKDocumentTest, readsAndSavesOffTheMainThread)
{
    std::ofstream(path("a.txt")) << "first";
    auto document = std::make_shared<TestDocument>(path("a.txt"));
    std::optional<bool> opened;
    document->openWithCompletionHandler([&](bool success) { opened = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 20));
    EXPECT_TRUE(*opened);
    EXPECT_FALSE(document->readOnMainThread);
    EXPECT_EQ(document->text, "first");

    document->text = "second";
    EXPECT_TRUE(save(*document, document->fileURL()));
    EXPECT_FALSE(document->contentsOnMainThread);
    EXPECT_EQ(document->requestedType, TypeIdentifiers::kPlainText);
    EXPECT_EQ(readFile(path("a.txt")), "second");
}

TEST_F(DKDocumentTest, failedReadIsReportedWithItsReason)
{
    auto document = std::make_shared<TestDocument>(path("missing.txt"));
    std::optional<bool> opened;
    document->openWithCompletionHandler([&](bool success) { opened = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 20));
    EXPECT_FALSE(*opened);
    ASSERT_TRUE(document->lastError().has_value());
    EXPECT_EQ(document->lastError()->domain, FileManager::kErrorDomain);
}

TEST_F(DKDocumentTest, failedContentsKeepTheFileAndTheChanges)
{
    std::ofstream(path("keep.txt")) << "good data";
    auto document = std::make_shared<TestDocument>(path("keep.txt"));
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    document->failContents = true;
    EXPECT_FALSE(save(*document, document->fileURL()));
    EXPECT_EQ(readFile(path("keep.txt")), "good data");
    EXPECT_TRUE(document->hasUnsavedChanges());
    ASSERT_TRUE(document->lastError().has_value());
    EXPECT_EQ(document->lastError()->message, "the page did not answer");
}

TEST_F(DKDocumentTest, creatingRefusesAnExistingFile)
{
    std::ofstream(path("there.txt")) << "old";
    auto document = std::make_shared<TestDocument>();
    ASSERT_TRUE(document->initWithContentsOfTemplateAtURL(std::nullopt, path("there.txt")));
    document->text = "new";
    EXPECT_FALSE(save(*document, path("there.txt"), DKDocument::SaveOperation::ForCreating));
    EXPECT_EQ(readFile(path("there.txt")), "old");
    EXPECT_EQ(document->lastError()->code, DKDocument::FileExists);

    EXPECT_FALSE(document->initWithContentsOfTemplateAtURL(std::nullopt, path("no/such/folder.txt")));
    EXPECT_FALSE(document->initWithContentsOfTemplateAtURL(std::nullopt, ""));
}

TEST_F(DKDocumentTest, saveReplacesTheFileInsteadOfRewritingIt)
{
    // A second name for the old file's contents: an in-place rewrite would
    // change it too, a rename over the old name does not.
    std::ofstream(path("linked.txt")) << "old contents";
    std::filesystem::create_hard_link(path("linked.txt"), path("other-name.txt"));
    auto document = std::make_shared<TestDocument>(path("linked.txt"));
    document->text = "new contents";
    EXPECT_TRUE(save(*document, document->fileURL()));
    EXPECT_EQ(readFile(path("linked.txt")), "new contents");
    EXPECT_EQ(readFile(path("other-name.txt")), "old contents");
}

TEST_F(DKDocumentTest, writeCutShortLeavesTheOldFile)
{
    std::ofstream(path("big.txt")) << "the old file";
    auto document = std::make_shared<TestDocument>(path("big.txt"));
    document->text = std::string(1 << 20, 'x');

    // The process may not write past 64 KiB: the write fails part way
    // through, as it would when the disk fills or the machine stops.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = save(*document, document->fileURL());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path("big.txt")), "the old file");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_folder))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST_F(DKDocumentTest, autosavesAfterTheDelayOnTheVirtualClock)
{
    RunLoop::main().useVirtualClock();
    std::ofstream(path("auto.txt")) << "v1";
    auto document = std::make_shared<TestDocument>(path("auto.txt"));
    document->text = "v2";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds - 0.5);
    RunLoop::main().runOnce();
    EXPECT_EQ(document->contentsCount, 0);

    RunLoop::main().advanceVirtualClock(1);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !document->hasUnsavedChanges(); }, 20));
    EXPECT_EQ(document->contentsCount, 1) << "two changes make one autosave";
    EXPECT_EQ(readFile(path("auto.txt")), "v2");
}

TEST_F(DKDocumentTest, undoneChangesNeedNoSave)
{
    auto document = std::make_shared<TestDocument>(path("undo.txt"));
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    document->updateChangeCount(DKDocument::ChangeKind::Undone);
    EXPECT_FALSE(document->hasUnsavedChanges());
    document->updateChangeCount(DKDocument::ChangeKind::Undone);
    document->updateChangeCount(DKDocument::ChangeKind::Redone);
    EXPECT_TRUE(document->hasUnsavedChanges()) << "undoing below zero is ignored";
    document->updateChangeCount(DKDocument::ChangeKind::Cleared);
    EXPECT_FALSE(document->hasUnsavedChanges());
}

TEST_F(DKDocumentTest, changesMadeDuringASaveStayUnsaved)
{
    auto document = std::make_shared<TestDocument>(path("during.txt"));
    document->text = "saved";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    // The user edits while the contents are being produced.
    document->duringContents = [&] {
        dispatchSyncMain([&] { document->updateChangeCount(DKDocument::ChangeKind::Done); });
    };
    EXPECT_TRUE(save(*document, document->fileURL()));
    EXPECT_TRUE(document->hasUnsavedChanges());
}

TEST_F(DKDocumentTest, closeSavesUnsavedChangesThenCloses)
{
    auto document = std::make_shared<TestDocument>(path("close.txt"));
    std::vector<bool> saveStates;
    document->setSaveStateHandler([&](bool saving) { saveStates.push_back(saving); });
    document->text = "closing words";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    std::optional<bool> closed;
    document->closeWithCompletionHandler([&](bool success) { closed = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 20));
    EXPECT_TRUE(*closed);
    EXPECT_TRUE(document->isClosed());
    EXPECT_EQ(readFile(path("close.txt")), "closing words");
    EXPECT_EQ(saveStates, (std::vector<bool>{true, false}));

    std::optional<bool> late;
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [&](bool success) { late = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return late.has_value(); }, 20));
    EXPECT_FALSE(*late) << "a closed document is not saved again";
}

TEST_F(DKDocumentTest, makerIsChosenByFileTypeAndPresentedInANavigationController)
{
    struct Case {
        const char* name;
        const char* kind;
    };
    for (Case c : {Case{"a.md", "markdown"}, Case{"a.TXT", "markdown"}, Case{"a.tex", "markdown"},
                   Case{"a.qvtext", "qvtext"}, Case{"a.qvoutline", "qvoutline"}, Case{"a.rtf", "rich"},
                   Case{"a.doc", "rich"}}) {
        auto document = std::make_shared<TestDocument>(path(c.name));
        auto editor = document->makeDocumentViewController();
        EXPECT_EQ(document->madeKind, c.kind) << c.name;
        auto navigation = document->viewControllerToPresent();
        ASSERT_NE(navigation, nullptr);
        EXPECT_EQ(navigation->topViewController(), editor);
        EXPECT_EQ(document->viewControllerToPresent(), navigation) << "made once";
    }
}

std::shared_ptr<TestDocument> openDocument(const std::string& url)
{
    auto document = std::make_shared<TestDocument>(url);
    std::optional<bool> opened;
    document->openWithCompletionHandler([&](bool success) { opened = success; });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 20));
    EXPECT_TRUE(opened.value_or(false));
    return document;
}

TEST_F(DKDocumentTest, aDocumentRenamedWhileOpenIsSavedUnderItsNewName)
{
    std::ofstream(path("Old name.txt")) << "first";
    auto document = openDocument(path("Old name.txt"));
    std::filesystem::rename(path("Old name.txt"), path("New name.txt"));
    document->text = "second";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    ASSERT_TRUE(save(*document, document->fileURL()));
    EXPECT_EQ(readFile(path("New name.txt")), "second");
    EXPECT_FALSE(std::filesystem::exists(path("Old name.txt"))) << "no second file under the old name";
    EXPECT_EQ(document->fileURL(), path("New name.txt"));
    EXPECT_EQ(document->fileItem()->name(), "New name.txt");

    // Renamed again after a save: followed from the file the save made.
    std::filesystem::rename(path("New name.txt"), path("Third name.txt"));
    document->text = "third";
    ASSERT_TRUE(save(*document, document->fileURL()));
    EXPECT_EQ(readFile(path("Third name.txt")), "third");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 1);
}

// What hands the open file on asks for its name first: a rename in its
// folder is followed without a save, one to another kind is not.
TEST_F(DKDocumentTest, aRenameIsFollowedWithoutASaveButNotToAnotherKind)
{
    std::ofstream(path("Draft.txt")) << "words";
    auto document = openDocument(path("Draft.txt"));
    int told = 0;
    document->setFileMovedHandler([&] { ++told; });
    EXPECT_FALSE(document->followRenamedFile()) << "nothing was renamed";
    std::filesystem::rename(path("Draft.txt"), path("Final.txt"));
    EXPECT_TRUE(document->followRenamedFile());
    EXPECT_EQ(document->fileURL(), path("Final.txt"));
    EXPECT_EQ(document->fileItem()->name(), "Final.txt");
    EXPECT_EQ(told, 1);

    std::filesystem::rename(path("Final.txt"), path("Final.md"));
    EXPECT_FALSE(document->followRenamedFile());
    EXPECT_EQ(document->fileURL(), path("Final.txt"));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(document->contentsCount, 0) << "following a name wrote nothing";
}

// Names of 248 to 255 bytes leave no room for a temporary's dot and
// letters around them; such a document saves all the same, as it closes too.
TEST_F(DKDocumentTest, documentsWithTheLongestNamesSave)
{
    for (std::size_t length : {248u, 255u}) {
        const std::string name = std::string(length - 4, 'L') + ".txt";
        std::ofstream(path(name)) << "first";
        auto document = openDocument(path(name));
        document->text = "typed word";
        document->updateChangeCount(DKDocument::ChangeKind::Done);
        std::optional<bool> closed;
        document->closeWithCompletionHandler([&](bool saved) { closed = saved; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 20));
        EXPECT_TRUE(*closed) << length << ": " << (document->lastError() ? document->lastError()->message : "");
        EXPECT_EQ(readFile(path(name)), "typed word") << length;
        std::filesystem::remove(path(name));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 0) << "nothing left beside it";
}

// A save asked for while another is on its way writes over what that one
// wrote: the document's own file, not another program's.
TEST_F(DKDocumentTest, savesOneAfterAnotherAreNotTakenForAnotherProgramsChange)
{
    std::ofstream(path("Quick.txt")) << "first";
    auto document = openDocument(path("Quick.txt"));
    int asked = 0;
    document->setFileChangedHandler([&] { ++asked; });
    std::vector<bool> results;
    for (const char* text : {"one", "one and two", "one, two and three"}) {
        document->text = text;
        document->updateChangeCount(DKDocument::ChangeKind::Done);
        document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                            [&](bool saved) { results.push_back(saved); });
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return results.size() == 3; }, 20));
    EXPECT_EQ(results, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(readFile(path("Quick.txt")), "one, two and three");
    // Then another program writes, and the next save is refused.
    std::ofstream(path("Quick.txt"), std::ios::app) << " and theirs";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    EXPECT_FALSE(save(*document, document->fileURL()));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(readFile(path("Quick.txt")), "one, two and three and theirs");
}

TEST_F(DKDocumentTest, aDocumentDeletedWhileOpenIsNotMadeAgainAndKeepsItsChanges)
{
    std::ofstream(path("Gone.txt")) << "first";
    std::ofstream(path("Gone.md")) << "another kind";
    auto document = openDocument(path("Gone.txt"));
    std::vector<std::string> told;
    document->setSaveFailureHandler([&](const Error& error) { told.push_back(error.message); });
    // Gone, and under another kind's name: neither is this document any more.
    std::filesystem::remove(path("Gone.md"));
    std::filesystem::rename(path("Gone.txt"), path("Gone.md"));
    document->text = "edited";
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    EXPECT_FALSE(save(*document, document->fileURL()));
    EXPECT_FALSE(save(*document, document->fileURL()));
    EXPECT_FALSE(std::filesystem::exists(path("Gone.txt")));
    EXPECT_EQ(readFile(path("Gone.md")), "first");
    EXPECT_TRUE(document->hasUnsavedChanges());
    EXPECT_EQ(document->lastError()->code, DKDocument::FileMissing);
    ASSERT_EQ(told.size(), 1u) << "told once, not at every try";
    EXPECT_NE(told.front().find("\"Gone.txt\" was moved or deleted"), std::string::npos) << told.front();
    EXPECT_EQ(document->contentsCount, 0);

    // Closed by the user, once told, it is written again under its name.
    std::optional<bool> saved;
    document->saveBeforeClosing([&](bool success) { saved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved.has_value(); }, 20));
    EXPECT_TRUE(*saved);
    EXPECT_EQ(readFile(path("Gone.txt")), "edited");
    EXPECT_FALSE(document->hasUnsavedChanges());
}

class RecordingAppController : public DKDocumentAppController {
public:
    std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) override
    {
        auto document = std::make_shared<TestDocument>(url);
        document->events = &events;
        document->noEditor = noEditor;
        document->beforeRead = beforeRead;
        documents.push_back(document);
        return document;
    }
    std::shared_ptr<ViewController> viewControllerForDocumentWithoutEditor(DKDocument&) override
    {
        events.push_back("viewer");
        return withViewer ? std::make_shared<ViewController>() : nullptr;
    }
    void hideAutoSavingIndicator() override { ++savesEnded; }
    void writePreviewsForDocument(DKDocument&, std::function<void()> completion) override
    {
        events.push_back("preview");
        completion();
    }
    void writePreviewForFileItem(const std::shared_ptr<ODSFileItem>& item, std::function<void()> completion) override
    {
        previewsAskedFor.push_back(item->name());
        completion();
    }

    std::vector<std::string> events;
    std::vector<std::string> previewsAskedFor;
    std::vector<std::shared_ptr<TestDocument>> documents;
    bool noEditor = false;
    bool withViewer = true;
    int savesEnded = 0;
    std::function<void()> beforeRead;
};

class DKDocumentAppControllerTest : public DKDocumentTest {
protected:
    Status openAndWait(const std::string& url)
    {
        std::optional<Status> opened;
        auto item = std::make_shared<ODSFileItem>(url, nullptr);
        app.openFileItem(item, [&](Status status) { opened = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return opened.has_value(); }, 20));
        return opened.value_or(Status(Error{"Test", 1, "open never finished"}));
    }
    Status closeAndWait()
    {
        std::optional<Status> closed;
        app.closeDocument([&](Status status) { closed = status; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 20));
        return closed.value_or(Status(Error{"Test", 1, "close never finished"}));
    }

    RecordingAppController app;
};

TEST_F(DKDocumentAppControllerTest, opensByReadingMakingTheEditorAndPresentingThenClosesBySavingPicturingAndRefreshing)
{
    std::ofstream(path("Letter.rtf")) << "letter";
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(m_folder.string()));
    picker->loadViewIfNeeded();
    picker->selectedScopeViewController().setChangeHandler([&] { app.events.push_back("refresh"); });

    ASSERT_TRUE(openAndWait(path("Letter.rtf")).ok());
    ASSERT_TRUE(app.documentWindow());
    EXPECT_TRUE(app.documentWindow()->isVisible());
    app.events.push_back("presented");
    EXPECT_EQ(app.documentWindow()->rootViewController(), app.document()->viewControllerToPresent());
    auto shown = app.document()->viewControllerToPresent()->topViewController();
    EXPECT_EQ(shown->navigationItem()->leftBarButtonItems().front(), app.closeDocumentBarButtonItem());

    app.document()->updateChangeCount(DKDocument::ChangeKind::Done);
    // The window's close button closes through the controller, which saves first.
    app.documentWindow()->requestClose();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !app.documentWindow(); }, 20));
    // The folder's watch may refresh the grid at any time (the save writes
    // the file); what counts is that the last refresh follows the picture.
    ASSERT_FALSE(app.events.empty());
    EXPECT_EQ(app.events.back(), "refresh");
    std::erase(app.events, "refresh");
    EXPECT_EQ(app.events, (std::vector<std::string>{"read", "make editor", "presented", "save", "preview"}));
    EXPECT_EQ(app.document(), nullptr);
    EXPECT_TRUE(app.documents.front()->isClosed());
}

TEST_F(DKDocumentAppControllerTest, aDocumentWhoseChangesCannotBeSavedStaysOpen)
{
    std::ofstream(path("Draft.txt")) << "draft";
    std::ofstream(path("Other.txt")) << "other";
    ASSERT_TRUE(openAndWait(path("Draft.txt")).ok());
    auto draft = app.documents.back();
    draft->text = "edited";
    draft->failContents = true;
    draft->updateChangeCount(DKDocument::ChangeKind::Done);

    Status closed = closeAndWait();
    ASSERT_FALSE(closed.ok());
    EXPECT_EQ(app.document(), draft);
    EXPECT_FALSE(draft->isClosed());
    EXPECT_TRUE(draft->hasUnsavedChanges());
    EXPECT_TRUE(app.documentWindow());
    // Nor does opening another file push it aside.
    EXPECT_FALSE(openAndWait(path("Other.txt")).ok());
    EXPECT_EQ(app.document(), draft);

    draft->failContents = false;
    ASSERT_TRUE(closeAndWait().ok());
    EXPECT_EQ(readFile(path("Draft.txt")), "edited");
    EXPECT_EQ(app.document(), nullptr);
}

TEST_F(DKDocumentAppControllerTest, aFileOpenedWhileTheLastOneIsStillClosingWaitsForTheClose)
{
    std::ofstream(path("Draft.txt")) << "draft";
    std::ofstream(path("Other.txt")) << "other";
    ASSERT_TRUE(openAndWait(path("Draft.txt")).ok());
    auto draft = app.documents.back();
    draft->text = "edited";
    draft->failContents = true;
    draft->updateChangeCount(DKDocument::ChangeKind::Done);

    // The close's save runs in the background when the next file is asked for.
    std::optional<Status> closed;
    app.closeDocument([&](Status status) { closed = status; });
    EXPECT_FALSE(openAndWait(path("Other.txt")).ok());
    ASSERT_TRUE(closed.has_value());
    EXPECT_EQ(app.document(), draft);
    EXPECT_TRUE(draft->hasUnsavedChanges());

    draft->failContents = false;
    closed.reset();
    app.closeDocument([&](Status status) { closed = status; });
    ASSERT_TRUE(openAndWait(path("Other.txt")).ok());
    EXPECT_TRUE(closed.has_value() && closed->ok());
    EXPECT_EQ(readFile(path("Draft.txt")), "edited");
    EXPECT_EQ(app.document(), app.documents.back());
    ASSERT_TRUE(app.documentWindow());
    EXPECT_TRUE(app.documentWindow()->isVisible());
}

TEST_F(DKDocumentAppControllerTest, aDocumentReadAheadOpensWithoutASecondReadOnlyForItsOwnFile)
{
    std::ofstream(path("Letter.rtf")) << "letter";
    std::ofstream(path("Other.rtf")) << "other";
    enum class Opening { AfterTheReading, DuringTheReading, OfAnotherFile, OfAMissingFile };
    for (Opening opening : {Opening::AfterTheReading, Opening::DuringTheReading, Opening::OfAnotherFile,
                            Opening::OfAMissingFile}) {
        SCOPED_TRACE(static_cast<int>(opening));
        RecordingAppController ahead;
        // The reading waits for the opening to have been asked for.
        std::promise<void> asked;
        if (opening == Opening::DuringTheReading)
            ahead.beforeRead = [waiting = asked.get_future().share()] { waiting.wait(); };
        const std::string readAhead = opening == Opening::OfAMissingFile ? path("Missing.rtf") : path("Letter.rtf");
        ahead.readDocumentAhead(readAhead);
        ASSERT_EQ(ahead.documents.size(), 1u);
        std::shared_ptr<TestDocument> first = ahead.documents.front();
        if (opening == Opening::AfterTheReading) {
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return first->reads == 1; }, 20));
            // Its end reaches the main thread meanwhile, before the opening.
            RunLoop::main().runUntil([] { return false; }, 0.1);
        }

        const std::string opened = opening == Opening::OfAnotherFile ? path("Other.rtf") : readAhead;
        std::optional<Status> status;
        ahead.openFileItem(std::make_shared<ODSFileItem>(opened, nullptr), [&](Status result) { status = result; });
        asked.set_value();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return status.has_value(); }, 20));

        if (opening == Opening::OfAMissingFile) {
            ASSERT_FALSE(status->ok());
            EXPECT_EQ(status->error().domain, FileManager::kErrorDomain);
            EXPECT_EQ(ahead.documentWindow(), nullptr);
        } else {
            ASSERT_TRUE(status->ok());
            EXPECT_TRUE(ahead.documentWindow() && ahead.documentWindow()->isVisible());
            EXPECT_EQ(ahead.document()->fileItem()->fileURL(), opened);
        }
        // The file read ahead is read once; another file is read as ever.
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return first->reads > 0; }, 20));
        EXPECT_EQ(first->reads, 1);
        if (opening == Opening::OfAnotherFile) {
            ASSERT_EQ(ahead.documents.size(), 2u);
            EXPECT_EQ(ahead.document(), ahead.documents.back());
            EXPECT_EQ(ahead.documents.back()->text, "other");
        } else {
            EXPECT_EQ(ahead.documents.size(), 1u);
            if (opening != Opening::OfAMissingFile) {
                EXPECT_EQ(ahead.document(), first);
                EXPECT_EQ(first->text, "letter");
            }
        }
        if (ahead.document())
            EXPECT_TRUE(ahead.document()->documentViewController());
    }
}

TEST_F(DKDocumentAppControllerTest, aNewDocumentTakesAFreeUntitledNameAndOpens)
{
    std::ofstream(path("Untitled.rtf")) << "older";
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(m_folder.string()));
    picker->loadViewIfNeeded();
    std::optional<Status> made;
    picker->selectedScopeViewController().newDocument("rtf", [&](Status status) { made = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return made.has_value(); }, 20));
    ASSERT_TRUE(*made) << made->error().message;
    ASSERT_TRUE(app.document());
    EXPECT_EQ(app.document()->fileURL(), path("Untitled 2.rtf"));
    EXPECT_EQ(readFile(path("Untitled.rtf")), "older");
    EXPECT_EQ(picker->selectedScopeViewController().lastOpenedFileItem()->name(), "Untitled 2.rtf");
    EXPECT_EQ(picker->selectedScopeViewController().items().size(), 2u);
    ASSERT_TRUE(closeAndWait().ok());
}

TEST_F(DKDocumentAppControllerTest, aKindWithoutAnEditorOpensReadOnlyOrNotAtAll)
{
    std::ofstream(path("Notes.md")) << "notes";
    app.noEditor = true;
    ASSERT_TRUE(openAndWait(path("Notes.md")).ok());
    std::shared_ptr<DKDocument> document = app.document();
    ASSERT_TRUE(document && document->isReadOnly());
    // Nothing can put a save in motion.
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_FALSE(save(*app.documents.back(), path("Notes.md")));
    EXPECT_EQ(document->lastError()->code, DKDocument::ReadOnly);
    ASSERT_TRUE(closeAndWait().ok());
    EXPECT_EQ(app.documents.back()->contentsCount, 0);

    app.withViewer = false;
    Status refused = openAndWait(path("Notes.md"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, DKDocumentAppController::EditorNotAvailable);
    EXPECT_NE(refused.error().message.find("not available yet"), std::string::npos);
    EXPECT_EQ(app.document(), nullptr);
    EXPECT_EQ(app.documentWindow(), nullptr);
    EXPECT_EQ(readFile(path("Notes.md")), "notes");
}

TEST_F(DKDocumentAppControllerTest, aFileNobodyMayWriteOpensReadOnlyWithANoticeAndIsNeverSaved)
{
    std::ofstream(path("Poem.md")) << "roses";
    std::filesystem::permissions(path("Poem.md"), std::filesystem::perms(0444));
    ASSERT_TRUE(openAndWait(path("Poem.md")).ok());
    std::shared_ptr<DKDocument> document = app.document();
    ASSERT_TRUE(document && document->isReadOnly());
    EXPECT_EQ(app.events, (std::vector<std::string>{"read", "viewer"})) << "no editor is made";
    auto notice = std::dynamic_pointer_cast<AlertController>(app.documentWindow()->topMostViewController());
    ASSERT_TRUE(notice) << "the notice is shown with the document";
    EXPECT_EQ(notice->title(), u"Read Only Document");
    EXPECT_NE(notice->message().find(u"\"Poem.md\" is read-only"), std::u16string::npos);
    EXPECT_TRUE(notice->tapActionWithTitle(u"OK"));

    document->updateChangeCount(DKDocument::ChangeKind::Done);
    EXPECT_FALSE(document->hasUnsavedChanges());
    EXPECT_FALSE(save(*app.documents.back(), path("Poem.md")));
    ASSERT_TRUE(closeAndWait().ok());
    EXPECT_EQ(app.documents.back()->contentsCount, 0);
    EXPECT_EQ(readFile(path("Poem.md")), "roses");
    EXPECT_EQ(std::filesystem::status(path("Poem.md")).permissions(), std::filesystem::perms(0444));

    // Without a viewer it does not open at all.
    app.withViewer = false;
    Status refused = openAndWait(path("Poem.md"));
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("read-only"), std::string::npos);
    EXPECT_EQ(app.documentWindow(), nullptr);
}

TEST_F(DKDocumentAppControllerTest, aWritableFileInAFolderNobodyMayWriteOpensReadOnly)
{
    std::filesystem::create_directory(path("Shelf"));
    std::string poem = path("Shelf") + "/Poem.md";
    std::ofstream(poem) << "roses";
    std::filesystem::permissions(path("Shelf"), std::filesystem::perms(0555));
    Status opened = openAndWait(poem);
    std::filesystem::permissions(path("Shelf"), std::filesystem::perms(0755));
    ASSERT_TRUE(opened.ok());
    ASSERT_TRUE(app.document() && app.document()->isReadOnly());
    ASSERT_TRUE(closeAndWait().ok());

    ASSERT_TRUE(openAndWait(poem).ok());
    EXPECT_FALSE(app.document()->isReadOnly());
}

TEST_F(DKDocumentAppControllerTest, theWindowTitleFollowsAFileRenamedWhileOpen)
{
    std::ofstream(path("Old name.txt")) << "first";
    ASSERT_TRUE(openAndWait(path("Old name.txt")).ok());
    std::shared_ptr<ViewController> shown = app.document()->viewControllerToPresent()->topViewController();
    std::u16string before = shown->title();
    std::filesystem::rename(path("Old name.txt"), path("New name.txt"));
    app.documents.back()->text = "second";
    ASSERT_TRUE(save(*app.documents.back(), app.document()->fileURL()));
    EXPECT_NE(shown->title(), before);
    EXPECT_EQ(toUtf8(shown->title()), app.document()->fileItem()->displayedName());
    EXPECT_NE(toUtf8(shown->title()).find("New name"), std::string::npos);
}

TEST_F(DKDocumentAppControllerTest, aFailedAutosaveIsToldAtOnceAndTheDocumentStaysOpenAndChanged)
{
    RunLoop::main().useVirtualClock();
    std::ofstream(path("Draft.txt")) << "the old draft";
    ASSERT_TRUE(openAndWait(path("Draft.txt")).ok());
    auto draft = app.documents.back();
    draft->text = std::string(1 << 20, 'x');
    draft->updateChangeCount(DKDocument::ChangeKind::Done);

    // The disk fills: no write may pass 64 KiB.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    auto alertShown = [&] {
        return std::dynamic_pointer_cast<AlertController>(app.documentWindow()->topMostViewController());
    };
    RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
    bool firstEnded = RunLoop::main().runUntil([&] { return app.savesEnded >= 1; }, 20);
    std::shared_ptr<AlertController> alert = alertShown();
    if (alert)
        alert->tapActionWithTitle(u"OK");
    // The failed autosave tries again later, and fails again, untold.
    RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
    bool secondEnded = RunLoop::main().runUntil([&] { return app.savesEnded >= 2; }, 20);
    std::shared_ptr<AlertController> second = alertShown();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(firstEnded && secondEnded);
    ASSERT_TRUE(alert) << "nothing was said when the autosave failed";
    EXPECT_EQ(alert->title(), u"The Document Could Not Be Saved");
    EXPECT_NE(alert->message().find(u"Draft.txt"), std::u16string::npos);
    EXPECT_EQ(second, nullptr) << "a failure already told is not told again";
    EXPECT_EQ(app.document(), draft);
    EXPECT_TRUE(draft->hasUnsavedChanges());
    EXPECT_EQ(readFile(path("Draft.txt")), "the old draft");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 1) << "nothing left in the folder";

    // Room again: the next autosave writes everything.
    RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !draft->hasUnsavedChanges(); }, 20));
    EXPECT_EQ(readFile(path("Draft.txt")).size(), std::size_t(1) << 20);
    ASSERT_TRUE(closeAndWait().ok());
}

// Another program saves the open document's file, rewriting it where it
// lies or putting a new file in its place. No autosave writes over it: the
// person is asked, and either keeps that version (it is read again) or
// keeps their own (it is saved over the other).
TEST_F(DKDocumentAppControllerTest, aFileAnotherProgramChangedIsNeverAutosavedOverAndThePersonChoosesAVersion)
{
    enum class Write { InPlace, Replacing };
    struct Case {
        Write write;
        const char16_t* answer;
        const char* kept;
    };
    RunLoop::main().useVirtualClock();
    for (const Case& each : {Case{Write::InPlace, u"Keep My Version", "my edits"},
                             Case{Write::Replacing, u"Reload", "their longer version"},
                             Case{Write::InPlace, u"Reload", "their longer version"},
                             Case{Write::Replacing, u"Keep My Version", "my edits"}}) {
        SCOPED_TRACE(std::string(each.write == Write::InPlace ? "in place, " : "replacing, ") + toUtf8(each.answer));
        std::ofstream(path("Draft.txt")) << "the old draft";
        ASSERT_TRUE(openAndWait(path("Draft.txt")).ok());
        auto draft = app.documents.back();
        draft->text = "my edits";
        draft->updateChangeCount(DKDocument::ChangeKind::Done);
        if (each.write == Write::InPlace) {
            std::ofstream(path("Draft.txt"), std::ios::trunc) << "their longer version";
        } else {
            std::ofstream(path(".Draft.txt.other")) << "their longer version";
            std::filesystem::rename(path(".Draft.txt.other"), path("Draft.txt"));
        }

        auto alertShown = [&] {
            return std::dynamic_pointer_cast<AlertController>(app.documentWindow()->topMostViewController());
        };
        RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return alertShown() != nullptr; }, 20)) << "the person was not asked";
        std::shared_ptr<AlertController> alert = alertShown();
        EXPECT_EQ(alert->title(), u"The Document Was Changed by Another Program");
        EXPECT_NE(alert->message().find(u"\"Draft.txt\" was changed by another program"), std::u16string::npos);
        EXPECT_TRUE(draft->fileChangedElsewhere());
        // While the question is open, time passes and saves are tried: none writes.
        for (int period = 0; period < 3; ++period)
            RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
        std::optional<bool> tried;
        draft->autosaveWithCompletionHandler([&](bool saved) { tried = saved; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return tried.has_value(); }, 20));
        EXPECT_FALSE(*tried);
        EXPECT_EQ(readFile(path("Draft.txt")), "their longer version");
        EXPECT_TRUE(draft->hasUnsavedChanges());
        EXPECT_EQ(alertShown(), alert) << "asked once";

        ASSERT_TRUE(alert->tapActionWithTitle(each.answer));
        if (std::u16string(each.answer) == u"Reload") {
            ASSERT_TRUE(RunLoop::main().runUntil(
                [&] { return app.document() && app.document() != draft && app.documentWindow(); }, 20));
            EXPECT_EQ(static_cast<TestDocument&>(*app.document()).text, "their longer version");
            EXPECT_FALSE(app.document()->hasUnsavedChanges());
        } else {
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return !draft->hasUnsavedChanges(); }, 20));
            EXPECT_EQ(app.document(), draft);
            EXPECT_FALSE(draft->fileChangedElsewhere());
        }
        EXPECT_EQ(readFile(path("Draft.txt")), each.kept);

        // What this document writes next is its own again, and goes through.
        auto kept = std::static_pointer_cast<TestDocument>(app.document());
        kept->text = std::string(each.kept) + ", then more";
        kept->updateChangeCount(DKDocument::ChangeKind::Done);
        RunLoop::main().advanceVirtualClock(DKDocument::kAutosaveDelaySeconds);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !kept->hasUnsavedChanges(); }, 20));
        EXPECT_EQ(readFile(path("Draft.txt")), std::string(each.kept) + ", then more");
        ASSERT_TRUE(closeAndWait().ok());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder), {}), 1) << "nothing left in the folder";
    }
}

// A save takes a while to make its contents; a file changed meanwhile is
// found just before the write, and closing asks again instead of writing.
TEST_F(DKDocumentAppControllerTest, aFileChangedWhileTheSaveMakesItsContentsIsNotWrittenOverAndClosingAsksAgain)
{
    std::ofstream(path("Notes.txt")) << "first";
    ASSERT_TRUE(openAndWait(path("Notes.txt")).ok());
    auto notes = app.documents.back();
    int asked = 0;
    notes->setFileChangedHandler([&] { ++asked; });
    notes->text = "mine";
    notes->updateChangeCount(DKDocument::ChangeKind::Done);
    notes->duringContents = [&] { std::ofstream(path("Notes.txt"), std::ios::app) << " and theirs"; };
    EXPECT_FALSE(save(*notes, notes->fileURL()));
    notes->duringContents = nullptr;
    EXPECT_EQ(readFile(path("Notes.txt")), "first and theirs");
    EXPECT_EQ(notes->lastError()->code, DKDocument::ChangedElsewhere);
    EXPECT_EQ(asked, 1);

    EXPECT_FALSE(closeAndWait().ok()) << "the document stays open, its edits unsaved";
    EXPECT_EQ(app.document(), notes);
    EXPECT_TRUE(notes->hasUnsavedChanges());
    EXPECT_EQ(asked, 2) << "asked again when it is to be closed";
    EXPECT_EQ(readFile(path("Notes.txt")), "first and theirs");
    EXPECT_EQ(notes->contentsCount, 1) << "nothing was made to be written while the question was open";
}

TEST_F(DKDocumentAppControllerTest, aFileThatCannotBeReadAnswersTheReadersErrorAndIsLeftAlone)
{
    Status failed = openAndWait(path("missing.rtf"));
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().domain, FileManager::kErrorDomain);
    EXPECT_EQ(app.document(), nullptr);
    EXPECT_EQ(app.documentWindow(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(path("missing.rtf")));
    EXPECT_EQ(app.documents.back()->contentsCount, 0);
}

TEST_F(DKDocumentAppControllerTest, theDocumentsItemShowsTheBrowserOnceTheDocumentIsClosed)
{
    std::ofstream(path("Draft.txt")) << "draft";
    int browserShown = 0;
    app.setDocumentBrowserHandler([&] {
        // By then the document and its window are gone.
        EXPECT_EQ(app.document(), nullptr);
        EXPECT_EQ(app.documentWindow(), nullptr);
        ++browserShown;
    });
    ASSERT_TRUE(openAndWait(path("Draft.txt")).ok());
    auto draft = app.documents.back();
    draft->text = "edited";
    draft->failContents = true;
    draft->updateChangeCount(DKDocument::ChangeKind::Done);

    // Changes that cannot be saved keep the document, and the browser waits.
    app.closeDocumentBarButtonItem()->tap();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return app.documentWindow()->topMostViewController() != app.documentWindow()->rootViewController(); }, 20));
    EXPECT_EQ(browserShown, 0);
    EXPECT_EQ(app.document(), draft);
    app.documentWindow()->rootViewController()->dismissViewControllerAnimated(false);

    draft->failContents = false;
    app.closeDocumentBarButtonItem()->tap();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return browserShown > 0; }, 20));
    EXPECT_EQ(browserShown, 1);
    EXPECT_EQ(readFile(path("Draft.txt")), "edited");
}

TEST_F(DKDocumentAppControllerTest, filesWithoutAPictureGetOneAskedForOncePerChangeButNotTheOpenDocument)
{
    std::ofstream(path("Letter.rtf")) << "letter";
    std::ofstream(path("Notes.md")) << "notes";
    ASSERT_TRUE(openAndWait(path("Letter.rtf")).ok());
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(m_folder.string()));
    picker->loadViewIfNeeded();
    ODSScopeViewController& scope = picker->selectedScopeViewController();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !app.previewsAskedFor.empty(); }, 20));
    EXPECT_EQ(app.previewsAskedFor.front(), "Notes.md");
    // Listing again asks for nothing that was asked for already.
    scope.loadPreviews();
    ASSERT_TRUE(scope.reload().ok());

    // A file changed elsewhere is a new edit: it is asked for again.
    std::filesystem::last_write_time(path("Notes.md"), std::filesystem::last_write_time(path("Notes.md")) + std::chrono::seconds(5));
    ASSERT_TRUE(scope.reload().ok());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return app.previewsAskedFor.size() >= 2; }, 20));

    // Once closed, the document that was open is asked for too.
    ASSERT_TRUE(closeAndWait().ok());
    ASSERT_TRUE(RunLoop::main().runUntil([&] {
        return std::find(app.previewsAskedFor.begin(), app.previewsAskedFor.end(), "Letter.rtf") != app.previewsAskedFor.end();
    }, 20));
    EXPECT_EQ(app.previewsAskedFor, (std::vector<std::string>{"Notes.md", "Notes.md", "Letter.rtf"}));
}

} // namespace
} // namespace folio
