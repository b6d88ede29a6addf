#include "delivery/PDFResultActions.h"

#include "delivery/CloudService.h"
#include "delivery/MailService.h"
#include "delivery/PrintService.h"
#include "delivery/ShareService.h"
#include "platform/docframework/TypeIdentifiers.h"

#include <optional>

namespace folio {

namespace {

// A wrapper of the finished file under the name the receiver shows. A file
// that is not there (or cannot be read) gives none, and the hand-off is skipped.
std::optional<DKZipArchive::FileWrapper> fileWrapper(const std::string& path, std::string name)
{
    Result<DKZipArchive::FileWrapper> wrapper = DKZipArchive::FileWrapper::fromPath(path);
    if (!wrapper || wrapper->isDirectory)
        return std::nullopt;
    wrapper->name = std::move(name);
    return std::move(*wrapper);
}

} // namespace

PDFResultActions::PDFResultActions(ExportServices services, Hooks hooks)
    : m_services(services)
    , m_hooks(std::move(hooks))
{
}

void PDFResultActions::conversionSucceeded(PDFAction action, const std::string& path, const std::string& name)
{
    if (m_hooks.cleanTemporaryFolder)
        m_hooks.cleanTemporaryFolder();
    m_lastStatus = performAction(action, path, name);
}

void PDFResultActions::conversionFailed()
{
    dismissProgress();
}

void PDFResultActions::dismissProgress()
{
    if (m_hooks.dismissProgress)
        m_hooks.dismissProgress();
}

Status PDFResultActions::sendToCloud(CloudDestination destination, const std::string& path, const std::string& name)
{
    std::optional<DKZipArchive::FileWrapper> wrapper = fileWrapper(path, name + ".pdf");
    if (!wrapper || !m_services.cloud)
        return Status::success();
    return sendToCloudAndTell(*m_services.cloud, *wrapper, destination, kPDFExportType, m_hooks.tell);
}

Status PDFResultActions::performAction(PDFAction action, const std::string& path, const std::string& name)
{
    switch (action) {
    case PDFAction::AddToFolder:
        return m_services.share ? m_services.share->insertNewItemWithFilePath(path) : Status::success();
    case PDFAction::Preview:
    case PDFAction::MarquentPreview: {
        // A preview is shown over the open editor; with none there is nothing to show it from.
        bool hasDocument = m_hooks.hasOpenDocument && m_hooks.hasOpenDocument();
        if (!hasDocument || !m_services.share)
            return Status::success();
        m_isDocumentPDFPreview = true;
        return m_services.share->presentPDFPreview(path, name);
    }
    case PDFAction::SendToApp: {
        std::optional<DKZipArchive::FileWrapper> wrapper = fileWrapper(path, name + ".pdf");
        if (!wrapper || !m_services.share)
            return Status::success();
        return m_services.share->sendPDFDocumenttoApp(*wrapper);
    }
    case PDFAction::Mail:
    case PDFAction::MarquentMail: {
        // NOTE: the attachment carries the bare name; mail programs add no extension.
        std::optional<DKZipArchive::FileWrapper> wrapper = fileWrapper(path, name);
        if (!wrapper)
            return Status::success();
        dismissProgress();
        if (!m_services.mail)
            return Status::success();
        return m_services.mail->sendEmailWithFileWrapper(*wrapper, TypeIdentifiers::kPDF);
    }
    case PDFAction::Print:
    case PDFAction::MarquentPrint:
        return m_services.print ? m_services.print->printPDFDocumentFromURL(path, name) : Status::success();
    case PDFAction::Dropbox:
        return sendToCloud(CloudDestination::Dropbox, path, name);
    case PDFAction::GoogleDrive:
        return sendToCloud(CloudDestination::GoogleDrive, path, name);
    case PDFAction::iCloudDrive:
        return sendToCloud(CloudDestination::iCloudDrive, path, name);
    case PDFAction::WebDAV:
        return sendToCloud(CloudDestination::WebDAV, path, name);
    case PDFAction::DismissProgress:
    case PDFAction::MarquentDismissProgress:
        dismissProgress();
        return Status::success();
    default:
        // Code 5 made a wrapper that nothing used; 10 and unknown codes do nothing.
        return Status::success();
    }
}

} // namespace folio
