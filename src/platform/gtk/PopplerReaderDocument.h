#pragma once

#include "platform/docframework/ReaderDocument.h"

typedef struct _PopplerDocument PopplerDocument;

namespace folio {

// The in-app reader's document on poppler.
class PopplerReaderDocument final : public ReaderDocument {
public:
    static Result<std::shared_ptr<ReaderDocument>> open(const std::string& path);
    ~PopplerReaderDocument() override;

    Result<Size> pageSize(std::size_t index) const override;
    Status drawPage(std::size_t index, cairo_t* context, Purpose purpose) const override;

private:
    PopplerReaderDocument(std::string fileURL, PopplerDocument* document);

    PopplerDocument* m_document;
};

} // namespace folio
