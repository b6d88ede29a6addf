#pragma once

#include "engine/fonts/TEFontDescriptor.h"
#include "engine/model/TEFormattingKey.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace folio {

// What the "font-family" lists of one reading resolved to, by the list and
// the font asked for before it: a page names the same few lists on thousands
// of elements, and resolving one matches a font for every name it tries.
// Kept for one reading only, so fonts installed since are seen by the next.
class TEFontFamilyCache {
public:
    // The descriptor the key's list resolved to; null the first time.
    const TEFontDescriptor* resolved(std::string_view key) const
    {
        auto found = m_resolved.find(key);
        return found == m_resolved.end() ? nullptr : &found->second;
    }
    void remember(std::string key, TEFontDescriptor descriptor)
    {
        m_resolved.insert_or_assign(std::move(key), std::move(descriptor));
    }
    std::size_t count() const { return m_resolved.size(); }

private:
    TEFormattingKeyMap<TEFontDescriptor> m_resolved;
};

} // namespace folio
