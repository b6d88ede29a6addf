#pragma once

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <memory>
#include <string>

typedef struct _cairo cairo_t;

namespace folio {

// A PDF file opened for the in-app reader: its pages, their sizes in points,
// and pictures of them drawn at any scale. The pages are read by poppler,
// which comes with the web services (loaded on first use).
class ReaderDocument {
public:
    static constexpr const char* kErrorDomain = "ReaderDocument";
    enum ErrorCode { UnreadablePDF = 1, NoSuchPage = 2, DrawingFailed = 3 };

    static Result<std::shared_ptr<ReaderDocument>> withDocumentFilePath(const std::string& path);
    virtual ~ReaderDocument() = default;
    ReaderDocument(const ReaderDocument&) = delete;
    ReaderDocument& operator=(const ReaderDocument&) = delete;

    const std::string& fileURL() const { return m_fileURL; }
    std::size_t pageCount() const { return m_pageCount; }
    virtual Result<Size> pageSize(std::size_t index) const = 0;
    // The page on white paper, `scale` pixels per point.
    Result<Image::Pointer> imageOfPage(std::size_t index, double scale) const;
    // Draws the page into the context at its size in points; for printing,
    // the PDF's print settings apply (annotations meant only for screens are left out).
    enum class Purpose { Screen, Printing };
    virtual Status drawPage(std::size_t index, cairo_t* context, Purpose purpose) const = 0;

protected:
    ReaderDocument(std::string fileURL, std::size_t pageCount);
    Error noSuchPage(std::size_t index) const;

private:
    std::string m_fileURL;
    std::size_t m_pageCount;
};

} // namespace folio
