#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"

namespace folio {

namespace {

// Word's number for text checked in no language.
constexpr std::uint16_t kNoLanguage = 0x400;

bool isOn(const AttributeDictionary& attributes, std::string_view key)
{
    const AttributeValue* value = attributes.valueForKey(key).get();
    if (const auto* flag = value ? value->as<BoolValue>() : nullptr)
        return flag->value();
    if (const auto* number = value ? value->as<IntegerValue>() : nullptr)
        return number->value() != 0;
    return false;
}

} // namespace

DKRTFCharacterMarks DKRTFWriter::characterMarks(const AttributeDictionary& attributes)
{
    DKRTFCharacterMarks marks;
    marks.language = windowsLanguage(attributes.valueForKey(kCTLanguageAttributeName));
    marks.eastAsianLanguage = windowsLanguage(attributes.valueForKey(TEEastAsianLanguageAttribute));
    marks.noProofing = isOn(attributes, TENoProofingAttribute);
    marks.capitals = isOn(attributes, TECapitalsAttribute);
    marks.smallCapitals = isOn(attributes, TESmallCapitalsAttribute);
    const auto* shadows = attributes.valueForKeyAs<ArrayValue>(TEShadowsAttribute);
    marks.shadow = shadows && !shadows->elements().empty();
    // A negative width strokes filled letters, which RTF cannot say.
    const auto* stroke = attributes.valueForKeyAs<DoubleValue>(NSStrokeWidthAttributeName);
    marks.outline = stroke && stroke->value() > 0;
    return marks;
}

std::uint16_t DKRTFWriter::windowsLanguage(const AttributeValuePtr& tag)
{
    const auto* text = tag ? tag->as<StringValue>() : nullptr;
    if (!text)
        return 0;
    auto [found, isNew] = m_windowsLanguages.try_emplace(tag.get());
    if (isNew) {
        const unsigned number = windowsLanguageForLanguageTag(toUtf8(text->value()));
        found->second = number < 0x10000 && number != kNoLanguage ? static_cast<std::uint16_t>(number) : 0;
    }
    return found->second;
}

bool DKRTFWriter::writeCharacterMarks(const DKRTFCharacterMarks& marks, bool unknown)
{
    DKRTFCharacterMarks& written = m_state.characterMarks;
    bool wroteOutput = false;
    auto writeFlag = [&](const char* word, bool on, bool& inForce) {
        if (on == inForce && !unknown)
            return;
        m_buffer.appendCString(word);
        if (!on)
            m_buffer.appendByte('0');
        inForce = on;
        wroteOutput = true;
    };
    // Each language goes with its twin for text marked not to be checked,
    // as Word writes them; Word reads the second under "\noproof".
    auto writeLanguage = [&](const char* word, const char* twin, std::uint16_t language, std::uint16_t& inForce) {
        if (language == inForce && !(unknown && language != 0))
            return;
        const std::uint16_t number = language != 0 ? language : kNoLanguage;
        m_buffer.appendCString(word);
        m_buffer.appendInteger(number);
        m_buffer.appendCString(twin);
        m_buffer.appendInteger(number);
        inForce = language;
        wroteOutput = true;
    };
    writeLanguage("\\lang", "\\langnp", marks.language, written.language);
    writeLanguage("\\langfe", "\\langfenp", marks.eastAsianLanguage, written.eastAsianLanguage);
    writeFlag("\\noproof", marks.noProofing, written.noProofing);
    writeFlag("\\caps", marks.capitals, written.capitals);
    writeFlag("\\scaps", marks.smallCapitals, written.smallCapitals);
    writeFlag("\\shad", marks.shadow, written.shadow);
    writeFlag("\\outl", marks.outline, written.outline);
    return wroteOutput;
}

} // namespace folio
