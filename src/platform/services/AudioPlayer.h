#pragma once

#include <memory>
#include <string>

namespace folio {

class SoundClip;

// A short sound file played on the desktop's audio output. play() returns at
// once: GStreamer opens, decodes and plays on its own threads, so that a key
// sound never holds up typing. A file that is missing or cannot be read
// makes a player that plays nothing. The sound library is reached through
// MediaServices.
class AudioPlayer {
public:
    explicit AudioPlayer(const std::string& path);
    ~AudioPlayer();
    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    bool isLoaded() const { return m_clip != nullptr; }
    // From the start, cutting off a sound still playing.
    bool play();

private:
    std::unique_ptr<SoundClip> m_clip;
};

} // namespace folio
