#include "formats/rtf/DKRTFReaderListTable.h"

#include "formats/rtf/DKRTFReaderState.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UnitSearch.h"

#include <array>
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace folio {

namespace {

constexpr std::u16string_view kLevelMarker = u"levelmarker";
constexpr int kNoPreviousLevel = 999;

// Markers outside the text and no image: how our writer describes every list.
AttributeValuePtr newListStyle(unsigned listType, std::int64_t start = 1,
                               std::optional<TECSSListStyle::MarkerText> markerText = std::nullopt,
                               std::optional<int> markerHalfPoints = std::nullopt)
{
    auto style = std::make_shared<TECSSListStyle>();
    style->setPosition(TECSSListStylePosition::Outside);
    style->setType(static_cast<TECSSListStyleType>(listType));
    // Lists numbered from 1 keep the style our own files have always read as.
    if (start != 1)
        style->setStartingItemNumber(start);
    style->setMarkerText(std::move(markerText));
    style->setMarkerHalfPoints(markerHalfPoints);
    return style;
}

AttributeValuePtr markerValue(std::u16string_view value)
{
    return StringValue::make(std::u16string(value));
}

// The keys and markers list paragraphs add. A long document has thousands
// of list paragraphs, and these never change: they are made once.
struct ListEntries {
    AttributeKey lists{TETextListsAttribute};
    AttributeKey isList{TETextIsListAttribute};
    AttributeKey field{TEFieldAttribute};
    AttributeKey endOfList{TETextEndOfListAttribute};
    AttributeKey endOfAllLists{TETextEndOfAllOpenedLists};
    AttributeValuePtr fieldMarker = markerValue(TEFieldAttributeValue);
    AttributeValuePtr endOfListMarker = markerValue(TETextEndOfListAttributeValue);
    AttributeValuePtr endOfAllListsMarker = markerValue(TETextEndOfAllOpenedListsValue);
};

const ListEntries& listEntries()
{
    static const ListEntries entries;
    return entries;
}

} // namespace

unsigned DKRTFReaderListTable::typeOfMarker(std::u16string_view level)
{
    // Earlier names win: "{decimal" must be found before a later marker of
    // the same level could match another name.
    static constexpr std::array<std::pair<std::u16string_view, TECSSListStyleType>, 11> kMarkers{{
        {u"{decimal", TECSSListStyleType::Decimal},
        {u"{disc", TECSSListStyleType::Disc},
        {u"{circle", TECSSListStyleType::Circle},
        {u"{diamond", TECSSListStyleType::Diamond},
        {u"{square", TECSSListStyleType::Square},
        {u"{hyphen", TECSSListStyleType::Hyphen},
        {u"{check", TECSSListStyleType::Check},
        {u"{upper-alpha", TECSSListStyleType::UpperAlpha},
        {u"{lower-alpha", TECSSListStyleType::LowerAlpha},
        {u"{upper-roman", TECSSListStyleType::UpperRoman},
        {u"{lower-roman", TECSSListStyleType::LowerRoman},
    }};
    for (const auto& [marker, type] : kMarkers) {
        if (level.find(marker) != std::u16string_view::npos)
            return static_cast<unsigned>(type);
    }
    return static_cast<unsigned>(TECSSListStyleType::Disc);
}

std::optional<int> DKRTFReaderListTable::numberFormatOf(std::u16string_view level, std::size_t numberFormat)
{
    if (numberFormat == std::u16string_view::npos)
        return std::nullopt;
    const std::size_t digits = numberFormat + 9;
    if (digits < level.size() && level[digits] >= u'0' && level[digits] <= u'9')
        return intValue(std::u16string(level.substr(digits, 4)));
    return std::nullopt;
}

TEListNumbering DKRTFReaderListTable::numberingOfFormat(std::optional<int> format)
{
    switch (format.value_or(0)) {
    case 5:
        return TEListNumbering::Ordinal;
    case 10:
    case 11:
    case 33:
    case 35:
    case 37:
    case 39:
        return TEListNumbering::ChineseCounting;
    case 12:
        return TEListNumbering::KatakanaAiueoNarrow;
    case 13:
        return TEListNumbering::KatakanaIrohaNarrow;
    case 16:
        return TEListNumbering::JapaneseLegalDigits;
    case 18:
    case 28:
    case 29:
        return TEListNumbering::Circled;
    case 20:
        return TEListNumbering::KatakanaAiueo;
    case 21:
        return TEListNumbering::KatakanaIroha;
    case 24:
        return TEListNumbering::HangulSyllables;
    case 25:
        return TEListNumbering::HangulJamo;
    case 30:
        return TEListNumbering::HeavenlyStems;
    case 31:
        return TEListNumbering::EarthlyBranches;
    case 34:
        return TEListNumbering::LegalTraditional;
    case 38:
        return TEListNumbering::LegalSimplified;
    case 41:
        return TEListNumbering::KoreanDigits;
    case 42:
        return TEListNumbering::KoreanCounting;
    case 43:
        return TEListNumbering::KoreanNative;
    case 45:
        return TEListNumbering::HebrewNumerals;
    case 46:
        return TEListNumbering::ArabicAlphabetic;
    case 47:
        return TEListNumbering::HebrewLetters;
    case 48:
        return TEListNumbering::ArabicAbjad;
    case 44:
        return TEListNumbering::IdeographicDigits;
    default:
        return TEListNumbering::OfType;
    }
}

std::optional<int> DKRTFReaderListTable::numberFormatOfNumbering(TEListNumbering numbering)
{
    // The format Word writes for each; the reader takes its neighbours too.
    switch (numbering) {
    case TEListNumbering::OfType:
        return std::nullopt;
    case TEListNumbering::Ordinal:
        return 5;
    case TEListNumbering::ChineseCounting:
        return 37;
    case TEListNumbering::IdeographicDigits:
        return 44;
    case TEListNumbering::LegalTraditional:
        return 34;
    case TEListNumbering::LegalSimplified:
        return 38;
    case TEListNumbering::HeavenlyStems:
        return 30;
    case TEListNumbering::EarthlyBranches:
        return 31;
    case TEListNumbering::Circled:
        return 18;
    case TEListNumbering::KatakanaAiueo:
        return 20;
    case TEListNumbering::KatakanaAiueoNarrow:
        return 12;
    case TEListNumbering::KatakanaIroha:
        return 21;
    case TEListNumbering::KatakanaIrohaNarrow:
        return 13;
    case TEListNumbering::HangulSyllables:
        return 24;
    case TEListNumbering::HangulJamo:
        return 25;
    case TEListNumbering::JapaneseLegalDigits:
        return 16;
    case TEListNumbering::KoreanDigits:
        return 41;
    case TEListNumbering::KoreanCounting:
        return 42;
    case TEListNumbering::KoreanNative:
        return 43;
    case TEListNumbering::HebrewNumerals:
        return 45;
    case TEListNumbering::ArabicAlphabetic:
        return 46;
    case TEListNumbering::HebrewLetters:
        return 47;
    case TEListNumbering::ArabicAbjad:
        return 48;
    }
    return std::nullopt;
}

unsigned DKRTFReaderListTable::typeOfNumberFormat(std::u16string_view level, std::size_t numberFormat,
                                                  std::size_t text)
{
    const std::optional<int> format = numberFormatOf(level, numberFormat);
    // The East Asian and other numbers are numbered lists whose marker text
    // writes the number (markerWithText); the other numbers between them
    // print in decimal digits.
    if (format && *format >= 8 && *format <= 48 && *format != 22 && *format != 23)
        return static_cast<unsigned>(TECSSListStyleType::Decimal);
    switch (format.value_or(23)) {
    case 0:
    case 5:
    case 6:
    case 7:
        return static_cast<unsigned>(TECSSListStyleType::Decimal);
    case 1:
        return static_cast<unsigned>(TECSSListStyleType::UpperRoman);
    case 2:
        return static_cast<unsigned>(TECSSListStyleType::LowerRoman);
    case 3:
        return static_cast<unsigned>(TECSSListStyleType::UpperAlpha);
    case 4:
        return static_cast<unsigned>(TECSSListStyleType::LowerAlpha);
    case 22:
        return static_cast<unsigned>(TECSSListStyleType::DecimalLeadingZero);
    case 255:
        return static_cast<unsigned>(TECSSListStyleType::None);
    default:
        break;
    }
    // A bullet: the character of "\leveltext" says which. Word writes the
    // Symbol and Wingdings bullets as private-use characters.
    // Any of a kind's forms anywhere from "\\leveltext" on names the kind,
    // the square before the circle before the hyphen; a list table holds
    // thousands of levels, so the forms are all looked for in one pass.
    std::u16string_view bullet = text == std::u16string_view::npos ? std::u16string_view() : level.substr(text);
    bool square = false;
    bool circle = false;
    bool hyphen = false;
    for (std::size_t index = findFirstOf<u'\\', u';'>(bullet.data(), 0, bullet.size()); index < bullet.size();
         index = findFirstOf<u'\\', u';'>(bullet.data(), index + 1, bullet.size())) {
        if (bullet[index] == u'\\') {
            // Every form looked for goes on with "u" or "'".
            if (index + 1 >= bullet.size() || (bullet[index + 1] != u'u' && bullet[index + 1] != u'\''))
                continue;
            const std::u16string_view rest = bullet.substr(index);
            square = square || rest.starts_with(u"\\u-3929") || rest.starts_with(u"\\'a7");
            circle = circle || rest.starts_with(u"\\u9702");
            hyphen = hyphen || rest.starts_with(u"\\u8259");
        } else if (index > 0) {
            circle = circle || bullet[index - 1] == u'o';
            hyphen = hyphen || bullet[index - 1] == u'-';
        }
    }
    if (square)
        return static_cast<unsigned>(TECSSListStyleType::Square);
    if (circle)
        return static_cast<unsigned>(TECSSListStyleType::Circle);
    if (hyphen)
        return static_cast<unsigned>(TECSSListStyleType::Hyphen);
    return static_cast<unsigned>(TECSSListStyleType::Disc);
}

namespace {

// Whether the unit at `position` is escaped: an odd run of backslashes
// from `start` on stands right before it (each backslash takes the unit
// after it, so the last of an odd run takes this one).
bool isEscaped(std::u16string_view text, std::size_t start, std::size_t position)
{
    std::size_t backslashes = 0;
    while (position > start && text[position - 1] == u'\\') {
        --position;
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// The end of the group that opens at `start` (the index after its "}").
// A list table holds thousands of groups: only its braces are looked at.
std::size_t endOfGroup(std::u16string_view text, std::size_t start)
{
    int depth = 0;
    for (std::size_t position = findFirstOf<u'{', u'}'>(text.data(), start, text.size()); position < text.size();
         position = findFirstOf<u'{', u'}'>(text.data(), position + 1, text.size())) {
        if (isEscaped(text, start, position))
            continue;
        if (text[position] == u'{')
            ++depth;
        else if (--depth == 0)
            return position + 1;
    }
    return text.size();
}

// The groups in `text` that open with "{" + `word` and no further letter.
// `word` begins with the brace, so only the braces of the text are tried.
std::vector<std::u16string_view> groupsNamed(std::u16string_view text, std::u16string_view word)
{
    std::vector<std::u16string_view> groups;
    for (std::size_t position = findFirstOf<u'{'>(text.data(), 0, text.size()); position < text.size();
         position = findFirstOf<u'{'>(text.data(), position, text.size())) {
        if (!text.substr(position).starts_with(word)) {
            ++position;
            continue;
        }
        const std::size_t after = position + word.size();
        if (after < text.size() && ((text[after] >= u'a' && text[after] <= u'z') || (text[after] >= u'A' && text[after] <= u'Z'))) {
            position = after;
            continue;
        }
        const std::size_t end = endOfGroup(text, position);
        groups.push_back(text.substr(position, end - position));
        position = end;
    }
    return groups;
}

// The number right after a word ending at `digits`, if any.
std::optional<long long> numberAt(std::u16string_view text, std::size_t digits)
{
    const bool negative = digits < text.size() && text[digits] == u'-';
    std::size_t end = digits + (negative ? 1 : 0);
    long long value = 0;
    std::size_t count = 0;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9' && count < 12) {
        value = value * 10 + (text[end] - u'0');
        ++end;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return negative ? -value : value;
}

// Whether `text` begins with `prefix`, compared as bytes: the library
// compares UTF-16 text a unit at a time, and a list table's levels are
// looked through word by word.
bool beginsWith(std::u16string_view text, std::u16string_view prefix)
{
    return text.size() >= prefix.size()
        && std::memcmp(text.data(), prefix.data(), prefix.size() * sizeof(char16_t)) == 0;
}

// The number after the last `word` of `text` that is followed by a digit.
// Looked for from the end: the last one with a number is the answer, and a
// level names most words once, near its end.
std::optional<long long> numberAfterWord(std::u16string_view text, std::u16string_view word)
{
    if (word.empty() || word.size() > text.size())
        return std::nullopt;
    for (std::size_t position = text.size() - word.size() + 1; position-- > 0;) {
        if (text[position] == word[0] && beginsWith(text.substr(position), word)) {
            if (std::optional<long long> found = numberAt(text, position + word.size()))
                return found;
        }
    }
    return std::nullopt;
}


// Where the words a list level is read by first stand in the level's group,
// found in one pass: a list table holds thousands of levels, and looking for
// each word in turn read every level half a dozen times.
struct LevelWords {
    static constexpr std::size_t npos = std::u16string_view::npos;
    std::size_t marker = npos;       // "levelmarker", anywhere
    std::size_t numberFormat = npos; // "\levelnfc"
    std::size_t text = npos;         // "\leveltext"
    std::size_t textGroup = npos;    // "{\leveltext" not followed by a letter
    // The number after the last "\levelstartat" that has one.
    std::optional<long long> start;
};

LevelWords wordsOfLevel(std::u16string_view level)
{
    static constexpr std::u16string_view kLevel = u"\\level";
    static constexpr std::u16string_view kNumberFormat = u"\\levelnfc";
    static constexpr std::u16string_view kText = u"\\leveltext";
    static constexpr std::u16string_view kTextGroup = u"{\\leveltext";
    static constexpr std::u16string_view kStart = u"\\levelstartat";
    auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    LevelWords words;
    // "levelmarker" may stand anywhere; the other words are where a brace
    // or a backslash is, so only those are looked at.
    if (level.size() >= kLevelMarker.size()) {
        // The pair search reads `Gap` units past where it looks.
        const std::size_t last = level.size() - kLevelMarker.size() + 1;
        for (std::size_t index = findSpacedPair<u'l', u'm', 5>(level.data(), 0, last); index < last;
             index = findSpacedPair<u'l', u'm', 5>(level.data(), index + 1, last)) {
            if (level.substr(index).starts_with(kLevelMarker)) {
                words.marker = index;
                break;
            }
        }
    }
    for (std::size_t index = findFirstOf<u'{', u'\\'>(level.data(), 0, level.size()); index < level.size();
         index = findFirstOf<u'{', u'\\'>(level.data(), index + 1, level.size())) {
        if (level[index] == u'{') {
            if (words.textGroup == LevelWords::npos && level.substr(index).starts_with(kTextGroup)) {
                const std::size_t after = index + kTextGroup.size();
                if (after >= level.size() || !isLetter(level[after]))
                    words.textGroup = index;
            }
        } else {
            // Most backslashes start a word of another name ("\\fi", "\\'01"),
            // and a level has a dozen "\\level" words, of which three are
            // read: the letter after "\\level" tells which one a word may be.
            if (index + kLevel.size() >= level.size() || level[index + 1] != u'l')
                continue;
            const std::u16string_view rest = level.substr(index);
            if (!beginsWith(rest, kLevel))
                continue;
            switch (rest[kLevel.size()]) {
            case u'n':
                if (words.numberFormat == LevelWords::npos && beginsWith(rest, kNumberFormat))
                    words.numberFormat = index;
                break;
            case u't':
                if (words.text == LevelWords::npos && beginsWith(rest, kText))
                    words.text = index;
                break;
            case u's':
                if (beginsWith(rest, kStart)) {
                    if (std::optional<long long> number = numberAt(level, index + kStart.size()))
                        words.start = number;
                }
                break;
            default:
                break;
            }
        }
    }
    return words;
}

// Whether a level's words ask for legal numbering ("\levellegal", not
// "\levellegal0"): its outer levels' numbers in decimal digits.
bool isLegal(std::u16string_view words)
{
    constexpr std::u16string_view kLegal = u"\\levellegal";
    for (std::size_t at = words.find(kLegal); at != std::u16string_view::npos; at = words.find(kLegal, at + 1)) {
        const std::size_t after = at + kLegal.size();
        if (after >= words.size() || words[after] != u'0')
            return after >= words.size() || !(words[after] >= u'a' && words[after] <= u'z');
    }
    return false;
}

} // namespace

void DKRTFReaderListTable::readListTypes(std::u16string_view listTable, const StringEncoding& encoding,
                                         const std::function<std::u16string(int)>& fontName)
{
    // Word processors write the same levels for list after list (a document
    // of two hundred lists may hold five kinds): levels of the very text of
    // an earlier list's are that list's again, and are not read twice.
    // Keyed by the levels' bytes, which the library compares in blocks: the
    // same thousands of units compared a unit at a time cost more than
    // reading the levels did.
    std::unordered_map<std::string_view, std::size_t> readLevels;
    for (std::u16string_view list : groupsNamed(listTable, u"{\\list")) {
        const std::vector<std::u16string_view> levelGroups = groupsNamed(list, u"{\\listlevel");
        const std::u16string_view levelsText = levelGroups.empty()
            ? std::u16string_view()
            : std::u16string_view(levelGroups.front().data(),
                                  static_cast<std::size_t>(levelGroups.back().data() + levelGroups.back().size()
                                                           - levelGroups.front().data()));
        const std::string_view levelsBytes(reinterpret_cast<const char*>(levelsText.data()),
                                           levelsText.size() * sizeof(char16_t));
        if (auto earlier = readLevels.find(levelsBytes); !levelGroups.empty() && earlier != readLevels.end()) {
            const std::size_t index = earlier->second;
            m_listTypes.push_back(m_listTypes[index]);
            m_levelStarts.push_back(m_levelStarts[index]);
            m_levelMarkerTexts.push_back(m_levelMarkerTexts[index]);
            m_levelMarkerSizes.push_back(m_levelMarkerSizes[index]);
            const std::size_t levelsEnd = static_cast<std::size_t>(levelsText.data() + levelsText.size() - list.data());
            m_listIdentifiers.push_back(numberAfterWord(list.substr(levelsEnd), u"\\listid"));
            m_ownLists.push_back(m_ownLists[index]);
            continue;
        }
        if (!levelGroups.empty())
            readLevels.emplace(levelsBytes, m_listTypes.size());
        std::vector<unsigned> levels;
        std::vector<std::int64_t> starts;
        std::vector<std::optional<TECSSListStyle::MarkerText>> markerTexts;
        std::vector<std::optional<int>> markerSizes;
        bool own = false;
        std::size_t levelsEnd = 0;
        for (std::u16string_view level : levelGroups) {
            const LevelWords words = wordsOfLevel(level);
            const std::optional<long long> size = numberAfterWord(level, u"\\fs");
            markerSizes.push_back(size && TECSSListStyle::isUsableMarkerHalfPoints(*size)
                                      ? std::optional<int>(static_cast<int>(*size)) : std::nullopt);
            if (words.marker != LevelWords::npos) {
                levels.push_back(typeOfMarker(level.substr(words.marker + kLevelMarker.size())));
                own = true;
            } else {
                levels.push_back(typeOfNumberFormat(level, words.numberFormat, words.text));
            }
            // Our own lists name their type in the marker and, where the
            // marker has words or a numbering of its own, give those in the
            // level's text as other writers do.
            if (words.textGroup == LevelWords::npos) {
                markerTexts.push_back(std::nullopt);
            } else {
                const std::u16string_view text =
                    level.substr(words.textGroup, endOfGroup(level, words.textGroup) - words.textGroup);
                const std::optional<int> format = numberFormatOf(level, words.numberFormat);
                // "\leveljc": 0 left, 1 centred, 2 right.
                const long long jc = numberAfterWord(level.substr(0, words.textGroup), u"\\leveljc").value_or(0);
                const auto alignment = static_cast<TEListMarkerAlignment>(jc == 1 || jc == 2 ? jc : 0);
                // "\levelfollow": 0 a tab, 1 a blank, 2 nothing after the label.
                const long long follows =
                    numberAfterWord(level.substr(0, words.textGroup), u"\\levelfollow").value_or(0);
                const auto follow = static_cast<TEListLabelFollow>(follows == 1 || follows == 2 ? follows : 0);
                std::optional<TECSSListStyle::MarkerText> marker = readMarkerText(
                    text, static_cast<int>(levels.size()) - 1, encoding, numberingOfFormat(format), alignment, follow);
                if (marker && format)
                    marker->numberFormat = *format;
                // A bullet of a plain letter or sign in a font of its own
                // (Word's "o" in Courier New) prints as that sign in that
                // font; the usual bullets are the list's type.
                constexpr int kBulletFormat = 23;
                const std::optional<long long> font = numberAfterWord(level, u"\\f");
                if (!marker && format.value_or(kBulletFormat) == kBulletFormat && font && fontName) {
                    marker = readMarkerText(text, -1, encoding);
                    const std::u16string family = marker ? fontName(static_cast<int>(*font)) : std::u16string();
                    if (!family.empty() && marker->before.size() == 1 && marker->before[0] > u' '
                        && marker->before[0] < 0x7F) {
                        marker->numberFormat = kBulletFormat;
                        marker->font = family;
                        marker->follow = follow;
                    } else {
                        marker.reset();
                    }
                }
                // Outer levels' numbers print in decimal digits: legal
                // numbering asks for that, and decimal levels have them.
                if (marker && !marker->outer.empty() && !isLegal(level.substr(0, words.textGroup))
                    && std::any_of(marker->outer.begin(), marker->outer.end(), [&](const auto& outer) {
                           return levels[static_cast<std::size_t>(outer.level)]
                               != static_cast<unsigned>(TECSSListStyleType::Decimal);
                       }))
                    marker.reset();
                markerTexts.push_back(std::move(marker));
            }
            const std::optional<long long>& start = words.start;
            starts.push_back(start && *start >= 0 ? *start : 1);
            levelsEnd = static_cast<std::size_t>(level.data() + level.size() - list.data());
        }
        m_listTypes.push_back(std::move(levels));
        m_levelStarts.push_back(std::move(starts));
        m_levelMarkerTexts.push_back(std::move(markerTexts));
        m_levelMarkerSizes.push_back(std::move(markerSizes));
        m_listIdentifiers.push_back(numberAfterWord(list.substr(levelsEnd), u"\\listid"));
        m_ownLists.push_back(own);
    }
}

void DKRTFReaderListTable::readOverrides(std::u16string_view overrideTable)
{
    for (std::u16string_view entry : groupsNamed(overrideTable, u"{\\listoverride")) {
        std::optional<long long> list = numberAfterWord(entry, u"\\listid");
        std::optional<long long> override = numberAfterWord(entry, u"\\ls");
        if (!list || !override)
            continue;
        for (std::size_t index = 0; index < m_listIdentifiers.size(); ++index) {
            if (m_listIdentifiers[index] == list) {
                m_overrides[static_cast<int>(*override)] = restartedList(index, entry).value_or(index + 1);
                break;
            }
        }
    }
}

std::optional<unsigned> DKRTFReaderListTable::restartedList(std::size_t index, std::u16string_view entry)
{
    // An override that starts its list's numbers again ("\listoverridestartat"
    // in a "{\lfolevel" of its own) is a list apart from the items of the
    // list's other overrides, as Word numbers it: a copy of the list, with
    // the level's start the override gives, else the level's own.
    const std::vector<std::u16string_view> levels = groupsNamed(entry, u"{\\lfolevel");
    if (std::none_of(levels.begin(), levels.end(),
                     [](std::u16string_view level) { return level.find(u"\\listoverridestartat") != level.npos; }))
        return std::nullopt;
    std::vector<std::int64_t> starts = m_levelStarts[index];
    for (std::size_t position = 0; position < levels.size(); ++position) {
        const std::u16string_view level = levels[position];
        if (level.find(u"\\listoverridestartat") == level.npos)
            continue;
        // A level is named by "\ilvl" when given, else by its place.
        const long long number = numberAfterWord(level, u"\\ilvl").value_or(static_cast<long long>(position));
        const std::optional<long long> start = numberAfterWord(level, u"\\levelstartat");
        if (number < 0 || number >= static_cast<long long>(m_listTypes[index].size()))
            continue;
        if (starts.size() <= static_cast<std::size_t>(number))
            starts.resize(static_cast<std::size_t>(number) + 1, 1);
        if (start && *start >= 0)
            starts[static_cast<std::size_t>(number)] = *start;
    }
    m_listTypes.push_back(m_listTypes[index]);
    m_levelStarts.push_back(std::move(starts));
    m_levelMarkerTexts.push_back(m_levelMarkerTexts[index]);
    m_levelMarkerSizes.push_back(m_levelMarkerSizes[index]);
    m_listIdentifiers.push_back(std::nullopt);
    m_ownLists.push_back(m_ownLists[index]);
    return static_cast<unsigned>(m_listTypes.size());
}

unsigned DKRTFReaderListTable::listForOverride(int overrideNumber) const
{
    if (auto found = m_overrides.find(overrideNumber); found != m_overrides.end())
        return found->second;
    return overrideNumber > 0 ? static_cast<unsigned>(overrideNumber) : 0;
}

std::size_t DKRTFReaderListTable::closingsAllowed() const
{
    // Each level of each list may close twice (its item's label and its
    // text); a list of nine levels stepped back out of level by level is
    // still a list, and only closings beyond every level end all lists.
    std::size_t levels = 0;
    for (const std::vector<unsigned>& list : m_listTypes)
        levels += list.size();
    return std::max(m_listTypes.size(), 2 * levels) + 1;
}

bool DKRTFReaderListTable::keepsFormattingAtParagraphReset(unsigned listID) const
{
    return listID > 0 && listID <= m_ownLists.size() && m_ownLists[listID - 1];
}

std::optional<DKRTFReaderListTable::OldStyleLevel> DKRTFReaderListTable::oldStyleLevel(std::u16string_view group,
                                                                                     std::optional<int> markerHalfPoints)
{
    auto has = [group](std::u16string_view word) {
        std::size_t found = group.find(word);
        while (found != std::u16string_view::npos) {
            std::size_t after = found + word.size();
            if (after >= group.size() || !((group[after] >= u'a' && group[after] <= u'z')))
                return true;
            found = group.find(word, after);
        }
        return false;
    };
    int level = 0;
    TECSSListStyleType type = TECSSListStyleType::Decimal;
    if (has(u"\\pnlvlblt")) {
        type = TECSSListStyleType::Disc;
    } else if (has(u"\\pnlvlbody")) {
        level = 0;
    } else if (std::optional<long long> number = numberAfterWord(group, u"\\pnlvl"); number && *number >= 1 && *number <= 9) {
        level = static_cast<int>(*number) - 1;
    } else {
        return std::nullopt;
    }
    if (type != TECSSListStyleType::Disc) {
        if (has(u"\\pnucltr"))
            type = TECSSListStyleType::UpperAlpha;
        else if (has(u"\\pnlcltr"))
            type = TECSSListStyleType::LowerAlpha;
        else if (has(u"\\pnucrm"))
            type = TECSSListStyleType::UpperRoman;
        else if (has(u"\\pnlcrm"))
            type = TECSSListStyleType::LowerRoman;
        else if (!has(u"\\pndec") && !has(u"\\pnord") && !has(u"\\pncard"))
            type = TECSSListStyleType::Disc;
    }
    const auto typeNumber = static_cast<unsigned>(type);
    auto [list, made] = m_oldStyleLists.emplace(typeNumber, 0);
    if (made) {
        m_listTypes.push_back(std::vector<unsigned>(9, typeNumber));
        m_levelStarts.emplace_back();
        m_levelMarkerTexts.emplace_back();
        m_levelMarkerSizes.emplace_back(9);
        m_listIdentifiers.push_back(std::nullopt);
        m_ownLists.push_back(false);
        list->second = static_cast<unsigned>(m_listTypes.size());
    }
    std::optional<int>& size = m_levelMarkerSizes[list->second - 1][static_cast<std::size_t>(level)];
    if (!size && markerHalfPoints && TECSSListStyle::isUsableMarkerHalfPoints(*markerHalfPoints))
        size = markerHalfPoints;
    return OldStyleLevel{list->second, typeNumber, level};
}

std::optional<unsigned> DKRTFReaderListTable::typeOfLevel(unsigned listID, int level) const
{
    if (listID == 0 || listID > m_listTypes.size() || level < 0)
        return std::nullopt;
    const std::vector<unsigned>& levels = m_listTypes[listID - 1];
    if (static_cast<std::size_t>(level) >= levels.size())
        return std::nullopt;
    return levels[static_cast<std::size_t>(level)];
}

std::int64_t DKRTFReaderListTable::startOfLevel(unsigned listID, int level) const
{
    if (listID == 0 || listID > m_levelStarts.size() || level < 0)
        return 1;
    const std::vector<std::int64_t>& starts = m_levelStarts[listID - 1];
    return static_cast<std::size_t>(level) < starts.size() ? starts[static_cast<std::size_t>(level)] : 1;
}

std::optional<TECSSListStyle::MarkerText> DKRTFReaderListTable::markerTextOfLevel(unsigned listID, int level) const
{
    if (listID == 0 || listID > m_levelMarkerTexts.size() || level < 0)
        return std::nullopt;
    const auto& texts = m_levelMarkerTexts[listID - 1];
    return static_cast<std::size_t>(level) < texts.size() ? texts[static_cast<std::size_t>(level)] : std::nullopt;
}

std::optional<int> DKRTFReaderListTable::markerSizeOfLevel(unsigned listID, int level) const
{
    if (listID == 0 || listID > m_levelMarkerSizes.size() || level < 0)
        return std::nullopt;
    const auto& sizes = m_levelMarkerSizes[listID - 1];
    return static_cast<std::size_t>(level) < sizes.size() ? sizes[static_cast<std::size_t>(level)] : std::nullopt;
}

std::optional<TECSSListStyle::MarkerText> DKRTFReaderListTable::readMarkerText(std::u16string_view levelText, int level,
                                                                               const StringEncoding& encoding,
                                                                               TEListNumbering numbering,
                                                                               TEListMarkerAlignment alignment,
                                                                               TEListLabelFollow follow)
{
    // "{\leveltext\leveltemplateid1\'05CH \'00;}": control words, a length,
    // then characters in which "\'00" to "\'08" stand for the numbers of the
    // levels, up to ";".
    std::size_t position = levelText.find(u"\\leveltext");
    if (position == std::u16string_view::npos)
        return std::nullopt;
    position += 10;
    auto isLetter = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    auto hexValue = [&](std::size_t at) -> int {
        int value = 0;
        for (std::size_t index = at; index < at + 2; ++index) {
            if (index >= levelText.size())
                return -1;
            char16_t c = levelText[index];
            int digit = isDigit(c) ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
            if (digit < 0)
                return -1;
            value = value * 16 + digit;
        }
        return value;
    };
    std::u16string before;
    std::u16string after;
    // Outer levels' numbers may stand before the level's own ("\'00.\'01").
    std::vector<TECSSListStyle::MarkerText::OuterNumber> outer;
    int numbers = 0;
    auto words = [&]() -> std::u16string& { return numbers > 0 ? after : outer.empty() ? before : outer.back().after; };
    bool lengthRead = false;
    // The words are bytes of the document's code page, in which one
    // character may be an escaped lead byte and a plain trail byte: they are
    // gathered and decoded together, up to a number or a Unicode character.
    std::string bytes;
    auto flushBytes = [&]() {
        if (bytes.empty())
            return;
        std::optional<std::u16string> decoded = stringWithData(bytes, encoding);
        if (!decoded)
            decoded = stringWithData(bytes, StringEncoding::windowsLatin1());
        words() += decoded.value_or(std::u16string());
        bytes.clear();
    };
    while (position < levelText.size()) {
        char16_t c = levelText[position];
        if (c == u';' || c == u'}')
            break;
        int character = -1;
        bool isUnicode = false;
        if (c == u'\\' && position + 1 < levelText.size() && levelText[position + 1] == u'\'') {
            character = hexValue(position + 2);
            position += 4;
            if (character < 0)
                return std::nullopt;
            if (!lengthRead) {
                lengthRead = true;
                continue;
            }
            if (character <= 8) {
                if (character > level || (character < level && numbers > 0))
                    return std::nullopt;
                flushBytes();
                if (character < level)
                    outer.push_back({character, {}});
                else
                    ++numbers;
                continue;
            }
            bytes.push_back(static_cast<char>(character));
            continue;
        } else if (c == u'\\' && position + 1 < levelText.size() && isLetter(levelText[position + 1])) {
            std::size_t end = position + 1;
            while (end < levelText.size() && isLetter(levelText[end]))
                ++end;
            std::u16string_view word = levelText.substr(position + 1, end - position - 1);
            const bool negative = end < levelText.size() && levelText[end] == u'-';
            std::size_t digits = end + (negative ? 1 : 0);
            long long value = 0;
            while (digits < levelText.size() && isDigit(levelText[digits]))
                value = value * 10 + (levelText[digits++] - u'0');
            position = digits < levelText.size() && levelText[digits] == u' ' ? digits + 1 : digits;
            if (word != u"u")
                continue;
            character = static_cast<int>(negative ? 65536 - value : value);
            isUnicode = true;
            // The replacement of a "\u" character follows it.
            if (position < levelText.size() && levelText[position] == u'?')
                ++position;
            else if (position + 3 < levelText.size() && levelText[position] == u'\\' && levelText[position + 1] == u'\'')
                position += 4;
        } else if (c == u'\\' && position + 1 < levelText.size()) {
            character = levelText[position + 1];
            position += 2;
        } else if (c == u'\r' || c == u'\n' || (c == u' ' && !lengthRead)) {
            ++position;
            continue;
        } else {
            character = c;
            ++position;
        }
        if (!lengthRead) {
            lengthRead = true;
            continue;
        }
        if (!isUnicode && character < 0x100) {
            bytes.push_back(static_cast<char>(character));
            continue;
        }
        flushBytes();
        words().push_back(static_cast<char16_t>(character));
    }
    flushBytes();
    // A bullet's sign is read as its words at level -1.
    if (level < 0 && numbers == 0 && outer.empty() && !before.empty()) {
        TECSSListStyle::MarkerText sign{std::move(before), {}, numbering, -1, alignment};
        sign.bullet = true;
        return sign;
    }
    // A bullet has no number; "1." is what every reader draws anyway, but
    // not in a numbering of its own.
    if (numbers != 1 || (before.empty() && outer.empty() && after == u"." && numbering == TEListNumbering::OfType
                         && alignment == TEListMarkerAlignment::Left && follow == TEListLabelFollow::Tab))
        return std::nullopt;
    TECSSListStyle::MarkerText marker{std::move(before), std::move(after), numbering, -1, alignment, std::move(outer)};
    marker.follow = follow;
    return marker;
}

AttributeValuePtr DKRTFReaderListTable::nestedLists(unsigned listID, int level, unsigned listType)
{
    // An item at a deeper level is in a list inside the item before's, as
    // the page nests them: its lists are those of the levels above it, then
    // its own. A level the file skipped gets the style the table gives it.
    const auto depth = static_cast<std::size_t>(std::max(level, 0));
    if (m_inItemsParagraph && listID == m_openList && depth + 1 == m_openLevels.size())
        return m_openArray;
    m_inItemsParagraph = true;
    openList(listID);
    m_openLevels.resize(std::min(m_openLevels.size(), depth));
    for (std::size_t skipped = m_openLevels.size(); skipped < depth; ++skipped) {
        const int skippedLevel = static_cast<int>(skipped);
        m_openLevels.push_back(newListStyle(typeOfLevel(listID, skippedLevel).value_or(listType),
                                            startOfLevel(listID, skippedLevel), markerTextOfLevel(listID, skippedLevel),
                                            markerSizeOfLevel(listID, skippedLevel)));
    }
    m_openLevels.push_back(newListStyle(listType, startOfLevel(listID, level), markerTextOfLevel(listID, level),
                                        markerSizeOfLevel(listID, level)));
    m_openArray = ArrayValue::make(m_openLevels);
    return m_openArray;
}

bool DKRTFReaderListTable::openList(unsigned listID)
{
    // A list left for another keeps its open levels: when its items come
    // back they are in the same lists, and their numbers go on.
    if (listID == m_openList)
        return false;
    if (m_openList != 0)
        m_listsLeft[m_openList] = OpenLevels{std::move(m_openLevels), std::move(m_openArray)};
    m_openList = listID;
    m_openLevels.clear();
    m_openArray.reset();
    auto left = m_listsLeft.find(listID);
    if (left == m_listsLeft.end())
        return false;
    m_openLevels = std::move(left->second.levels);
    m_openArray = std::move(left->second.array);
    m_listsLeft.erase(left);
    return !m_openLevels.empty();
}

AttributeValuePtr DKRTFReaderListTable::currentLists(unsigned listID, int level, unsigned listType)
{
    // A later item of an open level is in the lists of the items before it;
    // one back at an outer level is in that level's list again.
    const auto depth = static_cast<std::size_t>(std::max(level, 0));
    if (listID != m_openList || m_openLevels.size() <= depth)
        return nestedLists(listID, level, listType);
    if (m_openLevels.size() > depth + 1) {
        m_openLevels.resize(depth + 1);
        m_openArray = ArrayValue::make(m_openLevels);
    }
    return m_openArray;
}

void DKRTFReaderListTable::addListAttributes(DKRTFReaderState& state, unsigned listType,
                                             std::vector<AttributeDictionary::Entry>& entries)
{
    const int level = state.levelList();
    const int previousLevel = state.previousLevelList();
    const unsigned listID = state.listID();
    const unsigned previousListID = state.previousListID();
    const unsigned prefix = state.listPrefix();
    const ListEntries& shared = listEntries();
    auto set = [&entries](const AttributeKey& key, AttributeValuePtr value) {
        entries.emplace_back(key, std::move(value));
    };
    // Most runs of a list's paragraphs add nothing: the style is made only
    // for a set that holds it, once, in one array that every key of the set
    // holding it shares (lists are told apart by the style object alone).
    AttributeValuePtr madeArray;
    auto listArray = [&]() -> const AttributeValuePtr& {
        if (!madeArray)
            madeArray = currentLists(listID, level, listType);
        return madeArray;
    };

    // Items of another list than the last, whatever its number, start
    // (or take up again) that list.
    const bool otherList = listID != 0 && listID != previousListID;
    if (level == 0 && otherList)
        set(shared.endOfAllLists, shared.endOfAllListsMarker);

    if (level < previousLevel && !otherList) {
        // Back to an outer level: the paragraph closes the inner list.
        if (state.listIsFirstPrefix() <= 0)
            return;
        if (listID < previousListID || prefix == 0 || previousLevel == kNoPreviousLevel) {
            state.setPreviousLevelList(level);
            if (state.closedListsCount() < closingsAllowed() || prefix != 0)
                state.setClosedListsCount(state.closedListsCount() + 1);
            else
                m_allListsFinished = true;
        } else {
            state.setListPrefixCount(state.listPrefixCount() + 1);
            set(shared.field, shared.fieldMarker);
            set(shared.endOfList, shared.endOfListMarker);
            state.setClosedListsCount(state.closedListsCount() + 1);
            set(shared.isList, listArray());
        }
        return;
    }

    if (otherList) {
        if (openList(listID)) {
            // The item's label and text are both in the list taken up.
            m_inItemsParagraph = true;
            set(shared.lists, currentLists(listID, level, listType));
        } else {
            set(shared.lists, nestedLists(listID, level, listType));
        }
        state.setListIsFirstPrefix(1);
        if (previousListID != 0) {
            set(shared.endOfList, shared.endOfListMarker);
            state.setClosedListsCount(state.closedListsCount() + 1);
        }
        state.setPreviousListID(listID);
        state.setPreviousLevelList(level);
    } else if (level > previousLevel && listID == previousListID) {
        set(shared.lists, nestedLists(listID, level, listType));
        state.setPreviousListID(listID);
        state.setPreviousLevelList(level);
    } else if (state.listIsFirstPrefix() > 0 && listID == previousListID && level == previousLevel) {
        set(shared.isList, listArray());
    }
    if (prefix != 0) {
        state.setListPrefixCount(state.listPrefixCount() + 1);
        set(shared.field, shared.fieldMarker);
        set(shared.isList, listArray());
    }
}

} // namespace folio
