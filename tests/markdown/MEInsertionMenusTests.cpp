#include "markdown/MEInsertionMenus.h"
#include "markdown/MEMarkdownTextView.h"

#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <set>

namespace folio {
namespace {

// What an item inserts at a bare caret, and how far after the caret's place
// the caret ends up.
struct Expected {
    std::string title;
    std::u16string text;
    std::size_t caret;
};

struct MenuCase {
    MEKeyMenu menu;
    std::string title;
    std::vector<Expected> items;
};

// Plain items leave the caret after their text.
Expected plain(std::string title, std::u16string text)
{
    const std::size_t length = text.size();
    return {std::move(title), std::move(text), length};
}

const std::u16string kTable = u"First Header | Second Header\n-------------| -------------\n"
                              u"Content Cell | Content Cell\nContent Cell | Content Cell\n\n";

std::vector<MenuCase> allMenus()
{
    return {
        {MEKeyMenu::Style, "Style",
         {{"Bold", u"****", 2}, {"Italic", u"**", 1}, {"Underline", u"__", 1}, {"Striketrough", u"~~~~", 2},
          {"Superscript", u"^()", 2}, {"Highlight", u"====", 2}, {"Blockquote", u"\n> ", 3}, {"Inline Code", u"``", 2}}},
        {MEKeyMenu::Headers, "Headers",
         {plain("Header 1", u"# "), plain("Header 2", u"## "), plain("Header 3", u"### "), plain("Header 4", u"#### "),
          plain("Header 5", u"##### "), plain("Header 6", u"###### ")}},
        {MEKeyMenu::ExtraMarkups, "Extra Markups",
         {{"Ordered List", u"\n\n1. ", 5}, {"Unordered List", u"\n\n* ", 4}, {"Image", u"![]()", 4}, {"Link", u"[]()", 1},
          plain("Table", kTable), plain("Page Break", u"<div style=\"page-break-before:always;\"></div>"),
          plain("Horizontal Rule", u"***\n"), {"Comment", u"<!-- -->", 4}, {"Footnote", u"[^]", 2},
          {"MathML", u"<math display=\"block\">\n\n</math>", 23}}},
        {MEKeyMenu::Pairs, "Pairs",
         {{"[\u2026]", u"[]", 1}, {"(\u2026)", u"()", 1}, {"`\u2026`", u"``", 1}, {"'\u2026'", u"''", 1},
          {"\"\u2026\"", u"\"\"", 1}, {"\u201C\u2026\u201D", u"\u201C\u201D", 1}, {"<\u2026>", u"<>", 1}, {"{\u2026}", u"{}", 1}}},
        {MEKeyMenu::Characters, "Characters",
         {plain("`", u"`"), plain("'", u"'"), plain("\"", u"\""), plain("=", u"="), plain("+", u"+"), plain("|", u"|"),
          plain("-", u"-"), plain("^", u"^"), plain("\\", u"\\"), plain(">", u">"), plain("<", u"<")}},
        {MEKeyMenu::ExtraTeXMarkups, "Extra Commands",
         {{"\\documentclass", u"\\documentclass[10pt]{}", 21}, {"\\usepackage", u"\\usepackage{}", 12},
          plain("AMS packages", u"\\usepackage{amsmath}\n\\usepackage{amsfonts}\n\\usepackage{amssymb}\n"),
          {"\\begin{document}", u"\\begin{document}\n\n\\end{document}", 17}, {"\\author{}", u"\\author{}", 8},
          {"\\title{}", u"\\title{}", 7}, plain("\\maketitle", u"\\maketitle"), plain("\\tableofcontents", u"\\tableofcontents"),
          {"\\includegraphics{file}", u"\\includegraphics[scale=1]{}", 26}, {"\\include{file}", u"\\include{}", 9},
          {"\\input{file}", u"\\input{}", 7}, {"\\label{}", u"\\label{}", 7}, {"\\cite{}", u"\\cite{}", 6},
          {"\\footnote{}", u"\\footnote{}", 10}, {"\\bibliographystyle{}", u"\\bibliographystyle{}", 19},
          plain("\\bibliography{commands}", u"\\bibliography{commands}\n"),
          plain("\\addbibresource{commands}", u"\\addbibresource{commands}\n")}},
        {MEKeyMenu::TeXStyle, "Style",
         {{"Bold", u"\\textbf{}", 8}, {"Italic", u"\\textit{}", 8}, {"Emphasize", u"\\emph{}", 6}, {"Slanted", u"\\textsl{}", 8},
          {"Typewriter", u"\\texttt{}", 8}, {"Small caps", u"\\textsc{}", 8}, {"Sans Serif", u"\\textsf{}", 8}}},
        {MEKeyMenu::TeXMath, "Math",
         {{"Inline Math Mode $..$", u"$$", 1}, {"Display Math Mode \\[..\\]", u"\\[\\]", 2},
          {"Numbered Equations \\begin{equation}", u"\\begin{equation}\n\\end{equation}", 17},
          {"\\begin{eqnarray}", u"\\begin{eqnarray}\n\\end{eqnarray}", 17}, {"_{} - Subscript", u"_{}", 2},
          {"^{} - Superscript", u"^{}", 2}, {"\\frac{}{}", u"\\frac{}{}", 6}, {"\\sqrt{}", u"\\sqrt{}", 6},
          {"\\left", u"\\left ", 6}, {"\\right", u"\\right ", 6}, {"\\begin{array}", u"\\begin{array}{}\n\\end{array}", 14}}},
        {MEKeyMenu::TeXPairs, "Pairs",
         {{"$\u2026$", u"$$", 1}, {"[\u2026]", u"[]", 1}, {"(\u2026)", u"()", 1}, {"'\u2026'", u"''", 1},
          {"\"\u2026\"", u"\"\"", 1}, {"\u201C\u2026\u201D", u"\u201C\u201D", 1}, {"<\u2026>", u"<>", 1}, {"{\u2026}", u"{}", 1}}},
    };
}


class MEInsertionMenusTest : public test::VirtualClockTest {
protected:
    std::shared_ptr<MEMarkdownTextView> makeView(const std::u16string& text, Range selection)
    {
        auto view = std::make_shared<MEMarkdownTextView>(makeRect(0, 0, 400, 300), false, &defaults);
        view->setText(text);
        view->setSelectedRange(selection);
        return view;
    }
    std::shared_ptr<MEMarkdownTextView> pick(MEKeyMenu menu, const std::string& title, const std::u16string& text, Range selection)
    {
        auto view = makeView(text, selection);
        for (const auto& item : insertionMenuSpec(menu)->items) {
            if (item.title == title) {
                view->performMenuItem(item);
                return view;
            }
        }
        ADD_FAILURE() << "no item " << title;
        return view;
    }

    test::ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
};

TEST_F(MEInsertionMenusTest, everyItemInsertsItsTextAndPlacesTheCaret)
{
    for (const MenuCase& menu : allMenus()) {
        const MEMenuSpec* spec = insertionMenuSpec(menu.menu);
        ASSERT_TRUE(spec);
        EXPECT_EQ(spec->title, menu.title);
        ASSERT_EQ(spec->items.size(), menu.items.size()) << menu.title;
        std::set<std::string> titles;
        for (std::size_t index = 0; index < menu.items.size(); ++index) {
            const Expected& expected = menu.items[index];
            EXPECT_EQ(spec->items[index].title, expected.title) << menu.title << " item " << index + 1;
            EXPECT_TRUE(titles.insert(spec->items[index].title).second) << "titles differ within a menu";
            auto view = makeView(u"abcd", Range{2, 0});
            view->performMenuItem(spec->items[index]);
            EXPECT_EQ(view->text(), u"ab" + expected.text + u"cd") << menu.title << ": " << expected.title;
            EXPECT_EQ(view->selectedRange(), (Range{2 + expected.caret, 0})) << menu.title << ": " << expected.title;
        }
    }
}

TEST_F(MEInsertionMenusTest, wrappingItemsEncloseASelectionAndOthersReplaceIt)
{
    struct Case {
        MEKeyMenu menu;
        std::string title;
        std::u16string text;
        Range selection;
        std::u16string expected;
    };
    const std::vector<Case> cases{
        {MEKeyMenu::Style, "Bold", u"abc", {0, 3}, u"**abc**"},
        {MEKeyMenu::Style, "Inline Code", u"x", {0, 1}, u"``x``"},
        {MEKeyMenu::Style, "Blockquote", u"", {0, 0}, u"> "},
        {MEKeyMenu::Headers, "Header 2", u"a word", {2, 4}, u"a ## "},
        {MEKeyMenu::ExtraMarkups, "Link", u"a word", {2, 4}, u"a []()"},
        {MEKeyMenu::ExtraMarkups, "Ordered List", u"a", {0, 1}, u"\n\n1. a\n\n"},
        {MEKeyMenu::Pairs, "\"\u2026\"", u"x", {0, 1}, u"\"x\""},
        {MEKeyMenu::TeXPairs, "\"\u2026\"", u"x", {0, 1}, u"\"x\""},
        {MEKeyMenu::ExtraTeXMarkups, "\\documentclass", u"article", {0, 7}, u"\\documentclass[10pt]{article}"},
        {MEKeyMenu::ExtraTeXMarkups, "AMS packages", u"old", {0, 3},
         u"\\usepackage{amsmath}\n\\usepackage{amsfonts}\n\\usepackage{amssymb}\n"},
        {MEKeyMenu::TeXMath, "\\frac{}{}", u"a", {0, 1}, u"\\frac{a}{}"},
        {MEKeyMenu::TeXMath, "\\begin{array}", u"x", {0, 1}, u"\\begin{array}{}x\\end{array}"},
        {MEKeyMenu::TeXMath, "Numbered Equations \\begin{equation}", u"x", {0, 1}, u"\\begin{equation}\nx\\end{equation}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pick(c.menu, c.title, c.text, c.selection)->text(), c.expected) << c.title;

    // Blockquote in a text that is not empty starts a new line, even at the
    // start of a line.
    auto quote = pick(MEKeyMenu::Style, "Blockquote", u"a\n", Range{2, 0});
    EXPECT_EQ(quote->text(), u"a\n\n> ");
    EXPECT_EQ(quote->selectedRange(), (Range{5, 0}));

    // A wrapped selection stays the same text, now inside the marks.
    auto bold = pick(MEKeyMenu::Style, "Bold", u"abc", Range{0, 3});
    EXPECT_TRUE(bold->undoManager().canUndo());

    // "\right" leaves the caret before its blank, so a typed delimiter lands inside.
    auto right = pick(MEKeyMenu::TeXMath, "\\right", u"", Range{0, 0});
    right->insertText(u")");
    EXPECT_EQ(right->text(), u"\\right) ");
}

TEST_F(MEInsertionMenusTest, onlyTheExtraCommandsMenuHasAFinishBlockAndSomeAreCentred)
{
    std::set<MEKeyMenu> centred;
    for (const MenuCase& menu : allMenus()) {
        const MEMenuSpec* spec = insertionMenuSpec(menu.menu);
        EXPECT_EQ(spec->hasFinishBlock, menu.menu == MEKeyMenu::ExtraTeXMarkups);
        if (spec->centred)
            centred.insert(menu.menu);
    }
    EXPECT_EQ(centred, (std::set<MEKeyMenu>{MEKeyMenu::Headers, MEKeyMenu::Pairs, MEKeyMenu::Characters, MEKeyMenu::TeXMath,
                                            MEKeyMenu::TeXPairs}));
    EXPECT_EQ(insertionMenuSpec(MEKeyMenu::Symbols), nullptr);
}

} // namespace
} // namespace folio
