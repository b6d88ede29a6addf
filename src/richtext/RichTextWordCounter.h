#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class Label;

// The character and word count of the page, or of its selection, in the
// editor's one-line banner (shared with the margins' read-out: whichever
// wrote last shows). The page-event handler asks for a recount a moment
// after the last key.
class RichTextWordCounter {
public:
    static constexpr double kRecountDelay = 1.5;
    static constexpr const char* kSelector = "updateWordCounter";

    struct Counts {
        std::size_t characters = 0;
        std::size_t words = 0;
    };

    struct Host {
        // The page's text: all of it with a bare caret, else the selection.
        std::function<std::u16string(bool wholeText)> readText{};
        // The page's selection is collapsed (a caret only).
        std::function<bool()> hasSelection{};
        std::function<std::shared_ptr<Label>()> banner{};
        // Runs a measuring script and answers its number.
        std::function<long long(const std::string& script)> readInteger{};
    };

    explicit RichTextWordCounter(Host host) : m_host(std::move(host)) {}
    ~RichTextWordCounter();
    RichTextWordCounter(const RichTextWordCounter&) = delete;
    RichTextWordCounter& operator=(const RichTextWordCounter&) = delete;

    // U+FEFF placeholders are left out before counting.
    static Counts count(std::u16string text);
    static std::u16string bannerText(Counts counts);

    void updateWordCounter();
    // Cancels a pending recount and asks for one after kRecountDelay.
    void scheduleUpdate();
    void cancelPendingUpdate();
    void updateHourTopAlertBar();
    long long getEditorContentSize();

    std::size_t totalCharsWithSpaces() const { return m_counts.characters; }
    std::size_t globalTotalWords() const { return m_counts.words; }

private:
    Host m_host;
    Counts m_counts;
};

} // namespace folio
