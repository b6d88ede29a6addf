#include "formats/rtf/DKRTFScriptDefaults.h"

#include "formats/rtf/DKRTFDataBuffer.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>

namespace folio {

namespace {

bool isDigits(std::string_view text)
{
    return !text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void DKRTFScriptDefaults::setFont(Word word, std::string name)
{
    if (name.empty() || name.find(';') != std::string::npos)
        return;
    m_fonts[index(word)] = std::move(name);
}

void DKRTFScriptDefaults::setLanguage(Word word, int number)
{
    if (number <= 0 || number >= 0x10000)
        return;
    m_languages[index(word)] = number;
}

bool DKRTFScriptDefaults::isEmpty() const
{
    return std::none_of(m_fonts.begin(), m_fonts.end(), [](const auto& font) { return font.has_value(); })
        && std::none_of(m_languages.begin(), m_languages.end(), [](const auto& language) { return language.has_value(); });
}

std::string DKRTFScriptDefaults::serialized() const
{
    std::string text;
    for (const WordName& word : kWords) {
        const std::optional<std::string>& font = m_fonts[index(word.word)];
        const std::optional<int>& language = m_languages[index(word.word)];
        if (word.isFont ? !font : !language)
            continue;
        text += word.name;
        text += '=';
        text += word.isFont ? *font : std::to_string(*language);
        text += ';';
    }
    return text;
}

DKRTFScriptDefaults DKRTFScriptDefaults::fromSerialized(std::string_view text)
{
    DKRTFScriptDefaults defaults;
    for (const std::string& entry : componentsSeparatedByString(text, ";")) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string_view name = std::string_view(entry).substr(0, equals);
        const std::string_view value = std::string_view(entry).substr(equals + 1);
        auto word = std::find_if(kWords.begin(), kWords.end(), [&](const WordName& known) { return known.name == name; });
        if (word == kWords.end())
            continue;
        if (word->isFont)
            defaults.setFont(word->word, std::string(value));
        else if (isDigits(value))
            defaults.setLanguage(word->word, intValue(value));
    }
    return defaults;
}

void DKRTFScriptDefaults::write(DKRTFDataBuffer& buffer,
                                const std::function<std::optional<int>(const std::string&)>& fontNumber) const
{
    for (const WordName& word : kWords) {
        const std::optional<std::string>& font = m_fonts[index(word.word)];
        const std::optional<int> value =
            word.isFont ? (font ? fontNumber(*font) : std::nullopt) : m_languages[index(word.word)];
        if (!value)
            continue;
        buffer.appendByte('\\');
        buffer.appendCString(word.name);
        buffer.appendInteger(*value);
    }
}

} // namespace folio
