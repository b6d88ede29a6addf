#include "delivery/PNGResultActions.h"

#include "delivery/CloudService.h"
#include "delivery/MailService.h"
#include "delivery/ShareService.h"
#include "platform/foundation/Data.h"

namespace folio {

PNGResultActions::PNGResultActions(ExportServices services, Hooks hooks)
    : m_services(services)
    , m_hooks(std::move(hooks))
{
}

void PNGResultActions::call(const std::function<void()>& hook) const
{
    if (hook)
        hook();
}

Result<std::string> PNGResultActions::pictureFinished(PNGAction action, Result<std::string> picturePath,
                                                      const std::string& documentFileName, bool tooTall)
{
    call(m_hooks.dismissProgress);
    if (!picturePath) {
        if (tooTall)
            call(m_hooks.cancelDocumentToPNGtask);
        return picturePath;
    }
    std::string kept;
    Status acted = performAction(action, *picturePath, documentFileName, kept);
    if (!acted) {
        if (m_hooks.presentError)
            m_hooks.presentError(acted.error());
        return acted.error();
    }
    // A picture saved for the user is answered where it now is.
    return kept.empty() ? picturePath : Result<std::string>(kept);
}

Status PNGResultActions::performAction(PNGAction action, const std::string& picturePath,
                                       const std::string& documentFileName, std::string& kept)
{
    if (action == PNGAction::None)
        return Status::success();
    Result<Data> png = Data::dataWithContentsOfFile(picturePath);
    if (!png)
        return png.error();
    DKZipArchive::FileWrapper wrapper = DKZipArchive::FileWrapper::regularFile(documentFileName + ".png", *png);
    auto cloud = [&](CloudDestination destination) {
        return m_services.cloud ? sendToCloudAndTell(*m_services.cloud, wrapper, destination, kCloudExportType, m_hooks.tell)
                                : Status::success();
    };
    switch (action) {
    case PNGAction::Mail:
        return m_services.mail ? m_services.mail->sendEmailWithFileWrapper(wrapper, kPNGTypeIdentifier)
                               : Status::success();
    case PNGAction::SendToApp:
        return m_services.share ? m_services.share->sendJPEGDocumenttoApp(wrapper) : Status::success();
    case PNGAction::SaveToPictures: {
        if (!m_services.share)
            return Status::success();
        Result<std::string> saved = m_services.share->savePicture(wrapper);
        if (!saved)
            return saved.error();
        kept = *saved;
        if (m_hooks.showSuccess)
            m_hooks.showSuccess(u"Document saved in Photos!");
        return Status::success();
    }
    case PNGAction::Dropbox:
        return cloud(CloudDestination::Dropbox);
    case PNGAction::GoogleDrive:
        return cloud(CloudDestination::GoogleDrive);
    case PNGAction::iCloudDrive:
        return cloud(CloudDestination::iCloudDrive);
    case PNGAction::WebDAV:
        return cloud(CloudDestination::WebDAV);
    case PNGAction::None:
        break;
    }
    return Status::success();
}

} // namespace folio
