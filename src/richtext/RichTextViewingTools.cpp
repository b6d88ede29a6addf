#include "richtext/RichTextViewingTools.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/NetworkReachability.h"
#include "platform/services/TextRecognizer.h"
#include "webeditor/PageModeLayout.h"
#include "richtext/RichTextReadAloud.h"
#include "richtext/RichTextViewModes.h"
#include "richtext/RichTextWordCounter.h"
#include "richtext/RichTextWritingTools.h"
#include "richtext/TypewriterMode.h"
#include "tools/speech/ReadAloudController.h"

#include <array>

namespace folio {

namespace {

constexpr const char* kAddContentSelector = "addContentFromWisperant";
constexpr double kAddContentDelay = 1.0;

struct ActionEntry {
    const char* action;
    void (*run)(RichTextViewingTools&);
};

const std::array<ActionEntry, 5>& actions()
{
    static const std::array<ActionEntry, 5> entries{{
        {"pauseSpeak:", [](RichTextViewingTools& tools) { tools.speech->pauseSpeak(); }},
        {"resumeSpeak:", [](RichTextViewingTools& tools) { tools.speech->resumeSpeak(); }},
        {"cancelSpeak:", [](RichTextViewingTools& tools) { tools.speech->cancelSpeak(); }},
        {"speakSelectedText:", [](RichTextViewingTools& tools) { tools.readAloud->speakSelectedText(); }},
        {"wisperantActionFromContextualMenu:",
         [](RichTextViewingTools& tools) { tools.writingTools->wisperantActionFromContextualMenu(); }},
    }};
    return entries;
}

} // namespace

RichTextViewingTools::RichTextViewingTools() = default;
RichTextViewingTools::~RichTextViewingTools() { cancelPendingTasks(); }
RichTextViewingTools::RichTextViewingTools(RichTextViewingTools&&) noexcept = default;
RichTextViewingTools& RichTextViewingTools::operator=(RichTextViewingTools&&) noexcept = default;

void RichTextViewingTools::registerCommands(std::map<std::string, std::function<void()>>& commands,
                                            std::map<std::string, std::function<bool()>>& questions, UserDefaults& defaults)
{
    RichTextViewModes* views = modes.get();
    commands["fullScreenDocumentMode"] = [views] { views->fullScreenDocumentMode(); };
    commands["closeFullScreenDocumentMode"] = [views] { views->closeFullScreenDocumentMode(); };
    commands["toogleZoomTextMode"] = [views] { views->toogleZoomTextMode(); };
    commands["toggleNightMode"] = [views] { views->toggleNightMode(true); };
    commands["toggleDarkNightMode"] = [views] { views->toggleDarkNightMode(true); };
    commands["toggleSmartQuotes"] = [views] { views->toggleSmartQuotes(); };
    commands["toggleAutoCheckSpelling"] = [views] { views->toggleAutoCheckSpelling(); };
    commands["togglePageNumbers"] = [views] { views->togglePageNumbers(); };
    commands["toggleWordCounterVisible"] = [views] { views->toggleWordCounterVisible(); };
    commands["toggleTypeWriterSounds"] = [views] { views->toggleTypeWriterSounds(true); };
    commands["showInAppWebBrowser"] = [views] { views->showInAppWebBrowser(); };
    RichTextWordCounter* counter = wordCounter.get();
    commands["updateWordCounter"] = [counter] { counter->updateWordCounter(); };
    TypewriterMode* typing = typewriter.get();
    commands["typewriterMode"] = [typing] {
        typing->setIsTypewriterMode(true);
        typing->typewriterMode();
    };
    commands["exitTypeWriterMode"] = [typing] { typing->exitTypeWriterMode(); };
    ReadAloudController* speaking = speech.get();
    RichTextReadAloud* reading = readAloud.get();
    commands["readAloudFromCursorToEnd"] = [reading] { reading->readAloudFromCursorToEnd(); };
    commands["cancelSpeak"] = [speaking] { speaking->cancelSpeak(); };
    std::weak_ptr<RichTextWritingTools> weak = writingTools;
    auto tool = [weak](void (RichTextWritingTools::*member)()) {
        return [weak, member] {
            if (auto tools = weak.lock())
                ((*tools).*member)();
        };
    };
    commands["showStatistics"] = tool(&RichTextWritingTools::showStatistics);
    commands["showNameGenerator"] = tool(&RichTextWritingTools::showNameGenerator);
    commands["showWebResearchBrowser"] = tool(&RichTextWritingTools::showWebResearchBrowser);
    commands["insertTextFromLiveTextScanner"] = tool(&RichTextWritingTools::insertTextFromLiveTextScanner);
    commands["wisperantAction"] = tool(&RichTextWritingTools::wisperantAction);
    commands["showNoConnectionAvailableAlert"] = tool(&RichTextWritingTools::showNoConnectionAvailableAlert);
    questions["internetConnected"] = [] { return NetworkReachability::isNetworkAvailable(); };
    questions["wordCounterVisible"] = [&defaults] { return defaults.boolForKey("wordCounterVisible").value_or(false); };
    // The menu's own "Read Aloud" or "Cancel Read Aloud" follows the synthesizer.
    questions["isSpeaking"] = [speaking] { return speaking->synthesizerIsSpeaking() || speaking->synthesizerIsPaused(); };
    questions["canScanText"] = [] { return TextRecognizer::isAvailable(); };
}

void RichTextViewingTools::keyDown(UserDefaults& defaults)
{
    if (defaults.boolForKey("wordCounterVisible").value_or(false))
        wordCounter->scheduleUpdate();
    typewriter->playKeySound();
}

void RichTextViewingTools::pageDidBecomeReady(UserDefaults& defaults)
{
    modes->pageDidBecomeReady();
    speech->checkIfSpeechCompatible();
    if (defaults.boolForKey("wordCounterVisible").value_or(false))
        wordCounter->updateWordCounter();
    if (defaults.boolForKey("insertTextFromWisperant").value_or(false)) {
        defaults.setBool("insertTextFromWisperant", false);
        std::weak_ptr<RichTextWritingTools> weak = writingTools;
        RunLoop::main().performSelectorAfterDelay(this, kAddContentSelector, {}, kAddContentDelay, [weak] {
            if (auto tools = weak.lock()) {
                if (Status added = tools->addContentFromWisperant(); !added)
                    TELog(TELogLevelWarning, added.error().message);
            }
        });
    }
}

void RichTextViewingTools::viewDidLoad(UserDefaults& defaults)
{
    modes->resetZoom();
    bool sounds = defaults.boolForKey("typewriterSounds").value_or(false);
    typewriter->setTypeWriterSoundModeActivated(sounds);
    if (sounds)
        typewriter->loadTypewriterSounds(Resources::resourcesFolder());
}

bool RichTextViewingTools::respondsToAction(const std::string& action)
{
    for (const ActionEntry& entry : actions()) {
        if (action == entry.action)
            return true;
    }
    return false;
}

bool RichTextViewingTools::performAction(const std::string& action)
{
    for (const ActionEntry& entry : actions()) {
        if (action == entry.action) {
            entry.run(*this);
            return true;
        }
    }
    return false;
}

void RichTextViewingTools::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
    if (wordCounter)
        wordCounter->cancelPendingUpdate();
}

} // namespace folio
