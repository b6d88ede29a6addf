#include "platform/graphics/FontFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace folio {

std::vector<std::string> postScriptNamesInFontFile(const std::string& path)
{
    std::vector<std::string> names;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return names;
    FT_Face face = nullptr;
    // Face index -1 only counts the faces.
    if (FT_New_Face(library, path.c_str(), -1, &face) == 0) {
        const FT_Long faceCount = face->num_faces;
        FT_Done_Face(face);
        for (FT_Long index = 0; index < faceCount; ++index) {
            if (FT_New_Face(library, path.c_str(), index, &face) != 0)
                continue;
            if (const char* name = FT_Get_Postscript_Name(face))
                names.emplace_back(name);
            FT_Done_Face(face);
        }
    }
    FT_Done_FreeType(library);
    return names;
}

} // namespace folio
