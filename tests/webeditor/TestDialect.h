#pragma once

#include "webeditor/PageBridgeClient.h"
#include "webeditor/PageDialect.h"
#include "webeditor/PageMessage.h"

#include <string>
#include <vector>

namespace folio::test {

// A page dialect with recognisable scripts, and an editor that records what
// the bridge asks of it.
class TestDialect : public PageDialect {
public:
    std::string signal = "x-twwebview://dom-loaded";
    double delay = 0;

    std::string readySignal() const override { return signal; }
    double readyDelaySeconds() const override { return delay; }
    std::string undoScript() const override { return "undo();"; }
    std::string redoScript() const override { return "redo();"; }
    std::string canUndoScript() const override { return "canUndo();"; }
    std::string canRedoScript() const override { return "canRedo();"; }
    std::string scrollPositionScript() const override { return "scrollPosition();"; }
    std::string focusScript() const override { return "focus();"; }
};

class RecordingEditor : public PageBridgeClient {
public:
    bool document = true;
    int readySteps = 0;
    int finishedLoading = 0;
    std::vector<std::string> links;
    std::vector<std::string> processed;
    std::vector<std::string> terminations;
    std::vector<std::string> givenUp;

    bool hasDocument() const override { return document; }
    void pageDidBecomeReady() override { ++readySteps; }
    void openLinkInBrowser(const std::string& url) override { links.push_back(url); }
    void pageDidFinishLoading() override { ++finishedLoading; }
    void pageProcessDidTerminate(const std::string& reason) override { terminations.push_back(reason); }
    void pageCannotBeEdited(const std::string& reason) override { givenUp.push_back(reason); }
    void pageMessageWasProcessed(const PageMessage& message, bool handled) override
    {
        processed.push_back(message.token + (handled ? "" : "?"));
    }
};

} // namespace folio::test
