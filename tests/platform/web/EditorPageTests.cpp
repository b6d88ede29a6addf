#include "platform/web/DMWebView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/RecordingDelegate.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace folio {
namespace {

namespace fs = std::filesystem;
using testing::RecordingDelegate;
using testing_support::LoopbackServer;

constexpr double kEditorPageWaitSeconds = 60;
constexpr char kEditorPagePicture[] = "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
                            "\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\xda\x63"
                            "\x64\xf8\xcf\x50\x0f\x00\x03\x86\x01\x80\x5a\x34\x7d\x6b\x00\x00\x00\x00\x49\x45\x4e\x44"
                            "\xae\x42\x60\x82";
constexpr char kPictureData[] = "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQ"
                                "DwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

// An editor's page in its own folder, with its own script and picture;
// beside it a picture and a secret the page has no business reading.
class EditorPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(std::getenv("FOLIO_HOME")) / "editor page";
        fs::create_directories(root / "page");
        fs::create_directories(root / "other");
        write(root / "page" / "own.png", std::string(kEditorPagePicture, sizeof kEditorPagePicture - 1));
        write(root / "page" / "own.js", "document.title = 'own script';");
        write(root / "other" / "out.png", std::string(kEditorPagePicture, sizeof kEditorPagePicture - 1));
        write(root / "secret.txt", "the secret words");
        ASSERT_TRUE(server.isListening());
        auto created = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "page").string()});
        ASSERT_TRUE(created.ok()) << created.error().message;
        view = std::move(*created);
        view->setDelegate(&delegate);
    }

    void TearDown() override
    {
        if (view)
            view->setDelegate(nullptr);
    }

    static void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    void load(const std::string& html)
    {
        int before = delegate.finishedLoads;
        view->loadHTMLString(html, "file://" + (root / "page").string() + "/");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate.finishedLoads > before; }, kEditorPageWaitSeconds));
    }

    std::string run(const std::string& script) { return view->stringByEvaluatingJavaScript(script); }

    fs::path root;
    LoopbackServer server;
    RecordingDelegate delegate;
    std::unique_ptr<DMWebView> view;
};

// The page's own scripts and pictures work; nothing reaches the network, a
// file outside the page's folders, or a frame of another address.
TEST_F(EditorPageTest, thePageRunsItsOwnScriptsAndLoadsOnlyFromItsFoldersAndInlinePictures)
{
    std::string outside = "file://" + (root / "other" / "out.png").string();
    load("<html><head><script src='own.js'></script></head><body>"
         "<img id='own' src='own.png'><img id='inline' src='" + std::string(kPictureData) + "'>"
         "<img id='outside' src='" + outside + "'><img id='climbing' src='../other/out.png'>"
         "<img id='remote' src='" + server.url("/picture") + "'>"
         "<p style=\"background:url('" + server.url("/style") + "')\">styled</p>"
         "<iframe src='" + server.url("/frame") + "'></iframe><iframe src='../secret.txt'></iframe></body></html>");
    EXPECT_EQ(run("document.title"), "own script");
    auto width = [this](const char* id) { return run(std::string("document.getElementById('") + id + "').naturalWidth"); };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return width("own") == "1" && width("inline") == "1"; },
                                         kEditorPageWaitSeconds))
        << "the page's own and inline pictures show";
    // Reads by script: of a file, of the network.
    run("try{var r=new XMLHttpRequest();r.open('GET','file:///etc/passwd',false);r.send();"
        "document.title=r.responseText;}catch(e){}"
        "try{var s=new XMLHttpRequest();s.open('GET','../secret.txt',false);s.send();document.title+=s.responseText;}"
        "catch(e){}fetch('" + server.url("/fetch") + "').then(function(){window.fetched='answered';},"
        "function(){window.fetched='refused';});");
    // The pictures, styles and frames of the markup were handled before the
    // page finished loading; the fetch has been once it has settled.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !run("window.fetched || ''").empty(); }, kEditorPageWaitSeconds))
        << "the fetch never settled";
    EXPECT_EQ(run("window.fetched"), "refused");
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_EQ(run("document.title"), "own script");
    for (const char* id : {"outside", "climbing", "remote"})
        EXPECT_EQ(width(id), "0") << id;
}

// The page processes this program started that are still running.
std::set<int> runningEditorPageProcesses()
{
    std::set<int> found;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        int parent = 0;
        if (!(stat >> pid >> name >> state >> parent))
            continue;
        if (parent == getpid() && name == "(WebKitWebProces)" && state != "Z")
            found.insert(std::stoi(pid));
    }
    return found;
}

// A page made ahead, while a document is read, goes to the next editor of
// the same folders only; that editor sees its own page's load alone.
TEST_F(EditorPageTest, aPreparedPageGoesToTheNextEditorOfItsFoldersAndReportsOnlyItsOwnLoad)
{
    view->setDelegate(nullptr);
    view.reset();
    ASSERT_TRUE(DMWebView::prepareEditor({(root / "other").string()}).ok());
    ASSERT_TRUE(RunLoop::main().runUntil([] { return DMWebView::hasPreparedEditor(); }, kEditorPageWaitSeconds));
    auto elsewhere = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "page").string()});
    ASSERT_TRUE(elsewhere.ok());
    EXPECT_FALSE(DMWebView::hasPreparedEditor()) << "a page for other folders is dropped, not kept";
    elsewhere->reset();

    ASSERT_TRUE(DMWebView::prepareEditor({(root / "page").string()}).ok());
    ASSERT_TRUE(RunLoop::main().runUntil([] { return DMWebView::hasPreparedEditor(); }, kEditorPageWaitSeconds));
    auto taken = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "page").string()});
    ASSERT_TRUE(taken.ok());
    EXPECT_FALSE(DMWebView::hasPreparedEditor());
    view = std::move(*taken);
    view->setDelegate(&delegate);
    load("<html><head><script src='own.js'></script></head><body><img id='outside' src='../other/out.png'></body></html>");
    EXPECT_EQ(delegate.finishedLoads, 1) << "the blank page that started it is not reported";
    EXPECT_EQ(run("document.title"), "own script") << "its own script runs";
    EXPECT_EQ(run("document.getElementById('outside').naturalWidth"), "0") << "it reads its own folders only";
    EXPECT_EQ(view->frame().size.width, 400);

    // Asked for while its blank start is still under way, it is taken all
    // the same, at once, so that the editor makes its page meanwhile: no
    // second process starts, and the editor sees its own load alone.
    view->setDelegate(nullptr);
    view.reset();
    RecordingDelegate early;
    std::set<int> before = runningEditorPageProcesses();
    ASSERT_TRUE(DMWebView::prepareEditor({(root / "page").string()}).ok());
    bool waitedInTheLoop = false;
    RunLoop::main().post([&] { waitedInTheLoop = true; });
    auto soon = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "page").string()});
    ASSERT_TRUE(soon.ok());
    EXPECT_FALSE(waitedInTheLoop) << "the editor got its page only once the page process had started";
    int started = 0;
    for (int pid : runningEditorPageProcesses())
        started += before.count(pid) ? 0 : 1;
    EXPECT_EQ(started, 1);
    view = std::move(*soon);
    view->setDelegate(&early);
    view->loadHTMLString("<html><head><script src='own.js'></script></head></html>",
                         "file://" + (root / "page").string() + "/");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return early.finishedLoads > 0; }, kEditorPageWaitSeconds));
    EXPECT_EQ(early.finishedLoads, 1);
    EXPECT_EQ(run("document.title"), "own script");
    view->setDelegate(nullptr);
}

// A page made ahead that no editor takes goes, and its process with it:
// dropped, or passed over by an editor of other folders.
TEST_F(EditorPageTest, aPreparedPageNoEditorTakesEndsWithItsProcess)
{
    struct Case {
        const char* what;
        std::function<void()> passOver;
    };
    std::unique_ptr<DMWebView> elsewhere;
    const std::vector<Case> cases = {
        {"dropped", [] { DMWebView::discardPreparedEditor(); }},
        {"passed over", [&] {
             auto made = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "other").string()});
             ASSERT_TRUE(made.ok());
             elsewhere = std::move(*made);
         }},
    };
    for (const Case& c : cases) {
        std::set<int> before = runningEditorPageProcesses();
        ASSERT_TRUE(DMWebView::prepareEditor({(root / "page").string()}).ok()) << c.what;
        ASSERT_TRUE(RunLoop::main().runUntil([] { return DMWebView::hasPreparedEditor(); }, kEditorPageWaitSeconds));
        std::set<int> started;
        for (int pid : runningEditorPageProcesses()) {
            if (!before.count(pid))
                started.insert(pid);
        }
        ASSERT_EQ(started.size(), 1u) << c.what << ": the prepared page has a process of its own";
        c.passOver();
        EXPECT_FALSE(DMWebView::hasPreparedEditor()) << c.what;
        const int prepared = *started.begin();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !runningEditorPageProcesses().count(prepared); }, 10))
            << c.what << ": its process still runs";
    }
}

// Making a page waits for its content rules, and a small document may open
// meanwhile: a page given up before it was made never keeps a process.
TEST_F(EditorPageTest, aPreparedPageGivenUpWhileItIsMadeKeepsNoProcess)
{
    struct Case {
        const char* what;
        std::function<void()> giveUp;
    };
    std::unique_ptr<DMWebView> elsewhere;
    const std::vector<Case> cases = {
        {"dropped", [] { DMWebView::discardPreparedEditor(); }},
        {"passed over", [&] {
             auto made = DMWebView::createForEditor(Rect{{0, 0}, {400, 300}}, {(root / "other").string()});
             ASSERT_TRUE(made.ok());
             elsewhere = std::move(*made);
         }},
    };
    int fresh = 0;
    for (const Case& c : cases) {
        std::set<int> before = runningEditorPageProcesses();
        bool gaveUp = false;
        RunLoop::main().post([&] {
            c.giveUp();
            gaveUp = true;
        });
        // Folders no page has read yet: their rules are compiled anew.
        fs::path folder = root / ("fresh " + std::to_string(++fresh));
        fs::create_directories(folder);
        ASSERT_TRUE(DMWebView::prepareEditor({folder.string()}).ok()) << c.what;
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return gaveUp; }, kEditorPageWaitSeconds)) << c.what;
        EXPECT_FALSE(RunLoop::main().runUntil([] { return DMWebView::hasPreparedEditor(); }, 3)) << c.what;
        std::set<int> started;
        for (int pid : runningEditorPageProcesses()) {
            if (!before.count(pid))
                started.insert(pid);
        }
        EXPECT_TRUE(started.empty()) << c.what << ": " << started.size() << " page processes kept";
        elsewhere.reset();
    }
}

// Only the page's main frame speaks for it, and only through its message
// handler: a navigation to a message address, a link to one and a frame
// that posts are all quiet.
TEST_F(EditorPageTest, pageMessagesComeOnlyFromTheMainFramesMessageHandler)
{
    load("<html><body><a id='link' href='rte://linkTouchedEvent#http://127.0.0.1:1/link'>link</a>"
         "<iframe src='rte://linkTouchedEvent#http://127.0.0.1:1/frame'></iframe>"
         "<iframe id='inner' srcdoc=\"<script>try{window.webkit.messageHandlers.rte.postMessage("
         "'rte://dirtyEvent');}finally{document.title='posted';}</script>\"></iframe></body></html>");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return run("document.getElementById('inner').contentDocument.title") == "posted"; },
        kEditorPageWaitSeconds))
        << "the inner frame's script did not run";
    run("document.getElementById('link').click();location.href='x-twwebview://dom-loaded';");
    run("window.webkit.messageHandlers.rte.postMessage('rte://fromTheMainFrame')");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !delegate.messages.empty(); }, kEditorPageWaitSeconds));
    // The frame's, the link's and the location's navigations have been
    // handled once the view has refused them all.
    auto refused = [&](const std::string& url) {
        const std::vector<std::string>& all = view->refusedNavigations();
        return std::find(all.begin(), all.end(), url) != all.end();
    };
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return refused("rte://linkTouchedEvent#http://127.0.0.1:1/frame")
                && refused("rte://linkTouchedEvent#http://127.0.0.1:1/link") && refused("x-twwebview://dom-loaded");
        },
        kEditorPageWaitSeconds))
        << "not every navigation to a message address was handled";
    EXPECT_EQ(delegate.messages, std::vector<std::string>{"rte://fromTheMainFrame"});
    for (const auto& navigation : delegate.navigations)
        EXPECT_EQ(navigation.url.rfind("rte:", 0), std::string::npos) << navigation.url;
}

} // namespace
} // namespace folio
