#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEShading.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionary.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {

// Word's number for text checked in no language.
constexpr std::uint16_t kMarksNoLanguage = 0x400;

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

const DKRTFCharacterMarks& DKRTFWriter::characterMarks(const AttributeDictionary& attributes)
{
    auto [found, isNew] = m_characterMarks.try_emplace(&attributes);
    if (isNew)
        found->second = workOutCharacterMarks(attributes);
    return found->second;
}

DKRTFCharacterMarks DKRTFWriter::workOutCharacterMarks(const AttributeDictionary& attributes)
{
    DKRTFCharacterMarks marks;
    marks.language = windowsLanguage(attributes.valueForKey(kCTLanguageAttributeName));
    marks.eastAsianLanguage = windowsLanguage(attributes.valueForKey(TEEastAsianLanguageAttribute));
    marks.noProofing = isOn(attributes, TENoProofingAttribute);
    marks.capitals = isOn(attributes, TECapitalsAttribute);
    marks.smallCapitals = isOn(attributes, TESmallCapitalsAttribute);
    marks.hidden = isOn(attributes, TEHiddenAttribute);
    const auto* shadows = attributes.valueForKeyAs<ArrayValue>(TEShadowsAttribute);
    marks.shadow = shadows && !shadows->elements().empty();
    if (marks.shadow && shadows->elements().front())
        marks.shadowMeasures = shadowMeasures(*shadows->elements().front());
    // Word knows outlined letters only; TextEdit's own width follows when
    // it is not Word's, and a negative one strokes filled letters.
    const auto* stroke = attributes.valueForKeyAs<DoubleValue>(NSStrokeWidthAttributeName);
    const double width = stroke && std::isfinite(stroke->value()) ? stroke->value() : 0;
    marks.outline = width > 0;
    if (width != 0) {
        constexpr double kOutlineWidth = 3;
        const long twentieths = std::lround(std::clamp(width, -200.0, 200.0) * 20);
        if (width != kOutlineWidth)
            marks.strokeWidth = twentieths != 0 ? static_cast<int>(twentieths) : (width > 0 ? 1 : -1);
        const AttributeValuePtr& color = attributes.valueForKey(NSStrokeColorAttributeName);
        if (color && color->as<ColorValue>())
            marks.strokeColor = std::static_pointer_cast<const ColorValue>(color);
    }
    // A run whose background was taken off keeps no shading under it.
    const auto* shadingText = attributes.valueForKeyAs<StringValue>(TEShadingAttribute);
    if (shadingText && attributes.valueForKeyAs<ColorValue>(NSBackgroundColorAttributeName)) {
        if (std::optional<TEShading> shading = TEShading::fromText(toUtf8(shadingText->value()))) {
            marks.shading.shading = shading->shading;
            marks.shading.pattern = shading->pattern;
            if (shading->color)
                marks.shading.color = ColorValue::make(*shading->color);
            if (shading->fill)
                marks.shading.fill = ColorValue::make(*shading->fill);
        }
    }
    marks.doubleStrike = isOn(attributes, TEDoubleStrikeOutAttribute) && isOn(attributes, TEStrikeOutAttribute);
    if (const auto* shift = attributes.valueForKeyAs<IntegerValue>(TEBaselineShiftAttribute)) {
        marks.baselineShift = static_cast<int>(
            std::clamp<std::int64_t>(shift->value(), -TELargestBaselineShift, TELargestBaselineShift));
    }
    if (const auto* kerning = attributes.valueForKeyAs<IntegerValue>(TEKerningAttribute))
        marks.kerning = static_cast<int>(std::clamp<std::int64_t>(kerning->value(), 0, 0xFFFF));
    return marks;
}

std::optional<DKRTFCharacterMarks::ShadowMeasures> DKRTFWriter::shadowMeasures(const AttributeValue& value)
{
    const auto* shadow = value.as<ShadowValue>();
    if (!shadow)
        return std::nullopt;
    // Word's plain shadow, grey a point down and to the right, needs none.
    const Color grey = Color::colorWithRed(128 / 255.0, 128 / 255.0, 128 / 255.0);
    const DKRTFColorTableEntry entry = DKRTFColorTableEntry::entryWithColor(&shadow->color());
    if (shadow->offset() == Size{1, 1} && shadow->blur() == 1 && entry == DKRTFColorTableEntry::entryWithColor(&grey)
        && shadow->color().alpha() == 1)
        return std::nullopt;
    auto twips = [](double points) {
        return static_cast<int>(std::lround(std::isfinite(points) ? std::clamp(points, -1584.0, 1584.0) * 20 : 0));
    };
    DKRTFCharacterMarks::ShadowMeasures measures;
    measures.x = twips(shadow->offset().width);
    measures.y = -twips(shadow->offset().height);
    measures.blur = std::max(twips(shadow->blur()), 0);
    // TextEdit's automatic shadow colour is a third of black; any other
    // colour is named with its opacity apart.
    const double alpha = std::clamp(shadow->color().alpha(), 0.0, 1.0);
    if (entry == DKRTFColorTableEntry() && std::abs(alpha - 1 / 3.0) < 0.01)
        return measures;
    measures.color = ColorValue::make(shadow->color().colorWithAlphaComponent(1));
    if (alpha < 1)
        measures.opacity = std::max(1, static_cast<int>(std::lround(alpha * 255)));
    return measures;
}

std::int32_t DKRTFWriter::effectColorNumber(const ColorValue* color)
{
    if (!color)
        return 0;
    auto found = m_registeredColors.find(DKRTFColorTableEntry::entryWithColor(&color->color()));
    const std::int32_t number = found == m_registeredColors.end() ? 0 : found->second;
    return number == 0 ? m_blackUnderlineColorNumber : number;
}

std::uint16_t DKRTFWriter::windowsLanguage(const AttributeValuePtr& tag)
{
    const auto* text = tag ? tag->as<StringValue>() : nullptr;
    if (!text)
        return 0;
    auto [found, isNew] = m_windowsLanguages.try_emplace(text->value());
    if (isNew) {
        const unsigned number = windowsLanguageForLanguageTag(toUtf8(text->value()));
        found->second = number < 0x10000 && number != kMarksNoLanguage ? static_cast<std::uint16_t>(number) : 0;
    }
    return found->second;
}

std::int32_t DKRTFWriter::writtenColorNumber(const ColorValue* color)
{
    const std::int32_t number = effectColorNumber(color);
    return number == 0 ? 0 : number + 1;
}

std::int32_t DKRTFWriter::writtenColorNumber(const std::optional<Color>& color)
{
    if (!color)
        return 0;
    const ColorValue value(*color);
    return writtenColorNumber(&value);
}

bool DKRTFWriter::sameMeasures(const std::optional<DKRTFCharacterMarks::ShadowMeasures>& one,
                               const std::optional<DKRTFCharacterMarks::ShadowMeasures>& other)
{
    if (!one || !other)
        return one.has_value() == other.has_value();
    return one->x == other->x && one->y == other->y && one->blur == other->blur && one->opacity == other->opacity
        && writtenColorNumber(one->color.get()) == writtenColorNumber(other->color.get());
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
        const std::uint16_t number = language != 0 ? language : kMarksNoLanguage;
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
    writeFlag("\\v", marks.hidden, written.hidden);
    // A shadow's measures come after it, each time it is named.
    const bool sameShadow = marks.shadow == written.shadow && sameMeasures(marks.shadowMeasures, written.shadowMeasures);
    if (!sameShadow || unknown) {
        m_buffer.appendCString(marks.shadow ? "\\shad" : "\\shad0");
        if (marks.shadow && marks.shadowMeasures) {
            const DKRTFCharacterMarks::ShadowMeasures& measures = *marks.shadowMeasures;
            for (auto [word, number] : {std::pair{"\\shadx", measures.x}, std::pair{"\\shady", measures.y},
                                        std::pair{"\\shadr", measures.blur}, std::pair{"\\shado", measures.opacity}}) {
                m_buffer.appendCString(word);
                m_buffer.appendInteger(number);
            }
            m_buffer.appendCString("\\shadowc");
            m_buffer.appendInteger(writtenColorNumber(measures.color.get()));
        }
        written.shadow = marks.shadow;
        written.shadowMeasures = marks.shadowMeasures;
        wroteOutput = true;
    }
    writeFlag("\\outl", marks.outline, written.outline);
    if (marks.strokeWidth != written.strokeWidth || (unknown && marks.strokeWidth)) {
        m_buffer.appendCString("\\strokewidth");
        m_buffer.appendInteger(marks.strokeWidth.value_or(0));
        written.strokeWidth = marks.strokeWidth;
        wroteOutput = true;
    }
    const std::int32_t strokeColor = writtenColorNumber(marks.strokeColor.get());
    if (strokeColor != writtenColorNumber(written.strokeColor.get()) || (unknown && strokeColor != 0)) {
        m_buffer.appendCString("\\strokec");
        m_buffer.appendInteger(strokeColor);
        wroteOutput = true;
    }
    written.strokeColor = marks.strokeColor;
    const DKRTFCharacterMarks::Shading& shading = marks.shading;
    const bool shades = shading.shading != 0 || shading.pattern != 0 || shading.fill;
    const std::int32_t patternColor = writtenColorNumber(shading.color.get());
    const std::int32_t fillColor = writtenColorNumber(shading.fill.get());
    const DKRTFCharacterMarks::Shading& was = written.shading;
    if (shading.shading != was.shading || shading.pattern != was.pattern || patternColor != writtenColorNumber(was.color.get())
        || fillColor != writtenColorNumber(was.fill.get()) || (unknown && shades)) {
        // The share first: it starts a shading afresh, the pattern after it.
        m_buffer.appendCString("\\chshdng");
        m_buffer.appendInteger(shading.shading);
        if (shading.pattern >= 1 && shading.pattern <= static_cast<int>(TEShading::kPatterns.size())) {
            m_buffer.appendCString("\\chbg");
            m_buffer.appendCString(std::string(TEShading::kPatterns[static_cast<std::size_t>(shading.pattern - 1)]).c_str());
        }
        m_buffer.appendCString("\\chcfpat");
        m_buffer.appendInteger(patternColor);
        m_buffer.appendCString("\\chcbpat");
        m_buffer.appendInteger(fillColor);
        written.shading = shading;
        wroteOutput = true;
    }
    if (marks.baselineShift != written.baselineShift || (unknown && marks.baselineShift != 0)) {
        m_buffer.appendCString(marks.baselineShift < 0 ? "\\dn" : "\\up");
        m_buffer.appendInteger(marks.baselineShift < 0 ? -marks.baselineShift : marks.baselineShift);
        written.baselineShift = marks.baselineShift;
        wroteOutput = true;
    }
    // RTF takes kerning back only with "\kerning0": a run that says
    // nothing after a kerned one gets that.
    const bool takesKerningBack = !marks.kerning && written.kerning.value_or(0) != 0;
    if ((marks.kerning && (marks.kerning != written.kerning || unknown)) || takesKerningBack) {
        m_buffer.appendCString("\\kerning");
        m_buffer.appendInteger(marks.kerning.value_or(0));
        written.kerning = marks.kerning.value_or(0);
        wroteOutput = true;
    }
    return wroteOutput;
}

} // namespace folio
