#include "engine/model/TEShapePlace.h"

#include "platform/foundation/Unicode.h"

#include <map>

namespace folio {

namespace {

bool isLetter(char16_t unit) { return unit >= u'a' && unit <= u'z'; }
bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// The control words of the text, each with its number (none for a word
// without one), or nothing when the text holds anything but control words.
std::optional<std::map<std::u16string, std::optional<long long>>> controlWords(std::u16string_view text)
{
    std::map<std::u16string, std::optional<long long>> words;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at++] != u'\\' || at == text.size() || !isLetter(text[at]))
            return std::nullopt;
        const std::size_t name = at;
        while (at < text.size() && isLetter(text[at]))
            ++at;
        const std::u16string word(text.substr(name, at - name));
        const bool negative = at < text.size() && text[at] == u'-';
        if (negative)
            ++at;
        const std::size_t digits = at;
        long long number = 0;
        while (at < text.size() && isDigit(text[at]) && at - digits < 9)
            number = number * 10 + (text[at++] - u'0');
        if (at < text.size() && isDigit(text[at]))
            return std::nullopt;
        if (negative && at == digits)
            return std::nullopt;
        words[word] = at == digits ? std::nullopt : std::optional<long long>(negative ? -number : number);
    }
    return words;
}

} // namespace

std::string TEShapePlace::wordsOfInstructions(std::u16string_view instructions)
{
    constexpr std::u16string_view kPrefix = u"shp";
    std::u16string words;
    int depth = 0;
    for (std::size_t at = 0; at < instructions.size(); ++at) {
        const char16_t unit = instructions[at];
        if (unit == u'{') {
            ++depth;
        } else if (unit == u'}') {
            if (--depth < 0)
                break;
        } else if (unit == u'\\' && depth == 0 && at + 1 < instructions.size() && isLetter(instructions[at + 1])) {
            std::size_t end = at + 1;
            while (end < instructions.size() && isLetter(instructions[end]))
                ++end;
            if (end < instructions.size() && instructions[end] == u'-')
                ++end;
            while (end < instructions.size() && isDigit(instructions[end]))
                ++end;
            const std::u16string_view word = instructions.substr(at, end - at);
            // "\shplid" names the shape among the file's others; a save numbers its own.
            if (word.substr(1).starts_with(kPrefix) && !word.substr(1).starts_with(u"shplid") && word.size() < 40)
                words += word;
            at = end - 1;
        }
    }
    return isWellFormed(words) ? toUtf8(words) : std::string();
}

bool TEShapePlace::isWellFormed(std::u16string_view words)
{
    constexpr std::size_t kLongest = 1024;
    if (words.empty() || words.size() > kLongest)
        return false;
    const auto parsed = controlWords(words);
    if (!parsed)
        return false;
    for (const auto& [word, number] : *parsed)
        if (!word.starts_with(u"shp"))
            return false;
    return true;
}

bool TEShapePlace::wrapsText(std::u16string_view words)
{
    const auto parsed = isWellFormed(words) ? controlWords(words) : std::nullopt;
    if (!parsed)
        return false;
    const auto found = parsed->find(u"shpwr");
    if (found == parsed->end() || !found->second)
        return false;
    return *found->second == 2 || *found->second == 4 || *found->second == 5;
}

std::optional<TEShapePlace::Offset> TEShapePlace::offsetInColumn(std::u16string_view words)
{
    const auto parsed = isWellFormed(words) ? controlWords(words) : std::nullopt;
    if (!parsed)
        return std::nullopt;
    const auto number = [&](std::u16string_view word) -> std::optional<long long> {
        const auto found = parsed->find(std::u16string(word));
        return found == parsed->end() ? std::nullopt : found->second;
    };
    const auto given = [&](std::u16string_view word) { return parsed->contains(std::u16string(word)); };
    if (!wrapsText(words))
        return std::nullopt;
    // Across, from the column or the margin (the same in one column);
    // down, from the paragraph.
    if (given(u"shpbxpage") || !given(u"shpbypara"))
        return std::nullopt;
    constexpr double kPointsPerTwip = 1.0 / 20;
    constexpr long long kFarthest = 31680;
    const long long left = number(u"shpleft").value_or(0);
    const long long top = number(u"shptop").value_or(0);
    if (left < -kFarthest || left > kFarthest || top < -kFarthest || top > kFarthest)
        return std::nullopt;
    return Offset{static_cast<double>(left) * kPointsPerTwip, static_cast<double>(top) * kPointsPerTwip};
}

} // namespace folio
