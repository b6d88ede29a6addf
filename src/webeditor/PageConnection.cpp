#include "webeditor/PageConnection.h"

#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/web/WebView.h"

namespace folio {

// Shared with the completions of pending reads, so that a completion arriving
// after the editor let go finds the link cut instead of a dead object.
struct PageConnection::Link {
    WebView* webView = nullptr;
};

PageConnection::PageConnection(WebView* webView)
    : m_link(std::make_shared<Link>())
{
    m_link->webView = webView;
}

PageConnection::PageConnection(PageConnection& page, Scope scope)
    : m_link(std::make_shared<Link>())
    , m_page(&page)
    , m_scope(std::move(scope))
{
}

PageConnection::~PageConnection()
{
    if (!m_page)
        disconnect();
}

void PageConnection::connect(WebView* webView)
{
    if (m_page) {
        m_page->connect(webView);
        return;
    }
    // Waits of the previous page must not take an answer from the new one.
    disconnect();
    m_link = std::make_shared<Link>();
    m_link->webView = webView;
}

void PageConnection::disconnect()
{
    link()->webView = nullptr;
}

bool PageConnection::isConnected() const
{
    return link()->webView != nullptr;
}

WebView* PageConnection::webView() const
{
    return link()->webView;
}

void PageConnection::send(const std::string& script)
{
    if (WebView* webView = link()->webView)
        webView->evaluateJavaScript(scoped(script), nullptr);
}

void PageConnection::ask(const std::string& script, std::function<void(const std::string&)> onAnswer)
{
    const std::shared_ptr<Link>& current = link();
    if (!current->webView)
        return;
    std::weak_ptr<Link> weakLink = current;
    current->webView->evaluateJavaScript(scoped(script), [weakLink, onAnswer = std::move(onAnswer)](std::string result) {
        std::shared_ptr<Link> alive = weakLink.lock();
        if (alive && alive->webView && onAnswer)
            onAnswer(result);
    });
}

std::optional<std::string> PageConnection::read(const std::string& script)
{
    std::shared_ptr<Link> link = this->link();
    if (!link->webView)
        return std::nullopt;
    auto answer = std::make_shared<std::optional<std::string>>();
    std::weak_ptr<Link> weakLink = link;
    link->webView->evaluateJavaScript(scoped(script), [answer, weakLink](std::string result) {
        std::shared_ptr<Link> alive = weakLink.lock();
        if (alive && alive->webView)
            *answer = std::move(result);
    });
    RunLoop::main().runUntil([&] { return answer->has_value() || !link->webView; }, m_readTimeout);
    // Moved: a long document's content is megabytes.
    return std::move(*answer);
}

std::string PageConnection::readString(const std::string& script, const std::string& fallback)
{
    return read(script).value_or(fallback);
}

long long PageConnection::readInteger(const std::string& script, long long fallback)
{
    std::optional<std::string> answer = read(script);
    if (!answer)
        return fallback;
    std::u16string text = toUtf16(*answer);
    size_t start = text.find_first_not_of(u" \t\n\r");
    if (start == std::u16string::npos)
        return fallback;
    // "12.9" reads as 12, the way intValue reads it.
    double value = 0;
    if (scanFloatingPoint(text, start, &value) == start)
        return fallback;
    if (!(value > -9.2e18 && value < 9.2e18))
        return fallback;
    return static_cast<long long>(value);
}

double PageConnection::readDouble(const std::string& script, double fallback)
{
    std::optional<std::string> answer = read(script);
    if (!answer)
        return fallback;
    std::u16string text = toUtf16(*answer);
    size_t start = text.find_first_not_of(u" \t\n\r");
    double value = 0;
    if (start == std::u16string::npos || scanFloatingPoint(text, start, &value) == start)
        return fallback;
    return value;
}

bool PageConnection::readBool(const std::string& script, bool fallback)
{
    std::optional<std::string> answer = read(script);
    if (!answer)
        return fallback;
    if (*answer == "1" || *answer == "true")
        return true;
    if (*answer == "0" || *answer == "false" || answer->empty())
        return false;
    return fallback;
}

} // namespace folio
