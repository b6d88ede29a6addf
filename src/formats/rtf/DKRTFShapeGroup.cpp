#include "formats/rtf/DKRTFShapeGroup.h"

#include "engine/model/TEShapePlace.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
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

std::string shapeProperty(const char* name, long long value)
{
    return std::string("{\\sp{\\sn ") + name + "}{\\sv " + std::to_string(value) + "}}";
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

std::optional<DKRTFShapeGroup::Box> DKRTFShapeGroup::boxOfWords(std::string_view words)
{
    Box box;
    std::array<bool, 4> given{};
    eachWord(words, [&](std::string_view name, std::string_view number) {
        const long long value = std::strtoll(std::string(number).c_str(), nullptr, 10);
        if (name == "shpleft")
            box.left = value, given[0] = true;
        else if (name == "shptop")
            box.top = value, given[1] = true;
        else if (name == "shpright")
            box.right = value, given[2] = true;
        else if (name == "shpbottom")
            box.bottom = value, given[3] = true;
    });
    if (given != std::array<bool, 4>{true, true, true, true})
        return std::nullopt;
    return box;
}

std::optional<DKRTFShapeGroup> DKRTFShapeGroup::fromInstructions(std::u16string_view instructions)
{
    DKRTFShapeGroup group;
    group.m_words = TEShapePlace::wordsOfInstructions(instructions);
    const std::optional<Box> place = boxOfWords(group.m_words);
    if (!place)
        return std::nullopt;
    group.m_place = *place;
    Box& space = group.m_coordinates;
    space.left = property(instructions, u"groupLeft").value_or(space.left);
    space.top = property(instructions, u"groupTop").value_or(space.top);
    space.right = property(instructions, u"groupRight").value_or(space.right);
    space.bottom = property(instructions, u"groupBottom").value_or(space.bottom);
    if (space.right <= space.left || space.bottom <= space.top)
        return std::nullopt;
    return group;
}

std::optional<DKRTFShapeGroup> DKRTFShapeGroup::enclosing(const std::vector<std::string>& memberPlaces)
{
    if (memberPlaces.empty())
        return std::nullopt;
    // The group's words are its shapes' words: shapes that differ in more
    // than their boxes are no one group's.
    auto apartFromBox = [](std::string_view words) {
        std::string rest;
        eachWord(words, [&](std::string_view name, std::string_view number) {
            if (name != "shpleft" && name != "shptop" && name != "shpright" && name != "shpbottom")
                rest.append("\\").append(name).append(number);
        });
        return rest;
    };
    const std::string shared = apartFromBox(memberPlaces.front());
    std::optional<Box> all;
    for (const std::string& place : memberPlaces) {
        const std::optional<Box> box = boxOfWords(place);
        if (!box || apartFromBox(place) != shared)
            return std::nullopt;
        if (!all)
            all = box;
        all->left = std::min(all->left, box->left);
        all->top = std::min(all->top, box->top);
        all->right = std::max(all->right, box->right);
        all->bottom = std::max(all->bottom, box->bottom);
    }
    // A group without extent has no coordinates to place its shapes in.
    if (all->right <= all->left || all->bottom <= all->top)
        return std::nullopt;
    DKRTFShapeGroup group;
    // The first shape's words, with the whole group's box.
    group.m_words = memberPlaces.front();
    group.m_words = group.wordsWithBox(*all);
    group.m_place = *all;
    // Twips for coordinates: each shape's box is its place, unscaled.
    group.m_coordinates = *all;
    return group;
}

std::string DKRTFShapeGroup::instructions() const
{
    return m_words + shapeProperty("groupLeft", m_coordinates.left) + shapeProperty("groupTop", m_coordinates.top)
        + shapeProperty("groupRight", m_coordinates.right) + shapeProperty("groupBottom", m_coordinates.bottom);
}

std::string DKRTFShapeGroup::memberProperties(std::string_view memberPlace) const
{
    // The group's coordinates are its place in twips (see enclosing()).
    const Box box = boxOfWords(memberPlace).value_or(m_coordinates);
    return shapeProperty("relLeft", box.left) + shapeProperty("relTop", box.top)
        + shapeProperty("relRight", box.right) + shapeProperty("relBottom", box.bottom);
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
