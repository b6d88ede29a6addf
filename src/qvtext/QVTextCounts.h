#pragma once

#include <cstdint>
#include <string>

namespace folio {

class PageConnection;

// The character and word counts the QV text editor shows above the page:
// of the whole text with a bare caret, of the selection when text is
// selected, as TinyMCE's word-count plug-in counts them (the whole text
// being the text the page shows). Answers that are
// not numbers count as 0.
struct QVTextCounts {
    std::int32_t totalCharsWithSpaces = 0;
    std::int64_t globalTotalWords = 0;

    static QVTextCounts read(PageConnection& page);

    // The whole text as the page shows it, for the counts and the tools that
    // read the text: the hidden header and footer and whatever else the page
    // does not show (its own bookkeeping elements) are no words of the text.
    static std::string shownTextScript();
    // "Chars %@ Words %@", localised.
    std::u16string bannerText() const;
};

} // namespace folio
