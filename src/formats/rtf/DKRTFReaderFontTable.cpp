#include "formats/rtf/DKRTFReaderFontTable.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FontCatalog.h"

namespace folio {

namespace {

// Numbers below this are found by index; Word's theme fonts (31500 on) and
// other large numbers in the map.
constexpr std::size_t kLargestSmallNumber = 4096;

// The platform has no converter for a few old Mac encodings; text in them
// reads better as Windows Latin 1 than not at all.
StringEncoding supportedOrLatin1(StringEncoding encoding)
{
    return encoding.isSupported() ? encoding : StringEncoding::windowsLatin1();
}

StringEncoding encodingForCharacterSet(int characterSet)
{
    switch (characterSet) {
    case 2:
        return StringEncoding::macSymbol();
    case 77:
        return StringEncoding::macRoman();
    case 78:
    case 128:
        return StringEncoding::shiftJIS();
    case 83:
        return StringEncoding::macHebrew();
    case 84:
        return StringEncoding::macArabic();
    case 85:
        return StringEncoding::macGreek();
    case 86:
        return StringEncoding::macTurkish();
    case 87:
        return StringEncoding::macThai();
    case 89:
    case 204:
        return StringEncoding::windowsCodePage(1251);
    case 129:
        return StringEncoding::windowsCodePage(949);
    case 130:
        return StringEncoding::windowsCodePage(1361);
    case 134:
        return StringEncoding::windowsCodePage(936);
    case 136:
        return StringEncoding::windowsCodePage(950);
    case 161:
        return StringEncoding::windowsCodePage(1253);
    case 162:
        return StringEncoding::windowsCodePage(1254);
    case 163:
        return StringEncoding::windowsCodePage(1258);
    case 177:
        return StringEncoding::windowsCodePage(1255);
    case 178:
        return StringEncoding::windowsCodePage(1256);
    case 186:
        return StringEncoding::windowsCodePage(1257);
    case 222:
        return StringEncoding::windowsCodePage(874);
    case 238:
        return StringEncoding::windowsCodePage(1250);
    default:
        return StringEncoding::windowsLatin1();
    }
}

const char* genericFamily(DKRTFFontFamilyClass familyClass)
{
    switch (familyClass) {
    case DKRTFFontFamilyClass::Roman:
        return "serif";
    case DKRTFFontFamilyClass::Swiss:
        return "sans-serif";
    case DKRTFFontFamilyClass::Modern:
        return "monospace";
    case DKRTFFontFamilyClass::Script:
        return "cursive";
    case DKRTFFontFamilyClass::Decorative:
        return "fantasy";
    case DKRTFFontFamilyClass::Unstated:
        break;
    }
    return nullptr;
}

// The generic family of the entry's class, or the one its alternative names
// ("{\*\falt serif}", as LibreOffice writes for a font it lacked). An
// alternative naming a font is not drawn: LibreOffice, whose print is the
// yardstick, draws a missing font as fontconfig matches its own name
// ("Helvetica Neue", "Helvetica" its alternative, in DejaVu Sans), and that
// match goes by the kind of font the name is, which the class tells.
std::vector<std::string> fallbackFamilies(DKRTFFontFamilyClass familyClass, const std::u16string& alternativeName)
{
    const std::string alternative = lowercaseString(toUtf8(
        stringByTrimmingCharactersInSet(alternativeName, CharacterSet::whitespaceAndNewlineCharacterSet())));
    if (FontCatalog::isGenericFamily(alternative))
        return {alternative};
    if (const char* generic = genericFamily(familyClass))
        return {generic};
    return {};
}

} // namespace

StringEncoding DKRTFReaderFontTable::fontEncoding(int characterSet)
{
    return supportedOrLatin1(encodingForCharacterSet(characterSet));
}

std::u16string DKRTFReaderFontTable::fontNameConversion(const std::u16string& name)
{
    if (name == u"Chalkboard")
        return u"ChalkboardSE-Regular";
    return name;
}

void DKRTFReaderFontTable::addEntry(int fontNumber, std::u16string name, int characterSet,
                                    DKRTFFontFamilyClass familyClass, const std::u16string& alternativeName)
{
    if (fontNumber < 0)
        return;
    // Fonts that Word called by their screen name keep working under the
    // PostScript name the system knows.
    if (name == u"TimesNewRomanMS")
        name = u"TimesNewRomanPSMT";
    std::optional<StringEncoding> encoding;
    if (characterSet != 0 && characterSet != 1)
        encoding = fontEncoding(characterSet);
    DKRTFReaderFontTableEntry& entry = m_entries[fontNumber];
    std::vector<std::string> fallbacks = fallbackFamilies(familyClass, alternativeName);
    entry = DKRTFReaderFontTableEntry{std::move(name), std::move(encoding), std::move(fallbacks)};
    if (static_cast<std::size_t>(fontNumber) < kLargestSmallNumber) {
        if (static_cast<std::size_t>(fontNumber) >= m_smallNumbers.size())
            m_smallNumbers.resize(static_cast<std::size_t>(fontNumber) + 1, nullptr);
        m_smallNumbers[static_cast<std::size_t>(fontNumber)] = &entry;
    }
    ++m_generation;
}

const DKRTFReaderFontTableEntry* DKRTFReaderFontTable::entryAt(int fontNumber) const
{
    if (fontNumber >= 0 && static_cast<std::size_t>(fontNumber) < m_smallNumbers.size())
        return m_smallNumbers[static_cast<std::size_t>(fontNumber)];
    if (fontNumber >= 0 && static_cast<std::size_t>(fontNumber) < kLargestSmallNumber)
        return nullptr;
    auto entry = m_entries.find(fontNumber);
    return entry == m_entries.end() ? nullptr : &entry->second;
}

std::string DKRTFReaderFontTable::joinedNames() const
{
    std::string names;
    for (const auto& [number, entry] : m_entries) {
        if (entry.name.empty() || entry.name.find(u';') != std::u16string::npos)
            continue;
        names += toUtf8(entry.name);
        names += ';';
    }
    return names;
}

std::u16string DKRTFReaderFontTable::fontNameAtIndex(int fontNumber) const
{
    const DKRTFReaderFontTableEntry* entry = entryAt(fontNumber);
    if (!entry && m_defaultFontNumber)
        entry = entryAt(*m_defaultFontNumber);
    if (!entry)
        return std::u16string(kUnnamedFontName);
    return fontNameConversion(entry->name);
}

const std::vector<std::string>& DKRTFReaderFontTable::fallbackFamiliesAtIndex(int fontNumber) const
{
    static const std::vector<std::string> kNone;
    const DKRTFReaderFontTableEntry* entry = entryAt(fontNumber);
    if (!entry && m_defaultFontNumber)
        entry = entryAt(*m_defaultFontNumber);
    return entry ? entry->fallbackFamilies : kNone;
}

bool DKRTFReaderFontTable::namesFont(int fontNumber) const
{
    return entryAt(fontNumber) || (m_defaultFontNumber && entryAt(*m_defaultFontNumber));
}

void DKRTFReaderFontTable::setDefaultFontNumber(int fontNumber)
{
    m_defaultFontNumber = fontNumber;
    ++m_generation;
}

const StringEncoding& DKRTFReaderFontTable::fontEncodingAtIndex(int fontNumber, const StringEncoding& documentEncoding) const
{
    const DKRTFReaderFontTableEntry* entry = entryAt(fontNumber);
    if (!entry || !entry->encoding)
        return documentEncoding;
    return *entry->encoding;
}

} // namespace folio
