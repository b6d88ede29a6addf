#include "qvtext/QVTextAssistant.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <filesystem>

namespace folio {

namespace {

std::u16string assistantText(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

// The assistant's plain answer as page content: its characters as they are,
// its line ends as line breaks.
std::u16string answerHTML(const std::u16string& text)
{
    std::u16string escaped = HTMLTextEscaper::escape(text);
    std::u16string html;
    html.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        char16_t c = escaped[i];
        if (c == u'\r' && i + 1 < escaped.size() && escaped[i + 1] == u'\n')
            continue;
        if (c == u'\n' || c == u'\r')
            html += u"<br>";
        else
            html += c;
    }
    return html;
}

class AssistantListener : public WritingAssistantDelegate {
public:
    explicit AssistantListener(QVTextAssistant& entry) : m_entry(entry) {}
    void writingAssistantInsertText(const std::u16string& text, const std::u16string&, WritingAssistantInsertion insertion) override
    {
        m_entry.insertText(text, insertion);
    }
    void writingAssistantDidFailWithError(const Error&) override {}

private:
    QVTextAssistant& m_entry;
};

} // namespace

QVTextAssistant::QVTextAssistant(PageConnection& page, UserDefaults& defaults, Host host,
                                 WritingAssistant::SourceFileType sourceType, WritingAssistant* assistant)
    : m_page(page)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_sourceType(sourceType)
    , m_assistant(assistant)
    , m_delegate(std::make_shared<AssistantListener>(*this))
    , m_self(std::make_shared<QVTextAssistant*>(this))
{
}

QVTextAssistant::~QVTextAssistant()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

const std::shared_ptr<BarButtonItem>& QVTextAssistant::wisperantBarButtonItem()
{
    if (!m_item) {
        std::weak_ptr<QVTextAssistant*> self = m_self;
        m_item = BarButtonItem::withSymbol("AIAssistantPrompt", [self](BarButtonItem&) {
            if (auto alive = self.lock())
                (*alive)->showWisperant();
        });
        m_item->setTitle(assistantText("AI Assistant"));
    }
    return m_item;
}

void QVTextAssistant::showWisperant()
{
    if (m_host.internetConnected && !m_host.internetConnected()) {
        if (m_host.showNoConnectionAvailableAlert)
            m_host.showNoConnectionAvailableAlert();
        return;
    }
    ViewController* presenter = m_host.presenter ? m_host.presenter() : nullptr;
    if (!presenter)
        return;
    m_page.send(kBookmarkScript);
    if (m_host.willOpen)
        m_host.willOpen();
    std::u16string selected = toUtf16(m_page.readString(kSelectedTextScript));
    WritingAssistant& assistant = m_assistant ? *m_assistant : WritingAssistant::shared();
    Status opened = assistant.open(*presenter, m_delegate, m_sourceType, selected);
    if (!opened)
        showUnavailable(opened.error());
}

void QVTextAssistant::showUnavailable(const Error& error)
{
    TELog(TELogLevelInfo, "The writing assistant did not open: " + error.message);
    auto alert = AlertController::make(assistantText("AI Assistant"), toUtf16(error.message));
    alert->addAction(AlertAction::make(assistantText("OK"), AlertActionStyle::Default));
    if (m_host.present)
        m_host.present(alert);
}

void QVTextAssistant::insertText(const std::u16string& text, WritingAssistantInsertion insertion)
{
    if (m_host.insertAnswer) {
        m_host.insertAnswer(text, static_cast<unsigned>(insertion));
        return;
    }
    // After the selection keeps the old selection and puts the answer after it.
    if (insertion == WritingAssistantInsertion::AfterSelection)
        m_page.send("tinymce.activeEditor.selection.moveToBookmark(textSelectionBookmark);"
                    "tinymce.activeEditor.selection.collapse();");
    m_page.send(PageScript::fill("tinymce.activeEditor.selection.moveToBookmark(textSelectionBookmark);"
                                 "tinymce.activeEditor.selection.setContent({});tinymce.activeEditor.undoManager.add();",
                                 {std::u16string_view(answerHTML(text))}));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

std::string QVTextAssistant::waitingFilePath()
{
    return WritingAssistant::temporaryFilePath();
}

void QVTextAssistant::pageDidBecomeReady()
{
    if (!m_defaults.boolForKey(kWaitingKey).value_or(false))
        return;
    m_defaults.setBool(kWaitingKey, false);
    m_defaults.synchronize();
    std::weak_ptr<QVTextAssistant*> self = m_self;
    RunLoop::main().performSelectorAfterDelay(this, "addContentFromWisperant", {}, kWaitingTextDelay, [self] {
        if (auto alive = self.lock())
            (*alive)->addContentFromWisperant();
    });
}

void QVTextAssistant::addContentFromWisperant()
{
    std::string path = waitingFilePath();
    Result<Data> read = Data::dataWithContentsOfFile(path);
    if (!read) {
        TELog(TELogLevelWarning, "No waiting text of the writing assistant: " + read.error().message);
        return;
    }
    std::u16string html = toUtf16(read->stringView());
    // Inserted once: the file goes whether or not it held anything.
    if (Status removed = FileManager::removeItem(path); !removed)
        TELog(TELogLevelWarning, "The writing assistant's waiting text stays: " + removed.error().message);
    if (html.empty())
        return;
    if (m_host.insertWaitingText) {
        m_host.insertWaitingText(html);
        return;
    }
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('mceInsertContent',false,{});", {std::u16string_view(html)}));
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

} // namespace folio
