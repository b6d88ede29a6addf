#pragma once

#include "platform/services/MediaServices.h"

namespace folio {

// The media services on espeak-ng, tesseract, GStreamer and libsoup, in this
// process.
class EngineMediaServices final : public MediaServices {
public:
    const std::vector<SpeechVoice>& speechVoices() override;
    Result<SynthesizedSpeech> synthesizeSpeech(const std::u16string& text, const std::string& language,
                                               float rate) override;
    std::unique_ptr<SpeechAudioOutput> makeSpeakerOutput() override;
    std::unique_ptr<SoundClip> makeSoundClip(const std::string& path) override;
    bool isTextRecognitionAvailable(const std::string& language) override;
    Result<std::vector<std::u16string>> recognizeTextLines(const std::string& picturePath,
                                                           const std::string& language) override;
    bool isCameraAvailable() override;
    Status captureCameraFrame(const std::string& pngPath, double timeoutSeconds) override;
    Result<std::string> finalURLOfHeadRequest(const std::string& url) override;
    Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string& url) override;

    static EngineMediaServices& instance();
};

} // namespace folio
