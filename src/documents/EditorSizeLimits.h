#pragma once

#include "platform/foundation/Error.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace folio {

// How much the editors take in and still open within seconds and answer
// keys. A document past them is refused at once, with the reason, rather
// than left to a window that never becomes editable; its exports go on.
//
// The Markdown editor lays out every line of its text as it opens; the
// rich-text editor's page is parsed whole before it takes a key; and a web
// page nested tens of thousands of lists deep is never laid out at all.
class EditorSizeLimits {
public:
    static constexpr const char* kErrorDomain = "EditorSizeLimits";
    enum ErrorCode { TooManyLines = 1, TooManyCharacters = 2, PageTooLarge = 3, NestedTooDeep = 4 };

    static constexpr std::size_t kMostTextLines = 300'000;
    static constexpr std::size_t kMostTextCharacters = std::size_t(12) << 20;
    static constexpr std::size_t kMostRichTextPageBytes = std::size_t(64) << 20;
    static constexpr std::size_t kMostPageNesting = 5'000;

    // The text editors' text (Markdown, TeX). `path` names the file in the message.
    static Status checkEditorText(std::u16string_view text, const std::string& path);
    // The size of the rich-text editor's page, as written for the file.
    static Status checkRichTextPage(std::size_t pageBytes, const std::string& path);
    // A web page's deepest nesting of lists and quotations, which every
    // reader of the page lays out one inside the other.
    static Status checkPageNesting(std::u16string_view page, const std::string& path);
    static std::size_t deepestListNesting(std::u16string_view page);
};

} // namespace folio
