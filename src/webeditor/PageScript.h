#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace folio {

// One value placed into a page script. Text always becomes a quoted string
// literal through ScriptLiteral and numbers are written in the C locale, so
// no document text, colour name or user input can change what a script does.
class ScriptValue {
public:
    ScriptValue(std::string_view text) : m_value(std::string(text)) {}
    ScriptValue(const std::string& text) : m_value(text) {}
    ScriptValue(const char* text) : m_value(std::string(text)) {}
    ScriptValue(std::u16string_view text) : m_value(std::u16string(text)) {}
    ScriptValue(const char16_t* text) : m_value(std::u16string(text)) {}
    // Any other pointer would silently become a bool.
    template <typename T>
    ScriptValue(T*) = delete;
    ScriptValue(double number) : m_value(number) {}
    ScriptValue(int number) : m_value(static_cast<double>(number)) {}
    ScriptValue(long number) : m_value(static_cast<double>(number)) {}
    ScriptValue(long long number) : m_value(static_cast<double>(number)) {}
    ScriptValue(bool flag) : m_value(flag) {}

    // A number with a fixed count of decimals ("%.2f" in the C locale).
    static ScriptValue fixed(double number, int decimals);

    std::string source() const;

private:
    struct Fixed {
        double number;
        int decimals;
    };
    ScriptValue() = default;
    std::variant<std::string, std::u16string, double, bool, Fixed> m_value;
};

// Builds the scripts the editors send. Script text is the editor's own; only
// values come from outside, and they enter through ScriptValue.
class PageScript {
public:
    // "name(value, value);"
    static std::string call(std::string_view function, std::initializer_list<ScriptValue> arguments = {});

    // The template with each "{}" replaced by the next value, in order. The
    // count of values must match the count of placeholders.
    static std::string fill(std::string_view pattern, std::initializer_list<ScriptValue> values);
};

} // namespace folio
