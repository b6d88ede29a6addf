#include "platform/foundation/UndoManager.h"

#include <gtest/gtest.h>

#include <string>

namespace folio {
namespace {

// A text whose every change registers its own reversal, as the editors' are:
// undoing a change registers the redo, and redoing registers the undo again.
class UndoableText {
public:
    explicit UndoableText(UndoManager& undo) : m_undo(undo) {}

    void set(std::string text)
    {
        std::string before = m_text;
        m_text = std::move(text);
        m_undo.registerUndo([this, before] { set(before); }, u"Typing");
    }
    const std::string& text() const { return m_text; }

private:
    UndoManager& m_undo;
    std::string m_text;
};

TEST(UndoManagerTests, undoAndRedoWalkBackAndForthThroughTheChanges)
{
    UndoManager undo;
    UndoableText text(undo);
    for (const char* state : {"a", "ab", "abc"})
        text.set(state);
    EXPECT_EQ(undo.undoActionName(), u"Typing");

    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(text.text(), "a");
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(text.text(), "ab");
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(text.text(), "abc");
    EXPECT_FALSE(undo.redo()) << "nothing more to redo";
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(text.text(), "");
    EXPECT_FALSE(undo.undo()) << "nothing more to undo";

    // A change of one's own after undoing drops what could have been redone.
    ASSERT_TRUE(undo.redo());
    text.set("x");
    EXPECT_FALSE(undo.canRedo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(text.text(), "a");
}

TEST(UndoManagerTests, keepsOnlyTheNewestStepsAndRefusesToUndoFromInsideAStep)
{
    UndoManager undo;
    UndoableText text(undo);
    undo.setLevelsOfUndo(2);
    for (const char* state : {"1", "2", "3", "4"})
        text.set(state);
    EXPECT_TRUE(undo.undo());
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(text.text(), "2");
    EXPECT_FALSE(undo.undo()) << "the oldest steps were dropped";

    // A step that asks for another undo while it runs gets no answer.
    bool nestedUndid = true;
    undo.registerUndo([&] { nestedUndid = undo.undo(); });
    text.set("5");
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(nestedUndid);

    const std::uint64_t stamp = undo.changeStamp();
    undo.removeAllActions();
    EXPECT_NE(undo.changeStamp(), stamp);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.canRedo());
}

} // namespace
} // namespace folio
