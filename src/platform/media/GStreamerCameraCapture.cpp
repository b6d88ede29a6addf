#include "platform/media/GStreamerCameraCapture.h"

#include "platform/media/GStreamer.h"

#include <gst/gst.h>

#include <filesystem>

namespace folio {

namespace {

constexpr const char* kCameraDomain = "CameraCapture";

bool hasVideoDevice()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
        if (entry.path().filename().string().rfind("video", 0) == 0)
            return true;
    }
    return false;
}

} // namespace

bool GStreamerCameraCapture::isCameraAvailable()
{
    if (!hasVideoDevice() || !ensureGStreamer())
        return false;
    GstElementFactory* factory = gst_element_factory_find("v4l2src");
    if (!factory)
        return false;
    gst_object_unref(factory);
    return true;
}

Status GStreamerCameraCapture::captureFrame(const std::string& pngPath, double timeoutSeconds)
{
    if (!isCameraAvailable())
        return Error{kCameraDomain, 1, "There is no camera"};
    GstElement* pipeline = gst_element_factory_make("pipeline", nullptr);
    GstElement* source = gst_element_factory_make("v4l2src", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    GstElement* encode = gst_element_factory_make("pngenc", nullptr);
    GstElement* sink = gst_element_factory_make("filesink", nullptr);
    if (!pipeline || !source || !convert || !encode || !sink) {
        for (GstElement* element : {pipeline, source, convert, encode, sink}) {
            if (element)
                gst_object_unref(element);
        }
        return Error{kCameraDomain, 2, "The camera's picture cannot be converted here"};
    }
    g_object_set(source, "num-buffers", 1, nullptr);
    g_object_set(sink, "location", pngPath.c_str(), nullptr);
    gst_bin_add_many(GST_BIN(pipeline), source, convert, encode, sink, nullptr);
    Status status;
    if (!gst_element_link_many(source, convert, encode, sink, nullptr)) {
        status = Error{kCameraDomain, 2, "The camera's picture cannot be converted here"};
    } else if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        status = Error{kCameraDomain, 3, "The camera cannot be opened"};
    } else {
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, static_cast<GstClockTime>(timeoutSeconds * GST_SECOND),
            static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
        if (!message)
            status = Error{kCameraDomain, 4, "The camera gave no picture in time"};
        else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
            status = Error{kCameraDomain, 5, "The camera stopped with an error"};
        if (message)
            gst_message_unref(message);
        gst_object_unref(bus);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return status;
}

} // namespace folio
