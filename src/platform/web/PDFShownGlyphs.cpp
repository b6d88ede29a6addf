#include "platform/web/PDFShownGlyphs.h"

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/web/PDFObject.h"
#include "platform/web/PDFObjectFile.h"
#include "platform/web/PDFTokenizer.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

namespace folio {

namespace {

// Page trees and forms nested deeper than this are no printed page.
constexpr int kMaximumFormDepth = 32;
constexpr int kNoFont = -1;
// A simple font's codes are single bytes, not glyph ids.
constexpr int kSimpleFont = -2;
constexpr std::size_t kGlyphIDCount = 65536;
// Fewer pages than this are not worth a thread of their own.
constexpr std::size_t kPagesPerReader = 8;

Error unreadable(const std::string& message)
{
    return Error{PDFShownGlyphs::kErrorDomain, PDFShownGlyphs::Unreadable, message};
}

bool isOperand(const PDFTokenizer::Token& token)
{
    if (token.kind != PDFTokenizer::Kind::Keyword)
        return true;
    return token.word == "true" || token.word == "false" || token.word == "null";
}

// The operators that matter here take names and strings; numbers, the
// brackets around them and the rest go by unkept.
bool isKeptOperand(const PDFTokenizer::Token& token)
{
    return token.kind == PDFTokenizer::Kind::Name || token.kind == PDFTokenizer::Kind::String;
}

// The operators that matter here; every other one only ends its operands.
enum class Operator { Other, Save, Restore, SetFont, ShowText, PaintXObject, SetPattern, SetGraphicsState, InlineImage };

Operator operatorNamed(std::string_view name)
{
    switch (name.size()) {
    case 1:
        switch (name[0]) {
        case 'q': return Operator::Save;
        case 'Q': return Operator::Restore;
        case '\'': case '"': return Operator::ShowText;
        default: return Operator::Other;
        }
    case 2:
        if (name == "Tj" || name == "TJ")
            return Operator::ShowText;
        if (name == "Tf")
            return Operator::SetFont;
        if (name == "Do")
            return Operator::PaintXObject;
        if (name == "gs")
            return Operator::SetGraphicsState;
        if (name == "BI")
            return Operator::InlineImage;
        return Operator::Other;
    case 3:
        return name == "scn" || name == "SCN" ? Operator::SetPattern : Operator::Other;
    default:
        return Operator::Other;
    }
}

const PDFTokenizer::Token* lastOperandOfKind(const std::vector<PDFTokenizer::Token>& operands, PDFTokenizer::Kind kind)
{
    for (auto it = operands.rbegin(); it != operands.rend(); ++it) {
        if (it->kind == kind)
            return &*it;
    }
    return nullptr;
}

} // namespace

// Reads content streams the way a viewer draws them, as far as fonts go:
// which font is current (Tf, saved and restored with q and Q) when a string
// is shown.
class PDFContentScanner {
public:
    explicit PDFContentScanner(const PDFObjectFile& file) : m_file(file) {}

    // Where a resource dictionary stands: the object that holds it directly.
    struct Resources {
        const PDFObject* dictionary = nullptr;
        int holder = 0;
    };
    struct Page {
        int number = 0;
        const PDFObject* dictionary = nullptr;
        Resources resources;
    };

    // The pages in order, each with the resources it has or inherits.
    Status listPages(int number, Resources inherited, int depth, std::vector<Page>& pages) const;
    Status scanPages(std::span<const Page> pages);
    // Adds what `other` counted to what this one did.
    void absorb(const PDFContentScanner& other);
    // Hands what was counted to the result.
    void finish(PDFShownGlyphs& shown) const;

private:
    Status scanPage(int number, const PDFObject& page, Resources resources, int depth);
    Status scanStream(int number, Resources inherited, int font, int depth);
    Status scanContent(std::string_view content, Resources resources, int font, int depth);
    Status applyOperator(Operator op, const std::vector<PDFTokenizer::Token>& operands, Resources resources, int& font,
                         std::vector<int>& savedFonts, int depth);
    Resources resourcesOf(const PDFObject& owner, int ownerNumber, Resources inherited) const;
    // The referenced object of a resource category's entry (/Font /F1 ...).
    Result<int> resourceObject(Resources resources, const char* category, const std::string& name) const;
    // The same entry as written, which may be a direct value.
    Result<const PDFObject*> resourceEntry(Resources resources, const char* category, const std::string& name) const;
    void noteFontDictionary(Resources resources);
    Result<int> selectFont(Resources resources, const std::string& name);
    Status scanFormOrPattern(int number, int font, int depth);
    Status scanGraphicsState(Resources resources, const std::string& name, int depth);

    const PDFObjectFile& m_file;
    std::set<std::pair<int, int>> m_scannedStreams;
    // Glyphs shown, by font, one flag per glyph id: a page shows thousands.
    std::map<int, std::bitset<kGlyphIDCount>> m_glyphsOfFont;
    std::set<int> m_fontDictionaryHolders;
};

Status PDFContentScanner::listPages(int number, Resources inherited, int depth, std::vector<Page>& pages) const
{
    if (depth > kMaximumFormDepth)
        return unreadable("the page tree is nested too deep");
    const PDFObject* node = m_file.value(number);
    if (!node || !node->isDictionary())
        return unreadable("page tree node " + std::to_string(number) + " is missing");
    Resources resources = resourcesOf(*node, number, inherited);
    const PDFObject* type = m_file.resolvedEntry(*node, "Type");
    if (!type || !type->isName("Pages")) {
        pages.push_back(Page{number, node, resources});
        return Status::success();
    }
    const PDFObject* kids = m_file.resolvedEntry(*node, "Kids");
    if (!kids || kids->kind() != PDFObject::Kind::Array)
        return unreadable("page tree node " + std::to_string(number) + " has no kids");
    for (const PDFObject& kid : kids->items()) {
        if (kid.kind() != PDFObject::Kind::Reference)
            return unreadable("a page is not an indirect object");
        if (Status listed = listPages(kid.objectNumber(), resources, depth + 1, pages); !listed)
            return listed;
    }
    return Status::success();
}

Status PDFContentScanner::scanPages(std::span<const Page> pages)
{
    for (const Page& page : pages) {
        if (Status scanned = scanPage(page.number, *page.dictionary, page.resources, 0); !scanned)
            return scanned;
    }
    return Status::success();
}

void PDFContentScanner::absorb(const PDFContentScanner& other)
{
    for (const auto& [font, glyphs] : other.m_glyphsOfFont)
        m_glyphsOfFont[font] |= glyphs;
    m_fontDictionaryHolders.insert(other.m_fontDictionaryHolders.begin(), other.m_fontDictionaryHolders.end());
}

void PDFContentScanner::finish(PDFShownGlyphs& shown) const
{
    for (const auto& [font, flags] : m_glyphsOfFont) {
        std::set<std::uint16_t>& glyphs = shown.m_glyphsOfFont[font];
        for (std::size_t glyph = 0; glyph < flags.size(); ++glyph) {
            if (flags[glyph])
                glyphs.insert(glyphs.end(), static_cast<std::uint16_t>(glyph));
        }
    }
    shown.m_fontDictionaryHolders = m_fontDictionaryHolders;
}

Status PDFContentScanner::scanPage(int number, const PDFObject& page, Resources resources, int depth)
{
    const PDFObject* contents = page.find("Contents");
    if (const PDFObject* resolved = m_file.resolve(contents); resolved && resolved->kind() == PDFObject::Kind::Array)
        contents = resolved;
    std::string content;
    auto append = [&](const PDFObject& part) -> Status {
        if (part.kind() != PDFObject::Kind::Reference || !m_file.isStream(part.objectNumber()))
            return unreadable("page " + std::to_string(number) + " has contents that are no stream");
        Result<Data> decoded = m_file.decodedStream(part.objectNumber());
        if (!decoded)
            return unreadable(decoded.error().message);
        // Parts of a page's contents split only between tokens.
        content.append(decoded->stringView());
        content += '\n';
        return Status::success();
    };
    if (contents && contents->kind() == PDFObject::Kind::Array) {
        for (const PDFObject& part : contents->items()) {
            if (Status appended = append(part); !appended)
                return appended;
        }
    } else if (contents) {
        if (Status appended = append(*contents); !appended)
            return appended;
    }
    if (Status scanned = scanContent(content, resources, kNoFont, depth + 1); !scanned)
        return scanned;

    const PDFObject* annotations = m_file.resolvedEntry(page, "Annots");
    if (!annotations || annotations->kind() != PDFObject::Kind::Array)
        return Status::success();
    for (const PDFObject& item : annotations->items()) {
        const PDFObject* annotation = m_file.resolve(&item);
        const PDFObject* appearances = annotation && annotation->isDictionary() ? m_file.resolvedEntry(*annotation, "AP") : nullptr;
        if (!appearances || !appearances->isDictionary())
            continue;
        // Each appearance is a form, or a dictionary of forms by state.
        for (const PDFObject& appearance : appearances->items()) {
            std::vector<const PDFObject*> forms{&appearance};
            if (const PDFObject* states = m_file.resolve(&appearance);
                states && states->isDictionary() && appearance.kind() != PDFObject::Kind::Reference) {
                forms.clear();
                for (const PDFObject& state : states->items())
                    forms.push_back(&state);
            }
            for (const PDFObject* form : forms) {
                if (form->kind() != PDFObject::Kind::Reference)
                    return unreadable("an annotation appearance is not an indirect stream");
                if (Status scanned = scanFormOrPattern(form->objectNumber(), kNoFont, depth + 1); !scanned)
                    return scanned;
            }
        }
    }
    return Status::success();
}

PDFContentScanner::Resources PDFContentScanner::resourcesOf(const PDFObject& owner, int ownerNumber, Resources inherited) const
{
    const PDFObject* entry = owner.find("Resources");
    if (!entry)
        return inherited;
    const PDFObject* dictionary = m_file.resolve(entry);
    if (!dictionary || !dictionary->isDictionary())
        return inherited;
    int holder = entry->kind() == PDFObject::Kind::Reference ? entry->objectNumber() : ownerNumber;
    return Resources{dictionary, holder};
}

Result<const PDFObject*> PDFContentScanner::resourceEntry(Resources resources, const char* category,
                                                          const std::string& name) const
{
    if (!resources.dictionary)
        return unreadable(std::string("content uses /") + category + " without resources");
    const PDFObject* names = m_file.resolve(resources.dictionary->find(category));
    if (!names || !names->isDictionary())
        return unreadable(std::string("no /") + category + " resources for " + name);
    const PDFObject* value = names->find(name);
    if (!value)
        return unreadable(std::string("no /") + category + " resource named " + name);
    return value;
}

Result<int> PDFContentScanner::resourceObject(Resources resources, const char* category, const std::string& name) const
{
    Result<const PDFObject*> entry = resourceEntry(resources, category, name);
    if (!entry)
        return entry.error();
    if ((*entry)->kind() != PDFObject::Kind::Reference)
        return unreadable(std::string("no indirect /") + category + " resource named " + name);
    return (*entry)->objectNumber();
}

void PDFContentScanner::noteFontDictionary(Resources resources)
{
    // Every font of a dictionary whose content was read is either shown
    // there or not at all.
    const PDFObject* fonts = resources.dictionary ? resources.dictionary->find("Font") : nullptr;
    if (fonts)
        m_fontDictionaryHolders.insert(fonts->kind() == PDFObject::Kind::Reference ? fonts->objectNumber()
                                                                                   : resources.holder);
}

Result<int> PDFContentScanner::selectFont(Resources resources, const std::string& name)
{
    Result<int> number = resourceObject(resources, "Font", name);
    if (!number)
        return number;
    const PDFObject* font = m_file.value(*number);
    if (!font || !font->isDictionary())
        return unreadable("font " + name + " is missing");
    // Type 3 glyphs are content of their own; one that shows text is beyond
    // what is followed here.
    const PDFObject* fontResources = m_file.resolvedEntry(*font, "Resources");
    if (fontResources && fontResources->isDictionary() && fontResources->find("Font"))
        return unreadable("font " + name + " draws its glyphs with other fonts");
    const PDFObject* subtype = m_file.resolvedEntry(*font, "Subtype");
    return subtype && subtype->isName("Type0") ? *number : kSimpleFont;
}

Status PDFContentScanner::scanStream(int number, Resources inherited, int font, int depth)
{
    if (depth > kMaximumFormDepth)
        return unreadable("forms are nested too deep");
    if (!m_scannedStreams.insert({number, font}).second)
        return Status::success();
    const PDFObject* dictionary = m_file.value(number);
    if (!dictionary || !m_file.isStream(number))
        return unreadable("object " + std::to_string(number) + " is no content stream");
    Result<Data> content = m_file.decodedStream(number);
    if (!content)
        return unreadable(content.error().message);
    return scanContent(content->stringView(), resourcesOf(*dictionary, number, inherited), font, depth);
}

Status PDFContentScanner::scanFormOrPattern(int number, int font, int depth)
{
    // A form or a pattern without resources of its own is an old-style one
    // that borrows its caller's; none is printed that way.
    return scanStream(number, Resources{}, font, depth);
}

Status PDFContentScanner::scanGraphicsState(Resources resources, const std::string& name, int depth)
{
    Result<const PDFObject*> entry = resourceEntry(resources, "ExtGState", name);
    if (!entry)
        return entry.error();
    const PDFObject* state = m_file.resolve(*entry);
    if (!state || !state->isDictionary())
        return unreadable("graphics state " + name + " is missing");
    if (state->find("Font"))
        return unreadable("graphics state " + name + " sets a font");
    const PDFObject* mask = m_file.resolvedEntry(*state, "SMask");
    if (!mask || !mask->isDictionary())
        return Status::success();
    const PDFObject* group = mask->find("G");
    if (!group || group->kind() != PDFObject::Kind::Reference)
        return Status::success();
    return scanFormOrPattern(group->objectNumber(), kNoFont, depth + 1);
}

Status PDFContentScanner::scanContent(std::string_view content, Resources resources, int font, int depth)
{
    noteFontDictionary(resources);
    PDFTokenizer tokenizer(content);
    std::vector<PDFTokenizer::Token> operands;
    std::vector<int> savedFonts;
    while (true) {
        PDFTokenizer::Token token = tokenizer.next();
        if (token.kind == PDFTokenizer::Kind::End)
            return Status::success();
        if (token.kind == PDFTokenizer::Kind::Malformed)
            return unreadable("damaged content: " + token.text);
        if (isOperand(token)) {
            if (isKeptOperand(token))
                operands.push_back(std::move(token));
            continue;
        }
        if (Operator op = operatorNamed(token.word); op != Operator::Other) {
            if (Status handled = applyOperator(op, operands, resources, font, savedFonts, depth); !handled)
                return handled;
        }
        operands.clear();
    }
}

Status PDFContentScanner::applyOperator(Operator op, const std::vector<PDFTokenizer::Token>& operands,
                                        Resources resources, int& font, std::vector<int>& savedFonts, int depth)
{
    switch (op) {
    case Operator::Save:
        savedFonts.push_back(font);
        return Status::success();
    case Operator::Restore:
        if (!savedFonts.empty()) {
            font = savedFonts.back();
            savedFonts.pop_back();
        }
        return Status::success();
    case Operator::SetFont: {
        const PDFTokenizer::Token* fontName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!fontName)
            return unreadable("Tf without a font name");
        Result<int> selected = selectFont(resources, fontName->text);
        if (!selected)
            return selected.error();
        font = *selected;
        return Status::success();
    }
    case Operator::ShowText: {
        if (font == kNoFont)
            return unreadable("text shown before a font is chosen");
        if (font == kSimpleFont)
            return Status::success();
        std::bitset<kGlyphIDCount>& glyphs = m_glyphsOfFont[font];
        for (const PDFTokenizer::Token& operand : operands) {
            if (operand.kind != PDFTokenizer::Kind::String)
                continue;
            const std::string& codes = operand.text;
            if (codes.size() % 2)
                return unreadable("a string of two-byte codes has an odd length");
            for (std::size_t index = 0; index < codes.size(); index += 2)
                glyphs.set(static_cast<unsigned char>(codes[index]) << 8 | static_cast<unsigned char>(codes[index + 1]));
        }
        return Status::success();
    }
    case Operator::PaintXObject: {
        const PDFTokenizer::Token* objectName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!objectName)
            return unreadable("Do without a name");
        Result<int> number = resourceObject(resources, "XObject", objectName->text);
        if (!number)
            return number.error();
        const PDFObject* object = m_file.value(*number);
        const PDFObject* subtype = object && object->isDictionary() ? m_file.resolvedEntry(*object, "Subtype") : nullptr;
        if (subtype && subtype->isName("Form"))
            return scanFormOrPattern(*number, font, depth + 1);
        return Status::success();
    }
    case Operator::SetPattern: {
        const PDFTokenizer::Token* patternName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!patternName)
            return Status::success();
        Result<int> number = resourceObject(resources, "Pattern", patternName->text);
        if (!number)
            return number.error();
        // Only tiling patterns have content; shadings are colour alone.
        if (m_file.isStream(*number))
            return scanFormOrPattern(*number, kNoFont, depth + 1);
        return Status::success();
    }
    case Operator::SetGraphicsState: {
        const PDFTokenizer::Token* stateName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!stateName)
            return unreadable("gs without a name");
        return scanGraphicsState(resources, stateName->text, depth);
    }
    case Operator::InlineImage:
        // Inline image data are not tokens; skipping them safely needs
        // knowing their length, which only decoding tells.
        return unreadable("content with an inline image");
    case Operator::Other:
        break;
    }
    return Status::success();
}

Result<PDFShownGlyphs> PDFShownGlyphs::collect(const PDFObjectFile& file)
{
    const PDFObject* root = file.resolvedEntry(file.trailer(), "Root");
    const PDFObject* pageTree = root && root->isDictionary() ? root->find("Pages") : nullptr;
    if (!pageTree || pageTree->kind() != PDFObject::Kind::Reference)
        return unreadable("the document has no page tree");
    std::vector<PDFContentScanner::Page> pages;
    if (Status listed = PDFContentScanner(file).listPages(pageTree->objectNumber(), {}, 0, pages); !listed)
        return listed.error();

    // Pages are read side by side: the file is only read, and each reader
    // counts on its own.
    std::size_t readers = std::clamp<std::size_t>(pages.size() / kPagesPerReader, 1,
                                                  std::max(1u, std::thread::hardware_concurrency()));
    std::vector<PDFContentScanner> scanners(readers, PDFContentScanner(file));
    std::vector<Status> outcomes(readers);
    DispatchGroup group;
    for (std::size_t reader = 0; reader < readers; ++reader) {
        std::span<const PDFContentScanner::Page> share(pages.data() + pages.size() * reader / readers,
                                                       pages.data() + pages.size() * (reader + 1) / readers);
        DispatchQueue::global().async(group, [&scanners, &outcomes, reader, share] {
            outcomes[reader] = scanners[reader].scanPages(share);
        });
    }
    group.wait(-1);
    for (std::size_t reader = 0; reader < readers; ++reader) {
        if (!outcomes[reader])
            return outcomes[reader].error();
        if (reader > 0)
            scanners.front().absorb(scanners[reader]);
    }
    PDFShownGlyphs shown;
    scanners.front().finish(shown);
    return shown;
}

} // namespace folio
