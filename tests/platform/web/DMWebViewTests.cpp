#include "platform/web/DMWebView.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/PrintedPDFFontSubsetter.h"
#include "platform/web/RecordingDelegate.h"
#include "platform/web/ToolkitDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

namespace fs = std::filesystem;
using testing::RecordingDelegate;

// Generous: the first page of a run also starts WebKit's processes.
constexpr double kEngineWaitSeconds = 60;

// The ready poller the editors inject once the page has loaded.
constexpr const char* kReadyPoller
    = "if(!_SSWebViewDOMLoadTimer){var _SSWebViewDOMLoadTimer=setInterval(function(){if(/loaded|complete/.test("
      "document.readyState)){clearInterval(_SSWebViewDOMLoadTimer);location.href='x-twwebview://dom-loaded'}},10);}";

std::string runCommand(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t count = fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, count);
        pclose(pipe);
    }
    return output;
}

class DMWebViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Result<std::unique_ptr<DMWebView>> created = DMWebView::create(makeRect(0, 0, 400, 300));
        ASSERT_TRUE(created.ok()) << created.error().message;
        view = std::move(*created);
        view->setDelegate(&delegate);
    }

    void TearDown() override
    {
        if (view)
            view->setDelegate(nullptr);
    }

    bool waitFor(const std::function<bool()>& condition, double seconds = kEngineWaitSeconds)
    {
        return RunLoop::main().runUntil(condition, seconds);
    }

    void load(const std::string& html, const std::string& baseURL = "file:///folio-test/")
    {
        int before = delegate.finishedLoads;
        view->loadHTMLString(html, baseURL);
        ASSERT_TRUE(waitFor([&] { return delegate.finishedLoads > before; })) << "the page did not load";
    }

    bool hasMessage(const std::string& message) const
    {
        return std::find(delegate.messages.begin(), delegate.messages.end(), message) != delegate.messages.end();
    }

    RecordingDelegate delegate;
    std::unique_ptr<DMWebView> view;
};

TEST_F(DMWebViewTest, loadsPageAndDeliversReadySignalOnce)
{
    load("<html><body><p id='content'>Hello</p></body></html>");
    EXPECT_EQ(delegate.finishedLoads, 1);
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.getElementById('content').textContent"), "Hello");

    view->evaluateJavaScript(kReadyPoller, nullptr);
    ASSERT_TRUE(waitFor([&] { return hasMessage("x-twwebview://dom-loaded"); }));
    // The signal is a message, not a navigation: the page is still there.
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.getElementById('content').textContent"), "Hello");
    EXPECT_EQ(std::count(delegate.messages.begin(), delegate.messages.end(), "x-twwebview://dom-loaded"), 1);
    EXPECT_TRUE(delegate.failures.empty());
}

TEST_F(DMWebViewTest, deliversEveryMessageOfABurstInOrder)
{
    load("<html><body></body></html>");
    view->evaluateJavaScript("window.webkit.messageHandlers.rte.postMessage({not: 'text'});"
                             "for (var i = 0; i < 40; ++i) window.webkit.messageHandlers.rte.postMessage("
                             "'rte://dirtyEvent#' + i); location.href = 'rte://onkeydownEvent'; 'sent'",
                             nullptr);
    ASSERT_TRUE(waitFor([&] { return delegate.messages.size() >= 41; }));
    std::vector<std::string> posted;
    for (const std::string& message : delegate.messages) {
        if (message.rfind("rte://dirtyEvent#", 0) == 0)
            posted.push_back(message);
    }
    ASSERT_EQ(posted.size(), 40u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(posted[i], "rte://dirtyEvent#" + std::to_string(i));
    EXPECT_TRUE(hasMessage("rte://onkeydownEvent"));
    EXPECT_EQ(delegate.messages.size(), 41u) << "a posted object is not a message";
    // Page messages never reach the navigation decision.
    for (const auto& navigation : delegate.navigations)
        EXPECT_NE(navigation.url.rfind("rte:", 0), 0u) << navigation.url;
}

TEST_F(DMWebViewTest, synchronousAnswersAreStringsOfEveryType)
{
    load("<html><body></body></html>");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("6 * 7"), "42");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("1 / 4"), "0.25");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("0.1 + 0.2"), "0.30000000000000004");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("-3"), "-3");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("1 < 2"), "1");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("1 > 2"), "0");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("'caf\\u00e9 ' + 'au lait'"), "caf\xC3\xA9 au lait");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("undefined"), "");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("null"), "");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("throw new Error('broken')"), "");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("this is not a script"), "");
    // After failures the page still answers.
    EXPECT_EQ(view->stringByEvaluatingJavaScript("'still here'"), "still here");
    // A whole long document's answer, in which the engine is told to let its
    // own copies go, comes whole, again and again.
    for (int i = 0; i < 3; ++i) {
        const std::string large = view->stringByEvaluatingJavaScript("'caf\\u00e9 '.repeat(400000) + " + std::to_string(i));
        ASSERT_EQ(large.size(), 6u * 400000 + 1);
        EXPECT_EQ(large.substr(0, 6), "caf\xC3\xA9 ");
        EXPECT_EQ(large.back(), '0' + i);
    }
    EXPECT_EQ(view->stringByEvaluatingJavaScript("'after'"), "after");
}

TEST_F(DMWebViewTest, asynchronousCompletionGetsTheAnswerLater)
{
    load("<html><body></body></html>");
    std::vector<std::string> answers;
    view->evaluateJavaScript("'first'", [&](const std::string& answer) { answers.push_back(answer); });
    view->evaluateJavaScript("undefined", [&](const std::string& answer) { answers.push_back("<" + answer + ">"); });
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(waitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<std::string>{"first", "<>"}));
}

TEST_F(DMWebViewTest, pageProcessCollectsWhenAskedAndKeepsThePage)
{
    load("<html><body><p id='kept'>kept</p></body></html>");
    view->stringByEvaluatingJavaScript("window.held = 'still here'; 1");
    // A large answer has the view ask by itself; the page answers whole.
    std::string large = view->stringByEvaluatingJavaScript("'x'.repeat(3 << 20)");
    EXPECT_EQ(large.size(), std::size_t(3) << 20);

    std::optional<bool> collected;
    view->collectPageGarbage([&](bool done) { collected = done; });
    ASSERT_TRUE(waitFor([&] { return collected.has_value(); }));
    EXPECT_TRUE(*collected) << "the page process has the module that collects";
    EXPECT_EQ(view->stringByEvaluatingJavaScript("window.held + ' ' + document.getElementById('kept').textContent"),
              "still here kept");
}

TEST_F(DMWebViewTest, completionNeverRunsAfterTheViewIsGone)
{
    load("<html><body></body></html>");
    bool called = false;
    // The completion is let go once the engine has answered the call: the
    // call has then been handled, and the completion had its chance to run.
    auto held = std::make_shared<int>();
    std::weak_ptr<int> completionAlive = held;
    view->evaluateJavaScript("'late'", [&called, held](const std::string&) { called = true; });
    held.reset();
    view.reset();
    ASSERT_TRUE(waitFor([&] { return completionAlive.expired(); })) << "the engine never answered the call";
    EXPECT_FALSE(called);
}

// A delegate may close the view from a callback served while a synchronous
// script waits; the wait then ends with "" and nothing touches the old view.
class ClosingDelegate : public RecordingDelegate {
public:
    void webViewDidReceivePageMessage(WebView& webView, const std::string& message) override
    {
        RecordingDelegate::webViewDidReceivePageMessage(webView, message);
        if (message == "rte://close")
            owner.reset();
    }
    std::unique_ptr<DMWebView> owner;
};

TEST_F(DMWebViewTest, viewClosedDuringASynchronousWaitEndsTheWait)
{
    load("<html><body></body></html>");
    ClosingDelegate closer;
    view->setDelegate(&closer);
    closer.owner = std::move(view);
    DMWebView* raw = closer.owner.get();
    // The message leaves the page before the script's answer does.
    std::string answer
        = raw->stringByEvaluatingJavaScript("window.webkit.messageHandlers.rte.postMessage('rte://close'); 'answer'");
    EXPECT_EQ(closer.owner, nullptr);
    EXPECT_EQ(answer, "");
    EXPECT_EQ(closer.messages, (std::vector<std::string>{"rte://close"}));
}

TEST_F(DMWebViewTest, delegateCancelsNavigationToAnotherPage)
{
    load("<html><body><a id='away' href='https://example.invalid/other.html'>away</a>"
         "<script>var marker = 'original';</script></body></html>");
    delegate.refuse = [](const std::string& url) { return url.find("example.invalid") != std::string::npos; };
    size_t before = delegate.navigations.size();
    view->evaluateJavaScript("document.getElementById('away').click()", nullptr);
    ASSERT_TRUE(waitFor([&] { return delegate.navigations.size() > before; }));
    EXPECT_EQ(delegate.navigations.back().url, "https://example.invalid/other.html");
    EXPECT_EQ(delegate.navigations.back().type, NavigationType::LinkClicked);

    view->evaluateJavaScript("location.href = 'https://example.invalid/script.html'", nullptr);
    ASSERT_TRUE(waitFor([&] { return delegate.navigations.back().url.find("script.html") != std::string::npos; }));
    EXPECT_EQ(delegate.navigations.back().type, NavigationType::Other);
    EXPECT_EQ(view->stringByEvaluatingJavaScript("marker"), "original");
    EXPECT_TRUE(delegate.failures.empty());
}

TEST_F(DMWebViewTest, hostileStringsRoundTripThroughScriptsAndPages)
{
    const std::vector<std::u16string> hostile = {
        u"it's \"quoted\"",
        u"back\\slash \\' \\\\",
        u"line\nbreak\r\nand\ttab",
        u"separators \u2028 and \u2029",
        u"</script><script>window.injected = 1;</script>",
        u"<!-- comment <script>",
        u"emoji \U0001F600 and \u00e9",
        u"${template} `tick`",
    };
    std::string literals = "[";
    for (const std::u16string& text : hostile)
        literals += ScriptLiteral::quote(text) + ",";
    literals += "]";
    // Embedded in the page's own script element, the way templates carry values.
    load("<html><body><div id='out'></div><script>window.values = " + literals + ";</script></body></html>");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("typeof window.injected"), "undefined");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("window.values.length"), std::to_string(hostile.size()));
    for (size_t i = 0; i < hostile.size(); ++i) {
        SCOPED_TRACE(toUtf8(hostile[i]));
        EXPECT_EQ(view->stringByEvaluatingJavaScript("window.values[" + std::to_string(i) + "]"), toUtf8(hostile[i]));
        // Sent in a script and read back.
        EXPECT_EQ(view->stringByEvaluatingJavaScript("var echo = " + ScriptLiteral::quote(hostile[i]) + "; echo"),
                  toUtf8(hostile[i]));
        // Put into HTML as text, read back as text.
        std::string set = "document.getElementById('out').innerHTML = "
                          + ScriptLiteral::quote(u"<p>" + HTMLTextEscaper::escape(hostile[i]) + u"</p>")
                          + "; document.getElementById('out').textContent";
        std::string expected = toUtf8(hostile[i]);
        // HTML turns CR LF into LF when it parses text.
        for (size_t at; (at = expected.find("\r\n")) != std::string::npos;)
            expected.erase(at, 1);
        EXPECT_EQ(view->stringByEvaluatingJavaScript(set), expected);
    }
    EXPECT_EQ(view->stringByEvaluatingJavaScript("typeof window.injected"), "undefined");
}

TEST_F(DMWebViewTest, snapshotHasThePagePixels)
{
    load("<html><body style='margin:0;background:#ff0000'>"
         "<div style='position:absolute;left:100px;top:50px;width:100px;height:100px;background:#0000ff'></div>"
         "</body></html>");
    std::optional<Result<Image::Pointer>> snapshot;
    view->takeSnapshot(WebView::SnapshotRegion::Visible, [&](Result<Image::Pointer> image) { snapshot = image; });
    ASSERT_TRUE(waitFor([&] { return snapshot.has_value(); }));
    ASSERT_TRUE(snapshot->ok()) << snapshot->error().message;
    Image::Pointer image = **snapshot;
    ASSERT_GE(image->pixelWidth(), 300);
    ASSERT_GE(image->pixelHeight(), 200);
    EXPECT_EQ(image->pixelAt(10, 10), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(image->pixelAt(150, 100), (Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(image->pixelAt(250, 100), (Rgba8{255, 0, 0, 255}));
}

std::optional<std::string> environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// What the user's environment held before anything in this program ran.
const std::optional<std::string> kEGLDriversAtStart = environmentValue("__EGL_VENDOR_LIBRARY_FILENAMES");
const std::optional<std::string> kToolkitGLAtStart = environmentValue("GDK_GL");

// The files of Mesa's GL driver (and the compiler library it brings) that
// this process has mapped.
std::vector<std::string> mappedGLDriverFiles()
{
    std::vector<std::string> found;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        for (const char* part : {"/dri/", "libLLVM", "libEGL_mesa", "libGLX_mesa"}) {
            if (line.find(part) != std::string::npos)
                found.push_back(line.substr(line.find('/')));
        }
    }
    return found;
}

// The program draws pages as the page process hands them over and needs no
// GL of its own; the page process is started with the user's environment.
TEST_F(DMWebViewTest, pageDrawsWithoutTheGLDriverInThisProcess)
{
    if (ToolkitDisplay::pagesComposited())
        GTEST_SKIP() << "composited pages are drawn with GL here";
    load("<html><body style='margin:0;background:#00ff00'>"
         "<div style='position:absolute;left:20px;top:20px;width:60px;height:60px;background:#0000ff'></div>"
         "</body></html>");
    std::optional<Result<Image::Pointer>> snapshot;
    view->takeSnapshot(WebView::SnapshotRegion::Visible, [&](Result<Image::Pointer> image) { snapshot = image; });
    ASSERT_TRUE(waitFor([&] { return snapshot.has_value(); }));
    ASSERT_TRUE(snapshot->ok()) << snapshot->error().message;
    EXPECT_EQ((**snapshot)->pixelAt(50, 50), (Rgba8{0, 0, 255, 255}));
    EXPECT_EQ((**snapshot)->pixelAt(150, 150), (Rgba8{0, 255, 0, 255}));
    std::vector<std::string> driverFiles = mappedGLDriverFiles();
    EXPECT_TRUE(driverFiles.empty()) << driverFiles.front();
    EXPECT_EQ(environmentValue("__EGL_VENDOR_LIBRARY_FILENAMES"), kEGLDriversAtStart);
    EXPECT_EQ(environmentValue("GDK_GL"), kToolkitGLAtStart);
}

class DMWebViewPrintTest : public DMWebViewTest {
protected:
    void SetUp() override
    {
        DMWebViewTest::SetUp();
        folder = fs::path(std::getenv("FOLIO_HOME")) / "print";
        fs::create_directories(folder);
    }

    Status print(const fs::path& path, Size pageSize, EdgeInsets margins)
    {
        std::optional<Status> outcome;
        view->printToPDF(path.string(), pageSize, margins, [&](Status status) { outcome = status; });
        if (!waitFor([&] { return outcome.has_value(); }))
            return Status(Error{"test", 0, "printing did not finish"});
        return *outcome;
    }

    fs::path folder;
};

TEST_F(DMWebViewPrintTest, printsPdfOfTheRequestedPageSizeWithTheText)
{
    load("<html><body><p>Folio prints this sentence.</p></body></html>");
    fs::path path = folder / "page.pdf";
    Status status = print(path, Size{300, 420}, EdgeInsets{36, 36, 36, 36});
    ASSERT_TRUE(status.ok()) << status.error().message;
    std::string info = runCommand("pdfinfo '" + path.string() + "'");
    EXPECT_NE(info.find("Page size:       300 x 420 pts"), std::string::npos) << info;
    std::string text = runCommand("pdftotext '" + path.string() + "' -");
    EXPECT_NE(text.find("Folio prints this sentence."), std::string::npos) << text;
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// The engine embeds its faces whole; cut down, every page must still draw
// and read exactly as printed.
TEST_F(DMWebViewPrintTest, printedFacesCutDownDrawAndReadTheSame)
{
    std::string paragraphs;
    for (int index = 0; index < 40; ++index)
        paragraphs += "<p>Plain <b>bold</b> <i>italic</i> <b><i>both</i></b> <code>mono()</code> "
                      "\u00e9t\u00e9 \u0416 fi ffl " + std::to_string(index) + "</p>";
    load("<html><body style='font-family:DejaVu Sans'>" + paragraphs + "</body></html>");
    fs::path printed = folder / "printed.pdf";
    Status status = print(printed, Size{300, 420}, EdgeInsets{36, 36, 36, 36});
    ASSERT_TRUE(status.ok()) << status.error().message;
    fs::path subset = folder / "subset.pdf";
    ASSERT_TRUE(PrintedPDFFontSubsetter::writeToFile(printed.string(), subset.string()).ok());

    EXPECT_LT(fs::file_size(subset) * 4, fs::file_size(printed));
    std::string pages = runCommand("pdfinfo '" + printed.string() + "' | grep Pages");
    ASSERT_NE(pages.find("Pages:"), std::string::npos);
    EXPECT_EQ(runCommand("pdfinfo '" + subset.string() + "' | grep Pages"), pages);
    auto drawn = [](const fs::path& pdf) { return runCommand("pdftoppm -r 60 -gray '" + pdf.string() + "'"); };
    EXPECT_TRUE(drawn(printed) == drawn(subset)) << "a page draws differently";
    auto text = [](const fs::path& pdf) { return runCommand("pdftotext '" + pdf.string() + "' -"); };
    EXPECT_EQ(text(subset), text(printed));
    EXPECT_NE(text(subset).find("italic"), std::string::npos);
}

TEST_F(DMWebViewPrintTest, refusesImpossiblePagesAndKeepsTheOldFile)
{
    load("<html><body><p>text</p></body></html>");
    fs::path path = folder / "kept.pdf";
    std::ofstream(path) << "old contents";
    EXPECT_FALSE(print(path, Size{0, 400}, EdgeInsets{}).ok());
    EXPECT_FALSE(print(path, Size{200, 200}, EdgeInsets{120, 0, 120, 0}).ok());
    EXPECT_FALSE(print(folder / "missing-folder" / "x.pdf", Size{200, 200}, EdgeInsets{}).ok());
    std::ifstream in(path);
    std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(contents, "old contents");
}

TEST_F(DMWebViewTest, pageThatNeverAnswersTimesOutWithEmptyString)
{
    load("<html><body></body></html>");
    view->setScriptTimeout(0.5);
    // Keeps the page's process busy for good: no answer can come.
    view->evaluateJavaScript("while (true) {}", nullptr);
    EXPECT_EQ(view->stringByEvaluatingJavaScript("'never'"), "");
}

TEST_F(DMWebViewTest, editingCommandsChangeTheEditablePage)
{
    load("<html><body><div id='content' contenteditable='true'>plain</div></body></html>");
    view->stringByEvaluatingJavaScript("var c = document.getElementById('content'); c.focus();"
                                       "getSelection().selectAllChildren(c); 'ok'");
    // Commands and scripts reach the page in the order they were sent.
    view->executeEditingCommand("Bold");
    EXPECT_NE(view->stringByEvaluatingJavaScript("document.getElementById('content').innerHTML").find("<b>plain</b>"),
              std::string::npos);
    view->executeEditingCommand("InsertText", "typed");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.getElementById('content').textContent"), "typed");
}

} // namespace
} // namespace folio
