#pragma once

#include "platform/foundation/HashMixing.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace folio {

class DKRTFReader;

// What a control word does: the reader's handler and the value it gets.
struct DKRTFKeyword {
    using Handler = void (DKRTFReader::*)(int value);

    Handler handler = nullptr;
    // Given when the word has no parameter.
    int defaultValue = 1;
    // When set, defaultValue replaces any parameter ("\sub" is -1 whatever follows).
    bool forced = false;

    int valueForParameter(const int* parameter) const
    {
        return forced || !parameter ? defaultValue : *parameter;
    }
};

// Control-word name to action. Names are matched case-sensitively, as RTF
// requires ("\PAR" is not "\par"). The table is immutable data made once, so
// any number of readers may use it at the same time.
class DKRTFKeywordTable {
public:
    // RTF limits a control word to 32 letters; every name in the table fits.
    static constexpr std::size_t kLongestName = 32;

    static const DKRTFKeywordTable& shared();

    // Null for a word the reader does not know.
    const DKRTFKeyword* keywordNamed(std::string_view name) const { return keywordNamed(name, hashOf(name)); }
    // The same for a name whose hash the caller took while it read the
    // letters (hashStep over each, then hashFinish).
    const DKRTFKeyword* keywordNamed(std::string_view name, std::uint32_t hash) const { return find(name, hash); }
    // The same for a name read in place from the RTF text: its letters are
    // compared where they stand, with no copy into a buffer of bytes.
    const DKRTFKeyword* keywordNamed(std::u16string_view name) const { return find(name, hashOf(name)); }

    // Nearly every word of a document is a short one: a name of up to eight
    // letters, packed a byte per letter with the first letter highest (see
    // packStep), is its own key, found with one multiplication and, mostly,
    // one comparison.
    static constexpr std::size_t kLongestPackedName = 8;
    static std::uint64_t packStep(std::uint64_t packed, char16_t letter) { return (packed << 8) | letter; }
    const DKRTFKeyword* keywordPacked(std::uint64_t packed) const
    {
        for (std::size_t index = packedSlotOf(packed);; index = (index + 1) & kSlotMask) {
            const PackedSlot& slot = m_packedSlots[index];
            if (slot.key == packed)
                return slot.keyword;
            if (slot.key == 0)
                return nullptr;
        }
    }
    std::size_t count() const { return m_entries.size(); }

private:
    DKRTFKeywordTable();
    // Binds the name unless it is bound already (the first binding stays).
    void bind(std::string_view name, DKRTFKeyword keyword);

    template<typename Name>
    const DKRTFKeyword* find(Name name, std::uint32_t hash) const
    {
        for (std::size_t index = hash & kSlotMask;; index = (index + 1) & kSlotMask) {
            const Slot& slot = m_slots[index];
            if (slot.entry == 0)
                return nullptr;
            if (slot.hash == hash) {
                const Entry& entry = m_entries[slot.entry - 1];
                if (sameLetters(entry.name, name))
                    return &entry.keyword;
            }
        }
    }

    // Every control word of a document is looked up here, half a million in
    // a large one, and the names are a few ASCII letters: an open table with
    // a short multiplicative hash finds one in a probe or two, without the
    // general map's division and node hops.
    template<typename Name>
    static std::uint32_t hashOf(Name name)
    {
        std::uint32_t hash = kHashStart;
        for (auto letter : name)
            hash = hashStep(hash, static_cast<char>(letter));
        return hashFinish(hash);
    }
    static std::size_t packedSlotOf(std::uint64_t packed)
    {
        return static_cast<std::size_t>((packed * kGoldenRatioHash) >> 54) & kSlotMask;
    }
    // Fills the packed index once every name is bound (the entries no
    // longer move).
    void indexShortNames();

public:
    static constexpr std::uint32_t kHashStart = 2166136261u;
    static std::uint32_t hashStep(std::uint32_t hash, char letter)
    {
        return (hash ^ static_cast<unsigned char>(letter)) * 16777619u;
    }
    static std::uint32_t hashFinish(std::uint32_t hash) { return hash ^ (hash >> 15); }

private:
    // Names are a few letters: a loop beats a call to the library's compare.
    static std::uint32_t unitOf(char letter) { return static_cast<unsigned char>(letter); }
    static std::uint32_t unitOf(char16_t unit) { return unit; }
    template<typename Name>
    static bool sameLetters(std::string_view a, Name b)
    {
        if (a.size() != b.size())
            return false;
        for (std::size_t index = 0; index < a.size(); ++index) {
            if (unitOf(a[index]) != unitOf(b[index]))
                return false;
        }
        return true;
    }

    struct Entry {
        std::string_view name;
        DKRTFKeyword keyword;
    };
    // Slots are small, so that the table stays in the processor's nearest
    // cache: the name's hash and the entry's number from 1 (0 for an empty
    // slot, which ends a search).
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t entry = 0;
    };
    // A power of two, several times the number of names, so that probe runs
    // stay short.
    static constexpr std::size_t kSlotCount = 1024;
    static constexpr std::size_t kSlotMask = kSlotCount - 1;
    std::array<Slot, kSlotCount> m_slots{};
    // A key of 0 (no letters) marks an empty slot.
    struct PackedSlot {
        std::uint64_t key = 0;
        const DKRTFKeyword* keyword = nullptr;
    };
    std::array<PackedSlot, kSlotCount> m_packedSlots{};
    std::vector<Entry> m_entries;
};

} // namespace folio
