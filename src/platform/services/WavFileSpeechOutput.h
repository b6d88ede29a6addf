#pragma once

#include "platform/services/SpeechAudioOutput.h"

#include <cstdio>
#include <vector>

namespace folio {

// Writes the sound to a mono 16-bit WAV file. Nothing waits for a clock: an
// utterance counts as played as soon as it is written, and its progress and
// end are reported on the next turn of the run loop (held while paused).
class WavFileSpeechOutput final : public SpeechAudioOutput {
public:
    explicit WavFileSpeechOutput(std::string path);
    ~WavFileSpeechOutput() override;

    void play(const SynthesizedSpeech& speech, Progress progress, Finished finished) override;
    void pause() override { m_paused = true; }
    void resume() override;
    void stop() override;

    const std::string& path() const { return m_path; }

private:
    bool writeSamples(const std::vector<std::int16_t>& samples, int sampleRate);
    void deliverSoon();

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::uint32_t m_dataBytes = 0;
    bool m_paused = false;
    // The report of the utterance just written, until delivered.
    std::function<void()> m_pending;
    std::shared_ptr<WavFileSpeechOutput*> m_self;
};

} // namespace folio
