#pragma once

#include "documents/DocumentKind.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace folio {

// How much the editors and the PDF export take in and still finish within
// seconds. A document past them is refused at once, with the reason, rather
// than left to a window that never becomes editable or a print that times
// out; what else can be done with it goes on.
//
// The Markdown editor lays out every line of its text as it opens; the
// rich-text editor's page and a printed page are parsed and laid out whole;
// and a web page nested tens of thousands of lists deep never is.
class DocumentSizeLimits {
public:
    static constexpr const char* kErrorDomain = "DocumentSizeLimits";
    enum ErrorCode { TooManyLines = 1, TooManyCharacters = 2, PageTooLarge = 3, NestedTooDeep = 4, PrintTooLarge = 5 };

    static constexpr std::size_t kMostTextLines = 300'000;
    static constexpr std::size_t kMostTextCharacters = std::size_t(12) << 20;
    static constexpr std::size_t kMostRichTextPageBytes = std::size_t(64) << 20;
    static constexpr std::size_t kMostPageNesting = 5'000;
    static constexpr std::size_t kMostQVTextPageBytes = std::size_t(4) << 20;
    static constexpr std::size_t kMostQVOutlinePageBytes = std::size_t(1) << 20;
    static constexpr std::size_t kMostPrintPageBytes = std::size_t(64) << 20;

    // The text editors' text (Markdown, TeX). `path` names the file in the message.
    static Status checkEditorText(std::u16string_view text, const std::string& path);
    // The size of the rich-text editor's page, as written for the file.
    static Status checkRichTextPage(std::size_t pageBytes, const std::string& path);
    // The same for an estimate of the page made while the document is read
    // (EditingPageEstimate), so that a page too large is never made. An
    // estimate errs a little either way: only one clearly past the limit
    // refuses, and a page made after one a little past it is measured itself.
    static Status checkRichTextPageEstimate(std::size_t estimatedPageBytes, const std::string& path);
    static constexpr std::size_t kMostRichTextPageEstimate = kMostRichTextPageBytes + kMostRichTextPageBytes / 8;
    // A QV page's markup (UTF-8, pictures carried as data left out), which
    // its editor parses, cleans and lays out element by element as it
    // opens, at a cost that grows faster than the page: twice the limit
    // takes several times as long. The outline's tree costs more per byte.
    static Status checkQVPage(std::u16string_view page, DocumentKind kind, const std::string& path);
    // The page the PDF export prints, measured without the pictures it
    // carries as data, which cost their decoding, not the page's layout.
    static Status checkPrintPage(std::string_view page, const std::string& name);
    static std::size_t markupBytes(std::string_view page);
    // A web page's (UTF-8) deepest nesting of lists and quotations, which
    // every reader of the page lays out one inside the other.
    static Status checkPageNesting(std::string_view page, const std::string& path);
    static std::size_t deepestListNesting(std::string_view page);
};

} // namespace folio
