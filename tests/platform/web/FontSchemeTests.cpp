#include "platform/web/DMWebView.h"
#include "platform/web/FontSchemeResolver.h"

#include "platform/foundation/RunLoop.h"
#include "platform/web/RecordingDelegate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace folio {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSystemFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Two font folders and, beside them, a file no page may read.
class FontFolders {
public:
    FontFolders()
    {
        root = fs::path(std::getenv("FOLIO_HOME")) / "font-scheme";
        fs::create_directories(root / "app");
        fs::create_directories(root / "custom" / "nested");
        fs::copy_file(kSystemFont, root / "app" / "Shipped Sans.ttf", fs::copy_options::overwrite_existing);
        fs::copy_file(kSystemFont, root / "custom" / "Mine.otf", fs::copy_options::overwrite_existing);
        fs::copy_file(kSystemFont, root / "custom" / "nested" / "Deep.woff2", fs::copy_options::overwrite_existing);
        fs::copy_file(kSystemFont, root / "secret.ttf", fs::copy_options::overwrite_existing);
        std::ofstream(root / "custom" / "customFontsDB") << "not a font";
        std::error_code ignored;
        fs::create_symlink(root / "secret.ttf", root / "custom" / "Link.ttf", ignored);
    }

    std::vector<std::string> list() const { return {(root / "app").string(), (root / "custom").string()}; }

    fs::path root;
};

TEST(FontSchemeResolverTest, findsFontsInTheFoldersInOrderWithTheirTypes)
{
    FontFolders folders;
    FontSchemeResolver resolver(folders.list());

    auto shipped = resolver.resolve("myfont://Shipped%20Sans.ttf");
    ASSERT_TRUE(shipped.ok()) << shipped.error().message;
    EXPECT_EQ(fs::path(shipped->path), fs::canonical(folders.root / "app" / "Shipped Sans.ttf"));
    EXPECT_EQ(shipped->contentType, "font/ttf");

    auto mine = resolver.resolve("myFont://Mine.otf?v=2#x");
    ASSERT_TRUE(mine.ok()) << mine.error().message;
    EXPECT_EQ(mine->contentType, "font/otf");

    auto deep = resolver.resolve("myfont:///nested/Deep.woff2");
    ASSERT_TRUE(deep.ok()) << deep.error().message;
    EXPECT_EQ(deep->contentType, "font/woff2");

    auto missing = resolver.resolve("myfont://Absent.ttf");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, FontSchemeResolver::NotFound);
}

TEST(FontSchemeResolverTest, refusesEverythingOutsideTheFoldersOrNotAFont)
{
    FontFolders folders;
    FontSchemeResolver resolver(folders.list());
    const std::vector<std::string> refused = {
        "myfont://../secret.ttf",
        "myfont://..%2Fsecret.ttf",
        "myfont://%2E%2E/secret.ttf",
        "myfont://nested/../../secret.ttf",
        "myfont://" + (folders.root / "secret.ttf").string(),
        "myfont://%2F" + (folders.root / "secret.ttf").string().substr(1),
        "myfont://./Mine.otf",
        "myfont://Link.ttf",
        "myfont://customFontsDB",
        "myfont://",
        "myfont://bad%ZZescape.ttf",
        "myfont://nul%00.ttf",
        "no scheme at all",
    };
    for (const std::string& url : refused)
        EXPECT_FALSE(resolver.resolve(url).ok()) << url;
}

TEST(FontSchemeResolverTest, knowsFontContentTypesOnly)
{
    EXPECT_EQ(FontSchemeResolver::contentTypeForFileName("A.TTF"), "font/ttf");
    EXPECT_EQ(FontSchemeResolver::contentTypeForFileName("a.ttc"), "font/collection");
    EXPECT_EQ(FontSchemeResolver::contentTypeForFileName("a.woff"), "font/woff");
    EXPECT_EQ(FontSchemeResolver::contentTypeForFileName("a.plist"), "");
    EXPECT_EQ(FontSchemeResolver::contentTypeForFileName("ttf"), "");
}

// The page loads fonts the way the editors' @font-face rules do and reports
// each outcome with a page message.
TEST(FontSchemeWebTest, pageLoadsCustomFontAndIsRefusedOutsideTheFolders)
{
    FontFolders folders;
    std::vector<std::string> previous = DMWebView::fontFolders();
    DMWebView::setFontFolders(folders.list());

    auto created = DMWebView::create(makeRect(0, 0, 400, 300));
    ASSERT_TRUE(created.ok()) << created.error().message;
    std::unique_ptr<DMWebView> view = std::move(*created);
    testing::RecordingDelegate delegate;
    view->setDelegate(&delegate);
    view->loadHTMLString(
        "<html><head><style>@font-face{font-family:'Mine';src:url('myFont://Mine.otf');}</style></head>"
        "<body><span id='probe' style=\"font-family:'Mine',monospace\">Wide text iii</span><script>"
        "function report(name, url) {"
        "  new FontFace(name, \"url('\" + url + \"')\").load().then("
        "    function () { window.webkit.messageHandlers.rte.postMessage('rte://font#' + name + '#ok'); },"
        "    function () { window.webkit.messageHandlers.rte.postMessage('rte://font#' + name + '#refused'); });"
        "}"
        "report('Shipped', 'myFont://Shipped%20Sans.ttf');"
        "report('Climber', 'myFont://nested/..%2F..%2Fsecret.ttf');"
        "report('Outside', 'myFont://%2E%2E/secret.ttf');"
        "document.fonts.load(\"16px 'Mine'\").then(function (faces) {"
        "  window.webkit.messageHandlers.rte.postMessage('rte://font#Mine#' + (faces.length ? 'ok' : 'refused'));"
        "});"
        "</script></body></html>",
        "file:///folio-test/");
    auto outcomeOf = [&](const std::string& name) -> std::string {
        for (const std::string& message : delegate.messages) {
            std::string prefix = "rte://font#" + name + "#";
            if (message.rfind(prefix, 0) == 0)
                return message.substr(prefix.size());
        }
        return {};
    };
    bool done = RunLoop::main().runUntil(
        [&] {
            return !outcomeOf("Shipped").empty() && !outcomeOf("Climber").empty() && !outcomeOf("Outside").empty()
                && !outcomeOf("Mine").empty();
        },
        60);
    DMWebView::setFontFolders(previous);
    ASSERT_TRUE(done) << "the page did not report every font";
    EXPECT_EQ(outcomeOf("Shipped"), "ok");
    EXPECT_EQ(outcomeOf("Mine"), "ok");
    EXPECT_EQ(outcomeOf("Climber"), "refused");
    EXPECT_EQ(outcomeOf("Outside"), "refused");
    view->setDelegate(nullptr);
}

} // namespace
} // namespace folio
