#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/FontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <unordered_set>

namespace folio {

namespace {

constexpr std::string_view kDefaultFontName = "Helvetica";

} // namespace

const std::vector<const AttributeDictionary*>& DKRTFWriter::dictionariesInOrderOfFirstUse()
{
    if (m_dictionariesInOrder)
        return *m_dictionariesInOrder;
    // A long text has tens of thousands of runs and a few hundred
    // dictionaries: the tables are drawn from the dictionaries, met once.
    std::vector<const AttributeDictionary*> dictionaries;
    std::unordered_set<const AttributeDictionary*> seen;
    const AttributeDictionary* previous = nullptr;
    bool first = true;
    m_attributedString.forEachRun(Range{0, m_attributedString.length()},
                                  [&](const AttributeDictionaryPtr& attributes, Range) {
                                      if (!first && attributes.get() == previous)
                                          return;
                                      first = false;
                                      previous = attributes.get();
                                      if (seen.insert(previous).second)
                                          dictionaries.push_back(previous);
                                  });
    m_dictionariesInOrder = std::move(dictionaries);
    return *m_dictionariesInOrder;
}

bool DKRTFWriter::showsNoLetters(const AttributeDictionary& attributes) const
{
    return attributes.containsKey(NSAttachmentAttributeName) || attributes.containsKey(TEPageBreakAttribute) ||
        m_fontlessParagraphEnds.contains(&attributes);
}

void DKRTFWriter::findFontlessParagraphEnds()
{
    m_fontlessParagraphEnds.clear();
    struct Use {
        bool letters = false;
        bool afterNote = false;
    };
    std::unordered_map<const AttributeDictionary*, Use> uses;
    const std::u16string_view text = m_attributedString.string();
    bool previousIsNote = false;
    m_attributedString.forEachRun(Range{0, text.size()}, [&](const AttributeDictionaryPtr& attributes, Range run) {
        const AttributeDictionary* dictionary = attributes ? attributes.get() : AttributeDictionary::empty().get();
        Use& use = uses[dictionary];
        use.letters = use.letters ||
            text.substr(run.location, run.length).find_first_not_of(u"\n\r") != std::u16string_view::npos;
        use.afterNote = use.afterNote || previousIsNote;
        previousIsNote = dictionary->containsKey(NSAttachmentAttributeName);
    });
    for (const auto& [dictionary, use] : uses) {
        if (!use.letters && (use.afterNote || !dictionary->containsKey(kCTFontAttributeName)))
            m_fontlessParagraphEnds.insert(dictionary);
    }
}

bool DKRTFWriter::documentNamedFont(const std::string& name) const { return m_documentFontNames.contains(name); }

const std::string* DKRTFWriter::documentNameOfFamily(const std::string& family) const
{
    if (!m_documentFamilies) {
        m_documentFamilies.emplace();
        for (const std::string& name : m_documentFontNames) {
            if (std::optional<Font> font = Font::fontWithName(name, 12))
                m_documentFamilies->emplace(font->familyName(), name);
        }
    }
    auto found = m_documentFamilies->find(family);
    return found == m_documentFamilies->end() ? nullptr : &found->second;
}

std::string DKRTFWriter::fontTableName(const AttributeValuePtr& value) const
{
    const auto* font = value ? value->as<FontAttributeValue>() : nullptr;
    if (!font)
        return std::string(kDefaultFontName);
    // A generic family is no font name: the face drawn for it is written.
    if (FontCatalog::isGenericFamily(font->font().postScriptName()) ||
        FontCatalog::isGenericFamily(font->font().familyName())) {
        const std::string& drawn = font->font().face().postScriptName;
        return drawn.empty() || FontCatalog::isGenericFamily(drawn) ? std::string(kDefaultFontName) : drawn;
    }
    // A family this system draws with a stand-in is written by its family
    // name; its bold and italic travel as "\b" and "\i", never as a face
    // name made up for the stand-in.
    if (font->font().isSubstituted()) {
        // The name the document gave the family ("Times-Roman" of a Mac
        // file, read as the family "Times") goes back as it was.
        if (documentNamedFont(font->font().postScriptName()))
            return font->font().postScriptName();
        if (const std::string* named = documentNameOfFamily(font->font().familyName()))
            return *named;
        return font->font().familyName();
    }
    // Word and LibreOffice name fonts by family ("Times New Roman"), which
    // is what they look for again; a face name of ours would be replaced by
    // another font there. The family stands only for its own bold and
    // italic faces: a light or condensed face keeps its face name.
    const Font& face = font->font();
    if (documentNamedFont(face.familyName()) && !documentNamedFont(face.postScriptName())) {
        // The face a reader finds for the family with "\b" and "\i".
        std::optional<Font> familyFace = Font::fontWithName(face.familyName(), face.pointSize());
        for (std::uint32_t trait : {kFontBoldTrait, kFontItalicTrait}) {
            if (familyFace && (face.symbolicTraits() & trait))
                familyFace = familyFace->copyWithSymbolicTraits(trait, trait);
        }
        if (familyFace && familyFace->postScriptName() == face.postScriptName())
            return face.familyName();
    }
    return face.postScriptName();
}

void DKRTFWriter::writeFontTableEntryWithIndex(std::int32_t index, const std::string& name)
{
    m_buffer.appendCString("\\f");
    m_buffer.appendInteger(index);
    m_buffer.appendCString("\\fnil\\fcharset0 ");
    m_buffer.appendEscapedString(toUtf16(name));
    m_buffer.appendByte(';');
}

void DKRTFWriter::writeFontTable()
{
    m_registeredFonts.clear();
    m_fontNumbersByValue.clear();
    m_buffer.appendCString("{\\fonttbl");
    auto registerName = [this](const std::string& name) {
        if (m_registeredFonts.contains(name))
            return;
        auto number = static_cast<std::int32_t>(m_registeredFonts.size());
        writeFontTableEntryWithIndex(number, name);
        m_registeredFonts.emplace(name, number);
    };
    // Runs share their dictionaries, and dictionaries their font values:
    // each value is named once, in order of first use, which is the order
    // the table has always had. A dictionary met before holds no new value.
    std::unordered_set<const AttributeValue*> named;
    findFontlessParagraphEnds();
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        const AttributeValuePtr& value = attributes ? attributes->valueForKey(kCTFontAttributeName) : AttributeValuePtr();
        if (attributes && showsNoLetters(*attributes))
            continue;
        if (named.insert(value.get()).second)
            registerName(fontTableName(value));
    }
    // The style sheet's fonts follow the text's, whose numbers stay as a
    // document without a style sheet has them.
    if (m_styleSheet) {
        for (const std::u16string& name : m_styleSheet->fonts())
            registerName(toUtf8(name));
    }
    // An empty text still gets the font its (absent) runs would use, so
    // that a reader finds font 0 defined.
    if (m_registeredFonts.empty())
        registerName(std::string(kDefaultFontName));
    m_buffer.appendCString("}\n");
}

std::int32_t DKRTFWriter::registeredFontNumber(const std::string& name) const
{
    auto found = m_registeredFonts.find(name);
    return found == m_registeredFonts.end() ? 0 : found->second;
}

void DKRTFWriter::writeColorTable()
{
    m_registeredColors.clear();
    m_colorNumbersByValue.clear();
    m_buffer.appendCString("{\\colortbl");
    DKRTFColorTableEntry defaultEntry;
    defaultEntry.writeToDataBuffer(m_buffer);
    m_registeredColors.emplace(defaultEntry, 0);
    // Colours are numbered in order of first use, foreground before
    // background within a run, so the same text always gives the same table.
    auto registerColor = [this](const AttributeDictionary& attributes, std::string_view key) {
        const auto* value = attributes.valueForKeyAs<ColorValue>(key);
        if (!value)
            return;
        DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&value->color());
        if (m_registeredColors.contains(entry))
            return;
        entry.writeToDataBuffer(m_buffer);
        m_registeredColors.emplace(entry, static_cast<std::int32_t>(m_registeredColors.size()));
    };
    // Runs share their dictionaries: a dictionary seen before adds no colour.
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        if (!attributes)
            continue;
        registerColor(*attributes, kCTForegroundColorAttributeName);
        registerColor(*attributes, NSBackgroundColorAttributeName);
    }
    if (m_styleSheet) {
        for (const std::shared_ptr<const ColorValue>& color : m_styleSheet->colors()) {
            if (!color)
                continue;
            DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&color->color());
            if (m_registeredColors.contains(entry))
                continue;
            entry.writeToDataBuffer(m_buffer);
            m_registeredColors.emplace(entry, static_cast<std::int32_t>(m_registeredColors.size()));
        }
    }
    m_buffer.appendCString("}\n");
    // The style sheet follows the colour table, as RTF orders the header.
    writeStyleSheet();
    m_buffer.appendCString("\\pard\n");
}

std::int32_t DKRTFWriter::registeredColorNumber(const AttributeDictionary& attributes, std::string_view key) const
{
    const auto* value = attributes.valueForKeyAs<ColorValue>(key);
    DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(value ? &value->color() : nullptr);
    auto found = m_registeredColors.find(entry);
    return found == m_registeredColors.end() ? 0 : found->second;
}

void DKRTFWriter::writeListTable()
{
    // One RTF list per outermost list, in order of first use, with a level
    // for every depth its items reach; the type of a level is that of the
    // first item at that depth. Neighbouring runs with equal lists count as
    // one stretch, named by its first run's list.
    m_listNumbers.clear();
    std::vector<std::vector<TECSSListStyleType>> lists;
    // A text that is one list throughout, or has no list, needs no table.
    bool severalValues = false;
    bool first = true;
    AttributeValuePtr firstValue;
    AttributeValuePtr stretchValue;
    const AttributeDictionary* previous = nullptr;
    m_attributedString.forEachRun(Range{0, m_attributedString.length()}, [&](const AttributeDictionaryPtr& attributes,
                                                                             Range) {
        if (!first && attributes.get() == previous)
            return;
        previous = attributes.get();
        const AttributeValuePtr& value = attributes ? attributes->valueForKey(TETextListsAttribute) : AttributeValuePtr();
        if (first) {
            first = false;
            firstValue = value;
        } else if (attributeValuesEqual(value, stretchValue)) {
            return;
        } else if (!severalValues && !attributeValuesEqual(value, firstValue)) {
            severalValues = true;
        }
        stretchValue = value;
        const auto* array = value ? value->as<ArrayValue>() : nullptr;
        if (!array || array->isEmpty())
            return;
        auto [number, added] = m_listNumbers.emplace(array->elements().front().get(), lists.size() + 1);
        if (added)
            lists.emplace_back();
        std::vector<TECSSListStyleType>& levels = lists[number->second - 1];
        for (std::size_t depth = levels.size(); depth < array->count(); ++depth) {
            const auto* style = (*array)[depth]->as<TECSSListStyle>();
            levels.push_back(style ? style->type() : TECSSListStyleType::Inherit);
        }
    });
    if (!severalValues) {
        m_listNumbers.clear();
        return;
    }
    if (lists.empty())
        return;

    m_buffer.appendCString("{\\*\\listtable");
    std::int64_t templateId = 1;
    m_listSublevels.clear();
    for (std::size_t list = 0; list < lists.size(); ++list) {
        const std::string listId = std::to_string(list + 1);
        m_buffer.appendCString("\n{\\list\\listtemplateid");
        m_buffer.appendCString(listId);
        m_buffer.appendCString("\\listhybrid");
        for (std::size_t depth = 0; depth < lists[list].size(); ++depth) {
            const TECSSListStyleType type = lists[list][depth];
            const int numberType = TECSSListStyle::RTFNumberTypeForLevel(type);
            const std::string indent = std::to_string((depth + 1) * 720);
            m_buffer.appendCString("{\\listlevel\\levelnfc");
            m_buffer.appendInteger(numberType);
            m_buffer.appendCString("\\levelnfcn");
            m_buffer.appendInteger(numberType);
            m_buffer.appendCString("\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0"
                                   "{\\*\\levelmarker \\{");
            m_buffer.appendCString(TECSSListStyle::listStyleRTFString(type));
            m_buffer.appendCString("}{\\leveltext\\leveltemplateid");
            m_buffer.appendCString(std::to_string(templateId++));
            // Other readers draw the level from its text: the level's number
            // and a full stop, or the bullet itself.
            if (numberType == 23)
                m_buffer.appendCString("\\'01\\u8226 ?;}{\\levelnumbers;}");
            else
                m_buffer.appendCString("\\'02\\'00.;}{\\levelnumbers\\'01;}");
            m_buffer.appendCString("\\fi-360\\li");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("\\lin");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("}\n");
        }
        m_buffer.appendCString("{\\listname ;}\\listid");
        m_buffer.appendCString(listId);
        m_buffer.appendByte('}');
        m_listSublevels.push_back(static_cast<std::int64_t>(lists[list].size()) - 1);
    }
    m_buffer.appendCString("}\n{\\*\\listoverridetable");
    for (std::size_t list = 1; list <= lists.size(); ++list) {
        std::string number = std::to_string(list);
        m_buffer.appendCString("{\\listoverride\\listid");
        m_buffer.appendCString(number);
        m_buffer.appendCString("\\listoverridecount0\\ls");
        m_buffer.appendCString(number);
        m_buffer.appendByte('}');
    }
    m_buffer.appendCString("}\n");
    m_state.listCount = static_cast<std::int32_t>(lists.size() + 1);
}

} // namespace folio
