#include "platform/text/SpellCheckingLanguages.h"

#include <glib.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace folio {

namespace {

// "en_GB.UTF-8@euro" -> "en_GB"; "C" and "POSIX" name no language.
std::string languageOfLocale(const std::string& name)
{
    std::string language = name.substr(0, name.find_first_of(".@"));
    if (language == "C" || language == "POSIX" || language.empty())
        return {};
    return language;
}

void addOnce(std::vector<std::string>& list, const std::string& item)
{
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

} // namespace

std::vector<std::string> SpellCheckingLanguages::choose(const std::vector<std::string>& localeNames,
                                                        const std::vector<std::string>& installed)
{
    std::vector<std::string> chosen;
    for (const std::string& name : localeNames) {
        const std::string language = languageOfLocale(name);
        if (language.empty())
            continue;
        if (std::find(installed.begin(), installed.end(), language) != installed.end()) {
            addOnce(chosen, language);
            continue;
        }
        // "en" or "en_GB" without its own dictionary: the first of its
        // language from another country.
        const std::string prefix = language.substr(0, language.find('_')) + "_";
        for (const std::string& dictionary : installed) {
            if (dictionary.rfind(prefix, 0) == 0) {
                addOnce(chosen, dictionary);
                break;
            }
        }
    }
    return chosen.empty() ? installed : chosen;
}

std::vector<std::string> SpellCheckingLanguages::installedDictionaries()
{
    std::vector<std::string> found;
    for (const char* folder : {"/usr/share/hunspell", "/usr/share/myspell", "/usr/share/myspell/dicts"}) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::filesystem::path path = entry.path();
            if (path.extension() != ".dic")
                continue;
            std::filesystem::path affixes = path;
            affixes.replace_extension(".aff");
            if (std::filesystem::exists(affixes, error))
                addOnce(found, path.stem().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> SpellCheckingLanguages::forThisSystem()
{
    std::vector<std::string> localeNames;
    for (const gchar* const* name = g_get_language_names(); name && *name; ++name)
        localeNames.emplace_back(*name);
    return choose(localeNames, installedDictionaries());
}

} // namespace folio
