#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"

#include <limits>

namespace folio {

namespace {

const std::u16string* styleNameOf(const AttributeDictionary& attributes)
{
    const auto* name = attributes.valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
    return name && !name->value().empty() ? &name->value() : nullptr;
}

} // namespace

void DKRTFWriter::prepareStyleSheet()
{
    // A document read without a style sheet is written as it always was,
    // whatever style names its text picked up.
    if (!m_settings.styleSheet)
        return;
    m_styleSheet = DKRTFStyleSheet::fromSerialized(*m_settings.styleSheet);
    if (!m_styleSheet)
        return;
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        const std::u16string* name = attributes ? styleNameOf(*attributes) : nullptr;
        if (name && !m_styleSheet->paragraphStyleNumber(*name))
            m_styleSheet->addParagraphStyle(*name);
    }
}

void DKRTFWriter::writeStyleSheet()
{
    if (!m_styleSheet)
        return;
    m_styleSheet->write(
        m_buffer, [this](const std::u16string& name) { return registeredFontNumber(toUtf8(name)); },
        [this](const Color* color) {
            auto found = m_registeredColors.find(DKRTFColorTableEntry::entryWithColor(color));
            // The default entry stands for two slots of the table, black and
            // white, so every later entry is one further on.
            if (found == m_registeredColors.end() || found->second == 0)
                return 0;
            return found->second + 1;
        });
}

std::optional<int> DKRTFWriter::paragraphStyleNumber(const AttributeDictionary& attributes) const
{
    if (!m_styleSheet)
        return std::nullopt;
    if (const std::u16string* name = styleNameOf(attributes))
        return m_styleSheet->paragraphStyleNumber(*name);
    // A paragraph the page made without a name (typed into an empty page)
    // is in the default style.
    if (m_styleSheet->paragraphStyleName(0))
        return 0;
    return std::nullopt;
}

void DKRTFWriter::forgetWrittenIndentsAndSpacing(bool keepDefaults)
{
    constexpr std::int32_t kUnwritten = std::numeric_limits<std::int32_t>::min();
    const DKRTFWriterState defaults;
    // A value at its default is the same for every reader and stays known.
    auto forget = [&](std::int32_t& written, std::int32_t byDefault) {
        if (!keepDefaults || written != byDefault)
            written = kUnwritten;
    };
    if (!keepDefaults) {
        m_state.alignment = kUnwritten;
        m_state.direction = kUnwritten;
    }
    forget(m_state.firstLineIndent, defaults.firstLineIndent);
    forget(m_state.leftIndent, defaults.leftIndent);
    forget(m_state.rightIndent, defaults.rightIndent);
    forget(m_state.lineSpacing, defaults.lineSpacing);
    forget(m_state.lineSpacingIsMultiple, defaults.lineSpacingIsMultiple);
    forget(m_state.paragraphSpacing, defaults.paragraphSpacing);
    forget(m_state.paragraphSpacingBefore, defaults.paragraphSpacingBefore);
}

void DKRTFWriter::writeParagraphStyle(const AttributeDictionary& attributes)
{
    const std::optional<int> number = paragraphStyleNumber(attributes);
    if (!number || *number == m_state.paragraphStyle)
        return;
    m_buffer.appendCString("\\s");
    m_buffer.appendInteger(*number);
    // The character formatting starts afresh from "\plain" (which also ends
    // capitals or hidden text a style may carry) and is all written again.
    m_buffer.appendCString("\\plain\n");
    m_state.paragraphStyle = *number;
    m_state.characterStyle = -1;
    m_state.characterFormattingUnknown = false;
    forgetWrittenIndentsAndSpacing(false);
    constexpr std::int32_t kUnwritten = std::numeric_limits<std::int32_t>::min();
    m_state.keepWithNext = kUnwritten;
    m_state.keepTogether = kUnwritten;
    m_state.widowControl = kUnwritten;
    m_state.outlineLevel = kUnwritten;
    m_state.noHyphenation = kUnwritten;
    m_state.contextualSpacing = kUnwritten;
    // A style's own shading is what it says, as its keeps are.
    m_state.paragraphShading.clear();
    m_state.paragraphBorders.clear();
    m_state.paragraphFrame.clear();
    forgetRunFormatting(false);
}

void DKRTFWriter::forgetRunFormatting(bool styleMaySetIt)
{
    m_state.fontIndex = -1;
    m_state.fontSize = -1;
    m_state.bold = false;
    m_state.italic = false;
    m_state.strike = false;
    m_state.underline = 0;
    m_state.superscript = 0;
    m_state.characterSpacing = 0;
    m_state.characterMarks = {};
    m_state.scriptMarks = {};
    // A character style may give colours of its own: they are then unknown
    // and written again whatever the run asks.
    m_state.foregroundColorIndex = styleMaySetIt ? -2 : -1;
    m_state.backgroundColorIndex = styleMaySetIt ? -2 : 0;
    m_state.underlineColorIndex = styleMaySetIt ? -2 : 0;
}

void DKRTFWriter::writeCharacterStyle(std::int32_t number)
{
    if (number == m_state.characterStyle)
        return;
    // "\plain" both ends a style and clears what the run before it had, so
    // that a style's own formatting does not add to it.
    m_buffer.appendCString("\\plain");
    if (number >= 0) {
        m_buffer.appendCString("\\cs");
        m_buffer.appendInteger(number);
    }
    m_buffer.appendByte(' ');
    m_state.characterStyle = number;
    m_state.characterFormattingUnknown = number >= 0;
    forgetRunFormatting(number >= 0);
}

} // namespace folio
