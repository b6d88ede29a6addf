#include "webeditor/PageContent.h"

#include "engine/css/ColorHTML.h"
#include "foundation/color/ColorExpanded.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <charconv>

namespace folio {

namespace {

constexpr double kCentimetresPerPixel = 2.54 / 96;
constexpr std::string_view kWrapperClosing = "</div>";
constexpr std::string_view kSlicedAnswerMark = "\x01";

Error badAnswer(const std::string& what)
{
    return Error{EditorController::kErrorDomain, EditorController::BadAnswer, "The editing page answered " + what};
}

// The whole text as a numberIn in the C locale; none when anything is left over.
std::optional<double> numberIn(std::string_view text)
{
    double value = 0;
    auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A string member; none when absent, an error when of another type.
Result<std::optional<std::string>> stringMember(const PropertyList& object, std::string_view key)
{
    const PropertyList* member = object.objectForKey(key);
    if (!member)
        return std::optional<std::string>();
    if (!member->stringValue())
        return badAnswer("a \"" + std::string(key) + "\" that is not text");
    return std::optional<std::string>(*member->stringValue());
}

Result<std::optional<double>> lineHeight(const std::optional<std::string>& text)
{
    if (!text || text->empty() || *text == "normal")
        return std::optional<double>();
    std::optional<double> value = numberIn(*text);
    if (!value || *value < 0)
        return badAnswer("a line height that is not a multiple: " + *text);
    return value;
}

Result<std::optional<double>> firstLineIndent(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::optional<double>();
    std::string_view value(*text);
    double scale = 1;
    if (hasSuffix(value, "cm")) {
        value.remove_suffix(2);
    } else if (hasSuffix(value, "px")) {
        value.remove_suffix(2);
        scale = kCentimetresPerPixel;
    }
    std::optional<double> indent = numberIn(value);
    // A length without a unit is only ever 0.
    if (!indent || (value.size() == text->size() && *indent != 0))
        return badAnswer("a first-line indent that is not a length: " + *text);
    return std::optional<double>(*indent * scale);
}

Result<std::optional<std::string>> decoration(const PropertyList& reply, std::string_view key)
{
    const PropertyList* element = reply.objectForKey(key);
    if (!element)
        return std::optional<std::string>();
    if (element->type() != PropertyList::Type::Dictionary)
        return badAnswer("a \"" + std::string(key) + "\" that is not an object");
    std::string description;
    for (const char* field : {"fontFamily", "fontSize", "textAlign", "color", "margin", "enabled"}) {
        Result<std::optional<std::string>> value = stringMember(*element, field);
        if (!value)
            return value.error();
        std::string member = value->value_or("");
        if (member.find("::") != std::string::npos)
            return badAnswer("a " + std::string(key) + " " + field + " holding \"::\"");
        // WebKit quotes a family whose name has blanks ("\"Times New Roman\""),
        // which the setting names as it was given.
        if (std::string_view(field) == "fontFamily" && member.size() >= 2 && (member.front() == '"' || member.front() == '\'')
            && member.back() == member.front() && member.find_first_of("\"',", 1) == member.size() - 1)
            member = member.substr(1, member.size() - 2);
        description += member + "::";
    }
    Result<std::optional<std::string>> text = stringMember(*element, "text");
    if (!text)
        return text.error();
    if (!*text || (*text)->empty())
        return std::optional<std::string>();
    return std::optional<std::string>(description + **text);
}

} // namespace

std::string PageContent::script(EditorContent::Parts parts)
{
    return PageScript::call("folioEditorContent", {parts == EditorContent::Parts::WithPlainText});
}

Result<PageContent::Reply> PageContent::fetch(PageConnection& connection, EditorContent::Parts parts)
{
    std::optional<std::string> answer = connection.read(script(parts));
    if (answer && hasPrefix(*answer, kSlicedAnswerMark))
        answer = readSlices(connection, answer->substr(kSlicedAnswerMark.size()));
    if (!answer || answer->empty())
        return Error{EditorController::kErrorDomain, EditorController::NoAnswer, "The editing page gave no content"};
    return read(std::move(*answer));
}

std::optional<std::string> PageContent::readSlices(PageConnection& connection, const std::string& numberIn)
{
    // Kept answers are numbered by the page; anything else is not asked for.
    if (numberIn.empty() || numberIn.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::string script = PageScript::call("folioAnswerSlice", {numberIn});
    std::string whole;
    for (;;) {
        std::optional<std::string> slice = connection.read(script);
        // A page gone, or one that lost the answer, gives none of it: a
        // part is never taken for the whole.
        if (!slice || slice->empty() || ((*slice)[0] != '+' && (*slice)[0] != '.'))
            return std::nullopt;
        whole.append(*slice, 1);
        if ((*slice)[0] == '.') {
            // The document keeps the answer: not the room it grew into.
            whole.shrink_to_fit();
            return whole;
        }
    }
}

Result<PageContent::Reply> PageContent::read(std::string answer)
{
    // JSON text never holds a bare line break: the first one ends it.
    const std::size_t bodyStart = answer.find('\n');
    if (bodyStart == std::string::npos)
        return badAnswer("no body");
    Result<PropertyList> parsed = JSONReader::read(std::string_view(answer).substr(0, bodyStart));
    if (!parsed)
        return badAnswer("no JSON: " + parsed.error().message);
    const PropertyList& object = *parsed;
    if (object.type() != PropertyList::Type::Dictionary)
        return badAnswer("something other than an object");

    Reply reply;
    EditorContent& content = reply.content;
    // The body is most of a long document's answer: it keeps the answer's
    // storage rather than being copied out of it.
    content.bodyHTML = std::move(answer);
    content.bodyHTML.erase(0, bodyStart + 1);

    Result<std::optional<std::string>> height = stringMember(object, "lineHeight");
    if (!height)
        return height.error();
    Result<std::optional<double>> heightValue = lineHeight(*height);
    if (!heightValue)
        return heightValue.error();
    content.lineHeight = *heightValue;

    Result<std::optional<std::string>> indent = stringMember(object, "textIndent");
    if (!indent)
        return indent.error();
    Result<std::optional<double>> indentValue = firstLineIndent(*indent);
    if (!indentValue)
        return indentValue.error();
    content.firstLineIndent = *indentValue;

    Result<std::optional<std::string>> paper = stringMember(object, "paperColor");
    if (!paper)
        return paper.error();
    if (*paper && !(*paper)->empty()) {
        if (std::optional<Color> color = colorWithHTMLName(std::string_view(**paper)))
            content.paperColor = hexStringFromColor(*color);
    }

    for (auto [key, target] : {std::pair{"header", &content.header}, std::pair{"footer", &content.footer}}) {
        Result<std::optional<std::string>> description = decoration(object, key);
        if (!description)
            return description.error();
        *target = std::move(*description);
    }

    Result<std::optional<std::string>> bodyStyle = stringMember(object, "bodyStyle");
    if (!bodyStyle)
        return bodyStyle.error();
    content.bodyStyle = std::move(*bodyStyle);

    Result<std::optional<std::string>> plainText = stringMember(object, "plainText");
    if (!plainText)
        return plainText.error();
    if (*plainText)
        content.plainText = toUtf16(**plainText);

    Result<std::optional<std::string>> wrapper = stringMember(object, "wrapperOpening");
    if (!wrapper)
        return wrapper.error();
    if (*wrapper && (!hasPrefix(**wrapper, "<div") || !hasPrefix(content.bodyHTML, **wrapper) ||
                     !hasSuffix(content.bodyHTML, kWrapperClosing) ||
                     content.bodyHTML.size() < (*wrapper)->size() + kWrapperClosing.size()))
        return badAnswer("a wrapper that does not hold the body");
    reply.wrapperOpening = std::move(*wrapper);
    return reply;
}

std::string_view PageContent::unwrappedHTML(const Reply& reply)
{
    std::string_view html = reply.content.bodyHTML;
    if (!reply.wrapperOpening)
        return html;
    std::size_t start = reply.wrapperOpening->size();
    return html.substr(start, html.size() - start - kWrapperClosing.size());
}

} // namespace folio
