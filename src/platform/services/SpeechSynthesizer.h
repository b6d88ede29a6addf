#pragma once

#include "platform/foundation/Range.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/services/SpeechVoice.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {


// One piece of text to speak, queued on a synthesizer.
struct SpeechUtterance {
    std::u16string speechString;
    // 0 to 1, 0.5 the normal pace; 0 takes the default rate.
    float rate = 0;
    // The voice's language; empty speaks with the default voice.
    std::string voiceLanguage;
    // The silence after the utterance before the next starts.
    double postUtteranceDelay = 0;
};

class SpeechSynthesizerDelegate {
public:
    virtual ~SpeechSynthesizerDelegate() = default;
    // The word at `range` of the utterance's text is about to be heard.
    virtual void speechSynthesizerWillSpeakRange(Range range, const SpeechUtterance& utterance) = 0;
    virtual void speechSynthesizerDidFinishUtterance(const SpeechUtterance& utterance) = 0;
};

// Speaks queued utterances one after the other on espeak-ng, telling its
// delegate each word as it is heard and each utterance as it ends. Pausing
// and stopping take effect at once. Main thread only; callbacks come on the
// main run loop and never after the synthesizer is gone.
class SpeechSynthesizer {
public:
    static constexpr float kDefaultSpeechRate = 0.5f;

    static const std::vector<SpeechVoice>& speechVoices();
    // The voice for a language: the same tag, else one of its primary
    // language ("en" for "en-US"), else none.
    static std::optional<SpeechVoice> voiceWithLanguage(std::string_view language);

    // Without an output, the desktop's (SpeechAudioOutput::makeDefault).
    explicit SpeechSynthesizer(std::unique_ptr<SpeechAudioOutput> output = nullptr);
    ~SpeechSynthesizer();
    SpeechSynthesizer(const SpeechSynthesizer&) = delete;
    SpeechSynthesizer& operator=(const SpeechSynthesizer&) = delete;

    // Not owned; must outlive the synthesizer or be cleared first.
    void setDelegate(SpeechSynthesizerDelegate* delegate) { m_delegate = delegate; }

    void speakUtterance(SpeechUtterance utterance);
    // Each answers whether it changed anything.
    bool pauseSpeaking();
    bool continueSpeaking();
    // Drops every queued utterance; the one being heard gets no end report.
    bool stopSpeaking();

    // An utterance is being heard or waits, paused or not.
    bool isSpeaking() const { return m_current.has_value() || !m_queue.empty(); }
    bool isPaused() const { return m_paused; }

private:
    void startNextSoon(double delay);
    void startNext();
    void heard(double seconds);
    void finished();

    std::unique_ptr<SpeechAudioOutput> m_output;
    SpeechSynthesizerDelegate* m_delegate = nullptr;
    std::deque<SpeechUtterance> m_queue;
    std::optional<SpeechUtterance> m_current;
    SynthesizedSpeech m_speech;
    std::size_t m_nextWord = 0;
    bool m_paused = false;
    std::uint64_t m_pendingStart = 0;
    std::shared_ptr<SpeechSynthesizer*> m_self;
};

} // namespace folio
