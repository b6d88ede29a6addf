#include "foundation/markup/TEScriptExpression.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/Unicode.h"

#include <charconv>
#include <cstdio>

namespace folio {

namespace {

std::string numberText(double number)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, number);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

std::string valueText(const TEScriptVariable::Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return "@\"" + *text + "\"";
    if (const auto* number = std::get_if<double>(&value))
        return numberText(*number);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? "YES" : "NO";
    return "nil";
}

std::string formatFailure(const char* format, std::size_t position, std::string_view text)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, int(position));
    std::string message = buffer;
    std::size_t mark = message.find("%@");
    if (mark != std::string::npos)
        message.replace(mark, 2, text);
    return message;
}

bool scanWord(Scanner& scanner, std::string& word)
{
    std::u16string characters;
    if (!scanner.scanCharactersFromSet(CharacterSet::alphanumericCharacterSet(), &characters))
        return false;
    word = toUtf8(characters);
    return true;
}

} // namespace

TEScriptVariable TEScriptVariable::scriptVariableWithName(std::string name, std::optional<Value> value)
{
    return TEScriptVariable{std::move(name), std::move(value)};
}

std::string TEScriptVariable::description() const
{
    return "<TEScriptVariable name='" + name + "' value=='" + (value ? valueText(*value) : std::string("(null)")) + "'>";
}

bool scanScriptVariable(Scanner& scanner, TEScriptVariable& variable, std::string* failure)
{
    std::size_t start = scanner.scanLocation();
    std::string text = toUtf8(scanner.string());
    auto fail = [&](const char* format) {
        if (failure)
            *failure = formatFailure(format, scanner.scanLocation(), text);
        scanner.setScanLocation(start);
        return false;
    };
    if (scanner.scanString(u"@\"")) {
        std::u16string literal;
        // The literal runs to the next double quote, brackets and all.
        std::optional<CharacterSet> skipped = scanner.charactersToBeSkipped();
        scanner.setCharactersToBeSkipped(std::nullopt);
        scanner.scanUpToString(u"\"", &literal);
        bool closed = scanner.scanString(u"\"");
        scanner.setCharactersToBeSkipped(skipped);
        if (!closed)
            return fail("Unterminated string at position %d in string '%@'");
        variable = TEScriptVariable{{}, TEScriptVariable::Value(toUtf8(literal))};
        return true;
    }
    double number = 0;
    if (scanner.scanDouble(&number)) {
        variable = TEScriptVariable{{}, TEScriptVariable::Value(number)};
        return true;
    }
    std::string word;
    if (scanWord(scanner, word)) {
        if (word == "YES" || word == "NO")
            variable = TEScriptVariable{{}, TEScriptVariable::Value(word == "YES")};
        else if (word == "nil")
            variable = TEScriptVariable{{}, TEScriptVariable::Value(TEScriptVariable::Null{})};
        else
            variable = TEScriptVariable{word, std::nullopt};
        return true;
    }
    return fail("Illegal character in parameter at position %d in string '%@'");
}

std::optional<TEScriptExpression> TEScriptExpression::scriptExpressionWithString(std::string_view text)
{
    Scanner scanner(text);
    auto fail = [&](const char* format) -> std::optional<TEScriptExpression> {
        TELog(TELogLevelError, formatFailure(format, scanner.scanLocation(), text));
        return std::nullopt;
    };
    TEScriptExpression expression;
    if (!scanner.scanString(u"["))
        return fail("No [ at position %d in string '%@'");
    if (!scanScriptVariable(scanner, expression.m_receiver))
        return fail("No receiver at position %d in string '%@'");
    std::string part;
    if (!scanWord(scanner, part))
        return fail("No method name at position %d in string '%@'");
    expression.m_selector = part;
    expression.m_nameParts.push_back(part);
    std::u16string delimiters;
    if (!scanner.scanCharactersFromSet(CharacterSet::characterSetWithCharactersInString(u":]"), &delimiters))
        return fail("No ] or : at position %d in string '%@'");
    if (delimiters == u":") {
        expression.m_selector += ":";
        TEScriptVariable argument;
        if (scanScriptVariable(scanner, argument))
            expression.m_parameters.push_back(argument);
        while (!scanner.isAtEnd() && !scanner.scanString(u"]")) {
            if (!scanWord(scanner, part))
                return fail("Illegal character in parameter at position %d in string '%@'");
            expression.m_selector += part;
            expression.m_nameParts.push_back(part);
            if (!scanner.scanString(u":"))
                return fail("No : at position %d in string '%@'");
            expression.m_selector += ":";
            if (!scanScriptVariable(scanner, argument))
                return fail("Illegal character in parameter at position %d in string '%@'");
            expression.m_parameters.push_back(argument);
        }
    }
    return expression;
}

void TEScriptExpression::enumerateParametersWithBlock(
    const std::function<void(const std::string&, const TEScriptVariable&, bool&)>& block) const
{
    bool stop = false;
    for (std::size_t index = 0; index < m_parameters.size() && !stop; ++index)
        block(index < m_nameParts.size() ? m_nameParts[index] : std::string(), m_parameters[index], stop);
}

std::string TEScriptExpression::description() const
{
    std::string text = "[" + m_receiver.name + " ";
    if (m_parameters.empty())
        return text + m_selector + "]";
    for (std::size_t index = 0; index < m_parameters.size(); ++index) {
        if (index > 0)
            text += " ";
        const TEScriptVariable& parameter = m_parameters[index];
        text += (index < m_nameParts.size() ? m_nameParts[index] : std::string()) + ":"
            + (parameter.value ? valueText(*parameter.value) : parameter.name);
    }
    return text + "]";
}

} // namespace folio
