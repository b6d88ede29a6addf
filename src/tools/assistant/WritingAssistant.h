#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class ViewController;

// Where the assistant's text goes in the page.
enum class WritingAssistantInsertion : unsigned {
    ReplaceSelection = 0,
    AfterSelection = 1,
};

// What the assistant reports to the editor that opened it.
class WritingAssistantDelegate {
public:
    virtual ~WritingAssistantDelegate() = default;
    // `text` goes into the page; `htmlText` is the same result as HTML.
    virtual void writingAssistantInsertText(const std::u16string& text, const std::u16string& htmlText,
                                            WritingAssistantInsertion insertion) = 0;
    virtual void writingAssistantDidFailWithError(const Error& error) = 0;
};

// The AI writing assistant every editor opens: a panel that takes the
// selected text and reports its results through the delegate, or, while no
// editor is open, through the file temporaryFileName() in the temporary
// folder. The editor it reports to is the one that opened it last.
class WritingAssistant {
public:
    // Which editor opens it; the assistant words its offers by it.
    enum class SourceFileType { QVText = 1, RichText = 2 };

    static constexpr const char* kTemporaryFileName = "wispgen-temp.text";

    virtual ~WritingAssistant() = default;

    virtual bool isAvailable() const = 0;
    // Presents the assistant from `presenter` with the selection (empty for
    // none), or answers why it cannot.
    virtual Status open(ViewController& presenter, std::weak_ptr<WritingAssistantDelegate> delegate, SourceFileType source,
                        const std::u16string& selectedText) = 0;

    // The process's assistant.
    static WritingAssistant& shared();
    // A test's or another build's assistant instead; null restores the default.
    static void setShared(std::shared_ptr<WritingAssistant> assistant);
    // Where waiting results are left for the next editor.
    static std::string temporaryFilePath();
};

// The assistant of builds that cannot reach its service: it is never
// available, and says so.
class UnavailableWritingAssistant final : public WritingAssistant {
public:
    bool isAvailable() const override { return false; }
    Status open(ViewController& presenter, std::weak_ptr<WritingAssistantDelegate> delegate, SourceFileType source,
                const std::u16string& selectedText) override;
};

} // namespace folio
