#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <chrono>
#include <string>

namespace folio {

// What new documents start with, before their editor has loaded them.
class DocumentSeeds {
public:
    static constexpr const char* kErrorDomain = "DocumentSeeds";
    enum ErrorCode { MissingResource = 1, CompressionFailed = 2 };

    // The outline editor's page for a new outline: the date heading, then a
    // tree with one empty first-level branch.
    static Result<std::string> outlineSeedPage(std::chrono::system_clock::time_point date,
                                               const std::string& locale = {});
    // The date as the outline heading shows it ("Mar 5, 2024" in English).
    static std::string outlineDateText(std::chrono::system_clock::time_point date, const std::string& locale = {});

    // A QV file's bytes: the page as UTF-8, raw DEFLATE.
    static Result<Data> compressedPage(std::string_view html);

    // The seed files of the formats this application only creates, never
    // reads: "empty.pencilnote", "empty.scb", "Sketch.pdf", "EmptyPDF.pdf"
    // in resources/seeds.
    static Result<Data> seedResource(const std::string& name, const std::string& type);
};

} // namespace folio
