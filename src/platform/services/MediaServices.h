#pragma once

#include "platform/foundation/Error.h"
#include "platform/services/SpeechVoice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class SpeechAudioOutput;

// A short sound, loaded once and played as often as asked.
class SoundClip {
public:
    virtual ~SoundClip() = default;
    // From the start, cutting off the sound if it is still playing; answers
    // at once, the sound plays on the library's own threads.
    virtual bool play() = 0;
};

// What only espeak-ng, tesseract, GStreamer and libsoup provide: speech, text
// recognition, the camera, sounds and HTTP requests. The program opens them
// in a module of their own on first use (app/MediaModule), so that commands
// and windows that neither speak, look at pictures, play sounds nor reach the
// network run without loading them; tests and benchmarks link them and get
// EngineMediaServices (platform/media) in process.
class MediaServices {
public:
    virtual ~MediaServices() = default;

    // Every voice of the installed speech data; empty when there is none.
    virtual const std::vector<SpeechVoice>& speechVoices() = 0;
    // `rate` runs from 0 to 1 with 0.5 the normal pace; `language` picks
    // the voice (empty or unknown: the default voice).
    virtual Result<SynthesizedSpeech> synthesizeSpeech(const std::u16string& text, const std::string& language,
                                                       float rate) = 0;
    // The desktop's sound output; null when it has none.
    virtual std::unique_ptr<SpeechAudioOutput> makeSpeakerOutput() = 0;
    // The sound of a file; null when the file is missing or cannot be read.
    virtual std::unique_ptr<SoundClip> makeSoundClip(const std::string& path) = 0;

    virtual bool isTextRecognitionAvailable(const std::string& language) = 0;
    virtual Result<std::vector<std::u16string>> recognizeTextLines(const std::string& picturePath,
                                                                   const std::string& language) = 0;

    virtual bool isCameraAvailable() = 0;
    // One frame as a PNG file, waiting at most `timeoutSeconds`.
    virtual Status captureCameraFrame(const std::string& pngPath, double timeoutSeconds) = 0;

    // HTTP requests (URLSession); they block their thread.
    virtual Result<std::string> finalURLOfHeadRequest(const std::string& url) = 0;
    virtual Result<std::vector<std::uint8_t>> dataWithContentsOfURL(const std::string& url) = 0;

    // The process's services, from any thread; when they cannot be loaded,
    // they answer that nothing is available and every request fails saying
    // why.
    static MediaServices& shared();
};

} // namespace folio
