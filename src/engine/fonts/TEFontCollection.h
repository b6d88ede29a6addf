#pragma once

#include "engine/fonts/TEFontDescriptor.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The installed fonts as font descriptors, and matching of a descriptor's
// family and bold and italic traits against them.
class TEFontCollection {
public:
    // initWithAvailableFonts; no catalogue means the shared one.
    explicit TEFontCollection(std::shared_ptr<const FontCatalog> catalog = nullptr);

    // One collection per process over the shared catalogue, made on first use.
    static TEFontCollection& availableFontsCollection();

    // One descriptor per installed face, in the catalogue's order; read once.
    std::vector<TEFontDescriptor> fontDescriptors() const;
    // The distinct families, sorted.
    std::vector<std::string> fontFamilyNames() const;
    // The first face whose family starts with the descriptor's family (case and
    // diacritics ignored) and whose bold and italic traits are the
    // descriptor's, at the descriptor's size; none when the descriptor has no
    // family or nothing matches.
    std::optional<TEFontDescriptor> matchingFontDescriptorForFontDescriptor(const TEFontDescriptor& descriptor) const;

private:
    // Callers hold m_mutex.
    const std::vector<TEFontDescriptor>& loadedDescriptors() const;

    std::shared_ptr<const FontCatalog> m_catalog;
    // The lazily read descriptors and the match cache are shared by every
    // thread that asks (the background preload among them), hence the lock.
    mutable std::mutex m_mutex;
    mutable std::optional<std::vector<TEFontDescriptor>> m_fontDescriptors;
    mutable std::map<std::string, std::optional<TEFontDescriptor>> m_fontMatchCache;
};

} // namespace folio
