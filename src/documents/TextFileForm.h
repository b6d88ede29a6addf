#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace folio {

// How a text file writes what it holds: the byte-order mark it starts with
// and the line end it uses. A text document is edited with line feeds only
// and saved back in its file's own form, so that a file made on another
// system keeps its mark and line ends, and lines the user adds end as the
// file's other lines do.
class TextFileForm {
public:
    static constexpr const char* kErrorDomain = "TextFileForm";
    enum ErrorCode { Unencodable = 1 };

    struct ByteOrderMark {
        std::span<const std::uint8_t> bytes;
        const char* encoding;
    };

    // A new file: UTF-8 without a mark, line feeds.
    TextFileForm() = default;

    // The form of a file from its bytes and their decoded text. A file that
    // mixes line ends is written back with the first one it uses.
    static TextFileForm of(std::span<const std::uint8_t> bytes, std::u16string_view text);

    // The mark the bytes start with. The UTF-32 little-endian mark starts
    // like the UTF-16 one, so it is tried first.
    static std::optional<ByteOrderMark> byteOrderMarkOf(std::span<const std::uint8_t> bytes);

    // The text as the editor holds it: a mark decoded into the text dropped,
    // every CR LF and lone CR made a line feed.
    static std::u16string editableText(std::u16string_view text);

    // The file's bytes for edited text: the mark, the text in the mark's
    // encoding (UTF-8 without one), every line feed written as the file's
    // line end. A character the encoding cannot hold is an error, never
    // dropped.
    Result<Data> bytes(std::u16string_view text) const;

    const std::optional<ByteOrderMark>& byteOrderMark() const { return m_mark; }
    const std::u16string& lineEnd() const { return m_lineEnd; }

private:
    std::optional<ByteOrderMark> m_mark;
    std::u16string m_lineEnd = u"\n";
};

} // namespace folio
