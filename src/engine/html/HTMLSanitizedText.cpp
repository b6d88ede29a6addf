#include "engine/html/HTMLSanitizedText.h"

#include "engine/html/ByteWord.h"
#include "engine/html/HTMLEntityTable.h"
#include "engine/html/HTMLSimpleMarkupReader.h"
#include "platform/foundation/Unicode.h"

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

namespace {

// Whether the sanitiser writes some byte of the eight otherwise than as it
// stands: a markup character, or one beyond ASCII when they are referenced.
bool changesInWord(std::uint64_t word, bool inAttribute, bool references)
{
    // "<" and ">" differ in just the bit set here.
    return (references && ByteWord::hasHighByte(word)) || ByteWord::hasByte(word, '&')
        || ByteWord::hasByte(word | ByteWord::kOnes * 2, '>') || (inAttribute && ByteWord::hasByte(word, '"'));
}

// The code points below which the escape table's references are also kept
// by code, as UTF-8: Latin-1, Greek, punctuation, arrows and mathematical
// signs, where all but a few of the table's characters are. An export
// written with references looks each character beyond ASCII up, and an
// index costs less than a hash.
constexpr std::uint32_t kIndexedReferencesEnd = 0x2800;

// The references by code point below kIndexedReferencesEnd: for each code
// the place of its reference in the list plus one, zero for none. The list
// holds the table's few hundred references; the index, two bytes a code.
struct IndexedReferences {
    std::vector<std::string> references;
    std::vector<std::uint16_t> places = std::vector<std::uint16_t>(kIndexedReferencesEnd);
};

// The reference the escape table gives the code, empty where it gives none.
std::string_view referenceOf(std::uint32_t code)
{
    static const auto& table = htmlEntityInTextEscapeTable();
    static const auto* indexed = [] {
        auto* index = new IndexedReferences();
        for (const auto& [unit, reference] : table) {
            if (unit < kIndexedReferencesEnd) {
                index->references.emplace_back(reference.begin(), reference.end());
                index->places[unit] = static_cast<std::uint16_t>(index->references.size());
            }
        }
        return index;
    }();
    if (code < kIndexedReferencesEnd) {
        std::uint16_t place = indexed->places[code];
        return place ? std::string_view(indexed->references[place - 1]) : std::string_view();
    }
    static const auto* others = [] {
        auto* references = new std::unordered_map<char16_t, std::string>();
        for (const auto& [unit, reference] : table) {
            if (unit >= kIndexedReferencesEnd)
                (*references)[unit].assign(reference.begin(), reference.end());
        }
        return references;
    }();
    if (code > 0xFFFF)
        return {};
    auto found = others->find(static_cast<char16_t>(code));
    return found == others->end() ? std::string_view() : std::string_view(found->second);
}

// Appends the character beyond ASCII at `index` (which moves past it) as
// its named reference where it has one, a numeric one from U+0100 on, and
// as it is otherwise, as stringByAddingHTMLEntitiesInText does, without
// leaving UTF-8. A line separator becomes a line break in text and a
// reference in an attribute.
void appendReferenced(std::string& out, std::string_view text, std::size_t& index, bool inAttribute)
{
    const std::size_t start = index;
    std::uint32_t code = decodeUtf8At(text, index);
    if (code == 0x2028 && inAttribute) {
        out += "&#8232;";
    } else if (std::string_view reference = referenceOf(code); !reference.empty()) {
        out += reference;
    } else if (code < 0x100) {
        out.append(text, start, index - start);
    } else {
        out += "&#" + std::to_string(code) + ";";
    }
}

// Whether the text after an "&" starts with the name of a reference to
// "&", "<" or ">" and its semicolon.
bool isKeptReference(std::string_view afterAmpersand)
{
    return afterAmpersand.starts_with("lt;") || afterAmpersand.starts_with("gt;")
        || afterAmpersand.starts_with("amp;");
}

} // namespace

void HTMLSanitizedText::append(std::string& out, std::string_view text, bool inAttribute, bool references)
{
    std::size_t start = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        // Eight bytes at a time while none of them changes.
        while (index + 8 <= text.size() && !changesInWord(ByteWord::load(text.data() + index), inAttribute, references))
            index += 8;
        if (index >= text.size())
            break;
        const char c = text[index];
        if (references && static_cast<unsigned char>(c) >= 0x80) {
            out.append(text, start, index - start);
            appendReferenced(out, text, index, inAttribute);
            start = index;
            continue;
        }
        std::string_view escape;
        switch (c) {
        case '&': escape = "&amp;"; break;
        case '<': escape = "&lt;"; break;
        case '>': escape = "&gt;"; break;
        case '"':
            if (inAttribute)
                escape = "&quot;";
            break;
        default: break;
        }
        ++index;
        if (escape.empty())
            continue;
        out.append(text, start, index - 1 - start);
        out += escape;
        start = index;
    }
    out.append(text, start, text.size() - start);
}

void HTMLSanitizedText::appendMarkup(std::string& out, std::string_view markup, bool references)
{
    static constexpr auto kChanged = [] {
        std::array<unsigned char, 256> changed{};
        changed['&'] = changed['<'] = changed['>'] = 1;
        for (std::size_t byte = 0x80; byte < 0x100; ++byte)
            changed[byte] = 2;
        return changed;
    }();
    const unsigned char mask = references ? 3 : 1;
    const std::size_t size = markup.size();
    std::size_t start = 0;
    std::size_t index = 0;
    while (index < size) {
        // Eight bytes at a time while none of them changes.
        while (index + 8 <= size && !changesInWord(ByteWord::load(markup.data() + index), false, references))
            index += 8;
        if (index >= size)
            break;
        const char c = markup[index];
        if (!(kChanged[static_cast<unsigned char>(c)] & mask)) {
            ++index;
            continue;
        }
        // The references to "&", "<" and ">" are written as they stand, so
        // they stay in the stretch copied at once: escaped text, a page's
        // source above all, is thick with them.
        if (c == '&' && isKeptReference(markup.substr(index + 1))) {
            index = markup.find(';', index) + 1;
            continue;
        }
        out.append(markup, start, index - start);
        if (static_cast<unsigned char>(c) >= 0x80) {
            appendReferenced(out, markup, index, false);
        } else if (c == '&') {
            std::size_t semicolon = markup.find(';', index);
            std::string_view name = markup.substr(index + 1, semicolon == std::string_view::npos ? 0 : semicolon - index - 1);
            std::optional<char> character =
                semicolon == std::string_view::npos ? std::nullopt : HTMLSimpleMarkupReader::referencedCharacter(name);
            if (!character) {
                out += "&amp;";
                ++index;
            } else {
                append(out, std::string_view(&*character, 1), false, references);
                index = semicolon + 1;
            }
        } else {
            out += c == '<' ? "&lt;" : "&gt;";
            ++index;
        }
        start = index;
    }
    out.append(markup, start, size - start);
}

} // namespace folio
