#pragma once

#include "engine/html/reader/TEHTMLReaderOptions.h"
#include "engine/html/writer/HTMLPageLanguages.h"
#include "formats/rtf/DKRTFDocumentSettings.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Error.h"
#include "platform/text/MutableAttributedString.h"

#include <memory>
#include <string>
#include <string_view>

namespace folio {

// The conversions a rich-text document goes through: it opens as RTF, then
// attributed text, then HTML for the editor's page; it saves as the page's
// HTML, then attributed text, then RTF.
class RichTextConverter {
public:
    static constexpr const char* kErrorDomain = "RichTextConverter";
    enum ErrorCode { ConversionFailed = 1 };

    virtual ~RichTextConverter() = default;

    // RTF read from its source: its attributed text, page settings and paper
    // colour. A file's bytes stay bytes so that "\bin" counts them as the
    // writer did, whatever its code page makes of them.
    // A watch, when given, looks at the text as it is read and may stop the
    // read (DKRTFReadWatch).
    virtual Result<DKRTFReadResult> readRTF(const DKRTFReaderSource& rtf, const std::string& documentName,
                                            const DKRTFReadWatch* watch) = 0;
    Result<DKRTFReadResult> readRTF(const DKRTFReaderSource& rtf, const std::string& documentName)
    {
        return readRTF(rtf, documentName, nullptr);
    }
    // An HTML fragment for the editor's page, in UTF-8 as the page takes it:
    // not for print, no page margins, pictures referenced by file rather than
    // embedded, not for ePub.
    virtual Result<std::string> htmlFragmentFromAttributedString(const AttributedString& text,
                                                                    const std::string& fileName) = 0;
    // The fragment the editor's page shows, whose runs say their languages
    // only where they differ from those the page says once around the text.
    struct EditingPage {
        std::string html;
        HTMLPageLanguages languages;
    };
    virtual Result<EditingPage> editingPageFromAttributedString(const AttributedString& text, const std::string& fileName)
    {
        Result<std::string> html = htmlFragmentFromAttributedString(text, fileName);
        if (!html)
            return html.error();
        return EditingPage{std::move(*html), {}};
    }
    // HTML as UTF-8 bytes to attributed text.
    virtual Result<MutableAttributedString> attributedStringFromHTML(std::string_view html) = 0;
    // The RTF bytes of the text; the document's paper colour, margins and page
    // header and footer ride as attributes on its first character, and the
    // document says whether it is a new blank one.
    virtual Result<std::string> rtfFromAttributedString(const AttributedString& text, const std::string& documentName,
                                                        BlankDocument blank) = 0;
    // The same for a document that is not a new blank one.
    Result<std::string> rtfFromAttributedString(const AttributedString& text, const std::string& documentName)
    {
        return rtfFromAttributedString(text, documentName, BlankDocument::No);
    }

    // The conversions of this build's engine; HTML is read with the options.
    static std::shared_ptr<RichTextConverter> engineConverter(TEHTMLReaderOptions HTMLOptions = {});
};

} // namespace folio
