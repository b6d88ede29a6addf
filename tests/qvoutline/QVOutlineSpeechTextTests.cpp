#include "qvoutline/QVOutlineSpeechText.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// A comment marker, a stray zero-width no-break space, a quoted word, a
// carriage return and branches on lines of their own.
constexpr const char16_t* kOutlineText =
    u"Plan. Goals\uFEFF[\U0001F4AC]\n\"Ship\" it.\rNotes\uFEFF.Done. Next";

TEST(QVOutlineSpeechTextTest, textFromTheCaretKeepsItsLinesAsLines)
{
    EXPECT_EQ(QVOutlineSpeechText::textFromCursor(kOutlineText), u"Plan. Goals \n Ship  it..Notes .Done. Next");
}

TEST(QVOutlineSpeechTextTest, aSelectionsSentencesRunTogetherUnlessAFullStopHasNoBlankAfterIt)
{
    // ". " ends a line instead, so reading (which splits at full stops) only
    // splits where a full stop is followed by something else.
    EXPECT_EQ(QVOutlineSpeechText::selectedText(kOutlineText), u"Plan\nGoals \n Ship  it..Notes .Done\nNext");
    EXPECT_EQ(QVOutlineSpeechText::selectedText(u"A.B"), u"A.B");
    EXPECT_EQ(QVOutlineSpeechText::selectedText(u""), u"");
}

} // namespace
} // namespace folio
