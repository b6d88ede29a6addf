#include "formats/rtf/DKRTFDocumentInfo.h"

#include "formats/rtf/DKRTFDataBuffer.h"
#include "formats/rtf/DKRTFGroupEnd.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <iterator>
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
constexpr std::u16string_view kUserPropertiesWord = u"\\*\\userprops";

bool isLetter(char16_t unit) { return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'); }
bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

// A control word at `position` (a backslash): its name and number, and
// where what follows it starts.
struct InfoControlWord {
    std::string name;
    std::optional<long long> number;
    std::size_t end = 0;
};

std::optional<InfoControlWord> controlWordAt(std::u16string_view text, std::size_t position)
{
    if (position + 1 >= text.size() || text[position] != u'\\' || !isLetter(text[position + 1]))
        return std::nullopt;
    InfoControlWord word;
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

// Whether the group's content starts with `word` as a whole word.
bool startsWithWord(std::u16string_view group, std::u16string_view word)
{
    return group.starts_with(word) && (group.size() == word.size() || !isLetter(group[word.size()]));
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
    std::optional<InfoControlWord> word = controlWordAt(group, position);
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
            std::optional<InfoControlWord> part = controlWordAt(group, at);
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

// Hands over each control word and group at the top level of `content`, in
// order; a group goes whole, without its braces.
template <typename OnWord, typename OnGroup>
void forEachGroup(std::u16string_view content, OnWord onWord, OnGroup onGroup)
{
    for (std::size_t position = 0; position < content.size();) {
        if (std::optional<InfoControlWord> word = controlWordAt(content, position)) {
            onWord(*word);
            position = word->end;
            continue;
        }
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
        onGroup(content.substr(position + 1, *end - position - 2));
        position = *end;
    }
}

} // namespace

DKRTFDocumentInfo DKRTFDocumentInfo::read(std::u16string_view content, const DKRTFObjectReader::ByteDecoder& decoder)
{
    DKRTFDocumentInfo info;
    forEachGroup(content, [](const InfoControlWord&) {}, [&](std::u16string_view group) {
        if (group.starts_with(u"\\upr") && (group.size() == 4 || !isLetter(group[4]))) {
            // Word gives a value in the code page and again in Unicode
            // ("{\upr{\title ...}{\*\ud{\title ...}}}"): the Unicode one
            // is the value.
            const std::size_t unicode = group.find(u"{\\*\\ud");
            const std::optional<std::size_t> unicodeEnd = unicode == std::u16string_view::npos ? std::nullopt : DKRTFGroupEnd(group, unicode);
            const std::u16string_view values = unicodeEnd ? group.substr(unicode + 6, *unicodeEnd - unicode - 7) : group.substr(4);
            for (Entry& entry : read(values, decoder).m_entries)
                info.m_entries.push_back(std::move(entry));
        } else if (startsWithWord(group, kUserPropertiesWord)) {
            // LibreOffice writes the properties beside the group, others
            // inside it.
            info.readUserProperties(group.substr(kUserPropertiesWord.size()), decoder);
        } else if (std::optional<Entry> entry = entryOf(group, decoder)) {
            info.m_entries.push_back(std::move(*entry));
        }
    });
    return info;
}

void DKRTFDocumentInfo::readUserProperties(std::u16string_view content, const DKRTFObjectReader::ByteDecoder& decoder)
{
    // "{\propname ...}\proptypeN{\staticval ...}{\linkval ...}" for each
    // property: a name begins the next one, and a property has the first
    // type, value and link after its name; one before any name is no one's.
    std::optional<UserProperty> property;
    auto keep = [this, &property] {
        if (property && !property->name.empty())
            m_userProperties.push_back(std::move(*property));
        property.reset();
    };
    auto typeWord = [&property](const InfoControlWord& word) {
        if (word.name == "proptype" && property && !property->type && isUsableNumber(word.number))
            property->type = static_cast<int>(*word.number);
    };
    forEachGroup(content, typeWord, [&](std::u16string_view group) {
        // A writer may mark a group it expects older readers to skip.
        if (group.starts_with(u"\\*"))
            group.remove_prefix(2);
        std::optional<InfoControlWord> word = controlWordAt(group, 0);
        if (word && word->name == "propname") {
            keep();
            property = UserProperty{DKRTFObjectReader::decodeNoteText(group.substr(word->end), decoder), {}, {}, {}};
        } else if (word && word->name == "staticval" && property && !property->value) {
            property->value = DKRTFObjectReader::decodeNoteText(group.substr(word->end), decoder);
        } else if (word && word->name == "linkval" && property && !property->linkedBookmark) {
            property->linkedBookmark = DKRTFObjectReader::decodeNoteText(group.substr(word->end), decoder);
        }
    });
    keep();
}

void DKRTFDocumentInfo::append(DKRTFDocumentInfo other)
{
    std::move(other.m_entries.begin(), other.m_entries.end(), std::back_inserter(m_entries));
    std::move(other.m_userProperties.begin(), other.m_userProperties.end(), std::back_inserter(m_userProperties));
}

void DKRTFDocumentInfo::write(DKRTFDataBuffer& buffer) const
{
    writeInformationGroup(buffer);
    if (m_userProperties.empty())
        return;
    // Beside the information group, as LibreOffice writes the properties.
    buffer.appendCString("{\\*\\userprops");
    for (const UserProperty& property : m_userProperties) {
        buffer.appendCString("{\\propname ");
        buffer.appendEscapedString(property.name);
        buffer.appendByte('}');
        if (property.type) {
            buffer.appendCString("\\proptype");
            buffer.appendInteger(*property.type);
        }
        if (property.value) {
            buffer.appendCString("{\\staticval ");
            buffer.appendEscapedString(*property.value);
            buffer.appendByte('}');
        }
        if (property.linkedBookmark) {
            buffer.appendCString("{\\linkval ");
            buffer.appendEscapedString(*property.linkedBookmark);
            buffer.appendByte('}');
        }
    }
    buffer.appendCString("}\n");
}

void DKRTFDocumentInfo::writeInformationGroup(DKRTFDataBuffer& buffer) const
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
    // The form is written with every unit past ASCII escaped: its bytes
    // are Latin-1, as the writer's escapes are.
    const std::u16string form = toUtf16(std::string(text));
    StringDecoder latin1(StringEncoding::isoLatin1());
    const DKRTFObjectReader::ByteDecoder decoder = [&latin1](std::string_view bytes) {
        return latin1.decode(bytes).value_or(std::u16string());
    };
    DKRTFDocumentInfo info;
    // The groups write() writes, one after the other, up to anything else.
    for (std::size_t position = 0; position < form.size();) {
        if (form[position] == u'\n') {
            ++position;
            continue;
        }
        const std::optional<std::size_t> end = form[position] == u'{' ? DKRTFGroupEnd(form, position) : std::nullopt;
        if (!end)
            break;
        const std::u16string_view group = std::u16string_view(form).substr(position + 1, *end - position - 2);
        constexpr std::u16string_view kInformationWord = u"\\info";
        if (startsWithWord(group, kInformationWord))
            info.append(read(group.substr(kInformationWord.size()), decoder));
        else if (startsWithWord(group, kUserPropertiesWord))
            info.readUserProperties(group.substr(kUserPropertiesWord.size()), decoder);
        else
            break;
        position = *end;
    }
    return info;
}

} // namespace folio
