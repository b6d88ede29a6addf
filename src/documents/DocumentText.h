#pragma once

#include "documents/DocumentKind.h"
#include "formats/rtf/DKRTFReaderSource.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace folio {

// The one way a document file's text is read and decoded: the document opens
// with it and every export reads with it, so whatever opens also exports.
//
// Text with a UTF-16 or UTF-32 byte-order mark: that encoding. Otherwise
// plain text, Markdown and TeX: UTF-8, else Windows-1252. RTF: the same, then
// the encoding its bytes show. QV text and outline: UTF-8 HTML inflated from
// raw DEFLATE; an empty file is an empty page.
class DocumentText {
public:
    static constexpr const char* kErrorDomain = "DocumentText";
    enum ErrorCode { Undecodable = 1, Damaged = 2, TooLarge = 3 };
    // No real QV page comes near this; a file that unpacks to more is a bomb.
    static constexpr std::size_t kMaximumQVPageSize = std::size_t(64) << 20;
    // Writing is measured in megabytes; a file past this is refused by its
    // size, before it is read, since decoding it would take several times
    // its size in memory.
    static constexpr std::uintmax_t kMaximumFileSize = std::uintmax_t(256) << 20;

    DocumentText() = delete;

    // A file that cannot be read answers the file system's error; one past
    // kMaximumFileSize answers TooLarge.
    static Result<std::u16string> read(const std::string& path, DocumentKind kind);
    // The file's bytes, undecoded, under the same size limit.
    static Result<Data> readBytes(const std::string& path);
    // `path` only names the file in error messages.
    static Result<std::u16string> decode(std::span<const std::uint8_t> bytes, DocumentKind kind,
                                         const std::string& path);
    // The text decode gives, in UTF-8, when it is there as it stands: a
    // Markdown, plain text or QV file of well-formed UTF-8 without a
    // byte-order mark, which is then neither decoded nor encoded again. None
    // otherwise (decode says what the text is, or what is wrong).
    static std::optional<std::string> textAsUTF8(std::span<const std::uint8_t> bytes, DocumentKind kind);
    // The bytes of an RTF file as the RTF reader reads them, in the encoding
    // decode would give its text, without decoding it where the reader can
    // decode as it goes (UTF-8, a code page of one byte per character); it
    // borrows `bytes` then. A file that does not start as RTF is read as
    // text, through decode, which also says what is wrong with a file that
    // holds binary data.
    static Result<DKRTFReaderSource> rtfSource(std::span<const std::uint8_t> bytes, const std::string& path);
    // Whether an RTF file that is not UTF-8 writes its text in raw bytes of a
    // code page of two bytes per character (Japanese, Chinese, Korean). The
    // reader takes those byte by byte, so the text it gives is not the
    // file's, and writing it back would put other characters in their place.
    static bool holdsRawDoubleByteText(std::span<const std::uint8_t> bytes);
};

} // namespace folio
