#include "support/DocumentTestSupport.h"

#include "export/png/PNGExporter.h"
#include "testing/RecordingExportServices.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/FakeWebView.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

// The scripted page, plus the frame the page had when each snapshot was asked for.
class FramedFakeWebView final : public WebView, private WebViewDelegate {
public:
    FakeWebView fake;
    std::vector<Rect> snapshotFrames;

    FramedFakeWebView() { fake.setDelegate(this); }
    void setDelegate(WebViewDelegate* delegate) override { m_delegate = delegate; }
    WebViewDelegate* delegate() const override { return m_delegate; }
    void loadHTMLString(const std::string& html, const std::string& baseURL) override { fake.loadHTMLString(html, baseURL); }
    bool isLoading() const override { return fake.isLoading(); }
    void evaluateJavaScript(const std::string& script, ScriptCompletion completion) override
    {
        fake.evaluateJavaScript(script, std::move(completion));
    }
    std::string stringByEvaluatingJavaScript(const std::string& script) override
    {
        return fake.stringByEvaluatingJavaScript(script);
    }
    void executeEditingCommand(const std::string& command, const std::string& argument) override
    {
        fake.executeEditingCommand(command, argument);
    }
    void setSpellCheckingEnabled(bool enabled) override { fake.setSpellCheckingEnabled(enabled); }
    bool isSpellCheckingEnabled() const override { return fake.isSpellCheckingEnabled(); }
    Rect frame() const override { return fake.frame(); }
    void setFrame(const Rect& frame) override { fake.setFrame(frame); }
    void takeSnapshot(SnapshotRegion region, SnapshotCompletion completion) override
    {
        snapshotFrames.push_back(fake.frame());
        fake.takeSnapshot(region, std::move(completion));
    }
    void printToPDF(const std::string& path, const Size& size, const EdgeInsets& margins, PrintCompletion completion) override
    {
        fake.printToPDF(path, size, margins, std::move(completion));
    }

private:
    // The page's events reach the delegate as events of this view.
    void webViewDidFinishLoad(WebView&) override
    {
        if (m_delegate)
            m_delegate->webViewDidFinishLoad(*this);
    }
    void webViewDidFailLoad(WebView&, const std::string& message) override
    {
        if (m_delegate)
            m_delegate->webViewDidFailLoad(*this, message);
    }

    WebViewDelegate* m_delegate = nullptr;
};

Image::Pointer blankPicture(int width, int height)
{
    return *Image::imageWithPixels(width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4, 0xFF));
}

class PNGExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_scratch.path("Essay.rtf");
        writeFile(m_path, "{\\rtf1\\ansi Hello world\\par}");
    }

    std::shared_ptr<PNGExporter> exporter()
    {
        PNGExporter::Environment environment;
        environment.defaults = &m_defaults;
        environment.fontRules = [] { return std::string("@font-face{}"); };
        environment.webViewFactory = [this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto view = std::make_unique<FramedFakeWebView>();
            view->setFrame(frame);
            view->fake.answer(PNGExporter::kHeightScript, m_height);
            view->fake.setSnapshotResult(m_snapshot);
            m_view = view.get();
            return std::unique_ptr<WebView>(std::move(view));
        };
        environment.services = m_services.services();
        environment.dismissProgress = [this] { ++m_dismissed; };
        environment.cancelDocumentToPNGtask = [this] { ++m_cancelled; };
        environment.showSuccess = [this](const std::u16string& text) { m_success = text; };
        environment.presentError = [this](const Error& error) { m_presented.push_back(error); };
        return PNGExporter::create(std::move(environment));
    }

    // Runs one export to its end, playing the page.
    std::optional<Result<std::string>> run(int action)
    {
        // Kept until the next run: the test reads the exporter's page afterwards.
        m_exporter = exporter();
        PNGExporter* png = m_exporter.get();
        std::optional<Result<std::string>> outcome;
        Status started = png->PNGDataForFileItem(m_path, action, [&](Result<std::string> result) { outcome = result; });
        EXPECT_TRUE(started.ok()) << (started.ok() ? "" : started.error().message);
        if (!started)
            return outcome;
        EXPECT_EQ(png->PNGFileName(), std::filesystem::path(m_path).filename().string());
        m_html = m_view->fake.loadedHTML();
        m_baseURL = m_view->fake.loadedBaseURL();
        m_view->fake.finishLoad();
        m_view->fake.releaseAll();
        EXPECT_TRUE(png->PNGFileName().empty());
        return outcome;
    }

    ScratchFolder m_scratch{"png-export"};
    UserDefaults m_defaults{m_scratch.path("prefs.plist")};
    RecordingExportServices m_services;
    std::string m_path;
    std::string m_height = "100";
    Result<Image::Pointer> m_snapshot = blankPicture(768, 144);
    FramedFakeWebView* m_view = nullptr;
    std::string m_html;
    std::string m_baseURL;
    int m_dismissed = 0;
    int m_cancelled = 0;
    std::u16string m_success;
    std::vector<Error> m_presented;
    std::shared_ptr<PNGExporter> m_exporter;
};

TEST_F(PNGExportTest, PageCarriesTheDocumentWithScaledMargins)
{
    // Plain text, as reading RTF replaces the margins with the document's own.
    m_path = m_scratch.path("Essay.tex");
    writeFile(m_path, "Hello <world>");
    m_defaults.setDouble("marquentPageMarginLeft", 2);
    m_defaults.setDouble("marquentPageMarginRight", 3);
    std::optional<Result<std::string>> outcome = run(PNGActionNone);
    ASSERT_TRUE(outcome && outcome->ok());
    EXPECT_NE(m_html.find("Hello &lt;world&gt;"), std::string::npos);
    EXPECT_NE(m_html.find("margin-left:1.40cm"), std::string::npos);
    EXPECT_NE(m_html.find("margin-right: 2.10cm"), std::string::npos);
    EXPECT_NE(m_html.find("@font-face{}"), std::string::npos);
    EXPECT_NE(m_html.find(".tox-checklist"), std::string::npos);
    EXPECT_NE(m_html.find("overflow-y: scroll"), std::string::npos);
    EXPECT_EQ(m_baseURL, URL::fileURLWithPath(AppFolders::pictureFolderForDocument("Essay.tex"), true).absoluteString());
    EXPECT_EQ(**outcome, AppFolders::temporaryFolder() + "/" + PNGExporter::kPictureFileName);
    Result<Image::Pointer> written = Image::imageWithContentsOfFile(**outcome);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ((*written)->pixelWidth(), 768);
    EXPECT_EQ(m_dismissed, 1);
    EXPECT_TRUE(m_services.calls().empty());
}

TEST_F(PNGExportTest, HeightLimitDecidesBetweenSnapshotAndRefusal)
{
    m_height = "29956";
    std::optional<Result<std::string>> tallest = run(PNGActionNone);
    ASSERT_TRUE(tallest && tallest->ok());
    ASSERT_EQ(m_view->snapshotFrames.size(), 1u);
    EXPECT_EQ(m_view->snapshotFrames.front().size, (Size{768, 30000}));
    // The page gets its frame back after the snapshot.
    EXPECT_EQ(m_view->frame().size, (Size{768, 480}));
    EXPECT_EQ(m_cancelled, 0);

    m_height = "30001";
    std::optional<Result<std::string>> tooTall = run(PNGActionMail);
    ASSERT_TRUE(tooTall.has_value());
    ASSERT_FALSE(tooTall->ok());
    EXPECT_EQ(tooTall->error().code, PNGExporter::TooTall);
    EXPECT_TRUE(m_view->snapshotFrames.empty());
    EXPECT_EQ(m_cancelled, 1);
    EXPECT_TRUE(m_services.calls().empty());
}

TEST_F(PNGExportTest, ActionsHandThePictureToTheirService)
{
    using Kind = RecordingExportServices::Kind;
    struct Case {
        int action;
        Kind kind;
        std::optional<CloudDestination> destination;
        std::string exportType;
    };
    for (const Case& expected : {Case{PNGActionMail, Kind::Mail, std::nullopt, "public.png"},
                                 Case{PNGActionSendToApp, Kind::SendJPEGToApp, std::nullopt, ""},
                                 Case{PNGActionSaveToPictures, Kind::SavePicture, std::nullopt, ""},
                                 Case{PNGActionDropbox, Kind::Cloud, CloudDestination::Dropbox, "png"},
                                 Case{PNGActionGoogleDrive, Kind::Cloud, CloudDestination::GoogleDrive, "png"},
                                 Case{PNGActioniCloudDrive, Kind::Cloud, CloudDestination::iCloudDrive, "png"},
                                 Case{PNGActionWebDAV, Kind::Cloud, CloudDestination::WebDAV, "png"}}) {
        m_services.clear();
        std::optional<Result<std::string>> outcome = run(expected.action);
        ASSERT_TRUE(outcome && outcome->ok()) << expected.action;
        ASSERT_EQ(m_services.calls().size(), 1u) << expected.action;
        const RecordingExportServices::Call& call = m_services.calls().front();
        EXPECT_EQ(call.kind, expected.kind) << expected.action;
        EXPECT_EQ(call.name, "Essay.rtf.png");
        EXPECT_EQ(call.destination, expected.destination);
        EXPECT_EQ(call.exportType, expected.exportType);
        EXPECT_EQ(call.byteCount, readFile(**outcome).size());
    }
    EXPECT_EQ(m_success, u"Document saved in Photos!");

    m_services.clear();
    m_success.clear();
    m_services.failWith(Error{"Pictures", 3, "Photo Library permission denied."});
    std::optional<Result<std::string>> refused = run(PNGActionSaveToPictures);
    ASSERT_TRUE(refused && !refused->ok());
    ASSERT_EQ(m_presented.size(), 1u);
    EXPECT_EQ(m_presented.front().message, "Photo Library permission denied.");
    EXPECT_TRUE(m_success.empty());
}

TEST_F(PNGExportTest, PictureIsAlwaysThePageWidth)
{
    m_snapshot = blankPicture(1536, 288);
    std::optional<Result<std::string>> outcome = run(PNGActionNone);
    ASSERT_TRUE(outcome && outcome->ok());
    Result<Image::Pointer> written = Image::imageWithContentsOfFile(**outcome);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ((*written)->pixelWidth(), 768);
    EXPECT_EQ((*written)->pixelHeight(), 144);

    m_snapshot = Error{"Snapshot", 1, "engine gone"};
    std::optional<Result<std::string>> failed = run(PNGActionMail);
    ASSERT_TRUE(failed && !failed->ok());
    EXPECT_EQ(failed->error().code, PNGExporter::SnapshotFailed);
    EXPECT_TRUE(m_services.calls().empty());
}

TEST_F(PNGExportTest, PaperColourWrapsOnlyRealColours)
{
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "FFFFFF"), "<p>x</p>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", ""), "<p>x</p>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "F0E0D0"), "<div style='background-color:#F0E0D0'><p>x</p></div>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "F0'><b"), "<p>x</p>");

    m_defaults.setString("currentPaperColor", "FFFFFF");
    ASSERT_TRUE(run(PNGActionNone).has_value());
    EXPECT_EQ(m_html.find("background-color:#FFFFFF'>"), std::string::npos);
}

TEST_F(PNGExportTest, UnusableDocumentsDoNotStart)
{
    std::shared_ptr<PNGExporter> png = exporter();
    bool called = false;
    auto completion = [&](Result<std::string>) { called = true; };
    Status missing = png->PNGDataForFileItem(m_scratch.path("Gone.rtf"), PNGActionMail, completion);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, PNGExporter::NoFile);
    writeFile(m_scratch.path("Bad.qvtext"), "not deflated");
    Status damaged = png->PNGDataForFileItem(m_scratch.path("Bad.qvtext"), PNGActionMail, completion);
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().code, PNGExporter::NoContent);
    EXPECT_FALSE(called);
    EXPECT_TRUE(png->PNGFileName().empty());
    EXPECT_EQ(m_view, nullptr);
}

} // namespace
} // namespace folio
