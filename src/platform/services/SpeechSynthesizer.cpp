#include "platform/services/SpeechSynthesizer.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/services/MediaServices.h"
#include "platform/services/SpeechAudioOutput.h"

#include <algorithm>

namespace folio {

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return std::tolower(c); });
    return result;
}

} // namespace

const std::vector<SpeechVoice>& SpeechSynthesizer::speechVoices()
{
    return MediaServices::shared().speechVoices();
}

std::optional<SpeechVoice> SpeechSynthesizer::voiceWithLanguage(std::string_view language)
{
    if (language.empty())
        return std::nullopt;
    std::string wanted = lowered(language);
    std::replace(wanted.begin(), wanted.end(), '_', '-');
    const std::vector<SpeechVoice>& voices = speechVoices();
    for (const SpeechVoice& voice : voices) {
        if (lowered(voice.language) == wanted)
            return voice;
    }
    std::string primary = wanted.substr(0, wanted.find('-'));
    for (const SpeechVoice& voice : voices) {
        if (lowered(voice.language) == primary)
            return voice;
    }
    return std::nullopt;
}

SpeechSynthesizer::SpeechSynthesizer(std::unique_ptr<SpeechAudioOutput> output)
    : m_output(output ? std::move(output) : SpeechAudioOutput::makeDefault())
    , m_self(std::make_shared<SpeechSynthesizer*>(this))
{
}

SpeechSynthesizer::~SpeechSynthesizer()
{
    if (m_pendingStart)
        RunLoop::main().invalidate(m_pendingStart);
    m_output->stop();
}

void SpeechSynthesizer::speakUtterance(SpeechUtterance utterance)
{
    m_queue.push_back(std::move(utterance));
    if (!m_current && !m_pendingStart)
        startNextSoon(0);
}

void SpeechSynthesizer::startNextSoon(double delay)
{
    std::weak_ptr<SpeechSynthesizer*> weak = m_self;
    m_pendingStart = RunLoop::main().postAfterDelay(delay, [weak] {
        if (auto self = weak.lock()) {
            (*self)->m_pendingStart = 0;
            if (!(*self)->m_paused)
                (*self)->startNext();
        }
    });
}

void SpeechSynthesizer::startNext()
{
    if (m_current || m_queue.empty())
        return;
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    m_nextWord = 0;
    // NOTE: a piece is synthesized whole before it is heard; the pieces are
    // sentences, which espeak-ng makes in a few milliseconds each.
    Result<SynthesizedSpeech> speech =
        MediaServices::shared().synthesizeSpeech(m_current->speechString, m_current->voiceLanguage, m_current->rate);
    if (!speech) {
        TELog(TELogLevelWarning, "Speech failed: " + speech.error().message);
        m_speech = {};
    } else {
        m_speech = std::move(*speech);
    }
    std::weak_ptr<SpeechSynthesizer*> weak = m_self;
    m_output->play(
        m_speech,
        [weak](double seconds) {
            if (auto self = weak.lock())
                (*self)->heard(seconds);
        },
        [weak] {
            if (auto self = weak.lock())
                (*self)->finished();
        });
}

void SpeechSynthesizer::heard(double seconds)
{
    std::weak_ptr<SpeechSynthesizer*> weak = m_self;
    while (m_current && m_nextWord < m_speech.words.size() && m_speech.words[m_nextWord].seconds <= seconds) {
        Range range = m_speech.words[m_nextWord++].range;
        SpeechUtterance utterance = *m_current;
        if (m_delegate)
            m_delegate->speechSynthesizerWillSpeakRange(range, utterance);
        // The delegate may have released or stopped the synthesizer.
        if (weak.expired())
            return;
    }
}

void SpeechSynthesizer::finished()
{
    if (!m_current)
        return;
    SpeechUtterance done = std::move(*m_current);
    m_current.reset();
    double delay = done.postUtteranceDelay;
    std::weak_ptr<SpeechSynthesizer*> weak = m_self;
    if (m_delegate)
        m_delegate->speechSynthesizerDidFinishUtterance(done);
    if (weak.expired())
        return;
    if (!m_queue.empty() && !m_current && !m_pendingStart)
        startNextSoon(delay);
}

bool SpeechSynthesizer::pauseSpeaking()
{
    if (m_paused || !isSpeaking())
        return false;
    m_paused = true;
    m_output->pause();
    return true;
}

bool SpeechSynthesizer::continueSpeaking()
{
    if (!m_paused)
        return false;
    m_paused = false;
    m_output->resume();
    if (!m_current && !m_pendingStart)
        startNextSoon(0);
    return true;
}

bool SpeechSynthesizer::stopSpeaking()
{
    if (!isSpeaking() && !m_paused)
        return false;
    m_queue.clear();
    m_current.reset();
    m_paused = false;
    if (m_pendingStart)
        RunLoop::main().invalidate(m_pendingStart);
    m_pendingStart = 0;
    m_output->stop();
    return true;
}

} // namespace folio
