#include "platform/media/EspeakEngine.h"

#include "platform/foundation/Unicode.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

constexpr const char* kDomain = "EspeakEngine";

// What one espeak_Synth call collects through the library's callback.
struct Collector {
    std::vector<std::int16_t> samples;
    std::vector<std::pair<int, int>> wordCharacters; // 1-based code point start, length
    std::vector<int> wordMilliseconds;
};

int synthCallback(short* wave, int count, espeak_EVENT* events)
{
    // Every call carries at least the list's terminating event, with the
    // caller's data like the others.
    auto* collector = events ? static_cast<Collector*>(events->user_data) : nullptr;
    if (!collector)
        return 0;
    if (wave && count > 0)
        collector->samples.insert(collector->samples.end(), wave, wave + count);
    for (espeak_EVENT* event = events; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type == espeakEVENT_WORD) {
            collector->wordCharacters.emplace_back(event->text_position, event->length);
            collector->wordMilliseconds.push_back(event->audio_position);
        }
    }
    return 0;
}

// The sample rate, or 0 when the library or its data is missing.
int startLibrary()
{
    static const int sampleRate = [] {
        int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
        if (rate > 0)
            espeak_SetSynthCallback(synthCallback);
        return rate > 0 ? rate : 0;
    }();
    return sampleRate;
}

// espeak-ng names languages in lower case ("en-gb"); BCP 47 writes the
// region in upper case.
std::string bcp47(std::string language)
{
    std::size_t dash = language.find('-');
    if (dash != std::string::npos && language.size() - dash - 1 == 2)
        std::transform(language.begin() + dash, language.end(), language.begin() + dash,
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return language;
}

// The UTF-16 offset of each code point of `text`, and one past the end.
std::vector<std::size_t> codePointOffsets(const std::u16string& text)
{
    std::vector<std::size_t> offsets;
    for (std::size_t index = 0; index < text.size(); ++index) {
        offsets.push_back(index);
        if (isHighSurrogate(text[index]) && index + 1 < text.size() && isLowSurrogate(text[index + 1]))
            ++index;
    }
    offsets.push_back(text.size());
    return offsets;
}

} // namespace

const std::vector<SpeechVoice>& EspeakEngine::voices()
{
    static const std::vector<SpeechVoice> list = [] {
        std::vector<SpeechVoice> found;
        if (!startLibrary())
            return found;
        const espeak_VOICE** voices = espeak_ListVoices(nullptr);
        for (const espeak_VOICE** voice = voices; voice && *voice; ++voice) {
            // Pairs of one priority byte and a zero-terminated language, ended by a zero byte.
            for (const char* entry = (*voice)->languages; entry && *entry; ) {
                const char* language = entry + 1;
                found.push_back({(*voice)->name ? (*voice)->name : "", bcp47(language),
                                 (*voice)->identifier ? (*voice)->identifier : ""});
                entry = language + std::char_traits<char>::length(language) + 1;
            }
        }
        return found;
    }();
    return list;
}

int EspeakEngine::wordsPerMinuteForRate(float rate)
{
    if (!(rate > 0))
        return kDefaultWordsPerMinute;
    int wpm = static_cast<int>(std::lround(kDefaultWordsPerMinute * rate / 0.5f));
    return std::clamp(wpm, static_cast<int>(espeakRATE_MINIMUM), static_cast<int>(espeakRATE_MAXIMUM));
}

Result<SynthesizedSpeech> EspeakEngine::synthesize(const std::u16string& text, const std::string& language, float rate)
{
    int sampleRate = startLibrary();
    if (!sampleRate)
        return Error{kDomain, 1, "The espeak-ng speech engine or its voice data is not installed"};
    espeak_VOICE wanted{};
    std::string lowered = language;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
    wanted.languages = lowered.c_str();
    if (lowered.empty() || espeak_SetVoiceByProperties(&wanted) != EE_OK)
        espeak_SetVoiceByName("en");
    espeak_SetParameter(espeakRATE, wordsPerMinuteForRate(rate), 0);

    SynthesizedSpeech speech;
    speech.sampleRate = sampleRate;
    if (text.empty())
        return speech;
    Collector collector;
    std::string utf8 = toUtf8(text);
    espeak_ERROR status = espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                                       &collector);
    if (status != EE_OK)
        return Error{kDomain, static_cast<int>(status), "espeak-ng could not speak the text"};
    espeak_Synchronize();
    speech.samples = std::move(collector.samples);
    std::vector<std::size_t> offsets = codePointOffsets(text);
    const std::size_t codePoints = offsets.size() - 1;
    for (std::size_t index = 0; index < collector.wordCharacters.size(); ++index) {
        auto [position, length] = collector.wordCharacters[index];
        // The library counts characters from 1.
        std::size_t start = position > 0 ? static_cast<std::size_t>(position - 1) : 0;
        // The library may end an utterance with an empty word: nothing to show.
        if (start >= codePoints || length <= 0)
            continue;
        std::size_t end = std::min(codePoints, start + static_cast<std::size_t>(std::max(length, 0)));
        speech.words.push_back({Range{offsets[start], offsets[end] - offsets[start]},
                                collector.wordMilliseconds[index] / 1000.0});
    }
    return speech;
}

} // namespace folio
