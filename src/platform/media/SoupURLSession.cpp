#include "platform/media/SoupURLSession.h"

#include "platform/services/URLSession.h"

#include <libsoup/soup.h>

#include <memory>

namespace folio {

namespace {

template<typename T>
struct GObjectUnref {
    void operator()(T* object) const { g_object_unref(object); }
};
template<typename T>
using GObjectPointer = std::unique_ptr<T, GObjectUnref<T>>;

Error errorFrom(GError* error, const std::string& url)
{
    std::string message = error ? error->message : "The request failed";
    if (error)
        g_error_free(error);
    return Error{URLSession::kErrorDomain, 1, message + ": " + url};
}

Result<GObjectPointer<SoupMessage>> messageFor(const char* method, const std::string& url)
{
    GError* error = nullptr;
    GUri* uri = g_uri_parse(url.c_str(), GUriFlags(SOUP_HTTP_URI_FLAGS), &error);
    if (!uri)
        return errorFrom(error, url);
    GObjectPointer<SoupMessage> message(soup_message_new_from_uri(method, uri));
    g_uri_unref(uri);
    if (!message)
        return Error{URLSession::kErrorDomain, 2, "Not an HTTP address: " + url};
    return message;
}

GObjectPointer<SoupSession> newSession()
{
    return GObjectPointer<SoupSession>(
        static_cast<SoupSession*>(g_object_new(SOUP_TYPE_SESSION, "timeout", URLSession::kTimeoutSeconds, nullptr)));
}

} // namespace

Result<std::vector<std::uint8_t>> SoupURLSession::dataWithContentsOfURL(const std::string& url)
{
    Result<GObjectPointer<SoupMessage>> message = messageFor("GET", url);
    if (!message)
        return message.error();
    GError* error = nullptr;
    GObjectPointer<SoupSession> session = newSession();
    GBytes* body = soup_session_send_and_read(session.get(), message->get(), nullptr, &error);
    if (!body)
        return errorFrom(error, url);
    gsize size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(g_bytes_get_data(body, &size));
    std::vector<std::uint8_t> data(bytes, bytes + size);
    g_bytes_unref(body);
    guint status = soup_message_get_status(message->get());
    if (status < 200 || status >= 300)
        return Error{URLSession::kErrorDomain, int(status), "The server answered " + std::to_string(status) + ": " + url};
    return data;
}

Result<std::string> SoupURLSession::finalURLOfHeadRequest(const std::string& url)
{
    Result<GObjectPointer<SoupMessage>> message = messageFor("HEAD", url);
    if (!message)
        return message.error();
    GError* error = nullptr;
    GObjectPointer<SoupSession> session = newSession();
    GInputStream* body = soup_session_send(session.get(), message->get(), nullptr, &error);
    if (!body)
        return errorFrom(error, url);
    g_input_stream_close(body, nullptr, nullptr);
    g_object_unref(body);
    char* finalURL = g_uri_to_string(soup_message_get_uri(message->get()));
    std::string result = finalURL ? finalURL : url;
    g_free(finalURL);
    return result;
}

} // namespace folio
