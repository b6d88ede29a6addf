#include "platform/services/SpeechAudioOutput.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Log.h"
#include "platform/services/MediaServices.h"

#include <filesystem>

namespace folio {

std::unique_ptr<SpeechAudioOutput> SpeechAudioOutput::makeDefault()
{
    if (std::unique_ptr<SpeechAudioOutput> speakers = MediaServices::shared().makeSpeakerOutput())
        return speakers;
    std::string path = (std::filesystem::path(AppFolders::temporaryFolder()) / "read-aloud.wav").string();
    TELog(TELogLevelInfo, "No audio output: speech is written to " + path);
    return makeWavFile(path);
}

} // namespace folio
