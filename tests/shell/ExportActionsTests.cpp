#include "shell/AppController.h"
#include "formats/markdown/MarkdownConverter.h"
#include "delivery/LinuxExportServices.h"
#include "delivery/PDFResultActions.h"
#include "testing/RecordingExportServices.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/FakeWebView.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;
using Kind = RecordingExportServices::Kind;

// Marks what it converts, so a test sees which text went through it.
class MarkingConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return u"<md>" + markdown + u"</md>"; }
    std::u16string plainText(const std::u16string& markdown) override { return u"plain:" + markdown; }
};

class AppControllerExportTest : public testing::Test {
protected:
    void SetUp() override
    {
        MarkdownConverter::setShared(std::make_shared<MarkingConverter>());
        m_controller.setUserDefaults(&m_defaults);
        m_controller.exports().setExportServices(m_services.services());
        m_controller.exports().setInternetConnectionCheck([this] { return m_connected; });
        NDHTMLtoPDFEnvironment environment;
        environment.fontRules = [] { return std::string(); };
        environment.baseURL = "file:///base/";
        environment.webViewFactory = [this](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto page = std::make_unique<FakeWebView>(frame);
            page->setPrintResult(Status::success());
            m_pages.push_back(page.get());
            return std::unique_ptr<WebView>(std::move(page));
        };
        m_controller.exports().setPDFEnvironment(std::move(environment));
        ProgressHUD::dismiss();
    }
    void TearDown() override
    {
        MarkdownConverter::setShared(nullptr);
        ProgressHUD::dismiss();
    }

    std::string write(const std::string& name, std::string_view bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(m_folder.path(name)).parent_path());
        writeFile(m_folder.path(name), bytes);
        return m_folder.path(name);
    }
    std::string writeQV(const std::string& name, std::string_view html)
    {
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(compressed.ok());
        return write(name, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
    }

    // The page of the n-th conversion loads and prints; waits for its outcome.
    void finishConversion(std::size_t index, bool loads = true)
    {
        ASSERT_LT(index, m_pages.size());
        std::size_t running = m_controller.exports().runningPDFExportCount();
        if (loads) {
            auto* converter = dynamic_cast<NDHTMLtoPDF*>(m_pages[index]->delegate());
            ASSERT_NE(converter, nullptr);
            // What the engine would have printed, at the converter's own path.
            writePrintedPDF(converter->printedPDFPath(), 1, {612, 810});
            m_pages[index]->finishLoad();
        } else {
            m_pages[index]->failLoad("unreachable");
        }
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_controller.exports().runningPDFExportCount() < running; }, 30));
    }

    static std::string temporaryPDF(const std::string& name)
    {
        return (std::filesystem::path(AppFolders::temporaryFolder()) / (name + ".pdf")).string();
    }

    ScratchFolder m_folder{"app-controller-exports"};
    UserDefaults m_defaults{m_folder.path("prefs.plist")};
    RecordingExportServices m_services;
    AppController m_controller;
    std::vector<FakeWebView*> m_pages;
    bool m_connected = true;
};

TEST_F(AppControllerExportTest, HTMLAndTextFollowTheDocumentKind)
{
    std::string rtf = write("Essay.rtf", "{\\rtf1\\ansi caf\\'e9 \\u8212? end\\par}");
    auto data = m_controller.exports().HTMLDataForFileItem(rtf);
    ASSERT_TRUE(data) << data.error().message;
    EXPECT_NE(data->find("caf&eacute; &mdash; end"), std::string::npos) << *data;
    auto string = m_controller.exports().HTMLStringForFileItem(rtf);
    ASSERT_TRUE(string);
    EXPECT_NE(string->find("caf\xC3\xA9 \xE2\x80\x94 end"), std::string::npos) << *string;
    EXPECT_EQ(m_controller.exports().TXTDataForFileItem(rtf).valueOr(""), "caf\xC3\xA9 \xE2\x80\x94 end\n");

    std::string markdown = write("Notes.md", "a\t b");
    EXPECT_EQ(m_controller.exports().HTMLStringForFileItem(markdown).valueOr(""), "<md>a\t b</md>");
    EXPECT_EQ(m_controller.exports().TXTDataForFileItem(markdown).valueOr(""), "plain:a\tb");

    std::string qv = writeQV("Note.qvtext", "<p>QV words</p>");
    EXPECT_NE(m_controller.exports().HTMLDataForFileItem(qv).valueOr("").find("</style><p>QV words</p>"), std::string::npos);
    EXPECT_EQ(m_controller.exports().TXTDataForFileItem(qv).valueOr(""), "QV words");
}

TEST_F(AppControllerExportTest, UnreadableFilesAnswerErrorsAndStartNothing)
{
    std::string missing = m_folder.path("gone.rtf");
    EXPECT_FALSE(m_controller.exports().HTMLDataForFileItem(missing));
    EXPECT_FALSE(m_controller.exports().HTMLStringForFileItem(missing));
    EXPECT_FALSE(m_controller.exports().TXTDataForFileItem(missing));
    EXPECT_FALSE(m_controller.exports().PDFURLForFileItem(missing, PDFAction::Mail));
    EXPECT_FALSE(m_controller.exports().createPDFWithFileItem(m_folder.path("gone.md"), true));
    EXPECT_FALSE(m_controller.exports().ePubURLForFileItem(missing));
    EXPECT_FALSE(m_controller.exports().RTFDURLForFileItem(missing));
    EXPECT_FALSE(m_controller.exports().PNGDataForFileItem(missing, PNGAction::Mail));
    std::string damaged = write("Damaged.qvtext", "not deflated");
    EXPECT_FALSE(m_controller.exports().PDFURLForFileItem(damaged, PDFAction::Mail));
    EXPECT_TRUE(m_pages.empty());
    EXPECT_EQ(m_controller.exports().runningPDFExportCount(), 0u);

    // A print that cannot start takes its overlay away again.
    EXPECT_FALSE(m_controller.exports().printFileItem(missing));
    EXPECT_FALSE(ProgressHUD::isVisible());
}

TEST_F(AppControllerExportTest, BrowserPDFGoesToTheTemporaryFolderAndIsMailed)
{
    std::string rtf = write("Notes.rtf", "{\\rtf1\\ansi Mailed words\\par}");
    ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(rtf, PDFAction::Mail));
    ASSERT_NE(m_controller.exports().PDFCreator(), nullptr);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), temporaryPDF("Notes.rtf"));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFname(), "Notes");
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::Mail);
    EXPECT_TRUE(m_services.calls().empty()) << "nothing is sent before the file exists";

    finishConversion(0);
    ASSERT_EQ(m_services.calls().size(), 1u);
    const auto& mail = m_services.calls()[0];
    EXPECT_EQ(mail.kind, Kind::Mail);
    EXPECT_EQ(mail.name, "Notes");
    EXPECT_EQ(mail.exportType, TypeIdentifiers::kPDF);
    EXPECT_GT(mail.byteCount, 0u);
    EXPECT_TRUE(m_controller.exports().lastPDFExportOutcome());
}

TEST_F(AppControllerExportTest, LegacyDocumentsCarryTheirOwnActions)
{
    std::string legacy = write("Old.marquent", "{\\rtf1\\ansi old\\par}");
    for (auto [asked, given] : {std::pair{0, 13}, std::pair{3, 14}, std::pair{4, 4}, std::pair{2, 2}}) {
        ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(legacy, PDFAction(asked)));
        EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction(given)) << "asked " << asked;
    }
}

TEST_F(AppControllerExportTest, EveryRunningConversionIsKeptUntilItsOutcome)
{
    std::string first = write("First.rtf", "{\\rtf1\\ansi one\\par}");
    std::string second = write("Second.rtf", "{\\rtf1\\ansi two\\par}");
    ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(first, PDFAction::Dropbox));
    ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(second, PDFAction::SendToApp));
    EXPECT_EQ(m_controller.exports().runningPDFExportCount(), 2u);
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), temporaryPDF("Second.rtf"));

    finishConversion(0);
    finishConversion(1);
    EXPECT_EQ(m_controller.exports().runningPDFExportCount(), 0u);
    ASSERT_EQ(m_services.calls().size(), 2u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::Cloud);
    EXPECT_EQ(m_services.calls()[0].name, "First.pdf");
    EXPECT_EQ(m_services.calls()[0].destination, CloudDestination::Dropbox);
    EXPECT_EQ(m_services.calls()[1].kind, Kind::SendPDFToApp);
    EXPECT_EQ(m_services.calls()[1].name, "Second.pdf");
}

TEST_F(AppControllerExportTest, FailuresAndRefusedHandOffsAreReported)
{
    std::string rtf = write("Notes.rtf", "{\\rtf1\\ansi x\\par}");
    ProgressHUD::show();
    ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(rtf, PDFAction::Mail));
    finishConversion(0, false);
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_FALSE(m_controller.exports().lastPDFExportOutcome());
    EXPECT_TRUE(m_services.calls().empty());

    m_services.failWith(Error{"mail", 7, "no mail program"});
    ASSERT_TRUE(m_controller.exports().PDFURLForFileItem(rtf, PDFAction::Mail));
    finishConversion(1);
    ASSERT_FALSE(m_controller.exports().lastPDFExportOutcome());
    EXPECT_EQ(m_controller.exports().lastPDFExportOutcome().error().message, "no mail program");
}

TEST_F(AppControllerExportTest, MarkdownWithPicturesNeedsTheNetwork)
{
    std::string pictures = write("Pictures.md", "![x](http://example.com/x.png)");
    std::string plain = write("Plain.md", "just words");
    m_connected = false;
    Status refused = m_controller.exports().PDFURLForFileItem(pictures, PDFAction::Mail);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().domain, ExportActions::kErrorDomain);
    EXPECT_EQ(refused.error().code, ExportActions::NoConnection);
    EXPECT_TRUE(m_pages.empty());
    EXPECT_TRUE(m_controller.exports().PDFURLForFileItem(plain, PDFAction::Mail));
    m_connected = true;
    EXPECT_TRUE(m_controller.exports().PDFURLForFileItem(pictures, PDFAction::Mail));
    EXPECT_EQ(m_pages.size(), 2u);
}

TEST_F(AppControllerExportTest, ConversionForOpeningWritesACopyBesideTheFile)
{
    std::string markdown = write("Notes.md", "words");
    write("Notes-Copy.pdf", "older copy");
    m_defaults.setFloat("markdownPageMarginTop", 2);
    m_defaults.setFloat("marquentPageMarginTop", 5);
    ProgressHUD::show();
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(markdown, true));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), m_folder.path("Notes-Copy.pdf"));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::DismissProgress);
    finishConversion(0);
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_NE(pdfText(m_folder.path("Notes-Copy.pdf"), 1).find("Body1"), std::string::npos)
        << "the older copy is replaced by the new PDF";
    EXPECT_TRUE(m_services.calls().empty());

    std::string project = write("Proj.scriv/Files/Docs/7.rtf", "{\\rtf1\\ansi p\\par}");
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(project, true, ExportNaming::Scope::Dropbox));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::AddToFolder);
    finishConversion(1);
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::InsertItem);
    EXPECT_EQ(m_services.calls()[0].path, m_folder.path("Proj.scriv/Files/Docs/7-Copy.pdf"));
}

TEST_F(AppControllerExportTest, PreviewConversionShowsNothingWithoutAnOpenEditor)
{
    std::string rtf = write("Look.rtf", "{\\rtf1\\ansi look\\par}");
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(rtf, false));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), temporaryPDF("Look.rtf"));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::Preview);
    finishConversion(0);
    EXPECT_TRUE(m_services.calls().empty());
    EXPECT_FALSE(m_controller.exports().isDocumentPDFPreview());

    std::string legacy = write("Look.marquent", "{\\rtf1\\ansi look\\par}");
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(legacy, false));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::MarquentPreview);
}

TEST_F(AppControllerExportTest, PDFItemsAreCopiedUnderAFreeName)
{
    std::string pdf = write("Report.pdf", "%PDF-1.4 report");
    std::tm moment{};
    moment.tm_year = 124;
    moment.tm_mday = 3;
    moment.tm_hour = 10;
    moment.tm_min = 7;
    moment.tm_sec = 42;
    moment.tm_isdst = -1;
    m_controller.setClock([&] { return std::chrono::system_clock::from_time_t(std::mktime(&moment)); });
    ProgressHUD::show();
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(pdf, true));
    EXPECT_FALSE(ProgressHUD::isVisible());
    EXPECT_EQ(readFile(m_folder.path("Report-Copy.pdf")), "%PDF-1.4 report");
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(pdf, true));
    EXPECT_EQ(readFile(m_folder.path("Report.pdf-07-42.pdf")), "%PDF-1.4 report");
    EXPECT_TRUE(m_pages.empty());
    EXPECT_TRUE(m_services.calls().empty());
    // The same minute and second again: the name is taken and nothing is overwritten.
    write("Report.pdf-07-42.pdf", "mine");
    EXPECT_FALSE(m_controller.exports().createPDFWithFileItem(pdf, true));
    EXPECT_EQ(readFile(m_folder.path("Report.pdf-07-42.pdf")), "mine");

    std::string inProject = write("Proj.scriv/Files/Docs/Scan.pdf", "%PDF-1.4 scan");
    ASSERT_TRUE(m_controller.exports().createPDFWithFileItem(inProject, false, ExportNaming::Scope::iCloud));
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::InsertItem);
    EXPECT_EQ(m_services.calls()[0].name, "Scan-Copy.pdf");
}

TEST_F(AppControllerExportTest, TheFilesPDFMenuHandsTheFinishedFileToMailApplicationsStorageAndTheListedFolder)
{
    std::string rtf = write("Notes.rtf", "{\\rtf1\\ansi sent\\par}");
    auto choose = [&](const std::string& path, std::u16string_view title) {
        std::shared_ptr<Menu> menu = m_controller.PDFMenuForFile(path);
        for (const std::shared_ptr<MenuElement>& element : menu->children())
            if (auto action = std::dynamic_pointer_cast<Action>(element); action && action->title() == title)
                return action->perform();
        ADD_FAILURE() << "no menu item " << toUtf8(std::u16string(title));
        return false;
    };
    struct Expected {
        std::u16string_view title;
        Kind kind;
        std::string name;
        std::optional<CloudDestination> destination;
    };
    const Expected expected[] = {
        {u"Mail as PDF…", Kind::Mail, "Notes", std::nullopt},
        {u"Open PDF in Another Application", Kind::SendPDFToApp, "Notes.pdf", std::nullopt},
        {u"Send PDF to Dropbox", Kind::Cloud, "Notes.pdf", CloudDestination::Dropbox},
        {u"Send PDF to Google Drive", Kind::Cloud, "Notes.pdf", CloudDestination::GoogleDrive},
        {u"Send PDF to iCloud Drive", Kind::Cloud, "Notes.pdf", CloudDestination::iCloudDrive},
        {u"Send PDF to WebDAV", Kind::Cloud, "Notes.pdf", CloudDestination::WebDAV},
    };
    for (const Expected& item : expected) {
        m_services.clear();
        std::size_t page = m_pages.size();
        ASSERT_TRUE(choose(rtf, item.title));
        EXPECT_TRUE(ProgressHUD::isVisible());
        EXPECT_TRUE(m_services.calls().empty()) << "nothing is sent before the file exists";
        finishConversion(page);
        ASSERT_EQ(m_services.calls().size(), 1u) << toUtf8(std::u16string(item.title));
        EXPECT_EQ(m_services.calls()[0].kind, item.kind);
        EXPECT_EQ(m_services.calls()[0].name, item.name);
        EXPECT_EQ(m_services.calls()[0].destination, item.destination);
        EXPECT_GT(m_services.calls()[0].byteCount, 0u);
        EXPECT_FALSE(ProgressHUD::isVisible()) << toUtf8(std::u16string(item.title));
    }

    // A chapter of a project kept in the Dropbox folder: its PDF copy joins the listing.
    m_services.clear();
    std::string outbox = LinuxExportServices::defaultFolders().outbox;
    std::string chapter = outbox + "/Dropbox/Novel/Files/Docs/Chapter.rtf";
    std::filesystem::create_directories(std::filesystem::path(chapter).parent_path());
    writeFile(chapter, "{\\rtf1\\ansi chapter\\par}");
    std::size_t page = m_pages.size();
    ASSERT_TRUE(choose(chapter, u"Convert to PDF"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_pages.size() > page; }, 30));
    finishConversion(page);
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::InsertItem);
    EXPECT_EQ(m_services.calls()[0].name, "Chapter-Copy.pdf");
    EXPECT_FALSE(ProgressHUD::isVisible());
    // Elsewhere the copy only stays beside its file.
    m_services.clear();
    page = m_pages.size();
    ASSERT_TRUE(choose(rtf, u"Convert to PDF"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_pages.size() > page; }, 30));
    finishConversion(page);
    EXPECT_TRUE(m_services.calls().empty());
    EXPECT_TRUE(std::filesystem::exists(m_folder.path("Notes-Copy.pdf")));
    std::filesystem::remove_all(outbox + "/Dropbox/Novel");

    // A PDF is only copied: it has no conversion to send.
    std::shared_ptr<Menu> forPDF = m_controller.PDFMenuForFile(write("Scan.pdf", "%PDF-1.4 scan"));
    ASSERT_EQ(forPDF->children().size(), 1u);
    EXPECT_EQ(forPDF->children()[0]->title(), u"Convert to PDF");
}

TEST_F(AppControllerExportTest, PrintingByKind)
{
    std::string pdf = write("Ready.pdf", "%PDF-1.4");
    ASSERT_TRUE(m_controller.exports().printFileItem(pdf));
    EXPECT_FALSE(ProgressHUD::isVisible());
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::Print);
    EXPECT_EQ(m_services.calls()[0].path, pdf);
    EXPECT_EQ(m_services.calls()[0].name, "Ready.pdf");
    EXPECT_TRUE(m_pages.empty());

    m_services.clear();
    std::string rtf = write("Letter.rtf", "{\\rtf1\\ansi dear\\par}");
    ASSERT_TRUE(m_controller.exports().printFileItem(rtf));
    EXPECT_TRUE(ProgressHUD::isVisible());
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFaction(), PDFAction::Print);
    finishConversion(0);
    EXPECT_FALSE(ProgressHUD::isVisible());
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].kind, Kind::Print);
    EXPECT_EQ(m_services.calls()[0].path, temporaryPDF("Letter.rtf"));
    EXPECT_EQ(m_services.calls()[0].name, "Letter");
}

TEST_F(AppControllerExportTest, ConvertAndOpenWaitsForTheNextTurn)
{
    std::string rtf = write("Later.rtf", "{\\rtf1\\ansi later\\par}");
    m_controller.exports().convertToPDFAndOpenFileItem(rtf);
    EXPECT_EQ(m_controller.exports().runningPDFExportCount(), 0u);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return m_controller.exports().runningPDFExportCount() == 1; }, 30));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), m_folder.path("Later-Copy.pdf"));

    // A conversion that cannot start takes the browser's overlay away.
    ProgressHUD::show();
    m_controller.exports().convertToPDFAndOpenFileItem(m_folder.path("gone.rtf"));
    ASSERT_TRUE(RunLoop::main().runUntil([] { return !ProgressHUD::isVisible(); }, 30));

    // The request is dropped when the controller is gone before the turn.
    auto gone = std::make_unique<AppController>();
    gone->exports().setPDFEnvironment(NDHTMLtoPDFEnvironment{});
    gone->exports().convertToPDFAndOpenFileItem(rtf);
    gone.reset();
    bool turned = false;
    RunLoop::main().post([&] { turned = true; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return turned; }, 30));
}

TEST_F(AppControllerExportTest, PDFDataConvertsRichTextOnly)
{
    std::string markdown = write("Notes.md", "words");
    Status refused = m_controller.exports().PDFDataForFileItem(markdown, PDFAction::Mail);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, ExportActions::UnsupportedKind);

    std::string rtf = write("Data.rtf", "{\\rtf1\\ansi data\\par}");
    ASSERT_TRUE(m_controller.exports().PDFDataForFileItem(rtf, PDFAction::WebDAV));
    EXPECT_EQ(m_controller.exports().PDFCreator()->PDFpath(), temporaryPDF("Data.rtf"));
    finishConversion(0);
    ASSERT_EQ(m_services.calls().size(), 1u);
    EXPECT_EQ(m_services.calls()[0].destination, CloudDestination::WebDAV);
}

TEST_F(AppControllerExportTest, PackagesAndPicturesComeFromTheirExporters)
{
    std::string rtf = write("Essay.rtf", "{\\rtf1\\ansi packaged words\\par}");
    auto rtfd = m_controller.exports().RTFDURLForFileItem(rtf);
    ASSERT_TRUE(rtfd) << rtfd.error().message;
    EXPECT_EQ(std::filesystem::path(*rtfd).filename(), "Essay.rtf.rtfd.zip");
    EXPECT_TRUE(std::filesystem::exists(*rtfd));

    auto epub = m_controller.exports().ePubURLForFileItem(rtf);
    ASSERT_TRUE(epub) << epub.error().message;
    EXPECT_EQ(std::filesystem::path(*epub).filename(), "Essay.epub");

    FakeWebView* picturePage = nullptr;
    m_controller.exports().setPNGWebViewFactory([&](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        auto page = std::make_unique<FakeWebView>(frame);
        picturePage = page.get();
        return std::unique_ptr<WebView>(std::move(page));
    });
    std::optional<Result<std::string>> outcome;
    ASSERT_TRUE(m_controller.exports().PNGDataForFileItem(rtf, PNGAction::Mail, [&](Result<std::string> result) {
        outcome = std::move(result);
    }));
    ASSERT_NE(picturePage, nullptr);
    EXPECT_NE(picturePage->loadedHTML().find("packaged words"), std::string::npos);
    EXPECT_EQ(m_controller.exports().PNGExport().fileName, "Essay.rtf");
    EXPECT_EQ(m_controller.exports().PNGExport().action, PNGAction::Mail);
}

TEST_F(AppControllerExportTest, TheBrowsersItemMenuHandsEveryFormatOnWithTheDocumentsWords)
{
    std::string rtf = write("Essay.rtf", "{\\rtf1\\ansi Amber lantern\\par}");
    std::vector<std::vector<std::string>> launched;
    LinuxExportServices linux({m_folder.path("outbox"), m_folder.path("documents"), m_folder.path("pictures")},
                              [&](const std::vector<std::string>& arguments) {
                                  launched.push_back(arguments);
                                  return Status::success();
                              },
                              [] { return true; });
    m_controller.exports().setExportServices({&linux, &linux, &linux, &linux});
    std::shared_ptr<Menu> menu = m_controller.exportMenuForFile(rtf);
    // Each row hands a file to a program; what the file holds, read the way its reader would.
    struct Row {
        std::u16string title;
        std::string program;
        std::string extension;
        std::string words;
    };
    const std::string unzipped = "unzip -p '%s' 2>/dev/null";
    for (const Row& row : std::vector<Row>{
             {u"Open HTML in Another Application", "xdg-open", ".html", "cat '%s'"},
             {u"Mail as HTML…", "xdg-email", ".html", "cat '%s'"},
             {u"Open Plain Text in Another Application", "xdg-open", ".txt", "cat '%s'"},
             {u"Mail as ePub…", "xdg-email", ".epub", unzipped},
             {u"Open RTFD in Another Application", "xdg-open", ".rtfd.zip", unzipped},
         }) {
        launched.clear();
        ASSERT_TRUE(menu->performActionWithTitle(row.title)) << toUtf8(row.title);
        ASSERT_EQ(launched.size(), 1u) << toUtf8(row.title);
        EXPECT_EQ(launched[0].front(), row.program);
        const std::string& file = launched[0].back();
        EXPECT_TRUE(file.ends_with(row.extension)) << file;
        char command[1024];
        std::snprintf(command, sizeof command, row.words.c_str(), file.c_str());
        std::string held;
        if (FILE* pipe = popen(command, "r")) {
            char buffer[4096];
            for (std::size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                held.append(buffer, read);
            pclose(pipe);
        }
        EXPECT_NE(held.find("Amber lantern"), std::string::npos) << toUtf8(row.title) << ": " << held.substr(0, 200);
    }

    // Every picture hand-off starts the picture export for its action.
    m_controller.exports().setPNGWebViewFactory([](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
        return std::unique_ptr<WebView>(std::make_unique<FakeWebView>(frame));
    });
    for (auto [title, action] : std::vector<std::pair<std::u16string, PNGAction>>{
             {u"Mail Picture…", PNGAction::Mail},
             {u"Open Picture in Another Application", PNGAction::SendToApp},
             {u"Save Picture", PNGAction::SaveToPictures},
             {u"Send Picture to Dropbox", PNGAction::Dropbox},
             {u"Send Picture to Google Drive", PNGAction::GoogleDrive},
             {u"Send Picture to iCloud Drive", PNGAction::iCloudDrive},
             {u"Send Picture to WebDAV", PNGAction::WebDAV},
         }) {
        ASSERT_TRUE(menu->performActionWithTitle(title)) << toUtf8(title);
        EXPECT_EQ(m_controller.exports().PNGExport().action, action) << toUtf8(title);
        EXPECT_EQ(m_controller.exports().PNGExport().fileName, "Essay.rtf");
    }
    EXPECT_TRUE(menu->actionWithTitle(u"Preview HTML"));
    // A PDF offers only its copy.
    EXPECT_FALSE(m_controller.exportMenuForFile(write("Scan.pdf", "%PDF-1.4 scan"))->actionWithTitle(u"Mail as HTML…"));
}

} // namespace
} // namespace folio
