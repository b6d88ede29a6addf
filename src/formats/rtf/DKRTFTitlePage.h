#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// What a document's title page prints. Folio edits one header and one
// footer; a title page's own ("{\headerf ...}", "{\footerf ...}"), and
// "\titlepg" where the document's first section has one, are kept as the
// file gave them beside it (DKRTFPageSettings' other header and footer
// forms). This reads them back for the pages.
class DKRTFTitlePage {
public:
    struct Heads {
        // The first page of the document is a title page.
        bool firstSectionHasTitlePage = false;
        // The title page's header and footer as Folio's "::"-joined
        // settings, half an inch from the paper's edge; nothing where the
        // document has none.
        std::optional<std::string> header;
        std::optional<std::string> footer;
    };

    DKRTFTitlePage() = delete;

    static Heads read(std::string_view otherForms);
};

} // namespace folio
