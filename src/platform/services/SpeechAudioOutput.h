#pragma once

#include "platform/services/SpeechVoice.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

// Where spoken sound goes: the speakers, or a WAV file on a machine that has
// none (and in tests). Callbacks come on the main run loop and never after
// stop() or the output's end.
class SpeechAudioOutput {
public:
    using Progress = std::function<void(double seconds)>;
    using Finished = std::function<void()>;

    virtual ~SpeechAudioOutput() = default;

    // Plays `speech` from its start, in place of whatever was playing:
    // `progress` hears how many seconds have been played, `finished` once
    // when all of it has.
    virtual void play(const SynthesizedSpeech& speech, Progress progress, Finished finished) = 0;
    // Takes effect at once, in the middle of a word.
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void stop() = 0;

    // The desktop's sound output; when it has none, a WAV file in the
    // temporary folder.
    static std::unique_ptr<SpeechAudioOutput> makeDefault();
    // Appends everything played to one WAV file, and reports it heard over
    // its length on the run loop's clock.
    static std::unique_ptr<SpeechAudioOutput> makeWavFile(std::string path);
};

} // namespace folio
