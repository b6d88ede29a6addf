#include "delivery/ExportPreferencesReader.h"
#include "support/DocumentTestSupport.h"

#include "export/png/PNGExporter.h"
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
    void printToPDF(const std::string& path, const Size& size, const EdgeInsets& margins, PrintCompletion completion,
                    double magnification = 1) override
    {
        fake.printToPDF(path, size, margins, std::move(completion), magnification);
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

    PNGExporter exporter()
    {
        PNGExporter::Environment environment;
        environment.fontRules = [] { return std::string("@font-face{}"); };
        environment.webViewFactory = [this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto view = std::make_unique<FramedFakeWebView>();
            view->setFrame(frame);
            view->fake.answer(PNGExporter::kHeightScript, m_height);
            view->fake.setSnapshotResult(m_snapshot);
            m_view = view.get();
            return std::unique_ptr<WebView>(std::move(view));
        };
        return PNGExporter(std::move(environment));
    }

    Result<std::shared_ptr<ExportTask>> start(const std::string& path, Exporter::Completion completion)
    {
        ExportRequest request;
        request.outputPath = m_output;
        return exporter().start(ExportSource(path, std::nullopt, ExportPreferencesReader::read(m_defaults)), std::move(request), std::move(completion));
    }

    // Runs one export to its end, playing the page.
    std::optional<Result<std::string>> run()
    {
        std::optional<Result<std::string>> outcome;
        // Kept until the next run: the test reads the exporter's page afterwards.
        Result<std::shared_ptr<ExportTask>> task = start(m_path, [&](Result<std::string> result) { outcome = result; });
        EXPECT_TRUE(task.ok()) << (task.ok() ? "" : task.error().message);
        if (!task)
            return outcome;
        m_task = *task;
        m_html = m_view->fake.loadedHTML();
        m_baseURL = m_view->fake.loadedBaseURL();
        m_view->fake.finishLoad();
        m_view->fake.releaseAll();
        return outcome;
    }

    ScratchFolder m_scratch{"png-export"};
    UserDefaults m_defaults{m_scratch.path("prefs.plist")};
    std::string m_path;
    std::string m_output = m_scratch.path("picture.png");
    std::string m_height = "100";
    Result<Image::Pointer> m_snapshot = blankPicture(768, 144);
    FramedFakeWebView* m_view = nullptr;
    std::string m_html;
    std::string m_baseURL;
    std::shared_ptr<ExportTask> m_task;
};

TEST_F(PNGExportTest, PageCarriesTheDocumentWithScaledMargins)
{
    // Plain text, as reading RTF replaces the margins with the document's own.
    m_path = m_scratch.path("Essay.tex");
    writeFile(m_path, "Hello <world>");
    m_defaults.setDouble("marquentPageMarginLeft", 2);
    m_defaults.setDouble("marquentPageMarginRight", 3);
    std::optional<Result<std::string>> outcome = run();
    ASSERT_TRUE(outcome && outcome->ok());
    EXPECT_NE(m_html.find("Hello &lt;world&gt;"), std::string::npos);
    EXPECT_NE(m_html.find("margin-left:1.40cm"), std::string::npos);
    EXPECT_NE(m_html.find("margin-right: 2.10cm"), std::string::npos);
    EXPECT_NE(m_html.find("@font-face{}"), std::string::npos);
    EXPECT_NE(m_html.find(".tox-checklist"), std::string::npos);
    EXPECT_NE(m_html.find("overflow-y: scroll"), std::string::npos);
    // A document without a picture folder gets none made for it: its page
    // resolves against the document's own folder.
    EXPECT_EQ(m_baseURL, URL::fileURLWithPath(std::filesystem::path(m_path).parent_path().string(), true).absoluteString());
    EXPECT_FALSE(AppFolders::existingPictureFolderForDocument(AppFolders::pictureDocumentName(m_path)));
    EXPECT_EQ(**outcome, m_output);
    Result<Image::Pointer> written = Image::imageWithContentsOfFile(**outcome);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ((*written)->pixelWidth(), 768);
}

TEST_F(PNGExportTest, HeightLimitDecidesBetweenSnapshotAndRefusal)
{
    m_height = "29956";
    std::optional<Result<std::string>> tallest = run();
    ASSERT_TRUE(tallest && tallest->ok());
    ASSERT_EQ(m_view->snapshotFrames.size(), 1u);
    EXPECT_EQ(m_view->snapshotFrames.front().size, (Size{768, 30000}));
    // The page gets its frame back after the snapshot.
    EXPECT_EQ(m_view->frame().size, (Size{768, 480}));

    m_height = "30001";
    std::optional<Result<std::string>> tooTall = run();
    ASSERT_TRUE(tooTall.has_value());
    ASSERT_FALSE(tooTall->ok());
    EXPECT_EQ(tooTall->error().code, PNGExporter::TooTall);
    EXPECT_TRUE(m_view->snapshotFrames.empty());
}

TEST_F(PNGExportTest, PictureIsAlwaysThePageWidth)
{
    m_snapshot = blankPicture(1536, 288);
    std::optional<Result<std::string>> outcome = run();
    ASSERT_TRUE(outcome && outcome->ok());
    Result<Image::Pointer> written = Image::imageWithContentsOfFile(**outcome);
    ASSERT_TRUE(written.ok());
    EXPECT_EQ((*written)->pixelWidth(), 768);
    EXPECT_EQ((*written)->pixelHeight(), 144);

    m_snapshot = Error{"Snapshot", 1, "engine gone"};
    std::optional<Result<std::string>> failed = run();
    ASSERT_TRUE(failed && !failed->ok());
    EXPECT_EQ(failed->error().code, PNGExporter::SnapshotFailed);
}

TEST_F(PNGExportTest, PaperColourWrapsOnlyRealColours)
{
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "FFFFFF"), "<p>x</p>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", ""), "<p>x</p>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "F0E0D0"), "<div style='background-color:#F0E0D0'><p>x</p></div>");
    EXPECT_EQ(PNGExporter::HTMLOnPaperColor("<p>x</p>", "F0'><b"), "<p>x</p>");

    m_defaults.setString("currentPaperColor", "FFFFFF");
    ASSERT_TRUE(run().has_value());
    EXPECT_EQ(m_html.find("background-color:#FFFFFF'>"), std::string::npos);
}

TEST_F(PNGExportTest, UnusableDocumentsDoNotStart)
{
    bool called = false;
    auto completion = [&](Result<std::string>) { called = true; };
    Result<std::shared_ptr<ExportTask>> missing = start(m_scratch.path("Gone.rtf"), completion);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, PNGExporter::NoFile);
    writeFile(m_scratch.path("Bad.qvtext"), "not deflated");
    Result<std::shared_ptr<ExportTask>> damaged = start(m_scratch.path("Bad.qvtext"), completion);
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().code, PNGExporter::NoContent);
    EXPECT_FALSE(called);
    EXPECT_EQ(m_view, nullptr);
}

} // namespace
} // namespace folio
