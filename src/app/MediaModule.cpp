#include "app/ProgramModule.h"
#include "platform/services/MediaServices.h"
#include "platform/services/SpeechAudioOutput.h"

namespace folio {

namespace {

// espeak-ng, tesseract and GStreamer's application library are built into the
// module "folio-media.so" beside the program (from src/platform/media and
// src/app/media), so that a window in which nobody reads aloud, scans text,
// plays a sound or fetches a page starts without loading them.
constexpr const char* kMediaModuleFileName = "folio-media.so";
constexpr const char* kMediaModuleEntryPoint = "folioMediaServices";
constexpr const char* kErrorDomain = "MediaModule";
constexpr int kNotLoaded = 1;

// Nothing is available, and every request fails saying why the module could
// not be opened.
class UnavailableMediaServices final : public MediaServices {
public:
    explicit UnavailableMediaServices(Error error) : m_error(std::move(error)) {}

    const std::vector<SpeechVoice>& speechVoices() override
    {
        static const std::vector<SpeechVoice> none;
        return none;
    }
    Result<SynthesizedSpeech> synthesizeSpeech(const std::u16string&, const std::string&, float) override
    {
        return m_error;
    }
    std::unique_ptr<SpeechAudioOutput> makeSpeakerOutput() override { return nullptr; }
    std::unique_ptr<SoundClip> makeSoundClip(const std::string&) override { return nullptr; }
    bool isTextRecognitionAvailable(const std::string&) override { return false; }
    Result<std::vector<std::u16string>> recognizeTextLines(const std::string&, const std::string&) override
    {
        return m_error;
    }
    bool isCameraAvailable() override { return false; }
    Status captureCameraFrame(const std::string&, double) override { return m_error; }
    Result<std::string> finalURLOfHeadRequest(const std::string&) override { return m_error; }
    Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string&) override { return m_error; }

private:
    Error m_error;
};

MediaServices& loadMediaServices()
{
    Result<void*> entry = entryPointOfProgramModule(kMediaModuleFileName, kMediaModuleEntryPoint);
    MediaServices* services = entry ? reinterpret_cast<MediaServices* (*)()>(*entry)() : nullptr;
    if (services)
        return *services;
    return *new UnavailableMediaServices(Error{
        kErrorDomain, kNotLoaded,
        "speech, text recognition, sounds and web requests are not available: "
            + (entry ? std::string(kMediaModuleFileName) + " answered nothing" : entry.error().message)});
}

} // namespace

MediaServices& MediaServices::shared()
{
    // Opened once, also when HTTP requests ask first from several threads.
    static MediaServices& services = loadMediaServices();
    return services;
}

} // namespace folio
