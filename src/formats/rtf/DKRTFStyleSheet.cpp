#include "formats/rtf/DKRTFStyleSheet.h"

#include "formats/rtf/DKRTFColorTableEntry.h"
#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFGroupText.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <unordered_set>

namespace folio {

namespace {

using rtfgrouptext::afterGroup;
using rtfgrouptext::ControlWord;
using rtfgrouptext::controlWordAt;
using rtfgrouptext::isLetter;

using Kind = DKRTFStyleSheet::Entry::Kind;


std::optional<Kind> kindOfWord(std::string_view word)
{
    if (word == "s")
        return Kind::Paragraph;
    if (word == "cs")
        return Kind::Character;
    if (word == "ds")
        return Kind::Section;
    if (word == "ts")
        return Kind::Table;
    return std::nullopt;
}

const char* wordOfKind(Kind kind)
{
    switch (kind) {
    case Kind::Character:
        return "\\cs";
    case Kind::Section:
        return "\\ds";
    case Kind::Table:
        return "\\ts";
    default:
        return "\\s";
    }
}

bool isFontWord(std::string_view word) { return word == "f" || word == "af"; }

// The words whose parameter is a colour table number.
bool isColorWord(std::string_view word)
{
    static const std::unordered_set<std::string_view> kWords = {
        "cf",      "cb",      "highlight", "chcbpat", "chcfpat", "cbpat",       "cfpat",      "brdrcf",     "ulc",
        "clcbpat", "clcfpat", "trcbpat",   "trcfpat", "clcbpatraw", "clcfpatraw", "tscellcbpat", "tscellcfpat"};
    return kWords.contains(word);
}

std::u16string trimmed(std::u16string name)
{
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    std::size_t start = 0;
    while (start < name.size() && name[start] == u' ')
        ++start;
    return name.substr(start);
}

// A name as RTF text: "\uN?" for everything beyond printable ASCII, so that
// it reads back the same in any code page, and the semicolon that would end
// it early left out.
void appendName(DKRTFDataBuffer& buffer, std::u16string_view name)
{
    for (char16_t unit : name) {
        if (unit == u';')
            continue;
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            buffer.appendByte('\\');
            buffer.appendByte(static_cast<char>(unit));
        } else if (unit < 0x20 || unit > 0x7E) {
            buffer.appendCString("\\u");
            buffer.appendInteger(unit > 0x7FFF ? static_cast<std::int32_t>(unit) - 65536 : unit);
            buffer.appendByte('?');
        } else {
            buffer.appendByte(static_cast<char>(unit));
        }
    }
}

} // namespace

DKRTFStyleSheet::Entry DKRTFStyleSheet::readEntry(std::string_view group, const EntryReading& reading)
{
    Entry entry;
    bool numbered = false;
    bool nameEnded = false;
    int replacementCount = 1;
    std::u16string name;
    // The name's text comes as plain characters and escaped bytes, each
    // decoded in its own way, in order.
    std::string plain;
    std::string escaped;
    auto flush = [&] {
        if (!plain.empty())
            name += reading.plainText(std::exchange(plain, {}));
        if (!escaped.empty())
            name += reading.escapedBytes(std::exchange(escaped, {}));
    };
    std::size_t at = 0;
    while (at < group.size()) {
        const char character = group[at];
        if (character == '\\' && at + 1 < group.size() && isLetter(group[at + 1])) {
            const ControlWord word = controlWordAt(group, at);
            const std::optional<Kind> kind = kindOfWord(word.name);
            if (kind && !numbered && !word.parameter.empty()) {
                entry.kind = *kind;
                entry.number = intValue(word.parameter);
                numbered = true;
            } else if (word.name == "u" && !word.parameter.empty()) {
                int code = intValue(word.parameter);
                if (code < 0)
                    code += 65536;
                if (!nameEnded) {
                    if (!escaped.empty() || !plain.empty())
                        flush();
                    name.push_back(static_cast<char16_t>(code));
                }
                // The characters that stand in for it in older readers.
                std::size_t skip = word.end;
                for (int skipped = 0; skipped < replacementCount && skip < group.size(); ++skipped) {
                    if (group[skip] == '\\' && skip + 1 < group.size() && group[skip + 1] == '\'')
                        skip += 4;
                    else if (group[skip] != '\\' && group[skip] != '{' && group[skip] != '}')
                        ++skip;
                }
                at = std::min(skip, group.size());
                continue;
            } else {
                if (word.name == "uc" && !word.parameter.empty())
                    replacementCount = std::max(0, intValue(word.parameter));
                entry.formatting += group.substr(at, word.endBeforeBlank - at);
            }
            at = word.end;
            continue;
        }
        if (character == '\\' && at + 1 < group.size()) {
            const char symbol = group[at + 1];
            if (symbol == '\'') {
                if (!plain.empty())
                    flush();
                if (!nameEnded && at + 3 < group.size())
                    escaped.push_back(static_cast<char>(digitValue(static_cast<char16_t>(group[at + 2]), 16) * 16
                                                        + digitValue(static_cast<char16_t>(group[at + 3]), 16)));
                at += 4;
            } else if (symbol == '\\' || symbol == '{' || symbol == '}') {
                if (!nameEnded) {
                    if (!escaped.empty())
                        flush();
                    plain.push_back(symbol);
                }
                at += 2;
            } else if (symbol == '*' && entry.formatting.empty() && !numbered) {
                entry.starred = true;
                at += 2;
            } else {
                entry.formatting += group.substr(at, 2);
                at += 2;
            }
            continue;
        }
        if (character == '{') {
            const std::size_t end = afterGroup(group, at);
            entry.formatting += group.substr(at, end - at);
            at = end;
            continue;
        }
        ++at;
        if (character == ';') {
            nameEnded = true;
        } else if (character != '\r' && character != '\n' && character != '}' && !nameEnded) {
            if (!escaped.empty())
                flush();
            plain.push_back(character);
        }
    }
    flush();
    entry.name = trimmed(std::move(name));
    // Word writes its default paragraph style, "Normal", without a number:
    // it is style 0. A group with neither number nor name is no style.
    if (!numbered && (entry.starred || entry.name.empty())) {
        Entry other;
        other.kind = Kind::Other;
        other.formatting = std::string(group);
        entry = std::move(other);
    }
    entry.formatting = renumbered(entry.formatting, reading.font, reading.color);
    return entry;
}

std::string DKRTFStyleSheet::renumbered(std::string_view formatting, const std::function<std::optional<int>(int)>& font,
                                        const std::function<std::optional<int>(int)>& color)
{
    std::string result;
    result.reserve(formatting.size());
    std::size_t at = 0;
    while (at < formatting.size()) {
        if (formatting[at] != '\\' || at + 1 >= formatting.size()) {
            // Everything up to the next control word stays as it is.
            const std::size_t next = std::min(formatting.find('\\', at + 1), formatting.size());
            result.append(formatting.substr(at, next - at));
            at = next;
            continue;
        }
        if (!isLetter(formatting[at + 1])) {
            result.append(formatting.substr(at, 2));
            at += 2;
            continue;
        }
        const ControlWord word = controlWordAt(formatting, at);
        const bool fontWord = isFontWord(word.name);
        if ((fontWord || isColorWord(word.name)) && !word.parameter.empty()) {
            const std::optional<int> number = (fontWord ? font : color)(intValue(word.parameter));
            if (number) {
                result += '\\';
                result += word.name;
                result += std::to_string(*number);
            }
            // A blank that delimited the word may also have separated it
            // from text after it, which a dropped word must not join.
            if (word.end != word.endBeforeBlank && (number || (word.end < formatting.size() && formatting[word.end] != '\\')))
                result += ' ';
        } else {
            result.append(formatting.substr(at, word.end - at));
        }
        at = word.end;
    }
    return result;
}

int DKRTFStyleSheet::fontReference(const std::u16string& name)
{
    auto found = std::find(m_fonts.begin(), m_fonts.end(), name);
    if (found != m_fonts.end())
        return static_cast<int>(found - m_fonts.begin());
    m_fonts.push_back(name);
    return static_cast<int>(m_fonts.size() - 1);
}

int DKRTFStyleSheet::colorReference(const std::shared_ptr<const ColorValue>& color)
{
    if (!color)
        return 0;
    const DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&color->color());
    for (std::size_t index = 1; index < m_colors.size(); ++index) {
        if (m_colors[index] && DKRTFColorTableEntry::entryWithColor(&m_colors[index]->color()) == entry)
            return static_cast<int>(index);
    }
    m_colors.push_back(color);
    return static_cast<int>(m_colors.size() - 1);
}

std::optional<int> DKRTFStyleSheet::paragraphStyleNumber(std::u16string_view name) const
{
    std::optional<int> differentCase;
    const std::u16string lower = lowercaseString(name);
    for (const Entry& entry : m_entries) {
        if (entry.kind != Kind::Paragraph)
            continue;
        if (entry.name == name)
            return entry.number;
        if (!differentCase && lowercaseString(entry.name) == lower)
            differentCase = entry.number;
    }
    return differentCase;
}

std::optional<int> DKRTFStyleSheet::characterStyleNumber(std::u16string_view name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.kind == Kind::Character && entry.name == name)
            return entry.number;
    }
    return std::nullopt;
}

const std::u16string* DKRTFStyleSheet::paragraphStyleName(int number) const
{
    for (const Entry& entry : m_entries) {
        if (entry.kind == Kind::Paragraph && entry.number == number)
            return &entry.name;
    }
    return nullptr;
}

int DKRTFStyleSheet::addParagraphStyle(const std::u16string& name)
{
    int number = 0;
    for (const Entry& entry : m_entries) {
        if (entry.kind != Kind::Other)
            number = std::max(number, entry.number + 1);
    }
    Entry entry;
    entry.number = number;
    entry.name = name;
    if (paragraphStyleName(0))
        entry.formatting = "\\sbasedon0";
    entry.formatting += "\\snext" + std::to_string(number);
    m_entries.push_back(std::move(entry));
    return number;
}

void DKRTFStyleSheet::writeGroup(DKRTFDataBuffer& buffer, const std::function<std::optional<int>(int)>& font,
                                 const std::function<std::optional<int>(int)>& color) const
{
    buffer.appendCString("{\\stylesheet");
    for (const Entry& entry : m_entries) {
        buffer.appendByte('{');
        if (entry.kind == Kind::Other) {
            buffer.appendCString(renumbered(entry.formatting, font, color));
            buffer.appendByte('}');
            continue;
        }
        if (entry.starred)
            buffer.appendCString("\\*");
        buffer.appendCString(wordOfKind(entry.kind));
        buffer.appendInteger(entry.number);
        buffer.appendCString(renumbered(entry.formatting, font, color));
        buffer.appendByte(' ');
        appendName(buffer, entry.name);
        buffer.appendCString(";}");
    }
    buffer.appendCString("}\n");
}

void DKRTFStyleSheet::write(DKRTFDataBuffer& buffer, const std::function<int(const std::u16string&)>& fontNumber,
                            const std::function<int(const Color*)>& colorNumber) const
{
    writeGroup(
        buffer,
        [&](int index) -> std::optional<int> {
            if (index < 0 || static_cast<std::size_t>(index) >= m_fonts.size())
                return std::nullopt;
            return fontNumber(m_fonts[static_cast<std::size_t>(index)]);
        },
        [&](int index) -> std::optional<int> {
            if (index <= 0 || static_cast<std::size_t>(index) >= m_colors.size() || !m_colors[static_cast<std::size_t>(index)])
                return 0;
            return colorNumber(&m_colors[static_cast<std::size_t>(index)]->color());
        });
}

std::string DKRTFStyleSheet::serialized() const
{
    DKRTFDataBuffer buffer;
    buffer.appendCString("{\\fonttbl");
    for (std::size_t index = 0; index < m_fonts.size(); ++index) {
        buffer.appendCString("{\\f");
        buffer.appendInteger(static_cast<std::int32_t>(index));
        buffer.appendCString("\\fnil ");
        appendName(buffer, m_fonts[index]);
        buffer.appendCString(";}");
    }
    buffer.appendCString("}{\\colortbl;");
    for (std::size_t index = 1; index < m_colors.size(); ++index) {
        if (m_colors[index]) {
            const DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&m_colors[index]->color());
            buffer.appendCString("\\red");
            buffer.appendInteger(entry.red());
            buffer.appendCString("\\green");
            buffer.appendInteger(entry.green());
            buffer.appendCString("\\blue");
            buffer.appendInteger(entry.blue());
        }
        buffer.appendByte(';');
    }
    buffer.appendCString("}");
    auto same = [](int index) -> std::optional<int> { return index; };
    writeGroup(buffer, same, same);
    return buffer.takeBytes();
}

std::optional<DKRTFStyleSheet> DKRTFStyleSheet::fromSerialized(std::string_view rtf)
{
    const std::string document = "{\\rtf1\\ansi\\ansicpg1252" + std::string(rtf) + "}";
    DKRTFReader reader(DKRTFReaderSource::utf8(document), std::nullopt, DKRTFReader::Fonts::Omitted);
    reader.parse();
    const std::optional<DKRTFStyleSheet>& sheet = reader.styleSheet();
    if (!sheet || sheet->isEmpty())
        return std::nullopt;
    return sheet;
}

bool operator==(const DKRTFStyleSheet& first, const DKRTFStyleSheet& second)
{
    if (first.m_entries != second.m_entries || first.m_fonts != second.m_fonts
        || first.m_colors.size() != second.m_colors.size())
        return false;
    for (std::size_t index = 0; index < first.m_colors.size(); ++index) {
        const auto& one = first.m_colors[index];
        const auto& other = second.m_colors[index];
        if (!one || !other) {
            if (one != other)
                return false;
        } else if (!(DKRTFColorTableEntry::entryWithColor(&one->color())
                     == DKRTFColorTableEntry::entryWithColor(&other->color()))) {
            return false;
        }
    }
    return true;
}

} // namespace folio
