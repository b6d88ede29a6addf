#include "platform/media/EspeakEngine.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/services/SpeechSynthesizer.h"
#include "platform/services/WavFileSpeechOutput.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/ScratchFolder.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace folio {
namespace {

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t littleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int index = count - 1; index >= 0; --index)
        value = (value << 8) | bytes[at + static_cast<std::size_t>(index)];
    return value;
}

// Records what a synthesizer reports, in order.
struct Recorder final : SpeechSynthesizerDelegate {
    std::vector<std::pair<Range, std::u16string>> words;
    // The run loop's clock at each word and each end.
    std::vector<double> wordTimes;
    std::vector<double> finishTimes;
    std::vector<std::u16string> finished;
    std::function<void()> onFinish;

    void speechSynthesizerWillSpeakRange(Range range, const SpeechUtterance& utterance) override
    {
        words.emplace_back(range, utterance.speechString.substr(range.location, range.length));
        wordTimes.push_back(RunLoop::main().now());
    }
    void speechSynthesizerDidFinishUtterance(const SpeechUtterance& utterance) override
    {
        finished.push_back(utterance.speechString);
        finishTimes.push_back(RunLoop::main().now());
        if (onFinish)
            onFinish();
    }
};

TEST(EspeakVoices, listsVoicesByLanguageAndFindsThemByPrimaryLanguage)
{
    const std::vector<SpeechVoice>& voices = SpeechSynthesizer::speechVoices();
    ASSERT_FALSE(voices.empty());
    bool english = false;
    for (const SpeechVoice& voice : voices)
        english = english || voice.language == "en-GB" || voice.language == "en";
    EXPECT_TRUE(english);
    std::optional<SpeechVoice> american = SpeechSynthesizer::voiceWithLanguage("en_US");
    ASSERT_TRUE(american.has_value());
    EXPECT_EQ(american->language.substr(0, 2), "en");
    EXPECT_FALSE(SpeechSynthesizer::voiceWithLanguage("zz-QQ").has_value());
    EXPECT_FALSE(SpeechSynthesizer::voiceWithLanguage("").has_value());
}

TEST(EspeakEngine, ratesMapToWordsPerMinuteAroundTheNormalPace)
{
    EXPECT_EQ(EspeakEngine::wordsPerMinuteForRate(0), EspeakEngine::kDefaultWordsPerMinute);
    EXPECT_EQ(EspeakEngine::wordsPerMinuteForRate(0.5f), EspeakEngine::kDefaultWordsPerMinute);
    EXPECT_EQ(EspeakEngine::wordsPerMinuteForRate(1.0f), 350);
    EXPECT_EQ(EspeakEngine::wordsPerMinuteForRate(0.01f), 80);
}

TEST(EspeakEngine, reportsEachWordAtItsUtf16RangeInOrderOfTime)
{
    // "é" is one unit, the emoji two: ranges count UTF-16 units.
    std::u16string text = u"Caf\u00e9 \U0001F600 over there";
    Result<SynthesizedSpeech> speech = EspeakEngine::synthesize(text, "en", 0.5f);
    ASSERT_TRUE(speech) << speech.error().message;
    EXPECT_GT(speech->sampleRate, 0);
    EXPECT_GT(speech->duration(), 0.3);
    std::vector<std::u16string> spoken;
    double last = -1;
    for (const SynthesizedSpeech::Word& word : speech->words) {
        spoken.push_back(text.substr(word.range.location, word.range.length));
        EXPECT_GE(word.seconds, last);
        last = word.seconds;
    }
    ASSERT_GE(spoken.size(), 3u);
    EXPECT_EQ(spoken.front(), u"Caf\u00e9");
    EXPECT_EQ(spoken[spoken.size() - 2], u"over");
    EXPECT_EQ(spoken.back(), u"there");
}

class SpeechSynthesizerTest : public test::VirtualClockTest {
protected:
    test::ScratchFolder scratch;
    std::string wav = scratch.file("speech.wav");
};

TEST_F(SpeechSynthesizerTest, speaksQueuedUtterancesToAWavFileWithWordEventsAtTheWordOffsets)
{
    Recorder recorder;
    SpeechSynthesizer synthesizer(SpeechAudioOutput::makeWavFile(wav));
    synthesizer.setDelegate(&recorder);
    synthesizer.speakUtterance({u"one two three", 0.5f, "en-US", 0.3});
    synthesizer.speakUtterance({u"four", 0, "en-US", 0.3});
    EXPECT_TRUE(synthesizer.isSpeaking());
    ASSERT_TRUE(loop.runUntil([&] { return recorder.finished.size() == 2; }, 10));
    EXPECT_FALSE(synthesizer.isSpeaking());

    ASSERT_EQ(recorder.words.size(), 4u);
    EXPECT_EQ(recorder.words[0].first, (Range{0, 3}));
    EXPECT_EQ(recorder.words[1].first, (Range{4, 3}));
    EXPECT_EQ(recorder.words[2].first, (Range{8, 5}));
    EXPECT_EQ(recorder.words[3].second, u"four");
    EXPECT_EQ(recorder.finished, (std::vector<std::u16string>{u"one two three", u"four"}));

    std::vector<unsigned char> bytes = readFile(wav);
    ASSERT_GT(bytes.size(), 44u + 4000u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "WAVE");
    EXPECT_EQ(littleEndian(bytes, 40, 4), bytes.size() - 44);
    EXPECT_EQ(littleEndian(bytes, 4, 4), bytes.size() - 8);
    // Not silence: some samples are well away from zero.
    std::size_t loud = 0;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
        auto sample = static_cast<std::int16_t>(littleEndian(bytes, at, 2));
        loud += sample > 2000 || sample < -2000;
    }
    EXPECT_GT(loud, 100u);
}

TEST_F(SpeechSynthesizerTest, eachWordIsReportedWhenItsSoundIsReachedAndPausingHoldsTheClock)
{
    const std::u16string text = u"one two three four five six seven";
    Result<SynthesizedSpeech> expected = EspeakEngine::synthesize(text, "en", 0.5f);
    ASSERT_TRUE(expected) << expected.error().message;
    ASSERT_EQ(expected->words.size(), 7u);
    ASSERT_GT(expected->duration(), 1.0);

    Recorder recorder;
    SpeechSynthesizer synthesizer(SpeechAudioOutput::makeWavFile(wav));
    synthesizer.setDelegate(&recorder);
    const double start = loop.now();
    synthesizer.speakUtterance({text, 0.5f, "en", 0});
    // Halfway through the sound only the words that began before are shown.
    const double half = expected->duration() / 2;
    loop.advanceVirtualClock(half);
    const std::size_t heardByHalf = recorder.words.size();
    EXPECT_GE(heardByHalf, 2u);
    EXPECT_LE(heardByHalf, 5u);
    EXPECT_TRUE(recorder.finished.empty());

    // Paused, no word comes however long the wait; continued, the rest follow.
    ASSERT_TRUE(synthesizer.pauseSpeaking());
    loop.advanceVirtualClock(30);
    EXPECT_EQ(recorder.words.size(), heardByHalf);
    const double pausedFor = 30;
    ASSERT_TRUE(synthesizer.continueSpeaking());
    ASSERT_TRUE(loop.runUntil([&] { return recorder.finished.size() == 1; }, 10));

    ASSERT_EQ(recorder.words.size(), 7u);
    for (std::size_t index = 0; index < recorder.words.size(); ++index) {
        EXPECT_EQ(recorder.words[index].first, expected->words[index].range);
        double heardAt = recorder.wordTimes[index] - start - (index < heardByHalf ? 0 : pausedFor);
        // The engine places a word some milliseconds differently from one
        // synthesis of the same text to the next: a tick either way.
        const double slack = WavFileSpeechOutput::kTickSeconds;
        EXPECT_GE(heardAt + slack, expected->words[index].seconds) << "word " << index << " came early";
        EXPECT_LE(heardAt, expected->words[index].seconds + slack + WavFileSpeechOutput::kTickSeconds)
            << "word " << index << " came late";
    }
    EXPECT_GE(recorder.finishTimes[0] - start - pausedFor + 1e-6, expected->duration());
}

TEST_F(SpeechSynthesizerTest, pausingHoldsTheQueueAndContinuingFinishesIt)
{
    Recorder recorder;
    SpeechSynthesizer synthesizer(SpeechAudioOutput::makeWavFile(wav));
    synthesizer.setDelegate(&recorder);
    recorder.onFinish = [&] {
        if (recorder.finished.size() == 1)
            synthesizer.pauseSpeaking();
    };
    synthesizer.speakUtterance({u"first", 0, "en", 0.3});
    synthesizer.speakUtterance({u"second", 0, "en", 0.3});
    ASSERT_TRUE(loop.runUntil([&] { return recorder.finished.size() == 1; }, 10));
    loop.advanceVirtualClock(5);
    EXPECT_EQ(recorder.finished.size(), 1u);
    EXPECT_TRUE(synthesizer.isPaused());
    EXPECT_TRUE(synthesizer.isSpeaking());
    EXPECT_FALSE(synthesizer.pauseSpeaking());

    EXPECT_TRUE(synthesizer.continueSpeaking());
    ASSERT_TRUE(loop.runUntil([&] { return recorder.finished.size() == 2; }, 10));
    EXPECT_FALSE(synthesizer.isSpeaking());
}

TEST_F(SpeechSynthesizerTest, stoppingDropsTheQueueWithoutFurtherReports)
{
    Recorder recorder;
    SpeechSynthesizer synthesizer(SpeechAudioOutput::makeWavFile(wav));
    synthesizer.setDelegate(&recorder);
    synthesizer.speakUtterance({u"never heard", 0, "en", 0});
    synthesizer.speakUtterance({u"nor this", 0, "en", 0});
    EXPECT_TRUE(synthesizer.stopSpeaking());
    loop.advanceVirtualClock(5);
    EXPECT_TRUE(recorder.words.empty());
    EXPECT_TRUE(recorder.finished.empty());
    EXPECT_FALSE(synthesizer.isSpeaking());
    EXPECT_FALSE(synthesizer.stopSpeaking());
}

TEST_F(SpeechSynthesizerTest, aSynthesizerReleasedByItsDelegateStopsCleanly)
{
    Recorder recorder;
    auto synthesizer = std::make_unique<SpeechSynthesizer>(SpeechAudioOutput::makeWavFile(wav));
    synthesizer->setDelegate(&recorder);
    recorder.onFinish = [&] { synthesizer.reset(); };
    synthesizer->speakUtterance({u"one", 0, "en", 0});
    synthesizer->speakUtterance({u"two", 0, "en", 0});
    ASSERT_TRUE(loop.runUntil([&] { return synthesizer == nullptr; }, 10));
    loop.advanceVirtualClock(5);
    EXPECT_EQ(recorder.finished.size(), 1u);
}

TEST_F(SpeechSynthesizerTest, anUnwritableWavFileStillEndsEachUtterance)
{
    Recorder recorder;
    SpeechSynthesizer synthesizer(SpeechAudioOutput::makeWavFile(scratch.file("missing/folder/speech.wav")));
    synthesizer.setDelegate(&recorder);
    synthesizer.speakUtterance({u"lost", 0, "en", 0});
    ASSERT_TRUE(loop.runUntil([&] { return recorder.finished.size() == 1; }, 10));
}

} // namespace
} // namespace folio
