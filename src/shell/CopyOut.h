#pragma once

#include "documents/DocumentKind.h"
#include "platform/foundation/Error.h"

#include <memory>
#include <string>

namespace folio {

class AlertController;
class ExportSource;
class Pasteboard;
struct EditorContent;

// Copies the open document out as plain text or as HTML source, for pasting
// into other programs, and says so in an alert.
class CopyOut {
public:
    enum class Format { PlainText, HTML };

    CopyOut() = delete;

    // Puts the open editor's content on the pasteboard as UTF-8 text (its
    // plain text, else its source, or its body's HTML) and answers the alert
    // to present. An outline's goes without its branches' drag handles, its
    // text read from that HTML rather than from what the page shows.
    static std::shared_ptr<AlertController> copyFromContent(const EditorContent& content, DocumentKind kind,
                                                            Format format, Pasteboard& pasteboard);
    // The same for a document file (the command line's copy).
    static Result<std::u16string> copyFromFile(const ExportSource& source, Format format, Pasteboard& pasteboard);

    // The copied text: without the placeholder character U+FEFF that marks
    // pictures and list prefixes.
    static std::u16string cleanedText(std::u16string_view text);
    static std::shared_ptr<AlertController> confirmationAlert(Format format);
};

} // namespace folio
