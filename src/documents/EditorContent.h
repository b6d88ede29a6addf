#pragma once

#include <optional>
#include <string>

namespace folio {

// What an open editor holds of its document, handed over as a value: the
// document's save, the exports, copy-out and previews work on it, and only
// the editor knows the page or view it came from. Each kind fills what it
// has: the rich-text page its body, line height, first-line indent, paper
// colour, header and footer; the QV pages their body and the editing body's
// own style; the Markdown editor its HTML and its source text.
struct EditorContent {
    // How much the editor is asked for: a save needs no plain text, and
    // making it costs the page a layout pass.
    enum class Parts { Document, WithPlainText };

    // The document margins, in centimetres as "%.2f" text, as the ruler
    // gives them; the right one is the ruler's right edge measured from the
    // left edge of the sheet, not a width.
    struct Margins {
        std::string left, right, top, bottom;
        friend bool operator==(const Margins&, const Margins&) = default;
    };

    // The body's HTML, cleaned of what only the editor shows.
    std::string bodyHTML;
    // The body's line height as a multiple of the font size, and its
    // first-line indent in centimetres; none where the body sets none.
    std::optional<double> lineHeight;
    std::optional<double> firstLineIndent;
    // The "::"-joined header and footer settings (family, size, alignment,
    // colour, margin, enabled, text), as the RTF writer and the exports take
    // them; none when the page shows no header or footer text.
    std::optional<std::string> header;
    std::optional<std::string> footer;
    // Six hexadecimal digits RRGGBB.
    std::optional<std::string> paperColor;
    std::optional<Margins> margins;
    // The QV editing body's style attribute, kept with the saved page.
    std::optional<std::string> bodyStyle;
    // The text as the reader sees it; only when asked for.
    std::optional<std::u16string> plainText;
    // The Markdown editor's source text, which its HTML is made from.
    std::optional<std::u16string> sourceText;

    // The rich-text body as the HTML reader takes it: wrapped in the body's
    // line height and indent, and ending a body whose last line is empty
    // with a line the reader keeps.
    std::string richTextHTML() const;
    // What a QV document stores: the body, then a hidden "bodyStyle" div
    // carrying the editing body's style, which the editor restores when it
    // loads the page.
    std::string storedQVPage() const;

    friend bool operator==(const EditorContent&, const EditorContent&) = default;
};

} // namespace folio
