#include "formats/rtf/DKRTFFormField.h"

#include "formats/rtf/DKRTFGroupText.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace folio {

namespace {

using rtfgrouptext::afterGroup;
using rtfgrouptext::ControlWord;
using rtfgrouptext::controlWordAt;

// Word's "\ffres" of a form left at its default.
constexpr int kDefaultResult = 25;
enum FormType { TextForm = 0, CheckBoxForm = 1, DropDownForm = 2 };

bool startsWith(std::u16string_view text, std::size_t at, std::string_view prefix)
{
    if (text.size() - at < prefix.size())
        return false;
    for (std::size_t index = 0; index < prefix.size(); ++index)
        if (text[at + index] != static_cast<unsigned char>(prefix[index]))
            return false;
    return true;
}

int parameterOf(const ControlWord& word)
{
    int value = 0;
    for (char digit : word.parameter)
        if (digit >= '0' && digit <= '9' && value < 100000)
            value = value * 10 + (digit - '0');
    return value;
}

// The text of a "{\*\ffl ...}" item: "\'xx" and "\uN" decoded (bytes as
// Latin-1: Word writes its items in the document's code page, most often
// Windows-1252, whose letters Latin-1 shares), other words dropped.
std::u16string itemText(std::string_view source)
{
    std::u16string text;
    for (std::size_t at = 0; at < source.size();) {
        const char unit = source[at];
        if (unit == '{' || unit == '}' || unit == '\r' || unit == '\n') {
            ++at;
        } else if (unit != '\\' || at + 1 >= source.size()) {
            text.push_back(static_cast<unsigned char>(unit));
            ++at;
        } else if (source[at + 1] == '\'' && at + 3 < source.size()) {
            const std::string digits(source.substr(at + 2, 2));
            text.push_back(static_cast<char16_t>(std::strtoul(digits.c_str(), nullptr, 16)));
            at += 4;
        } else if (rtfgrouptext::isLetter(source[at + 1])) {
            const ControlWord word = controlWordAt(source, at);
            at = word.end;
            if (word.name == "u" && !word.parameter.empty()) {
                const long value = std::strtol(std::string(word.parameter).c_str(), nullptr, 10);
                text.push_back(static_cast<char16_t>(value < 0 ? value + 65536 : value));
                if (at < source.size() && source[at] == '?')
                    ++at;
            }
        } else {
            text.push_back(static_cast<unsigned char>(source[at + 1]));
            at += 2;
        }
    }
    return text;
}

} // namespace

bool DKRTFFormField::isFormGroup(std::u16string_view source, std::size_t open)
{
    return startsWith(source, open, "{\\*\\formfield") || startsWith(source, open, "{\\*\\datafield");
}

std::u16string DKRTFFormField::joined(std::u16string_view text, std::u16string_view groups)
{
    std::u16string instruction(text);
    if (!groups.empty()) {
        instruction.push_back(kGroupsMark);
        instruction.append(groups);
    }
    return instruction;
}

std::u16string_view DKRTFFormField::text(std::u16string_view instruction)
{
    return instruction.substr(0, instruction.find(kGroupsMark));
}

std::optional<std::string> DKRTFFormField::groupsRTF(std::u16string_view instruction)
{
    const std::size_t mark = instruction.find(kGroupsMark);
    if (mark == std::u16string_view::npos)
        return std::nullopt;
    std::string groups;
    for (char16_t unit : instruction.substr(mark + 1)) {
        if (unit == u'\r' || unit == u'\n')
            return std::nullopt;
        // Text read as Unicode (a paste) has letters past a byte.
        if (unit > 0xFF)
            groups += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
        else
            groups.push_back(static_cast<char>(unit));
    }
    // Only whole groups of the form, one after the other: binary data would
    // hide braces from the count.
    if (groups.find("\\bin") != std::string::npos)
        return std::nullopt;
    for (std::size_t at = 0; at < groups.size();) {
        if (groups.compare(at, 13, "{\\*\\formfield") != 0 && groups.compare(at, 13, "{\\*\\datafield") != 0)
            return std::nullopt;
        const std::size_t end = afterGroup(std::string_view(groups), at);
        if (end == groups.size() && groups.back() != '}')
            return std::nullopt;
        int depth = 0;
        for (std::size_t inside = at; inside < end; ++inside) {
            if (groups[inside] == '\\')
                ++inside;
            else if (groups[inside] == '{')
                ++depth;
            else if (groups[inside] == '}')
                --depth;
        }
        if (depth != 0)
            return std::nullopt;
        at = end;
    }
    return groups;
}

std::optional<std::u16string> DKRTFFormField::shownValue(std::u16string_view instruction)
{
    const std::optional<std::string> groups = groupsRTF(instruction);
    if (!groups)
        return std::nullopt;
    const std::string_view source = *groups;
    const std::size_t form = source.find("{\\*\\formfield");
    if (form == std::string_view::npos)
        return std::nullopt;
    const std::size_t end = afterGroup(source, form);
    int type = TextForm;
    int result = kDefaultResult;
    int defaultResult = 0;
    std::vector<std::u16string> items;
    for (std::size_t at = form + std::string_view("{\\*\\formfield").size(); at < end;) {
        if (source.compare(at, 7, "{\\*\\ffl") == 0 && at + 7 < end && !rtfgrouptext::isLetter(source[at + 7])) {
            const std::size_t itemEnd = afterGroup(source, at);
            std::u16string item = itemText(source.substr(at + 7, itemEnd - 1 - (at + 7)));
            if (!item.empty() && item.front() == u' ')
                item.erase(0, 1);
            items.push_back(std::move(item));
            at = itemEnd;
        } else if (source.compare(at, 3, "{\\*") == 0 && at > form) {
            // The form's name, help and macros say nothing of its value.
            at = afterGroup(source, at);
        } else if (source[at] == '\\' && at + 1 < end && rtfgrouptext::isLetter(source[at + 1])) {
            const ControlWord word = controlWordAt(source, at);
            if (word.name == "fftype")
                type = parameterOf(word);
            else if (word.name == "ffres")
                result = parameterOf(word);
            else if (word.name == "ffdefres")
                defaultResult = parameterOf(word);
            at = word.end;
        } else {
            ++at;
        }
    }
    const int chosen = result == kDefaultResult ? defaultResult : result;
    if (type == CheckBoxForm)
        return std::u16string(1, chosen == 1 ? u'\u2612' : u'\u2610');
    if (type == DropDownForm && !items.empty())
        return items[chosen >= 0 && static_cast<std::size_t>(chosen) < items.size() ? static_cast<std::size_t>(chosen) : 0];
    return std::nullopt;
}

} // namespace folio
