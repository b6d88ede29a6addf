// Feeds arbitrary bytes to the QV reader as a QV text file would hold them:
// raw DEFLATE around a UTF-8 page. Any input must read or be refused without
// a crash, a hang, a sanitizer report or unbounded memory; a page that reads
// must pass the HTML sanitiser and give its plain text.
#include "documents/DocumentText.h"
#include "engine/html/HTMLSanitizer.h"
#include "formats/html/HTMLPlainText.h"
#include "platform/foundation/Unicode.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace folio;
    Result<std::u16string> page = DocumentText::decode(std::span(data, size), DocumentKind::QVText, "fuzz.qvtext");
    if (!page)
        return 0;
    std::string html = toUtf8(*page);
    std::string clean = HTMLSanitizer::sanitizedHTML(html);
    (void)HTMLPlainText::plainText(clean);
    return 0;
}
