#include "formats/rtf/DKRTFReader.h"

#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <iterator>

// The direction of runs and the fonts, sizes and languages of their
// complex-script and East Asian letters, each kept on the run as the file
// gave it.

namespace folio {

namespace {

using Letters = DKRTFScriptMarks::Letters;

// Word's number for text in no language, as under "\lang".
constexpr int kReaderNoLanguage = 0x400;

} // namespace

void DKRTFReader::keepScriptMarks(const DKRTFScriptMarks& marks)
{
    // Word repeats them on every run: a repeat keeps the group's set.
    if (marks != state().scriptMarks())
        state().setScriptMarks(marks);
}

void DKRTFReader::actionRunDirection(int rightToLeft)
{
    DKRTFScriptMarks marks = state().scriptMarks();
    marks.rightToLeft = rightToLeft != 0;
    state().setAssociatedLetters(Letters::ComplexScript);
    keepScriptMarks(marks);
}

void DKRTFReader::actionAssociatedLetters(int letters)
{
    constexpr Letters kLetters[] = {Letters::ComplexScript, Letters::EastAsian, Letters::HighAnsi, Letters::LowAnsi};
    if (letters >= 0 && letters < static_cast<int>(std::size(kLetters)))
        state().setAssociatedLetters(kLetters[letters]);
}

void DKRTFReader::actionAssociatedFont(int number)
{
    // Word names theme fonts its font table does not hold: no font.
    if (!m_fontTable.hasEntry(number))
        return;
    DKRTFScriptMarks marks = state().scriptMarks();
    switch (state().associatedLetters()) {
    case Letters::ComplexScript:
        marks.complexFont = number;
        break;
    case Letters::EastAsian:
        marks.eastAsianFont = number;
        break;
    case Letters::HighAnsi:
        marks.highAnsiFont = number;
        break;
    case Letters::LowAnsi:
        marks.lowAnsiFont = number;
        break;
    }
    keepScriptMarks(marks);
    // Plain Latin letters are low-ANSI ones: Word names their font this way
    // alone where a run says no "\f", as around a line break, and shows them
    // in it.
    if (state().associatedLetters() == Letters::LowAnsi)
        actionFontNumber(number);
}

void DKRTFReader::actionAssociatedFontSize(int halfPoints)
{
    // Sizes past any a word processor offers (1638 points) are damage.
    constexpr int kLargestHalfPoints = 3276;
    if (halfPoints <= 0 || halfPoints > kLargestHalfPoints)
        return;
    DKRTFScriptMarks marks = state().scriptMarks();
    marks.complexSize = halfPoints;
    keepScriptMarks(marks);
}

void DKRTFReader::actionAssociatedBold(int value)
{
    DKRTFScriptMarks marks = state().scriptMarks();
    marks.complexBold = value != 0;
    keepScriptMarks(marks);
}

void DKRTFReader::actionAssociatedItalic(int value)
{
    DKRTFScriptMarks marks = state().scriptMarks();
    marks.complexItalic = value != 0;
    keepScriptMarks(marks);
}

void DKRTFReader::actionAssociatedLanguage(int number)
{
    if (number <= 0 || number >= 0x10000)
        return;
    DKRTFScriptMarks marks = state().scriptMarks();
    marks.complexLanguage = number == kReaderNoLanguage ? 0 : static_cast<std::uint16_t>(number);
    keepScriptMarks(marks);
}

void DKRTFReader::keepScriptDefaults()
{
    DKRTFScriptDefaults defaults;
    for (const auto& entry : m_scriptDefaultNumbers) {
        const auto& word = entry.first;
        const auto number = entry.second;
        const auto& name = *std::find_if(DKRTFScriptDefaults::kWords.begin(), DKRTFScriptDefaults::kWords.end(),
                                         [&word](const auto& known) { return known.word == word; });
        if (!name.isFont)
            defaults.setLanguage(word, number);
        // Word names theme fonts its font table does not hold: no font.
        else if (m_fontTable.hasEntry(number))
            defaults.setFont(word, toUtf8(m_fontTable.fontNameAtIndex(number)));
    }
    if (!defaults.isEmpty())
        m_pageSettings.setScriptDefaults(defaults.serialized());
}

} // namespace folio
