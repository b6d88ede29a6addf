#include "platform/web/PDFShownGlyphs.h"

#include "platform/web/PDFObject.h"
#include "platform/web/PDFObjectFile.h"
#include "platform/web/PDFTokenizer.h"

#include <string_view>
#include <vector>

namespace folio {

namespace {

// Page trees and forms nested deeper than this are no printed page.
constexpr int kMaximumDepth = 32;
constexpr int kNoFont = -1;

Error unreadable(const std::string& message)
{
    return Error{PDFShownGlyphs::kErrorDomain, PDFShownGlyphs::Unreadable, message};
}

bool isOperand(const PDFTokenizer::Token& token)
{
    if (token.kind != PDFTokenizer::Kind::Keyword)
        return true;
    return token.text == "true" || token.text == "false" || token.text == "null";
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
    PDFContentScanner(const PDFObjectFile& file, PDFShownGlyphs& shown) : m_file(file), m_shown(shown) {}

    // Where a resource dictionary stands: the object that holds it directly.
    struct Resources {
        const PDFObject* dictionary = nullptr;
        int holder = 0;
    };

    Status scanPageTree(int number, Resources inherited, int depth);

private:
    Status scanPage(int number, const PDFObject& page, Resources resources, int depth);
    Status scanStream(int number, Resources inherited, int font, int depth);
    Status scanContent(std::string_view content, Resources resources, int font, int depth);
    Status showOperator(const std::string& name, const std::vector<PDFTokenizer::Token>& operands,
                        Resources resources, int& font, std::vector<int>& savedFonts, int depth);
    Resources resourcesOf(const PDFObject& owner, int ownerNumber, Resources inherited) const;
    // The referenced object of a resource category's entry (/Font /F1 ...).
    Result<int> resourceObject(Resources resources, const char* category, const std::string& name) const;
    void noteFontDictionary(Resources resources);
    Result<int> selectFont(Resources resources, const std::string& name);
    Status scanFormOrPattern(int number, int font, int depth);
    Status scanGraphicsState(Resources resources, const std::string& name, int depth);

    const PDFObjectFile& m_file;
    PDFShownGlyphs& m_shown;
    std::set<std::pair<int, int>> m_scannedStreams;
};

Status PDFContentScanner::scanPageTree(int number, Resources inherited, int depth)
{
    if (depth > kMaximumDepth)
        return unreadable("the page tree is nested too deep");
    const PDFObject* node = m_file.value(number);
    if (!node || !node->isDictionary())
        return unreadable("page tree node " + std::to_string(number) + " is missing");
    Resources resources = resourcesOf(*node, number, inherited);
    const PDFObject* type = m_file.resolvedEntry(*node, "Type");
    if (type && type->isName("Pages")) {
        const PDFObject* kids = m_file.resolvedEntry(*node, "Kids");
        if (!kids || kids->kind() != PDFObject::Kind::Array)
            return unreadable("page tree node " + std::to_string(number) + " has no kids");
        for (const PDFObject& kid : kids->items()) {
            if (kid.kind() != PDFObject::Kind::Reference)
                return unreadable("a page is not an indirect object");
            if (Status scanned = scanPageTree(kid.objectNumber(), resources, depth + 1); !scanned)
                return scanned;
        }
        return Status::success();
    }
    return scanPage(number, *node, resources, depth);
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

Result<int> PDFContentScanner::resourceObject(Resources resources, const char* category, const std::string& name) const
{
    if (!resources.dictionary)
        return unreadable(std::string("content uses /") + category + " without resources");
    const PDFObject* entry = resources.dictionary->find(category);
    const PDFObject* names = m_file.resolve(entry);
    if (!names || !names->isDictionary())
        return unreadable(std::string("no /") + category + " resources for " + name);
    const PDFObject* value = names->find(name);
    if (!value || value->kind() != PDFObject::Kind::Reference)
        return unreadable(std::string("no indirect /") + category + " resource named " + name);
    return value->objectNumber();
}

void PDFContentScanner::noteFontDictionary(Resources resources)
{
    // Every font of a dictionary whose content was read is either shown
    // there or not at all.
    const PDFObject* fonts = resources.dictionary ? resources.dictionary->find("Font") : nullptr;
    if (fonts)
        m_shown.m_fontDictionaryHolders.insert(fonts->kind() == PDFObject::Kind::Reference ? fonts->objectNumber()
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
    return *number;
}

Status PDFContentScanner::scanStream(int number, Resources inherited, int font, int depth)
{
    if (depth > kMaximumDepth)
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
    Result<int> number = resourceObject(resources, "ExtGState", name);
    if (!number)
        return number.error();
    const PDFObject* state = m_file.value(*number);
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
            operands.push_back(std::move(token));
            continue;
        }
        if (Status handled = showOperator(token.text, operands, resources, font, savedFonts, depth); !handled)
            return handled;
        operands.clear();
    }
}

Status PDFContentScanner::showOperator(const std::string& name, const std::vector<PDFTokenizer::Token>& operands,
                                       Resources resources, int& font, std::vector<int>& savedFonts, int depth)
{
    if (name == "q") {
        savedFonts.push_back(font);
    } else if (name == "Q") {
        if (!savedFonts.empty()) {
            font = savedFonts.back();
            savedFonts.pop_back();
        }
    } else if (name == "Tf") {
        const PDFTokenizer::Token* fontName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!fontName)
            return unreadable("Tf without a font name");
        Result<int> selected = selectFont(resources, fontName->text);
        if (!selected)
            return selected.error();
        font = *selected;
    } else if (name == "Tj" || name == "TJ" || name == "'" || name == "\"") {
        if (font == kNoFont)
            return unreadable("text shown before a font is chosen");
        std::set<std::uint16_t>& glyphs = m_shown.m_glyphsOfFont[font];
        for (const PDFTokenizer::Token& operand : operands) {
            if (operand.kind != PDFTokenizer::Kind::String)
                continue;
            const std::string& codes = operand.text;
            if (codes.size() % 2)
                return unreadable("a string of two-byte codes has an odd length");
            for (std::size_t index = 0; index < codes.size(); index += 2)
                glyphs.insert(static_cast<std::uint16_t>(static_cast<unsigned char>(codes[index]) << 8
                                                         | static_cast<unsigned char>(codes[index + 1])));
        }
    } else if (name == "Do") {
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
    } else if (name == "scn" || name == "SCN") {
        const PDFTokenizer::Token* patternName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!patternName)
            return Status::success();
        Result<int> number = resourceObject(resources, "Pattern", patternName->text);
        if (!number)
            return number.error();
        // Only tiling patterns have content; shadings are colour alone.
        if (m_file.isStream(*number))
            return scanFormOrPattern(*number, kNoFont, depth + 1);
    } else if (name == "gs") {
        const PDFTokenizer::Token* stateName = lastOperandOfKind(operands, PDFTokenizer::Kind::Name);
        if (!stateName)
            return unreadable("gs without a name");
        return scanGraphicsState(resources, stateName->text, depth);
    } else if (name == "BI") {
        // Inline image data are not tokens; skipping them safely needs
        // knowing their length, which only decoding tells.
        return unreadable("content with an inline image");
    }
    return Status::success();
}

Result<PDFShownGlyphs> PDFShownGlyphs::collect(const PDFObjectFile& file)
{
    PDFShownGlyphs shown;
    const PDFObject* root = file.resolvedEntry(file.trailer(), "Root");
    const PDFObject* pages = root && root->isDictionary() ? root->find("Pages") : nullptr;
    if (!pages || pages->kind() != PDFObject::Kind::Reference)
        return unreadable("the document has no page tree");
    PDFContentScanner scanner(file, shown);
    if (Status scanned = scanner.scanPageTree(pages->objectNumber(), {}, 0); !scanned)
        return scanned.error();
    return shown;
}

} // namespace folio
