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

constexpr std::array<std::pair<TESectionBreak::Start, std::string_view>, 5> kStartWords{{
    {TESectionBreak::Start::NextPage, "next-page"},
    {TESectionBreak::Start::Continuous, "continuous"},
    {TESectionBreak::Start::NextColumn, "next-column"},
    {TESectionBreak::Start::EvenPage, "even-page"},
    {TESectionBreak::Start::OddPage, "odd-page"},
}};

using Length = std::optional<int> TESectionBreak::Settings::*;

struct NamedLength {
    std::string_view name;
    Length member;
    bool (*isUsable)(int);
};

const std::array<NamedLength, 11>& namedLengths()
{
    static const std::array<NamedLength, 11> kLengths{{
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
    for (const NamedLength& length : namedLengths())
        if (const std::optional<int>& value = m_settings.*length.member)
            text += " " + std::string(length.name) + "=" + std::to_string(*value);
    if (m_settings.landscape)
        text += " landscape";
    if (m_settings.titlePage)
        text += " title-page";
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
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = word.substr(0, equals);
        const std::string_view number = word.substr(equals + 1);
        int value = 0;
        const auto [numberEnd, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || numberEnd != number.data() + number.size())
            continue;
        for (const NamedLength& length : namedLengths())
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
    for (const NamedLength& length : namedLengths())
        seed = hashCombine(seed, static_cast<std::size_t>((m_settings.*length.member).value_or(-1)));
    return hashCombine(seed, static_cast<std::size_t>(m_settings.landscape) << 1 | m_settings.titlePage);
}

} // namespace folio
