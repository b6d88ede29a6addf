#include "tools/specialchars/SpecialCharacterSets.h"

#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/Unicode.h"

#include <map>

namespace folio {

namespace {

std::map<int, std::vector<SpecialCharacterSets::Section>> readSets()
{
    std::map<int, std::vector<SpecialCharacterSets::Section>> sets;
    auto path = Resources::pathForResource("specialChars", "plist");
    if (!path)
        return sets;
    auto list = PropertyList::readFromFile(*path);
    if (!list)
        return sets;
    for (int set = SpecialCharacterSets::kFirstSet; set < SpecialCharacterSets::kRecentlyUsedSet; ++set) {
        const PropertyList* sections = list->objectForKey(std::to_string(set));
        if (!sections || !sections->arrayValue())
            continue;
        for (const auto& entry : *sections->arrayValue()) {
            SpecialCharacterSets::Section section;
            if (const PropertyList* title = entry.objectForKey("title"); title && title->stringValue())
                section.title = *title->stringValue();
            if (const PropertyList* characters = entry.objectForKey("characters"); characters && characters->arrayValue()) {
                for (const auto& cell : *characters->arrayValue()) {
                    if (cell.stringValue())
                        section.characters.push_back(toUtf16(*cell.stringValue()));
                }
            }
            sets[set].push_back(std::move(section));
        }
    }
    return sets;
}

} // namespace

const std::vector<SpecialCharacterSets::Section>& SpecialCharacterSets::sectionsOfSet(int set)
{
    static const auto sets = readSets();
    static const std::vector<Section> none;
    auto it = sets.find(set);
    return it == sets.end() ? none : it->second;
}

const std::vector<std::string>& SpecialCharacterSets::markdownMenuTitles()
{
    static const std::vector<std::string> titles{"Arrows",       "Parentheses",   "Punctuation",
                                                 "Currency Symbols", "Pictographs", "Bullets/Stars",
                                                 "Math Symbols", "Letterlike & Notes", "Recently Used"};
    return titles;
}

const std::vector<std::string>& SpecialCharacterSets::webMenuTitles()
{
    static const std::vector<std::string> titles{
        "\u21D2  Arrows",       "\u00AB  Parentheses",   "\u275D  Punctuation",
        "$  Currency Symbols",  "\u270D  Pictographs",   "\u273D  Bullets/Stars",
        "\u2211  Math Symbols", "\u00A9  Letterlike & Notes", "\u272D  Recently Used"};
    return titles;
}

} // namespace folio
