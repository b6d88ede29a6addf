#include "app/ProgramModule.h"
#include "platform/services/MediaServices.h"
#include "platform/services/SpeechAudioOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>

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

// Whether the recognition data of every language of `language` ("eng",
// "eng+deu") is installed where the recognizer looks for it.
bool isRecognitionDataInstalled(const std::string& language)
{
    if (language.empty())
        return false;
    std::vector<std::filesystem::path> folders;
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix)
        folders = {prefix, std::filesystem::path(prefix) / "tessdata"};
    else
        folders = {FOLIO_TESSDATA_DIR};
    std::size_t start = 0;
    while (start <= language.size()) {
        std::size_t end = std::min(language.find('+', start), language.size());
        const std::string name = language.substr(start, end - start);
        if (name.empty() || name.find('/') != std::string::npos)
            return false;
        bool found = false;
        for (const std::filesystem::path& folder : folders) {
            std::error_code error;
            found = found || std::filesystem::is_regular_file(folder / (name + ".traineddata"), error);
        }
        if (!found)
            return false;
        start = end + 1;
    }
    return true;
}

// The module's services, opened by the first request that needs them.
// Whether text can be recognized is asked as every editor lays out its
// menus: until the module is open that is answered from the installed data,
// so that a window in which nobody scans text never loads the recognizer.
class MediaModule final : public MediaServices {
public:
    const std::vector<SpeechVoice>& speechVoices() override { return loaded().speechVoices(); }
    Result<SynthesizedSpeech> synthesizeSpeech(const std::u16string& text, const std::string& language,
                                               float rate) override
    {
        return loaded().synthesizeSpeech(text, language, rate);
    }
    std::unique_ptr<SpeechAudioOutput> makeSpeakerOutput() override { return loaded().makeSpeakerOutput(); }
    std::unique_ptr<SoundClip> makeSoundClip(const std::string& path) override { return loaded().makeSoundClip(path); }
    bool isTextRecognitionAvailable(const std::string& language) override
    {
        if (!m_opened.load())
            return isRecognitionDataInstalled(language);
        return loaded().isTextRecognitionAvailable(language);
    }
    Result<std::vector<std::u16string>> recognizeTextLines(const std::string& picturePath,
                                                           const std::string& language) override
    {
        return loaded().recognizeTextLines(picturePath, language);
    }
    bool isCameraAvailable() override { return loaded().isCameraAvailable(); }
    Status captureCameraFrame(const std::string& pngPath, double timeoutSeconds) override
    {
        return loaded().captureCameraFrame(pngPath, timeoutSeconds);
    }
    Result<std::string> finalURLOfHeadRequest(const std::string& url) override
    {
        return loaded().finalURLOfHeadRequest(url);
    }
    Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string& url) override
    {
        return loaded().dataWithContentsOfURL(url);
    }

private:
    MediaServices& loaded()
    {
        // Opened once, also when HTTP requests ask first from several threads.
        static MediaServices& services = loadMediaServices();
        m_opened.store(true);
        return services;
    }

    std::atomic<bool> m_opened{false};
};

} // namespace

MediaServices& MediaServices::shared()
{
    static MediaModule module;
    return module;
}

} // namespace folio
