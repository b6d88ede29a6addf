#pragma once

#include "engine/html/writer/HTMLWriterContext.h"

#include <optional>
#include <string>

namespace folio {

class AttributeValue;

// Writes the attachments of the text: pictures, footnotes and comments.
class HTMLAttachmentWriter {
public:
    // The HTML standing for the attachment, or nothing when it is not
    // written in this output (comments in print and ePub, kinds that do not
    // write themselves).
    // `fontCSS` is that of the text the attachment stands in.
    static std::optional<std::u16string> htmlForAttachment(const AttributeValue& attachment,
                                                           const HTMLWriterContext& context,
                                                           const std::string& fontCSS = {});
};

} // namespace folio
