#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class ViewController;

// The AI writing assistant the editors open over a document: it gets the
// selected text and later hands back text to insert. The service itself
// (prompting, network, models) lives outside the program; on this platform
// there is none, and the only implementation says so.
class WritingAssistant {
public:
    // What the assistant hands back: the plain text, its HTML, and how it
    // goes in (1 after the old selection, anything else in place of it).
    struct Answer {
        std::u16string text;
        std::u16string html;
        unsigned long insertionType = 0;
    };
    using AnswerHandler = std::function<void(const Answer&)>;

    static constexpr const char* kErrorDomain = "WritingAssistant";
    enum ErrorCode { NotAvailable = 1 };

    virtual ~WritingAssistant() = default;

    // The assistant's screen over `presenter`, for a document of the given
    // source type, with the selected text (empty for none); `answer` runs
    // for each text the user inserts. An error when it cannot open.
    virtual Status open(ViewController& presenter, int sourceType, const std::u16string& selectedText,
                        AnswerHandler answer) = 0;

    // The assistant this program has: one that is never available.
    static WritingAssistant& shared();
    // Tests put their own in place; null restores the shared one.
    static void setShared(WritingAssistant* assistant);
};

// The assistant of a platform without one: every opening fails with
// NotAvailable.
class UnavailableWritingAssistant : public WritingAssistant {
public:
    Status open(ViewController& presenter, int sourceType, const std::u16string& selectedText,
                AnswerHandler answer) override;
};

} // namespace folio
