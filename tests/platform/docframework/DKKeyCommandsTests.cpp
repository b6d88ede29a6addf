#include "platform/docframework/DKKeyCommands.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Responder.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class Editor : public Responder {
public:
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override { return commands; }
    std::vector<std::shared_ptr<KeyCommand>> commands;
};

TEST(DKKeyCommandsTest, theDocumentControllersKeysRunTheBoundActionsAndLeaveOutTheRest)
{
    std::vector<std::string> ran;
    auto record = [&ran](std::string name) { return [&ran, name] { ran.push_back(name); }; };
    Editor editor;
    editor.commands = DKKeyCommands::keyCommandsWithCategories(
        {DKKeyCommands::kDocumentControllerCategory},
        {{"undoAction", record("undo")}, {"redoAction", record("redo")}, {"boldExecCommand:", record("bold")},
         {"underlineExecCommand", record("underline")}});
    // Italic is not bound, so it is not offered.
    ASSERT_EQ(editor.commands.size(), 4u);
    for (const auto& command : editor.commands)
        EXPECT_TRUE(command->wantsPriorityOverSystemBehavior());

    NotificationCenter center;
    KeyboardService keyboard(center);
    EXPECT_TRUE(keyboard.handleKeyPress("z", KeyModifierCommand, &editor));
    EXPECT_TRUE(keyboard.handleKeyPress("z", KeyModifierCommand | KeyModifierShift, &editor));
    EXPECT_TRUE(keyboard.handleKeyPress("b", KeyModifierCommand, &editor));
    EXPECT_TRUE(keyboard.handleKeyPress("u", KeyModifierCommand, &editor));
    EXPECT_FALSE(keyboard.handleKeyPress("i", KeyModifierCommand, &editor));
    // Without the modifier a letter is typing, not a command.
    EXPECT_FALSE(keyboard.handleKeyPress("z", KeyModifierNone, &editor));
    EXPECT_FALSE(keyboard.handleKeyPress("b", KeyModifierCommand | KeyModifierAlternate, &editor));
    EXPECT_EQ(ran, (std::vector<std::string>{"undo", "redo", "bold", "underline"}));
}

TEST(DKKeyCommandsTest, theMarkdownEditorHasUndoAndRedoOnlyAndUnknownCategoriesNothing)
{
    int bold = 0;
    auto commands = DKKeyCommands::keyCommandsWithCategories(
        {DKKeyCommands::kMarkdownTextCategory, "no-such-category"},
        {{"undoAction", [] {}}, {"redoAction", [] {}}, {"boldExecCommand:", [&bold] { ++bold; }}});
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_TRUE(commands[0]->matches("z", KeyModifierCommand));
    EXPECT_TRUE(commands[1]->matches("Z", KeyModifierCommand | KeyModifierShift));
    EXPECT_EQ(commands[0]->title(), u"Undo");
    EXPECT_TRUE(DKKeyCommands::entriesForCategory("no-such-category").empty());
    EXPECT_EQ(bold, 0);
}

} // namespace
} // namespace folio
