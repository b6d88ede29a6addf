#include "platform/foundation/CharacterSet.h"

#include <gtest/gtest.h>

namespace folio {

TEST(CharacterSet, WhitespaceSetsFollowUnicodeCategories)
{
    const CharacterSet& whitespace = CharacterSet::whitespaceCharacterSet();
    EXPECT_TRUE(whitespace.characterIsMember(u' '));
    EXPECT_TRUE(whitespace.characterIsMember(u'\t'));
    EXPECT_TRUE(whitespace.characterIsMember(u'\u00A0'));
    EXPECT_TRUE(whitespace.characterIsMember(u'\u3000'));
    EXPECT_FALSE(whitespace.characterIsMember(u'\n'));
    EXPECT_FALSE(whitespace.characterIsMember(u'x'));

    const CharacterSet& withNewlines = CharacterSet::whitespaceAndNewlineCharacterSet();
    for (char16_t unit : std::u16string_view(u" \t\n\v\f\r\u0085\u2028\u2029\u00A0"))
        EXPECT_TRUE(withNewlines.characterIsMember(unit)) << static_cast<int>(unit);
    EXPECT_FALSE(withNewlines.characterIsMember(u'_'));

    const CharacterSet& newlines = CharacterSet::newlineCharacterSet();
    EXPECT_TRUE(newlines.characterIsMember(u'\n'));
    EXPECT_TRUE(newlines.characterIsMember(u'\r'));
    EXPECT_TRUE(newlines.characterIsMember(u'\u2028'));
    EXPECT_FALSE(newlines.characterIsMember(u' '));
    EXPECT_FALSE(newlines.characterIsMember(u'\t'));
}

TEST(CharacterSet, ClassSetsCoverNonAsciiMembers)
{
    const CharacterSet& digits = CharacterSet::decimalDigitCharacterSet();
    EXPECT_TRUE(digits.characterIsMember(u'7'));
    EXPECT_TRUE(digits.characterIsMember(u'\u0663')); // Arabic-Indic three
    EXPECT_FALSE(digits.characterIsMember(u'\u00BD')); // a fraction is a number, not a digit
    EXPECT_FALSE(digits.characterIsMember(u'a'));

    const CharacterSet& letters = CharacterSet::letterCharacterSet();
    EXPECT_TRUE(letters.characterIsMember(u'\u00E9'));
    EXPECT_TRUE(letters.characterIsMember(u'\u0436'));
    EXPECT_TRUE(letters.characterIsMember(u'\u0301')); // combining marks count as letters
    EXPECT_FALSE(letters.characterIsMember(u'1'));

    const CharacterSet& alphanumerics = CharacterSet::alphanumericCharacterSet();
    EXPECT_TRUE(alphanumerics.characterIsMember(u'1'));
    EXPECT_TRUE(alphanumerics.characterIsMember(u'\u00BD'));
    EXPECT_TRUE(alphanumerics.characterIsMember(u'Q'));
    EXPECT_FALSE(alphanumerics.characterIsMember(u'-'));

    const CharacterSet& punctuation = CharacterSet::punctuationCharacterSet();
    EXPECT_TRUE(punctuation.characterIsMember(u'.'));
    EXPECT_TRUE(punctuation.characterIsMember(u'\u2014'));
    EXPECT_FALSE(punctuation.characterIsMember(u'+'));

    const CharacterSet& symbols = CharacterSet::symbolCharacterSet();
    EXPECT_TRUE(symbols.characterIsMember(u'+'));
    EXPECT_TRUE(symbols.characterIsMember(u'\u00A9'));
    EXPECT_FALSE(symbols.characterIsMember(u'.'));
}

TEST(CharacterSet, StringSetsTreatSurrogatePairsAsOneCodePoint)
{
    CharacterSet set = CharacterSet::characterSetWithCharactersInString(u"a\U0001F600");
    EXPECT_TRUE(set.characterIsMember(u'a'));
    EXPECT_TRUE(set.longCharacterIsMember(U'\U0001F600'));
    EXPECT_FALSE(set.characterIsMember(u'\xD83D'));
    EXPECT_FALSE(set.characterIsMember(u'b'));
    EXPECT_FALSE(set.longCharacterIsMember(0x110000));

    CharacterSet fromUtf8 = CharacterSet::characterSetWithCharactersInString(std::string_view("\xC3\xA9;"));
    EXPECT_TRUE(fromUtf8.characterIsMember(u'\u00E9'));
    EXPECT_TRUE(fromUtf8.characterIsMember(u';'));
    EXPECT_FALSE(fromUtf8.characterIsMember(u'\xC3'));
}

TEST(CharacterSet, RangesAndComplementsBuildTheCodecSets)
{
    CharacterSet upper = CharacterSet::characterSetWithRange(Range{u'A', 26});
    EXPECT_TRUE(upper.characterIsMember(u'A'));
    EXPECT_TRUE(upper.characterIsMember(u'Z'));
    EXPECT_FALSE(upper.characterIsMember(u'@'));
    EXPECT_FALSE(upper.characterIsMember(u'['));
    EXPECT_TRUE(CharacterSet::characterSetWithRange(Range{u'A', 0}).isEmpty());
    // A range past the last code point is cut there instead of wrapping.
    CharacterSet tail = CharacterSet::characterSetWithRange(Range{0x10FFFE, NotFound});
    EXPECT_TRUE(tail.longCharacterIsMember(0x10FFFF));
    EXPECT_FALSE(tail.longCharacterIsMember(0x10FFFD));

    // The RTF writer's escape set: everything but printable ASCII, plus the RTF specials.
    CharacterSet reserved = CharacterSet::characterSetWithRange(Range{0x20, 0x5F}).invertedSet().addingCharactersInString(
        u"\\{}\r\n\t");
    EXPECT_TRUE(reserved.characterIsMember(u'\\'));
    EXPECT_TRUE(reserved.characterIsMember(u'{'));
    EXPECT_TRUE(reserved.characterIsMember(u'\t'));
    EXPECT_TRUE(reserved.characterIsMember(u'\u00E9'));
    EXPECT_TRUE(reserved.characterIsMember(u'\x7F'));
    EXPECT_FALSE(reserved.characterIsMember(u'a'));
    EXPECT_FALSE(reserved.characterIsMember(u'~'));
    EXPECT_FALSE(reserved.characterIsMember(u' '));

    CharacterSet notLetters = CharacterSet::characterSetWithAllCharactersExceptString(u"ab");
    EXPECT_FALSE(notLetters.characterIsMember(u'a'));
    EXPECT_TRUE(notLetters.characterIsMember(u'c'));
    EXPECT_TRUE(notLetters.longCharacterIsMember(U'\U0001F600'));
}

TEST(CharacterSet, SetAlgebraAndEquality)
{
    CharacterSet ab = CharacterSet::characterSetWithCharactersInString(u"ab");
    CharacterSet bc = CharacterSet::characterSetWithCharactersInString(u"bc");
    EXPECT_EQ(ab.unionWithSet(bc), CharacterSet::characterSetWithCharactersInString(u"cba"));
    EXPECT_EQ(ab.subtractingSet(bc), CharacterSet::characterSetWithCharactersInString(u"a"));
    EXPECT_EQ(ab.removingCharactersInString(u"a"), CharacterSet::characterSetWithCharactersInString(u"b"));
    EXPECT_EQ(ab.invertedSet().invertedSet(), ab);
    EXPECT_FALSE(ab == bc);
    EXPECT_TRUE(CharacterSet().isEmpty());
    // Derived sets never change the set they came from.
    EXPECT_FALSE(ab.characterIsMember(u'c'));
}

TEST(CharacterSet, SpansNeverSplitSurrogatePairs)
{
    CharacterSet smiley = CharacterSet::characterSetWithCharactersInString(u"\U0001F600");
    std::u16string text = u"\U0001F600\U0001F600x";
    EXPECT_EQ(smiley.spanMembers(text), 4u);
    EXPECT_EQ(smiley.spanNonMembers(u"ab\U0001F600"), 2u);
    EXPECT_EQ(smiley.spanBackMembers(u"x\U0001F600"), 1u);
    EXPECT_EQ(smiley.spanBackMembers(u"x"), 1u);
    // A different code point sharing the high surrogate is not a member.
    EXPECT_EQ(smiley.spanMembers(u"\U0001F601"), 0u);
}

} // namespace folio
