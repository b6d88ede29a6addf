#include "markdown/MEInsertionMenus.h"

namespace folio {

namespace {

MEMenuItemSpec wrap(std::string title, std::u16string start, std::u16string end, std::u16string text, std::size_t caret)
{
    return {std::move(title), MEMenuItemKind::Wrapping, std::move(start), std::move(end), std::move(text), caret};
}
// A wrapping item whose text without a selection is start followed by end.
MEMenuItemSpec wrap(std::string title, std::u16string start, std::u16string end, std::size_t caret)
{
    std::u16string text = start + end;
    return wrap(std::move(title), std::move(start), std::move(end), std::move(text), caret);
}
MEMenuItemSpec templateItem(std::string title, std::u16string text, std::size_t caret)
{
    return {std::move(title), MEMenuItemKind::Template, {}, {}, std::move(text), caret};
}
MEMenuItemSpec plain(std::string title, std::u16string text)
{
    return {std::move(title), MEMenuItemKind::Plain, {}, {}, std::move(text), 0};
}
MEMenuItemSpec plainCharacter(std::u16string character)
{
    std::string title(character.begin(), character.end());
    return plain(std::move(title), std::move(character));
}

// The pairs both Pairs menus end with. The straight double quotes wrap in
// double quotes: the item inserts what its title shows.
std::vector<MEMenuItemSpec> commonPairs()
{
    return {wrap("'\xE2\x80\xA6'", u"'", u"'", 1), wrap("\"\xE2\x80\xA6\"", u"\"", u"\"", 1),
            wrap("\xE2\x80\x9C\xE2\x80\xA6\xE2\x80\x9D", u"\u201C", u"\u201D", 1), wrap("<\xE2\x80\xA6>", u"<", u">", 1),
            wrap("{\xE2\x80\xA6}", u"{", u"}", 1)};
}

std::vector<MEMenuItemSpec> withCommonPairs(std::vector<MEMenuItemSpec> first)
{
    for (auto& item : commonPairs())
        first.push_back(std::move(item));
    return first;
}

const std::u16string kTable = u"First Header | Second Header\n"
                              u"-------------| -------------\n"
                              u"Content Cell | Content Cell\n"
                              u"Content Cell | Content Cell\n\n";

} // namespace

const MEMenuSpec* insertionMenuSpec(MEKeyMenu menu)
{
    static const MEMenuSpec kStyle{"Style", false, false, false,
                                   {wrap("Bold", u"**", u"**", 2), wrap("Italic", u"*", u"*", 1),
                                    wrap("Underline", u"_", u"_", 1), wrap("Striketrough", u"~~", u"~~", 2),
                                    wrap("Superscript", u"^(", u")", 2), wrap("Highlight", u"==", u"==", 2),
                                    {"Blockquote", MEMenuItemKind::QuoteMarker, {}, {}, {}, 0},
                                    // Without a selection only the opening accents go in.
                                    wrap("Inline Code", u"``", u"``", u"``", 2)}};
    static const MEMenuSpec kHeaders{"Headers", true, true, false,
                                     {plain("Header 1", u"# "), plain("Header 2", u"## "), plain("Header 3", u"### "),
                                      plain("Header 4", u"#### "), plain("Header 5", u"##### "),
                                      plain("Header 6", u"###### ")}};
    static const MEMenuSpec kExtraMarkups{
        "Extra Markups", false, false, false,
        {wrap("Ordered List", u"\n\n1. ", u"\n\n", u"\n\n1. ", 5), wrap("Unordered List", u"\n\n* ", u"\n\n", u"\n\n* ", 4),
         templateItem("Image", u"![]()", 4), templateItem("Link", u"[]()", 1), plain("Table", kTable),
         plain("Page Break", u"<div style=\"page-break-before:always;\"></div>"), plain("Horizontal Rule", u"***\n"),
         templateItem("Comment", u"<!-- -->", 4), templateItem("Footnote", u"[^]", 2),
         templateItem("MathML", u"<math display=\"block\">\n\n</math>", 23)}};
    static const MEMenuSpec kPairs{"Pairs", true, true, false,
                                   withCommonPairs({wrap("[\xE2\x80\xA6]", u"[", u"]", 1), wrap("(\xE2\x80\xA6)", u"(", u")", 1),
                                                    wrap("`\xE2\x80\xA6`", u"`", u"`", 1)})};
    static const MEMenuSpec kCharacters{"Characters", true, true, false,
                                        {plainCharacter(u"`"), plainCharacter(u"'"), plainCharacter(u"\""),
                                         plainCharacter(u"="), plainCharacter(u"+"), plainCharacter(u"|"),
                                         plainCharacter(u"-"), plainCharacter(u"^"), plainCharacter(u"\\"),
                                         plainCharacter(u">"), plainCharacter(u"<")}};
    static const MEMenuSpec kExtraTeX{
        "Extra Commands", false, false, true,
        {wrap("\\documentclass", u"\\documentclass[10pt]{", u"}", 21), wrap("\\usepackage", u"\\usepackage{", u"}", 12),
         plain("AMS packages", u"\\usepackage{amsmath}\n\\usepackage{amsfonts}\n\\usepackage{amssymb}\n"),
         wrap("\\begin{document}", u"\\begin{document}\n", u"\n\\end{document}", 17), wrap("\\author{}", u"\\author{", u"}", 8),
         wrap("\\title{}", u"\\title{", u"}", 7), plain("\\maketitle", u"\\maketitle"),
         plain("\\tableofcontents", u"\\tableofcontents"),
         wrap("\\includegraphics{file}", u"\\includegraphics[scale=1]{", u"}", 26),
         wrap("\\include{file}", u"\\include{", u"}", 9), wrap("\\input{file}", u"\\input{", u"}", 7),
         wrap("\\label{}", u"\\label{", u"}", 7), wrap("\\cite{}", u"\\cite{", u"}", 6),
         wrap("\\footnote{}", u"\\footnote{", u"}", 10), wrap("\\bibliographystyle{}", u"\\bibliographystyle{", u"}", 19),
         plain("\\bibliography{commands}", u"\\bibliography{commands}\n"),
         plain("\\addbibresource{commands}", u"\\addbibresource{commands}\n")}};
    static const MEMenuSpec kTeXStyle{"Style", false, false, false,
                                      {wrap("Bold", u"\\textbf{", u"}", 8), wrap("Italic", u"\\textit{", u"}", 8),
                                       wrap("Emphasize", u"\\emph{", u"}", 6), wrap("Slanted", u"\\textsl{", u"}", 8),
                                       wrap("Typewriter", u"\\texttt{", u"}", 8), wrap("Small caps", u"\\textsc{", u"}", 8),
                                       wrap("Sans Serif", u"\\textsf{", u"}", 8)}};
    static const MEMenuSpec kTeXMath{
        "Math", true, true, false,
        {wrap("Inline Math Mode $..$", u"$", u"$", 1), wrap("Display Math Mode \\[..\\]", u"\\[", u"\\]", 2),
         wrap("Numbered Equations \\begin{equation}", u"\\begin{equation}\n", u"\\end{equation}", 17),
         wrap("\\begin{eqnarray}", u"\\begin{eqnarray}\n", u"\\end{eqnarray}", 17), wrap("_{} - Subscript", u"_{", u"}", 2),
         wrap("^{} - Superscript", u"^{", u"}", 2), wrap("\\frac{}{}", u"\\frac{", u"}{}", 6),
         wrap("\\sqrt{}", u"\\sqrt{", u"}", 6), wrap("\\left", u"\\left ", u"", 6), wrap("\\right", u"\\right ", u"", 6),
         wrap("\\begin{array}", u"\\begin{array}{}", u"\\end{array}", u"\\begin{array}{}\n\\end{array}", 14)}};
    static const MEMenuSpec kTeXPairs{"Pairs", true, true, false,
                                      withCommonPairs({wrap("$\xE2\x80\xA6$", u"$", u"$", 1), wrap("[\xE2\x80\xA6]", u"[", u"]", 1),
                                                       wrap("(\xE2\x80\xA6)", u"(", u")", 1)})};
    switch (menu) {
    case MEKeyMenu::Style: return &kStyle;
    case MEKeyMenu::Headers: return &kHeaders;
    case MEKeyMenu::ExtraMarkups: return &kExtraMarkups;
    case MEKeyMenu::Pairs: return &kPairs;
    case MEKeyMenu::Characters: return &kCharacters;
    case MEKeyMenu::ExtraTeXMarkups: return &kExtraTeX;
    case MEKeyMenu::TeXStyle: return &kTeXStyle;
    case MEKeyMenu::TeXMath: return &kTeXMath;
    case MEKeyMenu::TeXPairs: return &kTeXPairs;
    case MEKeyMenu::Symbols:
    case MEKeyMenu::None: break;
    }
    return nullptr;
}

} // namespace folio
