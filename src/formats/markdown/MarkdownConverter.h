#pragma once

#include <memory>
#include <string>

namespace folio {

// The Markdown converter as the exports and copy-out use it. The converter
// itself lives in a layer above the documents, so the application registers
// it here at start-up.
class MarkdownConverter {
public:
    virtual ~MarkdownConverter() = default;

    // A line feed, then the rendered HTML with typographic punctuation.
    virtual std::u16string html(const std::u16string& markdown) = 0;
    // The same HTML in UTF-8; a converter that writes UTF-8 answers it
    // without converting twice.
    virtual std::string utf8HTML(const std::u16string& markdown);
    // The same of a text in UTF-8, for a file read as it stands.
    virtual std::string utf8HTMLOfUTF8(std::string markdown);
    // The text without markup, entities decoded.
    virtual std::u16string plainText(const std::u16string& markdown) = 0;

    // Null until the application registers one.
    static std::shared_ptr<MarkdownConverter> shared();
    static void setShared(std::shared_ptr<MarkdownConverter> converter);
};

} // namespace folio
