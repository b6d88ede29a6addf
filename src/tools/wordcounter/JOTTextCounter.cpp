#include "tools/wordcounter/JOTTextCounter.h"

#include "formats/markdown/BKDMarkdown.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TextEnumeration.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/TextStorage.h"

#include <algorithm>

namespace folio {

namespace {

constexpr unsigned kDefaultOptions = JOTTextCounter::CountCharacters | JOTTextCounter::CountWords;
constexpr unsigned kOptionsForZero =
    JOTTextCounter::CountWords | JOTTextCounter::CountSentences | JOTTextCounter::CountParagraphs;

// What the character count counts: control characters other than blanks
// and line breaks do not.
const CharacterSet& countedCharacters()
{
    // Never destroyed: a count may still run on its worker while the process exits.
    static const CharacterSet& set = *new CharacterSet(CharacterSet::whitespaceCharacterSet()
                                                           .unionWithSet(CharacterSet::alphanumericCharacterSet())
                                                           .unionWithSet(CharacterSet::punctuationCharacterSet())
                                                           .unionWithSet(CharacterSet::symbolCharacterSet()));
    return set;
}

std::size_t countMembers(const std::u16string& text, const CharacterSet& set)
{
    std::size_t count = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        char32_t codePoint = text[index];
        if (isHighSurrogate(text[index]) && index + 1 < text.size() && isLowSurrogate(text[index + 1])) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[index + 1] - 0xDC00);
            ++index;
        }
        if (set.longCharacterIsMember(codePoint))
            ++count;
    }
    return count;
}

// Sentences and paragraphs made only of blanks and line breaks are none.
std::size_t countNonBlank(const std::u16string& text, TextEnumerationUnit unit)
{
    const CharacterSet& blank = CharacterSet::whitespaceAndNewlineCharacterSet();
    std::size_t count = 0;
    for (Range range : substringRanges(text, unit)) {
        std::u16string_view piece(text.data() + range.location, range.length);
        if (blank.spanMembers(piece) < piece.size())
            ++count;
    }
    return count;
}

} // namespace

std::shared_ptr<JOTTextCounter> JOTTextCounter::make(Executor executor)
{
    return std::shared_ptr<JOTTextCounter>(new JOTTextCounter(kDefaultOptions, std::move(executor)));
}

std::shared_ptr<JOTTextCounter> JOTTextCounter::makeWithOptions(unsigned options, Executor executor)
{
    return std::shared_ptr<JOTTextCounter>(new JOTTextCounter(options ? options : kOptionsForZero, std::move(executor)));
}

JOTTextCounter::JOTTextCounter(unsigned options, Executor executor)
    : m_options(options), m_executor(std::move(executor))
{
    if (!m_executor) {
        m_executor = [](std::function<void()> job) {
            DispatchQueue::global(DispatchQueue::Priority::High).async(std::move(job));
        };
    }
}

JOTTextCounter::~JOTTextCounter() { cancelDelayedCount(); }

void JOTTextCounter::cancelDelayedCount()
{
    if (m_delayCountTimer)
        RunLoop::main().invalidate(m_delayCountTimer);
    m_delayCountTimer = 0;
}

void JOTTextCounter::startCountingWithText(const std::u16string& text)
{
    if (m_allowCount)
        return;
    m_allowCount = true;
    performCount(text, false);
}

void JOTTextCounter::endCounting() { m_allowCount = false; }

void JOTTextCounter::forceCountWithText(const std::u16string& text) { performCount(text, true); }

void JOTTextCounter::textStorageDidProcessEditing(const std::shared_ptr<TextStorage>& storage)
{
    if (!storage)
        return;
    if (storage->length() >= kDelayedCountLength && m_counterRunning) {
        if (m_delayCountTimer && RunLoop::main().isPending(m_delayCountTimer))
            return;
        std::weak_ptr<JOTTextCounter> weakSelf = weak_from_this();
        std::weak_ptr<TextStorage> weakStorage = storage;
        m_delayCountTimer = RunLoop::main().scheduleTimer(kDelayedCountSeconds, false, [weakSelf, weakStorage] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->m_delayCountTimer = 0;
            if (auto storage = weakStorage.lock())
                self->performCount(storage->string(), false);
        });
        return;
    }
    cancelDelayedCount();
    performCount(storage->string(), false);
}

void JOTTextCounter::performCount(std::u16string text, bool force)
{
    if (!m_allowCount && !force)
        return;
    if (m_counterRunning) {
        // Only the latest text matters: it is counted when this count ends.
        m_queuedText = std::move(text);
        m_receivedRequestWhileRunning = true;
        return;
    }
    m_counterRunning = true;
    m_receivedRequestWhileRunning = false;
    std::weak_ptr<JOTTextCounter> weakSelf = weak_from_this();
    unsigned options = m_options;
    Counts previous = m_counts;
    m_executor([weakSelf, text = std::move(text), options, previous] {
        Counts counts = count(text, options, previous);
        dispatchAsyncMain([weakSelf, counts] {
            if (auto self = weakSelf.lock())
                self->countFinished(counts);
        });
    });
}

JOTTextCounter::Counts JOTTextCounter::count(const std::u16string& text, unsigned options, Counts counts)
{
    // Characters are those the reader sees, so the Markdown is rendered
    // first; the other units are counted in the source as typed.
    std::u16string plain = BKDMarkdown(text).plainText();
    if (plain.empty()) {
        counts.characters = 0;
        counts.words = 0;
    } else if (options & CountCharacters) {
        counts.characters = countedCharacterCount(plain);
    }
    if (options & CountWords)
        counts.words = wordCount(text);
    if (options & CountLines)
        counts.lines = substringRanges(text, TextEnumerationUnit::Lines).size();
    if (options & CountSentences)
        counts.sentences = countNonBlank(text, TextEnumerationUnit::Sentences);
    if (options & CountParagraphs)
        counts.paragraphs = countNonBlank(text, TextEnumerationUnit::Paragraphs);
    return counts;
}

std::size_t JOTTextCounter::countedCharacterCount(const std::u16string& text)
{
    return countMembers(text, countedCharacters());
}

std::size_t JOTTextCounter::wordCount(const std::u16string& text)
{
    return substringRanges(text, TextEnumerationUnit::Words).size();
}

void JOTTextCounter::countFinished(Counts counts)
{
    m_counts = counts;
    m_counterRunning = false;
    if (m_receivedRequestWhileRunning) {
        m_receivedRequestWhileRunning = false;
        performCount(std::exchange(m_queuedText, {}), false);
    }
    postUpdateNotification();
}

void JOTTextCounter::postUpdateNotification()
{
    UserInfo info;
    info.set(kComposedCharacterSequencesCountKey, m_counts.characters);
    info.set(kWordCountKey, m_counts.words);
    info.set(kLineCountKey, m_counts.lines);
    info.set(kSentenceCountKey, m_counts.sentences);
    info.set(kParagraphCountKey, m_counts.paragraphs);
    NotificationQueue::defaultQueue().enqueueNotification(
        Notification{kDidUpdateCountNotification, this, std::move(info)}, NotificationQueue::PostingStyle::Now,
        NotificationQueue::CoalescingOnName | NotificationQueue::CoalescingOnSender);
}

std::u16string JOTTextCounter::convertHTML(std::u16string text)
{
    // Removing the leftmost "<[^>]+>" again and again from the start comes
    // to the same as one pass from left to right.
    std::u16string result;
    result.reserve(text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        if (text[index] == u'<') {
            std::size_t close = text.find(u'>', index + 1);
            if (close != std::u16string::npos && close > index + 1) {
                index = close + 1;
                continue;
            }
        }
        result.push_back(text[index++]);
    }
    return result;
}

} // namespace folio
