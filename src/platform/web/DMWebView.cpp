#include "platform/foundation/HTMLNoscriptText.h"
#include "platform/web/DMWebView.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/DocumentPageResolver.h"
#include "platform/web/FontSchemeResolver.h"
#include "platform/web/HeldKeyEvents.h"
#include "platform/web/PrintedPDFPageScaler.h"
#include "platform/web/PrintedPDFRenderer.h"
#include "platform/text/SpellCheckingLanguages.h"
#include "platform/web/ToolkitDisplay.h"
#include "platform/foundation/VirtualDisplay.h"
#include "platform/web/WebViewDelegate.h"
#include "platform/web/pageprocess/PageProcessMessages.h"

#include <JavaScriptCore/JSBase.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unistd.h>

namespace folio {

namespace {

Error webViewError(DMWebView::ErrorCode code, std::string message)
{
    return Error{DMWebView::kErrorDomain, code, std::move(message)};
}

// Messages are matched as plain text, case-sensitive, the way the pages write them.
bool isPageMessage(const std::string& url)
{
    return url.rfind("rte:", 0) == 0 || url.rfind("x-twwebview:", 0) == 0;
}

// What a browsing page may show: web pages, and what they make themselves.
bool isBrowsableAddress(const std::string& url)
{
    for (const char* scheme : {"http:", "https:", "about:", "data:", "blob:"}) {
        if (url.rfind(scheme, 0) == 0)
            return true;
    }
    return false;
}

// Browsing pages share one context of their own: it stores nothing, and
// none of the application's schemes is registered in it.
WebKitWebContext* browsingContext()
{
    static WebKitWebContext* context = webkit_web_context_new_ephemeral();
    return context;
}

// The application's own pages (editors, exports, previews) share another.
// It keeps no website data either: none of our pages needs cookies or local
// storage, and the engine's default context would store them in the
// program's data folder, which a conversion must leave as it found it.
WebKitWebContext* applicationContext()
{
    static WebKitWebContext* context = [] {
        WebKitWebContext* made = webkit_web_context_new_ephemeral();
        // The page processes load our module from beside the program; where
        // it is missing, pages work as before and only its collecting is lost.
        std::error_code error;
        std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) {
            std::string folder = (program.parent_path() / kPageProcessModuleFolder).string();
            webkit_web_context_set_web_extensions_directory(made, folder.c_str());
        }
        return made;
    }();
    return context;
}

std::string stringFromValue(JSCValue* value)
{
    if (!value || jsc_value_is_undefined(value) || jsc_value_is_null(value))
        return {};
    if (jsc_value_is_boolean(value))
        return jsc_value_to_boolean(value) ? "1" : "0";
    // Numbers, strings, arrays and objects read the way String() shows them in
    // the page, which for numbers is the shortest round-tripping form.
    gchar* text = jsc_value_to_string(value);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

// A page's answer reaches this process as a script value in a context of its
// own, where it stays until that context's collector runs, which it does on
// its own schedule: an editor's whole document, answered at every save, piled
// up (60 MB after five saves of a 1 MB document, 35 MB still held once the
// writer stopped). Told after a large answer, the collector runs soon after.
constexpr std::size_t kLargeAnswerSize = std::size_t(1) << 20;

void releaseAnswerCopies(WebKitWebView* view)
{
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    JSGlobalContextRef context = webkit_web_view_get_javascript_global_context(view);
    G_GNUC_END_IGNORE_DEPRECATIONS
    if (context)
        JSGarbageCollect(context);
}

std::vector<std::string>& fontFolderList()
{
    static std::vector<std::string> folders = FontSchemeResolver::defaultFolders();
    return folders;
}

void serveFontRequest(WebKitURISchemeRequest* request, gpointer)
{
    FontSchemeResolver resolver(fontFolderList());
    Result<FontSchemeResolver::FontFile> font = resolver.resolve(webkit_uri_scheme_request_get_uri(request));
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!font) {
        error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, font.error().message.c_str());
    } else if (!g_file_get_contents(font->path.c_str(), &contents, &length, &error)) {
        contents = nullptr;
    }
    if (error) {
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    GInputStream* stream = g_memory_input_stream_new_from_data(contents, static_cast<gssize>(length), g_free);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(stream, static_cast<gint64>(length));
    webkit_uri_scheme_response_set_content_type(response, font->contentType.c_str());
    webkit_uri_scheme_response_set_status(response, 200, "OK");
    // Font loads are CORS requests; pages of any origin (file, about:blank)
    // must be able to use the shared fonts.
    SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
    soup_message_headers_append(headers, "Access-Control-Allow-Origin", "*");
    webkit_uri_scheme_response_set_http_headers(response, headers);
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
}

// The folders a document page may read, kept on its WebKitWebView; none
// for the application's pages, which never use the document scheme.
constexpr const char* kReadableFoldersKey = "folio-readable-folders";

void serveDocumentPageRequest(WebKitURISchemeRequest* request, gpointer)
{
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    auto* folders = view ? static_cast<std::vector<std::string>*>(g_object_get_data(G_OBJECT(view), kReadableFoldersKey))
                         : nullptr;
    Result<DocumentPageResolver::PageFile> file = DocumentPageResolver(folders ? *folders : std::vector<std::string>())
                                                      .resolve(webkit_uri_scheme_request_get_uri(request));
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!file)
        error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, file.error().message.c_str());
    else if (!g_file_get_contents(file->path.c_str(), &contents, &length, &error))
        contents = nullptr;
    if (error) {
        webkit_uri_scheme_request_finish_error(request, error);
        g_error_free(error);
        return;
    }
    gchar* contentType = g_content_type_guess(file->path.c_str(), reinterpret_cast<const guchar*>(contents), length,
                                              nullptr);
    gchar* mimeType = contentType ? g_content_type_get_mime_type(contentType) : nullptr;
    GInputStream* stream = g_memory_input_stream_new_from_data(contents, static_cast<gssize>(length), g_free);
    webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(length), mimeType);
    g_object_unref(stream);
    g_free(mimeType);
    g_free(contentType);
}

void registerSchemes()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    WebKitWebContext* context = applicationContext();
    webkit_web_context_register_uri_scheme(context, FontSchemeResolver::kScheme, serveFontRequest, nullptr, nullptr);
    webkit_security_manager_register_uri_scheme_as_cors_enabled(webkit_web_context_get_security_manager(context),
                                                                 FontSchemeResolver::kScheme);
    webkit_web_context_register_uri_scheme(context, DocumentPageResolver::kScheme, serveDocumentPageRequest, nullptr,
                                           nullptr);
}

// WebKit's content-blocker rules for document pages: every load is blocked,
// then the page's own scheme, the font scheme and inline data are let
// through. Without scripts a page still loads pictures, style sheets, fonts,
// frames and objects by URL; this stops all of them at the engine.
constexpr const char* kDocumentContentRules =
    R"([{"trigger":{"url-filter":".*"},"action":{"type":"block"}},)"
    R"({"trigger":{"url-filter":"^folio-page:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^myfont:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^data:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^about:"},"action":{"type":"ignore-previous-rules"}},)"
    R"({"trigger":{"url-filter":"^blob:"},"action":{"type":"ignore-previous-rules"}}])";
constexpr double kContentFilterWaitSeconds = 60;

struct FilterOutcome {
    bool done = false;
    WebKitUserContentFilter* filter = nullptr;
    std::string error;
};

// Waits for the store's answer; a busy machine may take a while to compile.
std::shared_ptr<FilterOutcome> waitForFilter(
    const std::function<void(GAsyncReadyCallback callback, gpointer data)>& start,
    WebKitUserContentFilter* (*finish)(WebKitUserContentFilterStore*, GAsyncResult*, GError**))
{
    struct Pending {
        std::shared_ptr<FilterOutcome> outcome;
        WebKitUserContentFilter* (*finish)(WebKitUserContentFilterStore*, GAsyncResult*, GError**);
    };
    auto outcome = std::make_shared<FilterOutcome>();
    start(
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            pending->outcome->filter = pending->finish(WEBKIT_USER_CONTENT_FILTER_STORE(source), result, &error);
            if (error) {
                pending->outcome->error = error->message;
                g_error_free(error);
            }
            pending->outcome->done = true;
        },
        new Pending{outcome, finish});
    RunLoop::main().runUntil([outcome] { return outcome->done; }, kContentFilterWaitSeconds);
    return outcome;
}

// Loads the compiled rules from a store folder, or compiles them into it.
std::shared_ptr<FilterOutcome> loadOrCompileFilter(const std::string& folder, const std::string& identifier,
                                                   const std::string& rulesText)
{
    WebKitUserContentFilterStore* store = webkit_user_content_filter_store_new(folder.c_str());
    std::shared_ptr<FilterOutcome> outcome = waitForFilter(
        [&](GAsyncReadyCallback callback, gpointer data) {
            webkit_user_content_filter_store_load(store, identifier.c_str(), nullptr, callback, data);
        },
        webkit_user_content_filter_store_load_finish);
    if (!outcome->filter) {
        GBytes* rules = g_bytes_new(rulesText.data(), rulesText.size());
        outcome = waitForFilter(
            [&](GAsyncReadyCallback callback, gpointer data) {
                webkit_user_content_filter_store_save(store, identifier.c_str(), rules, nullptr, callback, data);
            },
            webkit_user_content_filter_store_save_finish);
        g_bytes_unref(rules);
    }
    g_object_unref(store);
    return outcome;
}

// Compiled once and kept in the caches folder under a name that changes
// with the rules; later processes load it. Processes that start together
// may each find no compiled rules and write the same file at once; one that
// fails then compiles its own copy in a private folder, which it no longer
// needs once the rules are loaded.
Result<WebKitUserContentFilter*> contentFilter(const std::string& rules)
{
    static std::map<std::string, WebKitUserContentFilter*> filters;
    if (auto found = filters.find(rules); found != filters.end())
        return found->second;
    std::string identifier = "folio-pages-" + std::to_string(std::hash<std::string>{}(rules));
    std::shared_ptr<FilterOutcome> outcome =
        loadOrCompileFilter(AppFolders::cachesFolder() + "/ContentRules", identifier, rules);
    std::string sharedError = outcome->error;
    if (!outcome->filter) {
        std::string privateFolder = AppFolders::temporaryFolder() + "/content-rules-XXXXXX";
        if (mkdtemp(privateFolder.data())) {
            outcome = loadOrCompileFilter(privateFolder, identifier, rules);
            std::error_code ignored;
            std::filesystem::remove_all(privateFolder, ignored);
        }
    }
    if (!outcome->filter) {
        std::string reason = !outcome->error.empty() ? outcome->error : sharedError;
        return webViewError(DMWebView::NoContentFilter, "Cannot prepare the rules that keep documents off the network"
                                                            + (reason.empty() ? std::string() : ": " + reason));
    }
    filters.emplace(rules, outcome->filter);
    return outcome->filter;
}

Result<WebKitUserContentFilter*> documentContentFilter()
{
    return contentFilter(kDocumentContentRules);
}

// A folder's file URL as a content rule's pattern: its prefix, with the
// pattern's special characters taken literally, written inside a JSON string.
std::string folderURLPattern(const std::string& folder)
{
    std::filesystem::path path = std::filesystem::absolute(folder).lexically_normal();
    std::string url = URL::fileURLWithPath(path.string(), true).absoluteString();
    if (url.empty() || url.back() != '/')
        url += '/';
    std::string regex = "^";
    for (char c : url) {
        if (std::string_view(".*+?()[]{}|^$\\").find(c) != std::string_view::npos)
            regex += '\\';
        regex += c;
    }
    std::string pattern;
    for (char c : regex) {
        if (c == '\\' || c == '"')
            pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// The rules of an editor's page: everything is blocked, then the files of
// the readable folders, the font scheme, inline pictures, fonts and style
// sheets, and what the page makes itself (its editing frame, pasted
// pictures) are let through. A document's markup then reaches neither the
// network, nor the user's files, nor a frame of another address.
std::string editorContentRules(const std::vector<std::string>& readableFolders)
{
    std::string rules = R"([{"trigger":{"url-filter":".*"},"action":{"type":"block"}})";
    auto allow = [&rules](const std::string& pattern, const char* types) {
        rules += R"(,{"trigger":{"url-filter":")" + pattern + "\"" + types + R"(},"action":{"type":"ignore-previous-rules"}})";
    };
    for (const std::string& folder : readableFolders)
        allow(folderURLPattern(folder), "");
    allow("^myfont:", "");
    allow("^data:", R"(,"resource-type":["image","font","style-sheet"])");
    allow("^about:", "");
    allow("^blob:", R"(,"resource-type":["image"])");
    return rules + "]";
}

// Message handlers are offered to every frame of a page; only the main
// frame's page is the program's. A frame inside it finds the handler's
// posting silenced in its own realm before any of its scripts runs.
constexpr const char* kSubframeWithoutMessagesScript =
    "(function () { if (window === window.top) return; var h = window.webkit && window.webkit.messageHandlers && "
    "window.webkit.messageHandlers.rte; if (h) Object.defineProperty(Object.getPrototypeOf(h), 'postMessage', "
    "{value: function () {}}); })();";

} // namespace

struct DMWebView::Impl {
    DMWebView* owner = nullptr;
    WebViewDelegate* delegate = nullptr;
    GtkWidget* window = nullptr;
    WebKitWebView* view = nullptr;
    WebKitUserContentManager* contentManager = nullptr;
    GCancellable* cancellable = nullptr;
    Rect frame;
    // Set for a document page: the folders it may read.
    std::optional<std::vector<std::string>> documentFolders;
    // A document page's base URL, the one navigation it may make.
    std::string documentBaseURL;
    std::vector<std::string> refusedNavigations;
    bool browsing = false;
    // An editor's page: page messages come only from its message handler.
    bool editor = false;
    double scriptTimeout = kDefaultScriptTimeoutSeconds;
    bool processTerminated = false;
    bool loadFailed = false;
    // A prepared editor's page loading nothing but a blank page, to start
    // its process; `started` once that load has finished.
    bool preparing = false;
    bool started = false;
    // A synchronous script went unanswered: the page may be stuck in a loop.
    bool unresponsive = false;
    std::unique_ptr<HeldKeyEvents> heldKeys;

    ~Impl()
    {
        // A stuck page would keep its process spinning until the program ends.
        if (view && unresponsive)
            webkit_web_view_terminate_web_process(view);
        if (cancellable) {
            g_cancellable_cancel(cancellable);
            g_object_unref(cancellable);
        }
        if (contentManager) {
            g_signal_handlers_disconnect_by_data(contentManager, this);
            if (!browsing)
                webkit_user_content_manager_unregister_script_message_handler(contentManager, "rte");
            g_object_unref(contentManager);
        }
        heldKeys.reset();
        if (view) {
            // The presenter may keep the widget beyond this state.
            g_object_set_data(G_OBJECT(view), kReadableFoldersKey, nullptr);
            g_signal_handlers_disconnect_by_data(view, this);
            g_object_unref(view);
        }
        if (window)
            gtk_widget_destroy(window);
    }

    void deliverPageMessage(const std::string& message)
    {
        if (owner && delegate)
            delegate->webViewDidReceivePageMessage(*owner, message);
    }

    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer data)
    {
        if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION
            && type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
            return FALSE;
        auto* impl = static_cast<Impl*>(data);
        WebKitNavigationAction* action
            = webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        std::string url = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
        auto navigationType = static_cast<NavigationType>(webkit_navigation_action_get_navigation_type(action));

        // A document page goes nowhere but to its own content; a link or a
        // refresh in the document is not followed (nor taken as a message).
        if (impl->documentFolders) {
            if (url == impl->documentBaseURL && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) {
                webkit_policy_decision_use(decision);
                return TRUE;
            }
            webkit_policy_decision_ignore(decision);
            impl->refusedNavigations.push_back(url);
            // A link the user followed out of the document is the delegate's
            // to open elsewhere, or refuse; one within it goes nowhere.
            const std::string base = impl->documentBaseURL.substr(0, impl->documentBaseURL.find('#'));
            const bool withinTheDocument = url.substr(0, url.find('#')) == base;
            if (navigationType == NavigationType::LinkClicked && !withinTheDocument && impl->owner && impl->delegate)
                impl->delegate->webViewShouldStartLoadWithRequest(*impl->owner, url, navigationType);
            return TRUE;
        }
        if (impl->browsing) {
            bool newWindow = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
            if (newWindow || !isBrowsableAddress(url)) {
                webkit_policy_decision_ignore(decision);
                impl->refusedNavigations.push_back(url);
                // A link meant for another window opens in this one.
                if (newWindow && (url.rfind("http:", 0) == 0 || url.rfind("https:", 0) == 0))
                    webkit_web_view_load_uri(impl->view, url.c_str());
                return TRUE;
            }
        } else if (isPageMessage(url)) {
            // Decide before calling out: the delegate may wait on scripts, which
            // serves the loop, and the decision must not be left open meanwhile.
            webkit_policy_decision_ignore(decision);
            // An editor's page posts its messages; a navigation to one may
            // come from any frame, or from a link in the document.
            if (!impl->editor)
                impl->deliverPageMessage(url);
            else
                impl->refusedNavigations.push_back(url);
            return TRUE;
        }
        g_object_ref(decision);
        bool allow = true;
        if (impl->owner && impl->delegate)
            allow = impl->delegate->webViewShouldStartLoadWithRequest(*impl->owner, url, navigationType);
        if (allow)
            webkit_policy_decision_use(decision);
        else
            webkit_policy_decision_ignore(decision);
        g_object_unref(decision);
        return TRUE;
    }

    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data)
    {
        auto* impl = static_cast<Impl*>(data);
        if (impl->preparing) {
            impl->started = impl->started || event == WEBKIT_LOAD_FINISHED;
            return;
        }
        if (event == WEBKIT_LOAD_STARTED) {
            impl->loadFailed = false;
            impl->processTerminated = false;
        } else if (event == WEBKIT_LOAD_FINISHED && !impl->loadFailed && impl->owner && impl->delegate) {
            impl->delegate->webViewDidFinishLoad(*impl->owner);
        }
    }

    static void onTitleChanged(GObject*, GParamSpec*, gpointer data)
    {
        auto* impl = static_cast<Impl*>(data);
        if (impl->owner && impl->delegate)
            impl->delegate->webViewDidChangeTitle(*impl->owner);
    }

    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer data)
    {
        auto* impl = static_cast<Impl*>(data);
        // A navigation we or the delegate cancelled is not a failed load.
        if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)
            || g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE))
            return FALSE;
        impl->loadFailed = true;
        if (impl->owner && impl->delegate)
            impl->delegate->webViewDidFailLoad(*impl->owner, error->message);
        return FALSE;
    }

    static void onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer data)
    {
        auto* impl = static_cast<Impl*>(data);
        impl->processTerminated = true;
        if (!impl->owner || !impl->delegate)
            return;
        const char* why = reason == WEBKIT_WEB_PROCESS_CRASHED               ? "the web page crashed"
                          : reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "the web page used too much memory"
                                                                               : "the web page was stopped";
        impl->delegate->webViewWebProcessDidTerminate(*impl->owner, why);
    }

    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data)
    {
        // Only text is a page message; anything else a page posts is dropped.
        JSCValue* value = webkit_javascript_result_get_js_value(result);
        if (!value || !jsc_value_is_string(value))
            return;
        std::string message = stringFromValue(value);
        if (!message.empty())
            static_cast<Impl*>(data)->deliverPageMessage(message);
    }
};

Status DMWebView::prepareToolkit()
{
    static std::optional<Status> prepared;
    if (prepared)
        return *prepared;
    // WebKitGTK refuses its sandbox for root; a value the user set is kept.
    if (geteuid() == 0)
        setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    if (Status display = VirtualDisplay::ensureDisplay(); !display.ok()) {
        prepared = display;
        return *prepared;
    }
    if (!ToolkitDisplay::open()) {
        prepared = Status(webViewError(NoDisplay, "Cannot open a display for the web view"));
        return *prepared;
    }
    registerSchemes();
    prepared = Status::success();
    return *prepared;
}

void DMWebView::setFontFolders(std::vector<std::string> folders)
{
    fontFolderList() = std::move(folders);
}

std::vector<std::string> DMWebView::fontFolders()
{
    return fontFolderList();
}

Result<std::unique_ptr<DMWebView>> DMWebView::create(const Rect& frame)
{
    if (Status status = prepareToolkit(); !status.ok())
        return status.error();
    return std::unique_ptr<DMWebView>(new DMWebView(frame, Kind::Application, std::nullopt));
}

Result<std::unique_ptr<DMWebView>> DMWebView::createForBrowsing(const Rect& frame)
{
    if (Status status = prepareToolkit(); !status.ok())
        return status.error();
    return std::unique_ptr<DMWebView>(new DMWebView(frame, Kind::Browsing, std::nullopt));
}

namespace {

// The editor's page made ahead of its document, with the folders it reads.
struct PreparedEditorPage {
    std::unique_ptr<DMWebView> view;
    std::vector<std::string> readableFolders;
    // Making the page may wait in the main loop for its content rules, and
    // meanwhile the document may open, its editor make a page of its own,
    // and the page still in the making be given up: it is then dropped
    // before its process starts, not kept for no editor.
    bool making = false;
    bool givenUp = false;
};

// Kept for the program's life: a page left untaken is not torn down after
// the toolkit at exit.
PreparedEditorPage& preparedEditorPage()
{
    static auto* prepared = new PreparedEditorPage;
    return *prepared;
}

// How long the first load of a prepared page waits for its blank start to
// end: the process is starting already, and loads nothing else meanwhile.
constexpr double kPreparedPageStartSeconds = 10;

} // namespace

Status DMWebView::prepareEditor(std::vector<std::string> readableFolders)
{
    PreparedEditorPage& prepared = preparedEditorPage();
    if (prepared.view || prepared.making)
        return Status::success();
    prepared.making = true;
    prepared.givenUp = false;
    Result<std::unique_ptr<DMWebView>> made = makeEditor(Rect{{0, 0}, {800, 600}}, readableFolders);
    prepared.making = false;
    if (!made)
        return made.error();
    if (prepared.givenUp)
        return Status::success();
    // The engine starts a page's process with its first load, and that
    // start (the engine's libraries, the display, the fonts) takes as long
    // as reading a long document: a blank page starts it meanwhile.
    Impl& impl = *(*made)->m_impl;
    impl.preparing = true;
    webkit_web_view_load_html(impl.view, "", "about:blank");
    prepared.view = std::move(*made);
    prepared.readableFolders = std::move(readableFolders);
    return Status::success();
}

bool DMWebView::hasPreparedEditor()
{
    const PreparedEditorPage& prepared = preparedEditorPage();
    return prepared.view && prepared.view->m_impl->started;
}

void DMWebView::discardPreparedEditor()
{
    PreparedEditorPage& prepared = preparedEditorPage();
    prepared.givenUp = prepared.making;
    std::unique_ptr<DMWebView> untaken = std::move(prepared.view);
    if (!untaken)
        return;
    // Nothing of the user's is in it; its process is not left to end
    // whenever the engine gets round to it.
    webkit_web_view_terminate_web_process(untaken->m_impl->view);
}

Result<std::unique_ptr<DMWebView>> DMWebView::createForEditor(const Rect& frame,
                                                              std::vector<std::string> readableFolders)
{
    PreparedEditorPage& prepared = preparedEditorPage();
    if (prepared.view && prepared.readableFolders == readableFolders) {
        // Taken at once, its blank start perhaps still under way: the editor
        // makes its page meanwhile, and its first load waits for that start
        // to end (loadHTMLString).
        std::unique_ptr<DMWebView> view = std::move(prepared.view);
        if (!view->m_impl->processTerminated) {
            view->setFrame(frame);
            return view;
        }
        prepared.view = std::move(view);
    }
    discardPreparedEditor();
    return makeEditor(frame, std::move(readableFolders));
}

Result<std::unique_ptr<DMWebView>> DMWebView::makeEditor(const Rect& frame, std::vector<std::string> readableFolders)
{
    if (Status status = prepareToolkit(); !status.ok())
        return status.error();
    Result<WebKitUserContentFilter*> filter = contentFilter(editorContentRules(readableFolders));
    if (!filter)
        return filter.error();
    auto view = std::unique_ptr<DMWebView>(new DMWebView(frame, Kind::Editor, std::nullopt));
    webkit_user_content_manager_add_filter(view->m_impl->contentManager, *filter);
    WebKitUserScript* script = webkit_user_script_new(kSubframeWithoutMessagesScript, WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(view->m_impl->contentManager, script);
    webkit_user_script_unref(script);
    return view;
}

Result<std::unique_ptr<DMWebView>> DMWebView::createForDocument(const Rect& frame,
                                                                std::vector<std::string> readableFolders)
{
    if (Status status = prepareToolkit(); !status.ok())
        return status.error();
    Result<WebKitUserContentFilter*> filter = documentContentFilter();
    if (!filter)
        return filter.error();
    readableFolders.push_back(Resources::resourcesFolder());
    std::optional<std::string> boundsPath = Resources::pathForResource("document-font-bounds", "js", "pages");
    Result<Data> bounds = boundsPath ? Data::dataWithContentsOfFile(*boundsPath)
                                     : Result<Data>(Error{"DMWebView", 1, "document-font-bounds.js is missing"});
    if (!bounds)
        return Error{"DMWebView", 1, "cannot prepare the document page: " + bounds.error().message};
    auto view = std::unique_ptr<DMWebView>(new DMWebView(frame, Kind::Document, std::move(readableFolders)));
    webkit_user_content_manager_add_filter(view->m_impl->contentManager, *filter);
    WebKitUserScript* script = webkit_user_script_new(bounds->toString().c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END, nullptr, nullptr);
    webkit_user_content_manager_add_script(view->m_impl->contentManager, script);
    webkit_user_script_unref(script);
    return view;
}

DMWebView::DMWebView(const Rect& frame, Kind kind, std::optional<std::vector<std::string>> documentFolders)
    : m_impl(std::make_shared<Impl>())
{
    Impl& impl = *m_impl;
    impl.owner = this;
    impl.documentFolders = std::move(documentFolders);
    impl.browsing = kind == Kind::Browsing;
    impl.editor = kind == Kind::Editor;
    impl.cancellable = g_cancellable_new();
    impl.contentManager = webkit_user_content_manager_new();
    impl.view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", impl.contentManager,
                                             "web-context",
                                             impl.browsing ? browsingContext() : applicationContext(),
                                             nullptr));
    g_object_ref_sink(impl.view);

    WebKitSettings* settings = webkit_web_view_get_settings(impl.view);
    webkit_settings_set_enable_javascript(settings, TRUE);
    if (impl.documentFolders) {
        // Scripts in the markup stay dead; the application's own
        // evaluations are not markup and still run.
        webkit_settings_set_enable_javascript_markup(settings, FALSE);
        webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
        webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
        webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
        // A document page is printed or pictured, never scrolled or
        // animated: drawn by the processor it loads and prints in less time
        // than through the compositor's GL, which on a machine without a
        // graphics card is itself drawn by the processor.
        webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
        g_object_set_data(G_OBJECT(impl.view), kReadableFoldersKey, &*impl.documentFolders);
    } else if (impl.browsing) {
        // A web page reads no local file and opens no window by itself.
        webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
        webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
        webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    } else if (impl.editor) {
        // The page's own scripts load by their elements; nothing of the
        // page needs to read a file by script, and a document must not.
        webkit_settings_set_javascript_can_access_clipboard(settings, TRUE);
        webkit_settings_set_allow_file_access_from_file_urls(settings, FALSE);
        webkit_settings_set_allow_universal_access_from_file_urls(settings, FALSE);
        webkit_settings_set_javascript_can_open_windows_automatically(settings, FALSE);
    } else {
        webkit_settings_set_javascript_can_access_clipboard(settings, TRUE);
        webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
    }

    g_signal_connect(impl.view, "decide-policy", G_CALLBACK(Impl::onDecidePolicy), &impl);
    g_signal_connect(impl.view, "load-changed", G_CALLBACK(Impl::onLoadChanged), &impl);
    g_signal_connect(impl.view, "load-failed", G_CALLBACK(Impl::onLoadFailed), &impl);
    g_signal_connect(impl.view, "notify::title", G_CALLBACK(Impl::onTitleChanged), &impl);
    g_signal_connect(impl.view, "web-process-terminated", G_CALLBACK(Impl::onProcessTerminated), &impl);
    // A click puts the tooltip of what it clicked away, as on any control.
    // The page names its tooltip only as the pointer moves, so one for a
    // button the click closed (a dialog's Close) would stay on with nothing
    // under it: after the release the page looks again, as if the pointer
    // had moved where it rests, and names what is under it now.
    g_signal_connect(impl.view, "button-press-event", G_CALLBACK(+[](GtkWidget* view, GdkEvent*, gpointer) -> gboolean {
                         gtk_widget_set_tooltip_text(view, nullptr);
                         return FALSE;
                     }),
                     nullptr);
    g_signal_connect(impl.view, "button-release-event", G_CALLBACK(+[](GtkWidget* view, GdkEvent* event, gpointer) -> gboolean {
                         GdkEvent* moved = gdk_event_new(GDK_MOTION_NOTIFY);
                         moved->motion.window = GDK_WINDOW(g_object_ref(event->button.window));
                         moved->motion.send_event = TRUE;
                         moved->motion.time = event->button.time;
                         moved->motion.x = event->button.x;
                         moved->motion.y = event->button.y;
                         moved->motion.x_root = event->button.x_root;
                         moved->motion.y_root = event->button.y_root;
                         moved->motion.state = event->button.state & ~GDK_BUTTON1_MASK & ~GDK_BUTTON2_MASK & ~GDK_BUTTON3_MASK;
                         gdk_event_set_device(moved, gdk_event_get_device(event));
                         g_object_set_data_full(G_OBJECT(view), "folio-moved-after-release", moved,
                                                reinterpret_cast<GDestroyNotify>(gdk_event_free));
                         g_idle_add_full(G_PRIORITY_DEFAULT_IDLE,
                                         +[](gpointer data) -> gboolean {
                                             GtkWidget* shown = GTK_WIDGET(data);
                                             if (auto* pending = static_cast<GdkEvent*>(
                                                     g_object_steal_data(G_OBJECT(shown), "folio-moved-after-release"))) {
                                                 gtk_widget_event(shown, pending);
                                                 gdk_event_free(pending);
                                             }
                                             return G_SOURCE_REMOVE;
                                         },
                                         g_object_ref(view), g_object_unref);
                         return FALSE;
                     }),
                     nullptr);
    // A web page has no way to talk to the application.
    if (!impl.browsing) {
        g_signal_connect(impl.contentManager, "script-message-received::rte", G_CALLBACK(Impl::onScriptMessage), &impl);
        webkit_user_content_manager_register_script_message_handler(impl.contentManager, "rte");
    }

    impl.heldKeys = std::make_unique<HeldKeyEvents>(GTK_WIDGET(impl.view));

    impl.window = gtk_offscreen_window_new();
    gtk_container_add(GTK_CONTAINER(impl.window), GTK_WIDGET(impl.view));
    setFrame(frame);
    gtk_widget_show_all(impl.window);
}

DMWebView::~DMWebView()
{
    // A completion running right now may still hold the state; it must not
    // call back into a view that is gone.
    m_impl->owner = nullptr;
    m_impl->delegate = nullptr;
}

void DMWebView::setDelegate(WebViewDelegate* delegate)
{
    m_impl->delegate = delegate;
}

WebViewDelegate* DMWebView::delegate() const
{
    return m_impl->delegate;
}

void DMWebView::holdTypedKeys()
{
    m_impl->heldKeys->hold();
}

void DMWebView::releaseTypedKeys(HeldKeys what)
{
    if (what == HeldKeys::Deliver)
        m_impl->heldKeys->deliver();
    else
        m_impl->heldKeys->discard();
}

bool DMWebView::hasHeldTypedKeys() const
{
    return m_impl->heldKeys->count() > 0;
}

std::size_t DMWebView::keyPressesHandedToPage() const
{
    return m_impl->heldKeys->pressesPassedOn();
}

void DMWebView::setHeldKeyPacer(std::function<void()> waitForPage)
{
    m_impl->heldKeys->setPacer(std::move(waitForPage));
}

void DMWebView::finishPreparing()
{
    if (!m_impl->preparing)
        return;
    // A load still under way would report its end to the delegate as the end
    // of the page loaded now.
    std::weak_ptr<Impl> watched = m_impl;
    RunLoop::main().runUntil(
        [watched] {
            std::shared_ptr<Impl> impl = watched.lock();
            return !impl || impl->started || impl->processTerminated;
        },
        kPreparedPageStartSeconds);
    if (!m_impl->started)
        webkit_web_view_stop_loading(m_impl->view);
    m_impl->preparing = false;
}

void DMWebView::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    finishPreparing();
    m_impl->processTerminated = false;
    // The new page counts the keys it is handed from nothing.
    m_impl->heldKeys->restartPassedOnCount();
    m_impl->refusedNavigations.clear();
    if (m_impl->documentFolders) {
        m_impl->documentBaseURL = DocumentPageResolver::pageBaseURL(baseURL);
        // With the markup's scripts off the engine reads a noscript
        // element's content as markup, yet shows none of it: an element
        // left open inside it would hide the rest of the document. It is
        // read as the editing pages, which run scripts, read it.
        std::optional<std::string> scriptingView = HTMLNoscriptText::withContentAsText(html);
        webkit_web_view_load_html(m_impl->view, scriptingView ? scriptingView->c_str() : html.c_str(),
                                  m_impl->documentBaseURL.c_str());
        return;
    }
    webkit_web_view_load_html(m_impl->view, html.c_str(), baseURL.empty() ? nullptr : baseURL.c_str());
}

void DMWebView::loadURL(const std::string& url)
{
    if (!m_impl->browsing || !isBrowsableAddress(url)) {
        WebView::loadURL(url);
        return;
    }
    m_impl->processTerminated = false;
    webkit_web_view_load_uri(m_impl->view, url.c_str());
}

const std::vector<std::string>& DMWebView::refusedNavigations() const
{
    return m_impl->refusedNavigations;
}

std::string DMWebView::title() const
{
    const gchar* title = webkit_web_view_get_title(m_impl->view);
    return title ? title : "";
}

std::string DMWebView::currentURL() const
{
    const gchar* uri = webkit_web_view_get_uri(m_impl->view);
    return uri ? uri : "";
}

bool DMWebView::isLoading() const
{
    return webkit_web_view_is_loading(m_impl->view);
}

namespace {

template <typename Completion>
struct PendingCall {
    std::weak_ptr<void> state;
    Completion completion;
};

} // namespace

void DMWebView::evaluateJavaScript(const std::string& script, ScriptCompletion completion)
{
    using Pending = PendingCall<ScriptCompletion>;
    auto* pending = new Pending{m_impl, std::move(completion)};
    webkit_web_view_evaluate_javascript(
        m_impl->view, script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, m_impl->cancellable,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
            std::string answer = value ? stringFromValue(value) : std::string();
            if (value)
                g_object_unref(value);
            if (error)
                g_error_free(error);
            auto state = std::static_pointer_cast<Impl>(pending->state.lock());
            if (answer.size() >= kLargeAnswerSize) {
                releaseAnswerCopies(WEBKIT_WEB_VIEW(source));
                if (state && state->owner)
                    state->owner->collectPageGarbage({});
            }
            if (state && state->owner && pending->completion)
                pending->completion(std::move(answer));
        },
        pending);
}

void DMWebView::collectPageGarbage(std::function<void(bool collected)> done)
{
    using Pending = PendingCall<std::function<void(bool)>>;
    auto* pending = new Pending{m_impl, std::move(done)};
    webkit_web_view_send_message_to_page(
        m_impl->view, webkit_user_message_new(kCollectGarbageMessage, nullptr), m_impl->cancellable,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            WebKitUserMessage* reply = webkit_web_view_send_message_to_page_finish(WEBKIT_WEB_VIEW(source), result, &error);
            const bool collected = reply && g_strcmp0(webkit_user_message_get_name(reply), kCollectGarbageMessage) == 0;
            if (reply)
                g_object_unref(reply);
            if (error)
                g_error_free(error);
            auto state = std::static_pointer_cast<Impl>(pending->state.lock());
            if (state && state->owner && pending->completion)
                pending->completion(collected);
        },
        pending);
}

std::string DMWebView::stringByEvaluatingJavaScript(const std::string& script)
{
    if (m_impl->processTerminated)
        return {};
    auto answer = std::make_shared<std::optional<std::string>>();
    evaluateJavaScript(script, [answer](std::string result) { *answer = std::move(result); });
    // A callback served during the wait may destroy this view; the state
    // held here outlives it, and nothing below touches the view itself.
    std::shared_ptr<Impl> impl = m_impl;
    bool answered = RunLoop::main().runUntil(
        [&] { return answer->has_value() || !impl->owner || impl->processTerminated; }, impl->scriptTimeout);
    if (!answered)
        impl->unresponsive = true;
    return answer->value_or(std::string());
}

void DMWebView::executeEditingCommand(const std::string& command, const std::string& argument)
{
    if (argument.empty())
        webkit_web_view_execute_editing_command(m_impl->view, command.c_str());
    else
        webkit_web_view_execute_editing_command_with_argument(m_impl->view, command.c_str(), argument.c_str());
}

void DMWebView::setSpellCheckingEnabled(bool enabled)
{
    WebKitWebContext* context = webkit_web_view_get_context(m_impl->view);
    webkit_web_context_set_spell_checking_enabled(context, enabled);
    if (!enabled)
        return;
    // The engine checks nothing until it is given languages.
    std::vector<std::string> languages = SpellCheckingLanguages::forThisSystem();
    std::vector<const gchar*> names;
    for (const std::string& language : languages)
        names.push_back(language.c_str());
    names.push_back(nullptr);
    if (names.size() > 1)
        webkit_web_context_set_spell_checking_languages(context, names.data());
}

bool DMWebView::isSpellCheckingEnabled() const
{
    return webkit_web_context_get_spell_checking_enabled(webkit_web_view_get_context(m_impl->view));
}

Rect DMWebView::frame() const
{
    return m_impl->frame;
}

void DMWebView::setFrame(const Rect& frame)
{
    m_impl->frame = frame;
    int width = std::max(1, static_cast<int>(frame.width()));
    int height = std::max(1, static_cast<int>(frame.height()));
    GtkWidget* parent = gtk_widget_get_parent(GTK_WIDGET(m_impl->view));
    // Shown in a window, the page takes the room the window's layout gives
    // it: a size asked for here would keep the window from being made
    // smaller than the page once was.
    if (parent && !GTK_IS_WINDOW(parent))
        return;
    gtk_widget_set_size_request(GTK_WIDGET(m_impl->view), width, height);
    if (parent)
        gtk_window_resize(GTK_WINDOW(parent), width, height);
}

void DMWebView::takeSnapshot(SnapshotRegion region, SnapshotCompletion completion)
{
    using Pending = PendingCall<SnapshotCompletion>;
    auto* pending = new Pending{m_impl, std::move(completion)};
    webkit_web_view_get_snapshot(
        m_impl->view,
        region == SnapshotRegion::FullDocument ? WEBKIT_SNAPSHOT_REGION_FULL_DOCUMENT : WEBKIT_SNAPSHOT_REGION_VISIBLE,
        WEBKIT_SNAPSHOT_OPTIONS_NONE, m_impl->cancellable,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), result, &error);
            auto state = std::static_pointer_cast<Impl>(pending->state.lock());
            if (!state || !state->owner || !pending->completion) {
                if (surface)
                    cairo_surface_destroy(surface);
                if (error)
                    g_error_free(error);
                return;
            }
            if (!surface) {
                std::string message = error ? error->message : "no image";
                if (error)
                    g_error_free(error);
                pending->completion(webViewError(SnapshotFailed, "Snapshot failed: " + message));
                return;
            }
            Result<Image::Pointer> image = Image::imageWithCairoSurface(surface);
            cairo_surface_destroy(surface);
            pending->completion(std::move(image));
        },
        pending);
}

namespace {

struct PendingPrint {
    std::weak_ptr<void> state;
    WebView::PrintCompletion completion;
    std::string temporaryPath;
    std::string path;
    std::optional<std::string> failure;
    // The paper asked for, and how many times larger it was printed.
    Size paper;
    double magnification = 1;
};

// Prints go to a temporary file beside the target and replace it only when
// complete, so a failed print never leaves a truncated PDF or loses an old one.
std::optional<std::string> makeTemporaryPath(const std::string& path)
{
    Result<TemporaryFile> temporary = FileManager::makeTemporaryBeside(path);
    if (!temporary)
        return std::nullopt;
    close(temporary->descriptor);
    return temporary->path;
}

// A print made larger than its paper written back onto it, in place of the
// target once whole: its pages scaled as they stand, or, for a file whose
// structure that does not follow, drawn again smaller.
Status shrinkMagnifiedPrint(const PendingPrint& pending)
{
    std::optional<std::string> reduced = makeTemporaryPath(pending.path);
    Result<Data> printed = Data::dataWithContentsOfFile(pending.temporaryPath);
    Result<Data> scaled = printed ? PrintedPDFPageScaler::reduced(*printed, pending.paper, pending.magnification)
                                  : Result<Data>(printed.error());
    Status drawn = !reduced ? Status(webViewError(DMWebView::PrintFailed, "Cannot write a file beside " + pending.path))
        : scaled            ? scaled->writeToFile(*reduced)
                            : PrintedPDFRenderer::renderReducedToFile(pending.temporaryPath, *reduced, pending.paper,
                                                                      pending.magnification);
    std::error_code ignored;
    std::filesystem::remove(pending.temporaryPath, ignored);
    if (drawn)
        drawn = FileManager::replaceWithTemporary(*reduced, pending.path);
    if (!drawn && reduced)
        std::filesystem::remove(*reduced, ignored);
    return drawn;
}

} // namespace

void DMWebView::printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                           PrintCompletion completion, double magnification)
{
    auto fail = [&](std::string message) {
        if (completion)
            completion(Status(webViewError(PrintFailed, std::move(message))));
    };
    if (path.empty() || !(pageSize.width > 0) || !(pageSize.height > 0) || margins.left < 0 || margins.right < 0
        || margins.top < 0 || margins.bottom < 0 || margins.left + margins.right >= pageSize.width
        || margins.top + margins.bottom >= pageSize.height || !(magnification >= 1)) {
        fail("Invalid page size or margins for printing");
        return;
    }
    std::optional<std::string> temporary = makeTemporaryPath(path);
    if (!temporary) {
        fail("Cannot write a file beside " + path);
        return;
    }
    GError* error = nullptr;
    gchar* uri = g_filename_to_uri(std::filesystem::absolute(*temporary).c_str(), nullptr, &error);
    if (!uri) {
        std::filesystem::remove(*temporary);
        fail(error ? error->message : "Invalid path");
        if (error)
            g_error_free(error);
        return;
    }

    GtkPrintSettings* settings = gtk_print_settings_new();
    gtk_print_settings_set_printer(settings, "Print to File");
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT, "pdf");
    gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri);
    g_free(uri);
    const double k = magnification;
    GtkPaperSize* paper = gtk_paper_size_new_custom("folio-page", "Folio page", pageSize.width * k,
                                                    pageSize.height * k, GTK_UNIT_POINTS);
    gtk_print_settings_set_paper_size(settings, paper);
    GtkPageSetup* setup = gtk_page_setup_new();
    gtk_page_setup_set_orientation(setup, GTK_PAGE_ORIENTATION_PORTRAIT);
    gtk_page_setup_set_paper_size(setup, paper);
    gtk_page_setup_set_top_margin(setup, margins.top * k, GTK_UNIT_POINTS);
    gtk_page_setup_set_bottom_margin(setup, margins.bottom * k, GTK_UNIT_POINTS);
    gtk_page_setup_set_left_margin(setup, margins.left * k, GTK_UNIT_POINTS);
    gtk_page_setup_set_right_margin(setup, margins.right * k, GTK_UNIT_POINTS);
    gtk_paper_size_free(paper);

    WebKitPrintOperation* operation = webkit_print_operation_new(m_impl->view);
    webkit_print_operation_set_print_settings(operation, settings);
    webkit_print_operation_set_page_setup(operation, setup);
    g_object_unref(settings);
    g_object_unref(setup);

    auto* pending =
        new PendingPrint{m_impl, std::move(completion), *temporary, path, std::nullopt, pageSize, magnification};
    g_signal_connect(operation, "failed", G_CALLBACK(+[](WebKitPrintOperation*, GError* error, gpointer data) {
                         static_cast<PendingPrint*>(data)->failure = error ? error->message : "printing failed";
                     }),
                     pending);
    g_signal_connect(operation, "finished", G_CALLBACK(+[](WebKitPrintOperation* operation, gpointer data) {
                         std::unique_ptr<PendingPrint> pending(static_cast<PendingPrint*>(data));
                         g_signal_handlers_disconnect_by_data(operation, data);
                         g_object_unref(operation);
                         std::error_code error;
                         if (!pending->failure && std::filesystem::file_size(pending->temporaryPath, error) == 0)
                             pending->failure = "the printed file is empty";
                         if (pending->failure) {
                             std::filesystem::remove(pending->temporaryPath, error);
                         } else if (pending->magnification != 1) {
                             Status reduced = shrinkMagnifiedPrint(*pending);
                             if (!reduced)
                                 pending->failure = reduced.error().message;
                         } else if (Status replaced = FileManager::replaceWithTemporary(pending->temporaryPath, pending->path);
                                    !replaced) {
                             pending->failure = replaced.error().message;
                         }
                         auto state = std::static_pointer_cast<DMWebView::Impl>(pending->state.lock());
                         if (!state || !state->owner || !pending->completion)
                             return;
                         if (pending->failure)
                             pending->completion(Status(webViewError(
                                 DMWebView::PrintFailed, "Cannot print to " + pending->path + ": " + *pending->failure)));
                         else
                             pending->completion(Status::success());
                     }),
                     pending);
    webkit_print_operation_print(operation);
}

void DMWebView::setScriptTimeout(double seconds)
{
    m_impl->scriptTimeout = seconds;
}

double DMWebView::scriptTimeout() const
{
    return m_impl->scriptTimeout;
}

bool DMWebView::isWebProcessTerminated() const
{
    return m_impl->processTerminated;
}

void* DMWebView::nativeWidget() const
{
    return m_impl->view;
}

} // namespace folio
