#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/FontFace.h"

#include <cstdint>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A face found for a requested font name. When the name is not installed but
// the system renders it with a stand-in (Helvetica drawn with a metric-compatible
// family), `familyName` is the requested family, not the stand-in's, so the
// name that documents carry stays as it was.
struct ResolvedFace {
    FontFace face;
    std::string familyName;
    bool substituted = false;
};

// The installed fonts. Lookup and matching rules live here, on top of the list
// of faces that each implementation supplies, so the test catalogue and the
// fontconfig catalogue answer alike.
class FontCatalog {
public:
    virtual ~FontCatalog() = default;

    // CSS's generic families ("sans-serif", "serif", "monospace", ...): names
    // of a kind of font, never of a font a document asks for by name.
    static bool isGenericFamily(std::string_view family);

    using FaceList = std::shared_ptr<const std::vector<FontFace>>;

    // Every face, ordered by family and then PostScript name.
    virtual std::vector<FontFace> faces() const = 0;
    // The same faces as one list that is never changed once handed out: the
    // lookups below read it without copying every face per question. A
    // catalogue that keeps its list hands out that list itself.
    virtual FaceList sharedFaces() const { return std::make_shared<const std::vector<FontFace>>(faces()); }
    // Vertical metrics per unit of point size.
    virtual FontMetrics unitMetrics(const FontFace& face) const = 0;
    // OpenType layout feature tags the face offers ("smcp", "liga"...).
    virtual std::vector<std::string> featureTags(const FontFace& face) const = 0;
    // Makes the faces of a TrueType or OpenType file available to this process.
    virtual Result<std::vector<FontFace>> addFontFile(const std::string& path) = 0;
    // The installed family the system draws `family` with when `family` itself is
    // not installed; none when the system has no real stand-in for it.
    virtual std::optional<std::string> substituteFamily(std::string_view family) const;
    // The installed family the system binds firmly to `family` (a metric
    // clone: Arial's, Times New Roman's), which a web engine takes in its
    // place as the family itself; none where only a looser stand-in exists.
    virtual std::optional<std::string> boundSubstituteFamily(std::string_view family) const;
    // An installed face that has a glyph for `character`, as like `preferred`
    // as the system can find, for text whose own face lacks the character;
    // none when no face has it. Faces that exist only in memory have a glyph
    // for everything, so the base catalogue finds none.
    virtual std::optional<FontFace> faceCoveringCharacter(char32_t character, const FontFace& preferred) const;

    std::vector<std::string> familyNames() const;
    std::vector<FontFace> facesOfFamily(std::string_view family) const;
    // Whether any face of `family` is installed (not substituted).
    bool hasFamily(std::string_view family) const;
    // A face by PostScript name, full name or family name (the family's regular
    // face); none when nothing of that name is installed or substituted.
    std::optional<ResolvedFace> resolveName(std::string_view name) const;
    // The face of `family` whose bold, italic, condensed and expanded traits equal
    // those of `traits`; none when the family lacks it or is not installed.
    std::optional<FontFace> faceMatching(std::string_view family, std::uint32_t traits) const;
    // The family's face closest to `traits`: exact matches first, then the
    // fewest differing traits. None only when the family is not installed.
    std::optional<FontFace> nearestFace(std::string_view family, std::uint32_t traits) const;

    // The catalogue of the installed fonts; tests replace it with a fake.
    static std::shared_ptr<FontCatalog> shared();
    static void setShared(std::shared_ptr<FontCatalog> catalog);

    // Names the state of the faces and stand-ins, so that whoever keeps what
    // a lookup answered (a face, or that there was none) can tell when to
    // look again. Numbers are never reused, by this catalogue or another
    // made later at the same address.
    std::uint64_t facesGeneration() const { return m_facesGeneration.load(std::memory_order_acquire); }

protected:
    FontCatalog() : m_facesGeneration(nextGeneration()) {}
    void noteFacesChanged() { m_facesGeneration.store(nextGeneration(), std::memory_order_release); }

private:
    static std::uint64_t nextGeneration();
    // The faces of `all` that draw `family`: its own, or else its stand-in's,
    // in the list's order. Lookups pick among them without copying a face.
    std::vector<const FontFace*> facesDrawing(const std::vector<FontFace>& all, std::string_view family) const;

    std::atomic<std::uint64_t> m_facesGeneration;
};

} // namespace folio
