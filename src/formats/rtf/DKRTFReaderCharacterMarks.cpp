#include "formats/rtf/DKRTFReader.h"

// The control words of languages and letter effects, each kept on the run
// as the file gave it.

namespace folio {

namespace {

// Word writes "\lang1024" for text in no language, and for text it does
// not check ("\noproof") it puts the real language after it, under
// "\langnp". Numbers no language has leave the run's language as it was.
constexpr int kNoLanguage = 0x400;

bool isLanguageNumber(int number) { return number > 0 && number < 0x10000; }
std::uint16_t languageOfNumber(int number) { return number == kNoLanguage ? 0 : static_cast<std::uint16_t>(number); }

} // namespace

void DKRTFReader::keepCharacterMarks(const DKRTFCharacterMarks& marks)
{
    // Word repeats the language on every run: a repeat keeps the group's
    // attribute set.
    if (marks != state().characterMarks())
        state().setCharacterMarks(marks);
}

void DKRTFReader::actionCapitals(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.capitals = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionSmallCapitals(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.smallCapitals = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionShadow(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.shadow = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionOutline(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.outline = value != 0;
    keepCharacterMarks(marks);
}

// Colour 0 is the automatic colour, the text's own, even where the table's
// first colour is a real one.
void DKRTFReader::actionUnderlineColor(int value)
{
    state().setUnderlineColor(value == 0 ? nullptr : m_colorTable.colorAtIndex(value));
}

void DKRTFReader::actionNoProofing(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.noProofing = value != 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionLanguage(int number)
{
    if (!isLanguageNumber(number))
        return;
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.language = languageOfNumber(number);
    keepCharacterMarks(marks);
}

void DKRTFReader::actionEastAsianLanguage(int number)
{
    if (!isLanguageNumber(number))
        return;
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.eastAsianLanguage = languageOfNumber(number);
    keepCharacterMarks(marks);
}

} // namespace folio
