#pragma once

#include "platform/foundation/Error.h"
#include "platform/services/SpeechVoice.h"

#include <string>
#include <vector>

namespace folio {

// The espeak-ng synthesizer, used to make sound from text without playing
// it: the speech synthesizer plays what it answers. The library keeps one
// global state, so everything here runs on the main thread.
class EspeakEngine {
public:
    EspeakEngine() = delete;

    // espeak-ng's words per minute at the platform's default rate (0.5).
    static constexpr int kDefaultWordsPerMinute = 175;

    // Every voice of the installed espeak-ng data, one entry per language a
    // voice speaks; empty when the library cannot start.
    static const std::vector<SpeechVoice>& voices();
    // `rate` runs from 0 to 1 with 0.5 as the normal pace; `language` picks
    // the voice (empty or unknown: the library's default voice).
    static Result<SynthesizedSpeech> synthesize(const std::u16string& text, const std::string& language, float rate);
    // The words per minute for a rate between 0 and 1.
    static int wordsPerMinuteForRate(float rate);
};

} // namespace folio
