#include "platform/media/GStreamerSpeechOutput.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/GStreamer.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <cstring>
#include <utility>

namespace folio {

bool GStreamerSpeechOutput::hasAudioOutput()
{
    static const bool found = [] {
        if (!ensureGStreamer())
            return false;
        for (const char* name : {"pulsesink", "pipewiresink", "alsasink"}) {
            GstElement* sink = gst_element_factory_make(name, nullptr);
            if (!sink)
                continue;
            bool opened = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
            if (opened)
                return true;
        }
        return false;
    }();
    return found;
}

GStreamerSpeechOutput::GStreamerSpeechOutput()
{
    if (!ensureGStreamer())
        return;
    GError* error = nullptr;
    m_pipeline = gst_parse_launch("appsrc name=speech format=time ! audioconvert ! audioresample ! autoaudiosink", &error);
    if (error) {
        TELog(TELogLevelWarning, std::string("The speech output could not be made: ") + error->message);
        g_error_free(error);
    }
    if (m_pipeline)
        m_source = gst_bin_get_by_name(GST_BIN(m_pipeline), "speech");
}

GStreamerSpeechOutput::~GStreamerSpeechOutput()
{
    stop();
    if (m_source)
        gst_object_unref(m_source);
    if (m_pipeline)
        gst_object_unref(m_pipeline);
}

void GStreamerSpeechOutput::play(const SynthesizedSpeech& speech, Progress progress, Finished finished)
{
    stop();
    m_progress = std::move(progress);
    m_finished = std::move(finished);
    m_duration = speech.duration();
    if (!m_pipeline || !m_source || speech.samples.empty()) {
        // Nothing to hear: the utterance ends on the next turn all the same.
        m_timer = RunLoop::main().postAfterDelay(0, [this] { finish(); });
        return;
    }
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                        "interleaved", "channels", G_TYPE_INT, 1, "rate", G_TYPE_INT, speech.sampleRate,
                                        nullptr);
    gst_app_src_set_caps(GST_APP_SRC(m_source), caps);
    gst_caps_unref(caps);
    gsize bytes = speech.samples.size() * sizeof(std::int16_t);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, speech.samples.data(), bytes);
    GST_BUFFER_PTS(buffer) = 0;
    GST_BUFFER_DURATION(buffer) = static_cast<GstClockTime>(m_duration * GST_SECOND);
    gst_app_src_push_buffer(GST_APP_SRC(m_source), buffer);
    gst_app_src_end_of_stream(GST_APP_SRC(m_source));
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    m_timer = RunLoop::main().scheduleTimer(kPollSeconds, true, [this] { poll(); });
}

void GStreamerSpeechOutput::poll()
{
    GstBus* bus = gst_element_get_bus(m_pipeline);
    GstMessage* message =
        gst_bus_pop_filtered(bus, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (message) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            TELog(TELogLevelWarning, std::string("The speech could not be played: ") + (error ? error->message : ""));
            if (error)
                g_error_free(error);
        }
        gst_message_unref(message);
        finish();
        return;
    }
    gint64 position = 0;
    if (m_progress && gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &position))
        m_progress(static_cast<double>(position) / GST_SECOND);
}

void GStreamerSpeechOutput::finish()
{
    stopPolling();
    if (m_pipeline)
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
    if (m_progress)
        m_progress(m_duration);
    Finished finished = std::exchange(m_finished, {});
    m_progress = {};
    if (finished)
        finished();
}

void GStreamerSpeechOutput::stopPolling()
{
    if (m_timer)
        RunLoop::main().invalidate(m_timer);
    m_timer = 0;
}

void GStreamerSpeechOutput::pause()
{
    if (m_pipeline && m_finished)
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
}

void GStreamerSpeechOutput::resume()
{
    if (m_pipeline && m_finished)
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
}

void GStreamerSpeechOutput::stop()
{
    stopPolling();
    m_progress = {};
    m_finished = {};
    if (m_pipeline)
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
}

} // namespace folio
