#include "engine/html/HTMLEntityTable.h"

#include "foundation/markup/HTMLEscapeTables.h"

namespace folio {

namespace {

bool isInvisibleFormattingCharacter(char16_t code)
{
    return code == 0xAD || (code >= 0x200C && code <= 0x200F);
}

// The HTML 4.01 table has "&lang;" and "&rang;" at U+2329 and U+232A, which Unicode
// deprecated in favour of the mathematical angle brackets.
char16_t engineCode(char16_t code)
{
    if (code == 0x2329)
        return 0x27E8;
    if (code == 0x232A)
        return 0x27E9;
    return code;
}

} // namespace

const std::unordered_map<char16_t, std::u16string_view>& htmlEntityEscapeTable()
{
    static const auto* table = [] {
        auto* map = new std::unordered_map<char16_t, std::u16string_view>();
        for (const HTMLEscapeMap& row : htmlAsciiEscapeTable()) {
            if (!isInvisibleFormattingCharacter(row.code))
                map->emplace(engineCode(row.code), row.reference);
        }
        map->emplace(char16_t(0x2028), u"<br />");
        return map;
    }();
    return *table;
}

const std::unordered_map<char16_t, std::u16string_view>& htmlEntityInTextEscapeTable()
{
    static const auto* table = [] {
        auto* map = new std::unordered_map<char16_t, std::u16string_view>(htmlEntityEscapeTable());
        for (char16_t markup : std::u16string_view(u"\"&'<>"))
            map->erase(markup);
        return map;
    }();
    return *table;
}

const std::unordered_map<std::u16string_view, char16_t>& htmlEntityDecodeTable()
{
    static const auto* table = [] {
        auto* map = new std::unordered_map<std::u16string_view, char16_t>();
        for (const HTMLEscapeMap& row : htmlAsciiEscapeTable()) {
            if (isInvisibleFormattingCharacter(row.code))
                continue;
            std::u16string_view name = row.reference.substr(1, row.reference.size() - 2);
            map->emplace(name, engineCode(row.code));
        }
        map->emplace(u"bsquo", char16_t(0x201A));
        return map;
    }();
    return *table;
}

} // namespace folio
