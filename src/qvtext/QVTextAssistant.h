#pragma once

#include "tools/assistant/WritingAssistant.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class BarButtonItem;
class PageConnection;
class UserDefaults;
class ViewController;

// The QV text editor's entry to the writing assistant: its bar item, the
// opening with the selected text (the selection is kept in the page as a
// bookmark), the insertion of what the assistant hands back at that
// bookmark, and the text that waits in a temporary file for the next page
// when the assistant answered while no editor was open.
class QVTextAssistant {
public:
    static constexpr const char* kWaitingKey = "insertTextFromWisperant";
    static constexpr const char* kBookmarkScript =
        "textSelectionBookmark = tinymce.activeEditor.selection.getBookmark();";
    static constexpr const char* kSelectedTextScript = "tinymce.activeEditor.selection.getContent({ format: 'text' });";
    // The page waits this long after it is ready before the waiting text goes in.
    static constexpr double kWaitingTextDelay = 1.0;

    struct Host {
        std::function<void()> documentIsDirty{};
        // What presents the assistant (the document's editor), and alerts.
        std::function<ViewController*()> presenter{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // Without a connection the application's own alert shows instead.
        std::function<bool()> internetConnected{};
        std::function<void()> showNoConnectionAvailableAlert{};
        // An editor that places answers its own way (the outline): it is
        // told when the assistant opens, and puts the answers in itself.
        std::function<void()> willOpen{};
        std::function<void(const std::u16string& text, unsigned insertionType)> insertAnswer{};
        std::function<void(const std::u16string& text)> insertWaitingText{};
    };

    // `sourceType` tells the assistant which editor asks.
    QVTextAssistant(PageConnection& page, UserDefaults& defaults, Host host,
                    WritingAssistant::SourceFileType sourceType = WritingAssistant::SourceFileType::QVText,
                    WritingAssistant* assistant = nullptr);
    ~QVTextAssistant();
    QVTextAssistant(const QVTextAssistant&) = delete;
    QVTextAssistant& operator=(const QVTextAssistant&) = delete;

    // Made on first use, titled "AI Assistant".
    const std::shared_ptr<BarButtonItem>& wisperantBarButtonItem();
    void showWisperant();
    // The assistant's answer, at the bookmark taken when it opened.
    void insertText(const std::u16string& text, WritingAssistantInsertion insertion);

    // The temporary file of the waiting text.
    static std::string waitingFilePath();
    // After the page is ready: when text waits, clears the flag and puts
    // the text in after kWaitingTextDelay.
    void pageDidBecomeReady();
    // Puts the waiting text into the page and removes its file; a missing
    // or unreadable file inserts nothing.
    void addContentFromWisperant();

private:
    void showUnavailable(const Error& error);

    PageConnection& m_page;
    UserDefaults& m_defaults;
    Host m_host;
    WritingAssistant::SourceFileType m_sourceType;
    WritingAssistant* m_assistant;
    // What the assistant reports to, while this entry lives.
    std::shared_ptr<WritingAssistantDelegate> m_delegate;
    std::shared_ptr<BarButtonItem> m_item;
    // Answers and delayed work must not reach an entry that is gone.
    std::shared_ptr<QVTextAssistant*> m_self;
};

} // namespace folio
