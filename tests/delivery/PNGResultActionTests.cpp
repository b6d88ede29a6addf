#include "support/DocumentTestSupport.h"

#include "delivery/PNGResultActions.h"
#include "testing/RecordingExportServices.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;
using Kind = RecordingExportServices::Kind;

class PNGResultActionTest : public testing::Test {
protected:
    void SetUp() override { writeFile(m_picture, "\x89PNG picture"); }

    Result<std::string> finish(PNGAction action, Result<std::string> picture, bool tooTall = false)
    {
        PNGResultActions::Hooks hooks;
        hooks.dismissProgress = [this] { ++m_dismissed; };
        hooks.cancelDocumentToPNGtask = [this] { ++m_cancelled; };
        hooks.showSuccess = [this](const std::u16string& text) { m_success = text; };
        hooks.presentError = [this](const Error& error) { m_presented.push_back(error); };
        return PNGResultActions(m_services.services(), std::move(hooks))
            .pictureFinished(action, std::move(picture), "Essay.rtf", tooTall);
    }

    ScratchFolder m_scratch{"png-actions"};
    std::string m_picture = m_scratch.path("picture.png");
    RecordingExportServices m_services;
    int m_dismissed = 0;
    int m_cancelled = 0;
    std::u16string m_success;
    std::vector<Error> m_presented;
};

TEST_F(PNGResultActionTest, ActionsHandThePictureToTheirService)
{
    struct Case {
        PNGAction action;
        Kind kind;
        std::optional<CloudDestination> destination;
        std::string exportType;
    };
    for (const Case& expected : {Case{PNGAction::Mail, Kind::Mail, std::nullopt, "public.png"},
                                 Case{PNGAction::SendToApp, Kind::SendJPEGToApp, std::nullopt, ""},
                                 Case{PNGAction::SaveToPictures, Kind::SavePicture, std::nullopt, ""},
                                 Case{PNGAction::Dropbox, Kind::Cloud, CloudDestination::Dropbox, "png"},
                                 Case{PNGAction::GoogleDrive, Kind::Cloud, CloudDestination::GoogleDrive, "png"},
                                 Case{PNGAction::iCloudDrive, Kind::Cloud, CloudDestination::iCloudDrive, "png"},
                                 Case{PNGAction::WebDAV, Kind::Cloud, CloudDestination::WebDAV, "png"}}) {
        m_services.clear();
        Result<std::string> outcome = finish(expected.action, m_picture);
        ASSERT_TRUE(outcome.ok()) << int(expected.action);
        ASSERT_EQ(m_services.calls().size(), 1u) << int(expected.action);
        const RecordingExportServices::Call& call = m_services.calls().front();
        EXPECT_EQ(call.kind, expected.kind);
        EXPECT_EQ(call.name, "Essay.rtf.png");
        EXPECT_EQ(call.destination, expected.destination);
        EXPECT_EQ(call.exportType, expected.exportType);
        EXPECT_EQ(call.byteCount, readFile(m_picture).size());
    }
    EXPECT_EQ(m_success, u"Document saved in Photos!");
    EXPECT_EQ(m_dismissed, 7);

    m_services.clear();
    m_success.clear();
    m_services.failWith(Error{"Pictures", 3, "Photo Library permission denied."});
    Result<std::string> refused = finish(PNGAction::SaveToPictures, m_picture);
    ASSERT_FALSE(refused.ok());
    ASSERT_EQ(m_presented.size(), 1u);
    EXPECT_EQ(m_presented.front().message, "Photo Library permission denied.");
    EXPECT_TRUE(m_success.empty());
}

TEST_F(PNGResultActionTest, FailedPicturesReachNoServiceAndOnlyTooTallCancelsTheTask)
{
    Result<std::string> failed = finish(PNGAction::Mail, Error{"PNGExporter", 7, "engine gone"});
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(m_cancelled, 0);
    Result<std::string> tooTall = finish(PNGAction::Mail, Error{"PNGExporter", 6, "too tall"}, true);
    EXPECT_FALSE(tooTall.ok());
    EXPECT_EQ(m_cancelled, 1);
    EXPECT_EQ(m_dismissed, 2);
    EXPECT_TRUE(m_services.calls().empty());
    EXPECT_TRUE(m_presented.empty());
}

} // namespace
} // namespace folio
