#include "tools/statistics/StatisticsController.h"

#include "tools/ToolPanelPresentation.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/TextEnumeration.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/View.h"
#include "tools/statistics/RNTextStatistics.h"
#include "tools/ToolsText.h"

#include <optional>

namespace folio {

namespace {

std::size_t countOfCharactersInSet(const std::u16string& text, const CharacterSet& set)
{
    return componentsSeparatedByCharactersInSet(text, set).size() - 1;
}

// A score shown as a whole number; none shows "-" in place of the number.
std::u16string scoreLine(const char* key, std::optional<float> score)
{
    std::u16string format = localized(key);
    if (!score)
        return stringByReplacingOccurrencesOfString(format, u"%ld", u"-");
    auto whole = *score > 0 ? static_cast<std::int64_t>(*score) : 0;
    return formatString(format, {whole});
}

std::u16string countLine(const char* key, std::size_t count)
{
    return formatString(localized(key), {static_cast<std::int64_t>(count)});
}

} // namespace

void StatisticsController::loadView()
{
    auto root = std::make_shared<View>(makeRect(0, 0, 500, 500));
    root->setBackgroundColor(Color::colorWithWhite(1));
    double y = 20;
    auto addLabel = [&](std::shared_ptr<Label>& label) {
        label = std::make_shared<Label>(makeRect(20, y, 460, 28));
        root->addSubview(label);
        y += 32;
    };
    for (auto* label : {&m_words, &m_syllables, &m_sentences, &m_lines, &m_characters, &m_charactersNoSpaces,
                        &m_avgWordLength, &m_avgWordsSentence, &m_readingTime, &m_readingEase, &m_smogIndex,
                        &m_automatedReadability})
        addLabel(*label);
    m_indicator = std::make_shared<ActivityIndicatorView>(makeRect(440, 20, 40, 40));
    root->addSubview(m_indicator);
    setView(root);
}

void StatisticsController::viewWillAppear(bool)
{
    applyToolPanelBarColors(*this);
}

void StatisticsController::viewDidLoad()
{
    m_indicator->startAnimating();
    setPreferredContentSize(Size{500, 500});
    std::weak_ptr<StatisticsController> weak = sharedAs<StatisticsController>();
    RunLoop::main().post([weak] {
        if (auto self = weak.lock())
            self->generateStatistics();
    });
}

void StatisticsController::dismissPanel() { dismissViewControllerAnimated(true); }

std::u16string StatisticsController::readingTimeForWordCount(std::size_t words)
{
    constexpr std::size_t kWordsPerMinute = 180;
    constexpr std::size_t kWordsPerHour = kWordsPerMinute * 60;
    if (words < kWordsPerMinute)
        return localized("Not even a minute!");
    if (words < 2 * kWordsPerMinute)
        return localized("About a minute!");
    if (words < kWordsPerHour)
        return formatString(localized("About %ld minutes!"), {static_cast<std::int64_t>(words / kWordsPerMinute)});
    if (words < 2 * kWordsPerHour)
        return localized("About an hour!");
    return formatString(localized("About %ld hours!"), {static_cast<std::int64_t>(words / kWordsPerHour)});
}

void StatisticsController::generateStatistics()
{
    loadViewIfNeeded();
    std::u16string text = stringByReplacingOccurrencesOfString(m_documentText, u"\uFEFF", u"");
    while (!text.empty() && text.back() == u'\n')
        text.pop_back();

    static const CharacterSet counted = CharacterSet::whitespaceAndNewlineCharacterSet()
                                            .unionWithSet(CharacterSet::alphanumericCharacterSet())
                                            .unionWithSet(CharacterSet::punctuationCharacterSet())
                                            .unionWithSet(CharacterSet::symbolCharacterSet());
    m_totalCharsWithSpaces = countOfCharactersInSet(text, counted);
    std::size_t letters = countOfCharactersInSet(text, CharacterSet::letterCharacterSet());

    RNTextStatistics statistics(text);
    std::size_t wordCount = substringRanges(text, TextEnumerationUnit::Words).size();
    std::size_t sentenceCount = substringRanges(text, TextEnumerationUnit::Sentences).size();
    std::size_t lineCount = substringRanges(text, TextEnumerationUnit::Lines).size();

    double averageWordLength = wordCount && letters ? static_cast<double>(letters) / static_cast<double>(wordCount) : 0;
    double averageWordsPerSentence =
        sentenceCount ? static_cast<double>(wordCount) / static_cast<double>(sentenceCount) : 0;

    m_words->setText(countLine("Words: %ld", wordCount));
    m_syllables->setText(countLine("Approx. Syllables: %ld", statistics.syllableTotal()));
    m_sentences->setText(countLine("Sentences: %ld", sentenceCount));
    m_lines->setText(countLine("Lines: %ld", lineCount));
    m_characters->setText(countLine("Chars: %ld", m_totalCharsWithSpaces));
    m_charactersNoSpaces->setText(countLine("Chars (no spaces): %ld", letters));
    m_avgWordLength->setText(formatString(localized("Avg. Word Length: %.2f"), {averageWordLength}));
    m_avgWordsSentence->setText(formatString(localized("Avg. Words Per Sentence: %.2f"), {averageWordsPerSentence}));
    m_readingTime->setText(formatString(localized("Reading Time: %@"), {readingTimeForWordCount(wordCount)}));
    m_readingEase->setText(scoreLine("K. Reading Ease: %ld", statistics.fleschKincaidReadingEase()));
    m_smogIndex->setText(scoreLine("Smog Index: %ld", statistics.smogIndex()));
    m_automatedReadability->setText(scoreLine("Readibility Index: %ld", statistics.automatedReadabilityIndex()));
    m_indicator->stopAnimating();
    Presenter::current().viewContentDidChange(*this);
}

} // namespace folio
