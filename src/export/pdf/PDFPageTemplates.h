#pragma once

#include "export/pdf/PDFColumns.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

struct ExportPreferences;

// How a Markdown document looks on paper and in its browser preview: the
// user's Markdown settings, in centimetres and CSS words.
struct MarkdownPageStyle {
    // The size of text when the settings hold none.
    static constexpr double kDefaultFontSize = 16;

    std::string fontFamily;
    double fontSize = 0;
    double marginTop = 0;
    double marginBottom = 0;
    double marginLeft = 0;
    double marginRight = 0;
    std::string alignment = "left";
    double lineHeight = 1.61;
    double firstLineIndent = 0;

    // Tablets use the Markdown margin settings; smaller screens always get the
    // narrow margins that fit them.
    static MarkdownPageStyle fromPreferences(const ExportPreferences& preferences, bool tabletClassDevice);
    // 1 center, 2 right, 3 justify, anything else left.
    static std::string alignmentWord(long long setting);
    // Line spacing scaled to CSS line height; an unset (0) spacing reads as 1.61.
    static double lineHeightForSpacing(double spacing);
};

// The pages a document's HTML is wrapped in before the off-screen web view
// prints it. Each document kind has its own: the rich-text page puts the side
// margins inside the content, the Markdown page applies the Markdown
// settings, and the two QV pages carry the editing component's content style
// so that printed QV documents look as they do in their editor.
class PDFPageTemplates {
public:
    PDFPageTemplates() = delete;

    // The script, run on a laid-out print page, that sets the tab after
    // each list label, and each tab of a paragraph with tab stops on its
    // stop and, past them or without any, on default stops every
    // `defaultInterval` points; with none (0), a tab of no stops keeps the
    // browser's width. The text is measured at
    // `textWidth` points, the width it prints at (0: as the page lays it).
    static std::string tabStopScript(double defaultInterval = 0, double textWidth = 0);
    // The script, run on a laid-out print page before the tabs are set, that
    // stands each paragraph a word processor's frame places where the frame
    // says, on paper `pageSize` points large with text `textWidth` points
    // wide, `leftMargin` and `topMargin` points from its edges.
    static std::string frameScript(const Size& pageSize, double textWidth, double leftMargin, double topMargin);
    // Lays the page out `zoom` times larger; its scripts go on measuring in
    // its own pixels.
    static std::string zoomScript(double zoom);
    // The script that sets each border of a laid-out print page to the
    // whole pixels nearest its width, which the page prints it in.
    static std::string borderWidthScript();
    // The script that sets each blank of a run of two or more wider, as word
    // processors print such runs of their RTF.
    static std::string blankRunScript();
    // The script that stands paragraphs of one style that leave out their
    // space between each other together, as the editing page shows them.
    static std::string contextualSpaceScript();
    // The script that adds the space after each paragraph to the space
    // before the next, as word processors space them, where the page takes
    // the larger of the two.
    static std::string paragraphSpacingScript();
    // The scripts, run on a laid-out rich-text print page, that answer the
    // settings of its section breaks (one a line, in the order of the text),
    // and that show only its sections `first` to `last` (counted from 0)
    // with their side margins (cm), those of `newPages` starting on a new
    // page and those of `nextColumns` in the next column, each in its
    // `columns` (first to last) on text `textSize` points large: "1" once
    // they are shown.
    static std::string sectionBreaksScript();
    static std::string showSectionsScript(std::size_t first, std::size_t last, double leftMargin, double rightMargin,
                                          const std::vector<std::size_t>& newPages,
                                          const std::vector<std::size_t>& nextColumns,
                                          const std::vector<PDFColumns>& columns, const Size& textSize);
    // The pixel size of the wholly transparent picture that marks, on a
    // shown part, where each of `sections` begins (after the last words of
    // the section before, moving nothing), and the scripts that set the
    // marks (answering how many were set), that answer "1" once their
    // pictures are ready to print, and that takes them out again.
    static constexpr int kSectionMarkWidth = 7;
    static constexpr int kSectionMarkHeight = 3;
    static std::string markSectionsScript(const std::vector<std::size_t>& sections);
    static std::string sectionMarksReadyScript();
    static std::string unmarkSectionsScript();
    // Whether words may be broken with a hyphen at the end of a line, in the
    // language of their text, or the user's first one where the text names
    // none.
    enum class Hyphenation { Manual, Automatic };
    // Rich text and any kind without its own page (side margins in cm).
    static std::string richTextPage(std::string_view fontRules, double leftMargin, double rightMargin,
                                    std::string_view html, Hyphenation hyphenation = Hyphenation::Manual);
    static std::string markdownPage(std::string_view fontRules, const MarkdownPageStyle& style,
                                    std::string_view html);
    static std::string qvTextPage(std::string_view fontRules, std::string_view html);
    static std::string qvOutlinePage(std::string_view fontRules, std::string_view html);
    // The browser preview of a Markdown file: the Markdown page without font
    // rules around the file's own text.
    static std::string markdownPreviewPage(const MarkdownPageStyle& style, std::string_view text);

    // Rich text on its paper colour, a colour the caller has checked.
    static std::string paperPage(std::string_view paperColor, std::string_view html);
    // QV content in a block of its page's body style, the style attribute's
    // text as the document's markup holds it.
    static std::string bodyStyleBlock(std::string_view style, std::string_view html);
    // Text shown as it stands, already escaped, its blanks and line breaks kept.
    static std::string plainTextBlock(std::string_view escapedText);
    // QV text content after the editing component's content style.
    static std::string qvTextContent(std::string_view fontRules, std::string_view html);

    // The editing component's default content style, and the outline page's
    // additions to it.
    static std::string qvTextRules();
    static std::string qvOutlineRules();
    // Page breaks the editors insert, as print breaks.
    static std::string pageBreakRule();

    // Numbers in CSS are written in the C locale whatever the user's locale.
    static std::string fixed(double value, int decimals);
};

} // namespace folio
