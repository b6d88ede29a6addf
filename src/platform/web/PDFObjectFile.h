#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"
#include "platform/web/PDFObject.h"

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A PDF file as its numbered objects, read through one classic
// cross-reference table (ISO 32000-1, 7.5), and written again with some
// objects replaced. Files saved incrementally, with cross-reference streams
// or encrypted are refused: the printed files this serves have none of it.
class PDFObjectFile {
public:
    static constexpr const char* kErrorDomain = "PDFObjectFile";
    enum ErrorCode { Malformed = 1, Unsupported = 2 };

    static Result<PDFObjectFile> read(Data bytes);

    const PDFObject& trailer() const { return m_trailer; }
    // Object numbers in the order their objects stand in the file.
    std::vector<int> objectNumbers() const;
    // An object's value (a stream's dictionary), or nullptr.
    const PDFObject* value(int number) const;
    // `object` itself, or what its chain of references leads to; nullptr for
    // a reference to nothing.
    const PDFObject* resolve(const PDFObject* object) const;
    // The value under `key` of a dictionary, references followed.
    const PDFObject* resolvedEntry(const PDFObject& dictionary, std::string_view key) const;

    // An object's value (a stream's dictionary) as the file writes it.
    std::string_view valueText(int number) const;

    bool isStream(int number) const;
    // A stream's bytes as stored, and decoded (unfiltered or FlateDecode; any
    // other filter is refused).
    std::span<const std::uint8_t> storedStream(int number) const;
    Result<Data> decodedStream(int number) const;

    // The file with the bodies of some objects replaced (what stands between
    // "N G obj" and "endobj"), every other object copied as it was, and a
    // new cross-reference table.
    Data rewritten(const std::map<int, std::string>& replacedBodies) const;

    // A stream object's body: its dictionary, then its bytes.
    static std::string streamBody(std::string_view dictionary, std::span<const std::uint8_t> bytes);

private:
    struct Entry {
        int number = 0;
        int generation = 0;
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t valueBegin = 0;
        std::size_t valueEnd = 0;
        PDFObject value;
        bool isStream = false;
        std::size_t streamBegin = 0;
        std::size_t streamLength = 0;
    };

    PDFObjectFile() = default;
    Status readCrossReferenceTable(std::size_t offset, std::vector<std::pair<int, std::size_t>>& offsets);
    Result<Entry> readObject(int number, std::size_t offset, int lengthDepth) const;
    const Entry* entry(int number) const;
    std::string_view text() const { return m_bytes.stringView(); }

    Data m_bytes;
    PDFObject m_trailer;
    std::string m_trailerText;
    std::vector<Entry> m_entries;
    std::vector<int> m_entryOfNumber;
    std::map<int, std::size_t> m_offsetOfNumber;
};

} // namespace folio
