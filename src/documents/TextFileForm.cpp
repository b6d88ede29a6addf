#include "documents/TextFileForm.h"

#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>

namespace folio {

namespace {

constexpr std::uint8_t k32LE[] = {0xFF, 0xFE, 0x00, 0x00};
constexpr std::uint8_t k32BE[] = {0x00, 0x00, 0xFE, 0xFF};
constexpr std::uint8_t k16LE[] = {0xFF, 0xFE};
constexpr std::uint8_t k16BE[] = {0xFE, 0xFF};
constexpr std::uint8_t k8[] = {0xEF, 0xBB, 0xBF};

constexpr char16_t kDecodedMark = u'\uFEFF';

} // namespace

std::optional<TextFileForm::ByteOrderMark> TextFileForm::byteOrderMarkOf(std::span<const std::uint8_t> bytes)
{
    static const ByteOrderMark kMarks[] = {
        {k32LE, "UTF-32LE"}, {k32BE, "UTF-32BE"}, {k16LE, "UTF-16LE"}, {k16BE, "UTF-16BE"}, {k8, "UTF-8"}};
    for (const ByteOrderMark& candidate : kMarks) {
        if (bytes.size() >= candidate.bytes.size() && std::equal(candidate.bytes.begin(), candidate.bytes.end(), bytes.begin()))
            return candidate;
    }
    return std::nullopt;
}

TextFileForm TextFileForm::of(std::span<const std::uint8_t> bytes, std::u16string_view text)
{
    TextFileForm form;
    form.m_mark = byteOrderMarkOf(bytes);
    std::size_t end = text.find_first_of(u"\r\n");
    if (end != std::u16string_view::npos && text[end] == u'\r')
        form.m_lineEnd = end + 1 < text.size() && text[end + 1] == u'\n' ? u"\r\n" : u"\r";
    return form;
}

std::u16string TextFileForm::editableText(std::u16string_view text)
{
    if (!text.empty() && text.front() == kDecodedMark)
        text.remove_prefix(1);
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            result += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

Result<Data> TextFileForm::bytes(std::u16string_view text) const
{
    std::u16string lines;
    if (m_lineEnd == u"\n") {
        lines = text;
    } else {
        lines.reserve(text.size() + text.size() / 16);
        for (char16_t unit : text) {
            if (unit == u'\n')
                lines += m_lineEnd;
            else
                lines += unit;
        }
    }
    if (!m_mark)
        return Data::fromString(toUtf8(lines));
    std::optional<std::string> encoded = dataUsingEncoding(lines, StringEncoding::named(m_mark->encoding));
    if (!encoded)
        return Error{kErrorDomain, Unencodable,
                     std::string("The text holds a character that cannot be written as ") + m_mark->encoding};
    std::string file(reinterpret_cast<const char*>(m_mark->bytes.data()), m_mark->bytes.size());
    file += *encoded;
    return Data::fromString(file);
}

} // namespace folio
