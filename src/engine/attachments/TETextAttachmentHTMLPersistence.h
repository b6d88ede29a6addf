#pragma once

#include <optional>
#include <string>

namespace folio {

class TEFootnoteCounter;

// Attachments that write themselves back into HTML. The footnote counter of
// the current writer pass is handed in, since only that pass knows which
// number the next note gets.
class TETextAttachmentHTMLPersistence {
public:
    virtual ~TETextAttachmentHTMLPersistence() = default;

    // The element for the editing page; nothing when the attachment is not
    // written this way (pictures need a file name, see their own writer).
    virtual std::optional<std::u16string> stringByEncodingAsHTML(TEFootnoteCounter& footnotes) const = 0;
};

} // namespace folio
