#include "formats/rtf/DKRTFHeaderFooterForms.h"

#include "formats/rtf/DKRTFColorTableEntry.h"
#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFGroupText.h"
#include "formats/rtf/DKRTFForeignHeaderFooter.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Color.h"

#include <cstdint>

namespace folio {

namespace {

using rtfgrouptext::afterGroup;
using rtfgrouptext::isLetter;

constexpr std::string_view kSectionWord = "\\foliosection";
constexpr std::string_view kShownWord = "{\\*\\folioshown ";
constexpr std::string_view kOwnShownWord = "{\\*\\folioownshown ";



void appendEscaped(std::string& out, std::u16string_view text)
{
    for (char16_t unit : text) {
        if (unit == u'\\' || unit == u'{' || unit == u'}' || unit == u';') {
            out += "\\'" + formatInCLocale("%02x", static_cast<unsigned>(unit));
        } else if (unit < 0x20 || unit > 0x7E) {
            out += "\\u" + std::to_string(static_cast<unsigned>(unit)) + "?";
        } else {
            out.push_back(static_cast<char>(unit));
        }
    }
}

std::u16string unescaped(std::string_view text)
{
    std::u16string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with("\\'") && at + 4 <= text.size()) {
            out.push_back(static_cast<char16_t>(std::stoul(std::string(text.substr(at + 2, 2)), nullptr, 16)));
            at += 4;
        } else if (text.substr(at).starts_with("\\u")) {
            std::size_t end = at + 2;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            out.push_back(static_cast<char16_t>(integerValue(text.substr(at + 2, end - at - 2))));
            at = end < text.size() && text[end] == '?' ? end + 1 : end;
        } else {
            out.push_back(static_cast<unsigned char>(text[at++]));
        }
    }
    return out;
}

// The number after `word` ("\red") in `entry`; -1 when it is not there.
int numberAfter(std::string_view entry, std::string_view word)
{
    const std::size_t at = entry.find(word);
    if (at == std::string_view::npos)
        return -1;
    std::size_t end = at + word.size();
    while (end < entry.size() && entry[end] >= '0' && entry[end] <= '9')
        ++end;
    return static_cast<int>(integerValue(entry.substr(at + word.size(), end - at - word.size())));
}

} // namespace

std::string DKRTFHeaderFooterForms::serialized() const
{
    std::string text = words;
    if (!fonts().empty() || colors().size() > 1) {
        text += "{\\fonttbl";
        for (std::size_t index = 0; index < fonts().size(); ++index) {
            text += "{\\f" + std::to_string(index) + "\\fnil ";
            appendEscaped(text, fonts()[index]);
            text += ";}";
        }
        text += "}{\\colortbl;";
        for (std::size_t index = 1; index < colors().size(); ++index) {
            if (colors()[index]) {
                const DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&colors()[index]->color());
                text += "\\red" + std::to_string(entry.red()) + "\\green" + std::to_string(entry.green()) + "\\blue" +
                    std::to_string(entry.blue());
            }
            text += ";";
        }
        text += "}\n";
    }
    for (const Group& group : groups) {
        if (group.section > 0)
            text += std::string(kSectionWord) + std::to_string(group.section);
        if (group.shownAs) {
            text += group.settingsAreOwn ? kOwnShownWord : kShownWord;
            appendEscaped(text, toUtf16(*group.shownAs));
            text += "}";
        }
        text += "{\\" + group.word + " " + group.content + "}\n";
    }
    return text;
}

DKRTFHeaderFooterForms DKRTFHeaderFooterForms::fromSerialized(std::string_view text)
{
    DKRTFHeaderFooterForms forms;
    std::size_t at = text.find('{');
    forms.words = std::string(text.substr(0, at));
    std::optional<int> section;
    std::optional<std::string> shownAs;
    bool settingsAreOwn = false;
    while (at < text.size()) {
        if (text.substr(at).starts_with(kSectionWord)) {
            std::size_t end = at + kSectionWord.size();
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            section = static_cast<int>(integerValue(text.substr(at + kSectionWord.size(), end - at - kSectionWord.size())));
            at = end;
            continue;
        }
        if (text[at] != '{') {
            ++at;
            continue;
        }
        const std::size_t end = afterGroup(text, at);
        const std::string_view group = text.substr(at, end - at);
        at = end;
        if (group.starts_with(kShownWord) || group.starts_with(kOwnShownWord)) {
            settingsAreOwn = group.starts_with(kOwnShownWord);
            const std::size_t start = settingsAreOwn ? kOwnShownWord.size() : kShownWord.size();
            shownAs = toUtf8(unescaped(group.substr(start, group.size() - start - 1)));
            continue;
        }
        if (group.starts_with("{\\fonttbl")) {
            for (std::size_t entry = group.find("{\\f", 1); entry != std::string_view::npos;
                 entry = group.find("{\\f", entry + 1)) {
                const std::size_t name = group.find(' ', entry);
                const std::size_t close = group.find(";}", entry);
                if (name == std::string_view::npos || close == std::string_view::npos || close < name)
                    break;
                forms.m_tables.fontReference(unescaped(group.substr(name + 1, close - name - 1)));
            }
            continue;
        }
        if (group.starts_with("{\\colortbl;")) {
            std::string_view entries = group.substr(11, group.size() - 12);
            for (std::size_t start = 0, semicolon; (semicolon = entries.find(';', start)) != std::string_view::npos;
                 start = semicolon + 1) {
                const std::string_view entry = entries.substr(start, semicolon - start);
                const int red = numberAfter(entry, "\\red");
                const int green = numberAfter(entry, "\\green");
                const int blue = numberAfter(entry, "\\blue");
                // A colour the table lost keeps its place, so that the
                // numbers after it still name theirs.
                std::shared_ptr<const ColorValue> color;
                if (red >= 0 && green >= 0 && blue >= 0)
                    color = ColorValue::make(Color::colorWithRed(red / 255.0, green / 255.0, blue / 255.0));
                if (color)
                    forms.m_tables.colorReference(color);
            }
            continue;
        }
        if (group.size() < 3 || group[1] != '\\' || !isLetter(group[2]))
            continue;
        std::size_t wordEnd = 2;
        while (wordEnd < group.size() && isLetter(group[wordEnd]))
            ++wordEnd;
        Group kept;
        kept.section = section.value_or(0);
        kept.word = std::string(group.substr(2, wordEnd - 2));
        const std::size_t content = wordEnd < group.size() && group[wordEnd] == ' ' ? wordEnd + 1 : wordEnd;
        kept.content = std::string(group.substr(content, group.size() - 1 - content));
        kept.shownAs = std::move(shownAs);
        kept.settingsAreOwn = kept.shownAs && settingsAreOwn;
        forms.groups.push_back(std::move(kept));
        section.reset();
        shownAs.reset();
        settingsAreOwn = false;
    }
    return forms;
}

std::string DKRTFHeaderFooterForms::groupRTF(const Group& group, const std::function<std::optional<int>(int)>& font,
                                             const std::function<std::optional<int>(int)>& color) const
{
    return "{\\" + group.word + " " + DKRTFStyleSheet::renumbered(group.content, font, color) + "}";
}

std::optional<AttributedString> DKRTFHeaderFooterForms::textOf(const Group& group) const
{
    DKRTFHeaderFooterForms tables;
    tables.m_tables = m_tables;
    std::string rtf = "{\\rtf1\\ansi" + tables.serialized() + "\\deff0 ";
    rtf += toUtf8(DKRTFForeignHeaderFooter::withPagePlaceholders(toUtf16(group.content))) + "}";
    Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
    if (!read)
        return std::nullopt;
    return std::move(read->text);
}

std::optional<std::string> DKRTFHeaderFooterForms::settingsOf(const Group& group, int distanceTwips) const
{
    std::optional<AttributedString> text = textOf(group);
    return text ? DKRTFForeignHeaderFooter::settingsForText(*text, distanceTwips) : std::nullopt;
}

} // namespace folio
