#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class WebView;

// The editor's line to its page. Commands go out without waiting; reads wait
// for the answer by serving the run loop, but never longer than the time
// limit, and a page that is gone, hangs or answers nonsense gives the
// caller's default instead. Once the editor disconnects (closing, or the
// view is going away) nothing more is sent and every wait ends at once,
// also a wait already in progress further up the stack.
//
// Main thread only. Waits serve other events, so callers must be safe
// against re-entry.
class PageConnection {
public:
    static constexpr double kDefaultReadTimeoutSeconds = 5;

    // Turns a script into one that runs it elsewhere in the page (in a frame)
    // and answers what the script answers.
    using Scope = std::function<std::string(const std::string& script)>;

    explicit PageConnection(WebView* webView = nullptr);
    // The same page as `page`, with every script run through `scope`: it is
    // connected while `page` is, and must not outlive it.
    PageConnection(PageConnection& page, Scope scope);
    ~PageConnection();
    PageConnection(const PageConnection&) = delete;
    PageConnection& operator=(const PageConnection&) = delete;

    void connect(WebView* webView);
    void disconnect();
    bool isConnected() const;
    WebView* webView() const;

    void setReadTimeout(double seconds) { m_readTimeout = seconds; }
    double readTimeout() const { return m_readTimeout; }

    // Evaluates without waiting; the answer, if any, is dropped.
    void send(const std::string& script);
    // Evaluates without waiting; the answer goes to `onAnswer` later on the
    // main thread, unless the editor disconnected meanwhile.
    void ask(const std::string& script, std::function<void(const std::string& answer)> onAnswer);

    // The page's answer, or nothing when there is no page or it did not
    // answer in time.
    std::optional<std::string> read(const std::string& script);

    // Typed reads. Numbers are read as the leading number of the answer in
    // the C locale ("16px" is 16); an answer without one gives the default.
    std::string readString(const std::string& script, const std::string& fallback = {});
    long long readInteger(const std::string& script, long long fallback);
    double readDouble(const std::string& script, double fallback);
    // "1" and "true" are true, "0", "false" and "" false; anything else, or
    // no answer, gives the default.
    bool readBool(const std::string& script, bool fallback);

private:
    struct Link;
    const std::shared_ptr<Link>& link() const { return m_page ? m_page->m_link : m_link; }
    std::string scoped(const std::string& script) const { return m_scope ? m_scope(script) : script; }

    std::shared_ptr<Link> m_link;
    PageConnection* m_page = nullptr;
    Scope m_scope;
    double m_readTimeout = kDefaultReadTimeoutSeconds;
};

} // namespace folio
