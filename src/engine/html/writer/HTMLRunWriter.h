#pragma once

#include "engine/html/writer/HTMLWriterContext.h"
#include "platform/foundation/Range.h"

#include <string>
#include <string_view>

namespace folio {

class AttributeDictionary;
class Font;
struct HTMLRunForm;
struct HTMLRunLook;

// Writes the attribute runs of one paragraph: links and anchors as a
// elements, run styles and HTML attributes as spans, attachments as their own
// elements, text escaped.
class HTMLRunWriter {
public:
    // `paragraphAttributes` are those of the element around the runs: a span
    // does not repeat what the element already says. `lineMultiple` is the
    // paragraph's spacing in single lines (0 for none), which a printed run
    // of its own font spaces its lines by.
    HTMLRunWriter(const HTMLWriterContext& context, Range paragraph, const HTMLAttributeMap& paragraphAttributes,
                  bool paragraphFontIsUniform, double lineMultiple = 0);

    void writeRuns(std::string& html);
    // Horizontal rules inside the paragraph.
    void writeRules(std::string& html, std::size_t count) const;

private:
    void writeRun(std::string& html, const AttributeDictionary& attributes, Range run);
    // The start tag of the run's span, or nothing where the run needs none.
    std::string spanStartTag(HTMLRunForm& form, const AttributeDictionary& attributes, Range run) const;
    // The text, with each no-break space of the document marked as its own.
    void appendTextMarkingNoBreakSpaces(std::string& html, std::u16string_view text, bool dropsPlaceholders);
    // The text of `run`, for the editing page: the blanks that end a line
    // stay seen and typed after.
    void appendTextKeepingBlanksEndingLines(std::string& html, std::u16string_view text, Range run);
    // Page breaks inside the paragraph, after its first character.
    void writePageBreaks(std::string& html, std::size_t count) const;
    // Starts the link or anchor of a run; answers whether the run opened one.
    bool openLink(const HTMLRunForm& form, Range run);
    // Notes where the stretch of runs of one link target that `run` ends
    // starts; every run of the paragraph passes here in turn.
    void followLinkTarget(const HTMLRunForm& form, Range run);
    // The stretch of the paragraph whose runs link to the same target as
    // `run`, which has the link.
    Range linkRangeInParagraph(const URLValue& link, Range run) const;
    void closeLinkIfEnded(std::string& html, Range run);
    // The CSS size of raised or lowered text of the font in print.
    std::string raisedTextSize(const Font* font) const;
    std::string runStyle(const HTMLRunLook& look) const;
    bool paragraphCarries(const std::string& name, const std::u16string& value) const;

    const HTMLWriterContext& m_context;
    Range m_paragraph;
    const HTMLAttributeMap& m_paragraphAttributes;
    bool m_paragraphFontIsUniform;
    double m_lineMultiple;
    // The link being written, kept inside the paragraph: an a element never
    // crosses the end of its paragraph's element.
    Range m_linkRange = NotFoundRange;
    bool m_linkElementOpen = false;
    HTMLAttributeMap m_linkAttributes;
    // The link of the run written last, and where the runs of its target
    // that end with it start.
    const URLValue* m_previousLink = nullptr;
    std::size_t m_sameTargetStart = 0;
};

} // namespace folio
