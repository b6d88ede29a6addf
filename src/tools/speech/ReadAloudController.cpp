#include "tools/speech/ReadAloudController.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/View.h"
#include "tools/ToolsText.h"

namespace folio {

ReadAloudController::ReadAloudController(UserDefaults& defaults, MenuController& menu, Host host)
    : m_defaults(defaults), m_menu(menu), m_host(std::move(host))
{
}

ReadAloudController::~ReadAloudController()
{
    if (m_synthesizer) {
        m_synthesizer->setDelegate(nullptr);
        m_synthesizer->stopSpeaking();
    }
}

std::vector<std::u16string> ReadAloudController::utterancePieces(const std::u16string& text)
{
    std::vector<std::u16string> pieces;
    std::size_t start = 0;
    while (true) {
        std::size_t stop = text.find(u'.', start);
        if (stop == std::u16string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
}

std::string ReadAloudController::language() const
{
    return m_host.primaryLanguage ? m_host.primaryLanguage() : std::string();
}

void ReadAloudController::readAloudText(const std::u16string& text)
{
    if (m_synthesizer) {
        m_synthesizer->setDelegate(nullptr);
        m_synthesizer->stopSpeaking();
    }
    m_synthesizer = m_host.makeSynthesizer ? m_host.makeSynthesizer() : std::make_unique<SpeechSynthesizer>();
    m_synthesizer->setDelegate(this);
    std::string voice = language();
    m_textUterances = utterancePieces(text);
    m_totalUtterances = m_textUterances.size();
    m_completedUtterances = 0;
    float rate = m_defaults.floatForKey(kSpeechSpeedKey).value_or(0);
    m_rate = rate != 0 ? rate : SpeechSynthesizer::kDefaultSpeechRate;
    // A language without a voice is queued as it is: the engine then speaks
    // with its default voice.
    for (const std::u16string& piece : m_textUterances)
        m_synthesizer->speakUtterance(SpeechUtterance{piece, m_rate, voice, kPostUtteranceDelay});
}

bool ReadAloudController::synthesizerIsSpeaking() const
{
    return m_synthesizer && m_synthesizer->isSpeaking() && !m_synthesizer->isPaused();
}

bool ReadAloudController::synthesizerIsPaused() const
{
    return m_synthesizer && m_synthesizer->isPaused();
}

void ReadAloudController::checkIfSpeechCompatible()
{
    m_voiceLanguage = language();
    m_existVoiceForLanguage.reset();
}

bool ReadAloudController::existVoiceForLanguage() const
{
    if (!m_existVoiceForLanguage) {
        m_existVoiceForLanguage = false;
        for (const SpeechVoice& voice : SpeechSynthesizer::speechVoices()) {
            if (voice.language == m_voiceLanguage) {
                m_existVoiceForLanguage = true;
                break;
            }
        }
    }
    return *m_existVoiceForLanguage;
}

void ReadAloudController::setMenuItems(bool paused)
{
    m_menu.setMenuItems({{localized(paused ? "Resume" : "Pause"), paused ? "resumeSpeak:" : "pauseSpeak:"},
                         {localized("Cancel"), "cancelSpeak:"}});
}

void ReadAloudController::showSpeakMenu()
{
    if (m_host.endEditing)
        m_host.endEditing();
    setMenuItems(false);
    showMenu();
}

void ReadAloudController::showMenu()
{
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    if (view)
        m_menu.showMenuAtBarButtonItem(view, Rect{{view->frame().size.width / 2 - 100, 0}, {200, 20}},
                                       m_host.menuItem ? m_host.menuItem() : nullptr);
}

void ReadAloudController::pauseSpeak()
{
    if (m_synthesizer && !m_synthesizer->isPaused())
        m_synthesizer->pauseSpeaking();
    setMenuItems(true);
    // The menu closed as its item was picked: it comes back with Resume,
    // the reader's only way on.
    if (isSpeaking())
        showMenu();
}

void ReadAloudController::resumeSpeak()
{
    if (m_synthesizer && m_synthesizer->isPaused())
        m_synthesizer->continueSpeaking();
    setMenuItems(false);
    if (isSpeaking())
        showMenu();
}

void ReadAloudController::cancelSpeak()
{
    if (!m_synthesizer || !(m_synthesizer->isSpeaking() || m_synthesizer->isPaused()))
        return;
    if (m_synthesizer->isPaused())
        m_synthesizer->continueSpeaking();
    m_synthesizer->stopSpeaking();
    m_totalUtterances = m_completedUtterances;
    if (m_host.showSpokenText)
        m_host.showSpokenText({});
    if (m_host.regenerateToolsMenu)
        m_host.regenerateToolsMenu();
    m_menu.hideMenu();
}

void ReadAloudController::speakAppWillEnterForeground()
{
    if (synthesizerIsSpeaking() || synthesizerIsPaused()) {
        m_synthesizer->pauseSpeaking();
        pauseSpeak();
    }
}

void ReadAloudController::checkifWasSpeakingMode()
{
    if (synthesizerIsSpeaking())
        showSpeakMenu();
    else if (synthesizerIsPaused())
        pauseSpeak();
}

void ReadAloudController::speechSynthesizerWillSpeakRange(Range range, const SpeechUtterance& utterance)
{
    if (!m_host.showSpokenText || range.location > utterance.speechString.size())
        return;
    m_host.showSpokenText(utterance.speechString.substr(range.location, range.length));
}

void ReadAloudController::speechSynthesizerDidFinishUtterance(const SpeechUtterance&)
{
    if (++m_completedUtterances < m_totalUtterances)
        return;
    if (m_menu.isMenuVisible())
        m_menu.hideMenu();
    if (m_synthesizer)
        m_synthesizer->stopSpeaking();
    if (m_host.showSpokenText)
        m_host.showSpokenText({});
    if (m_host.regenerateToolsMenu)
        m_host.regenerateToolsMenu();
}

} // namespace folio
