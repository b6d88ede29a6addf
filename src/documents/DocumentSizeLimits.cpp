#include "documents/DocumentSizeLimits.h"

#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>

namespace folio {

namespace {

Error limitError(DocumentSizeLimits::ErrorCode code, std::string message)
{
    return Error{DocumentSizeLimits::kErrorDomain, code, std::move(message)};
}

std::string megabytes(std::size_t bytes)
{
    return std::to_string((bytes + (std::size_t(1) << 19)) >> 20) + " MiB";
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `page` names `name` as a whole element name at `at`.
bool namesElement(std::string_view page, std::size_t at, std::string_view name)
{
    if (page.size() - at < name.size())
        return false;
    for (std::size_t index = 0; index < name.size(); ++index)
        if (lowered(page[at + index]) != name[index])
            return false;
    const std::size_t end = at + name.size();
    if (end == page.size())
        return true;
    const char next = page[end];
    return next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\n' || next == '\r' || next == '\f';
}

} // namespace

Status DocumentSizeLimits::checkEditorText(std::u16string_view text, const std::string& path)
{
    if (text.size() > kMostTextCharacters)
        return limitError(TooManyCharacters, path + " holds more than " + megabytes(kMostTextCharacters)
                                                 + " of text, more than the editor opens; it can still be exported");
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) + 1;
    if (lines > kMostTextLines)
        return limitError(TooManyLines, path + " holds " + std::to_string(lines) + " lines, more than the "
                                            + std::to_string(kMostTextLines)
                                            + " the editor opens; it can still be exported");
    return Status::success();
}

Status DocumentSizeLimits::checkRichTextPage(std::size_t pageBytes, const std::string& path)
{
    if (pageBytes > kMostRichTextPageBytes)
        return limitError(PageTooLarge, path + " makes an editing page of " + megabytes(pageBytes) + ", more than the "
                                            + megabytes(kMostRichTextPageBytes)
                                            + " the editor opens; it can still be exported");
    return Status::success();
}

Status DocumentSizeLimits::checkRichTextPageEstimate(std::size_t estimatedPageBytes, const std::string& path)
{
    if (estimatedPageBytes > kMostRichTextPageEstimate)
        return limitError(PageTooLarge, path + " makes an editing page of over " + megabytes(estimatedPageBytes)
                                            + ", more than the " + megabytes(kMostRichTextPageBytes)
                                            + " the editor opens; it can still be exported");
    return Status::success();
}

Status DocumentSizeLimits::checkQVPage(std::u16string_view page, DocumentKind kind, const std::string& path)
{
    const std::size_t most = kind == DocumentKind::QVOutline ? kMostQVOutlinePageBytes : kMostQVTextPageBytes;
    // No UTF-16 unit takes more than three bytes of UTF-8: a page that short
    // fits without being converted.
    if (page.size() <= most / 3)
        return Status::success();
    std::string utf8;
    appendUtf8(utf8, page);
    if (const std::size_t pageBytes = markupBytes(utf8); pageBytes > most)
        return limitError(PageTooLarge, path + " holds a page of " + megabytes(pageBytes) + ", more than the "
                                            + megabytes(most) + " the editor opens; it can still be exported");
    return Status::success();
}

Status DocumentSizeLimits::checkPrintPage(std::string_view page, const std::string& name)
{
    if (page.size() <= kMostPrintPageBytes)
        return Status::success();
    if (const std::size_t pageBytes = markupBytes(page); pageBytes > kMostPrintPageBytes)
        return limitError(PrintTooLarge, name + " makes a printed page of " + megabytes(pageBytes) + ", more than the "
                                             + megabytes(kMostPrintPageBytes)
                                             + " a PDF is made from in reasonable time; export it as HTML or in parts");
    return Status::success();
}

std::size_t DocumentSizeLimits::markupBytes(std::string_view page)
{
    std::size_t pictureBytes = 0;
    for (const char quote : {'"', '\''}) {
        const std::string opening = std::string("src=") + quote + "data:";
        for (std::size_t at = page.find(opening); at != std::string_view::npos; at = page.find(opening, at)) {
            const std::size_t start = at + opening.size();
            const std::size_t end = std::min(page.find(quote, start), page.size());
            pictureBytes += end - start;
            at = end;
        }
    }
    return page.size() - pictureBytes;
}

Status DocumentSizeLimits::checkPageNesting(std::string_view page, const std::string& path)
{
    if (std::size_t depth = deepestListNesting(page); depth > kMostPageNesting)
        return limitError(NestedTooDeep, path + " nests lists " + std::to_string(depth) + " deep, more than the "
                                             + std::to_string(kMostPageNesting) + " a page can show");
    return Status::success();
}

std::size_t DocumentSizeLimits::deepestListNesting(std::string_view page)
{
    static constexpr std::array<std::string_view, 4> kNested = {"ul", "ol", "dl", "blockquote"};
    std::size_t depth = 0;
    std::size_t deepest = 0;
    for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1)) {
        const bool closes = at + 1 < page.size() && page[at + 1] == '/';
        const std::size_t name = at + (closes ? 2 : 1);
        const bool nested = std::any_of(kNested.begin(), kNested.end(),
                                        [&](std::string_view element) { return namesElement(page, name, element); });
        if (!nested)
            continue;
        if (closes) {
            depth -= depth > 0 ? 1 : 0;
        } else {
            deepest = std::max(deepest, ++depth);
        }
    }
    return deepest;
}

} // namespace folio
