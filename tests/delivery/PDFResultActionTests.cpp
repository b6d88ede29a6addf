#include "support/DocumentTestSupport.h"

#include "delivery/LinuxExportServices.h"
#include "delivery/PDFResultActions.h"
#include "testing/RecordingExportServices.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;
using Kind = RecordingExportServices::Kind;

class PDFResultActionTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_pdf = m_scratch.path("Notes.pdf");
        writeFile(m_pdf, "%PDF-1.4 test");
    }

    PDFResultActions actions()
    {
        PDFResultActions::Hooks hooks;
        hooks.cleanTemporaryFolder = [this] { ++m_cleaned; };
        hooks.dismissProgress = [this] { ++m_dismissed; };
        hooks.hasOpenDocument = [this] { return m_documentOpen; };
        return PDFResultActions(m_services.services(), std::move(hooks));
    }

    ScratchFolder m_scratch{"pdf-actions"};
    RecordingExportServices m_services;
    std::string m_pdf;
    int m_cleaned = 0;
    int m_dismissed = 0;
    bool m_documentOpen = true;
};

TEST_F(PDFResultActionTest, EachCodeReachesItsService)
{
    struct Case {
        PDFAction action;
        Kind kind;
        std::string name;
        std::optional<CloudDestination> destination;
        std::string exportType;
    };
    const std::string size = std::to_string(readFile(m_pdf).size());
    for (const Case& expected : {
             Case{PDFAction(1), Kind::Preview, "Notes", std::nullopt, ""},
             Case{PDFAction(13), Kind::Preview, "Notes", std::nullopt, ""},
             Case{PDFAction(2), Kind::SendPDFToApp, "Notes.pdf", std::nullopt, ""},
             Case{PDFAction(3), Kind::Mail, "Notes", std::nullopt, "com.adobe.pdf"},
             Case{PDFAction(14), Kind::Mail, "Notes", std::nullopt, "com.adobe.pdf"},
             Case{PDFAction(4), Kind::Print, "Notes", std::nullopt, ""},
             Case{PDFAction(15), Kind::Print, "Notes", std::nullopt, ""},
             Case{PDFAction(6), Kind::Cloud, "Notes.pdf", CloudDestination::Dropbox, "com.adobe.pdf"},
             Case{PDFAction(7), Kind::Cloud, "Notes.pdf", CloudDestination::GoogleDrive, "com.adobe.pdf"},
             Case{PDFAction(20), Kind::Cloud, "Notes.pdf", CloudDestination::iCloudDrive, "com.adobe.pdf"},
             Case{PDFAction(22), Kind::Cloud, "Notes.pdf", CloudDestination::WebDAV, "com.adobe.pdf"},
             Case{PDFAction(55), Kind::InsertItem, "Notes.pdf", std::nullopt, ""},
         }) {
        m_services.clear();
        PDFResultActions handler = actions();
        EXPECT_TRUE(handler.performAction(expected.action, m_pdf, "Notes").ok());
        ASSERT_EQ(m_services.calls().size(), 1u) << int(expected.action);
        const RecordingExportServices::Call& call = m_services.calls().front();
        EXPECT_EQ(call.kind, expected.kind) << int(expected.action);
        EXPECT_EQ(call.name, expected.name) << int(expected.action);
        EXPECT_EQ(call.destination, expected.destination) << int(expected.action);
        EXPECT_EQ(call.exportType, expected.exportType) << int(expected.action);
        if (expected.kind == Kind::Mail || expected.kind == Kind::Cloud || expected.kind == Kind::SendPDFToApp)
            EXPECT_EQ(std::to_string(call.byteCount), size);
        else
            EXPECT_EQ(call.path, m_pdf);
        EXPECT_EQ(handler.isDocumentPDFPreview(), expected.kind == Kind::Preview);
    }
}

TEST_F(PDFResultActionTest, QuietCodesOnlyDismissOrDoNothing)
{
    for (int action : {5, 10, 12, 16, 0, 99, -1}) {
        m_dismissed = 0;
        PDFResultActions handler = actions();
        EXPECT_TRUE(handler.performAction(PDFAction(action), m_pdf, "Notes").ok());
        EXPECT_EQ(m_dismissed, action == 12 || action == 16 ? 1 : 0) << action;
    }
    EXPECT_TRUE(m_services.calls().empty());
    // The file stays where the export wrote it.
    EXPECT_EQ(readFile(m_pdf), "%PDF-1.4 test");
}

TEST_F(PDFResultActionTest, MissingFileOrDocumentSkipsTheHandOff)
{
    PDFResultActions handler = actions();
    for (int action : {2, 3, 6, 7, 20, 22})
        EXPECT_TRUE(handler.performAction(PDFAction(action), m_scratch.path("Gone.pdf"), "Gone").ok());
    EXPECT_TRUE(m_services.calls().empty());
    EXPECT_EQ(m_dismissed, 0);

    m_documentOpen = false;
    PDFResultActions noDocument = actions();
    EXPECT_TRUE(noDocument.performAction(PDFAction::Preview, m_pdf, "Notes").ok());
    EXPECT_TRUE(m_services.calls().empty());
    EXPECT_FALSE(noDocument.isDocumentPDFPreview());
}

TEST_F(PDFResultActionTest, ServiceFailureIsReported)
{
    m_services.failWith(Error{"Mail", 1, "no mail program"});
    PDFResultActions handler = actions();
    Status status = handler.performAction(PDFAction::Mail, m_pdf, "Notes");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().message, "no mail program");
    EXPECT_EQ(m_dismissed, 1);
}

class PDFResultActionServicesTest : public testing::Test {
protected:
    LinuxExportServices services()
    {
        LinuxExportServices::Folders folders{m_scratch.path("outbox"), m_scratch.path("documents"),
                                             m_scratch.path("pictures")};
        return LinuxExportServices(
            folders,
            [this](const std::vector<std::string>& arguments) {
                m_launched.push_back(arguments);
                return m_launchResult;
            },
            [this] { return m_hasMailProgram; });
    }

    ScratchFolder m_scratch{"pdf-action-services"};
    std::vector<std::vector<std::string>> m_launched;
    Status m_launchResult;
    bool m_hasMailProgram = true;
};

TEST_F(PDFResultActionServicesTest, APersonIsToldWhereAHandOffLeftTheFile)
{
    LinuxExportServices desktop = services();
    std::vector<std::pair<std::u16string, std::string>> told;
    PDFResultActions::Hooks hooks;
    hooks.tell = [&](const std::u16string& title, const std::string& message) { told.emplace_back(title, message); };
    PDFResultActions actions(desktop.services(), hooks);
    std::string pdf = m_scratch.path("Notes.pdf");
    writeFile(pdf, "%PDF-1.4 notes");

    // A storage service: the person learns that nothing uploads it, and where it lies.
    ASSERT_TRUE(actions.performAction(PDFAction::Dropbox, pdf, "Notes"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, u"Kept for Dropbox");
    EXPECT_NE(told[0].second.find(m_scratch.path("outbox/Dropbox/Notes.pdf")), std::string::npos) << told[0].second;
    EXPECT_EQ(readFile(m_scratch.path("outbox/Dropbox/Notes.pdf")), "%PDF-1.4 notes");

    // No mail program: a failure that names where the file is kept, and nothing is started.
    m_hasMailProgram = false;
    Status mailed = actions.performAction(PDFAction::Mail, pdf, "Notes");
    ASSERT_FALSE(mailed);
    EXPECT_NE(mailed.error().message.find(m_scratch.path("outbox/Mail/Notes")), std::string::npos) << mailed.error().message;
    EXPECT_TRUE(m_launched.empty());
    EXPECT_EQ(readFile(m_scratch.path("outbox/Mail/Notes")), "%PDF-1.4 notes");
}

TEST_F(PDFResultActionServicesTest, FilesLandInTheirFoldersWithoutReplacingOthers)
{
    LinuxExportServices desktop = services();
    auto file = DKZipArchive::FileWrapper::regularFile("Notes.pdf", Data(std::vector<std::uint8_t>{'a', 'b'}));
    ASSERT_TRUE(desktop.sendFileWrapper(file, CloudDestination::Dropbox, "com.adobe.pdf").ok());
    ASSERT_TRUE(desktop.sendFileWrapper(file, CloudDestination::Dropbox, "com.adobe.pdf").ok());
    EXPECT_EQ(readFile(m_scratch.path("outbox/Dropbox/Notes.pdf")), "ab");
    EXPECT_EQ(readFile(m_scratch.path("outbox/Dropbox/Notes 2.pdf")), "ab");
    ASSERT_TRUE(desktop.sendFileWrapper(file, CloudDestination::WebDAV, "com.adobe.pdf").ok());
    EXPECT_EQ(readFile(m_scratch.path("outbox/WebDAV/Notes.pdf")), "ab");

    Result<std::string> picture = desktop.savePicture(DKZipArchive::FileWrapper::regularFile("Shot.png", Data(std::vector<std::uint8_t>{'p'})));
    ASSERT_TRUE(picture.ok());
    EXPECT_EQ(*picture, m_scratch.path("pictures/Shot.png"));

    writeFile(m_scratch.path("Report.pdf"), "pdf");
    ASSERT_TRUE(desktop.insertNewItemWithFilePath(m_scratch.path("Report.pdf")).ok());
    EXPECT_EQ(readFile(m_scratch.path("documents/Report.pdf")), "pdf");
    EXPECT_TRUE(m_launched.empty());
}

TEST_F(PDFResultActionServicesTest, NamesThatLeaveTheFolderAreRefused)
{
    LinuxExportServices desktop = services();
    for (const char* name : {"../escape.pdf", "", "..", "a/b.pdf"}) {
        auto status = desktop.sendFileWrapper(DKZipArchive::FileWrapper::regularFile(name, Data()),
                                              CloudDestination::GoogleDrive, "com.adobe.pdf");
        ASSERT_FALSE(status.ok()) << name;
        EXPECT_EQ(status.error().code, LinuxExportServices::BadName);
    }
    EXPECT_FALSE(std::filesystem::exists(m_scratch.path("outbox/escape.pdf")));
}

TEST_F(PDFResultActionServicesTest, DesktopProgramsGetTheFile)
{
    LinuxExportServices desktop = services();
    auto file = DKZipArchive::FileWrapper::regularFile("Notes", Data(std::vector<std::uint8_t>{'x'}));
    ASSERT_TRUE(desktop.sendEmailWithFileWrapper(file, "com.adobe.pdf").ok());
    ASSERT_TRUE(desktop.printPDFDocumentFromURL("/tmp/a.pdf", "Notes").ok());
    ASSERT_TRUE(desktop.presentPDFPreview("/tmp/a.pdf", "Notes").ok());
    ASSERT_EQ(m_launched.size(), 3u);
    EXPECT_EQ(m_launched[0], (std::vector<std::string>{"xdg-email", "--attach", m_scratch.path("outbox/Mail/Notes")}));
    EXPECT_EQ(m_launched[1], (std::vector<std::string>{"lp", "-t", "Notes", "--", "/tmp/a.pdf"}));
    EXPECT_EQ(m_launched[2], (std::vector<std::string>{"xdg-open", "/tmp/a.pdf"}));

    m_launchResult = Error{"Launch", 2, "no xdg-open"};
    Status failed = desktop.sendPDFDocumenttoApp(DKZipArchive::FileWrapper::regularFile("Notes.pdf", Data()));
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().message, "no xdg-open");
}

} // namespace
} // namespace folio
