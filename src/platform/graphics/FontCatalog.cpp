#include "platform/graphics/FontCatalog.h"

#include "platform/graphics/FontconfigFontCatalog.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <mutex>

namespace folio {

bool FontCatalog::isGenericFamily(std::string_view family)
{
    for (const char* generic : {"sans-serif", "serif", "monospace", "cursive", "fantasy", "system-ui", "emoji", "math"}) {
        if (family == generic)
            return true;
    }
    return false;
}

namespace {

// Traits that pick a different face of a family; the others (vertical, UI
// optimised, the class) describe a face but never select one.
constexpr std::uint32_t kFaceSelectingTraits =
    kFontBoldTrait | kFontItalicTrait | kFontCondensedTrait | kFontExpandedTrait | kFontMonospaceTrait;

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lowercased(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// Traits implied by the style part of a PostScript name ("Bold", "BoldOblique",
// "ItalicMT"), for names the system only knows through a stand-in family.
std::uint32_t traitsFromStyleWords(std::string_view style)
{
    std::string lower = lowercased(style);
    std::uint32_t traits = 0;
    for (const char* word : {"bold", "black", "heavy"}) {
        if (lower.find(word) != std::string::npos)
            traits |= kFontBoldTrait;
    }
    if (lower.find("semibold") != std::string::npos || lower.find("demibold") != std::string::npos)
        traits &= ~kFontBoldTrait;
    if (lower.find("italic") != std::string::npos || lower.find("oblique") != std::string::npos)
        traits |= kFontItalicTrait;
    if (lower.find("condensed") != std::string::npos)
        traits |= kFontCondensedTrait;
    return traits;
}

// "TimesNewRoman" -> "Times New Roman": PostScript names drop the spaces of the family.
std::string spacedCamelCase(std::string_view name)
{
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool upper = std::isupper(static_cast<unsigned char>(c));
        bool previousLower = i > 0 && std::islower(static_cast<unsigned char>(name[i - 1]));
        if (upper && previousLower)
            result += ' ';
        result += c;
    }
    return result;
}

int weightDistance(const FontFace& face, std::uint32_t traits)
{
    int target = (traits & kFontBoldTrait) ? 700 : 400;
    return std::abs(face.weight - target);
}

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<FontCatalog>& sharedSlot()
{
    static std::shared_ptr<FontCatalog> catalog;
    return catalog;
}

} // namespace

std::optional<std::string> FontCatalog::substituteFamily(std::string_view) const { return std::nullopt; }

std::optional<std::string> FontCatalog::boundSubstituteFamily(std::string_view family) const
{
    return substituteFamily(family);
}

std::optional<FontFace> FontCatalog::faceCoveringCharacter(char32_t, const FontFace&) const { return std::nullopt; }

std::vector<std::string> FontCatalog::familyNames() const
{
    std::vector<std::string> names;
    const FaceList all = sharedFaces();
    for (const FontFace& face : *all) {
        if (std::find(names.begin(), names.end(), face.familyName) == names.end())
            names.push_back(face.familyName);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<FontFace> FontCatalog::facesOfFamily(std::string_view family) const
{
    std::vector<FontFace> result;
    const FaceList all = sharedFaces();
    std::copy_if(all->begin(), all->end(), std::back_inserter(result),
                 [family](const FontFace& face) { return equalsIgnoringCase(face.familyName, family); });
    return result;
}

bool FontCatalog::hasFamily(std::string_view family) const
{
    const FaceList all = sharedFaces();
    return std::any_of(all->begin(), all->end(),
                       [family](const FontFace& face) { return equalsIgnoringCase(face.familyName, family); });
}

std::vector<const FontFace*> FontCatalog::facesDrawing(const std::vector<FontFace>& all, std::string_view family) const
{
    auto facesNamed = [&all](std::string_view name) {
        std::vector<const FontFace*> found;
        for (const FontFace& face : all) {
            if (equalsIgnoringCase(face.familyName, name))
                found.push_back(&face);
        }
        return found;
    };
    std::vector<const FontFace*> faces = facesNamed(family);
    if (faces.empty()) {
        if (auto standIn = substituteFamily(family))
            faces = facesNamed(*standIn);
    }
    return faces;
}

std::optional<FontFace> FontCatalog::faceMatching(std::string_view family, std::uint32_t traits) const
{
    // The list is held until the answer is copied out: the candidates point into it.
    const FaceList all = sharedFaces();
    const FontFace* best = nullptr;
    for (const FontFace* face : facesDrawing(*all, family)) {
        if ((face->symbolicTraits & kFaceSelectingTraits) != (traits & kFaceSelectingTraits))
            continue;
        if (!best || weightDistance(*face, traits) < weightDistance(*best, traits))
            best = face;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

std::optional<FontFace> FontCatalog::nearestFace(std::string_view family, std::uint32_t traits) const
{
    auto score = [traits](const FontFace& face) {
        int differing = std::popcount((face.symbolicTraits ^ traits) & kFaceSelectingTraits);
        return differing * 1000 + weightDistance(face, traits);
    };
    const FaceList all = sharedFaces();
    const FontFace* best = nullptr;
    for (const FontFace* face : facesDrawing(*all, family)) {
        if (!best || score(*face) < score(*best))
            best = face;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

std::optional<ResolvedFace> FontCatalog::resolveName(std::string_view name) const
{
    if (name.empty())
        return std::nullopt;
    const FaceList shared = sharedFaces();
    const std::vector<FontFace>& all = *shared;
    for (const FontFace& face : all) {
        if (equalsIgnoringCase(face.postScriptName, name))
            return ResolvedFace{face, face.familyName, false};
    }
    for (const FontFace& face : all) {
        if (equalsIgnoringCase(face.fullName, name))
            return ResolvedFace{face, face.familyName, false};
    }
    for (const FontFace& face : all) {
        if (equalsIgnoringCase(face.familyName, name)) {
            if (auto regular = nearestFace(face.familyName, 0))
                return ResolvedFace{*regular, regular->familyName, false};
        }
    }

    // Not installed: try the name, then its family part, as a family the system
    // draws with a stand-in. The requested family is what the font reports.
    std::string familyPart(name);
    std::string stylePart;
    if (auto dash = familyPart.find('-'); dash != std::string::npos) {
        stylePart = familyPart.substr(dash + 1);
        familyPart.resize(dash);
    }
    std::vector<std::string> candidates{std::string(name), familyPart, spacedCamelCase(familyPart)};
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || !substituteFamily(candidate))
            continue;
        std::uint32_t traits = candidate == name ? 0 : traitsFromStyleWords(stylePart);
        if (auto face = nearestFace(candidate, traits))
            return ResolvedFace{*face, candidate, true};
    }
    return std::nullopt;
}

std::uint64_t FontCatalog::nextGeneration()
{
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::shared_ptr<FontCatalog> FontCatalog::shared()
{
    std::lock_guard lock(sharedMutex());
    std::shared_ptr<FontCatalog>& slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<FontconfigFontCatalog>();
    return slot;
}

void FontCatalog::setShared(std::shared_ptr<FontCatalog> catalog)
{
    std::lock_guard lock(sharedMutex());
    sharedSlot() = std::move(catalog);
}

} // namespace folio
