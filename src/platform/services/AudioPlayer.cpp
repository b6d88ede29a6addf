#include "platform/services/AudioPlayer.h"

#include "platform/services/GStreamer.h"

#include <gst/gst.h>

#include <filesystem>

namespace folio {

AudioPlayer::AudioPlayer(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || !ensureGStreamer())
        return;
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    if (!uri)
        return;
    m_player = gst_element_factory_make("playbin", nullptr);
    if (m_player)
        g_object_set(m_player, "uri", uri, nullptr);
    g_free(uri);
}

AudioPlayer::~AudioPlayer()
{
    if (!m_player)
        return;
    gst_element_set_state(m_player, GST_STATE_NULL);
    gst_object_unref(m_player);
}

bool AudioPlayer::play()
{
    if (!m_player)
        return false;
    // Back to the start: a stopped pipeline plays from the beginning. Both
    // changes are asynchronous for playbin.
    gst_element_set_state(m_player, GST_STATE_NULL);
    return gst_element_set_state(m_player, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

} // namespace folio
