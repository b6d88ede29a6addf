#include "formats/rtf/DKRTFShapeGroup.h"

#include "engine/model/TEShapePlace.h"
#include "platform/foundation/Unicode.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace folio {

namespace {

bool isLetter(char unit) { return (unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z'); }

// The instructions up to the first shape they hold: a group's own
// properties come before its shapes.
std::u16string_view ownPart(std::u16string_view instructions)
{
    const std::size_t shape = instructions.find(u"{\\shp");
    return shape == std::u16string_view::npos ? instructions : instructions.substr(0, shape);
}

// Each placement word's name and the text of its number ("" for none).
template <typename Visit>
void eachWord(std::string_view words, Visit visit)
{
    for (std::size_t at = words.find('\\'); at != std::string_view::npos;) {
        std::size_t end = at + 1;
        while (end < words.size() && isLetter(words[end]))
            ++end;
        const std::size_t number = end;
        while (end < words.size() && words[end] != '\\')
            ++end;
        visit(words.substr(at + 1, number - at - 1), words.substr(number, end - number));
        at = end < words.size() ? end : std::string_view::npos;
    }
}

} // namespace

std::optional<long long> DKRTFShapeGroup::property(std::u16string_view instructions, std::u16string_view name)
{
    const std::u16string_view own = ownPart(instructions);
    const std::u16string key = u"{\\sn " + std::u16string(name) + u"}";
    const std::size_t found = own.find(key);
    if (found == std::u16string_view::npos)
        return std::nullopt;
    const std::size_t value = own.find(u"{\\sv ", found + key.size());
    if (value == std::u16string_view::npos || value > found + key.size() + 2)
        return std::nullopt;
    const std::string digits = toUtf8(own.substr(value + 5, 24));
    char* end = nullptr;
    const long long number = std::strtoll(digits.c_str(), &end, 10);
    if (end == digits.c_str())
        return std::nullopt;
    return number;
}

std::optional<DKRTFShapeGroup> DKRTFShapeGroup::fromInstructions(std::u16string_view instructions)
{
    DKRTFShapeGroup group;
    group.m_words = TEShapePlace::wordsOfInstructions(instructions);
    std::array<bool, 4> given{};
    eachWord(group.m_words, [&](std::string_view name, std::string_view number) {
        const long long value = std::strtoll(std::string(number).c_str(), nullptr, 10);
        if (name == "shpleft")
            group.m_place.left = value, given[0] = true;
        else if (name == "shptop")
            group.m_place.top = value, given[1] = true;
        else if (name == "shpright")
            group.m_place.right = value, given[2] = true;
        else if (name == "shpbottom")
            group.m_place.bottom = value, given[3] = true;
    });
    if (given != std::array<bool, 4>{true, true, true, true})
        return std::nullopt;
    Box& space = group.m_coordinates;
    space.left = property(instructions, u"groupLeft").value_or(space.left);
    space.top = property(instructions, u"groupTop").value_or(space.top);
    space.right = property(instructions, u"groupRight").value_or(space.right);
    space.bottom = property(instructions, u"groupBottom").value_or(space.bottom);
    if (space.right <= space.left || space.bottom <= space.top)
        return std::nullopt;
    return group;
}

std::string DKRTFShapeGroup::placeOfMember(std::u16string_view instructions) const
{
    const std::optional<long long> left = property(instructions, u"relLeft");
    const std::optional<long long> top = property(instructions, u"relTop");
    const std::optional<long long> right = property(instructions, u"relRight");
    const std::optional<long long> bottom = property(instructions, u"relBottom");
    if (!left || !top || !right || !bottom)
        return m_words;
    // Scaled from the group's coordinates to its box on the page.
    const double across = double(m_place.right - m_place.left) / double(m_coordinates.right - m_coordinates.left);
    const double down = double(m_place.bottom - m_place.top) / double(m_coordinates.bottom - m_coordinates.top);
    auto x = [&](long long value) { return m_place.left + std::llround((value - m_coordinates.left) * across); };
    auto y = [&](long long value) { return m_place.top + std::llround((value - m_coordinates.top) * down); };
    return wordsWithBox(Box{x(*left), y(*top), x(*right), y(*bottom)});
}

std::string DKRTFShapeGroup::wordsWithBox(const Box& box) const
{
    std::string words;
    eachWord(m_words, [&](std::string_view name, std::string_view number) {
        words += '\\';
        words += name;
        if (name == "shpleft")
            words += std::to_string(box.left);
        else if (name == "shptop")
            words += std::to_string(box.top);
        else if (name == "shpright")
            words += std::to_string(box.right);
        else if (name == "shpbottom")
            words += std::to_string(box.bottom);
        else
            words += number;
    });
    return words;
}

} // namespace folio
