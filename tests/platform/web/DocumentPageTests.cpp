#include "platform/web/DMWebView.h"
#include "platform/web/DocumentPageResolver.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/RecordingDelegate.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace folio {
namespace {

namespace fs = std::filesystem;
using testing::RecordingDelegate;
using testing_support::LoopbackServer;

constexpr double kDocumentPageWaitSeconds = 60;
constexpr char kPicture[] = "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
                            "\x00\x01\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\xda\x63"
                            "\x64\xf8\xcf\x50\x0f\x00\x03\x86\x01\x80\x5a\x34\x7d\x6b\x00\x00\x00\x00\x49\x45\x4e\x44"
                            "\xae\x42\x60\x82";

// A document's picture folder with one picture, and beside it a picture and
// a secret that belong to nobody the page may read.
class PictureFolders {
public:
    PictureFolders()
    {
        root = fs::path(std::getenv("FOLIO_HOME")) / "document-page";
        fs::create_directories(root / "mine");
        fs::create_directories(root / "other");
        write(root / "mine" / "in.png", std::string(kPicture, sizeof kPicture - 1));
        write(root / "other" / "out.png", std::string(kPicture, sizeof kPicture - 1));
        write(root / "secret.txt", "the secret words");
        std::error_code ignored;
        fs::create_symlink(root / "other" / "out.png", root / "mine" / "link.png", ignored);
    }

    static void write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    fs::path root;
};

TEST(DocumentPageResolver, servesOnlyFilesInsideTheReadableFolders)
{
    PictureFolders folders;
    DocumentPageResolver resolver({(folders.root / "mine").string()});
    std::string base = DocumentPageResolver::pageBaseURL("file://" + (folders.root / "mine").string() + "/");
    EXPECT_EQ(base, "folio-page://" + (folders.root / "mine").string() + "/");

    auto found = resolver.resolve(base + "in.png?x#y");
    ASSERT_TRUE(found.ok()) << found.error().message;
    EXPECT_EQ(found->path, (folders.root / "mine" / "in.png").string());
    EXPECT_TRUE(resolver.resolve(base + "%69n.png").ok());

    for (const std::string& refused : {base + "../secret.txt", base + "link.png", base + "missing.png",
                                       "folio-page://" + (folders.root / "other" / "out.png").string(),
                                       std::string("folio-page:///etc/passwd"), std::string("folio-page://host/etc/x"),
                                       base + "in.png%00.txt", std::string("file:///etc/passwd")})
        EXPECT_FALSE(resolver.resolve(refused).ok()) << refused;

    EXPECT_EQ(DocumentPageResolver::pageBaseURL(""), "folio-page:///");
    EXPECT_EQ(DocumentPageResolver::pageBaseURL("http://example.org/"), "folio-page:///");
    EXPECT_EQ(DocumentPageResolver::pageBaseURL("file://otherhost/x/"), "folio-page:///");
    EXPECT_EQ(DocumentPageResolver::pageBaseURL("FILE://localhost/x/"), "folio-page:///x/");
}

class DocumentPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        auto created = DMWebView::createForDocument(Rect{{0, 0}, {400, 300}}, {(folders.root / "mine").string()});
        ASSERT_TRUE(created.ok()) << created.error().message;
        view = std::move(*created);
        view->setDelegate(&delegate);
    }

    void TearDown() override
    {
        if (view)
            view->setDelegate(nullptr);
    }

    void load(const std::string& html)
    {
        int before = delegate.finishedLoads;
        view->loadHTMLString(html, "file://" + (folders.root / "mine").string() + "/");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate.finishedLoads > before; }, kDocumentPageWaitSeconds));
    }

    // Pictures that arrived have a width.
    std::string pictureWidths()
    {
        return view->stringByEvaluatingJavaScript(
            "Array.prototype.map.call(document.images, function(i){return i.naturalWidth}).join(',')");
    }

    PictureFolders folders;
    LoopbackServer server;
    RecordingDelegate delegate;
    std::unique_ptr<DMWebView> view;
};

TEST_F(DocumentPageTest, documentScriptsNeverRunButTheApplicationsEvaluationsDo)
{
    std::string passwd = "file:///etc/passwd";
    load("<html><head><title>kept</title></head><body><p id='p'>Text</p>"
         "<script>var r=new XMLHttpRequest();r.open('GET','" + passwd + "',false);r.send();"
         "document.title=r.responseText;var s=new XMLHttpRequest();s.open('GET','" + server.url("/x") + "',false);"
         "s.send();</script><img src='missing.png' onerror=\"document.title='handler'\">"
         "<svg onload=\"document.title='svg'\"></svg><a id='a' href=\"javascript:document.title='link'\">go</a>"
         "</body></html>");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.title"), "kept");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.getElementById('p').textContent"), "Text");
    view->stringByEvaluatingJavaScript("document.getElementById('a').click()");
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.title"), "kept");
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(DocumentPageTest, loadsOnlyTheDocumentsOwnPictures)
{
    std::string other = (folders.root / "other" / "out.png").string();
    load("<html><head><link rel='stylesheet' href='" + server.url("/s.css") + "'>"
         "<style>@import url(" + server.url("/i.css") + "); body{background:url(" + server.url("/b.png") + ")}"
         "@font-face{font-family:X;src:url(" + server.url("/f.ttf") + ")} p{font-family:X}</style></head><body>"
         "<p>Text</p><img src='in.png'><img src='" + other + "'><img src='file://" + other + "'>"
         "<img src='../other/out.png'><img src='link.png'><img src='" + server.url("/p.png") + "'>"
         "<iframe src='" + server.url("/frame") + "'></iframe><iframe src='file:///etc/passwd'></iframe>"
         "<object data='" + server.url("/o") + "'></object><video poster='" + server.url("/v.png") + "'></video>"
         "<svg><image href='" + server.url("/svg.png") + "' width='1' height='1'/></svg>"
         "<meta http-equiv='refresh' content='0;url=" + server.url("/refresh") + "'></body></html>");
    EXPECT_EQ(pictureWidths(), "1,0,0,0,0,0");
    // The refresh has been tried and refused; the page is still this one.
    const std::string refresh = server.url("/refresh");
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            const std::vector<std::string>& refused = view->refusedNavigations();
            return std::find(refused.begin(), refused.end(), refresh) != refused.end();
        },
        kEngineWaitSeconds))
        << "the refresh was never tried";
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.images.length"), "6");
    EXPECT_EQ(view->stringByEvaluatingJavaScript(
                  "Array.prototype.map.call(document.querySelectorAll('iframe'),function(f){"
                  "try{return f.contentDocument?f.contentDocument.body.innerText:''}catch(e){return ''}}).join('')"),
              "");
    EXPECT_EQ(server.connectionCount(), 0);
}

// A link the user follows out of a document page is told to the delegate,
// which opens it elsewhere or refuses it; the page itself goes nowhere, and
// a link within the document is no one's business.
TEST_F(DocumentPageTest, followedLinksReachTheDelegateAndThePageStays)
{
    load("<html><body><p id='p'>Text</p><a id='mail' href='mailto:ann@example.test'>mail</a>"
         "<a id='within' href='#p'>within</a><a id='web' href='https://example.invalid/page'>web</a></body></html>");
    auto followed = [&](const std::string& url) {
        return std::any_of(delegate.navigations.begin(), delegate.navigations.end(), [&](const auto& navigation) {
            return navigation.url.find(url) != std::string::npos && navigation.type == NavigationType::LinkClicked;
        });
    };
    // One at a time, in the page's order: the link within is decided
    // before the next one is followed.
    for (const char* link : {"within", "mail", "web"}) {
        view->evaluateJavaScript(std::string("document.getElementById('") + link + "').click()", nullptr);
        if (std::string(link) != "within")
            ASSERT_TRUE(RunLoop::main().runUntil([&] { return followed(link == std::string("mail") ? "mailto:" : "/page"); },
                                                 kDocumentPageWaitSeconds))
                << link;
    }
    EXPECT_FALSE(followed("#p"));
    EXPECT_EQ(view->stringByEvaluatingJavaScript("document.getElementById('p').textContent"), "Text");
}

TEST_F(DocumentPageTest, applicationPagesStillRunTheirScripts)
{
    auto created = DMWebView::create(Rect{{0, 0}, {200, 200}});
    ASSERT_TRUE(created.ok()) << created.error().message;
    RecordingDelegate own;
    (*created)->setDelegate(&own);
    (*created)->loadHTMLString("<html><body><script>document.title='ran'</script></body></html>", "");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return own.finishedLoads > 0; }, kDocumentPageWaitSeconds));
    EXPECT_EQ((*created)->stringByEvaluatingJavaScript("document.title"), "ran");
    (*created)->setDelegate(nullptr);
}

// When the shared store of compiled rules cannot be used (here a file stands
// where its folder belongs), the page compiles its own and still keeps the
// document off the network.
TEST(DocumentPageRules, aBrokenSharedStoreStillGivesABlockingPage)
{
    fs::path caches = fs::path(std::getenv("FOLIO_HOME")) / "Caches";
    fs::create_directories(caches);
    std::error_code ignored;
    fs::remove_all(caches / "ContentRules", ignored);
    PictureFolders::write(caches / "ContentRules", "not a folder");
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    auto created = DMWebView::createForDocument(Rect{{0, 0}, {200, 200}}, {});
    ASSERT_TRUE(created.ok()) << created.error().message;
    RecordingDelegate delegate;
    (*created)->setDelegate(&delegate);
    (*created)->loadHTMLString("<html><body><img src='" + server.url("/p.png") + "'>Words</body></html>", "");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate.finishedLoads > 0; }, kDocumentPageWaitSeconds));
    EXPECT_EQ((*created)->stringByEvaluatingJavaScript("document.body.innerText"), "Words");
    EXPECT_EQ(server.connectionCount(), 0);
    (*created)->setDelegate(nullptr);
    EXPECT_TRUE(fs::is_regular_file(caches / "ContentRules"));
    for (const auto& entry : fs::directory_iterator(fs::path(std::getenv("FOLIO_HOME")) / "tmp", ignored))
        EXPECT_EQ(entry.path().filename().string().rfind("content-rules-", 0), std::string::npos) << entry.path();
}

} // namespace
} // namespace folio
