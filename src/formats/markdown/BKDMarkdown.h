#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <optional>
#include <string>

namespace folio {

class BKDRenderer;

// Parser extension bits, numbered as the converter's callers know them.
inline constexpr std::uint64_t kMarkdownExtensionTables = 1;
inline constexpr std::uint64_t kMarkdownExtensionFencedCode = 2;
inline constexpr std::uint64_t kMarkdownExtensionFootnotes = 4;
inline constexpr std::uint64_t kMarkdownExtensionAutolink = 8;
inline constexpr std::uint64_t kMarkdownExtensionStrikethrough = 16;
inline constexpr std::uint64_t kMarkdownExtensionUnderline = 32;
inline constexpr std::uint64_t kMarkdownExtensionHighlight = 64;
inline constexpr std::uint64_t kMarkdownExtensionQuote = 128;
inline constexpr std::uint64_t kMarkdownExtensionSuperscript = 256;
inline constexpr std::uint64_t kMarkdownExtensionMath = 512;
inline constexpr std::uint64_t kMarkdownExtensionDisableIndentedCode = 1024;
inline constexpr std::uint64_t kMarkdownExtensionNoIntraEmphasis = 2048;
inline constexpr std::uint64_t kMarkdownExtensionSpaceHeaders = 4096;
inline constexpr std::uint64_t kMarkdownExtensionMathExplicit = 8192;
inline constexpr std::uint64_t kMarkdownDefaultExtensions = 0x317F;

// Turns one Markdown text into HTML (preview, export, copy as HTML) or plain text
// (copy-out, statistics, the word counter). Each output is computed once per text and
// kept. A converter is cheap and made per use; different converters may run on
// different threads at the same time.
class BKDMarkdown {
public:
    BKDMarkdown();
    explicit BKDMarkdown(std::u16string text);

    const std::u16string& text() const { return m_text; }
    // Keeps the text and forgets both outputs.
    void setText(std::u16string text);

    // Stored; an output already computed stays as it was.
    std::uint64_t extensions() const { return m_extensions; }
    void setExtensions(std::uint64_t extensions) { m_extensions = extensions; }
    std::uint64_t flags() const { return m_flags; }
    void setFlags(std::uint64_t flags) { m_flags = flags; }

    // A line feed, then the rendered document with typographic punctuation.
    std::u16string html();
    // The same in UTF-8, converted anew, for callers that write UTF-8 and
    // would only convert the text back.
    std::string utf8HTML() const;
    // The HTML of another text with this converter's options, without
    // taking a copy of the text.
    std::string utf8HTML(std::u16string_view markdown) const;
    // The same of a text in UTF-8.
    std::string utf8HTMLOfUTF8(std::string markdown) const;
    // The same without markup and with every entity decoded.
    std::u16string plainText();
    // The plain text of another text with this converter's options.
    std::u16string plainText(std::u16string_view markdown) const;

    // Hard wrap, task list and line numbers, from the options below.
    unsigned rendererFlags() const;

    // The nesting the parser accepts before it refuses a text. A refused text comes out
    // as one paragraph holding the whole source.
    static constexpr std::size_t kMaximumNesting = 128;

    bool extensionIntraEmphasis() const { return m_extensionIntraEmphasis; }
    void setExtensionIntraEmphasis(bool value) { m_extensionIntraEmphasis = value; }
    bool extensionTables() const { return m_extensionTables; }
    void setExtensionTables(bool value) { m_extensionTables = value; }
    bool extensionFencedCode() const { return m_extensionFencedCode; }
    void setExtensionFencedCode(bool value) { m_extensionFencedCode = value; }
    bool extensionAutolink() const { return m_extensionAutolink; }
    void setExtensionAutolink(bool value) { m_extensionAutolink = value; }
    bool extensionStrikethough() const { return m_extensionStrikethough; }
    void setExtensionStrikethough(bool value) { m_extensionStrikethough = value; }
    bool extensionUnderline() const { return m_extensionUnderline; }
    void setExtensionUnderline(bool value) { m_extensionUnderline = value; }
    bool extensionSuperscript() const { return m_extensionSuperscript; }
    void setExtensionSuperscript(bool value) { m_extensionSuperscript = value; }
    bool extensionHighlight() const { return m_extensionHighlight; }
    void setExtensionHighlight(bool value) { m_extensionHighlight = value; }
    bool extensionFootnotes() const { return m_extensionFootnotes; }
    void setExtensionFootnotes(bool value) { m_extensionFootnotes = value; }
    bool extensionQuote() const { return m_extensionQuote; }
    void setExtensionQuote(bool value) { m_extensionQuote = value; }
    bool extensionSmartyPants() const { return m_extensionSmartyPants; }
    void setExtensionSmartyPants(bool value) { m_extensionSmartyPants = value; }
    bool htmlDetectFrontMatter() const { return m_htmlDetectFrontMatter; }
    void setHtmlDetectFrontMatter(bool value) { m_htmlDetectFrontMatter = value; }
    bool htmlTaskList() const { return m_htmlTaskList; }
    void setHtmlTaskList(bool value) { m_htmlTaskList = value; }
    bool htmlHardWrap() const { return m_htmlHardWrap; }
    void setHtmlHardWrap(bool value) { m_htmlHardWrap = value; }
    bool htmlMathJax() const { return m_htmlMathJax; }
    void setHtmlMathJax(bool value) { m_htmlMathJax = value; }
    bool htmlMathJaxInlineDollar() const { return m_htmlMathJaxInlineDollar; }
    void setHtmlMathJaxInlineDollar(bool value) { m_htmlMathJaxInlineDollar = value; }
    bool htmlSyntaxHighlighting() const { return m_htmlSyntaxHighlighting; }
    void setHtmlSyntaxHighlighting(bool value) { m_htmlSyntaxHighlighting = value; }
    bool htmlLineNumbers() const { return m_htmlLineNumbers; }
    void setHtmlLineNumbers(bool value) { m_htmlLineNumbers = value; }
    bool htmlRendersTOC() const { return m_htmlRendersTOC; }
    void setHtmlRendersTOC(bool value) { m_htmlRendersTOC = value; }

    const std::string& htmlTemplateName() const { return m_htmlTemplateName; }
    void setHtmlTemplateName(std::string value) { m_htmlTemplateName = std::move(value); }
    const std::string& htmlStyleName() const { return m_htmlStyleName; }
    void setHtmlStyleName(std::string value) { m_htmlStyleName = std::move(value); }
    const std::string& htmlHighlightingThemeName() const { return m_htmlHighlightingThemeName; }
    void setHtmlHighlightingThemeName(std::string value) { m_htmlHighlightingThemeName = std::move(value); }
    std::int64_t htmlCodeBlockAccessory() const { return m_htmlCodeBlockAccessory; }
    void setHtmlCodeBlockAccessory(std::int64_t value) { m_htmlCodeBlockAccessory = value; }
    const std::optional<URL>& htmlDefaultDirectoryUrl() const { return m_htmlDefaultDirectoryUrl; }
    void setHtmlDefaultDirectoryUrl(std::optional<URL> value) { m_htmlDefaultDirectoryUrl = std::move(value); }

private:
    std::string convert(BKDRenderer& renderer, std::u16string_view text) const;
    std::string convertUTF8(BKDRenderer& renderer, std::string text) const;

    std::u16string m_text;
    std::uint64_t m_extensions = kMarkdownDefaultExtensions;
    std::uint64_t m_flags = 0;
    std::optional<std::u16string> m_html;
    std::optional<std::u16string> m_plainText;

    bool m_extensionIntraEmphasis = false;
    bool m_extensionTables = false;
    bool m_extensionFencedCode = false;
    bool m_extensionAutolink = false;
    bool m_extensionStrikethough = false;
    bool m_extensionUnderline = false;
    bool m_extensionSuperscript = false;
    bool m_extensionHighlight = false;
    bool m_extensionFootnotes = false;
    bool m_extensionQuote = false;
    bool m_extensionSmartyPants = false;
    bool m_htmlDetectFrontMatter = false;
    bool m_htmlTaskList = false;
    bool m_htmlHardWrap = false;
    bool m_htmlMathJax = false;
    bool m_htmlMathJaxInlineDollar = false;
    bool m_htmlSyntaxHighlighting = false;
    bool m_htmlLineNumbers = false;
    bool m_htmlRendersTOC = false;

    std::string m_htmlTemplateName;
    std::string m_htmlStyleName;
    std::string m_htmlHighlightingThemeName;
    std::int64_t m_htmlCodeBlockAccessory = 0;
    std::optional<URL> m_htmlDefaultDirectoryUrl;
};

} // namespace folio
