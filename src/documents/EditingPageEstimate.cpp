#include "documents/EditingPageEstimate.h"

#include "formats/rtf/RichTextConverter.h"
#include "platform/text/MutableAttributedString.h"

#include <algorithm>

namespace folio {

EditingPageEstimate::EditingPageEstimate(RichTextConverter& converter, std::string fileName)
    : m_converter(converter)
    , m_fileName(std::move(fileName))
{
}

std::size_t EditingPageEstimate::grownTo(const AttributedString& text)
{
    const std::size_t end = text.length();
    while (m_countedLength < end) {
        const std::size_t stretchEnd = std::min(end, m_countedLength + kStretchLength);
        m_countedPageBytes += stretchPageBytes(text, m_countedLength, stretchEnd);
        m_countedLength = stretchEnd;
    }
    m_pageBytes = static_cast<std::size_t>(m_countedPageBytes);
    return m_pageBytes;
}

double EditingPageEstimate::stretchPageBytes(const AttributedString& text, std::size_t start, std::size_t end)
{
    // A sample starts with a whole paragraph, whose markup opens it, when
    // one starts in the first part of the stretch.
    std::size_t sampleStart = start;
    if (start > 0 && end - start > kSampleLength) {
        const std::size_t lineEnd = text.string().find(u'\n', start - 1);
        if (lineEnd < end - kSampleLength)
            sampleStart = lineEnd + 1;
    }
    const std::size_t sampleEnd = std::min(end, sampleStart + kSampleLength);
    Result<AttributedString> read = text.attributedSubstringFromRange(Range{sampleStart, sampleEnd - sampleStart});
    if (!read)
        return 0;
    // A text still being read holds runs not yet merged with their equal
    // neighbours, which the page writes as one.
    MutableAttributedString sample(std::move(*read));
    sample.beginEditing();
    sample.endEditing();
    Result<RichTextConverter::EditingPage> page = m_converter.editingPageFromAttributedString(sample, m_fileName);
    if (!page)
        return 0;
    return static_cast<double>(page->html.size()) * static_cast<double>(end - start)
           / static_cast<double>(sampleEnd - sampleStart);
}

} // namespace folio
