#include "platform/media/EngineMediaServices.h"

#include "platform/media/EspeakEngine.h"
#include "platform/media/GStreamerCameraCapture.h"
#include "platform/media/GStreamerSoundClip.h"
#include "platform/media/GStreamerSpeechOutput.h"
#include "platform/media/SoupURLSession.h"
#include "platform/media/TesseractTextRecognizer.h"

namespace folio {

const std::vector<SpeechVoice>& EngineMediaServices::speechVoices()
{
    return EspeakEngine::voices();
}

Result<SynthesizedSpeech> EngineMediaServices::synthesizeSpeech(const std::u16string& text, const std::string& language,
                                                                float rate)
{
    return EspeakEngine::synthesize(text, language, rate);
}

std::unique_ptr<SpeechAudioOutput> EngineMediaServices::makeSpeakerOutput()
{
    if (!GStreamerSpeechOutput::hasAudioOutput())
        return nullptr;
    return std::make_unique<GStreamerSpeechOutput>();
}

std::unique_ptr<SoundClip> EngineMediaServices::makeSoundClip(const std::string& path)
{
    return GStreamerSoundClip::load(path);
}

bool EngineMediaServices::isTextRecognitionAvailable(const std::string& language)
{
    return TesseractTextRecognizer::isAvailable(language);
}

Result<std::vector<std::u16string>> EngineMediaServices::recognizeTextLines(const std::string& picturePath,
                                                                            const std::string& language)
{
    return TesseractTextRecognizer::recognizeLines(picturePath, language);
}

bool EngineMediaServices::isCameraAvailable()
{
    return GStreamerCameraCapture::isCameraAvailable();
}

Status EngineMediaServices::captureCameraFrame(const std::string& pngPath, double timeoutSeconds)
{
    return GStreamerCameraCapture::captureFrame(pngPath, timeoutSeconds);
}

Result<std::string> EngineMediaServices::finalURLOfHeadRequest(const std::string& url)
{
    return SoupURLSession::finalURLOfHeadRequest(url);
}

Result<std::vector<std::uint8_t>> EngineMediaServices::dataWithContentsOfURL(const std::string& url)
{
    return SoupURLSession::dataWithContentsOfURL(url);
}

EngineMediaServices& EngineMediaServices::instance()
{
    static EngineMediaServices services;
    return services;
}

} // namespace folio
