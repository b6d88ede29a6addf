#pragma once

#include "platform/services/SpeechAudioOutput.h"

#include <cstdint>

typedef struct _GstElement GstElement;

namespace folio {

// Plays the sound on the desktop's audio output through a GStreamer
// pipeline; the progress is read from the pipeline's clock a few times a
// second on the main run loop.
class GStreamerSpeechOutput final : public SpeechAudioOutput {
public:
    // Whether the desktop has an audio output GStreamer can open.
    static bool hasAudioOutput();

    GStreamerSpeechOutput();
    ~GStreamerSpeechOutput() override;

    void play(const SynthesizedSpeech& speech, Progress progress, Finished finished) override;
    void pause() override;
    void resume() override;
    void stop() override;

private:
    static constexpr double kPollSeconds = 0.05;
    void poll();
    void finish();
    void stopPolling();

    GstElement* m_pipeline = nullptr;
    GstElement* m_source = nullptr;
    Progress m_progress;
    Finished m_finished;
    double m_duration = 0;
    std::uint64_t m_timer = 0;
};

} // namespace folio
