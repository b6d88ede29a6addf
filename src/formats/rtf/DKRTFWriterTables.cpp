#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributedStringQueries.h"
#include "platform/text/FontAttributeValue.h"

namespace folio {

namespace {

constexpr std::string_view kDefaultFontName = "Helvetica";

std::string fontNameOf(const AttributeValuePtr& value)
{
    if (value) {
        if (const auto* font = value->as<FontAttributeValue>())
            return font->font().postScriptName();
    }
    return std::string(kDefaultFontName);
}

const TECSSListStyle* innermostListStyle(const ArrayValue& lists)
{
    return lists.isEmpty() ? nullptr : lists.elements().back()->as<TECSSListStyle>();
}

} // namespace

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
    m_buffer.appendCString("{\\fonttbl");
    auto registerName = [this](const std::string& name) {
        if (m_registeredFonts.contains(name))
            return;
        auto number = static_cast<std::int32_t>(m_registeredFonts.size());
        writeFontTableEntryWithIndex(number, name);
        m_registeredFonts.emplace(name, number);
    };
    m_attributedString.enumerateAttribute(kCTFontAttributeName, Range{0, m_attributedString.length()},
                                          AttributeEnumerationOptions::LongestEffectiveRange,
                                          [&](const AttributeValuePtr& value, Range, bool&) {
                                              registerName(fontNameOf(value));
                                          });
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
    m_attributedString.enumerateAttributes(Range{0, m_attributedString.length()},
                                           AttributeEnumerationOptions::None,
                                           [&](const AttributeDictionaryPtr& attributes, Range, bool&) {
                                               if (!attributes)
                                                   return;
                                               registerColor(*attributes, kCTForegroundColorAttributeName);
                                               registerColor(*attributes, NSBackgroundColorAttributeName);
                                           });
    m_buffer.appendCString("}\n\\pard\n");
}

std::int32_t DKRTFWriter::registeredColorNumber(const AttributeDictionary& attributes, std::string_view key) const
{
    const auto* value = attributes.valueForKeyAs<ColorValue>(key);
    DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(value ? &value->color() : nullptr);
    auto found = m_registeredColors.find(entry);
    return found == m_registeredColors.end() ? 0 : found->second;
}

bool DKRTFWriter::hasChildren(const TECSSListStyle* style, const std::vector<const ArrayValue*>& listArrays)
{
    if (!style)
        return false;
    std::size_t start = listArrays.size();
    for (std::size_t i = 0; i < listArrays.size(); ++i) {
        if (!listArrays[i]->isEmpty() && listArrays[i]->elements().back().get() == style) {
            start = i;
            break;
        }
    }
    // A list has deeper levels when a neighbouring array, from the style's
    // own onward, starts with the very same outer list object.
    for (std::size_t i = start; i + 1 < listArrays.size(); ++i) {
        const ArrayValue& first = *listArrays[i];
        const ArrayValue& second = *listArrays[i + 1];
        if (!first.isEmpty() && !second.isEmpty() && first[0].get() == second[0].get())
            return true;
    }
    return false;
}

void DKRTFWriter::writeListOpening(std::int64_t listId)
{
    m_buffer.appendCString("\n{\\list\\listtemplateid");
    m_buffer.appendCString(std::to_string(listId));
    m_buffer.appendCString("\\listhybrid");
}

void DKRTFWriter::writeListTable()
{
    Range whole{0, m_attributedString.length()};
    auto distinct = valuesOfAttribute(m_attributedString, TETextListsAttribute, whole);
    // A text that is one list throughout, or has no list, needs no table.
    if (!distinct || distinct->size() <= 1)
        return;
    m_listSublevels.clear();
    std::vector<const ArrayValue*> listArrays;
    for (const AttributeValuePtr& value : *distinct) {
        if (const auto* array = value ? value->as<ArrayValue>() : nullptr)
            listArrays.push_back(array);
    }
    if (listArrays.empty())
        return;

    m_buffer.appendCString("{\\*\\listtable");
    std::int64_t listId = 1;
    std::int64_t templateId = 1;
    std::int64_t depth = 1;
    bool listPending = false;
    bool listOpen = true;
    writeListOpening(listId);
    m_attributedString.enumerateAttribute(
        TETextListsAttribute, whole, AttributeEnumerationOptions::LongestEffectiveRange,
        [&](const AttributeValuePtr& value, Range, bool&) {
            const auto* lists = value ? value->as<ArrayValue>() : nullptr;
            if (!lists)
                return;
            const TECSSListStyle* style = innermostListStyle(*lists);
            bool deeper = hasChildren(style, listArrays);
            // A level with deeper levels does not open the next list: the
            // opening waits for the first level without any.
            if (listPending && !deeper) {
                writeListOpening(listId);
                listPending = false;
                listOpen = true;
            }
            TECSSListStyleType type = style ? style->type() : TECSSListStyleType::Inherit;
            int numberType = TECSSListStyle::RTFNumberTypeForLevel(type);
            std::string indent = std::to_string(depth * 720);
            m_buffer.appendCString("{\\listlevel\\levelnfc");
            m_buffer.appendInteger(numberType);
            m_buffer.appendCString("\\levelnfcn");
            m_buffer.appendInteger(numberType);
            m_buffer.appendCString("\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0"
                                   "{\\*\\levelmarker \\{");
            m_buffer.appendCString(TECSSListStyle::listStyleRTFString(type));
            m_buffer.appendCString("}{\\leveltext\\leveltemplateid");
            m_buffer.appendCString(std::to_string(templateId));
            m_buffer.appendCString("\\'02'00.;}\\fi-360\\li");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("\\lin");
            m_buffer.appendCString(indent);
            m_buffer.appendCString("}\n");
            if (deeper) {
                ++templateId;
                ++depth;
                return;
            }
            m_buffer.appendCString("{\\listname ;}\\listid");
            m_buffer.appendCString(std::to_string(listId));
            m_buffer.appendByte('}');
            m_listSublevels.push_back(depth - 1);
            listPending = true;
            listOpen = false;
            ++listId;
            depth = 1;
        });
    // A list whose every level had deeper levels was never closed; close it
    // so that the table's groups stay balanced.
    if (listOpen) {
        m_buffer.appendCString("{\\listname ;}\\listid");
        m_buffer.appendCString(std::to_string(listId));
        m_buffer.appendByte('}');
        m_listSublevels.push_back(depth - 1);
        ++listId;
    }
    m_buffer.appendCString("}\n{\\*\\listoverridetable");
    for (std::int64_t id = 1; id < listId; ++id) {
        std::string number = std::to_string(id);
        m_buffer.appendCString("{\\listoverride\\listid");
        m_buffer.appendCString(number);
        m_buffer.appendCString("\\listoverridecount0\\ls");
        m_buffer.appendCString(number);
        m_buffer.appendByte('}');
    }
    m_buffer.appendCString("}\n");
    m_state.listCount = static_cast<std::int32_t>(listId);
}

} // namespace folio
