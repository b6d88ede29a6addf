#pragma once

#include "platform/graphics/FontCatalog.h"

#include <map>
#include <string>
#include <vector>

namespace folio {

// A fixed catalogue for tests: the same families, faces and metrics on every
// machine. Families: Helvetica, Cochin, Georgia, Avenir (several weights),
// Times New Roman, Courier, Cousine, and Chalkboard SE, which has no italic face.
class FakeFontCatalog : public FontCatalog {
public:
    FakeFontCatalog();

    std::vector<FontFace> faces() const override;
    FontMetrics unitMetrics(const FontFace& face) const override;
    std::vector<std::string> featureTags(const FontFace& face) const override;
    // Files cannot be parsed without a real font engine; use addFace.
    Result<std::vector<FontFace>> addFontFile(const std::string& path) override;
    std::optional<std::string> substituteFamily(std::string_view family) const override;

    void addFace(FontFace face, FontMetrics metrics, std::vector<std::string> features = {});
    // Lets a test pretend the system draws `family` with the installed `standIn`.
    void addSubstitution(std::string family, std::string standIn);

private:
    struct Entry {
        FontFace face;
        FontMetrics metrics;
        std::vector<std::string> features;
    };
    std::vector<Entry> m_entries;
    std::map<std::string, std::string> m_substitutions;
};

} // namespace folio
