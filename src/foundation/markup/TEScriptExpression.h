#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace folio {

class Scanner;

// One receiver or argument of a message expression: a literal value, or a
// name that stands for an object the caller supplies.
struct TEScriptVariable {
    struct Null {
        friend bool operator==(Null, Null) = default;
    };
    using Value = std::variant<Null, std::string, double, bool>;

    std::string name;
    std::optional<Value> value;

    static TEScriptVariable scriptVariableWithName(std::string name, std::optional<Value> value = std::nullopt);
    std::string description() const;
    friend bool operator==(const TEScriptVariable&, const TEScriptVariable&) = default;
};

// Reads one argument at the scan position: @"text", a decimal number, YES, NO,
// nil or a name. On failure the scan position is restored.
bool scanScriptVariable(Scanner& scanner, TEScriptVariable& variable, std::string* failure = nullptr);

// A message expression in bracket notation, such as
// [document setTitle:@"Notes" pages:3].
class TEScriptExpression {
public:
    // None when the text does not parse; the reason goes to the log.
    static std::optional<TEScriptExpression> scriptExpressionWithString(std::string_view text);

    const TEScriptVariable& receiver() const { return m_receiver; }
    // The method name with a colon after each part that takes an argument.
    const std::string& selector() const { return m_selector; }
    const std::vector<TEScriptVariable>& parameters() const { return m_parameters; }
    const std::vector<std::string>& nameParts() const { return m_nameParts; }

    // Calls back with each name part and its argument, in order, until the
    // callback sets `stop`.
    void enumerateParametersWithBlock(
        const std::function<void(const std::string& namePart, const TEScriptVariable& parameter, bool& stop)>& block) const;
    std::string description() const;

private:
    TEScriptExpression() = default;

    TEScriptVariable m_receiver;
    std::string m_selector;
    std::vector<TEScriptVariable> m_parameters;
    std::vector<std::string> m_nameParts;
};

} // namespace folio
