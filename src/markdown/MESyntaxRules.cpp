#include "markdown/MESyntaxRules.h"

#include "foundation/graphics/FontTraits.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeValue.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"

#include <cmath>

namespace folio {

namespace {

namespace Key = TextAttributeName;

AttributeValuePtr rgb(double red, double green, double blue) { return ColorValue::make(Color::colorWithRed(red, green, blue)); }
AttributeValuePtr white(double value) { return ColorValue::make(Color::colorWithWhite(value)); }
AttributeValuePtr fontValue(const Font& font) { return FontAttributeValue::make(font); }

std::optional<Font> faceWithTraits(const Font& font, std::uint32_t traits)
{
    return font.copyWithSymbolicTraits(traits, traits);
}

AttributeDictionaryPtr fontSet(const Font& font) { return AttributeDictionary::make({{std::string(Key::Font), fontValue(font)}}); }

} // namespace

double MESyntaxRules::header1Size(double bodySize)
{
    // Single precision, halves away from zero, as the sizes were always worked out.
    return 2.0 * std::lround(static_cast<float>(bodySize) * 0.6f);
}

double MESyntaxRules::header2Size(double bodySize) { return 2.0 * std::lround(static_cast<float>(bodySize) * 0.55f); }

void MESyntaxRules::registerRule(std::vector<MESyntaxRule>& rules, std::u16string_view pattern, AttributeDictionaryPtr attributes,
                                 std::u16string_view marks, std::optional<MESpanningShape> spanning)
{
    auto expression = RegularExpression::make(pattern, RegularExpressionAnchorsMatchLines);
    if (!expression) {
        TELog(TELogLevelError, "Regex " + toUtf8(pattern) + " error: " + expression.error().message);
        return;
    }
    for (MESyntaxRule& rule : rules) {
        if (rule.expression == *expression) {
            rule.attributes = std::move(attributes);
            rule.spanning = std::move(spanning);
            rule.marks = marks;
            return;
        }
    }
    rules.push_back(MESyntaxRule{std::move(*expression), std::move(attributes), std::move(spanning), std::u16string(marks)});
}

std::vector<MESyntaxRule> MESyntaxRules::markdownRules(const Font& body, std::shared_ptr<const FontCatalog> catalog)
{
    const double size = body.pointSize();
    auto header = [&](double headerSize) {
        std::optional<Font> font = FontTraits::fontWithName(body.postScriptName(), headerSize, true, false, catalog);
        if (!font)
            font = body.copyWithSize(headerSize);
        return AttributeDictionary::make({{std::string(Key::Font), fontValue(*font)}, {std::string(Key::ForegroundColor), white(0.333)}});
    };
    const AttributeValuePtr bodyFont = fontValue(body);
    const auto marker = AttributeDictionary::make({{std::string(Key::Font), bodyFont}, {std::string(Key::ForegroundColor), rgb(0.255, 0.714, 0.769)}});
    const auto underline = AttributeDictionary::make(
        {{std::string(Key::UnderlineStyle), IntegerValue::make(1)}, {std::string(Key::UnderlineColor), rgb(0.255, 0.514, 0.769)}});
    const auto strike = AttributeDictionary::make({{std::string(Key::Font), bodyFont},
                                                   {std::string(Key::StrikethroughStyle), IntegerValue::make(1)},
                                                   {std::string(Key::ForegroundColor), rgb(1, 0, 0)}});
    const auto highlight = AttributeDictionary::make({{std::string(Key::Font), bodyFont}, {std::string(Key::BackgroundColor), rgb(1, 1, 0)}});
    const auto note = AttributeDictionary::make({{std::string(Key::ForegroundColor), rgb(0.555, 0.714, 0.769)}});
    const auto code = AttributeDictionary::make({{std::string(Key::ForegroundColor), white(0.5)}});
    const auto indent = AttributeDictionary::make({{std::string(Key::Font), fontValue(body.copyWithSize(size))}, {std::string(Key::ForegroundColor), white(0.5)}});
    const auto link = AttributeDictionary::make({{std::string(Key::ForegroundColor), rgb(0.255, 0.514, 0.769)}});

    std::vector<MESyntaxRule> rules;
    registerRule(rules, uR"re((~{2}([^~\n])|={2}|[*+-]|\d+[.]))re", marker, u"~=*+-.");
    registerRule(rules, uR"re(_(\w+(\s\w+)*)_)re", underline, u"_");
    registerRule(rules, uR"re(~~(\w+(\s\w+)*)~~)re", strike, u"~");
    registerRule(rules, uR"re(==(\w+(\s\w+)*)==)re", highlight, u"=");
    registerRule(rules, uR"re((\^\(\w+(\s\w+)*\)))re", note, u"^");
    registerRule(rules, uR"re((\[\^\w+(\s\w+)*           \]))re", note, u"[");
    registerRule(rules, uR"re(^(>*(\s>)*))re", note, u">");
    registerRule(rules, uR"re(((:{1})*-+(:{1})*))re", note, u"-");
    registerRule(rules, uR"re((`\w+(\s\w+)*`))re", code, u"`");
    registerRule(rules, uR"re(^((?:\h{4}|\t).*)$)re", indent);
    // A fenced block's body may run over empty lines; the restyle after an
    // edit needs to know which characters such a body may hold.
    const std::u16string fenceBody = uR"re([\s\n\d\w[/[\.,-\/#!?@$%\^&\*;:|{}<>+=\-'_~()\"\[\]\\]/]])re";
    auto fence = [&](std::u16string opening) {
        auto body = RegularExpression::make(fenceBody);
        return body ? std::optional<MESpanningShape>(MESpanningShape{std::move(opening), std::move(*body)}) : std::nullopt;
    };
    registerRule(rules, u"(```\n(" + fenceBody + u"*)\n```)", code, u"`", fence(u"```\n"));
    registerRule(rules, u"(~~~\n(" + fenceBody + u"*)\n~~~)", code, u"~", fence(u"~~~\n"));
    registerRule(rules, uR"re((\[\w+(\s\w+)*\]\(\w+\w[/[\.,-\/#!?@$%\^&\*;:|{}<>+=\-'_~()\"\[\]\\]/ \w+]*\)))re", link, u"[");
    registerRule(rules, uR"re((\[\[\w+(\s\w+)*\]\]))re", link, u"[");
    // The first-level pattern also matches deeper headers, so it comes first
    // and the deeper ones, applied after it, decide their own size.
    registerRule(rules, uR"re(^(#{1}\h?.*)$)re", header(header1Size(size)), u"#");
    registerRule(rules, uR"re(^(##{1}\h?.*)$)re", header(header2Size(size)), u"#");
    registerRule(rules, uR"re(^(###{1}\h?.*)$)re", header(size), u"#");
    if (auto bold = faceWithTraits(body, kFontBoldTrait))
        registerRule(rules, uR"re(\**(?:^|[^*])(\*\*(\w+(\s\w+)*)\*\*))re", fontSet(*bold), u"*");
    if (auto italic = faceWithTraits(body, kFontItalicTrait))
        registerRule(rules, uR"re(\**(?:^|[^*])(\*(\w+(\s\w+)*)\*))re", fontSet(*italic), u"*");
    if (auto boldItalic = faceWithTraits(body, kFontBoldTrait | kFontItalicTrait))
        registerRule(rules, uR"re((\*\*\*\w+(\s\w+)*\*\*\*))re", fontSet(*boldItalic), u"*");
    return rules;
}

std::vector<MESyntaxRule> MESyntaxRules::texRules(const Font& body)
{
    const auto command = AttributeDictionary::make({{std::string(Key::ForegroundColor), rgb(0.111, 0.111, 0.888)}});
    const auto comment = AttributeDictionary::make({{std::string(Key::ForegroundColor), rgb(0.555, 0.555, 0.555)}});
    const std::optional<Font> bold = faceWithTraits(body, kFontBoldTrait);
    const std::optional<Font> italic = faceWithTraits(body, kFontItalicTrait);
    const std::optional<Font> boldItalic = faceWithTraits(body, kFontBoldTrait | kFontItalicTrait);

    std::vector<MESyntaxRule> rules;
    if (bold) {
        for (std::u16string_view keyword : {uR"re((\\begin))re", uR"re((\\documentclass))re", uR"re((\\usepackage))re",
                                            uR"re((\\department))re", uR"re((\\copyright))re", uR"re((\\signature))re",
                                            uR"re((\\usepackage))re", uR"re((\\includegraphics))re", uR"re((\\section))re",
                                            uR"re((\\closing))re", uR"re((\\end))re"})
            registerRule(rules, keyword, fontSet(*bold), u"\\");
    }
    registerRule(rules, uR"re(((%+.*){0}\\\w*))re", command, u"\\");
    registerRule(rules, uR"re((\\textbf))re", command, u"\\");
    if (bold)
        registerRule(rules, uR"re(\\textbf\{(\w+(\s\w+)*)\})re", fontSet(*bold), u"\\");
    registerRule(rules, uR"re((\\textit))re", command, u"\\");
    if (italic) {
        registerRule(rules, uR"re(\\textit\{(\w+(\s\w+)*)\})re", fontSet(*italic), u"\\");
        registerRule(rules, uR"re(\\textsl\{(\w+(\s\w+)*)\})re", fontSet(*italic), u"\\");
        registerRule(rules, uR"re(\\emph\{(\w+(\s\w+)*)\})re", fontSet(*italic), u"\\");
    }
    // The same pattern as the italic one above: with a bold-italic face the
    // argument of \textit is shown bold italic.
    if (boldItalic)
        registerRule(rules, uR"re(\\textit\{(\w+(\s\w+)*)\})re", fontSet(*boldItalic), u"\\");
    for (std::u16string_view name : {uR"re((\\textsl))re", uR"re((\\textsc))re", uR"re((\\textup))re", uR"re((\\textmd))re",
                                     uR"re((\\textrm))re", uR"re((\\textsf))re", uR"re((\\texttt))re", uR"re((\\emph))re"})
        registerRule(rules, name, command, u"\\");
    registerRule(rules, uR"re((%+.*\n+))re", comment, u"%");
    return rules;
}

} // namespace folio
