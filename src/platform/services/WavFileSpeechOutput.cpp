#include "platform/services/WavFileSpeechOutput.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

#include <cstring>
#include <utility>

namespace folio {

namespace {

void putLittleEndian(unsigned char* out, std::uint32_t value, int bytes)
{
    for (int index = 0; index < bytes; ++index)
        out[index] = static_cast<unsigned char>((value >> (8 * index)) & 0xFF);
}

// RIFF header of a PCM, mono, 16-bit file of `dataBytes` sound bytes.
std::vector<unsigned char> header(int sampleRate, std::uint32_t dataBytes)
{
    std::vector<unsigned char> bytes(44, 0);
    std::memcpy(bytes.data(), "RIFF", 4);
    putLittleEndian(&bytes[4], 36 + dataBytes, 4);
    std::memcpy(&bytes[8], "WAVEfmt ", 8);
    putLittleEndian(&bytes[16], 16, 4);
    putLittleEndian(&bytes[20], 1, 2);
    putLittleEndian(&bytes[22], 1, 2);
    putLittleEndian(&bytes[24], static_cast<std::uint32_t>(sampleRate), 4);
    putLittleEndian(&bytes[28], static_cast<std::uint32_t>(sampleRate) * 2, 4);
    putLittleEndian(&bytes[32], 2, 2);
    putLittleEndian(&bytes[34], 16, 2);
    std::memcpy(&bytes[36], "data", 4);
    putLittleEndian(&bytes[40], dataBytes, 4);
    return bytes;
}

} // namespace

std::unique_ptr<SpeechAudioOutput> SpeechAudioOutput::makeWavFile(std::string path)
{
    return std::make_unique<WavFileSpeechOutput>(std::move(path));
}

WavFileSpeechOutput::WavFileSpeechOutput(std::string path) : m_path(std::move(path)) {}

WavFileSpeechOutput::~WavFileSpeechOutput()
{
    stopTicking();
    if (m_file)
        std::fclose(m_file);
}

bool WavFileSpeechOutput::writeSamples(const std::vector<std::int16_t>& samples, int sampleRate)
{
    if (!m_file) {
        m_file = std::fopen(m_path.c_str(), "wb");
        if (!m_file)
            return false;
    }
    std::vector<unsigned char> bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t sample : samples) {
        auto value = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<unsigned char>(value & 0xFF));
        bytes.push_back(static_cast<unsigned char>(value >> 8));
    }
    m_dataBytes += static_cast<std::uint32_t>(bytes.size());
    // The header is written again after each utterance, so that the file is
    // whole whenever a reader looks.
    std::vector<unsigned char> head = header(sampleRate, m_dataBytes);
    bool written = std::fseek(m_file, 0, SEEK_SET) == 0 && std::fwrite(head.data(), 1, head.size(), m_file) == head.size()
                   && std::fseek(m_file, 0, SEEK_END) == 0
                   && std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size() && std::fflush(m_file) == 0;
    return written;
}

void WavFileSpeechOutput::play(const SynthesizedSpeech& speech, Progress progress, Finished finished)
{
    stop();
    if (!writeSamples(speech.samples, speech.sampleRate > 0 ? speech.sampleRate : 22050))
        TELog(TELogLevelWarning, "The spoken sound could not be written to " + m_path);
    m_progress = std::move(progress);
    m_finished = std::move(finished);
    m_duration = speech.duration();
    startTicking();
}

double WavFileSpeechOutput::playedSeconds() const
{
    return m_playedBefore + (m_timer ? RunLoop::main().now() - m_resumedAt : 0);
}

void WavFileSpeechOutput::startTicking()
{
    if (m_timer || !m_finished)
        return;
    m_resumedAt = RunLoop::main().now();
    m_timer = RunLoop::main().scheduleTimer(kTickSeconds, true, [this] { tick(); });
}

void WavFileSpeechOutput::stopTicking()
{
    if (!m_timer)
        return;
    m_playedBefore = playedSeconds();
    RunLoop::main().invalidate(m_timer);
    m_timer = 0;
}

void WavFileSpeechOutput::tick()
{
    double played = playedSeconds();
    if (played < m_duration) {
        if (m_progress)
            m_progress(played);
        return;
    }
    stopTicking();
    // Either callback may stop this output or play the next utterance on it.
    Progress progress = std::exchange(m_progress, {});
    Finished finished = std::exchange(m_finished, {});
    if (progress)
        progress(m_duration);
    if (finished)
        finished();
}

void WavFileSpeechOutput::pause()
{
    m_paused = true;
    stopTicking();
}

void WavFileSpeechOutput::resume()
{
    m_paused = false;
    startTicking();
}

void WavFileSpeechOutput::stop()
{
    stopTicking();
    m_paused = false;
    m_progress = {};
    m_finished = {};
    m_playedBefore = 0;
}

} // namespace folio
