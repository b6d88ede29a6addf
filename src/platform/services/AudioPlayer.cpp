#include "platform/services/AudioPlayer.h"

#include "platform/services/MediaServices.h"

namespace folio {

AudioPlayer::AudioPlayer(const std::string& path) : m_clip(MediaServices::shared().makeSoundClip(path)) {}

AudioPlayer::~AudioPlayer() = default;

bool AudioPlayer::play()
{
    return m_clip && m_clip->play();
}

} // namespace folio
