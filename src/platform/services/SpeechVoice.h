#pragma once

#include "platform/foundation/Range.h"

#include <cstdint>
#include <string>
#include <vector>

namespace folio {

// A voice the speech engine can speak with, by the language it speaks as a
// BCP 47 tag ("en", "en-GB", "pt-BR").
struct SpeechVoice {
    std::string name;
    std::string language;
    std::string identifier;
};

// One utterance made into sound: mono 16-bit samples, and where each word
// starts in the sound and in the utterance's text (UTF-16 ranges).
struct SynthesizedSpeech {
    struct Word {
        Range range;
        double seconds = 0;
    };
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
    std::vector<Word> words;

    double duration() const { return sampleRate > 0 ? static_cast<double>(samples.size()) / sampleRate : 0; }
};

} // namespace folio
