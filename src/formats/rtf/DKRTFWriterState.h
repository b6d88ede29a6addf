#pragma once

#include "formats/rtf/DKRTFCharacterMarks.h"
#include "formats/rtf/DKRTFScriptMarks.h"
#include "platform/text/PlatformParagraphStyle.h"

#include <cstdint>
#include <vector>

namespace folio {

// The last value written of every paragraph and character property, so that
// the writer emits a control word only when the value changes. It lives for
// one document pass and only moves forward.
struct DKRTFWriterState {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    // Half points.
    std::int32_t fontSize = -1;
    // -1 while nothing has been written: the first run writes everything.
    std::int32_t fontIndex = -1;

    // List bookkeeping: the current "\ls" number, the number of lists + 1,
    // how many list markers were opened since the last list end (-1 after
    // one), and whether a "{\listtext" group or a list's last paragraph is open.
    std::int32_t listIndex = 1;
    std::int32_t listCount = 0;
    std::int32_t listPrefixIndex = -1;
    std::int32_t isPrefixIndex = 0;
    std::int32_t previousWasList = 0;

    std::int32_t isFootnoteTable = 0;
    std::int32_t previousWasFootnoteTable = 0;

    // Registered colour numbers; the background starts at "no colour", which
    // a run without a background also asks for, so none is written until one
    // is present.
    std::int32_t foregroundColorIndex = -1;
    std::int32_t backgroundColorIndex = 0;
    // The underline's colour: 0, the text's, until one is written.
    std::int32_t underlineColorIndex = 0;
    std::uint32_t underline = 0;
    std::uint32_t link = 0;
    std::int32_t superscript = 0;
    // Twips between letters.
    std::int32_t characterSpacing = 0;
    // Languages and letter effects.
    DKRTFCharacterMarks characterMarks;
    // Direction and complex-script fonts.
    DKRTFScriptMarks scriptMarks;
    // The paragraph shading in force, as TEShading's text; empty for none.
    std::string paragraphShading;
    // The paragraph borders written last, as TEParagraphBorders::text() gives them.
    std::string paragraphBorders;
    // The frame's words written last (TEParagraphFrame); only "\pard" ends them.
    std::string paragraphFrame;
    // "\pagebb" in force: 1 on. Word and LibreOffice take no "\pagebb0",
    // only "\pard" ends it.
    std::int32_t pageBreakBefore = 0;

    // Starts at left alignment and left-to-right, while text without a style
    // is natural: the first paragraph always writes its alignment.
    std::int32_t alignment = 0;
    std::int32_t direction = 0;
    std::int32_t firstLineIndent = 0;
    std::int32_t leftIndent = 0;
    std::int32_t rightIndent = 0;
    // "\sl" as written, and whether it is a multiple ("\slmult1", 1).
    std::int32_t lineSpacing = 240;
    std::int32_t lineSpacingIsMultiple = 1;
    std::int32_t paragraphSpacing = 0;
    std::int32_t paragraphSpacingBefore = 0;
    // The tab stops in force: RTF adds stops paragraph by paragraph and only
    // "\pard" takes them away again.
    std::vector<TextTab> tabStops;
    // "\keepn" and "\keep" in force: 1 on, 0 off, and unknown after a
    // style was named, which may carry them. Like tab stops they have no
    // word that ends them: only "\pard" does.
    std::int32_t keepWithNext = 0;
    std::int32_t keepTogether = 0;
    // "\widctlpar" in force, which "\nowidctlpar" ends; unknown likewise.
    std::int32_t widowControl = 0;
    // The outline level in force, 1 to 9, 0 for body text: like the keeps,
    // only "\pard" goes back to body text. Unknown after a style.
    std::int32_t outlineLevel = 0;
    // "\hyphpar0" in force (1), which "\hyphpar" ends; unknown likewise.
    std::int32_t noHyphenation = 0;
    // "\contextualspace" in force (1): like the keeps, only "\pard" ends it.
    // Unknown after a style.
    std::int32_t contextualSpacing = 0;

    // The paragraph style named last; -1 while none is (and after "\pard",
    // which goes back to the default style in some readers and not in others).
    std::int32_t paragraphStyle = -1;
    // The character style named last, -1 for none; and whether the
    // character formatting since is the style's, unknown to the writer, so
    // that every property must be written, switched off ones too.
    std::int32_t characterStyle = -1;
    bool characterFormattingUnknown = false;
};

} // namespace folio
