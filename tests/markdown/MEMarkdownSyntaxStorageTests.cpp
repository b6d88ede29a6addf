#include "markdown/MarkdownTestSupport.h"

#include "markdown/MESyntaxRules.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"

#include <plist/plist.h>

#include <vector>

namespace folio {
namespace {

using test::MarkdownStorageTest;
namespace Key = TextAttributeName;

// Records the range each processing pass restyled.
class EditRecorder : public TextStorageDelegate {
public:
    std::vector<TextStorageEdit> edits;
    void textStorageDidProcessEditing(TextStorage&, const TextStorageEdit& edit) override { edits.push_back(edit); }
};

// A colour archived the way the platform writes it: the colour object in
// "$objects", referenced from "$top".
Data archivedColor(double red, double green, double blue)
{
    plist_t color = plist_new_dict();
    plist_dict_set_item(color, "UIRed", plist_new_real(red));
    plist_dict_set_item(color, "UIGreen", plist_new_real(green));
    plist_dict_set_item(color, "UIBlue", plist_new_real(blue));
    plist_dict_set_item(color, "UIAlpha", plist_new_real(1));
    plist_t objects = plist_new_array();
    plist_array_append_item(objects, plist_new_string("$null"));
    plist_array_append_item(objects, color);
    plist_t top = plist_new_dict();
    plist_dict_set_item(top, "root", plist_new_uid(1));
    plist_t archive = plist_new_dict();
    plist_dict_set_item(archive, "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(archive, "$objects", objects);
    plist_dict_set_item(archive, "$top", top);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(archive, &bytes, &length);
    Data data(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(archive);
    return data;
}

TEST_F(MarkdownStorageTest, restylesTheWholeLineOfAMidLineEdit)
{
    auto storage = makeStorage();
    auto recorder = std::make_shared<EditRecorder>();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"one\ntwo three\nfour"));
    storage->setDelegate(recorder);
    recorder->edits.clear();

    storage->replaceCharactersInRange(Range{7, 0}, std::u16string_view(u"x"));
    ASSERT_EQ(recorder->edits.size(), 1u);
    EXPECT_EQ(recorder->edits[0].editedRange, (Range{4, 11}));  // "twox three\n"
    EXPECT_EQ(recorder->edits[0].changeInLength, 1);
    EXPECT_EQ(recorder->edits[0].editedMask, TextStorageEditedCharacters | TextStorageEditedAttributes);
}

TEST_F(MarkdownStorageTest, aTypedNewlineRestylesToTheEndOfTheNewLineAndKeepsTheLineBefore)
{
    auto storage = makeStorage();
    auto recorder = std::make_shared<EditRecorder>();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"# Title here\nnext"));
    storage->setDelegate(recorder);
    ASSERT_EQ(fontSizeAt(*storage, 0), 20);

    // Breaking the header line after "# Ti": the part before keeps its header look.
    storage->replaceCharactersInRange(Range{4, 0}, std::u16string_view(u"\n"));
    ASSERT_EQ(recorder->edits.size(), 1u);
    EXPECT_EQ(recorder->edits[0].editedRange, (Range{4, 10}));  // "\ntle here\n"
    EXPECT_EQ(fontSizeAt(*storage, 2), 20);
    EXPECT_EQ(fontSizeAt(*storage, 6), 16);
    EXPECT_EQ(fontNameAt(*storage, 6), "Cousine");
}

TEST_F(MarkdownStorageTest, aDeletionRestylesTheLineHoldingIt)
{
    auto storage = makeStorage();
    auto recorder = std::make_shared<EditRecorder>();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"first\n#second\nthird"));
    storage->setDelegate(recorder);
    ASSERT_EQ(fontSizeAt(*storage, 7), 20);

    storage->replaceCharactersInRange(Range{6, 1}, std::u16string_view(u""));
    ASSERT_EQ(recorder->edits.size(), 1u);
    EXPECT_EQ(recorder->edits[0].editedRange, (Range{6, 7}));  // "second\n"
    EXPECT_EQ(recorder->edits[0].changeInLength, -1);
    EXPECT_EQ(fontSizeAt(*storage, 7), 16);
}

TEST_F(MarkdownStorageTest, headersTakeTheSizeOfTheirOwnLevel)
{
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"# One\n## Two\n### Three\nbody"));
    EXPECT_EQ(fontNameAt(*storage, 2), "Cousine-Bold");
    EXPECT_EQ(fontSizeAt(*storage, 2), 20);
    EXPECT_EQ(fontSizeAt(*storage, 9), 18);
    // The first-level rule also matches this line; the deeper one must win.
    EXPECT_EQ(fontSizeAt(*storage, 17), 16);
    EXPECT_EQ(fontNameAt(*storage, 17), "Cousine-Bold");
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, 17), Color::colorWithWhite(0.333));
    EXPECT_EQ(fontNameAt(*storage, 25), "Cousine");

    EXPECT_EQ(MESyntaxRules::header1Size(15), 18);  // 9.0 -> 9
    EXPECT_EQ(MESyntaxRules::header2Size(15), 16);  // 8.25 -> 8
    EXPECT_EQ(MESyntaxRules::header1Size(25), 30);  // 15
    EXPECT_EQ(MESyntaxRules::header2Size(10), 12);  // 5.5 rounds away from zero
}

TEST_F(MarkdownStorageTest, inlineRulesStyleTheirFirstGroup)
{
    auto storage = makeStorage();
    std::u16string text = u"say **bold** and *it* ~~gone~~ `code` [^1]";
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    EXPECT_EQ(fontNameAt(*storage, 4), "Cousine-Bold");      // the marks are bold too
    EXPECT_EQ(fontNameAt(*storage, 7), "Cousine-Bold");
    EXPECT_EQ(fontNameAt(*storage, 18), "Cousine-Italic");
    auto strike = storage->attributeAtIndex(Key::StrikethroughStyle, 24);
    ASSERT_TRUE(strike);
    EXPECT_EQ(strike->as<IntegerValue>()->value(), 1);
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, 33), Color::colorWithWhite(0.5));
    // A footnote reference needs eleven blanks before its bracket to be coloured.
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, text.size() - 2), Color::colorWithRed(0, 0, 0));
}

TEST_F(MarkdownStorageTest, rulesNeedingAMissingFaceAreLeftOut)
{
    defaults.setString("markdownDefaultFont", "ChalkboardSE-Regular");
    auto storage = makeStorage();
    const auto& rules = storage->attributeDictionary();
    // Chalkboard SE has a bold face but neither italic nor bold italic.
    EXPECT_EQ(rules.size(), 18u);
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"**a** *b*\n# H"));
    EXPECT_EQ(fontNameAt(*storage, 2), "ChalkboardSE-Bold");
    EXPECT_EQ(fontNameAt(*storage, 7), "ChalkboardSE-Regular");
    EXPECT_EQ(fontSizeAt(*storage, 12), 20);

    // A family with one face: no bold, italic or bold-italic rules, and
    // headers in the plain face at their sizes.
    catalog->addFace(FontFace{"PlainMono", "Plain Mono", "Plain Mono", "Regular", 0, 400, 0, "", 0},
                     FontMetrics{0.8, 0.2, 0, -0.1, 0.05, 0.5, 0.7});
    defaults.setString("markdownDefaultFont", "PlainMono");
    auto plain = makeStorage();
    EXPECT_EQ(plain->attributeDictionary().size(), 17u);
    plain->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"# H\n**b**"));
    EXPECT_EQ(fontNameAt(*plain, 2), "PlainMono");
    EXPECT_EQ(fontSizeAt(*plain, 2), 20);
    EXPECT_EQ(fontSizeAt(*plain, 6), 16);
}

TEST_F(MarkdownStorageTest, texKeywordsAreBoldAndColoured)
{
    auto storage = makeStorage(true);
    std::u16string text = u"\\begin{x} \\textit{word} \\textbf{strong}\n% \\section note\n";
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    EXPECT_EQ(storage->attributeDictionary().size(), 26u);
    EXPECT_EQ(fontNameAt(*storage, 1), "Cousine-Bold");
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, 1), Color::colorWithRed(0.111, 0.111, 0.888));
    EXPECT_EQ(fontNameAt(*storage, 18), "Cousine-BoldItalic");
    EXPECT_EQ(fontNameAt(*storage, 34), "Cousine-Bold");
    // A commented-out command reads as a comment.
    std::size_t commented = text.find(u"\\section");
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, commented + 1), Color::colorWithRed(0.555, 0.555, 0.555));
}

TEST_F(MarkdownStorageTest, bodyStyleFallsBackWhenSettingsAreMissing)
{
    auto storage = makeStorage();
    EXPECT_EQ(storage->bodyFont()->postScriptName(), "Cousine");
    EXPECT_EQ(storage->bodyFont()->pointSize(), 16);
    EXPECT_EQ(defaults.floatForKey("markdownDefaultFontSize"), 16.0f);
    EXPECT_EQ(storage->bodyForegroundColor(), Color::colorWithRed(0, 0, 0));
    EXPECT_EQ(storage->bodyTextAlignment(), 0);
    EXPECT_EQ(storage->bodyLineSpacing(), 0);
    EXPECT_EQ(storage->bodyFontSize(), 16);

    defaults.setObject("markdownDefaultFontColor", PropertyList(Data::fromString("not an archive")));
    defaults.setString("markdownDefaultFont", "No Such Font");
    auto fallback = makeStorage();
    EXPECT_EQ(fallback->bodyForegroundColor(), Color::colorWithRed(0, 0, 0));
    EXPECT_EQ(fallback->bodyFont()->postScriptName(), "Cousine");
}

TEST_F(MarkdownStorageTest, bodyStyleComesFromTheSettings)
{
    defaults.setObject("markdownDefaultFontColor", PropertyList(archivedColor(0.2, 0.4, 0.6)));
    defaults.setFloat("markdownDefaultFontSize", 20);
    defaults.setInteger("markdownDefaultAlignment", 1);
    defaults.setFloat("markdownDefaultLineSpacing", 0.5);
    defaults.setFloat("markdownDefaultFirstLineIndent", 2);
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"text"));
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, 0), Color::colorWithRed(0.2, 0.4, 0.6));
    EXPECT_EQ(fontSizeAt(*storage, 0), 20);
    auto paragraph = storage->attributeAtIndex(Key::ParagraphStyle, 0)->as<ParagraphStyleValue>();
    ASSERT_TRUE(paragraph);
    EXPECT_EQ(paragraph->style().alignment(), TextAlignment::Center);
    EXPECT_EQ(paragraph->style().minimumLineSpacing(), 3);
    EXPECT_EQ(paragraph->style().firstLineHeadIndent(), 12);
}

TEST_F(MarkdownStorageTest, bodySettersChangeTheStyleOfLaterEdits)
{
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"a\nb"));
    storage->setBodyFirstLineIndent(2);
    // Setter and getter count in the same unit.
    EXPECT_EQ(storage->bodyFirstLineIndent(), 12);
    storage->setBodyFontSize(24);
    storage->setBodyForegroundColor(Color::colorWithRed(1, 0, 0));
    EXPECT_EQ(fontSizeAt(*storage, 0), 16);  // nothing restyled yet
    storage->replaceCharactersInRange(Range{3, 0}, std::u16string_view(u"c"));
    EXPECT_EQ(fontSizeAt(*storage, 2), 24);
    EXPECT_EQ(colorAt(*storage, Key::ForegroundColor, 2), Color::colorWithRed(1, 0, 0));
    auto paragraph = storage->attributeAtIndex(Key::ParagraphStyle, 2)->as<ParagraphStyleValue>();
    EXPECT_EQ(paragraph->style().firstLineHeadIndent(), 12);
    EXPECT_EQ(fontSizeAt(*storage, 0), 16);
}

TEST_F(MarkdownStorageTest, aPatternThatDoesNotCompileIsLoggedAndLeftOut)
{
    std::vector<std::string> logged;
    setTELogHandler([&logged](const TELogMessage& message) { logged.emplace_back(message.text); });
    std::vector<MESyntaxRule> rules;
    MESyntaxRules::registerRule(rules, u"(unclosed", AttributeDictionary::empty());
    MESyntaxRules::registerRule(rules, u"(a)", AttributeDictionary::empty());
    MESyntaxRules::registerRule(rules, u"(a)", AttributeDictionary::make({{"k", IntegerValue::make(1)}}));
    setTELogHandler({});
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_TRUE(rules[0].attributes->containsKey("k"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].rfind("Regex (unclosed error: ", 0), 0u);
}

// The restyle skips a rule in text without any of its marks, so a rule must
// style nothing once its marks are taken out of any text: every sample below
// is searched by every rule of both tables with that rule's marks removed.
TEST_F(MarkdownStorageTest, noRuleStylesTextWithoutItsMarks)
{
    const std::vector<std::u16string> samples{
        u"**bold words** and *italic words* and ***both at once*** here",
        u"_under lined_ ~~struck out~~ ==high lit== ^(a note) [^note           ]",
        u"> a quote\n> > nested\n:--: | -- |\n- item\n+ item\n* item\n12. item\n~~x",
        u"`some code` then\n```\nfenced\n```\n~~~\nfenced too\n~~~\n    indented line\n\ttabbed line",
        u"[a link](http://example.org/page more) and [[wiki page]]\n# One\n## Two\n### Three",
        u"\\begin{document} \\textbf{strong words} \\textit{slanted} \\emph{stress} \\textsl{x} \\section{A}\n% a comment\n\\end",
        u"Plain prose, with commas; colons: quotes \u201clike these\u201d, 3 numbers 4 5 and (brackets).",
    };
    for (bool tex : {false, true}) {
        auto storage = makeStorage(tex);
        const auto& rules = storage->attributeDictionary();
        ASSERT_FALSE(rules.empty());
        std::size_t rulesWithMarks = 0;
        for (const MESyntaxRule& rule : rules) {
            if (rule.marks.empty())
                continue;
            ++rulesWithMarks;
            for (std::u16string text : samples) {
                std::erase_if(text, [&](char16_t unit) { return rule.marks.find(unit) != std::u16string::npos; });
                ASSERT_FALSE(rule.mayMatchIn(text));
                rule.expression.enumerateMatches(text, Range{0, text.size()}, [&](const RegularExpressionMatch& match, bool&) {
                    EXPECT_FALSE(match.size() >= 2 && !match[1].isNotFound() && match[1].length > 0)
                        << toUtf8(rule.expression.pattern()) << " styles " << toUtf8(text.substr(match[1].location, match[1].length));
                });
            }
        }
        // Only the indented-line rule may match anywhere.
        EXPECT_EQ(rulesWithMarks + (tex ? 0 : 1), rules.size());
    }
}

} // namespace
} // namespace folio
