#include "platform/foundation/Localization.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Unicode.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace folio {

namespace {

using Table = std::unordered_map<std::string, std::string>;

std::mutex& cacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

// By file path, so that a changed resources folder reads its own tables.
std::map<std::string, Table>& cache()
{
    static std::map<std::string, Table> tables;
    return tables;
}

// Tables are often saved as UTF-16 with a byte order mark; everything else is taken as UTF-8.
std::string decodeTable(const Data& data)
{
    std::string_view bytes = data.stringView();
    auto fromUtf16 = [&](bool bigEndian) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto first = static_cast<unsigned char>(bytes[i]);
            auto second = static_cast<unsigned char>(bytes[i + 1]);
            units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        }
        return toUtf8(units);
    };
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return fromUtf16(false);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return fromUtf16(true);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return std::string(bytes);
}

class TableParser {
public:
    explicit TableParser(std::string_view text) : m_text(text) {}

    std::vector<std::pair<std::string, std::string>> parse()
    {
        std::vector<std::pair<std::string, std::string>> entries;
        while (skipSpaceAndComments()) {
            std::size_t start = m_position;
            auto key = quoted();
            bool ok = key && skipSpaceAndComments() && take('=') && skipSpaceAndComments();
            auto value = ok ? quoted() : std::nullopt;
            if (value && skipSpaceAndComments() && take(';')) {
                entries.emplace_back(std::move(*key), std::move(*value));
                continue;
            }
            // Skip the broken entry up to its end and go on with the next one.
            std::size_t end = m_text.find(';', start);
            m_position = end == std::string_view::npos ? m_text.size() : end + 1;
        }
        return entries;
    }

private:
    // Answers whether anything is left.
    bool skipSpaceAndComments()
    {
        while (m_position < m_text.size()) {
            char c = m_text[m_position];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
                ++m_position;
            } else if (m_text.compare(m_position, 2, "/*") == 0) {
                std::size_t end = m_text.find("*/", m_position + 2);
                m_position = end == std::string_view::npos ? m_text.size() : end + 2;
            } else if (m_text.compare(m_position, 2, "//") == 0) {
                std::size_t end = m_text.find('\n', m_position);
                m_position = end == std::string_view::npos ? m_text.size() : end + 1;
            } else {
                return true;
            }
        }
        return false;
    }

    bool take(char c)
    {
        if (m_position < m_text.size() && m_text[m_position] == c) {
            ++m_position;
            return true;
        }
        return false;
    }

    std::optional<std::string> quoted()
    {
        if (!take('"'))
            return std::nullopt;
        std::string result;
        // "\U" escapes give UTF-16 units; a pair of them may make one character.
        std::u16string units;
        auto flushUnits = [&] {
            result += toUtf8(units);
            units.clear();
        };
        while (m_position < m_text.size()) {
            char c = m_text[m_position++];
            if (c == '"') {
                flushUnits();
                return result;
            }
            if (c == '\\' && m_position < m_text.size() && (m_text[m_position] == 'U' || m_text[m_position] == 'u')) {
                ++m_position;
                units += hexUnit();
                continue;
            }
            flushUnits();
            if (c != '\\' || m_position >= m_text.size()) {
                result += c;
                continue;
            }
            char escaped = m_text[m_position++];
            switch (escaped) {
            case 'n': result += '\n'; break;
            case 't': result += '\t'; break;
            case 'r': result += '\r'; break;
            default: result += escaped; break;
            }
        }
        return std::nullopt;
    }

    char16_t hexUnit()
    {
        char16_t value = 0;
        for (int digits = 0; digits < 4 && m_position < m_text.size(); ++digits) {
            char c = m_text[m_position];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0)
                break;
            value = static_cast<char16_t>(value * 16 + digit);
            ++m_position;
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
};

std::optional<std::string> lookUp(const std::string& path, const std::string& key)
{
    std::lock_guard lock(cacheMutex());
    auto found = cache().find(path);
    if (found == cache().end()) {
        Table table;
        if (auto data = Data::dataWithContentsOfFile(path)) {
            for (auto& [entryKey, value] : Localization::parseStringsTable(decodeTable(data.value())))
                table.emplace(std::move(entryKey), std::move(value));
        }
        found = cache().emplace(path, std::move(table)).first;
    }
    auto entry = found->second.find(key);
    if (entry == found->second.end())
        return std::nullopt;
    return entry->second;
}

} // namespace

std::vector<std::string> Localization::preferredLanguages()
{
    std::vector<std::string> languages;
    auto add = [&languages](std::string language) {
        if (language.empty() || language == "C" || language == "POSIX")
            return;
        for (const std::string& known : languages)
            if (known == language)
                return;
        languages.push_back(std::move(language));
    };
    auto addLocale = [&add](std::string locale) {
        locale = locale.substr(0, locale.find_first_of(".@"));
        add(locale);
        add(locale.substr(0, locale.find('_')));
    };
    if (const char* list = std::getenv("LANGUAGE"); list && *list) {
        std::string_view remaining(list);
        while (!remaining.empty()) {
            std::size_t colon = remaining.find(':');
            addLocale(std::string(remaining.substr(0, colon)));
            remaining = colon == std::string_view::npos ? std::string_view() : remaining.substr(colon + 1);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value && *value) {
            addLocale(value);
            break;
        }
    }
    add("en");
    add("Base");
    return languages;
}

std::vector<std::pair<std::string, std::string>> Localization::parseStringsTable(std::string_view text)
{
    return TableParser(text).parse();
}

std::string Localization::localizedString(std::string_view key, std::string_view defaultValue, std::string_view table)
{
    std::string tableName = table.empty() ? std::string(kDefaultTable) : std::string(table);
    for (const std::string& language : preferredLanguages()) {
        auto path = Resources::pathForResource(tableName, "strings", language + ".lproj");
        if (!path)
            continue;
        if (auto value = lookUp(*path, std::string(key)))
            return *value;
    }
    return defaultValue.empty() ? std::string(key) : std::string(defaultValue);
}

void Localization::clearCache()
{
    std::lock_guard lock(cacheMutex());
    cache().clear();
}

} // namespace folio
