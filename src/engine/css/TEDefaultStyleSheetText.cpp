#include "engine/css/TEDefaultStyleSheetText.h"

namespace folio {

// NOTE: the sheet reader ends a comment at the first slash after its opening
// star, so the comments below must not contain one.
std::string_view TEDefaultStyleSheetText()
{
    static constexpr std::string_view kText = R"CSS(
/*
 * The default style sheet of the HTML reader. It gives the HTML elements
 * the looks a browser gives them, as far as attributed text can show them.
 */

/*
 * Element rules come first, in the order a browser's own sheet lists them.
 * Lengths in em are relative to the text size of the element.
 */

/*
 * Display values decide where paragraphs end: block elements end one,
 * elements with display none produce no text at all.
 */

/*
 * The webkit margin names are what pages copied from a browser carry; the
 * reader treats start and end as left and right for left-to-right text.
 */

html {
    /* the root element */
    display: block;
}

head { display: none }
title { display: none }
style { display: none }

body {
    /* the page body */
    display: block;
}

article, aside, footer, header, hgroup, nav, section { display: block }

/*
 * Blocks a browser shows on lines of their own, which editors write around
 * quotes and terms: read inline, their text ran into the next paragraph.
 */
address, blockquote, dd, dl, dt, figcaption, figure, form, main { display: block }

/*
 * A table row is a line of its own, its cells parted by tabs, as a table of
 * a file is kept where rows are not written as tables.
 */
tr { display: block }

p {
    display: block;
    -webkit-margin-before: 1em;
    -webkit-margin-after: 1em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
}

ul, menu, dir {
    display: block;
    list-style-type: disc;
    -webkit-margin-before: 1em;
    -webkit-margin-after: 1em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    -webkit-padding-start: 27px;
}

li { display: list-item }

ol {
    display: block;
    list-style-type: decimal;
    -webkit-margin-before: 1em;
    -webkit-margin-after: 1em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    -webkit-padding-start: 27px;
}

ul ul, ol ul { list-style-type: circle }
ol ol ul, ol ul ul, ul ol ul, ul ul ul { list-style-type: square }

code { font-family: Courier }

pre, xmp, plaintext, listing {
    display: block;
    font-family: monospace;
    white-space: pre;
    margin: 1em 0px;
}

a { color: #0000EE; text-decoration: underline }
a:active { color: #FF0000 }

center { text-align: center; display: block }
strong, b { font-weight: bolder }
i, em { font-style: italic }
u { text-decoration: underline }
big { font-size: bigger }
small { font-size: smaller }
sub { font-size: smaller; vertical-align: sub }
sup { font-size: smaller; vertical-align: super }
s, strike, del { text-decoration: line-through }
tt, code, kbd, samp { font-family: monospace }

pre, xmp, plaintext, listing {
    display: block;
    font-family: monospace;
    white-space: pre;
    margin-top: 1em;
    margin-right: 0;
    margin-bottom: 1em;
    margin-left: 0;
}

h1 {
    display: block;
    font-size: 2em;
    -webkit-margin-before: .67em;
    -webkit-margin-after: .67em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

h2 {
    display: block;
    font-size: 1.5em;
    -webkit-margin-before: .83em;
    -webkit-margin-after: .83em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

h3 {
    display: block;
    font-size: 1.17em;
    -webkit-margin-before: 1em;
    -webkit-margin-after: 1em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

h4 {
    display: block;
    -webkit-margin-before: 1.33em;
    -webkit-margin-after: 1.33em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

h5 {
    display: block;
    font-size: .83em;
    -webkit-margin-before: 1.67em;
    -webkit-margin-after: 1.67em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

h6 {
    display: block;
    font-size: .67em;
    -webkit-margin-before: 2.33em;
    -webkit-margin-after: 2.33em;
    -webkit-margin-start: 0;
    -webkit-margin-end: 0;
    font-weight: bold;
}

div { display: block }

link { display: none }
meta { display: none }
script { display: none }
/* a page that runs scripts, as the editors' pages do, shows none of it */
noscript { display: none }

hr {
    display: block;
    -webkit-margin-before: 0.5em;
    -webkit-margin-after: 0.5em;
    -webkit-margin-start: auto;
    -webkit-margin-end: auto;
    border-style: inset;
    border-width: 1px;
}

table {
    display: table;
    border-collapse: separate;
    border-spacing: 2px;
    border-color: gray;
}
)CSS";
    return kText;
}

} // namespace folio
