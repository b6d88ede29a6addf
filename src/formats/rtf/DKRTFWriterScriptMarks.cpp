#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEScriptAttributes.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"

#include <cmath>
#include <unordered_set>

namespace folio {

namespace {

// Word's number for text in no language.
constexpr std::uint16_t kWriterNoLanguage = 0x400;

constexpr std::string_view kScriptFontKeys[] = {TEComplexScriptFontAttribute, TEEastAsianFontAttribute,
                                                TEHighAnsiFontAttribute, TELowAnsiFontAttribute};

bool isScriptMarkOn(const AttributeDictionary& attributes, std::string_view key)
{
    const auto* flag = attributes.valueForKeyAs<BoolValue>(key);
    return flag && flag->value();
}

} // namespace

void DKRTFWriter::registerScriptFonts(const std::function<void(const std::string&)>& registerName)
{
    std::unordered_set<const AttributeValue*> named;
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        if (!attributes)
            continue;
        for (std::string_view key : kScriptFontKeys) {
            const AttributeValuePtr& value = attributes->valueForKey(key);
            const auto* name = value ? value->as<StringValue>() : nullptr;
            if (name && !name->value().empty() && named.insert(value.get()).second)
                registerName(toUtf8(name->value()));
        }
    }
}

DKRTFScriptMarks DKRTFWriter::scriptMarks(const AttributeDictionary& attributes)
{
    DKRTFScriptMarks marks;
    if (const auto* direction = attributes.valueForKeyAs<ArrayValue>(NSWritingDirectionAttributeName)) {
        // The text system's embeddings and overrides: odd ones run right to
        // left.
        const auto& levels = direction->elements();
        const auto* innermost = levels.empty() || !levels.back() ? nullptr : levels.back()->as<IntegerValue>();
        marks.rightToLeft = innermost && (innermost->value() & 1) != 0;
    }
    auto fontNumber = [&](std::string_view key) {
        const auto* name = attributes.valueForKeyAs<StringValue>(key);
        if (!name || name->value().empty())
            return -1;
        auto found = m_registeredFonts.find(toUtf8(name->value()));
        return found == m_registeredFonts.end() ? -1 : static_cast<int>(found->second);
    };
    marks.complexFont = fontNumber(TEComplexScriptFontAttribute);
    marks.eastAsianFont = fontNumber(TEEastAsianFontAttribute);
    marks.highAnsiFont = fontNumber(TEHighAnsiFontAttribute);
    marks.lowAnsiFont = fontNumber(TELowAnsiFontAttribute);
    if (const auto* size = attributes.valueForKeyAs<DoubleValue>(TEComplexScriptFontSizeAttribute);
        size && std::isfinite(size->value()) && size->value() > 0 && size->value() <= 1638)
        marks.complexSize = static_cast<int>(std::lround(size->value() * 2));
    marks.complexBold = isScriptMarkOn(attributes, TEComplexScriptBoldAttribute);
    marks.complexItalic = isScriptMarkOn(attributes, TEComplexScriptItalicAttribute);
    marks.complexLanguage = windowsLanguage(attributes.valueForKey(TEComplexScriptLanguageAttribute));
    return marks;
}

bool DKRTFWriter::dropsScriptMarks(const DKRTFScriptMarks& marks) const
{
    const DKRTFScriptMarks& written = m_state.scriptMarks;
    return (written.complexFont >= 0 && marks.complexFont < 0) || (written.eastAsianFont >= 0 && marks.eastAsianFont < 0)
        || (written.highAnsiFont >= 0 && marks.highAnsiFont < 0) || (written.lowAnsiFont >= 0 && marks.lowAnsiFont < 0)
        || (written.complexSize > 0 && marks.complexSize <= 0);
}

bool DKRTFWriter::writeScriptMarks(const DKRTFScriptMarks& marks, bool unknown)
{
    DKRTFScriptMarks& written = m_state.scriptMarks;
    if (marks == written && !unknown)
        return false;
    // "\af" and its kin speak of complex-script letters after "\rtlch", as
    // Word writes them; a left-to-right run then says "\ltrch". A font or
    // size the run does not give stays as it was: RTF has no word for none.
    const bool complexChanged = unknown || marks.rightToLeft != written.rightToLeft
        || (marks.complexFont >= 0 && marks.complexFont != written.complexFont)
        || (marks.complexSize > 0 && marks.complexSize != written.complexSize)
        || marks.complexBold != written.complexBold || marks.complexItalic != written.complexItalic
        || marks.complexLanguage != written.complexLanguage;
    bool wroteOutput = false;
    if (complexChanged && (marks != DKRTFScriptMarks() || written != DKRTFScriptMarks())) {
        m_buffer.appendCString("\\rtlch");
        if (marks.complexFont >= 0 && (unknown || marks.complexFont != written.complexFont)) {
            m_buffer.appendCString("\\af");
            m_buffer.appendInteger(marks.complexFont);
            written.complexFont = marks.complexFont;
        }
        if (marks.complexSize > 0 && (unknown || marks.complexSize != written.complexSize)) {
            m_buffer.appendCString("\\afs");
            m_buffer.appendInteger(marks.complexSize);
            written.complexSize = marks.complexSize;
        }
        if (unknown || marks.complexBold != written.complexBold)
            m_buffer.appendCString(marks.complexBold ? "\\ab" : "\\ab0");
        if (unknown || marks.complexItalic != written.complexItalic)
            m_buffer.appendCString(marks.complexItalic ? "\\ai" : "\\ai0");
        if (unknown || marks.complexLanguage != written.complexLanguage) {
            m_buffer.appendCString("\\alang");
            m_buffer.appendInteger(marks.complexLanguage != 0 ? marks.complexLanguage : kWriterNoLanguage);
        }
        if (!marks.rightToLeft)
            m_buffer.appendCString("\\ltrch");
        written.rightToLeft = marks.rightToLeft;
        written.complexBold = marks.complexBold;
        written.complexItalic = marks.complexItalic;
        written.complexLanguage = marks.complexLanguage;
        wroteOutput = true;
    }
    // Each "\af" after its letters' word; "\loch" last, so that the "\f" of
    // a later run names the font of plain letters again.
    bool namedOtherLetters = false;
    std::string_view lastLetters;
    auto writeFont = [&](const char* letters, int font, int& inForce) {
        if (font < 0 || (font == inForce && !unknown))
            return;
        m_buffer.appendCString(letters);
        m_buffer.appendCString("\\af");
        m_buffer.appendInteger(font);
        inForce = font;
        namedOtherLetters = true;
        lastLetters = letters;
    };
    writeFont("\\hich", marks.highAnsiFont, written.highAnsiFont);
    writeFont("\\dbch", marks.eastAsianFont, written.eastAsianFont);
    writeFont("\\loch", marks.lowAnsiFont, written.lowAnsiFont);
    if (namedOtherLetters && lastLetters != "\\loch")
        m_buffer.appendCString("\\loch");
    return wroteOutput || namedOtherLetters;
}

} // namespace folio
