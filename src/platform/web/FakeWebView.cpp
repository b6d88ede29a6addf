#include "platform/web/FakeWebView.h"

#include "platform/web/WebViewDelegate.h"

namespace folio {

namespace {

Error fakeError(std::string message)
{
    return Error{"FakeWebView", 1, std::move(message)};
}

} // namespace

FakeWebView::FakeWebView(const Rect& frame)
    : m_frame(frame)
    , m_snapshotResult(fakeError("No snapshot was scripted"))
    , m_printResult(fakeError("No print result was scripted"))
{
}

void FakeWebView::answer(const std::string& script, std::string result)
{
    m_rules.push_back(Rule{script, std::regex(), [result](const std::string&) { return result; }});
}

void FakeWebView::answerMatching(const std::string& pattern, std::string result)
{
    answerMatching(pattern, [result](const std::string&) { return result; });
}

void FakeWebView::answerMatching(const std::string& pattern,
                                 std::function<std::string(const std::string& script)> result)
{
    m_rules.push_back(Rule{std::nullopt, std::regex(pattern), std::move(result)});
}

void FakeWebView::queueAnswer(std::string result)
{
    m_queuedAnswers.push_back(std::move(result));
}

void FakeWebView::clearRules()
{
    m_rules.clear();
    m_queuedAnswers.clear();
}

std::vector<std::string> FakeWebView::scriptsMatching(const std::string& pattern) const
{
    std::regex expression(pattern);
    std::vector<std::string> matches;
    for (const ScriptCall& call : m_scripts) {
        if (std::regex_search(call.script, expression))
            matches.push_back(call.script);
    }
    return matches;
}

std::optional<std::string> FakeWebView::lastScript() const
{
    if (m_scripts.empty())
        return std::nullopt;
    return m_scripts.back().script;
}

void FakeWebView::clearScripts()
{
    m_scripts.clear();
}

std::string FakeWebView::answerFor(const std::string& script)
{
    for (auto rule = m_rules.rbegin(); rule != m_rules.rend(); ++rule) {
        bool matches = rule->exact ? *rule->exact == script : std::regex_search(script, rule->pattern);
        if (matches)
            return rule->result(script);
    }
    if (!m_queuedAnswers.empty()) {
        std::string answer = std::move(m_queuedAnswers.front());
        m_queuedAnswers.pop_front();
        return answer;
    }
    return {};
}

void FakeWebView::evaluateJavaScript(const std::string& script, ScriptCompletion completion)
{
    m_scripts.push_back(ScriptCall{script, false});
    m_pending.push_back(Pending{answerFor(script), std::move(completion)});
}

std::string FakeWebView::stringByEvaluatingJavaScript(const std::string& script)
{
    m_scripts.push_back(ScriptCall{script, true});
    return answerFor(script);
}

bool FakeWebView::releaseNext()
{
    if (m_pending.empty())
        return false;
    Pending pending = std::move(m_pending.front());
    m_pending.pop_front();
    if (pending.completion)
        pending.completion(std::move(pending.answer));
    return true;
}

bool FakeWebView::releaseNext(const std::string& overridingAnswer)
{
    if (m_pending.empty())
        return false;
    m_pending.front().answer = overridingAnswer;
    return releaseNext();
}

size_t FakeWebView::releaseAll()
{
    size_t count = 0;
    while (releaseNext())
        ++count;
    return count;
}

void FakeWebView::sendPageMessage(const std::string& message)
{
    if (m_delegate)
        m_delegate->webViewDidReceivePageMessage(*this, message);
}

bool FakeWebView::simulateNavigation(const std::string& url, NavigationType type)
{
    return !m_delegate || m_delegate->webViewShouldStartLoadWithRequest(*this, url, type);
}

void FakeWebView::finishLoad()
{
    m_loading = false;
    if (m_delegate)
        m_delegate->webViewDidFinishLoad(*this);
}

void FakeWebView::failLoad(const std::string& message)
{
    m_loading = false;
    if (m_delegate)
        m_delegate->webViewDidFailLoad(*this, message);
}

void FakeWebView::terminateWebProcess(const std::string& reason)
{
    m_loading = false;
    if (m_delegate)
        m_delegate->webViewWebProcessDidTerminate(*this, reason);
}

void FakeWebView::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    m_html = html;
    m_baseURL = baseURL;
    ++m_loadCount;
    m_loading = true;
}

void FakeWebView::executeEditingCommand(const std::string& command, const std::string& argument)
{
    m_editingCommands.push_back(EditingCommand{command, argument});
}

void FakeWebView::setSnapshotResult(Result<Image::Pointer> result)
{
    m_snapshotResult = std::move(result);
}

void FakeWebView::setPrintResult(Status status)
{
    m_printResult = std::move(status);
}

void FakeWebView::takeSnapshot(SnapshotRegion, SnapshotCompletion completion)
{
    ++m_snapshotRequests;
    if (completion)
        completion(m_snapshotResult);
}

void FakeWebView::printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                             PrintCompletion completion, double magnification)
{
    m_printRequests.push_back(PrintRequest{path, pageSize, margins, magnification});
    if (completion)
        completion(m_printResult);
}

} // namespace folio
