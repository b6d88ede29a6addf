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

WavFileSpeechOutput::WavFileSpeechOutput(std::string path)
    : m_path(std::move(path)), m_self(std::make_shared<WavFileSpeechOutput*>(this))
{
}

WavFileSpeechOutput::~WavFileSpeechOutput()
{
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
    if (!writeSamples(speech.samples, speech.sampleRate > 0 ? speech.sampleRate : 22050))
        TELog(TELogLevelWarning, "The spoken sound could not be written to " + m_path);
    double duration = speech.duration();
    m_pending = [progress = std::move(progress), finished = std::move(finished), duration] {
        if (progress)
            progress(duration);
        if (finished)
            finished();
    };
    deliverSoon();
}

void WavFileSpeechOutput::deliverSoon()
{
    if (m_paused || !m_pending)
        return;
    std::weak_ptr<WavFileSpeechOutput*> weak = m_self;
    RunLoop::main().post([weak] {
        auto self = weak.lock();
        if (!self || (*self)->m_paused || !(*self)->m_pending)
            return;
        std::function<void()> report = std::exchange((*self)->m_pending, {});
        report();
    });
}

void WavFileSpeechOutput::resume()
{
    m_paused = false;
    deliverSoon();
}

void WavFileSpeechOutput::stop()
{
    m_paused = false;
    m_pending = {};
}

} // namespace folio
