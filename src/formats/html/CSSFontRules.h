#pragma once

#include "platform/foundation/PropertyList.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio {

class FontCatalog;

// The @font-face rules that let an export's page use the fonts the
// application bundles and the fonts the user imported, through the web
// view's "myFont://" scheme.
class CSSFontRules {
public:
    // Font family or face name -> font file name of the application's fonts.
    static constexpr const char* kDictionaryResource = "CSSFonts";
    // The list of imported font files in the custom-fonts folder.
    static constexpr const char* kCustomFontsDatabase = "customFontsDB";
    static constexpr const char* kCustomFontsSubfolder = "CustomFonts";

    struct InstalledFamily {
        std::string name;
        std::vector<std::string> faceNames;
    };
    // An imported font: its PostScript name and the file it came from.
    struct CustomFont {
        std::string fontName;
        std::string fileName;
    };
    // Whether an imported font whose name holds blanks also gets a rule
    // under the name without them (the QV HTML export's pages need it).
    enum class CustomNameVariants { NameOnly, AlsoWithoutBlanks };

    CSSFontRules() = delete;

    // Families in case-insensitive order; within one, the mapped family, its
    // blank-less twin, then each mapped face, faces in the same order.
    static std::string rules(std::vector<InstalledFamily> families, const PropertyList& dictionary,
                             const std::vector<CustomFont>& customFonts, CustomNameVariants variants);
    static std::string rule(std::string_view name, std::string_view fileName);

    // What the running application has: the catalogue's families, the
    // bundled dictionary and the imported fonts.
    static std::string currentRules(CustomNameVariants variants);
    static std::vector<InstalledFamily> installedFamilies(const FontCatalog& catalog);
    // An empty dictionary when the resource is missing or unreadable.
    static PropertyList bundledDictionary();
    // The fonts listed in `customFontsFolder`'s database; files that are
    // missing or are no fonts are skipped.
    static std::vector<CustomFont> customFonts(const std::string& customFontsFolder);
};

} // namespace folio
