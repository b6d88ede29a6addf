#include "platform/web/PrintedPDFFontSubsetter.h"

#include "platform/foundation/Deflate.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/web/PDFObjectFile.h"
#include "platform/web/PDFShownGlyphs.h"
#include "platform/web/PrintedPDFRenderer.h"
#include "platform/web/TrueTypeSubsetter.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace folio {

namespace {

// Fonts are a small part of the file once cut down; spend the time to
// store them tightly.
constexpr int kFontCompressionLevel = 9;

bool hasOnlyKeys(const PDFObject& dictionary, std::initializer_list<std::string_view> allowed)
{
    for (const std::string& key : dictionary.keys()) {
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            return false;
    }
    return true;
}

// Which objects refer to each object.
std::map<int, std::vector<int>> referrersOfObjects(const PDFObjectFile& file)
{
    std::map<int, std::vector<int>> referrers;
    std::vector<int> references;
    for (int number : file.objectNumbers()) {
        references.clear();
        file.value(number)->collectReferences(references);
        for (int target : references)
            referrers[target].push_back(number);
    }
    return referrers;
}

// The font files a composite font's glyph ids index directly, with the
// glyphs they must keep. A file is left out as soon as one path to it is
// not such a font whose every use was read: then some glyph may be drawn
// that no one counted.
class SubsettableFontFiles {
public:
    SubsettableFontFiles(const PDFObjectFile& file, const PDFShownGlyphs& shown)
        : m_file(file), m_shown(shown), m_referrers(referrersOfObjects(file))
    {
    }

    std::map<int, std::set<std::uint16_t>> find() const
    {
        std::map<int, std::set<std::uint16_t>> glyphsOfFile;
        for (int number : m_file.objectNumbers()) {
            const PDFObject* descriptor = m_file.value(number);
            const PDFObject* fontFile = descriptor->isDictionary() ? descriptor->find("FontFile2") : nullptr;
            if (!fontFile || fontFile->kind() != PDFObject::Kind::Reference)
                continue;
            std::set<std::uint16_t> glyphs{0};
            if (fontFileIsSubsettable(fontFile->objectNumber(), glyphs))
                glyphsOfFile[fontFile->objectNumber()] = std::move(glyphs);
        }
        return glyphsOfFile;
    }

private:
    const std::vector<int>& referrersOf(int number) const
    {
        static const std::vector<int> none;
        auto found = m_referrers.find(number);
        return found == m_referrers.end() ? none : found->second;
    }

    bool fontFileIsSubsettable(int fontFile, std::set<std::uint16_t>& glyphs) const
    {
        const PDFObject* stream = m_file.value(fontFile);
        if (!m_file.isStream(fontFile) || !hasOnlyKeys(*stream, {"Length", "Length1", "Filter"}))
            return false;
        for (int descriptor : referrersOf(fontFile)) {
            const PDFObject* value = m_file.value(descriptor);
            const PDFObject* file = value->find("FontFile2");
            if (!file || file->kind() != PDFObject::Kind::Reference || file->objectNumber() != fontFile)
                return false;
            for (int descendant : referrersOf(descriptor)) {
                if (!descendantFontIsSubsettable(descendant, descriptor, glyphs))
                    return false;
            }
        }
        return true;
    }

    bool descendantFontIsSubsettable(int number, int descriptor, std::set<std::uint16_t>& glyphs) const
    {
        const PDFObject* font = m_file.value(number);
        const PDFObject* subtype = m_file.resolvedEntry(*font, "Subtype");
        const PDFObject* fontDescriptor = font->find("FontDescriptor");
        const PDFObject* map = m_file.resolvedEntry(*font, "CIDToGIDMap");
        if (!subtype || !subtype->isName("CIDFontType2") || !fontDescriptor
            || fontDescriptor->kind() != PDFObject::Kind::Reference || fontDescriptor->objectNumber() != descriptor
            || (map && !map->isName("Identity")))
            return false;
        for (int composite : referrersOf(number)) {
            if (!compositeFontIsSubsettable(composite, number, glyphs))
                return false;
        }
        return true;
    }

    bool compositeFontIsSubsettable(int number, int descendant, std::set<std::uint16_t>& glyphs) const
    {
        const PDFObject* font = m_file.value(number);
        const PDFObject* subtype = m_file.resolvedEntry(*font, "Subtype");
        const PDFObject* encoding = m_file.resolvedEntry(*font, "Encoding");
        const PDFObject* descendants = m_file.resolvedEntry(*font, "DescendantFonts");
        if (!subtype || !subtype->isName("Type0") || !encoding || !encoding->isName("Identity-H") || !descendants
            || descendants->kind() != PDFObject::Kind::Array || descendants->items().size() != 1
            || descendants->items().front().kind() != PDFObject::Kind::Reference
            || descendants->items().front().objectNumber() != descendant)
            return false;
        for (int holder : referrersOf(number)) {
            if (!m_shown.fontDictionaryHolders().contains(holder))
                return false;
        }
        auto shown = m_shown.glyphsOfFont().find(number);
        if (shown != m_shown.glyphsOfFont().end())
            glyphs.insert(shown->second.begin(), shown->second.end());
        return true;
    }

    const PDFObjectFile& m_file;
    const PDFShownGlyphs& m_shown;
    std::map<int, std::vector<int>> m_referrers;
};

// The font file's new body, or nothing when the face cannot be made smaller.
std::string subsetFontFile(const PDFObjectFile& file, int fontFile, const std::set<std::uint16_t>& glyphs)
{
    Result<Data> whole = file.decodedStream(fontFile);
    if (!whole)
        return {};
    Result<Data> subset = TrueTypeSubsetter::subsetKeepingGlyphIDs(whole->span(), glyphs);
    if (!subset)
        return {};
    Result<Data> compressed = Deflate::compress(subset->span(), kFontCompressionLevel, Deflate::Framing::Zlib);
    if (!compressed || compressed->length() >= file.storedStream(fontFile).size())
        return {};
    std::string dictionary = "<</Length1 " + std::to_string(subset->length()) + " /Filter /FlateDecode /Length "
                             + std::to_string(compressed->length()) + ">>";
    return PDFObjectFile::streamBody(dictionary, compressed->span());
}

Error nothingToSubset(const std::string& message)
{
    return Error{PrintedPDFFontSubsetter::kErrorDomain, PrintedPDFFontSubsetter::NothingToSubset, message};
}

} // namespace

Result<Data> PrintedPDFFontSubsetter::subsetEmbeddedFonts(Data printedPDF)
{
    Result<PDFObjectFile> file = PDFObjectFile::read(std::move(printedPDF));
    if (!file)
        return file.error();
    Result<PDFShownGlyphs> shown = PDFShownGlyphs::collect(*file);
    if (!shown)
        return shown.error();

    // Each face is cut down on a thread of its own; the file is only read.
    std::map<int, std::set<std::uint16_t>> glyphsOfFile = SubsettableFontFiles(*file, *shown).find();
    std::vector<std::pair<int, std::string>> bodies;
    for (const auto& entry : glyphsOfFile)
        bodies.emplace_back(entry.first, std::string());
    DispatchGroup group;
    for (auto& [fontFile, body] : bodies) {
        DispatchQueue::global().async(group, [&file, &glyphsOfFile, fontFile = fontFile, &body = body] {
            body = subsetFontFile(*file, fontFile, glyphsOfFile.at(fontFile));
        });
    }
    group.wait(-1);
    std::map<int, std::string> replacedBodies;
    for (auto& [fontFile, body] : bodies) {
        if (!body.empty())
            replacedBodies.emplace(fontFile, std::move(body));
    }
    if (replacedBodies.empty())
        return nothingToSubset("no embedded face could be made smaller");
    return file->rewritten(replacedBodies);
}

} // namespace folio

namespace folio {

Result<std::size_t> PrintedPDFFontSubsetter::writeToFile(const std::string& printedPDFPath, const std::string& outputPath)
{
    // poppler reads the print for its pages while its fonts are cut down.
    std::optional<Result<std::size_t>> printedPages;
    DispatchGroup counting;
    DispatchQueue::global().async(counting, [&printedPages, &printedPDFPath] {
        printedPages = PrintedPDFRenderer::pageCount(printedPDFPath);
    });
    Result<Data> printed = Data::dataWithContentsOfFile(printedPDFPath);
    Result<Data> subset = printed ? subsetEmbeddedFonts(std::move(*printed)) : Result<Data>(printed.error());
    counting.wait(-1);
    if (!*printedPages)
        return printedPages->error();
    if (!printed)
        return printed.error();
    if (subset) {
        Status written = subset->writeToFile(outputPath);
        if (!written)
            return written.error();
        // What poppler cannot read page for page as it read the print is no
        // better than the print.
        Result<std::size_t> pages = PrintedPDFRenderer::pageCount(outputPath);
        if (pages && *pages == **printedPages)
            return **printedPages;
    }
    printed = Data::dataWithContentsOfFile(printedPDFPath);
    if (!printed)
        return printed.error();
    if (Status written = printed->writeToFile(outputPath); !written)
        return written.error();
    return **printedPages;
}

} // namespace folio
