#pragma once

#include "platform/graphics/FontCatalog.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The installed fonts, listed by fontconfig, measured with FreeType and
// inspected for layout features with HarfBuzz.
class FontconfigFontCatalog : public FontCatalog {
public:
    FontconfigFontCatalog();
    ~FontconfigFontCatalog() override;

    std::vector<FontFace> faces() const override;
    FaceList sharedFaces() const override;
    FontMetrics unitMetrics(const FontFace& face) const override;
    std::vector<std::string> featureTags(const FontFace& face) const override;
    Result<std::vector<FontFace>> addFontFile(const std::string& path) override;
    // Follows fontconfig's aliases (Helvetica to a metric-compatible family), but
    // not its last-resort generic fallback, which would make every name "exist".
    std::optional<std::string> substituteFamily(std::string_view family) const override;
    // The first alias fontconfig binds strongly or as the same family.
    std::optional<std::string> boundSubstituteFamily(std::string_view family) const override;
    // Fontconfig's ordering of the faces for the preferred face's family,
    // weight and slant, the first that holds the character.
    std::optional<FontFace> faceCoveringCharacter(char32_t character, const FontFace& preferred) const override;

private:
    std::vector<FontFace> listFaces(bool onePerName) const;
    std::optional<std::string> findSubstitute(const std::string& family) const;
    std::optional<FontFace> findFaceCovering(char32_t character, const FontFace& preferred) const;

    mutable std::mutex m_mutex;
    // Replaced, never changed, when fonts are added: lists handed out stay as they were.
    mutable FaceList m_faces;
    mutable std::map<std::string, FontMetrics> m_metrics;
    mutable std::map<std::string, std::vector<std::string>> m_features;
    mutable std::optional<std::vector<std::string>> m_genericHeads;
    mutable std::map<std::string, std::optional<std::string>> m_substitutes;
    mutable std::map<std::pair<std::string, char32_t>, std::optional<FontFace>> m_covering;
};

} // namespace folio
