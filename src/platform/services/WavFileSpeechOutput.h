#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/services/SpeechAudioOutput.h"

#include <cstdio>
#include <vector>

namespace folio {

// Writes the sound to a mono 16-bit WAV file, and reports it played as if it
// were heard: progress runs on the run loop's clock over the sound's length,
// so that a listener sees one word after another as on the speakers (and a
// test drives it with the virtual clock). Pausing holds that clock.
class WavFileSpeechOutput final : public SpeechAudioOutput {
public:
    // How often progress is reported: finer than a spoken word.
    static constexpr double kTickSeconds = 0.05;

    explicit WavFileSpeechOutput(std::string path);
    ~WavFileSpeechOutput() override;

    void play(const SynthesizedSpeech& speech, Progress progress, Finished finished) override;
    void pause() override;
    void resume() override;
    void stop() override;

    const std::string& path() const { return m_path; }

private:
    bool writeSamples(const std::vector<std::int16_t>& samples, int sampleRate);
    void startTicking();
    void stopTicking();
    void tick();
    double playedSeconds() const;

    std::string m_path;
    std::FILE* m_file = nullptr;
    std::uint32_t m_dataBytes = 0;
    bool m_paused = false;
    // The utterance being "heard", until its end is reported.
    Progress m_progress;
    Finished m_finished;
    double m_duration = 0;
    // Seconds heard before the last resume, and the clock's time at it.
    double m_playedBefore = 0;
    double m_resumedAt = 0;
    RunLoop::TimerId m_timer = 0;
};

} // namespace folio
