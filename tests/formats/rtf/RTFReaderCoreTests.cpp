#include "formats/rtf/DKRTFKeywordTable.h"
#include "formats/rtf/DKRTFReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include "RTFReaderTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace folio {
namespace {

class RTFReaderCoreTests : public RTFReaderTest {
protected:
    std::u16string text(std::u16string_view rtf) { return read(rtf).string(); }

    static const Font* fontAt(const AttributedString& string, std::size_t index)
    {
        AttributeDictionaryPtr attributes = string.attributesAtIndex(index);
        const auto* value = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
        return value ? &value->font() : nullptr;
    }
};

TEST_F(RTFReaderCoreTests, readsPlainTextWithDefaultFont)
{
    AttributedString string = read(uR"({\rtf1 Hello})");
    EXPECT_EQ(string.string(), u"Hello");
    const Font* font = fontAt(string, 0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->familyName(), "Helvetica");
    EXPECT_DOUBLE_EQ(font->pointSize(), 12);
    EXPECT_EQ(string.attributeAtIndex(TEIsTableKey, 0)->as<IntegerValue>()->value(), 0);
    EXPECT_EQ(string.attributeAtIndex(TEIsTableRowKey, 0)->as<IntegerValue>()->value(), 0);
}

TEST_F(RTFReaderCoreTests, boldAppliesOnlyBetweenItsControlWords)
{
    AttributedString string = read(uR"({\rtf1 \b bold\b0  plain})");
    EXPECT_EQ(string.string(), u"bold plain");
    EXPECT_TRUE(fontAt(string, 0)->face().isBold());
    EXPECT_FALSE(fontAt(string, 5)->face().isBold());
    EXPECT_FALSE(fontAt(string, 4)->face().isBold());
}

// A catalogue that counts the look-ups made of it.
class CountingFontCatalog : public FakeFontCatalog {
public:
    FaceList sharedFaces() const override
    {
        ++lookups;
        return FakeFontCatalog::sharedFaces();
    }
    mutable int lookups = 0;
};

// A reading for its words alone leaves the fonts out, and with them every
// question to the font catalogue; the words and the other attributes are
// those of a reading with fonts.
TEST_F(RTFReaderCoreTests, aReadingWithoutFontsKeepsTheWordsAndAsksNoFont)
{
    auto catalog = std::make_shared<CountingFontCatalog>();
    FontCatalog::setShared(catalog);
    const std::u16string rtf = uR"({\rtf1\ansi{\fonttbl{\f0 Georgia;}{\f1 No Such Font;}})"
                               uR"({\colortbl;\red255\green0\blue0;}\f0 Plain {\b\cf1 red} {\f1\ul under} {\scaps Small}\par})";
    Result<DKRTFReadResult> withFonts = DKRTFReader::read(rtf);
    ASSERT_TRUE(withFonts.ok());
    EXPECT_GT(catalog->lookups, 0);
    EXPECT_NE(fontAt(withFonts->text, 0), nullptr);

    catalog->lookups = 0;
    Result<DKRTFReadResult> words = DKRTFReader::read(rtf, std::nullopt, DKRTFReader::Fonts::Omitted);
    ASSERT_TRUE(words.ok());
    EXPECT_EQ(catalog->lookups, 0);
    EXPECT_EQ(words->text.string(), u"Plain red under Small\n");
    EXPECT_EQ(words->text.string(), withFonts->text.string());
    for (std::size_t index = 0; index < words->text.length(); ++index)
        EXPECT_EQ(fontAt(words->text, index), nullptr) << index;
    EXPECT_TRUE(words->text.attributeAtIndex(kCTForegroundColorAttributeName, 6));
    EXPECT_FALSE(words->text.attributeAtIndex(kCTUnderlineStyleAttributeName, 6));
    EXPECT_TRUE(words->text.attributeAtIndex(kCTUnderlineStyleAttributeName, 10));
}

TEST_F(RTFReaderCoreTests, rejectsTextThatIsNotRTF)
{
    for (std::u16string_view notRTF : {u"", u"Hello", u"{\\rtx1 x}", u"<html>{\\rtf1}</html>"}) {
        Result<AttributedString> result = DKRTFReader::parseRTFString(notRTF);
        ASSERT_FALSE(result.ok()) << std::string(notRTF.begin(), notRTF.end());
        EXPECT_EQ(result.error().domain, DKRTFReader::kErrorDomain);
        EXPECT_EQ(result.error().code, DKRTFReader::NotRTFError);
    }
    EXPECT_TRUE(DKRTFReader::parseRTFString(u"\uFEFF \n{\\rtf1 x}").ok());
}

TEST_F(RTFReaderCoreTests, unicodeEscapesAndTheirReplacements)
{
    EXPECT_EQ(text(uR"({\rtf1 \u8220?x})"), u"\u201Cx");
    EXPECT_EQ(text(uR"({\rtf1 \u8230\'85})"), u"\u2026");
    EXPECT_EQ(text(uR"({\rtf1 \uc0\u8230\'85})"), u"\u2026\u2026");
    EXPECT_EQ(text(uR"({\rtf1 \u-3913?})"), u"\uF0B7");
    // A line break of the RTF text before the replacement is not part of it.
    EXPECT_EQ(text(u"{\\rtf1 \\u233\n?ok}"), u"\u00E9ok");
    // The replacement may be a control word, counted as one character.
    EXPECT_EQ(text(uR"({\rtf1 \u8364\bullet x})"), u"\u20ACx");
}

TEST_F(RTFReaderCoreTests, unicodeSkipCountCountsRTFCharactersNotBytes)
{
    // Two characters of replacement: one hex escape and one plain letter.
    EXPECT_EQ(text(uR"({\rtf1 \uc2\u26085\'93a after})"), u"\u65E5 after");
    // Two hex escapes, as double-byte writers put them.
    EXPECT_EQ(text(uR"({\rtf1 \uc2\u26085\'93\'fa tail})"), u"\u65E5 tail");
    // A group ends the replacement early: nothing of the next group is lost.
    EXPECT_EQ(text(uR"({\rtf1 {\uc3\u26085 x}{y}})"), u"\u65E5y");
    // A huge skip count cannot run past the end of the text.
    EXPECT_EQ(text(uR"({\rtf1 \uc2000000000\u65 abc})"), u"A");
}

TEST_F(RTFReaderCoreTests, hexEscapesDecodeInTheFontCharacterSet)
{
    EXPECT_EQ(text(uR"({\rtf1{\fonttbl\f0\fnil\fcharset0 Helvetica;}\f0 caf\'e9})"), u"caf\u00E9");
    // Shift-JIS: the two bytes of one character are decoded together.
    EXPECT_EQ(text(uR"({\rtf1{\fonttbl\f0\fnil\fcharset0 Helvetica;\f1\fnil\fcharset128 MS-Mincho;}\f1 \'82\'a0})"),
              u"\u3042");
    // Cyrillic code page through the character set of the font.
    EXPECT_EQ(text(uR"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}}\f0 \'cf\'f0\'e8})"), u"\u041F\u0440\u0438");
    // "\ansicpg" sets the code page of text without a font.
    EXPECT_EQ(text(uR"({\rtf1\ansicpg1251 \'cf})"), u"\u041F");
    // One document going back and forth between code pages reads each run in
    // its own, a cut-off pair included.
    EXPECT_EQ(text(uR"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}{\f1\fcharset0 Helvetica;}{\f2\fcharset128 Mincho;}})"
                   uR"(\f0 \'cf\f1 \'e9\f2 \'82\'a0\f0 \'cf\f2 \'82\f1 \'e9\f2 \'82\'a0})"),
              u"\u041F\u00E9\u3042\u041F\u00E9\u3042");
}

TEST_F(RTFReaderCoreTests, invalidCodePageBytesCostOnlyThemselves)
{
    Result<AttributedString> result = parse(uR"({\rtf1{\fonttbl\f1\fcharset128 Mincho;}\f1 A\'41\'82\'a0\'ff\'82 B})");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->string(), u"AA\u3042 B");
    EXPECT_FALSE(m_warnings.empty());
}

TEST_F(RTFReaderCoreTests, starredDestinationsAreNotText)
{
    EXPECT_EQ(text(uR"({\rtf1 a{\*\xyz text}b})"), u"ab");
    EXPECT_EQ(text(uR"({\rtf1 a{\xyz text}b})"), u"atextb");
    EXPECT_EQ(text(uR"({\rtf1 a{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}}b})"), u"ab");
    // Control words behind "\*" still act, on their group only.
    AttributedString string = read(uR"({\rtf1 {\*\unknown \b x}y})");
    EXPECT_EQ(string.string(), u"y");
}

TEST_F(RTFReaderCoreTests, controlSymbolsAndLineBreaks)
{
    // No-break space, soft hyphen and non-breaking hyphen.
    EXPECT_EQ(text(uR"({\rtf1 \~\-\_\\\{\}})"), u"\u00A0\u00AD\u2011\\{}");
    EXPECT_EQ(text(u"{\\rtf1 a\\\nb\nc\r\nd}"), u"a\nbcd");
    EXPECT_EQ(text(u"{\\rtf1 a\\\r\nb}"), u"a\nb");
    EXPECT_EQ(text(uR"({\rtf1 a\par b\line c\tab d\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})"),
              u"a\nb\u2028c\td\u2014\u2013\u2022\u2018\u2019\u201C\u201D");
}

TEST_F(RTFReaderCoreTests, controlWordsMatchCaseAndConsumeTheirParameter)
{
    EXPECT_EQ(text(uR"({\rtf1 a\PAR b})"), u"ab");
    EXPECT_EQ(text(uR"({\rtf1 a\unknown123 b\unknown-5 c})"), u"abc");
    // Only one blank ends a control word; the next is text.
    EXPECT_EQ(text(uR"({\rtf1 \b  x})"), u" x");
}

TEST_F(RTFReaderCoreTests, pageBreaksAndRulesAreFormFeedsWithTheirFlag)
{
    AttributedString string = read(uR"({\rtf1 a\page b{\*\do\dobxcolumn\dpline\dpxsize9200} c})");
    EXPECT_EQ(string.string(), u"a\fb\f c");
    EXPECT_NE(string.attributeAtIndex(TEPageBreakAttribute, 1), nullptr);
    EXPECT_EQ(string.attributeAtIndex(TEHorizontalRuleStyleAttribute, 1), nullptr);
    EXPECT_NE(string.attributeAtIndex(TEHorizontalRuleStyleAttribute, 3), nullptr);
    EXPECT_EQ(string.attributesAtIndex(3)->count(), 1u);
}

TEST_F(RTFReaderCoreTests, closingTheOutermostGroupKeepsTheFormatting)
{
    AttributedString string = read(uR"({\rtf1 \b in}after}}more)");
    EXPECT_EQ(string.string(), u"inaftermore");
    EXPECT_TRUE(fontAt(string, 2)->face().isBold());
    EXPECT_TRUE(fontAt(string, 8)->face().isBold());
    // An inner group's formatting ends with it.
    AttributedString inner = read(uR"({\rtf1 {\b in}out})");
    EXPECT_FALSE(fontAt(inner, 2)->face().isBold());
}

TEST_F(RTFReaderCoreTests, aGroupAfterAClosedOneStartsFromItsEnclosingFormattingOnly)
{
    // Closed groups leave their state objects to the groups that follow;
    // none of a closed group's formatting may reach them, at any depth.
    AttributedString string = read(uR"({\rtf1 {\b\i\strike\fs40 a}{b}{{\ul c}d}{\b e{f}{\b0 g}}h{{{\i i}}}j})");
    ASSERT_EQ(string.string(), u"abcdefghij");
    EXPECT_TRUE(fontAt(string, 0)->face().isBold());
    EXPECT_TRUE(fontAt(string, 0)->face().isItalic());
    EXPECT_DOUBLE_EQ(fontAt(string, 0)->pointSize(), 20);
    EXPECT_NE(string.attributeAtIndex(TEStrikeOutAttribute, 0), nullptr);
    EXPECT_FALSE(fontAt(string, 1)->face().isBold());
    EXPECT_FALSE(fontAt(string, 1)->face().isItalic());
    EXPECT_DOUBLE_EQ(fontAt(string, 1)->pointSize(), 12);
    EXPECT_EQ(string.attributeAtIndex(TEStrikeOutAttribute, 1), nullptr);
    EXPECT_NE(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 2), nullptr);
    EXPECT_EQ(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 3), nullptr);
    EXPECT_TRUE(fontAt(string, 4)->face().isBold());
    EXPECT_TRUE(fontAt(string, 5)->face().isBold());
    EXPECT_FALSE(fontAt(string, 6)->face().isBold());
    EXPECT_FALSE(fontAt(string, 7)->face().isBold());
    EXPECT_TRUE(fontAt(string, 8)->face().isItalic());
    EXPECT_FALSE(fontAt(string, 9)->face().isItalic());
    for (std::size_t index = 1; index < string.length(); ++index)
        EXPECT_EQ(string.attributeAtIndex(TEStrikeOutAttribute, index), nullptr) << index;
}

TEST_F(RTFReaderCoreTests, keywordTableBindsEveryNameOfTheDialect)
{
    const DKRTFKeywordTable& table = DKRTFKeywordTable::shared();
    for (std::string_view name : {"u", "uc", "pageHeader", "NeXTGraphic", "ululdbwave", "listoverridetable", "xe",
                                  "bin", "trowd", "cell", "row", "plain", "pn", "shptxt"})
        EXPECT_NE(table.keywordNamed(name), nullptr) << name;
    EXPECT_EQ(table.keywordNamed("pageheader"), nullptr);
    const DKRTFKeyword* sub = table.keywordNamed("sub");
    int parameter = 7;
    EXPECT_EQ(sub->valueForParameter(&parameter), -1);
    EXPECT_EQ(table.keywordNamed("fs")->valueForParameter(&parameter), 7);
    EXPECT_EQ(table.keywordNamed("fs")->valueForParameter(nullptr), 1);
}

TEST_F(RTFReaderCoreTests, keywordLookUpsMatchWholeNamesOnly)
{
    const DKRTFKeywordTable& table = DKRTFKeywordTable::shared();
    EXPECT_GT(table.count(), 100u);
    EXPECT_EQ(table.keywordNamed(""), nullptr);
    EXPECT_EQ(table.keywordNamed(std::string(32, 'b')), nullptr);
    for (std::string_view name : {"u", "uc", "b", "i", "par", "pard", "plain", "f", "fs", "fsmilli", "ul", "ulnone",
                                  "cell", "cellx", "row", "trowd", "listtext", "footnote", "pageHeader", "xe",
                                  "nonesttables", "shprslt", "bin", "tab", "emdash", "ldblquote"}) {
        const DKRTFKeyword* keyword = table.keywordNamed(name);
        ASSERT_NE(keyword, nullptr) << name;
        // The same letters from another buffer find the same entry.
        const std::string copy(name);
        EXPECT_EQ(table.keywordNamed(copy), keyword) << name;
        // A letter more, a letter less or another case is another word, or none.
        for (std::string variant : {copy + "q", copy.substr(0, copy.size() - 1), std::string(1, 'Q') + copy.substr(1)}) {
            const DKRTFKeyword* other = table.keywordNamed(variant);
            EXPECT_TRUE(other == nullptr || other != keyword) << name << " / " << variant;
        }
    }
    EXPECT_NE(table.keywordNamed("par")->handler, table.keywordNamed("pard")->handler);
}

TEST_F(RTFReaderCoreTests, wordsReadInPlaceFindTheEntriesOfTheirNames)
{
    // The reader looks words up where they stand in the text: short ones by
    // their packed letters, longer ones by their UTF-16 letters. Both must
    // find what the name finds, and nothing for a word the table lacks.
    const DKRTFKeywordTable& table = DKRTFKeywordTable::shared();
    auto packedKey = [](std::string_view name) {
        std::uint64_t packed = 0;
        for (char letter : name)
            packed = DKRTFKeywordTable::packStep(packed, static_cast<char16_t>(letter));
        return packed;
    };
    for (std::string_view name : {"u", "b", "i", "f", "v", "s", "fs", "cf", "cb", "qc", "par", "row", "tab", "pard",
                                  "cell", "ulth", "plain", "trowd", "cellx", "fsmilli", "listtext", "footnote",
                                  "ulthdash", "ldblquote", "listoverridetable", "marquentannotations", "pageHeader",
                                  "NeXTGraphic", "loch", "hich", "af", "fcs", "brdrnone", "B", "PAR", "pardx", "fsmillis"}) {
        const DKRTFKeyword* named = table.keywordNamed(name);
        const std::u16string letters(name.begin(), name.end());
        EXPECT_EQ(table.keywordNamed(std::u16string_view(letters)), named) << name;
        if (name.size() <= DKRTFKeywordTable::kLongestPackedName) {
            EXPECT_EQ(table.keywordPacked(packedKey(name)), named) << name;
        }
    }
    EXPECT_EQ(table.keywordPacked(packedKey("fcs")), nullptr);
    EXPECT_NE(table.keywordPacked(packedKey("footnote")), nullptr);
    // Nine letters or more do not fit a key: the reader asks by name.
    EXPECT_NE(table.keywordNamed(std::u16string_view(u"ldblquote")), nullptr);
    EXPECT_EQ(table.keywordNamed(std::u16string_view(u"ldblquotes")), nullptr);
    // The same through the reader: a known word of nine letters, known words
    // with a letter more, and a word longer than any name.
    AttributedString string = read(u"{\\rtf1 \\ldblquote a\\rdblquote\\emdash\\emdashes b\\bulletx c\\"
                                   u"ldblquoteldblquoteldblquoteldblquote d\\Emdash e}");
    EXPECT_EQ(string.string(), u"\u201Ca\u201D\u2014bcde");
}

TEST_F(RTFReaderCoreTests, textRunsEndAtEveryCharacterTheReaderActsOn)
{
    // Runs of text are searched in blocks: whatever ends a run must end it
    // at any place in or after a block, and a run must end with the text.
    const std::u16string letters = u"abcdefghijklmnopqrstuvwxyz0123456789";
    struct Stop {
        std::u16string_view rtf;
        std::u16string_view text;
    };
    const Stop stops[] = {{u"\\par ", u"\n"}, {u"{}", u""}, {u"{\\b}", u""}, {u"\r", u""}, {u"\n", u""},
                          {u"\\~", u"\u00A0"}, {u";", u";"}};
    for (std::size_t length = 1; length < letters.size(); ++length) {
        const std::u16string run = letters.substr(0, length);
        EXPECT_EQ(read(u"{\\rtf1 " + run + u"}").string(), run) << length;
        EXPECT_EQ(read(u"{\\rtf1 " + run).string(), run) << length;
        for (const Stop& stop : stops) {
            for (std::size_t at = 1; at <= length; ++at) {
                const std::u16string rtf = u"{\\rtf1 " + run.substr(0, at) + std::u16string(stop.rtf) + run.substr(at) + u"}";
                const std::u16string expected = run.substr(0, at) + std::u16string(stop.text) + run.substr(at);
                EXPECT_EQ(read(rtf).string(), expected) << length << " " << at;
            }
        }
    }
}

TEST_F(RTFReaderCoreTests, controlWordsEndAtTheFirstUnitThatIsNoLetter)
{
    // Short words are read in one step from a block of text: characters
    // past ASCII that share a letter's low bits, or that are letters only
    // once folded, end the word as any other character does; so does the
    // end of the text within the block.
    const std::u16string_view followers[] = {u"\u0161", u"\uFF41", u"\u00C1", u"\u0180", u"\u8062", u"\uFF5A",
                                             u"@", u"[", u"`", u"{}", u"0 ", u"\\~"};
    const std::pair<std::u16string_view, std::u16string_view> words[] = {
        {u"tab", u"\t"}, {u"emdash", u"\u2014"}, {u"bullet", u"\u2022"}, {u"ldblquote", u"\u201C"}};
    for (const auto& [word, character] : words) {
        for (std::u16string_view follower : followers) {
            std::u16string shown(follower);
            if (follower == u"{}" || follower == u"0 ")
                shown.clear();
            else if (follower == u"\\~")
                shown = u"\u00A0";
            for (std::u16string_view tail : {u"", u"x", u"xxxxxxxxxxxxxxxx"}) {
                const std::u16string rtf =
                    u"{\\rtf1 a\\" + std::u16string(word) + std::u16string(follower) + std::u16string(tail) + u"}";
                EXPECT_EQ(read(rtf).string(), u"a" + std::u16string(character) + shown + std::u16string(tail))
                    << std::string(word.begin(), word.end()) << " " << static_cast<unsigned>(follower.front());
            }
        }
        // The word at the very end of a truncated text, and with a letter
        // more, which makes it a word the reader does not know.
        EXPECT_EQ(read(u"{\\rtf1 a\\" + std::u16string(word)).string(), u"a" + std::u16string(character));
        EXPECT_EQ(read(u"{\\rtf1 a\\" + std::u16string(word) + u"z b}").string(), u"ab");
        EXPECT_EQ(read(u"{\\rtf1 a\\" + std::u16string(word) + u"Z b}").string(), u"ab");
    }
}

TEST_F(RTFReaderCoreTests, groupsReadWholeEndAtTheirOwnBraceWhereverEscapesFall)
{
    // The override table is stepped over to its own closing brace, found by
    // a search in blocks: escaped braces and backslashes anywhere in it are
    // its text, and nested groups are its own.
    for (std::size_t padding = 0; padding < 20; ++padding) {
        const std::u16string filler(padding, u'x');
        for (std::u16string_view escapes : {u"\\}", u"\\{", u"\\\\", u"{\\}}", u"\\\\\\}"}) {
            const std::u16string rtf = u"{\\rtf1 a{\\*\\listoverridetable{\\listoverride\\listid1 " + filler +
                std::u16string(escapes) + filler + u"}" + filler + u"}b}";
            EXPECT_EQ(read(rtf).string(), u"ab") << padding << " " << std::string(escapes.begin(), escapes.end());
        }
    }
}

TEST_F(RTFReaderCoreTests, parametersBlanksAndEscapesAfterControlWords)
{
    // A negative zero, a parameter past the integer range (it stops at the
    // largest), the one blank a word takes, a word before an escape, a word
    // run into a hex escape (dropped), a word at the very end.
    AttributedString string = read(u"{\\rtf1 a\\fs-0 b\\fs99999999999999 c\\fs20  d\\b\\'e9e\\b0 f\\i'e9g\\i");
    EXPECT_EQ(string.string(), u"abc d\u00E9ef\u00E9g");
    EXPECT_DOUBLE_EQ(fontAt(string, 1)->pointSize(), 12);
    EXPECT_DOUBLE_EQ(fontAt(string, 2)->pointSize(), static_cast<double>(static_cast<float>(INT32_MAX) * 0.5f));
    EXPECT_DOUBLE_EQ(fontAt(string, 3)->pointSize(), 10);
    EXPECT_DOUBLE_EQ(fontAt(string, 4)->pointSize(), 10);
    EXPECT_TRUE(fontAt(string, 5)->face().isBold());
    EXPECT_TRUE(fontAt(string, 6)->face().isBold());
    EXPECT_FALSE(fontAt(string, 7)->face().isBold());
    EXPECT_FALSE(fontAt(string, 8)->face().isItalic());
    EXPECT_FALSE(fontAt(string, 9)->face().isItalic());
    // The document's group is still open at the end.
    EXPECT_EQ(m_warnings.size(), 1u);
}

TEST_F(RTFReaderCoreTests, aNulInTheTextEndsAWordOrParameterAndAWordMayEndTheText)
{
    // A NUL a writer left in the text ends the parameter before it and is no
    // text itself; the digits after it are text. A word with its parameter
    // as the last characters of the text still acts.
    std::u16string rtf = u"{\\rtf1 a\\fs30";
    rtf.push_back(u'\0');
    rtf += u"4b\\u233";
    AttributedString string = read(rtf);
    ASSERT_EQ(string.string(), u"a4b\u00E9");
    EXPECT_DOUBLE_EQ(fontAt(string, 1)->pointSize(), 15);
    EXPECT_DOUBLE_EQ(fontAt(string, 3)->pointSize(), 15);
    EXPECT_EQ(text(u"{\\rtf1 x\\u97"), u"xa");
    EXPECT_EQ(text(u"{\\rtf1 x\\b"), u"x");
}

TEST_F(RTFReaderCoreTests, controlWordsEndAtTheCharactersBesideTheLetters)
{
    // The characters next to the letters in ASCII ("@", "[", "`", "{") end a
    // word like any other; a capital belongs to it ("\bZ" is no "\b"), and a
    // word longer than any the reader knows is no word at all.
    AttributedString string = read(uR"({\rtf1 \b@x\b0 \b[y\b0 \b`z\b0 \b{w}\b0 \bZ v\)"
                                   uR"(bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb u})");
    ASSERT_EQ(string.string(), u"@x[y`zwvu");
    for (std::size_t index = 0; index < 7; ++index)
        EXPECT_TRUE(fontAt(string, index)->face().isBold()) << index;
    EXPECT_FALSE(fontAt(string, 7)->face().isBold());
    EXPECT_FALSE(fontAt(string, 8)->face().isBold());
}

TEST_F(RTFReaderCoreTests, runsOfTextEndAtTheCharactersTheReaderActsOn)
{
    // A semicolon is text in the body and ends an entry in the font table.
    AttributedString string = read(u"{\\rtf1{\\fonttbl\\f0 Georgia;\\f1 NoSuchFace;}\\f1 a;b\\f0 c\r\nd{e}f\\}g}");
    EXPECT_EQ(string.string(), u"a;bcdef}g");
    EXPECT_EQ(fontAt(string, 0)->familyName(), "NoSuchFace");
    EXPECT_EQ(fontAt(string, 2)->familyName(), "NoSuchFace");
    EXPECT_EQ(fontAt(string, 3)->familyName(), "Georgia");
    EXPECT_EQ(fontAt(string, 8)->familyName(), "Georgia");
    // Text in a destination that is not text is skipped whole.
    EXPECT_EQ(text(u"{\\rtf1 a{\\*\\unknown skipped; text}b}"), u"ab");
}

TEST_F(RTFReaderCoreTests, theStateCarriedOnPastTheOutermostBraceIsACopy)
{
    // Past the document's last brace the closed state carries on; groups
    // opened after it start from it and end without changing it.
    AttributedString string = read(uR"({\rtf1 \b a} c {\i d} e {{\ul f}} g)");
    EXPECT_EQ(string.string(), u"a c d e f g");
    EXPECT_TRUE(fontAt(string, 2)->face().isBold());
    EXPECT_TRUE(fontAt(string, 4)->face().isItalic());
    EXPECT_TRUE(fontAt(string, 4)->face().isBold());
    EXPECT_FALSE(fontAt(string, 6)->face().isItalic());
    EXPECT_TRUE(fontAt(string, 6)->face().isBold());
    EXPECT_NE(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 8), nullptr);
    EXPECT_EQ(string.attributeAtIndex(kCTUnderlineStyleAttributeName, 10), nullptr);
    EXPECT_TRUE(fontAt(string, 10)->face().isBold());
}

TEST_F(RTFReaderCoreTests, overlongControlWordsAreUnknownWordsWithTheirParameter)
{
    // A known word's letters at the start of a longer word do not make it that word.
    std::u16string overlong = u"b" + std::u16string(40, u'x');
    AttributedString string = read(u"{\\rtf1 a\\" + overlong + u"12 b{\\*\\" + overlong + u" hidden}c}");
    EXPECT_EQ(string.string(), u"abc");
    EXPECT_FALSE(fontAt(string, 1)->face().isBold());
    // A word of exactly 32 letters is still looked up and ignored as unknown.
    EXPECT_EQ(text(u"{\\rtf1 \\" + std::u16string(32, u'q') + u" ok}"), u"ok");
}

TEST_F(RTFReaderCoreTests, readersKeepNoStateBetweenDocuments)
{
    std::u16string_view withLists =
        uR"({\rtf1{\*\listtable{\list\listtemplateid1\listhybrid{\listlevel{\*\levelmarker \{decimal\}}}{\listname ;}\listid1}}
\ls1\ilvl0 {\listtext 1.\tab}Item})";
    std::u16string_view withoutLists = uR"({\rtf1 {\listtext 1.\tab}Item})";
    EXPECT_EQ(text(withLists), u"\uFEFFItem");
    EXPECT_EQ(text(withoutLists), u"1.\tItem");

    // Two readers at once, on two threads.
    std::u16string first;
    std::u16string second;
    std::thread thread([&] {
        for (int round = 0; round < 50; ++round)
            first = DKRTFReader::parseRTFString(withLists)->string();
    });
    for (int round = 0; round < 50; ++round)
        second = text(withoutLists);
    thread.join();
    EXPECT_EQ(first, u"\uFEFFItem");
    EXPECT_EQ(second, u"1.\tItem");
}

TEST_F(RTFReaderCoreTests, binaryDataIsSkippedAndBounded)
{
    EXPECT_EQ(text(uR"({\rtf1 a{\*\blip\bin4 {}\}b}c})"), u"ac");
    EXPECT_EQ(text(uR"({\rtf1 a\bin2147483647 xyz)"), u"a");
    EXPECT_EQ(text(uR"({\rtf1 a\bin-5 b})"), u"ab");
}

TEST_F(RTFReaderCoreTests, textThatIsAlmostAllOfItsSourceIsReadWholeAndInOrder)
{
    // Long enough that the text outgrows any small first allocation, and
    // nearly every unit of the source is a unit of the text.
    std::u16string body;
    for (int line = 0; line < 20000; ++line)
        body += u"line " + std::u16string(1, static_cast<char16_t>(u'a' + line % 26)) + u' ';
    const std::u16string rtf = u"{\\rtf1 " + body + u"}";
    EXPECT_EQ(text(rtf), body);

    Result<DKRTFReadResult> whole = DKRTFReader::read(rtf);
    ASSERT_TRUE(whole.ok());
    EXPECT_EQ(whole->text.string(), body);

    // From bytes that are not UTF-8, read a byte to a unit.
    std::string bytes = "{\\rtf1\\ansi\\ansicpg1252 \xE9";
    bytes += std::string(body.begin(), body.end());
    bytes += "\\'e9}";
    Result<AttributedString> fromBytes = DKRTFReader::parseRTFData(bytes);
    ASSERT_TRUE(fromBytes.ok());
    EXPECT_EQ(fromBytes->string(), u"\u00E9" + body + u"\u00E9");
}

TEST_F(RTFReaderCoreTests, wordsAndSymbolsAreToldApartAtAnyDistanceFromTheEnd)
{
    // Words of up to eight letters are read in a block where eight bytes
    // remain and one letter at a time nearer the end; a backslash before
    // anything but a letter is a symbol in both.
    const std::u16string body = u"a\\{b\\}c\\\\d\\ldblquote e\\tab f\\~g";
    const std::u16string text = u"a{b}c\\d\u201Ce\tf\u00A0g";
    EXPECT_EQ(read(u"{\\rtf1 " + body + u"}").string(), text);
    for (const std::u16string_view end : {u"\\tab", u"\\tab}", u"\\{", u"\\~"}) {
        const std::u16string rtf = u"{\\rtf1 " + body + std::u16string(end);
        const char16_t* const last = end.starts_with(u"\\t") ? u"\t" : end == u"\\{" ? u"{" : u"\u00A0";
        EXPECT_EQ(read(rtf).string(), text + last) << rtf.size();
    }
    // A backslash that ends the file is neither, and the text before it stays.
    EXPECT_EQ(read(u"{\\rtf1 " + body + u"\\").string(), text);
}

// A reader of a document too long for what it is read for gives up as soon
// as its watch says so; a watch that lets it go on sees the text grow, in
// table cells too, and changes nothing.
TEST_F(RTFReaderCoreTests, aWatchSeesTheTextGrowAndMayStopTheRead)
{
    std::string rtf = "{\\rtf1 ";
    for (int paragraph = 0; paragraph < 400; ++paragraph)
        rtf += paragraph % 4 ? "Ten letters and then some words\\par\n" : "\\trowd\\cellx900\\intbl one\\par two\\cell\\row\n";
    rtf += "}";
    auto readWatched = [&](const DKRTFReadWatch* watch) {
        return DKRTFReader::read(DKRTFReaderSource::utf8(rtf), std::nullopt, DKRTFReader::Fonts::Resolved,
                                 DKRTFReader::NoteForms::Kept, watch);
    };
    DKRTFReadWatch watch;
    watch.interval = 1000;
    std::vector<std::size_t> seen;
    watch.goOn = [&](const AttributedString& textSoFar) {
        seen.push_back(textSoFar.length());
        return seen.size() < 1000;
    };
    const Result<DKRTFReadResult> unwatched = readWatched(nullptr);
    const Result<DKRTFReadResult> watched = readWatched(&watch);
    ASSERT_TRUE(unwatched.ok() && watched.ok());
    EXPECT_TRUE(watched->text.isEqualToAttributedString(unwatched->text));
    // At the end of the first paragraph after each thousand characters.
    ASSERT_GE(seen.size(), unwatched->text.length() / 1032);
    for (std::size_t look = 1; look < seen.size(); ++look) {
        EXPECT_GE(seen[look] - seen[look - 1], 1000u);
        EXPECT_LT(seen[look] - seen[look - 1], 1032u);
    }

    seen.clear();
    watch.goOn = [&](const AttributedString& textSoFar) {
        seen.push_back(textSoFar.length());
        return false;
    };
    const Result<DKRTFReadResult> stopped = readWatched(&watch);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().code, DKRTFReader::Stopped);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_LT(seen[0], 1040u);
}

} // namespace
} // namespace folio
