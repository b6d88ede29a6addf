#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// What a document's title pages print. Folio edits one header and one
// footer; a title page's own ("{\headerf ...}", "{\footerf ...}") in each
// section, and "\titlepg" where the document's first section has one, are
// kept as the file gave them beside it (DKRTFPageSettings' other header and
// footer forms). This reads them back for the pages.
class DKRTFTitlePage {
public:
    struct Heads {
        // The first page of the document is a title page.
        bool firstSectionHasTitlePage = false;
        // The title page's header and footer as Folio's "::"-joined
        // settings, as far from the paper's edge as the forms say
        // ("\headery", "\footery"), else half an inch; nothing where the
        // document has none.
        std::optional<std::string> header;
        std::optional<std::string> footer;
        // The title page's own of later sections that give theirs, by the
        // file's section they were read in (the break's `fileSection`); a
        // section that gives none takes the one before it.
        std::map<std::size_t, std::string> laterHeaders;
        std::map<std::size_t, std::string> laterFooters;
    };

    DKRTFTitlePage() = delete;

    static Heads read(std::string_view otherForms);
    // How far from the paper's edge (twips) the forms place the first
    // section's headers (`word` "\headery") or footers ("\footery"):
    // half an inch where they do not say, or say nonsense.
    static int distanceTwips(std::string_view otherForms, std::string_view word);
    // The forms without their distance from the paper's edge for headers
    // ("\headery") or footers ("\footery"): the section has one distance,
    // which the header Folio edits, once written, gives.
    static std::string withoutDistance(std::string_view otherForms, std::string_view word);
};

} // namespace folio
