#include "formats/rtf/DKRTFDocumentSettings.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributedString.h"

#include <cmath>

namespace folio {

namespace {

std::optional<std::u16string> stringAttribute(const AttributeDictionary& attributes, std::string_view key)
{
    if (const auto* value = attributes.valueForKeyAs<StringValue>(key))
        return value->value();
    return std::nullopt;
}

// A gutter wider than the widest paper the reader takes is no binding.
constexpr float kLargestGutterTwips = 31680;
// No page has more lines than this in a row.
constexpr float kMostConsecutiveHyphens = 200;

// Margins are stored as centimetre strings; numbers are taken as they are.
float floatAttribute(const AttributeDictionary& attributes, std::string_view key)
{
    const AttributeValuePtr& value = attributes.valueForKey(key);
    if (!value)
        return 0;
    if (const auto* string = value->as<StringValue>())
        return floatValue(std::u16string_view(string->value()));
    if (const auto* number = value->as<DoubleValue>())
        return static_cast<float>(number->value());
    if (const auto* number = value->as<IntegerValue>())
        return static_cast<float>(number->value());
    return 0;
}

} // namespace

DKRTFDocumentSettings DKRTFDocumentSettings::fromFirstCharacter(const AttributedString& text, BlankDocument blank)
{
    DKRTFDocumentSettings settings;
    settings.isNewBlankDocument = blank == BlankDocument::Yes;
    AttributeDictionaryPtr attributes = text.attributesAtIndex(0);
    if (!attributes)
        return settings;
    settings.paperColor = stringAttribute(*attributes, "papercolor");
    settings.leftMargin = floatAttribute(*attributes, "docLeftMargin");
    settings.rightMargin = floatAttribute(*attributes, "docRightMargin");
    settings.topMargin = floatAttribute(*attributes, "docTopMargin");
    settings.bottomMargin = floatAttribute(*attributes, "docBottomMargin");
    const float paperWidth = floatAttribute(*attributes, "docPaperWidth");
    const float paperHeight = floatAttribute(*attributes, "docPaperHeight");
    if (paperWidth > 0 && paperHeight > 0)
        settings.paperSize = Size{paperWidth, paperHeight};
    settings.pageHeader = stringAttribute(*attributes, "pageHeader");
    settings.pageFooter = stringAttribute(*attributes, "pageFooter");
    settings.bookmark = stringAttribute(*attributes, "xebookmark");
    if (std::optional<std::u16string> sheet = stringAttribute(*attributes, "docStyleSheet"))
        settings.styleSheet = toUtf8(*sheet);
    if (std::optional<std::u16string> names = stringAttribute(*attributes, "docFontNames"))
        settings.fontNames = toUtf8(*names);
    if (std::optional<std::u16string> forms = stringAttribute(*attributes, "docOtherHeaderFooterForms"))
        settings.otherHeaderFooterForms = toUtf8(*forms);
    settings.mirroredMargins = floatAttribute(*attributes, "docMirroredMargins") != 0;
    settings.autoHyphenation = floatAttribute(*attributes, "docAutoHyphenation") != 0;
    const float gutter = floatAttribute(*attributes, "docGutter");
    settings.gutter = gutter > 0 && gutter < kLargestGutterTwips ? static_cast<int>(std::lround(gutter)) : 0;
    if (std::optional<std::u16string> notes = stringAttribute(*attributes, "docNoteSettings"))
        settings.noteSettings = toUtf8(*notes);
    if (std::optional<std::u16string> page = stringAttribute(*attributes, "docWidePage"))
        settings.documentWidePage = toUtf8(*page);
    if (std::optional<std::u16string> section = stringAttribute(*attributes, "docFirstSection"))
        settings.firstSection = toUtf8(*section);
    // A number that no page could have is no setting.
    if (attributes->valueForKey("docHyphenationZone")) {
        const float zone = floatAttribute(*attributes, "docHyphenationZone");
        if (zone >= 0 && zone < kLargestGutterTwips)
            settings.hyphenationZone = static_cast<int>(std::lround(zone));
    }
    if (attributes->valueForKey("docHyphenationConsecutiveLines")) {
        const float lines = floatAttribute(*attributes, "docHyphenationConsecutiveLines");
        if (lines >= 0 && lines <= kMostConsecutiveHyphens)
            settings.hyphenationConsecutiveLines = static_cast<int>(std::lround(lines));
    }
    if (attributes->valueForKey("docHyphenateCapitals"))
        settings.hyphenateCapitals = floatAttribute(*attributes, "docHyphenateCapitals") != 0;
    if (std::optional<std::u16string> defaults = stringAttribute(*attributes, "docScriptDefaults"))
        settings.scriptDefaults = toUtf8(*defaults);
    if (std::optional<std::u16string> info = stringAttribute(*attributes, "docInfo"))
        settings.documentInfo = toUtf8(*info);
    if (std::optional<std::u16string> words = stringAttribute(*attributes, "docPageWords"))
        settings.pageWords = toUtf8(*words);
    if (std::optional<std::u16string> unstated = stringAttribute(*attributes, "docUnstatedPage"))
        settings.unstatedPage = DKRTFUnstatedPage::fromText(toUtf8(*unstated));
    const float tabWidth = floatAttribute(*attributes, "docDefaultTabWidth");
    settings.defaultTabWidth =
        tabWidth > 0 && tabWidth < kLargestGutterTwips ? static_cast<int>(std::lround(tabWidth)) : 0;
    return settings;
}

} // namespace folio
