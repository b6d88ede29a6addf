#pragma once

#include "delivery/CloudService.h"
#include "delivery/ExportServices.h"
#include "delivery/MailService.h"
#include "delivery/PrintService.h"
#include "delivery/ShareService.h"

#include <optional>
#include <string>
#include <vector>

namespace folio {

// Every export hand-off, recorded instead of performed, for tests and for
// runs that must not reach outside the program.
class RecordingExportServices final : public MailService, public CloudService, public PrintService, public ShareService {
public:
    enum class Kind { Mail, Cloud, Print, Preview, SendPDFToApp, SendJPEGToApp, SendDocumentToApp, InsertItem, SavePicture };

    struct Call {
        Kind kind;
        // The file wrapper's name, or the path's file name.
        std::string name;
        std::string path;
        std::string exportType;
        std::optional<CloudDestination> destination;
        std::size_t byteCount = 0;
    };

    ExportServices services() { return ExportServices{this, this, this, this}; }

    const std::vector<Call>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }
    // Every later call is recorded and then answers this error.
    void failWith(std::optional<Error> error) { m_failure = std::move(error); }

    Status sendEmailWithFileWrapper(const DKZipArchive::FileWrapper& file, const std::string& exportType) override;
    Result<std::string> sendFileWrapper(const DKZipArchive::FileWrapper& file, CloudDestination destination,
                                        const std::string& exportType) override;
    Status printPDFDocumentFromURL(const std::string& path, const std::string& printName) override;
    Status presentPDFPreview(const std::string& path, const std::string& name) override;
    Status sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status sendDocumenttoApp(const DKZipArchive::FileWrapper& file) override;
    Status insertNewItemWithFilePath(const std::string& path) override;
    Result<std::string> savePicture(const DKZipArchive::FileWrapper& picture) override;

private:
    Status record(Call call);

    std::vector<Call> m_calls;
    std::optional<Error> m_failure;
};

} // namespace folio
