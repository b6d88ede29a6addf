#include "formats/html/CSSFontRules.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/LocalizedCollator.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/graphics/FontFace.h"
#include "platform/graphics/FontFile.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

namespace folio {

namespace {

// Font and file names go inside single-quoted CSS strings.
std::string cssStringContent(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\'' || c == '\\')
            escaped += '\\';
        if (c == '\n' || c == '\r')
            continue;
        escaped += c;
    }
    return escaped;
}

std::string withoutBlanks(std::string_view name)
{
    std::string result(name);
    result.erase(std::remove(result.begin(), result.end(), ' '), result.end());
    return result;
}

const std::string* fileFor(const PropertyList& dictionary, const std::string& name)
{
    const PropertyList::Dictionary* entries = dictionary.dictionaryValue();
    if (!entries)
        return nullptr;
    for (const auto& [key, value] : *entries) {
        if (key == name)
            return value.stringValue();
    }
    return nullptr;
}

// Case-insensitive and in the user's language, as the font lists are shown.
void sortNames(std::vector<std::string>& names, const LocalizedCollator& collator)
{
    std::stable_sort(names.begin(), names.end(), [&collator](const std::string& a, const std::string& b) {
        const int order = collator.compare(std::string_view(a), std::string_view(b));
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace

std::string CSSFontRules::rule(std::string_view name, std::string_view fileName)
{
    // The file name is the URL's host: a blank, "%", "#" or "?" in it would
    // end or break the URL (a font file named "Quill Mono.ttf" never loaded),
    // so they go percent-encoded, as the scheme's resolver reads them.
    static constexpr std::string_view kKept = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$&'()*+,;=@";
    return "@font-face     {font-family:'" + cssStringContent(name) + "';src:url('myFont://"
        + cssStringContent(URL::percentEncode(fileName, kKept)) + "');}\n";
}

std::string CSSFontRules::rules(std::vector<InstalledFamily> families, const PropertyList& dictionary,
                                const std::vector<CustomFont>& customFonts, CustomNameVariants variants)
{
    const LocalizedCollator collator;

    std::vector<std::string> familyNames;
    std::map<std::string, std::vector<std::string>> facesOfFamily;
    for (InstalledFamily& family : families) {
        if (!facesOfFamily.count(family.name))
            familyNames.push_back(family.name);
        auto& faces = facesOfFamily[family.name];
        faces.insert(faces.end(), family.faceNames.begin(), family.faceNames.end());
    }
    sortNames(familyNames, collator);

    std::string result;
    for (const std::string& family : familyNames) {
        if (const std::string* file = fileFor(dictionary, family)) {
            result += rule(family, *file);
            if (family.find(' ') != std::string::npos)
                result += rule(withoutBlanks(family), *file);
        }
        std::vector<std::string>& faces = facesOfFamily[family];
        sortNames(faces, collator);
        for (const std::string& face : faces) {
            if (const std::string* file = fileFor(dictionary, face))
                result += rule(face, *file);
        }
    }
    for (const CustomFont& font : customFonts) {
        result += rule(font.fontName, font.fileName);
        if (variants == CustomNameVariants::AlsoWithoutBlanks && font.fontName.find(' ') != std::string::npos)
            result += rule(withoutBlanks(font.fontName), font.fileName);
    }
    return result;
}

std::vector<CSSFontRules::InstalledFamily> CSSFontRules::installedFamilies(const FontCatalog& catalog)
{
    std::vector<InstalledFamily> families;
    std::map<std::string, std::size_t> indexOfFamily;
    for (const FontFace& face : catalog.faces()) {
        auto [it, inserted] = indexOfFamily.emplace(face.familyName, families.size());
        if (inserted)
            families.push_back({face.familyName, {}});
        std::vector<std::string>& names = families[it->second].faceNames;
        if (!face.postScriptName.empty()
            && std::find(names.begin(), names.end(), face.postScriptName) == names.end())
            names.push_back(face.postScriptName);
    }
    return families;
}

PropertyList CSSFontRules::bundledDictionary()
{
    std::optional<std::string> path = Resources::pathForResource(kDictionaryResource, "plist");
    if (!path)
        return PropertyList();
    Result<PropertyList> dictionary = PropertyList::readFromFile(*path);
    if (!dictionary || !dictionary->dictionaryValue())
        return PropertyList();
    return std::move(*dictionary);
}

std::vector<CSSFontRules::CustomFont> CSSFontRules::customFonts(const std::string& customFontsFolder)
{
    std::vector<CustomFont> fonts;
    Result<PropertyList> database = PropertyList::readFromFile(customFontsFolder + "/" + kCustomFontsDatabase);
    if (!database || !database->arrayValue())
        return fonts;
    for (const PropertyList& entry : *database->arrayValue()) {
        const std::string* fileName = entry.stringValue();
        // Only plain names: the database must not point the page elsewhere.
        if (!fileName || fileName->empty() || fileName->find('/') != std::string::npos || *fileName == ".."
            || *fileName == ".")
            continue;
        const std::string path = customFontsFolder + "/" + kCustomFontsSubfolder + "/" + *fileName;
        for (std::string& name : postScriptNamesInFontFile(path))
            fonts.push_back({std::move(name), *fileName});
    }
    return fonts;
}

std::string CSSFontRules::currentRules(CustomNameVariants variants)
{
    std::vector<InstalledFamily> families;
    if (std::shared_ptr<FontCatalog> catalog = FontCatalog::shared())
        families = installedFamilies(*catalog);
    return rules(std::move(families), bundledDictionary(), customFonts(AppFolders::customFontsFolder()), variants);
}

} // namespace folio
