#pragma once

#include "platform/services/SpeechSynthesizer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class MenuController;
class UserDefaults;
class View;

// Reading a text aloud for an editor: the text is cut into pieces at every
// full stop and queued as one utterance each with a short pause after it;
// the word being heard is shown by the editor, and the edit menu offers
// pause, resume and cancel while the reading lasts. A new synthesizer is
// made for every reading.
//
// States: idle (completed = total) -> speaking -> paused <-> speaking ->
// idle when the last piece ends or on cancel.
class ReadAloudController final : public SpeechSynthesizerDelegate {
public:
    static constexpr double kPostUtteranceDelay = 0.3;
    static constexpr const char* kSpeechSpeedKey = "SpeechSpeed";

    struct Host {
        // A synthesizer speaking to the desktop's output unless given.
        std::function<std::unique_ptr<SpeechSynthesizer>()> makeSynthesizer{};
        // The keyboard's language, as a BCP 47 tag.
        std::function<std::string()> primaryLanguage{};
        // The banner above the page: shown with the text, or emptied.
        std::function<void(const std::u16string& text)> showSpokenText{};
        std::function<void()> regenerateToolsMenu{};
        std::function<void()> endEditing{};
        // Where the speech menu points.
        std::function<std::shared_ptr<View>()> view{};
        // The bar item whose menu starts and stops reading: the speech menu
        // stands at it where it shows.
        std::function<std::shared_ptr<BarButtonItem>()> menuItem{};
    };

    ReadAloudController(UserDefaults& defaults, MenuController& menu, Host host);
    ~ReadAloudController() override;
    ReadAloudController(const ReadAloudController&) = delete;
    ReadAloudController& operator=(const ReadAloudController&) = delete;

    // The pieces a text is read in: split at every ".", empty pieces kept.
    static std::vector<std::u16string> utterancePieces(const std::u16string& text);

    void readAloudText(const std::u16string& text);

    bool isSpeaking() const { return m_completedUtterances < m_totalUtterances; }
    // The synthesizer's own state, which the menus ask.
    bool synthesizerIsSpeaking() const;
    bool synthesizerIsPaused() const;
    std::uint64_t totalUtterances() const { return m_totalUtterances; }
    std::uint64_t completedUtterances() const { return m_completedUtterances; }
    const std::vector<std::u16string>& textUterances() const { return m_textUterances; }
    // The rate the pieces were queued with.
    float utteranceRate() const { return m_rate; }

    // Whether a voice speaks the keyboard's language as it is now; the
    // voices themselves are looked at the first time the answer is asked,
    // so that an editor nobody asks to speak never loads the speech engine.
    void checkIfSpeechCompatible();
    bool existVoiceForLanguage() const;

    void showSpeakMenu();
    void hideSpeakMenu() { cancelSpeak(); }
    void pauseSpeak();
    void resumeSpeak();
    void cancelSpeak();
    void speakAppWillEnterForeground();
    void checkifWasSpeakingMode();

    void speechSynthesizerWillSpeakRange(Range range, const SpeechUtterance& utterance) override;
    void speechSynthesizerDidFinishUtterance(const SpeechUtterance& utterance) override;

private:
    void setMenuItems(bool paused);
    // Shows the menu, as it is, where the editor's view points it.
    void showMenu();
    std::string language() const;

    UserDefaults& m_defaults;
    MenuController& m_menu;
    Host m_host;
    std::unique_ptr<SpeechSynthesizer> m_synthesizer;
    std::vector<std::u16string> m_textUterances;
    std::uint64_t m_totalUtterances = 0;
    std::uint64_t m_completedUtterances = 0;
    float m_rate = 0;
    std::string m_voiceLanguage;
    mutable std::optional<bool> m_existVoiceForLanguage;
};

} // namespace folio
