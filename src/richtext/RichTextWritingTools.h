#pragma once

#include "platform/ui/ViewController.h"
#include "tools/assistant/WritingAssistant.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class LiveTextScannerSession;
class PageConnection;
class Pasteboard;
class UserDefaults;

// The rich-text editor's doors to the writing tools that live elsewhere:
// the text scanner, the statistics and name generator sheets, the research
// browser and the AI writing assistant. Each is given what it needs from the
// page, and what comes back goes into the page at the saved caret.
class RichTextWritingTools final : public WritingAssistantDelegate,
                                   public std::enable_shared_from_this<RichTextWritingTools> {
public:
    static constexpr const char* kWebClipLastUsedURLKey = "webClipLastUsedURL";
    static constexpr const char* kDefaultResearchPage = "https://en.wikipedia.org/";

    struct Host {
        // The document's view controller, which presents the sheets.
        std::function<std::shared_ptr<ViewController>()> documentViewController{};
        // The page's selection is collapsed (a caret only).
        std::function<bool()> hasSelection{};
        std::function<void()> endEditing{};
        // Inserts typed text at the caret, escaped, in the caret's style.
        std::function<void(const std::u16string& text)> insertTextInDocument{};
        std::function<void()> documentIsDirty{};
        std::function<bool()> internetConnected{};
        // Opens the research browser at the address, when the desktop has
        // a browser to open it in.
        std::function<void(const std::string& url)> openResearchBrowser{};
        std::function<bool(const std::string& url)> canOpenResearchBrowser{};
        std::function<void(double y)> setContentOffsetY{};
    };

    static std::shared_ptr<RichTextWritingTools> make(PageConnection& page, UserDefaults& defaults, Pasteboard& pasteboard,
                                                      Host host);
    ~RichTextWritingTools() override;

    LiveTextScannerSession& scanner() { return *m_scanner; }
    void insertTextFromLiveTextScanner();

    void showStatistics();
    void showNameGenerator();
    void hideStatistics();
    void showWebResearchBrowser();
    static std::u16string translateString(const std::u16string& text) { return text; }

    void wisperantAction() { showWisperant(ModalPresentationStyle::OverFullScreen); }
    void wisperantActionFromContextualMenu() { showWisperant(ModalPresentationStyle::FormSheet); }
    void showWisperant(ModalPresentationStyle style);
    void showNoConnectionAvailableAlert();
    // The text the assistant was last handed.
    const std::u16string& selectedSpeakText() const { return m_selectedText; }
    void writingAssistantInsertText(const std::u16string& text, const std::u16string& htmlText,
                                    WritingAssistantInsertion insertion) override;
    void writingAssistantDidFailWithError(const Error& error) override;
    // Inserts what the assistant left in its temporary file.
    Status addContentFromWisperant();

private:
    RichTextWritingTools(PageConnection& page, UserDefaults& defaults, Host host);
    void present(const std::shared_ptr<ViewController>& controller);
    std::u16string pageText();

    PageConnection& m_page;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<LiveTextScannerSession> m_scanner;
    std::u16string m_selectedText;
};

} // namespace folio
