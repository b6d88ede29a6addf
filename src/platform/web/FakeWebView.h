#pragma once

#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace folio {

// A scripted web view for unit tests; it needs no display and no engine.
//
// It records every script with how it was asked for, and answers from rules
// (an exact script, or a regular expression found anywhere in the script;
// later rules win) or, when no rule matches, from a queue of answers the test
// filled; otherwise "". Asynchronous completions are held until the test
// releases them, so a test decides exactly when "later" is. The test plays
// the page: it sends page messages, starts navigations and finishes loads.
class FakeWebView final : public WebView {
public:
    struct ScriptCall {
        std::string script;
        bool synchronous = false;
    };
    struct EditingCommand {
        std::string command;
        std::string argument;
    };
    struct PrintRequest {
        std::string path;
        Size pageSize;
        EdgeInsets margins;
        double magnification = 1;
    };

    explicit FakeWebView(const Rect& frame = {});

    // A web view factory for an editor under test: each view it makes is a
    // fake of the asked frame, and `made` points at the newest, so that the
    // test can play its page.
    static std::function<Result<std::unique_ptr<WebView>>(const Rect&)> factoryKeeping(FakeWebView*& made)
    {
        return [&made](const Rect& frame) -> Result<std::unique_ptr<WebView>> {
            auto view = std::make_unique<FakeWebView>(frame);
            made = view.get();
            return std::unique_ptr<WebView>(std::move(view));
        };
    }

    // Rules and answers.
    void answer(const std::string& script, std::string result);
    void answerMatching(const std::string& pattern, std::string result);
    // The answer is computed from the script, e.g. to echo a value back.
    void answerMatching(const std::string& pattern, std::function<std::string(const std::string& script)> result);
    void queueAnswer(std::string result);
    void clearRules();

    const std::vector<ScriptCall>& scripts() const { return m_scripts; }
    std::vector<std::string> scriptsMatching(const std::string& pattern) const;
    std::optional<std::string> lastScript() const;
    void clearScripts();

    // Held asynchronous evaluations, oldest first.
    size_t pendingCount() const { return m_pending.size(); }
    // Completes the oldest held evaluation with the answer it got when asked;
    // answers false when none was held.
    bool releaseNext();
    bool releaseNext(const std::string& overridingAnswer);
    // Completes every held evaluation, also those asked for by completions
    // run meanwhile; answers how many ran.
    size_t releaseAll();

    // The page's side.
    void sendPageMessage(const std::string& message);
    // Asks the delegate as a real navigation would; answers its decision.
    bool simulateNavigation(const std::string& url, NavigationType type = NavigationType::LinkClicked);
    void finishLoad();
    void failLoad(const std::string& message);
    // The page's process ends, as when it crashes.
    void terminateWebProcess(const std::string& reason);

    // What the test inspects.
    const std::string& loadedHTML() const { return m_html; }
    const std::string& loadedBaseURL() const { return m_baseURL; }
    int loadCount() const { return m_loadCount; }
    const std::vector<EditingCommand>& editingCommands() const { return m_editingCommands; }
    const std::vector<PrintRequest>& printRequests() const { return m_printRequests; }
    size_t snapshotRequestCount() const { return m_snapshotRequests; }
    // What snapshots and prints deliver; by default an error.
    void setSnapshotResult(Result<Image::Pointer> result);
    void setPrintResult(Status status);

    // WebView
    void setDelegate(WebViewDelegate* delegate) override { m_delegate = delegate; }
    WebViewDelegate* delegate() const override { return m_delegate; }
    void loadHTMLString(const std::string& html, const std::string& baseURL) override;
    bool isLoading() const override { return m_loading; }
    void evaluateJavaScript(const std::string& script, ScriptCompletion completion) override;
    std::string stringByEvaluatingJavaScript(const std::string& script) override;
    void executeEditingCommand(const std::string& command, const std::string& argument = {}) override;
    void setSpellCheckingEnabled(bool enabled) override { m_spellChecking = enabled; }
    bool isSpellCheckingEnabled() const override { return m_spellChecking; }
    Rect frame() const override { return m_frame; }
    void setFrame(const Rect& frame) override { m_frame = frame; }
    // Snapshots and prints complete at once with the configured result.
    void takeSnapshot(SnapshotRegion region, SnapshotCompletion completion) override;
    void printToPDF(const std::string& path, const Size& pageSize, const EdgeInsets& margins,
                    PrintCompletion completion, double magnification = 1) override;

private:
    struct Rule {
        std::optional<std::string> exact;
        std::regex pattern;
        std::function<std::string(const std::string&)> result;
    };
    struct Pending {
        std::string answer;
        ScriptCompletion completion;
    };

    std::string answerFor(const std::string& script);

    WebViewDelegate* m_delegate = nullptr;
    Rect m_frame;
    std::vector<Rule> m_rules;
    std::deque<std::string> m_queuedAnswers;
    std::vector<ScriptCall> m_scripts;
    std::deque<Pending> m_pending;
    std::vector<EditingCommand> m_editingCommands;
    std::vector<PrintRequest> m_printRequests;
    size_t m_snapshotRequests = 0;
    Result<Image::Pointer> m_snapshotResult;
    Status m_printResult;
    std::string m_html;
    std::string m_baseURL;
    int m_loadCount = 0;
    bool m_loading = false;
    bool m_spellChecking = false;
};

} // namespace folio
