#include "formats/rtf/DKRTFReader.h"

#include <algorithm>
#include <cctype>

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
    // TextEdit gives each shadow's measures after it; a shadow without
    // them is a word processor's plain one.
    marks.shadowMeasures.reset();
    keepCharacterMarks(marks);
}

template <typename Change> void DKRTFReader::changeShadowMeasures(Change change)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    if (!marks.shadowMeasures)
        marks.shadowMeasures.emplace();
    change(*marks.shadowMeasures);
    keepCharacterMarks(marks);
}

void DKRTFReader::actionShadowX(int twips)
{
    changeShadowMeasures([twips](auto& measures) { measures.x = twips; });
}

void DKRTFReader::actionShadowY(int twips)
{
    changeShadowMeasures([twips](auto& measures) { measures.y = twips; });
}

void DKRTFReader::actionShadowBlur(int twips)
{
    // A blur has no direction: a negative one is damage.
    changeShadowMeasures([twips](auto& measures) { measures.blur = std::max(twips, 0); });
}

void DKRTFReader::actionShadowOpacity(int value)
{
    changeShadowMeasures([value](auto& measures) { measures.opacity = std::clamp(value, 0, 255); });
}

void DKRTFReader::actionShadowColor(int value)
{
    auto color = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
    changeShadowMeasures([&color](auto& measures) { measures.color = color; });
}

void DKRTFReader::actionCharacterShading(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    // Each shading is named afresh from its share, the pattern after it.
    marks.shading.shading = std::clamp(value, 0, 10000);
    marks.shading.pattern = 0;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionCharacterShadingPattern(int pattern)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.shading.pattern = pattern;
    keepCharacterMarks(marks);
}

void DKRTFReader::actionCharacterPatternColor(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.shading.color = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
    keepCharacterMarks(marks);
}

void DKRTFReader::actionCharacterFillColor(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.shading.fill = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
    keepCharacterMarks(marks);
}

void DKRTFReader::actionParagraphShading(int value)
{
    DKRTFCharacterMarks::Shading& shading = state().mutableParagraph().shading;
    shading.shading = std::clamp(value, 0, 10000);
    shading.pattern = 0;
}

void DKRTFReader::actionParagraphShadingPattern(int pattern) { state().mutableParagraph().shading.pattern = pattern; }

void DKRTFReader::actionParagraphFrameWord(int value)
{
    // Folio lays the paragraph out in the text; the word goes back into a
    // save as it came.
    std::string& frame = state().mutableParagraph().frame;
    // A word said again replaces what it said before.
    for (std::size_t at = frame.find(m_keywordName); at != std::string::npos; at = frame.find(m_keywordName, at + 1)) {
        const std::size_t end = at + m_keywordName.size();
        if (at == 0 || frame[at - 1] != '\\' || (end < frame.size() && std::isalpha(static_cast<unsigned char>(frame[end]))))
            continue;
        const std::size_t next = frame.find('\\', end);
        frame.erase(at - 1, next == std::string::npos ? std::string::npos : next - at + 1);
        break;
    }
    frame += '\\';
    frame += m_keywordName;
    if (value != kNoFrameParameter)
        frame += std::to_string(value);
}

void DKRTFReader::actionParagraphPatternColor(int value)
{
    state().mutableParagraph().shading.color = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
}

void DKRTFReader::actionParagraphFillColor(int value)
{
    state().mutableParagraph().shading.fill = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
}

void DKRTFReader::actionKerning(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.kerning = std::clamp(value, 0, 0xFFFF);
    keepCharacterMarks(marks);
}

// "\strokewidth0" ends the stroke.
void DKRTFReader::actionStrokeWidth(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    // A stroke wider than the letters draws no letters: the widest kept is
    // twice the font size.
    constexpr int kWidest = 200 * 20;
    marks.strokeWidth = value == 0 ? std::nullopt : std::optional<int>(std::clamp(value, -kWidest, kWidest));
    keepCharacterMarks(marks);
}

void DKRTFReader::actionStrokeColor(int value)
{
    DKRTFCharacterMarks marks = state().characterMarks();
    marks.strokeColor = value <= 0 ? nullptr : m_colorTable.colorAtIndex(value);
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
