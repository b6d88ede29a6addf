#pragma once

#include <cstddef>
#include <string_view>

namespace folio {

// Looks through text for the first byte (or UTF-16 unit) of a kind sixteen
// bytes at a time, with the vector unit every x86-64 processor has: the
// writers and filters of documents look through megabytes of text in which
// such bytes are rare.
class ByteScan {
public:
    ByteScan() = delete;

    // The index of the first byte at or after `from` that is one of `bytes`
    // (at most eight of them); the text's length when there is none.
    static std::size_t firstOf(std::string_view text, std::size_t from, std::string_view bytes);
    // The index of the first byte at or after `from` that is a control
    // character other than tab and line feed, DEL, a byte beyond ASCII, or
    // one of `bytes` (at most eight); the text's length when there is none.
    static std::size_t firstNotPlainOrOf(std::string_view text, std::size_t from, std::string_view bytes);
    // How many units at the start of `text` are printable ASCII (space to
    // tilde) and none of `reserved` (at most eight); they are narrowed into
    // `out`, which has room for the whole text, as they are counted.
    static std::size_t narrowPrintableASCII(std::u16string_view text, std::string_view reserved, char* out);
};

} // namespace folio
