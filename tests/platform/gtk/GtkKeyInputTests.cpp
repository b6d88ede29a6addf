#include "platform/gtk/GtkKeyInput.h"

#include "platform/ui/KeyCommand.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(GtkKeyInputTest, controlIsTheCommandKeyAndShiftedLettersAreNamedInLowerCase)
{
    auto undo = GtkKeyInput::fromKeyval(GDK_KEY_z, GDK_CONTROL_MASK);
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->input, "z");
    EXPECT_EQ(undo->modifierFlags, unsigned(KeyModifierCommand));

    auto redo = GtkKeyInput::fromKeyval(GDK_KEY_Z, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    ASSERT_TRUE(redo);
    EXPECT_EQ(redo->input, "z");
    EXPECT_EQ(redo->modifierFlags, unsigned(KeyModifierCommand | KeyModifierShift));

    auto alternate = GtkKeyInput::fromKeyval(GDK_KEY_b, GdkModifierType(GDK_CONTROL_MASK | GDK_MOD1_MASK));
    ASSERT_TRUE(alternate);
    EXPECT_EQ(alternate->modifierFlags, unsigned(KeyModifierCommand | KeyModifierAlternate));

    // Caps Lock and the pointer buttons change nothing.
    auto locked = GtkKeyInput::fromKeyval(GDK_KEY_U, GdkModifierType(GDK_CONTROL_MASK | GDK_LOCK_MASK | GDK_BUTTON1_MASK));
    ASSERT_TRUE(locked);
    EXPECT_EQ(locked->input, "u");
    EXPECT_EQ(locked->modifierFlags, unsigned(KeyModifierCommand));

    auto accented = GtkKeyInput::fromKeyval(GDK_KEY_Eacute, GDK_SHIFT_MASK);
    ASSERT_TRUE(accented);
    EXPECT_EQ(accented->input, "\xC3\xA9");
}

TEST(GtkKeyInputTest, arrowsAndEscapeHaveTheirNamesAndOtherKeysNone)
{
    EXPECT_EQ(GtkKeyInput::fromKeyval(GDK_KEY_Up, GdkModifierType(0))->input, kKeyInputUpArrow);
    EXPECT_EQ(GtkKeyInput::fromKeyval(GDK_KEY_KP_Down, GdkModifierType(0))->input, kKeyInputDownArrow);
    EXPECT_EQ(GtkKeyInput::fromKeyval(GDK_KEY_Left, GDK_SHIFT_MASK)->input, kKeyInputLeftArrow);
    EXPECT_EQ(GtkKeyInput::fromKeyval(GDK_KEY_Right, GdkModifierType(0))->input, kKeyInputRightArrow);
    EXPECT_EQ(GtkKeyInput::fromKeyval(GDK_KEY_Escape, GdkModifierType(0))->input, kKeyInputEscape);
    // A modifier alone, Return and a dead key name no command.
    EXPECT_FALSE(GtkKeyInput::fromKeyval(GDK_KEY_Control_L, GDK_CONTROL_MASK));
    EXPECT_FALSE(GtkKeyInput::fromKeyval(GDK_KEY_Return, GDK_CONTROL_MASK));
    EXPECT_FALSE(GtkKeyInput::fromKeyval(GDK_KEY_dead_acute, GdkModifierType(0)));
    // The Super key's combinations belong to the desktop.
    EXPECT_FALSE(GtkKeyInput::fromKeyval(GDK_KEY_z, GdkModifierType(GDK_CONTROL_MASK | GDK_SUPER_MASK)));
    EXPECT_FALSE(GtkKeyInput::fromKeyval(GDK_KEY_z, GDK_MOD4_MASK));
}

} // namespace
} // namespace folio
