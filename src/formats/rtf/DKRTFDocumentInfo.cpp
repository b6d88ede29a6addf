#include "formats/rtf/DKRTFDocumentInfo.h"

#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFGroupEnd.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <limits>

namespace folio {

namespace {

struct KnownWord {
    std::string_view name;
    DKRTFDocumentInfo::Kind kind;
};

// The words of the information group that RTF names, Word's counts among
// them.
constexpr KnownWord kKnownWords[] = {
    {"title", DKRTFDocumentInfo::Kind::Text},      {"subject", DKRTFDocumentInfo::Kind::Text},
    {"author", DKRTFDocumentInfo::Kind::Text},     {"manager", DKRTFDocumentInfo::Kind::Text},
    {"company", DKRTFDocumentInfo::Kind::Text},    {"operator", DKRTFDocumentInfo::Kind::Text},
    {"category", DKRTFDocumentInfo::Kind::Text},   {"keywords", DKRTFDocumentInfo::Kind::Text},
    {"comment", DKRTFDocumentInfo::Kind::Text},    {"doccomm", DKRTFDocumentInfo::Kind::Text},
    {"hlinkbase", DKRTFDocumentInfo::Kind::Text},  {"creatim", DKRTFDocumentInfo::Kind::Time},
    {"revtim", DKRTFDocumentInfo::Kind::Time},     {"printim", DKRTFDocumentInfo::Kind::Time},
    {"buptim", DKRTFDocumentInfo::Kind::Time},     {"version", DKRTFDocumentInfo::Kind::Number},
    {"vern", DKRTFDocumentInfo::Kind::Number},     {"edmins", DKRTFDocumentInfo::Kind::Number},
    {"nofpages", DKRTFDocumentInfo::Kind::Number}, {"nofwords", DKRTFDocumentInfo::Kind::Number},
    {"nofchars", DKRTFDocumentInfo::Kind::Number}, {"nofcharsws", DKRTFDocumentInfo::Kind::Number},
    {"id", DKRTFDocumentInfo::Kind::Number},
};

constexpr std::string_view kTimeWords[] = {"yr", "mo", "dy", "hr", "min", "sec"};

bool isLetter(char16_t unit) { return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'); }
bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// A control word at `position` (a backslash): its name and number, and
// where what follows it starts.
struct ControlWord {
    std::string name;
    std::optional<long long> number;
    std::size_t end = 0;
};

std::optional<ControlWord> controlWordAt(std::u16string_view text, std::size_t position)
{
    if (position + 1 >= text.size() || text[position] != u'\\' || !isLetter(text[position + 1]))
        return std::nullopt;
    ControlWord word;
    std::size_t at = position + 1;
    for (; at < text.size() && isLetter(text[at]) && word.name.size() < 32; ++at)
        word.name.push_back(static_cast<char>(text[at]));
    const bool negative = at < text.size() && text[at] == u'-';
    if (negative)
        ++at;
    if (at < text.size() && isDigit(text[at])) {
        long long number = 0;
        for (; at < text.size() && isDigit(text[at]); ++at)
            number = std::min<long long>(number * 10 + (text[at] - u'0'), std::numeric_limits<int>::max() + 1LL);
        word.number = negative ? -number : number;
    }
    if (at < text.size() && text[at] == u' ')
        ++at;
    word.end = at;
    return word;
}

bool isUsableNumber(const std::optional<long long>& number)
{
    return number && *number >= 0 && *number <= std::numeric_limits<int>::max();
}

std::optional<DKRTFDocumentInfo::Entry> entryOf(std::u16string_view group, const DKRTFObjectReader::ByteDecoder& decoder)
{
    std::size_t position = 0;
    while (position < group.size() && (group[position] == u' ' || group[position] == u'\r' || group[position] == u'\n'))
        ++position;
    DKRTFDocumentInfo::Entry entry;
    if (group.substr(position).starts_with(u"\\*")) {
        entry.ignorable = true;
        position += 2;
    }
    std::optional<ControlWord> word = controlWordAt(group, position);
    if (!word)
        return std::nullopt;
    const auto* known = std::find_if(std::begin(kKnownWords), std::end(kKnownWords),
                                     [&](const KnownWord& each) { return each.name == word->name; });
    if (known == std::end(kKnownWords))
        return std::nullopt;
    entry.word = word->name;
    entry.kind = known->kind;
    switch (entry.kind) {
    case DKRTFDocumentInfo::Kind::Text:
        entry.text = DKRTFObjectReader::decodeNoteText(group.substr(word->end), decoder);
        if (entry.text.empty())
            return std::nullopt;
        break;
    case DKRTFDocumentInfo::Kind::Number:
        if (!isUsableNumber(word->number))
            return std::nullopt;
        entry.number = static_cast<int>(*word->number);
        break;
    case DKRTFDocumentInfo::Kind::Time:
        for (std::size_t at = word->end; at < group.size();) {
            std::optional<ControlWord> part = controlWordAt(group, at);
            if (!part) {
                ++at;
                continue;
            }
            at = part->end;
            const auto* field = std::find(std::begin(kTimeWords), std::end(kTimeWords), part->name);
            if (field != std::end(kTimeWords) && isUsableNumber(part->number))
                entry.time[static_cast<std::size_t>(field - std::begin(kTimeWords))] = static_cast<int>(*part->number);
        }
        if (std::none_of(entry.time.begin(), entry.time.end(), [](const auto& part) { return part.has_value(); }))
            return std::nullopt;
        break;
    }
    return entry;
}

} // namespace

DKRTFDocumentInfo DKRTFDocumentInfo::read(std::u16string_view content, const DKRTFObjectReader::ByteDecoder& decoder)
{
    DKRTFDocumentInfo info;
    for (std::size_t position = 0; position < content.size();) {
        if (content[position] == u'\\') {
            position += 2;
            continue;
        }
        if (content[position] != u'{') {
            ++position;
            continue;
        }
        const std::optional<std::size_t> end = DKRTFGroupEnd(content, position);
        if (!end)
            break;
        const std::u16string_view group = content.substr(position + 1, *end - position - 2);
        if (group.starts_with(u"\\upr") && (group.size() == 4 || !isLetter(group[4]))) {
            // Word gives a value in the code page and again in Unicode
            // ("{\upr{\title ...}{\*\ud{\title ...}}}"): the Unicode one
            // is the value.
            const std::size_t unicode = group.find(u"{\\*\\ud");
            const std::optional<std::size_t> unicodeEnd = unicode == std::u16string_view::npos ? std::nullopt : DKRTFGroupEnd(group, unicode);
            const std::u16string_view values = unicodeEnd ? group.substr(unicode + 6, *unicodeEnd - unicode - 7) : group.substr(4);
            for (Entry& entry : read(values, decoder).m_entries)
                info.m_entries.push_back(std::move(entry));
        } else if (std::optional<Entry> entry = entryOf(group, decoder)) {
            info.m_entries.push_back(std::move(*entry));
        }
        position = *end;
    }
    return info;
}

void DKRTFDocumentInfo::write(DKRTFDataBuffer& buffer) const
{
    if (m_entries.empty())
        return;
    buffer.appendCString("{\\info");
    for (const Entry& entry : m_entries) {
        buffer.appendCString(entry.ignorable ? "{\\*\\" : "{\\");
        buffer.appendCString(entry.word);
        switch (entry.kind) {
        case Kind::Text:
            buffer.appendByte(' ');
            buffer.appendEscapedString(entry.text);
            break;
        case Kind::Number:
            buffer.appendInteger(entry.number);
            break;
        case Kind::Time:
            for (std::size_t field = 0; field < entry.time.size(); ++field) {
                if (!entry.time[field])
                    continue;
                buffer.appendByte('\\');
                buffer.appendCString(kTimeWords[field]);
                buffer.appendInteger(*entry.time[field]);
            }
            break;
        }
        buffer.appendByte('}');
    }
    buffer.appendCString("}\n");
}

std::string DKRTFDocumentInfo::serialized() const
{
    DKRTFDataBuffer buffer;
    write(buffer);
    return buffer.takeBytes();
}

DKRTFDocumentInfo DKRTFDocumentInfo::fromSerialized(std::string_view text)
{
    constexpr std::string_view kOpening = "{\\info";
    if (!text.starts_with(kOpening))
        return {};
    // The form is written with every unit past ASCII escaped: its bytes
    // are Latin-1, as the writer's escapes are.
    const std::u16string group = u"{" + toUtf16(std::string(text.substr(kOpening.size())));
    const std::optional<std::size_t> end = DKRTFGroupEnd(group, 0);
    if (!end)
        return {};
    StringDecoder latin1(StringEncoding::isoLatin1());
    return read(std::u16string_view(group).substr(1, *end - 2),
                [&latin1](std::string_view bytes) { return latin1.decode(bytes).value_or(std::u16string()); });
}

} // namespace folio
