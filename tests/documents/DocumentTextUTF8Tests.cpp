#include "documents/DocumentText.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string packed(std::string_view page)
{
    Result<Data> data = Deflate::compress(bytesOf(page), 6, Deflate::Framing::Raw);
    return data ? data->toString() : std::string();
}

// The text in UTF-8 as it stands is the decoded text's, byte for byte,
// wherever it is answered; and it is left to decode for every file whose
// text is not simply its bytes.
TEST(DocumentTextUTF8, answersTheDecodedTextWhereTheFileHoldsItAsItStands)
{
    struct Case {
        std::string bytes;
        DocumentKind kind;
        bool asItStands;
    };
    const std::string page = "<p>caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xF0\x9F\x98\x80</p>";
    const Case cases[] = {
        {"# Head\n\ncaf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80\r\n", DocumentKind::Markdown, true},
        {"", DocumentKind::Markdown, true},
        {"\\section{Words}\n", DocumentKind::TeX, true},
        // Windows-1252, UTF-8 and UTF-16 with their marks, a cut character.
        {"caf\xE9 \x93q\x94", DocumentKind::Markdown, false},
        {"\xEF\xBB\xBFmarked", DocumentKind::Markdown, false},
        {std::string("\xFF\xFEh\0i\0", 6), DocumentKind::Markdown, false},
        {"cut \xE2\x82", DocumentKind::TeX, false},
        // RTF may be in a code page it declares.
        {"{\\rtf1 caf\xC3\xA9}", DocumentKind::RTF, false},
        {packed(page), DocumentKind::QVText, true},
        {packed(page), DocumentKind::QVOutline, true},
        {"", DocumentKind::QVText, true},
        {packed("caf\xE9"), DocumentKind::QVText, false},
        {"not deflated at all", DocumentKind::QVText, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.bytes);
        const std::optional<std::string> utf8 = DocumentText::textAsUTF8(bytesOf(test.bytes), test.kind);
        EXPECT_EQ(utf8.has_value(), test.asItStands);
        if (!utf8)
            continue;
        Result<std::u16string> decoded = DocumentText::decode(bytesOf(test.bytes), test.kind, "file");
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(*utf8, toUtf8(*decoded));
    }
    EXPECT_EQ(DocumentText::textAsUTF8(bytesOf(packed(page)), DocumentKind::QVText), page);
}

} // namespace
} // namespace folio
