#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class TextStorage;

// Counts the characters, words, lines, sentences and paragraphs of a text in
// the background and posts JOTTextCounterDidUpdateCountNotification (the
// counter as sender) with all five counts after each count. While a count
// runs, further requests wait and the latest is counted when it ends; edits
// of long texts are held back by a timer on the main run loop instead, so
// that typing in a long document does not count on every key.
//
// Main thread only, except the count itself, which runs on the executor.
class JOTTextCounter : public std::enable_shared_from_this<JOTTextCounter> {
public:
    enum Option : unsigned {
        CountCharacters = 1,
        CountWords = 2,
        CountLines = 4,
        CountSentences = 8,
        CountParagraphs = 16,
    };
    static constexpr const char* kDidUpdateCountNotification = "JOTTextCounterDidUpdateCountNotification";
    static constexpr const char* kComposedCharacterSequencesCountKey = "JOTTextCounterComposedCharacterSequencesCountKey";
    static constexpr const char* kWordCountKey = "JOTTextCounterWordCountKey";
    static constexpr const char* kLineCountKey = "JOTTextCounterLineCountKey";
    static constexpr const char* kSentenceCountKey = "JOTTextCounterSentenceCountKey";
    static constexpr const char* kParagraphCountKey = "JOTTextCounterParagraphCountKey";
    // Texts this long or longer wait for the timer while a count runs.
    static constexpr std::size_t kDelayedCountLength = 1001;
    static constexpr double kDelayedCountSeconds = 3.0;

    // Runs a count job; the shared high-priority concurrent queue unless given.
    using Executor = std::function<void(std::function<void()>)>;

    // Characters and words.
    static std::shared_ptr<JOTTextCounter> make(Executor executor = {});
    // 0 stands for words, sentences and paragraphs.
    static std::shared_ptr<JOTTextCounter> makeWithOptions(unsigned options, Executor executor = {});
    ~JOTTextCounter();

    // Allows counting and counts the text, unless counting is already allowed.
    void startCountingWithText(const std::u16string& text);
    // Later requests are ignored; a count under way still reports.
    void endCounting();
    // Counts even when counting is not allowed.
    void forceCountWithText(const std::u16string& text);
    // After each processed edit of the storage the counter follows.
    void textStorageDidProcessEditing(const std::shared_ptr<TextStorage>& storage);

    // The text without anything that looks like a tag.
    static std::u16string convertHTML(std::u16string text);
    // The characters that count: letters, digits, punctuation, symbols and
    // blanks (not line breaks, nor other control characters).
    static std::size_t countedCharacterCount(const std::u16string& text);
    // Words by the word rules of the current locale.
    static std::size_t wordCount(const std::u16string& text);

    unsigned textCountingOptions() const { return m_options; }
    std::size_t countOfComposedCharacterSequences() const { return m_counts.characters; }
    std::size_t countOfWords() const { return m_counts.words; }
    std::size_t countOfLines() const { return m_counts.lines; }
    std::size_t countOfSentences() const { return m_counts.sentences; }
    std::size_t countOfParagraphs() const { return m_counts.paragraphs; }
    bool isCounterRunning() const { return m_counterRunning; }
    bool didReceiveCountRequestWhileCounterWasRunning() const { return m_receivedRequestWhileRunning; }
    bool shouldAllowCount() const { return m_allowCount; }
    bool hasDelayedCount() const { return m_delayCountTimer != 0; }

private:
    struct Counts {
        std::size_t characters = 0;
        std::size_t words = 0;
        std::size_t lines = 0;
        std::size_t sentences = 0;
        std::size_t paragraphs = 0;
    };

    JOTTextCounter(unsigned options, Executor executor);
    void performCount(std::u16string text, bool force);
    static Counts count(const std::u16string& text, unsigned options, Counts previous);
    void countFinished(Counts counts);
    void postUpdateNotification();
    void cancelDelayedCount();

    unsigned m_options;
    Executor m_executor;
    Counts m_counts;
    bool m_counterRunning = false;
    bool m_receivedRequestWhileRunning = false;
    bool m_allowCount = false;
    std::u16string m_queuedText;
    std::uint64_t m_delayCountTimer = 0;
};

} // namespace folio
