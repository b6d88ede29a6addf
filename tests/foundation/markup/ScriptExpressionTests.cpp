#include "foundation/markup/TEScriptExpression.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Scanner.h"

#include <gtest/gtest.h>

namespace folio {

namespace {

// Collects what the parser logs, for the length of one test.
class LogCapture {
public:
    LogCapture()
    {
        setTELogHandler([this](const TELogMessage& message) { messages.emplace_back(message.text); });
    }
    ~LogCapture() { setTELogHandler(nullptr); }
    std::vector<std::string> messages;
};

} // namespace

TEST(TEScriptExpression, ReadsReceiverSelectorAndEveryKindOfArgument)
{
    auto expression = TEScriptExpression::scriptExpressionWithString(
        R"([document setTitle:@"A [bracketed] title" pages:12.5 draft:YES parent:nil owner:folder])");
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->receiver().name, "document");
    EXPECT_EQ(expression->selector(), "setTitle:pages:draft:parent:owner:");
    ASSERT_EQ(expression->parameters().size(), 5u);
    EXPECT_EQ(expression->parameters()[0].value, TEScriptVariable::Value(std::string("A [bracketed] title")));
    EXPECT_EQ(expression->parameters()[1].value, TEScriptVariable::Value(12.5));
    EXPECT_EQ(expression->parameters()[2].value, TEScriptVariable::Value(true));
    EXPECT_EQ(expression->parameters()[3].value, TEScriptVariable::Value(TEScriptVariable::Null{}));
    EXPECT_EQ(expression->parameters()[4], TEScriptVariable::scriptVariableWithName("folder"));
    EXPECT_EQ(expression->description(),
              R"([document setTitle:@"A [bracketed] title" pages:12.5 draft:YES parent:nil owner:folder])");

    std::vector<std::string> seen;
    expression->enumerateParametersWithBlock([&](const std::string& part, const TEScriptVariable&, bool& stop) {
        seen.push_back(part);
        stop = seen.size() == 2;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"setTitle", "pages"}));
}

TEST(TEScriptExpression, AMethodWithoutArgumentsHasNoColon)
{
    auto expression = TEScriptExpression::scriptExpressionWithString("[window close]");
    ASSERT_TRUE(expression);
    EXPECT_EQ(expression->selector(), "close");
    EXPECT_TRUE(expression->parameters().empty());
    EXPECT_EQ(expression->description(), "[window close]");
}

TEST(TEScriptExpression, FailuresSayWhereAndWhy)
{
    LogCapture log;
    EXPECT_FALSE(TEScriptExpression::scriptExpressionWithString("window close"));
    EXPECT_FALSE(TEScriptExpression::scriptExpressionWithString("[window]"));
    EXPECT_FALSE(TEScriptExpression::scriptExpressionWithString("[window close"));
    EXPECT_FALSE(TEScriptExpression::scriptExpressionWithString("[window set:1 ,]"));
    EXPECT_FALSE(TEScriptExpression::scriptExpressionWithString("[window set:1 other 2]"));
    ASSERT_EQ(log.messages.size(), 5u);
    EXPECT_EQ(log.messages[0], "No [ at position 0 in string 'window close'");
    EXPECT_EQ(log.messages[1], "No method name at position 7 in string '[window]'");
    EXPECT_EQ(log.messages[2], "No ] or : at position 13 in string '[window close'");
    EXPECT_EQ(log.messages[3].rfind("Illegal character in parameter", 0), 0u);
    EXPECT_EQ(log.messages[4].rfind("No : at position", 0), 0u);
}

TEST(TEScriptExpression, AnUnterminatedStringIsNotAnArgument)
{
    Scanner scanner(std::string_view(R"(@"open)"));
    TEScriptVariable variable;
    std::string failure;
    EXPECT_FALSE(scanScriptVariable(scanner, variable, &failure));
    EXPECT_EQ(scanner.scanLocation(), 0u);
    EXPECT_EQ(failure, R"(Unterminated string at position 6 in string '@"open')");
}

} // namespace folio
