#pragma once

#include "platform/ui/ViewController.h"

#include <cstddef>
#include <memory>
#include <string>

namespace folio {

class ActivityIndicatorView;
class Label;

// The statistics sheet: counts, averages, reading time and three readability
// scores of the text an editor hands it. The figures are computed on the
// first turn of the run loop after the sheet loads, so that it shows at once.
class StatisticsController : public ViewController {
public:
    void setDocumentText(std::u16string text) { m_documentText = std::move(text); }
    const std::u16string& documentText() const { return m_documentText; }

    void generateStatistics();
    void dismissPanel();

    // The reading time of a number of words at 180 words a minute.
    static std::u16string readingTimeForWordCount(std::size_t words);

    const std::shared_ptr<Label>& words() const { return m_words; }
    const std::shared_ptr<Label>& syllables() const { return m_syllables; }
    const std::shared_ptr<Label>& sentences() const { return m_sentences; }
    const std::shared_ptr<Label>& lines() const { return m_lines; }
    const std::shared_ptr<Label>& characters() const { return m_characters; }
    const std::shared_ptr<Label>& charactersnospaces() const { return m_charactersNoSpaces; }
    const std::shared_ptr<Label>& avgwordlength() const { return m_avgWordLength; }
    const std::shared_ptr<Label>& avgwordssentence() const { return m_avgWordsSentence; }
    const std::shared_ptr<Label>& readingtime() const { return m_readingTime; }
    const std::shared_ptr<Label>& readingEase() const { return m_readingEase; }
    const std::shared_ptr<Label>& smogIndex() const { return m_smogIndex; }
    const std::shared_ptr<Label>& automatedReadability() const { return m_automatedReadability; }
    const std::shared_ptr<ActivityIndicatorView>& statsCalculatingIndicator() const { return m_indicator; }
    std::size_t totalCharsWithSpaces() const { return m_totalCharsWithSpaces; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    std::u16string m_documentText;
    std::shared_ptr<Label> m_words, m_syllables, m_sentences, m_lines, m_characters, m_charactersNoSpaces;
    std::shared_ptr<Label> m_avgWordLength, m_avgWordsSentence, m_readingTime, m_readingEase, m_smogIndex,
        m_automatedReadability;
    std::shared_ptr<ActivityIndicatorView> m_indicator;
    std::size_t m_totalCharsWithSpaces = 0;
};

} // namespace folio
