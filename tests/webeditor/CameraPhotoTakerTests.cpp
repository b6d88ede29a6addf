#include "webeditor/CameraPhotoTaker.h"

#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"
#include "platform/services/CameraAccess.h"
#include "platform/ui/AlertController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace folio {
namespace {

// The camera as a test decides: present or not, allowed, refused or not yet
// asked, and what the user answers when asked.
class FakeCameraAccess : public CameraAccess {
public:
    bool available = true;
    Authorization status = Authorization::Authorized;
    bool grantsWhenAsked = true;
    int requests = 0;
    bool captureFails = false;
    std::vector<std::string> captured;

    bool isCameraAvailable() const override { return available; }
    Authorization authorizationStatus() const override { return status; }
    void requestAccess(std::function<void(bool)> completion) override
    {
        ++requests;
        completion(grantsWhenAsked);
    }
    Status capturePhoto(const std::string& pngPath) override
    {
        if (captureFails)
            return Error{"FakeCamera", 1, "The camera stopped"};
        std::vector<std::uint8_t> pixels(4 * 4 * 4, 200);
        std::vector<std::uint8_t> png = Image::imageWithPixels(4, 4, std::move(pixels)).value()->pngData().value();
        std::ofstream(pngPath, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        captured.push_back(pngPath);
        return Status::success();
    }
};

class CameraPhotoTakerTest : public ::testing::Test {
protected:
    void SetUp() override { CameraAccess::setShared(camera); }
    void TearDown() override { CameraAccess::setShared(nullptr); }

    CameraPhotoTaker::Host host()
    {
        CameraPhotoTaker::Host h;
        h.presentAlert = [this](std::shared_ptr<AlertController> alert) { alerts.push_back(alert); };
        h.insertPictureFile = [this](const std::string& path) -> Status {
            // The file is there while it is inserted, and holds a picture.
            if (!Image::imageWithContentsOfFile(path))
                return Error{"test", 1, "not a picture"};
            inserted.push_back(path);
            return Status::success();
        };
        return h;
    }
    std::vector<std::u16string> actionTitles(const AlertController& alert) const
    {
        std::vector<std::u16string> titles;
        for (const auto& action : alert.actions())
            titles.push_back(action->title());
        return titles;
    }

    std::shared_ptr<FakeCameraAccess> camera = std::make_shared<FakeCameraAccess>();
    std::vector<std::shared_ptr<AlertController>> alerts;
    std::vector<std::string> inserted;
    CameraPhotoTaker taker{host()};
};

TEST_F(CameraPhotoTakerTest, anAllowedCameraRunsTheStepAtOnceWithoutAsking)
{
    int ran = 0;
    taker.validatePhotosPermissions([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(camera->requests, 0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(CameraPhotoTakerTest, aCameraNotYetAskedAboutIsAskedForAndRunsOnlyWhenGranted)
{
    camera->status = CameraAccess::Authorization::NotDetermined;
    int ran = 0;
    taker.validatePhotosPermissions([&] { ++ran; });
    EXPECT_EQ(camera->requests, 1);
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(alerts.empty());

    camera->grantsWhenAsked = false;
    taker.validatePhotosPermissions([&] { ++ran; });
    EXPECT_EQ(camera->requests, 2);
    EXPECT_EQ(ran, 1) << "a refusal runs nothing";
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->message(), u"To give permissions tap on 'Change Settings' button");
}

TEST_F(CameraPhotoTakerTest, aRefusedOrRestrictedCameraShowsHowToAllowItAndRunsNothing)
{
    for (auto status : {CameraAccess::Authorization::Denied, CameraAccess::Authorization::Restricted}) {
        alerts.clear();
        camera->status = status;
        int ran = 0;
        taker.validatePhotosPermissions([&] { ++ran; });
        EXPECT_EQ(ran, 0);
        EXPECT_EQ(camera->requests, 0) << "nobody is asked again";
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0]->title(), u"NSCameraUsageDescription");
        EXPECT_EQ(actionTitles(*alerts[0]), (std::vector<std::u16string>{u"Change Settings", u"Cancel"}));
    }
}

TEST_F(CameraPhotoTakerTest, theCamerasPictureIsInsertedAndItsFileRemoved)
{
    taker.takeAndInsertPhoto();
    ASSERT_EQ(camera->captured.size(), 1u);
    ASSERT_EQ(inserted, camera->captured);
    EXPECT_FALSE(std::filesystem::exists(inserted[0])) << "the camera's file is not left behind";
    EXPECT_TRUE(alerts.empty());

    // Refused: no picture is taken.
    camera->status = CameraAccess::Authorization::Denied;
    taker.takeAndInsertPhoto();
    EXPECT_EQ(camera->captured.size(), 1u);
    EXPECT_EQ(alerts.size(), 1u);
}

TEST_F(CameraPhotoTakerTest, withoutACameraOrAPictureNothingIsInserted)
{
    camera->available = false;
    EXPECT_FALSE(taker.takePhoto());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), u"");
    EXPECT_EQ(alerts[0]->message(), u"Do you have camera?");
    EXPECT_EQ(actionTitles(*alerts[0]), (std::vector<std::u16string>{u"Failed to load the camera."}));
    EXPECT_TRUE(camera->captured.empty());

    camera->available = true;
    camera->captureFails = true;
    EXPECT_FALSE(taker.takePhoto());
    EXPECT_TRUE(inserted.empty());
}

} // namespace
} // namespace folio
