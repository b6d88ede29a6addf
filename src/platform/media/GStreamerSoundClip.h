#pragma once

#include "platform/services/MediaServices.h"

#include <memory>
#include <string>

typedef struct _GstElement GstElement;

namespace folio {

// A sound file played through GStreamer's playbin, which opens, decodes and
// plays on its own threads, so that a key sound never holds up typing.
class GStreamerSoundClip final : public SoundClip {
public:
    // Null when the file is missing or GStreamer cannot start.
    static std::unique_ptr<GStreamerSoundClip> load(const std::string& path);

    explicit GStreamerSoundClip(GstElement* player) : m_player(player) {}
    ~GStreamerSoundClip() override;
    GStreamerSoundClip(const GStreamerSoundClip&) = delete;
    GStreamerSoundClip& operator=(const GStreamerSoundClip&) = delete;

    bool play() override;

private:
    GstElement* m_player;
};

} // namespace folio
