#include "markdown/MarkdownTestSupport.h"

#include "markdown/MEMarkdownTextView.h"
#include "markdown/MERestyleTracker.h"
#include "platform/foundation/Unicode.h"

#include <random>
#include <string>

namespace folio {
namespace {

// After every edit the storage restyles only near it; whatever the edit, the
// attributes must be those a restyle of the whole text gives.
class IncrementalRestyleTest : public test::MarkdownStorageTest {
protected:
    // The whole text styled from scratch: a fresh storage, every rule matched
    // over all of it at once.
    AttributedString restyledFromScratch(const std::u16string& text, bool tex)
    {
        auto fresh = makeStorage(tex);
        fresh->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
        fresh->applyStylesToRange(Range{0, fresh->length()});
        return fresh->attributedString();
    }

    // The first index where the attributes differ, for a readable failure.
    static std::string firstDifference(const AttributedString& a, const AttributedString& b)
    {
        if (a.string() != b.string())
            return "the texts differ";
        for (std::size_t index = 0; index < a.length(); ++index) {
            if (!attributeDictionariesEqual(a.attributesAtIndex(index), b.attributesAtIndex(index)))
                return "attributes differ at " + std::to_string(index) + " in \"" +
                       toUtf8(std::u16string_view(a.string()).substr(index > 20 ? index - 20 : 0, 40)) + "\"";
        }
        return "";
    }

    void expectSameAsFullRestyle(MEMarkdownSyntaxStorage& storage, const std::string& step)
    {
        EXPECT_EQ(firstDifference(storage.attributedString(), restyledFromScratch(storage.string(), storage.isTeXSyntax())), "")
            << "after " << step;
    }

    void makeRandomEdits(std::u16string text);

    void replace(MEMarkdownSyntaxStorage& storage, std::size_t location, std::size_t length, std::u16string_view text,
                 const std::string& step)
    {
        ASSERT_TRUE(storage.replaceCharactersInRange(Range{location, length}, text)) << step;
        expectSameAsFullRestyle(storage, step);
    }

    static std::size_t at(const MEMarkdownSyntaxStorage& storage, std::u16string_view text)
    {
        return storage.string().find(text);
    }
};

const std::u16string kSample = u"# Notes\n\nSome *italic* and **bold** words, a [link](https://example.org/a) and `code here`.\n"
                               u"An _underlined\nphrase_ over a line break, ~~struck out~~ and ==marked==.\n\n"
                               u"> quoted\n> more\n\n- one\n- two\n  1. three\n\n    indented code\n\n"
                               u"```\nlet x = 1;\n\nlet y = 2;\n```\n\nAfter the fence.\n\n~~~\nfirst\n~~~\n\nmiddle\n\n~~~\nsecond\n~~~\n\n"
                               u"## Second\n\nEnd with ***both***.";

TEST_F(IncrementalRestyleTest, editsInsideAndAcrossParagraphsGiveTheFullRestyle)
{
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(kSample));
    expectSameAsFullRestyle(*storage, "the first text");

    replace(*storage, at(*storage, u"words"), 0, u"*more* ", "typing inside a paragraph");
    replace(*storage, at(*storage, u"Some"), 4, u"", "deleting a word");
    // Splitting the underlined phrase into two paragraphs ends the match.
    replace(*storage, at(*storage, u"phrase_"), 0, u"\n", "an empty line inside a paragraph");
    // Joining them again brings it back.
    replace(*storage, at(*storage, u"\nphrase_"), 1, u"", "deleting the empty line");
    replace(*storage, at(*storage, u"\n\n> quoted"), 2, u" ", "joining two paragraphs");
    replace(*storage, at(*storage, u"- two"), 0, u"#", "making a line a header");
    replace(*storage, at(*storage, u"## Second"), 12, u"x\n\n\n", "replacing across a paragraph end");
    replace(*storage, 0, 2, u"", "deleting at the start");
    replace(*storage, storage->length(), 0, u"\n\n**new**", "typing at the end");
    replace(*storage, storage->length() - 3, 3, u"", "deleting at the end");
}

TEST_F(IncrementalRestyleTest, openingAndClosingAFenceRestylesItsWholeExtent)
{
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(kSample));
    // Breaking the opening fence ends the block; mending it brings it back.
    replace(*storage, at(*storage, u"```\nlet"), 1, u"", "breaking an opening fence");
    replace(*storage, at(*storage, u"``\nlet"), 0, u"`", "mending it");
    replace(*storage, at(*storage, u"\n```\n\nAfter"), 4, u"\n", "deleting the closing fence");
    replace(*storage, at(*storage, u"After the fence."), 0, u"```\n", "closing it further down");
    // A character no code block may hold ends one; taking it out again joins it up.
    replace(*storage, at(*storage, u"let y"), 0, u"\u201c", "a curly quote inside the block");
    replace(*storage, at(*storage, u"\u201c"), 1, u"", "taking it out");
    // The tilde block's body may hold tildes: a closing further down makes
    // one block of everything between the first opening and it.
    replace(*storage, at(*storage, u"second\n~~~"), 0, u"x", "typing inside the second tilde block");
    replace(*storage, at(*storage, u"middle"), 6, u"", "emptying the text between two tilde blocks");
    replace(*storage, at(*storage, u"~~~\nfirst"), 3, u"```", "turning a tilde fence into a backtick one");
    replace(*storage, storage->length(), 0, u"\n~~~\nend\n~~~", "opening and closing a block at the end");
}

TEST_F(IncrementalRestyleTest, texCommentsRunOverEmptyLines)
{
    auto storage = makeStorage(true);
    storage->replaceCharactersInRange(Range{0, 0},
                                      std::u16string_view(u"\\section{One}\n% a comment\n\n\n\\textbf{bold words}\n\n\\emph{x}\n"));
    expectSameAsFullRestyle(*storage, "the first text");
    replace(*storage, at(*storage, u"\\textbf"), 0, u"\n", "an empty line after the comment");
    replace(*storage, at(*storage, u"% a"), 1, u"", "taking the comment sign away");
    replace(*storage, at(*storage, u"a comment"), 0, u"%", "putting it back");
    replace(*storage, at(*storage, u"\\emph"), 0, u"%", "commenting out a command");
}

TEST_F(IncrementalRestyleTest, aLongTextIsStyledInPiecesAsInOne)
{
    std::u16string text;
    for (int copy = 0; copy < 120; ++copy)
        text += kSample + u"\n\n";
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    expectSameAsFullRestyle(*storage, "setting a long text");
    auto tex = makeStorage(true);
    std::u16string texText;
    for (int copy = 0; copy < 600; ++copy)
        texText += u"\\section{One}\n% a comment\n\n\n\\textbf{bold words}\n\n";
    tex->replaceCharactersInRange(Range{0, 0}, std::u16string_view(texText));
    expectSameAsFullRestyle(*tex, "setting a long TeX text");
}

// Random edits of a text full of constructs, made of the characters that
// open, close and break them.
void IncrementalRestyleTest::makeRandomEdits(std::u16string text)
{
    const std::u16string pieces[] = {u"\n", u"\n\n", u"\r\n", u"\r", u"`", u"```\n", u"~~~\n", u"*", u"**", u"_", u"#",
                                     u"> ", u"    ", u"word", u" ", u"\u201c", u"[a](b)", u"=="};
    std::mt19937 random(47);
    auto storage = makeStorage();
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    for (int step = 0; step < 300; ++step) {
        std::size_t length = storage->length();
        std::size_t location = random() % (length + 1);
        std::size_t removed = random() % 3 == 0 ? std::min<std::size_t>(random() % 12, length - location) : 0;
        const std::u16string& inserted = random() % 4 == 0 ? std::u16string() : pieces[random() % std::size(pieces)];
        storage->replaceCharactersInRange(Range{location, removed}, std::u16string_view(inserted));
        std::string difference = firstDifference(storage->attributedString(), restyledFromScratch(storage->string(), false));
        ASSERT_EQ(difference, "") << "step " << step << ": {" << location << ", " << removed << "} -> \"" << toUtf8(inserted) << "\"";
    }
}

TEST_F(IncrementalRestyleTest, manyRandomEditsKeepTheFullRestyle) { makeRandomEdits(kSample); }

TEST_F(IncrementalRestyleTest, manyRandomEditsOfATextWithReturnsKeepTheFullRestyle)
{
    std::u16string text;
    for (char16_t unit : kSample)
        text += unit == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, unit);
    makeRandomEdits(text);
}

TEST_F(IncrementalRestyleTest, undoThroughTheTextViewGivesTheFullRestyle)
{
    auto view = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 400, 300), false, &defaults);
    MEMarkdownSyntaxStorage& storage = view->syntaxStorage();
    view->setText(kSample);
    view->setSelectedRange(Range{at(storage, u"After the fence."), 0});
    view->insertText(u"```\n");
    view->setSelectedRange(Range{at(storage, u"Some"), 4});
    view->deleteBackward();
    expectSameAsFullRestyle(storage, "typing");
    ASSERT_TRUE(view->undoManager().undo());
    expectSameAsFullRestyle(storage, "undoing the deletion");
    ASSERT_TRUE(view->undoManager().undo());
    EXPECT_EQ(storage.string(), kSample);
    expectSameAsFullRestyle(storage, "undoing the fence");
    ASSERT_TRUE(view->undoManager().redo());
    expectSameAsFullRestyle(storage, "redoing the fence");
}

TEST_F(IncrementalRestyleTest, anEditReportsOnlyWhatChanged)
{
    auto storage = makeStorage();
    std::u16string paragraph = u"A plain paragraph of words.\n";
    std::u16string text;
    for (int copy = 0; copy < 50; ++copy)
        text += paragraph + u"\n";
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    struct Recorder : TextStorageDelegate {
        std::vector<TextStorageEdit> edits;
        void textStorageDidProcessEditing(TextStorage&, const TextStorageEdit& edit) override { edits.push_back(edit); }
    };
    auto recorder = std::make_shared<Recorder>();
    storage->setDelegate(recorder);
    // An opening fence far from its (missing) closing changes nothing else.
    std::size_t middle = 25 * (paragraph.size() + 1);
    storage->replaceCharactersInRange(Range{middle, 0}, std::u16string_view(u"```\n"));
    ASSERT_EQ(recorder->edits.size(), 1u);
    EXPECT_EQ(recorder->edits[0].editedRange, (Range{middle, 4 + paragraph.size()}));
    // Its closing turns everything between into code, and only that is reported.
    std::size_t further = middle + 4 + 3 * (paragraph.size() + 1);
    storage->replaceCharactersInRange(Range{further, 0}, std::u16string_view(u"```\n"));
    ASSERT_EQ(recorder->edits.size(), 2u);
    EXPECT_EQ(recorder->edits[1].editedRange.location, middle);
    // (The line after the typed fence is reported with it, as after every edit.)
    EXPECT_EQ(recorder->edits[1].editedRange.end(), further + 4 + paragraph.size());
    EXPECT_EQ(colorAt(*storage, TextAttributeName::ForegroundColor, middle + 10), Color::colorWithWhite(0.5));
}

// New settings reloaded into a storage that holds text restyle all of it as
// a storage made with them would, fenced blocks too, and edits after the
// reload keep to it.
TEST_F(IncrementalRestyleTest, reloadedSettingsRestyleTheWholeTextAsAFreshStorageWould)
{
    auto storage = makeStorage();
    const std::u16string text = u"# Title\n\nSome *text* and **more**.\n\n```\nlet x = 1;\n\nlet y = 2;\n```\n\nAfter.\n";
    storage->replaceCharactersInRange(Range{0, 0}, std::u16string_view(text));
    const double before = fontSizeAt(*storage, at(*storage, u"Some"));

    defaults.setFloat("markdownDefaultFontSize", 22);
    defaults.setInteger("markdownDefaultAlignment", 2);
    storage->reloadBodyStyle();
    EXPECT_EQ(fontSizeAt(*storage, at(*storage, u"Some")), 22) << "was " << before;
    EXPECT_GT(fontSizeAt(*storage, at(*storage, u"Title")), 22) << "the heading grows with the body";
    expectSameAsFullRestyle(*storage, "reloading the settings");
    replace(*storage, at(*storage, u"After"), 0, u"Then ", "typing after the reload");
    replace(*storage, at(*storage, u"```\n\nThen"), 3, u"", "deleting the closing fence after the reload");
}

TEST(MERestyleTrackerTest, paragraphsBeginAtEmptyLinesOfEitherLineEnd)
{
    MERestyleTracker markdown(false);
    EXPECT_EQ(markdown.paragraphsAround(u"a\n\nb\nc\n\nd", Range{4, 0}), (Range{2, 5}));
    EXPECT_EQ(markdown.paragraphsAround(u"a\r\n\r\nb\r\nc\r\n\r\nd", Range{7, 0}), (Range{3, 8}));
    // The line breaks that make a paragraph start must lie outside the range.
    EXPECT_EQ(markdown.paragraphsAround(u"a\n\nb", Range{2, 1}), (Range{0, 4}));
    EXPECT_EQ(markdown.paragraphsAround(u"a\n\nb", Range{0, 0}), (Range{0, 2}));
    // In TeX a paragraph begins on the first line after empty ones.
    MERestyleTracker tex(true);
    EXPECT_EQ(tex.paragraphsAround(u"x\n\n\ny\n\nz", Range{5, 0}), (Range{4, 3}));
    EXPECT_EQ(tex.paragraphsAround(u"x\n\n\ny\n\nz", Range{2, 0}), (Range{0, 4}));
}

} // namespace
} // namespace folio
