#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/View.h"
#include "support/VirtualClock.h"
#include "tools/speech/ReadAloudController.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class ReadAloudTest : public test::VirtualClockTest {
protected:
    ReadAloudController::Host host()
    {
        return ReadAloudController::Host{
            .makeSynthesizer = [this] { return std::make_unique<SpeechSynthesizer>(SpeechAudioOutput::makeWavFile(wav)); },
            .primaryLanguage = [this] { return language; },
            .showSpokenText = [this](const std::u16string& text) { shown.push_back(text); },
            .regenerateToolsMenu = [this] { ++menusRebuilt; },
            .endEditing = [this] { ++editingEnded; },
            .view = [this] { return view; }};
    }
    std::vector<std::string> menuActions() const
    {
        std::vector<std::string> actions;
        for (const MenuItem& item : menu.menuItems())
            actions.push_back(item.action);
        return actions;
    }

    test::ScratchFolder scratch;
    std::string wav = scratch.file("read.wav");
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    MenuController menu{center};
    std::shared_ptr<View> view = std::make_shared<View>(Rect{{0, 0}, {800, 600}});
    std::string language = "en-US";
    std::vector<std::u16string> shown;
    int menusRebuilt = 0;
    int editingEnded = 0;
    ReadAloudController speech{defaults, menu, host()};
};

TEST(ReadAloudPieces, aTextIsCutAtEveryFullStopKeepingEmptyPieces)
{
    EXPECT_EQ(ReadAloudController::utterancePieces(u"One. Two."),
              (std::vector<std::u16string>{u"One", u" Two", u""}));
    EXPECT_EQ(ReadAloudController::utterancePieces(u"One\nTwo"), (std::vector<std::u16string>{u"One\nTwo"}));
    EXPECT_EQ(ReadAloudController::utterancePieces(u"a..b"), (std::vector<std::u16string>{u"a", u"", u"b"}));
    EXPECT_EQ(ReadAloudController::utterancePieces(u""), (std::vector<std::u16string>{u""}));
}

TEST_F(ReadAloudTest, twoSentencesAreThreePiecesAndSpeakingLastsUntilAllHaveFinished)
{
    speech.readAloudText(u"Good morning. See you soon.");
    EXPECT_EQ(speech.totalUtterances(), 3u);
    EXPECT_EQ(speech.textUterances().back(), u"");
    EXPECT_TRUE(speech.isSpeaking());
    EXPECT_FLOAT_EQ(speech.utteranceRate(), SpeechSynthesizer::kDefaultSpeechRate);
    ASSERT_TRUE(loop.runUntil([&] { return speech.completedUtterances() == 2; }, 10));
    EXPECT_TRUE(speech.isSpeaking());
    ASSERT_TRUE(loop.runUntil([&] { return !speech.isSpeaking(); }, 10));
    EXPECT_EQ(speech.completedUtterances(), 3u);
    // Each word as it was heard, then the banner emptied.
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"Good", u"morning", u"See", u"you", u"soon", u""}));
    EXPECT_EQ(menusRebuilt, 1);
    EXPECT_FALSE(speech.synthesizerIsSpeaking());
}

TEST_F(ReadAloudTest, theSpeechSpeedSettingSetsTheRate)
{
    defaults.setFloat(ReadAloudController::kSpeechSpeedKey, 0.7f);
    speech.readAloudText(u"Quick");
    EXPECT_FLOAT_EQ(speech.utteranceRate(), 0.7f);
    defaults.setFloat(ReadAloudController::kSpeechSpeedKey, 0);
    speech.readAloudText(u"Normal");
    EXPECT_FLOAT_EQ(speech.utteranceRate(), SpeechSynthesizer::kDefaultSpeechRate);
}

TEST_F(ReadAloudTest, theMenuOffersPauseResumeAndCancelAndCancelWhilePausedEndsTheReading)
{
    speech.readAloudText(u"One. Two. Three.");
    speech.showSpeakMenu();
    EXPECT_EQ(editingEnded, 1);
    EXPECT_TRUE(menu.isMenuVisible());
    EXPECT_EQ(menu.targetRect(), (Rect{{300, 0}, {200, 20}}));
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"pauseSpeak:", "cancelSpeak:"}));

    speech.pauseSpeak();
    EXPECT_TRUE(speech.synthesizerIsPaused());
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"resumeSpeak:", "cancelSpeak:"}));
    loop.advanceVirtualClock(10);
    EXPECT_TRUE(speech.isSpeaking());
    EXPECT_EQ(speech.completedUtterances(), 0u);

    speech.resumeSpeak();
    EXPECT_FALSE(speech.synthesizerIsPaused());
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"pauseSpeak:", "cancelSpeak:"}));
    ASSERT_TRUE(loop.runUntil([&] { return speech.completedUtterances() == 1; }, 10));

    speech.pauseSpeak();
    speech.cancelSpeak();
    EXPECT_FALSE(speech.isSpeaking());
    EXPECT_FALSE(speech.synthesizerIsSpeaking());
    EXPECT_FALSE(speech.synthesizerIsPaused());
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(shown.back(), u"");
    EXPECT_EQ(menusRebuilt, 1);
    loop.advanceVirtualClock(10);
    EXPECT_EQ(speech.completedUtterances(), 1u);

    // Nothing to cancel: nothing happens.
    speech.cancelSpeak();
    EXPECT_EQ(menusRebuilt, 1);
}

TEST_F(ReadAloudTest, aScrollBringsTheControlsBackForTheStateTheReadingIsIn)
{
    speech.checkifWasSpeakingMode();
    EXPECT_FALSE(menu.isMenuVisible());
    speech.readAloudText(u"Long enough to scroll.");
    speech.checkifWasSpeakingMode();
    EXPECT_TRUE(menu.isMenuVisible());
    speech.speakAppWillEnterForeground();
    EXPECT_TRUE(speech.synthesizerIsPaused());
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"resumeSpeak:", "cancelSpeak:"}));
    speech.checkifWasSpeakingMode();
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"resumeSpeak:", "cancelSpeak:"}));
    speech.cancelSpeak();
}

TEST_F(ReadAloudTest, aVoiceIsFoundOnlyForALanguageTheEngineSpeaks)
{
    language = "en";
    speech.checkIfSpeechCompatible();
    EXPECT_TRUE(speech.existVoiceForLanguage());
    language = "xx-YY";
    speech.checkIfSpeechCompatible();
    EXPECT_FALSE(speech.existVoiceForLanguage());
    // Read all the same, with the engine's default voice.
    speech.readAloudText(u"Hello");
    ASSERT_TRUE(loop.runUntil([&] { return !speech.isSpeaking(); }, 10));
    EXPECT_EQ(shown.front(), u"Hello");
}

} // namespace
} // namespace folio
