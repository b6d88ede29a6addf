#pragma once

#include <cstddef>
#include <string>

namespace folio {

class AttributedString;
class RichTextConverter;

// The size of the rich-text editor's page for a text that is still being
// read, estimated as the text grows: every stretch of kStretchLength
// characters counts as the page of a sample at its start, scaled to the
// stretch's length. Writing the whole page of a document too long for the
// editor takes about as long as reading it; the samples take a small part
// of that, so the reading can stop as soon as the page is known to be too
// large. Samples spread through the text follow its paragraphs where their
// look changes on the way.
class EditingPageEstimate {
public:
    static constexpr std::size_t kStretchLength = std::size_t(64) << 10;
    // The longest sample, in characters.
    static constexpr std::size_t kSampleLength = std::size_t(4) << 10;

    // Pages are written by `converter`, which must outlive the estimate.
    EditingPageEstimate(RichTextConverter& converter, std::string fileName);

    // Counts what `text` has grown by since the last call (the same text,
    // grown at its end, every time) and answers the estimated page bytes of
    // the whole of it.
    std::size_t grownTo(const AttributedString& text);
    std::size_t pageBytes() const { return m_pageBytes; }

private:
    // The estimated page bytes of the text's characters [start, end).
    double stretchPageBytes(const AttributedString& text, std::size_t start, std::size_t end);

    RichTextConverter& m_converter;
    std::string m_fileName;
    std::size_t m_countedLength = 0;
    double m_countedPageBytes = 0;
    std::size_t m_pageBytes = 0;
};

} // namespace folio
