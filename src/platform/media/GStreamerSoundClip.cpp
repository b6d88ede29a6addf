#include "platform/media/GStreamerSoundClip.h"

#include "platform/media/GStreamer.h"

#include <gst/gst.h>

#include <filesystem>

namespace folio {

std::unique_ptr<GStreamerSoundClip> GStreamerSoundClip::load(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || !ensureGStreamer())
        return nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    if (!uri)
        return nullptr;
    GstElement* player = gst_element_factory_make("playbin", nullptr);
    if (player)
        g_object_set(player, "uri", uri, nullptr);
    g_free(uri);
    return player ? std::make_unique<GStreamerSoundClip>(player) : nullptr;
}

GStreamerSoundClip::~GStreamerSoundClip()
{
    gst_element_set_state(m_player, GST_STATE_NULL);
    gst_object_unref(m_player);
}

bool GStreamerSoundClip::play()
{
    // Back to the start: a stopped pipeline plays from the beginning. Both
    // changes are asynchronous for playbin.
    gst_element_set_state(m_player, GST_STATE_NULL);
    return gst_element_set_state(m_player, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

} // namespace folio
