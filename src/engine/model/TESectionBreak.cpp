#include "engine/model/TESectionBreak.h"

#include "platform/foundation/Unicode.h"

#include <array>
#include <charconv>
#include <utility>

namespace folio {

namespace {

// Nothing on a page is wider than the widest paper word processors take
// (22 inches); paper itself may be a poster, but no smaller than an inch.
constexpr int kLargestLengthTwips = 31680;
constexpr int kSmallestPaperTwips = 1440;
constexpr int kLargestPaperTwips = 20 * 72 * 200;
constexpr int kMostColumns = 99;
// Word processors count pages and lines in signed 16 bits, and number at
// most every hundredth line.
constexpr int kLargestNumberStart = 32767;
constexpr int kLongestLineNumberInterval = 100;
// More sections than any file of this size can hold are damage.
constexpr int kMostFileSections = 1 << 24;

constexpr std::array<std::pair<TESectionBreak::Start, std::string_view>, 5> kStartWords{{
    {TESectionBreak::Start::NextPage, "next-page"},
    {TESectionBreak::Start::Continuous, "continuous"},
    {TESectionBreak::Start::NextColumn, "next-column"},
    {TESectionBreak::Start::EvenPage, "even-page"},
    {TESectionBreak::Start::OddPage, "odd-page"},
}};

// A setting of a few kinds, each kept as a word of its own.
template <typename Kind, std::size_t Count>
struct KindWords {
    std::optional<Kind> TESectionBreak::Settings::*member;
    std::array<std::pair<Kind, std::string_view>, Count> words;
};

constexpr KindWords<TESectionBreak::PageNumberFormat, 4> kPageNumberFormatWords{
    &TESectionBreak::Settings::pageNumberFormat,
    {{{TESectionBreak::PageNumberFormat::UpperRoman, "pages-upper-roman"},
      {TESectionBreak::PageNumberFormat::LowerRoman, "pages-lower-roman"},
      {TESectionBreak::PageNumberFormat::UpperLetter, "pages-upper-letter"},
      {TESectionBreak::PageNumberFormat::LowerLetter, "pages-lower-letter"}}}};
constexpr KindWords<TESectionBreak::LineNumbering, 3> kLineNumberingWords{
    &TESectionBreak::Settings::lineNumbering,
    {{{TESectionBreak::LineNumbering::EachPage, "lines-each-page"},
      {TESectionBreak::LineNumbering::EachSection, "lines-each-section"},
      {TESectionBreak::LineNumbering::Continue, "lines-continue"}}}};

template <typename Kind, std::size_t Count>
void appendKindWord(std::string& text, const TESectionBreak::Settings& settings, const KindWords<Kind, Count>& kinds)
{
    if (const std::optional<Kind>& value = settings.*kinds.member)
        for (const auto& [kind, word] : kinds.words)
            if (kind == *value)
                text += " " + std::string(word);
}

template <typename Kind, std::size_t Count>
void readKindWord(std::string_view word, TESectionBreak::Settings& settings, const KindWords<Kind, Count>& kinds)
{
    for (const auto& [kind, name] : kinds.words)
        if (word == name)
            settings.*kinds.member = kind;
}

template <typename Kind, std::size_t Count>
std::size_t hashKind(std::size_t seed, const TESectionBreak::Settings& settings, const KindWords<Kind, Count>& kinds)
{
    const std::optional<Kind>& value = settings.*kinds.member;
    return hashCombine(seed, value ? static_cast<std::size_t>(*value) : ~std::size_t{0});
}

using Length = std::optional<int> TESectionBreak::Settings::*;

struct NamedNumber {
    std::string_view name;
    Length member;
    bool (*isUsable)(int);
};

const std::array<NamedNumber, 16>& namedNumbers()
{
    static const std::array<NamedNumber, 16> kLengths{{
        {"width", &TESectionBreak::Settings::paperWidth, &TESectionBreak::isUsablePaperLength},
        {"height", &TESectionBreak::Settings::paperHeight, &TESectionBreak::isUsablePaperLength},
        {"left", &TESectionBreak::Settings::leftMargin, &TESectionBreak::isUsableLength},
        {"right", &TESectionBreak::Settings::rightMargin, &TESectionBreak::isUsableLength},
        {"top", &TESectionBreak::Settings::topMargin, &TESectionBreak::isUsableLength},
        {"bottom", &TESectionBreak::Settings::bottomMargin, &TESectionBreak::isUsableLength},
        {"gutter", &TESectionBreak::Settings::gutter, &TESectionBreak::isUsableLength},
        {"header", &TESectionBreak::Settings::headerDistance, &TESectionBreak::isUsableLength},
        {"footer", &TESectionBreak::Settings::footerDistance, &TESectionBreak::isUsableLength},
        {"columns", &TESectionBreak::Settings::columns, &TESectionBreak::isUsableColumnCount},
        {"column-gap", &TESectionBreak::Settings::columnSpacing, &TESectionBreak::isUsableLength},
        {"page-start", &TESectionBreak::Settings::pageNumberStart, &TESectionBreak::isUsableNumberStart},
        {"line-every", &TESectionBreak::Settings::lineNumberInterval, &TESectionBreak::isUsableLineNumberInterval},
        {"line-distance", &TESectionBreak::Settings::lineNumberDistance, &TESectionBreak::isUsableLength},
        {"line-start", &TESectionBreak::Settings::lineNumberStart, &TESectionBreak::isUsableNumberStart},
        {"file-section", &TESectionBreak::Settings::fileSection, &TESectionBreak::isUsableFileSection},
    }};
    return kLengths;
}

} // namespace

bool TESectionBreak::isUsableLength(int twips) { return twips >= 0 && twips < kLargestLengthTwips; }

bool TESectionBreak::isUsablePaperLength(int twips)
{
    return twips >= kSmallestPaperTwips && twips <= kLargestPaperTwips;
}

bool TESectionBreak::isUsableColumnCount(int columns) { return columns >= 1 && columns <= kMostColumns; }

bool TESectionBreak::isUsableNumberStart(int number) { return number >= 0 && number <= kLargestNumberStart; }

bool TESectionBreak::isUsableLineNumberInterval(int lines)
{
    return lines >= 1 && lines <= kLongestLineNumberInterval;
}

bool TESectionBreak::isUsableFileSection(int section) { return section >= 1 && section <= kMostFileSections; }

TESectionBreak::TESectionBreak(Settings settings) : m_settings(std::move(settings)) {}

std::shared_ptr<const TESectionBreak> TESectionBreak::make(Settings settings)
{
    return std::make_shared<const TESectionBreak>(std::move(settings));
}

std::u16string TESectionBreak::attributeText() const
{
    std::string text;
    for (const auto& [start, word] : kStartWords)
        if (start == m_settings.start)
            text = word;
    for (const NamedNumber& length : namedNumbers())
        if (const std::optional<int>& value = m_settings.*length.member)
            text += " " + std::string(length.name) + "=" + std::to_string(*value);
    if (m_settings.landscape)
        text += " landscape";
    if (m_settings.titlePage)
        text += " title-page";
    if (m_settings.restartsPageNumbers)
        text += " pages-restart";
    appendKindWord(text, m_settings, kPageNumberFormatWords);
    appendKindWord(text, m_settings, kLineNumberingWords);
    return toUtf16(text);
}

TESectionBreak::Settings TESectionBreak::settingsFromAttributeText(std::u16string_view text)
{
    const std::string words = toUtf8(text);
    Settings settings;
    std::size_t at = 0;
    while (at < words.size()) {
        std::size_t end = words.find(' ', at);
        if (end == std::string::npos)
            end = words.size();
        const std::string_view word = std::string_view(words).substr(at, end - at);
        at = end + 1;
        for (const auto& [start, name] : kStartWords) {
            if (word == name) {
                settings.start = start;
            }
        }
        if (word == "landscape")
            settings.landscape = true;
        if (word == "title-page")
            settings.titlePage = true;
        if (word == "pages-restart")
            settings.restartsPageNumbers = true;
        readKindWord(word, settings, kPageNumberFormatWords);
        readKindWord(word, settings, kLineNumberingWords);
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = word.substr(0, equals);
        const std::string_view number = word.substr(equals + 1);
        int value = 0;
        const auto [numberEnd, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || numberEnd != number.data() + number.size())
            continue;
        for (const NamedNumber& length : namedNumbers())
            if (name == length.name && length.isUsable(value))
                settings.*length.member = value;
    }
    return settings;
}

bool TESectionBreak::isEqual(const AttributeValue& other) const
{
    const auto* section = other.as<TESectionBreak>();
    return section && section->m_settings == m_settings;
}

std::size_t TESectionBreak::hash() const
{
    std::size_t seed = static_cast<std::size_t>(m_settings.start);
    for (const NamedNumber& length : namedNumbers())
        seed = hashCombine(seed, static_cast<std::size_t>((m_settings.*length.member).value_or(-1)));
    seed = hashKind(seed, m_settings, kPageNumberFormatWords);
    seed = hashKind(seed, m_settings, kLineNumberingWords);
    return hashCombine(seed, static_cast<std::size_t>(m_settings.restartsPageNumbers) << 2 |
                                 static_cast<std::size_t>(m_settings.landscape) << 1 | m_settings.titlePage);
}

} // namespace folio
