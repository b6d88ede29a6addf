#pragma once

#include "platform/foundation/StringEncoding.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The kind of face a font table says a font is ("\froman", "\fswiss"...),
// which tells what to draw in its place where it is missing.
enum class DKRTFFontFamilyClass { Unstated, Roman, Swiss, Modern, Script, Decorative };

struct DKRTFReaderFontTableEntry {
    std::u16string name;
    // None for the ANSI and default character sets (0 and 1), whose bytes are
    // in the document's own code page ("\ansicpg").
    std::optional<StringEncoding> encoding;
    // What draws the font where it is missing, as CSS names it: the generic
    // family its class or its alternative name ("\falt") gives.
    std::vector<std::string> fallbackFamilies;
};

// The font table of a document: font number to name and the encoding of its
// character set. Numbers may leave gaps (Word numbers theme fonts from 31500
// on), so entries are kept by number rather than in a padded array; a gap and
// a number never given read the same.
class DKRTFReaderFontTable {
public:
    DKRTFReaderFontTable() = default;
    // The index by number points into the table's own map.
    DKRTFReaderFontTable(const DKRTFReaderFontTable&) = delete;
    DKRTFReaderFontTable& operator=(const DKRTFReaderFontTable&) = delete;

    // Replaces any earlier entry of the number. Negative numbers are dropped.
    void addEntry(int fontNumber, std::u16string name, int characterSet,
                  DKRTFFontFamilyClass familyClass = DKRTFFontFamilyClass::Unstated,
                  const std::u16string& alternativeName = {});

    // The entry's name with the few renamings of fonts whose old names no
    // longer exist. A number not in the table reads as the default font
    // (Word names theme fonts, 31500 on, that a trimmed table leaves out),
    // and as "Helvetica" when that is not in the table either.
    std::u16string fontNameAtIndex(int fontNumber) const;
    // The fallback families of the entry that fontNameAtIndex names; none
    // for the unnamed font.
    const std::vector<std::string>& fallbackFamiliesAtIndex(int fontNumber) const;
    // The document's default font ("\deff"), which may come before the table.
    void setDefaultFontNumber(int fontNumber);
    // The encoding of the font's character set; the document's code page for
    // a number not in the table and for fonts in the ANSI character set. The
    // answer is the entry's own or documentEncoding itself, not a copy.
    const StringEncoding& fontEncodingAtIndex(int fontNumber, const StringEncoding& documentEncoding) const;
    std::size_t count() const { return m_entries.size(); }
    // Every entry's name as the file wrote it, each followed by ";"; names
    // holding a ";" of their own are left out.
    std::string joinedNames() const;
    bool hasEntry(int fontNumber) const { return entryAt(fontNumber) != nullptr; }
    // Whether text in the font of the number names a font of the table, its
    // own or the default one; text that names none is given kUnnamedFontName.
    bool namesFont(int fontNumber) const;
    static constexpr std::u16string_view kUnnamedFontName = u"Helvetica";
    // Goes up with every entry added, so that what was looked up by font
    // number can tell when the table has changed under it.
    std::uint64_t generation() const { return m_generation; }

    // The encoding of an RTF \fcharset number; Windows Latin 1 for 0 and for
    // every number without a code page of its own.
    static StringEncoding fontEncoding(int characterSet);
    // Names that Mac word processors wrote for fonts now installed under
    // another PostScript name.
    static std::u16string fontNameConversion(const std::u16string& name);

private:
    // The entry of a number, or null.
    const DKRTFReaderFontTableEntry* entryAt(int fontNumber) const;

    std::map<int, DKRTFReaderFontTableEntry> m_entries;
    // The entries of the small numbers, by number: a document changes font
    // tens of thousands of times, nearly always to a number below a few
    // hundred. The map's entries stay where they are, so these stay valid.
    std::vector<const DKRTFReaderFontTableEntry*> m_smallNumbers;
    std::optional<int> m_defaultFontNumber;
    std::uint64_t m_generation = 0;
};

} // namespace folio
