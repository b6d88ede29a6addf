#pragma once

#include <string>
#include <string_view>

namespace folio {

class CodeSpanIndex;

// lowdown's parse tree forgets two things the converter's output depends on: whether an
// emphasis was written with a single underscore (which renders as underline), and that a
// header needs a blank after its "#" signs. The pre-pass writes marks into the source so
// that the tree carries both: an underline mark right after an opening "_", and a line
// mark before a "#" run that is not followed by a blank, which stops lowdown from reading
// the line as a header. The renderers remove every mark from what they write.
//
// The marks are Unicode noncharacters, which are set aside for a program's internal use;
// the pre-pass picks two that the source does not contain, so removing them can never
// lose a character of the user's text.
class MarkdownPrepass {
public:
    MarkdownPrepass(bool marksUnderline, bool requiresHeaderSpace);

    // The marked source. When the source already holds every candidate noncharacter the
    // text is given back unmarked and `marksActive()` answers false.
    std::string apply(std::string_view source);

    bool marksActive() const { return m_marksActive; }

    // lowdown looks for the end of a link from every "[" and so takes time
    // that grows with the square of a long run of brackets that never
    // close. Such brackets can start no link; escaped, they read as the same
    // text and cost the parser nothing. Runs shorter than this are left as
    // written, so code that holds a stray bracket shows no backslash.
    static constexpr std::size_t kLongBracketRun = 16;
    // The text comes back as it went in, not copied, when nothing is escaped.
    static std::string escapingUnmatchedBracketRuns(std::string source);
    // How many "[" no "]" closes; escaped brackets count for nothing.
    static std::size_t unmatchedBracketCount(std::string_view source);

    // The text without either mark (the text itself when no marks are active).
    std::string removeMarks(std::string_view text) const;
    bool containsMarks(std::string_view text) const;
    bool startsWithUnderlineMark(std::string_view text) const;

private:
    bool chooseMarks(std::string_view source);
    bool needsLineMark(std::string_view content) const;
    // `lineOffset` is where `line` starts in the source, for looking ahead.
    void markInline(std::string_view line, std::size_t lineOffset, const CodeSpanIndex& codeSpans, std::string& out);

    bool m_marksUnderline;
    bool m_requiresHeaderSpace;
    bool m_marksActive = false;
    std::string m_underlineMark;
    std::string m_lineMark;

    // Inline state carried from line to line within a paragraph, so that code spans,
    // tags and link destinations that wrap keep their underscores unmarked.
    std::size_t m_codeSpanTicks = 0;
    bool m_inTag = false;
    int m_linkDestinationDepth = 0;
};

} // namespace folio
