#pragma once

#include "delivery/ExportServices.h"
#include "delivery/LinuxExportServices.h"

namespace folio {

// The hand-offs of the desktop application: a PDF to look at opens in the
// in-app reader and printing runs the GTK print dialog; mail, storage
// services and the rest are the Linux desktop's.
class DesktopServices final : public PrintService, public ShareService {
public:
    ExportServices services() { return ExportServices{&m_linux, &m_linux, this, this}; }

    Status printPDFDocumentFromURL(const std::string& path, const std::string& printName) override;
    Status presentPDFPreview(const std::string& path, const std::string& name) override;
    Status sendPDFDocumenttoApp(const DKZipArchive::FileWrapper& file) override { return m_linux.sendPDFDocumenttoApp(file); }
    Status sendJPEGDocumenttoApp(const DKZipArchive::FileWrapper& file) override { return m_linux.sendJPEGDocumenttoApp(file); }
    Status sendDocumenttoApp(const DKZipArchive::FileWrapper& file) override { return m_linux.sendDocumenttoApp(file); }
    Status insertNewItemWithFilePath(const std::string& path) override;
    Result<std::string> savePicture(const DKZipArchive::FileWrapper& picture) override { return m_linux.savePicture(picture); }

private:
    LinuxExportServices m_linux;
};

} // namespace folio
