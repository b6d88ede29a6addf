// Loaded by WebKit into each page process of the application's own pages.
// Nothing of the program links it: it runs in the page process, beside the
// page, where the program cannot reach the page's script engine itself.

#include "platform/web/pageprocess/PageProcessMessages.h"

#include <JavaScriptCore/JSBase.h>
#include <webkit2/webkit-web-extension.h>

#include <csignal>
#include <cstring>
#include <initializer_list>

namespace {

// A long document's answer to a save is built as script strings in the page
// (the whole body's markup, then its slices), megabytes each. The page's
// collector leaves them until its own schedule comes round, which let the
// page process grow by 20-30 MB at every save; asked after such an answer,
// it takes them at its next turn.
void collectGarbage(WebKitWebPage* page)
{
    // The frame calls are the ones this engine series offers its modules,
    // marked old in favour of a later series' module interface.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    WebKitFrame* frame = webkit_web_page_get_main_frame(page);
    JSGlobalContextRef context = frame ? webkit_frame_get_javascript_global_context(frame) : nullptr;
    G_GNUC_END_IGNORE_DEPRECATIONS
    if (context)
        JSGarbageCollect(context);
}

gboolean onMessage(WebKitWebPage* page, WebKitUserMessage* message, gpointer)
{
    if (std::strcmp(webkit_user_message_get_name(message), folio::kCollectGarbageMessage) != 0)
        return FALSE;
    collectGarbage(page);
    webkit_user_message_send_reply(message, webkit_user_message_new(folio::kCollectGarbageMessage, nullptr));
    return TRUE;
}

void onPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer)
{
    g_signal_connect(page, "user-message-received", G_CALLBACK(onMessage), nullptr);
}

} // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize(WebKitWebExtension* extension)
{
    // The page process shares the program's process group, so Ctrl+C in the
    // program's terminal, the terminal closing or the session ending signal
    // it as well; by their default action it would end at once, taking with
    // it what was typed since the last save, just when the program asks the
    // page for it to save before it ends. The program answers those signals;
    // the page process ends when the program lets it go or goes away itself.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(signal, &ignore, nullptr);
    }
    g_signal_connect(extension, "page-created", G_CALLBACK(onPageCreated), nullptr);
}
