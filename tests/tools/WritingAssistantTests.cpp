#include "platform/ui/AlertController.h"
#include "platform/ui/ViewController.h"
#include "tools/assistant/NoConnectionAlert.h"
#include "tools/assistant/WritingAssistant.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

struct Receiver final : WritingAssistantDelegate {
    void writingAssistantInsertText(const std::u16string&, const std::u16string&, WritingAssistantInsertion) override {}
    void writingAssistantDidFailWithError(const Error&) override {}
};

struct Recording final : WritingAssistant {
    std::u16string handed;
    bool isAvailable() const override { return true; }
    Status open(ViewController&, std::weak_ptr<WritingAssistantDelegate>, SourceFileType, const std::u16string& text) override
    {
        handed = text;
        return Status::success();
    }
};

TEST(WritingAssistant, theBuiltInAssistantIsNotAvailableAndSaysSo)
{
    WritingAssistant::setShared(nullptr);
    EXPECT_FALSE(WritingAssistant::shared().isAvailable());
    ViewController presenter;
    auto receiver = std::make_shared<Receiver>();
    Status opened = WritingAssistant::shared().open(presenter, receiver, WritingAssistant::SourceFileType::RichText, u"text");
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().message, "The AI writing assistant is not available.");
    EXPECT_EQ(presenter.presentedViewController(), nullptr);
}

TEST(WritingAssistant, anInstalledAssistantServesUntilTheDefaultIsRestored)
{
    auto recording = std::make_shared<Recording>();
    WritingAssistant::setShared(recording);
    ViewController presenter;
    EXPECT_TRUE(WritingAssistant::shared().open(presenter, {}, WritingAssistant::SourceFileType::QVText, u"selected"));
    EXPECT_EQ(recording->handed, u"selected");
    WritingAssistant::setShared(nullptr);
    EXPECT_FALSE(WritingAssistant::shared().isAvailable());
    EXPECT_NE(WritingAssistant::temporaryFilePath().find("wispgen-temp.text"), std::string::npos);
}

TEST(WritingAssistant, theNoConnectionAlertHasOneWayOut)
{
    std::shared_ptr<AlertController> alert = noConnectionAvailableAlert();
    EXPECT_EQ(alert->title(), u"No Internet Connection");
    ASSERT_EQ(alert->actions().size(), 1u);
}

} // namespace
} // namespace folio
