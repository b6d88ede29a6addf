#include "webeditor/PageScript.h"

#include "platform/foundation/ScriptLiteral.h"

#include <cassert>

namespace folio {

ScriptValue ScriptValue::fixed(double number, int decimals)
{
    ScriptValue value;
    value.m_value = Fixed{number, decimals};
    return value;
}

std::string ScriptValue::source() const
{
    struct Writer {
        std::string operator()(const std::string& text) const { return ScriptLiteral::quote(text); }
        std::string operator()(const std::u16string& text) const { return ScriptLiteral::quote(text); }
        std::string operator()(double number) const { return ScriptLiteral::number(number); }
        std::string operator()(bool flag) const { return flag ? "true" : "false"; }
        std::string operator()(const Fixed& fixed) const { return ScriptLiteral::fixed(fixed.number, fixed.decimals); }
    };
    return std::visit(Writer{}, m_value);
}

std::string PageScript::call(std::string_view function, std::initializer_list<ScriptValue> arguments)
{
    std::string script(function);
    script += '(';
    bool first = true;
    for (const ScriptValue& argument : arguments) {
        if (!first)
            script += ", ";
        first = false;
        script += argument.source();
    }
    script += ");";
    return script;
}

std::string PageScript::fill(std::string_view pattern, std::initializer_list<ScriptValue> values)
{
    std::string script;
    script.reserve(pattern.size() + 16 * values.size());
    const ScriptValue* next = values.begin();
    size_t start = 0;
    while (true) {
        size_t placeholder = pattern.find("{}", start);
        if (placeholder == std::string_view::npos)
            break;
        script.append(pattern.substr(start, placeholder - start));
        assert(next != values.end() && "more placeholders than values in a page script");
        if (next != values.end())
            script += (next++)->source();
        start = placeholder + 2;
    }
    assert(next == values.end() && "more values than placeholders in a page script");
    script.append(pattern.substr(start));
    return script;
}

} // namespace folio
